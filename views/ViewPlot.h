// TViewPlot: what the spectrogram, time-series, 3-D surface and phase views share on top of
// the plot frame: their source, the update gate, the pop-up items that belong to other
// subsystems, saving the picture as PNG and the plotted data as CSV, the readout that
// follows the mouse, and the wheel zoom state.
#pragma once

#include <QPointF>
#include <QRectF>
#include <string>

#include "views/PlotBase.h"
#include "views/ViewSource.h"

class QMenu;

namespace orvanix {

// Pop-up items whose operations other subsystems own (edit operations, segment analyses).
// The owner maps each to its command number and runs it through the frame.
enum class PlotAction : int32_t {
  Cut,
  CopyAsWave,
  Mute,
  Filter,
  Play,
  DisplayTimeSeries,
  AverageSpectrum,
  Spectrogram,
  Surface,
  Leq,
  Dtmf,
  Annotate,
  Envelope,
  Schroeder,
  RmsLevel,
  CrestFactor,
};

// The display update interval of the views: with `periodic` a notification at time x is
// drawn only when x >= last + interval, and then last <- x; a skipped notification earlier
// than `last` sets last to 0. `positiveOnly` (the time series) lets times of 0 or less
// through without touching `last`.
class TUpdateGate {
 public:
  bool Pass(double timeSecs, bool periodic, double intervalSecs, bool positiveOnly = false);
  void Reset() { last_ = 0.0; }
  double Last() const { return last_; }

 private:
  double last_ = 0.0;
};

class TViewPlot : public TPlotBase {
  Q_OBJECT

 public:
  // `source` is not owned and must outlive the view (nullptr: an empty view).
  explicit TViewPlot(TViewSource* source, QWidget* parent = nullptr);

  TViewSource* Source() const { return source_; }

  // The plotted data as CSV: a header line, then one line per point, '.' as the decimal
  // mark, columns separated by commas.
  virtual std::string CsvText() const = 0;
  // Writes CsvText or the picture (at the view's size, the screen's pixel ratio) to a file,
  // replacing it only once complete. Reports and returns false on failure.
  bool WriteCsv(const std::string& path);
  bool SavePng(const std::string& path);
  // The view's print job (name, title, settings lines).
  virtual TPrintJob PrintJob() const;

  // The readout that follows the mouse (empty: none).
  const std::string& Readout() const { return readout_; }

  // Wheel zoom: the shown part of the view's full content as fractions 0 ... 1 of each axis
  // (x left to right, y top to bottom). ResetZoom shows everything again.
  const QRectF& ZoomRect() const { return zoom_; }
  bool Zoomed() const { return zoom_ != QRectF(0, 0, 1, 1); }
  // Zooms by `factor` (above 1 zooms in) about the point `at` (fractions of the pane), on
  // the x axis, the y axis or both. Zooming out never goes beyond the whole content.
  virtual void ZoomAbout(const QPointF& at, double factor, bool xAxis, bool yAxis);
  virtual void ResetZoom();

 signals:
  void PropertiesRequested();
  void HelpRequested();

 protected:
  // Adds an item of another subsystem, greyed while nothing owns or allows it.
  void AddActionItem(QMenu& menu, const char* text, PlotAction action);
  // The items every view adds at the end of its pop-up: peak search, CSV, PNG, reset zoom.
  void AddToolItems(QMenu& menu, bool peakSearch);
  // The pop-up items of a view that shows a time segment (the spectrogram and the surface):
  // the edit and segment commands, `spectrogramText` and `surfaceText` naming their own
  // items (Expand for the view itself, Compute for the other), then Properties and Help.
  void AddSegmentItems(QMenu& menu, const char* spectrogramText, const char* surfaceText);
  // The measurement cursor's values as the clipboard gets them (empty: no cursor).
  virtual std::string CursorClipboardText() const { return {}; }
  void CopyCursorValues();
  // Ctrl+C copies the cursor's values; other keys go to the base.
  void keyPressEvent(QKeyEvent* event) override;
  void SaveCsvWithDialog();
  void SavePngWithDialog();
  virtual bool PeakSearch(bool next) {
    (void)next;
    return false;
  }
  void SetReadout(const std::string& text);
  // Draws the readout in the top left corner of `pane`.
  void PaintReadout(QPainter& painter, const QRect& pane, const std::string& text) const;
  // Wheel: Ctrl zooms the y axis only, Shift the x axis only, else both.
  void wheelEvent(QWheelEvent* event) override;
  // Hook for the view: the zoom changed.
  virtual void ZoomChanged() { update(); }
  // The pane (as fractions) under a point, for the wheel.
  virtual QPointF ZoomAnchor(const QPointF& point) const;

  TViewSource* source_;
  TUpdateGate gate_;
  std::string readout_;
  QRectF zoom_{0, 0, 1, 1};
  std::string folder_;  // last folder of the file dialogs
};

}  // namespace orvanix
