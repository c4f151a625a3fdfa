// TSpectrumWindow: the Spectrum view window's content. It puts the spectrum plot on the
// core's spectra (through TCoreSpectrumSource), tells it of every processed block, and
// gives it the core's spectrum options, markers and folders whenever settings change.
//
// The plot changes some of its own options (autoscale, overlay switches). Applying them to
// the core would rebuild the engine objects and clear the spectra on show, so the window
// keeps them as its own until the frame hands them to the core at a moment when that does
// no harm (before a settings dialog, before saving a configuration, at exit).
#pragma once

#include <QWidget>
#include <optional>

#include "app/core/AnalyzerCore.h"
#include "app/gui/CoreSpectrumSource.h"
#include "files/SettingsRecords.h"

namespace orvanix {

class TOrvanePlot;

class TSpectrumWindow : public QWidget, public TAnalyzerObserver {
  Q_OBJECT

 public:
  explicit TSpectrumWindow(TAnalyzerCore& core, QWidget* parent = nullptr);
  ~TSpectrumWindow() override;

  TOrvanePlot* Plot() const { return plot_; }

  // Options the plot changed that the core does not hold yet.
  const std::optional<TSpectrumPlotOptions>& OwnOptions() const { return ownOptions_; }
  // The core now holds them (or they were dropped).
  void ForgetOwnOptions() { ownOptions_.reset(); }

  // ---- TAnalyzerObserver ----
  void BlockProcessed(double analysisTimeSecs) override;
  void SeriesRefreshed() override {}
  void EngineRebuilt() override;
  void SpectraReset() override;
  void StateChanged() override;
  void SettingsChanged() override;

 signals:
  void PropertiesRequested();
  void OverlaysRequested();
  void HelpRequested();
  void ClearRequested();

 private:
  void ApplyCoreSettings();

  TAnalyzerCore& core_;
  TCoreSpectrumSource source_;
  TOrvanePlot* plot_ = nullptr;
  std::optional<TSpectrumPlotOptions> ownOptions_;
};

}  // namespace orvanix
