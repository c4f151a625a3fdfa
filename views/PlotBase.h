// TPlotBase: the frame every plot view derives from. It owns the pane layout, the label
// font, the mouse cursors, the formatting of axis and cursor values, the choice of
// frequency-axis ticks and the printed page (settings block, annotations, plot).
//
// All drawing goes through Paint(painter, rect), so one routine draws on screen, into an
// image (bitmap copy, screenshots) and onto a printer. Coordinates are logical pixels:
// device-independent pixels on screen, so HiDPI screens get sharp text and lines through
// the painter's device pixel ratio, and the printer path scales a logical page.
#pragma once

#include <QFont>
#include <QImage>
#include <QMargins>
#include <QRect>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "engine/ProcessingSettings.h"
#include "files/SettingsRecords.h"

class QPainter;
class QPrinter;

namespace orvanix {

// One tick of a frequency axis: its position in Hz and its label.
struct TFrequencyTick {
  double hz;
  std::string label;
};

// What a printed page carries besides the plot.
struct TPrintJob {
  std::string viewName;                    // "Spectrum", "Phase", ... (for the cancel dialog)
  std::string title;                       // plot title, printed when printTitle is set
  bool printTitle = true;                  // program setting "PrintPlotTitle" not "FALSE"
  bool printSettings = true;               // program setting "PrintSettingsInfo" not "FALSE"
  std::vector<std::string> settingsLines;  // TPlotBase::PrintSettingsLines
  std::string annotation1, annotation2;    // "PrintOpts" "Annotation1", "Annotation2"
  std::vector<std::string> readouts;       // measurement lines of open utilities, if any
  std::vector<std::string> comments;       // comment block lines (empty: none)
  double marginLeftIn = 0.5, marginRightIn = 0.5;  // "PrintOpts" margins, inches
  double marginTopIn = 0.5, marginBottomIn = 0.5;
};

class TPlotBase : public QWidget {
  Q_OBJECT

 public:
  enum class CursorKind { Arrow, Plot, Blank, Selection };

  explicit TPlotBase(QWidget* parent = nullptr);
  ~TPlotBase() override;

  // Pane mode: 1 (one pane) or 2 (two panes, one above the other). Other values are
  // refused (false) and change nothing.
  bool SetPaneMode(int panes);
  int PaneMode() const { return paneMode_; }

  // Margins around the panes and the gap between two panes, in logical pixels. Values
  // below 0 (the default) mean "from the label font": room for the axis labels.
  void SetPlotMargins(const QMargins& margins, int gap);
  // Width in logical pixels kept free right of the panes (legends); 0 for none.
  void SetLegendWidth(int width);
  int LegendWidth() const { return legendWidth_; }

  // The label font for a drawing area: a sans-serif font 15 pixels high, smaller on very
  // small areas so that a shrunken view stays legible.
  QFont LabelFont(const QRect& area) const;
  // Margins and gap in force for an area (resolving the automatic ones).
  QMargins Margins(const QRect& area) const;
  int Gap(const QRect& area) const;
  // Pane rectangle `pane` (0 upper, 1 lower) of a drawing area; an empty rectangle for a
  // pane that does not exist.
  QRect PaneRect(const QRect& area, int pane) const;
  // The legend area right of the panes (empty without a legend).
  QRect LegendRect(const QRect& area) const;

  // Draws the whole view into `rect` of any paint device.
  virtual void Paint(QPainter& painter, const QRect& rect) = 0;

  // The view drawn into an image of `size` logical pixels at `devicePixelRatio`.
  QImage RenderImage(const QSize& size, double devicePixelRatio = 1.0);
  // The view at its current size and the screen's pixel ratio.
  QImage RenderImage();
  // Puts the view on the clipboard as a bitmap (image/png).
  void CopyAsBitmap();

  // Prints one page: settings block, annotations, title, readouts, then the plot filling
  // the rest of the page inside the margins. `cancelled` (optional) is asked before the
  // printer starts and between the stages; when it says so the job is aborted (a file being
  // written is removed; a printer may keep what its engine already took). False when the
  // printer cannot be started or the job was cancelled.
  bool Print(QPrinter& printer, const TPrintJob& job, const std::function<bool()>& cancelled = {});
  // Prints to a PDF file (works without a display). False on failure.
  bool PrintToPdf(const std::string& path, const TPrintJob& job);
  // "DIALOG_ANNOTATION": offers the two annotation lines (at most 80 characters each) of
  // `job` for editing before printing. False when the user cancelled.
  static bool AskAnnotations(QWidget* parent, TPrintJob& job);
  // Copies the "PrintOpts" record into a job: annotations, margins (inches) and, when the
  // comment block is enabled, its non-empty comment lines.
  static void ApplyPrintOptions(const TPrintOptions& options, TPrintJob& job);

  // Text of a value with a unit suffix. Types: 0 integer (truncated) "%ld%s"; 1 ... 6 that
  // many decimals "%4.Nf%s"; 100 "%4.1e%s"; 101 decimals by magnitude (below 1: 3, below
  // 10: 2, below 100: 1, else 0); 201 a time text with milliseconds; others "%4.3f%s".
  static std::string FormatValue(double value, int type, const std::string& suffix);

  // Ticks of a frequency axis from startHz to stopHz. Linear: the step is the first of
  // 10000, 5000, 1000, 500, 200, 100, 50, 20, 10, 5, 2, 1 Hz giving at least 4 steps over
  // the span, ticks at its multiples. Logarithmic: every integer multiple of the decade
  // unit (1 Hz below 10 Hz, 10 below 100, ..., 10000 up to 100000, then 100000). When those
  // leave over a third of the axis without a tick (zoomed in to less than a decade), the
  // unit is at most the linear step of the span, so ticks reach the ends at every zoom
  // (600 ... 1600 Hz: 600 ... 1000, then 1200 ... 1600).
  // Labels "0.0" at 0; below 1000 Hz "%1.0f" ("%1.2f" for a span under 100 Hz, "%1.3f"
  // under 10 Hz); from 1000 Hz in kHz "%1.1fk" ("%1.2fk", "%1.3fk"). Empty for a
  // reversed, empty or non-finite range. At most kMaxTicks ticks.
  static std::vector<TFrequencyTick> FrequencyTicks(double startHz, double stopHz,
                                                    bool logarithmic);
  static constexpr size_t kMaxTicks = 2000;

  // The lines of the printed settings block: sampling rate, FFT size, averaging (the
  // "Infinite" count printed as such), window name and, in Post-Processing mode only, the
  // overlap percent.
  static std::vector<std::string> PrintSettingsLines(const ProcessingSettings& settings,
                                                     bool postProcessing);
  // Draws the block on a printer page: 9-point sans lines 1.1 line heights apart, starting
  // 10 device units right of the left margin and 6 below the top margin (both given in
  // device units). Returns the y below the last line.
  static int PrintSettingsBlock(QPainter& painter, int leftMargin, int topMargin,
                                const std::vector<std::string>& lines);

 protected:
  void SetCursorKind(CursorKind kind);
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  int paneMode_ = 1;
  // Label sizes for one drawing-area size, measured once: measuring shapes the text, and
  // every pane rectangle needs them.
  struct LabelMetrics {
    QSize area;
    int height = 0;
    int amplitudeWidth = 0;  // "-100.00"
    int frequencyWidth = 0;  // "20.0k"
  };
  const LabelMetrics& Metrics(const QRect& area) const;
  mutable LabelMetrics metrics_;

  QMargins margins_{-1, -1, -1, -1};
  int gap_ = -1;
  int legendWidth_ = 0;
};

}  // namespace orvanix
