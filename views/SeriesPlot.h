// TSeriesPlot: the time-series view. Without a document (Real-Time) it draws the current
// block; with one (Post-Processing, Recorder) a stretch of it, start to stop seconds, that the
// user zooms and scrolls, with the analysis position and the time selection of the core.
//
// With more samples than pixel columns each column shows the smallest and largest value of
// its samples (from the document's min/max summary when a column spans whole summary blocks);
// otherwise one point per sample. The channel choice shows left, right, both (two panes), a
// difference or the sum, or an X/Y plot. Sums and differences are formed sample by sample
// (the summary keeps their own extremes), so a column's range is that of the combined signal.
//
// Values: percent of full scale without calibration, the calibrated unit with it; on the
// energy scale their level in dB (re full scale, or re 1 unit).
#pragma once

#include <QPointF>
#include <string>
#include <vector>

#include "files/SettingsRecords.h"
#include "views/ViewPlot.h"
#include "views/WaveSummary.h"

namespace orvanix {

class TSeriesPlot : public TViewPlot {
  Q_OBJECT

 public:
  // Points an X/Y plot takes at most; a block with more samples is not drawn as X/Y.
  static constexpr size_t kXyCapacity = 1u << 20;

  explicit TSeriesPlot(TViewSource* source, QWidget* parent = nullptr);

  void SetOptions(const TSeriesOptions& options);
  const TSeriesOptions& Options() const { return options_; }
  // The source's buffers or document changed (settings applied, another document).
  void SourceChanged();
  // After every processed block or refresh, with the analysis time. False when the update
  // interval or a minimised window skips it.
  bool Notify(double timeSecs);

  // Document mode: a stretch of the document. Computed mode: a series the analyzer computed
  // (it takes precedence until the analyzer drops it). Otherwise the current block.
  bool DocumentMode() const;
  bool ComputedMode() const;
  int Panes() const;
  // The shown time span in seconds (document mode: the stretch; block mode: the block).
  double StartSecs() const;
  double StopSecs() const;
  // Shows startSecs ... stopSecs of the document (limited to the document and to the
  // maximum zoom-out time; at least 1 ms). False without a document.
  bool ShowSpan(double startSecs, double stopSecs);
  // The whole document, or as much as the maximum zoom-out time allows.
  void ShowAll();
  void ResetZoom() override;
  void ZoomAbout(const QPointF& at, double factor, bool xAxis, bool yAxis) override;

  // One column or sample of a pane's trace: time, and value (equal low and high for a
  // sample of its own).
  struct TPoint {
    double timeSecs;
    double low;
    double high;
  };
  // The trace of a pane for `columns` pixel columns, in display units (before the energy
  // conversion). X/Y choices give the pairs in low (x) and high (y).
  std::vector<TPoint> Trace(int pane, int columns) const;
  std::string TraceLabel(int pane) const;
  // The linear axis runs from +top to -top; the energy axis from top down to top - range.
  double AxisTop() const;
  double AxisBottom() const;
  bool Energy() const { return options_.ampScaleType == 1; }
  // A display value on the energy scale.
  double Level(double value) const;

  // Plot top from the visible trace: on the linear scale 1.1 x the largest magnitude rounded
  // up to 1, 2 or 5 times a power of ten; on the energy scale the largest level rounded up to
  // 10 dB. Emits OptionsChanged.
  void Autoscale();
  std::string ExportText() const;
  void CopyAsText();
  std::string CsvText() const override;

  void SetCursorSecs(double secs);
  bool CursorActive() const { return cursorActive_; }
  double CursorSecs() const { return cursorSecs_; }
  double CursorValue() const;
  std::string CursorClipboardText() const override;
  // The largest magnitude of the visible primary trace.
  bool PeakSearch(bool next) override;

  void Paint(QPainter& painter, const QRect& rect) override;

 signals:
  void OptionsChanged();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  // What a pane's trace is made of.
  SummaryTrace PaneTrace(int pane) const;
  double SampleRate() const;
  // Time of sample 0: the computed series' start, else 0.
  double TimeOrigin() const;
  bool Computed(TSeriesView& series) const;
  // Whether what is shown has two channels.
  bool StereoSource() const;
  uint32_t SampleCount() const;
  double Factor(int channel) const;
  double ValueAt(SummaryTrace trace, uint32_t index) const;
  bool ReadStretch(uint32_t from, uint32_t count) const;
  std::vector<TPoint> XyPoints() const;
  double XOf(double secs, const QRect& r) const;
  double SecsAt(double x, const QRect& r) const;
  double YOf(double value, const QRect& r) const;
  double ValueAtY(double y, const QRect& r) const;
  void PaintPane(QPainter& painter, const QRect& area, int pane);
  void PaintTimeAxis(QPainter& painter, const QRect& r, bool labels);
  void Scroll(double fraction);

  TSeriesOptions options_;
  mutable TWaveSummary summary_;
  double startSecs_ = 0.0;
  double stopSecs_ = 1.0;
  bool spanSet_ = false;
  bool cursorActive_ = false;
  double cursorSecs_ = 0.0;
  bool selecting_ = false;
  double selectStart_ = 0.0;
  std::string peakText_;
  mutable std::vector<uint8_t> bytes_;
  mutable std::vector<int32_t> stretch_[2];
  mutable uint32_t stretchFrom_ = 0;
  mutable uint32_t stretchCount_ = 0;
};

}  // namespace orvanix
