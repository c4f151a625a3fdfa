// TOrvanePlot: the spectrum view. It draws the shown spectra of a TSpectrumSource as a line
// or bar graph over a linear, logarithmic or fractional-octave frequency axis (two panes when
// the channel-processing mode has a second result), with six markers, four overlays per pane
// and their legend, an optional power readout, a measurement cursor, zoom along the
// frequency axis, and text and bitmap export of what it shows.
//
// It is told after every processed block (Notify) and repaints at most at its update interval
// and at most about 60 times a second. It never keeps a copy of a spectrum.
//
// Units: frequencies in Hz, amplitudes in the spectrum's display unit (Value), pixels in
// logical (device-independent) pixels.
#pragma once

#include <QColor>
#include <QElapsedTimer>
#include <QLineF>
#include <QPen>
#include <QPointer>
#include <QPolygonF>
#include <QRectF>
#include <QTimer>
#include <algorithm>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "views/Backdrop.h"
#include "views/DataValuesWindow.h"
#include "views/OverlayData.h"
#include "views/PlotBase.h"
#include "views/PlotScale.h"
#include "views/SpectrumOptions.h"
#include "views/SpectrumSource.h"

class QMenu;
class QMimeData;

namespace orvanix {

// An inclusive index range (bins, or bands on a fractional-octave axis).
struct TIndexRange {
  uint32_t first = 0;
  uint32_t last = 0;
  bool valid = false;
};

class TOrvanePlot : public TPlotBase {
  Q_OBJECT

 public:
  // `source` is not owned and must outlive the view.
  explicit TOrvanePlot(const TSpectrumSource* source, QWidget* parent = nullptr);
  ~TOrvanePlot() override;

  // ---- options -----------------------------------------------------------------------------
  void SetOptions(const TSpectrumPlotOptions& options);
  const TSpectrumPlotOptions& Options() const { return options_; }
  void SetMarkers(const TMarkerSettings& markers);
  const TMarkerSettings& Markers() const { return markers_; }
  // Folder of the overlay files ("ovl" path) and the folder offered for text files.
  void SetOverlayDirectory(const std::string& directory);
  const std::string& OverlayDirectory() const { return overlayDirectory_; }
  void SetTextDirectory(const std::string& directory) { textDirectory_ = directory; }

  // The source's spectra were rebuilt (settings applied): overlays are reloaded and the
  // view repainted.
  void SourceChanged();

  // ---- updates -----------------------------------------------------------------------------
  // Called after every processed block with the block's time in seconds. Returns true when
  // the block leads to a repaint (at once, or as soon as the ~60 Hz limit allows); false
  // when the update interval ("Specific Intervals") has not yet passed.
  bool Notify(double timeSeconds);

  // ---- frequency range -----------------------------------------------------------------------
  // The range in force: the zoomed range, else the options' start and stop frequencies.
  double StartHz() const;
  double StopHz() const;
  // Shows startHz ... stopHz (ordered; a range under 1 Hz or outside the spectrum's
  // frequencies is refused) until ZoomOut.
  bool ZoomTo(double startHz, double stopHz);
  void ZoomOut();
  bool Zoomed() const { return zoomed_; }
  // The indices of a spectrum inside the range in force: bins whose frequency lies in it
  // (bin 0 left out on a logarithmic axis, the never-averaged last bin left out), or on a
  // fractional-octave axis the valid bands that overlap it.
  TIndexRange VisibleRange(const TSpectralData& spectrum) const;
  // Sets plot top (and on a logarithmic axis the range) from the primary trace's visible
  // values; emits OptionsChanged.
  void Autoscale();

  // ---- overlays ------------------------------------------------------------------------------
  // Snapshot of pane `pane`'s shown trace (0 first, 1 second) into slot 1 ... 4: written to
  // its file with the legend "Overlay <slot>", the slot switched on and every overlay
  // reloaded. False (reported) when there is nothing to capture or the file cannot be written.
  bool CaptureOverlay(int pane, int slot);
  // Loads and shows a slot's file (on) or hides and releases it (off). A file that cannot
  // be used is reported and leaves the slot off. Returns whether the slot is now shown.
  bool ToggleOverlay(int pane, int slot, bool on);
  // Reloads every switched-on slot.
  void ReloadOverlays();
  const TOverlayData* Overlay(int pane, int slot) const;
  // "<overlay folder>/L<slot>.ovl" (first pane) or ".../R<slot>.ovl" (second pane).
  std::string OverlayPath(int pane, int slot) const;

  // ---- markers and readouts ------------------------------------------------------------------
  // Label of a marker: type 1 "%3.2f Hz"; 2 "%3.2f dB" (logarithmic axis) or "%3.2f";
  // 3 "%3.2f Hz/%3.2f dB" or "%3.2f Hz/%3.2f"; 4 the custom label; 0 and others none.
  static std::string MarkerLabel(int labelType, double hz, double value, bool logAxis,
                                 const std::string& custom);
  // The index a marker frequency points at in a spectrum (nearest bin, or the band holding
  // it on a fractional-octave axis).
  static uint32_t MarkerIndex(const TSpectralData& spectrum, float hz);

  // The pen of the spectrum and overlay traces on the painter's device.
  static QPen TracePen(const QPainter& painter, const QColor& color);

  // "Pwr=%1.2f" over the visible range of a pane (empty without a spectrum), followed by the
  // unit label when calibrated.
  std::string PowerReadout(int pane) const;

  // ---- text export and data values -----------------------------------------------------------
  // The visible range as numbers: the export's header line by channel-processing mode
  // (";Freq(Hz)\t...\r\n"), and one row per index: frequency, primary value and, in modes
  // 2, 11 and 12 (`columns` 3), the secondary value.
  struct TDataValues {
    std::string header;
    int columns = 2;
    std::vector<std::array<double, 3>> rows;
  };
  TDataValues DataValues() const;
  // The visible range as text: the header, then one CRLF line per row ("%5.4f\t%f").
  std::string ExportText() const;
  // Clipboard data of an export: "text/plain" and the "Link" format.
  static QMimeData* TextMimeData(const std::string& text);
  void CopyAsText();
  // Writes ExportText to a file (replaced only once complete). Reports and returns false
  // on failure.
  bool WriteTextFile(const std::string& path);

  // ---- measurement cursor --------------------------------------------------------------------
  // Places the cursor at a frequency (with Pull Cursor to Trace: onto the nearest index of
  // the trace), with `value` the amplitude to show when not pulled to the trace.
  void SetMeasurementCursor(double hz, double value);
  void ClearMeasurementCursor();
  bool CursorActive() const { return cursorActive_; }
  double CursorHz() const;
  double CursorValue() const;
  // "Freq=\t%5.4f\r\nAmp=\t%5.4f\r\n" of the cursor (empty without one).
  std::string CursorClipboardText() const;

  // ---- printing ------------------------------------------------------------------------------
  // A print job with the view's name, title, settings lines and readouts; the caller adds
  // annotations, margins and the program's print switches.
  TPrintJob PrintJob() const;

  // ---- context menu --------------------------------------------------------------------------
  // The plot's context menu for pane `pane` (what a right click shows).
  std::unique_ptr<QMenu> ContextMenu(int pane);
  // "View Data Values": the window listing the visible values, opened (or raised and
  // refreshed when open). It lives until the user closes it or the view goes.
  TDataValuesWindow* ShowDataValues();
  TDataValuesWindow* DataValuesWindow() const { return dataValues_; }

  void Paint(QPainter& painter, const QRect& rect) override;

 signals:
  // The view changed its own options (autoscale, overlay switches); the owner stores them.
  void OptionsChanged();
  void ClearSpectrumRequested();
  // "&Inverse FFT" and "Bandwidth and &Q Factor" were chosen.
  void InverseFftRequested();
  void BandwidthQRequested();
  void PropertiesRequested();
  // The user asked for the "Overlay Management" dialog.
  void OverlaysRequested();
  void HelpRequested();
  // A plain left click in a pane (not a drag that zooms or moves the cursor) placed the
  // measurement cursor: its frequency, as the cursor's readout shows it.
  void ClickedAtFrequency(double hz);
  // The pop-up menu is built; other tools may add their items.
  void ContextMenuAboutToShow(QMenu* menu);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  struct PaneGeometry {
    const TSpectralData* spectrum = nullptr;
    QRect area;  // the whole drawing area
    QRect rect;  // the pane
    views::TFrequencyScale freq;
    views::TAmplitudeScale amp;
    TIndexRange range;
    bool coherence = false;
    bool octave = false;
  };
  // Colours of one painting, from the options (text colours chosen to read on the
  // background).
  struct Colors {
    QColor background, trace, grid, gridMinor, marker, text, frame;
    std::array<QColor, kOverlaySlots> overlay;
  };

  // Layout of the panes for a drawing area (also used by mouse handling).
  int PaneCount() const;
  const TSpectralData* PaneSpectrum(int pane) const;
  bool PaneIsCoherence(int pane) const;
  PaneGeometry Geometry(const QRect& area, int pane) const;
  int PaneAt(const QPoint& point) const;
  std::string AxisLabel(const TSpectralData& spectrum, bool coherence) const;
  void UpdateLegendWidth(const QRect& area);

  // Painting, by job.
  void PaintPane(QPainter& painter, const PaneGeometry& g, const Colors& colors, int pane);
  // Grid, axis labels and titles and the frame of a pane, listed into backdrop_.
  void PaintBackdrop(const PaneGeometry& g, const Colors& colors, const QFont& font, int pane);
  void PaintAmplitudeAxis(const PaneGeometry& g, const Colors& colors, const QFont& font);
  void PaintFrequencyAxis(const PaneGeometry& g, const Colors& colors, const QFont& font,
                          bool labels);
  void PaintTrace(QPainter& painter, const PaneGeometry& g, const Colors& colors);
  void PaintLineTrace(QPainter& painter, const PaneGeometry& g, double pixelRatio);
  void PaintWideLineTrace(QPainter& painter, const PaneGeometry& g, double pixelRatio);
  static bool TracePenIsDevicePixels(const QPainter& painter);
  // The bins of the visible range gathered into pixel columns (columns_).
  void GatherColumns(const PaneGeometry& g, double pixelRatio);
  void PaintBarTrace(QPainter& painter, const PaneGeometry& g, double pixelRatio);
  void PaintOverlays(QPainter& painter, const PaneGeometry& g, int pane);
  void PaintLegend(QPainter& painter, const QRect& area, const Colors& colors);
  void PaintMarkers(QPainter& painter, const PaneGeometry& g, const Colors& colors);
  void PaintCursor(QPainter& painter, const PaneGeometry& g, const Colors& colors, int pane);
  void PaintSelection(QPainter& painter, const QRect& area, const Colors& colors);

  // Mouse helpers.
  void ShowContextMenu(const QPoint& globalPos, int pane);
  void ShowCursorMenu(const QPoint& globalPos);
  void CopyCursorValues();
  void WriteTextFileWithDialog();
  void MoveCursorTo(const QPoint& point);

  void RequestRepaint();

  const TSpectrumSource* source_;
  TSpectrumPlotOptions options_;
  TMarkerSettings markers_;
  std::string overlayDirectory_;
  std::string textDirectory_;
  std::array<std::array<std::unique_ptr<TOverlayData>, kOverlaySlots>, 2> overlays_;

  bool zoomed_ = false;
  double zoomStart_ = 0.0;
  double zoomStop_ = 0.0;

  bool cursorActive_ = false;
  double cursorHz_ = 0.0;
  double cursorValue_ = 0.0;
  int cursorPane_ = 0;
  bool draggingCursor_ = false;
  bool selecting_ = false;
  bool pressed_ = false;
  QPoint pressPoint_;
  int selectionX_ = 0;

  QPointer<TDataValuesWindow> dataValues_;

  // Update pacing.
  bool haveLastTime_ = false;
  double lastTime_ = 0.0;
  QElapsedTimer frameClock_;
  QTimer frameTimer_;

  // Reused drawing buffers: painting allocates nothing once they have grown (but for the
  // label texts themselves).
  views::TBackdrop backdrop_;
  struct TraceColumn {
    int column = 0;
    int count = 0;  // bins in the column
    double xFirst = 0, yFirst = 0, yLow = 0, yHigh = 0, yLast = 0;
    void Add(double y) {
      yLow = std::max(yLow, y);  // screen y grows downwards: the lowest value
      yHigh = std::min(yHigh, y);
      yLast = y;
    }
  };
  std::vector<TraceColumn> columns_;
  std::vector<QLineF> lines_;
  QPolygonF polyline_;
  std::vector<QRectF> bars_;
  std::vector<std::pair<double, double>> placedLabels_;  // x extents of the axis labels
  std::vector<TFrequencyTick> ticks_;  // for ticksStart_ ... ticksStop_ (Hz), ticksLog_
  double ticksStart_ = -1.0;
  double ticksStop_ = -1.0;
  bool ticksLog_ = false;
};

}  // namespace orvanix
