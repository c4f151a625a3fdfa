// TPhasePlot: the phase view. It draws the phase (degrees) of the shown spectra against
// frequency, the secondary result in a lower pane for the modes that have one, with grid,
// measurement cursor, zoom along both axes and text export ("Copy As Text" with the live
// "Link" to the automation item "Phase").
//
// Where a pixel column covers several bins it draws their phase range as a vertical stroke;
// a jump of more than 180 degrees between neighbouring points is the phase wrapping from
// +180 to -180, and the trace breaks there instead of drawing a line across the plot.
#pragma once

#include <QLineF>
#include <QRectF>
#include <string>
#include <vector>

#include "files/SettingsRecords.h"
#include "views/Backdrop.h"
#include "views/ViewPlot.h"

class QMimeData;

namespace orvanix {

class TPhasePlot : public TViewPlot {
  Q_OBJECT

 public:
  explicit TPhasePlot(TViewSource* source, QWidget* parent = nullptr);

  void SetOptions(const TPhasePlotOptions& options);
  const TPhasePlotOptions& Options() const { return options_; }
  void SourceChanged() { update(); }
  // After every processed block; false when the update interval skips it.
  bool Notify(double timeSecs);

  int Panes() const;
  // The frequency and phase ranges shown (the options' span under the zoom).
  double StartHz() const;
  double StopHz() const;
  double TopDeg() const;
  double BottomDeg() const;
  bool LogFrequency() const;
  // The index range of a spectrum inside the shown frequencies (bins; bands on a
  // fractional-octave axis). False when empty.
  bool VisibleRange(const TSpectralData& spectrum, uint32_t& first, uint32_t& last) const;

  // The zoom buttons: 2x in or out about the middle, or the full span.
  void ZoomIn2();
  void ZoomOut2();
  void ZoomFull() { ResetZoom(); }
  // "Zoom in along frequency axis": the next drag selects the frequencies to show.
  void ArmDragZoom() { dragZoomArmed_ = true; }

  // "Copy As Text" (nothing without a primary spectrum): the header by channel-processing
  // mode and one CRLF line per index of the visible range.
  std::string ExportText() const;
  static QMimeData* TextMimeData(const std::string& text);
  void CopyAsText();
  std::string CsvText() const override;

  // The measurement cursor at a frequency (snapped to the nearest index when "Pull Cursor
  // to Trace" is on).
  void SetCursorHz(double hz, double phaseDeg = 0.0);
  bool CursorActive() const { return cursorActive_; }
  double CursorHz() const { return cursorHz_; }
  double CursorPhase() const;
  // "Freq=\t%5.4f\r\nPhase=\t%5.4f\r\n".
  std::string CursorClipboardText() const override;
  bool PeakSearch(bool next) override;

  void Paint(QPainter& painter, const QRect& rect) override;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  const TSpectralData* PaneSpectrum(int pane) const;
  double XOf(double hz, const QRect& pane) const;
  double HzAt(double x, const QRect& pane) const;
  double YOf(double deg, const QRect& pane) const;
  double DegAt(double y, const QRect& pane) const;
  double IndexHz(const TSpectralData& s, uint32_t i) const;
  uint32_t NearestIndex(const TSpectralData& s, double hz) const;
  int PaneAt(const QPoint& p, const QRect& area) const;
  // Lists a pane's background, grid, labels, titles and frame into backdrop_.
  void ListBackdrop(const QRect& area, int pane);
  void PaintPane(QPainter& painter, const QRect& area, int pane);
  void PaintTrace(QPainter& painter, const QRect& r, const TSpectralData& s);
  void ShowDataValues();

  TPhasePlotOptions options_;
  bool cursorActive_ = false;
  double cursorHz_ = 0.0;
  double cursorPhase_ = 0.0;
  int cursorPane_ = 0;
  std::string peakText_;
  int peakIndex_ = 0;
  bool dragZoomArmed_ = false;
  bool dragging_ = false;
  int dragStartX_ = 0;
  int dragX_ = 0;
  // One pixel column of the trace: the phase range of its bins (drawn as one stroke), where
  // the trace enters and leaves it, and whether a wrap broke the trace before it.
  struct PhaseColumn {
    int c;
    int bins;
    double x, firstY, minY, maxY, lastY;
    bool breakBefore;
  };
  views::TBackdrop backdrop_;
  std::vector<PhaseColumn> columns_;  // reused between paints
  std::vector<QRectF> strokes_;
  std::vector<QLineF> lines_;
};

}  // namespace orvanix
