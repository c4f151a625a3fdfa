// The windows of the spectrogram, time-series, 3-D surface and phase views: each puts its
// view on the core (through TCoreViewSource), tells it of every processed block and hands
// it the core's options whenever settings change. RegisterPlotViews() registers them and
// their option dialogs with the frame.
#pragma once

#include <QWidget>

#include "app/core/AnalyzerCore.h"
#include "app/gui/CoreViewSource.h"

namespace orvanix {

class TSpectrogram;
class TSurfacePlot;
class TSeriesPlot;
class TPhasePlot;
class TViewPlot;

// What the four windows share: the source, the layout and the view's requests.
class TPlotViewWindow : public QWidget, public TAnalyzerObserver {
  Q_OBJECT

 public:
  TPlotViewWindow(TAnalyzerCore& core, int32_t optionsCommand, QWidget* parent = nullptr);
  TCoreViewSource& Source() { return source_; }

  void DocumentChanged() override;

 protected:
  void SetPlot(TViewPlot* plot);
  TAnalyzerCore& core_;
  TCoreViewSource source_;
};

class TSpectrogramWindow : public TPlotViewWindow {
  Q_OBJECT

 public:
  explicit TSpectrogramWindow(TAnalyzerCore& core, QWidget* parent = nullptr);
  TSpectrogram* Plot() const { return plot_; }

  void BlockProcessed(double analysisTimeSecs) override;
  void EngineRebuilt() override;
  void SpectraReset() override;
  void SettingsChanged() override;
  int SliceCount() const override;
  bool SliceTimes(double& firstSecs, double& lastSecs) const override;
  void ClearSlices() override;
  void TakeSlice(int n, double timeSecs, const TSpectralData* primary,
                 const TSpectralData* secondary) override;
  void SlicesDone() override;

 private:
  TSpectrogram* plot_ = nullptr;
};

class TPhaseWindow : public TPlotViewWindow {
  Q_OBJECT

 public:
  explicit TPhaseWindow(TAnalyzerCore& core, QWidget* parent = nullptr);
  TPhasePlot* Plot() const { return plot_; }

  void BlockProcessed(double analysisTimeSecs) override;
  void EngineRebuilt() override;
  void SpectraReset() override;
  void SettingsChanged() override;

 private:
  TPhasePlot* plot_ = nullptr;
};

class TSeriesWindow : public TPlotViewWindow {
  Q_OBJECT

 public:
  explicit TSeriesWindow(TAnalyzerCore& core, QWidget* parent = nullptr);
  TSeriesPlot* Plot() const { return plot_; }

  void BlockProcessed(double analysisTimeSecs) override;
  void SeriesRefreshed() override;
  void EngineRebuilt() override;
  void SettingsChanged() override;
  void DocumentChanged() override;
  void PositionChanged(double positionSecs) override;
  void SelectionChanged() override;
  void StateChanged() override;
  void ComputedSeriesChanged() override;
  void ShowTimeRange(double startSecs, double stopSecs) override;

 private:
  TSeriesPlot* plot_ = nullptr;
};

class TSurfaceWindow : public TPlotViewWindow {
  Q_OBJECT

 public:
  explicit TSurfaceWindow(TAnalyzerCore& core, QWidget* parent = nullptr);
  TSurfacePlot* Plot() const { return plot_; }

  void BlockProcessed(double analysisTimeSecs) override;
  void EngineRebuilt() override;
  void SpectraReset() override;
  void SettingsChanged() override;
  int SliceCount() const override;
  bool SliceTimes(double& firstSecs, double& lastSecs) const override;
  void ClearSlices() override;
  void TakeSlice(int n, double timeSecs, const TSpectralData* primary,
                 const TSpectralData* secondary) override;
  void SlicesDone() override;

 private:
  TSurfacePlot* plot_ = nullptr;
};

// Registers the four windows and their option dialogs (once per process), with the frame's
// hooks for computed results (app/gui/ResultHooks.cpp).
void RegisterPlotViews();
void RegisterResultHooks();

}  // namespace orvanix
