// TAnalysisView: one measurement window's content ("AnalysisViewClass"). It shows the
// measurement of its kind on the first display spectrum, and on the second in the two-line
// channel modes, as large text that fills the window, and recomputes both lines every time
// it paints. The core tells it of every processed block (and of cleared spectra, rebuilt
// engines and changed settings): each notice repaints it. It keeps no copy of a spectrum.
//
// Sizing: the window (the MDI child around this content) never gets narrower than 120
// pixels or lower than 48 per line; a smaller size snaps back, keeping the top-left corner.
#pragma once

#include <QWidget>
#include <optional>

#include "app/core/AnalyzerCore.h"
#include "measure/MeasureKinds.h"

namespace orvanix {

class TAnalysisView : public QWidget, public TAnalyzerObserver {
 public:
  TAnalysisView(TAnalyzerCore& core, AnalysisType kind, QWidget* parent = nullptr);

  AnalysisType Kind() const { return kind_; }
  // What the window shows now (computed as a paint would).
  TReadoutLines Lines() const;
  // The smallest window size for the lines shown now.
  QSize MinimumWindowSize() const;
  // The character height and average character width a paint uses for a client area, or
  // nothing when the text would be too large to draw (over 500 pixels).
  struct TTextBox {
    int height = 0;
    int averageWidth = 0;
  };
  static std::optional<TTextBox> TextBox(QSize client, int lines, int longestText);

  // ---- TAnalyzerObserver ----
  void BlockProcessed(double analysisTimeSecs) override;
  void SpectraReset() override;
  void EngineRebuilt() override;
  void SettingsChanged() override;
  void StateChanged() override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool event(QEvent* event) override;

 private:
  // The MDI child's minimum size, once the frame has put this content in it.
  void FitWindow();
  // The channel processing decides between one and two lines.
  void LinesMayHaveChanged();

  TAnalyzerCore& core_;
  AnalysisType kind_;
  int shownLines_ = 1;
};

}  // namespace orvanix
