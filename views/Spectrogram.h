// TSpectrogram: the spectrogram view. After each processed block it turns the current
// spectrum into one line of colours (through the pixel map and the colour table) and adds it
// at the leading edge of its image; older lines move away. In the two-pane layout the
// primary spectrum goes to the upper pane and the secondary one to the lower pane.
//
// Besides the live lines it replays the trace store (slices handed to it by a segment
// analysis or a data link) whenever it is rebuilt. It keeps the level of every pixel of
// every shown line for the readout, the cursor and the CSV export.
//
// Units: frequencies in Hz, times in seconds, levels in the spectrum's display unit.
#pragma once

#include <QRgb>
#include <array>
#include <string>
#include <vector>

#include "files/SettingsRecords.h"
#include "views/PixelMap.h"
#include "views/SpectrogramImage.h"
#include "views/TraceStore.h"
#include "views/ViewPlot.h"

namespace orvanix {

// The levels behind the lines of one pane: a ring of lines of P levels each.
class TLevelRing {
 public:
  void Reset(int lines, int pixels);
  void Clear() { count_ = 0; }
  void Add(const float* levels);
  int Lines() const { return count_; }
  int Pixels() const { return pixels_; }
  // Level of pixel k of the line `age` lines behind the newest (0 newest).
  bool At(int age, int k, float& level) const;

 private:
  std::vector<float> data_;
  int capacity_ = 0;
  int pixels_ = 0;
  int head_ = -1;
  int count_ = 0;
};

class TSpectrogram : public TViewPlot {
  Q_OBJECT

 public:
  // Line thickness: pixels per spectrum along the time axis.
  static constexpr int kThickness = 2;

  explicit TSpectrogram(TViewSource* source, QWidget* parent = nullptr);
  ~TSpectrogram() override;

  void SetOptions(const TSpectrogramOptions& options);
  const TSpectrogramOptions& Options() const { return options_; }
  // The source's spectra were rebuilt (sizes, scales, mode may differ).
  void SourceChanged();

  // After every processed block, with its time. False when the update interval skips it
  // (or there is nothing to draw into).
  bool Notify(double timeSecs);
  // Clear All Views: the images are emptied (the trace store too).
  void ClearImage();

  // The slices; S = Slices() after a layout. Replay draws them into the images (earliest
  // first) after clearing them.
  TTraceStore& Store() { return store_; }
  int Slices() const;
  void ReplayStore();

  // The layout for the widget's current size: images and pixel maps for the panes. Returns
  // whether pane 0 has an image.
  bool EnsureLayout();
  int Panes() const;
  const views::TSpectrogramImage& Image(int pane) const {
    return panes_[static_cast<size_t>(pane)].image;
  }
  const views::TPixelMap& Map(int pane) const { return panes_[static_cast<size_t>(pane)].map; }
  const std::vector<QRgb>& Colors() const { return colors_; }
  // The frequency span in force (full span: the primary spectrum's low and high limits).
  double SpanStartHz() const;
  double SpanStopHz() const;
  bool LogFrequency() const;
  bool LogAmplitude() const;
  // The division label and step of a displayed time span (the time axis title's suffix);
  // nullptr (no ticks) for a span of 0 or less.
  static const char* DivisionLabel(double spanSecs, double& stepSecs);

  // ---- cursor, readout, peaks ----
  // Places the measurement cursor on frequency pixel k of line `age` (0 newest) of a pane.
  bool SetCursorAt(int pane, int k, int age);
  bool CursorActive() const { return cursor_.active; }
  // Text of the cursor for the clipboard (empty without a cursor).
  std::string CursorClipboardText() const override;
  // Puts the cursor on the highest peak of the newest primary spectrum in the span, or on
  // the next lower one; its readout gives the interpolated frequency and level.
  bool PeakSearch(bool next) override;
  std::string CsvText() const override;

  void Paint(QPainter& painter, const QRect& rect) override;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  struct Pane {
    views::TSpectrogramImage image;
    views::TPixelMap map;
    TLevelRing levels;
    QRect rect;  // where the pane was laid out on screen
  };
  struct Cursor {
    bool active = false;
    int pane = 0;
    int k = 0;             // frequency pixel
    int age = 0;           // lines behind the newest
    std::string peakText;  // set by peak search
  };
  // Where a widget point falls: pane, frequency pixel, time-axis depth in pixels.
  struct Hit {
    bool inside = false;
    int pane = 0;
    int k = 0;
    int depth = 0;
  };

  const TSpectralData* PaneSpectrum(int pane) const;
  void RebuildColors();
  void RebuildMaps();
  void DrawLine(int pane, const float* levels, double timeSecs);
  void DrawSpectrum(int pane, const TSpectralData& spectrum, double timeSecs);
  void DrawTrace(int pane, const TTrace& trace, double timeSecs);
  QRgb Background() const;
  Hit HitAt(const QPoint& point) const;
  std::string PointText(int pane, int k, int age) const;
  bool LineTime(int pane, int age, double& timeSecs) const;
  void PaintPane(QPainter& painter, int pane, const QRect& rect, bool screen);
  void PaintFrequencyAxis(QPainter& painter, int pane, const QRect& rect);
  void PaintTimeAxis(QPainter& painter, int pane, const QRect& rect);
  void PaintSelection(QPainter& painter, int pane, const QRect& rect);
  void PaintColorBar(QPainter& painter, const QRect& area);
  void SelectTimes(int pane, int depth0, int depth1);
  void MoveCursor(int dk, int dage);

  TSpectrogramOptions options_;
  std::vector<QRgb> colors_;
  std::array<Pane, 2> panes_;
  TTraceStore store_;
  QSize laidOut_;
  bool mapsValid_ = false;
  Cursor cursor_;
  std::vector<float> levelBuffer_;
  std::vector<QRgb> colorBuffer_;
  bool selecting_ = false;
  bool dragged_ = false;  // the press became a selection
  Hit pressHit_;
  int peakIndex_ = 0;
};

}  // namespace orvanix
