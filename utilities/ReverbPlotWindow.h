// The plot area of the reverberation window: the bar chart of the decay times per band, the
// decay plot of one band, or the 3-D surface of all decays, drawn from the utilities module's
// data with the ReverbOpts colours. A plot view like the others, so that File > Print, the
// bitmap copy and the PNG/CSV saving reach it through the frame.
#pragma once

#include <functional>
#include <string>

#include "app/core/AnalyzerCore.h"
#include "views/ViewPlot.h"

namespace orvanix {

class TUtilitiesModule;

enum ReverbView : int {
  kReverbViewNone = 0,
  kReverbViewTimes,
  kReverbViewDecay,
  kReverbViewSurface
};

class TReverbPlotWindow : public TViewPlot {
 public:
  TReverbPlotWindow(TAnalyzerCore& core, TUtilitiesModule& module, QWidget* parent = nullptr);

  int View() const { return view_; }
  void SetView(int view);
  void SetMeasuring(bool measuring);

  // The plot's title as drawn ("RT-60 Reverberation Time versus Frequency", ...).
  std::string Title() const;
  // The entry of list 106 for the decay plot's band: "%d Hz" or "Wideband".
  std::string BandEntry(uint32_t band) const;
  // The plot's frame inside a drawing area.
  static QRect PlotArea(const QRect& area);
  // The band slot under `point` (widget coordinates): a bar of the bar chart, or a band
  // along the frequency axis of the 3-D surface; -1 elsewhere.
  int BandAt(const QPoint& point) const;

  void Paint(QPainter& painter, const QRect& rect) override;
  std::string CsvText() const override;
  TPrintJob PrintJob() const override;

  // What a click asks for: a band's decay plot, or the options dialog.
  std::function<void(int band)> bandClicked;
  std::function<void()> optionsRequested;
  std::function<void()> helpRequested;
  void CopyAsText();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void PaintTimes(QPainter& painter, const QRect& plot);
  void PaintDecay(QPainter& painter, const QRect& plot);
  void PaintSurface(QPainter& painter, const QRect& plot);
  void PaintTimeAxis(QPainter& painter, const QRect& plot, double seconds, bool vertical);

  TAnalyzerCore& core_;
  TUtilitiesModule& module_;
  int view_ = kReverbViewNone;
  bool measuring_ = false;
};

}  // namespace orvanix
