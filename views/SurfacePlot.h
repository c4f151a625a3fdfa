// TSurfacePlot: the 3-D surface (waterfall) view. After each processed block the newest
// spectrum is drawn at the bottom of its image as a filled outline, in front of the older
// traces, which move one pixel right and three up. It shares the spectrogram's pixel map and
// colour table. Like the spectrogram it replays its trace store (slices of a segment
// analysis or a data link) when rebuilt, and keeps the levels of the traces it shows for the
// readout and the CSV export.
#pragma once

#include <array>
#include <deque>
#include <string>
#include <vector>

#include "files/SettingsRecords.h"
#include "views/PixelMap.h"
#include "views/SurfaceImage.h"
#include "views/TraceStore.h"
#include "views/ViewPlot.h"

namespace orvanix {

class TSurfacePlot : public TViewPlot {
  Q_OBJECT

 public:
  explicit TSurfacePlot(TViewSource* source, QWidget* parent = nullptr);

  void SetOptions(const TSurfaceOptions& options);
  const TSurfaceOptions& Options() const { return options_; }
  void SourceChanged();
  bool Notify(double timeSecs);
  void ClearImage();

  TTraceStore& Store() { return store_; }
  int Slices() const;
  void ReplayStore();
  bool EnsureLayout();
  int Panes() const;
  const views::TSurfaceImage& Image(int pane) const {
    return panes_[static_cast<size_t>(pane)].image;
  }
  const views::TPixelMap& Map(int pane) const { return panes_[static_cast<size_t>(pane)].map; }
  const std::vector<QRgb>& Colors() const { return colors_; }
  double SpanStartHz() const;
  double SpanStopHz() const;

  std::string CsvText() const override;
  bool PeakSearch(bool next) override;
  void Paint(QPainter& painter, const QRect& rect) override;
  // The time of the trace drawn at a widget point (traces rise s pixels each as they age),
  // false outside a pane or above the oldest trace.
  bool TraceTimeAt(const QPoint& point, double& timeSecs) const;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  struct Trace {
    double timeSecs;
    std::vector<float> levels;
  };
  struct Pane {
    views::TSurfaceImage image;
    views::TPixelMap map;
    std::deque<Trace> traces;  // newest first, at most TraceCapacity()
    QRect rect;
  };
  const TSpectralData* PaneSpectrum(int pane) const;
  views::TSurfaceStyle Style(int pane) const;
  void AddLevels(int pane, const float* levels, double timeSecs, bool keep);
  void Redraw();
  void PaintPane(QPainter& painter, int pane, const QRect& r, bool screen);

  TSurfaceOptions options_;
  std::vector<QRgb> colors_;
  std::array<Pane, 2> panes_;
  TTraceStore store_;
  QSize laidOut_;
  std::vector<float> levelBuffer_;
  int peakIndex_ = 0;
  std::string peakText_;
};

}  // namespace orvanix
