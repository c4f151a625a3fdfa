// TCoreViewSource: what the spectrogram, time-series, 3-D surface and phase views read, over
// the analyzer core: the core's spectra and block buffers (no copies), the open document,
// the selection, and the frame's commands for the items of their pop-up menus.
#pragma once

#include <QPointer>
#include <QWidget>

#include "app/core/AnalyzerCore.h"
#include "app/gui/CoreSpectrumSource.h"
#include "views/ViewPlot.h"
#include "views/ViewSource.h"

namespace orvanix {

class TCoreViewSource : public TViewSource {
 public:
  // `owner` is the view window (its frame runs the commands); `optionsCommand` opens the
  // view's options dialog.
  TCoreViewSource(TAnalyzerCore& core, QWidget* owner, int32_t optionsCommand);

  // The command number behind a pop-up item.
  static int32_t CommandOf(PlotAction action);
  // The document may have changed: cached summaries are rebuilt.
  void DocumentTouched() { ++revision_; }

  const TSpectralData* Primary() const override { return spectra_.Primary(); }
  const TSpectralData* Secondary() const override { return spectra_.Secondary(); }
  std::string PrimaryLabel() const override { return spectra_.PrimaryLabel(); }
  std::string SecondaryLabel() const override { return spectra_.SecondaryLabel(); }
  const ProcessingSettings& Processing() const override { return spectra_.Processing(); }
  const ScalingSettings& Scaling() const override { return spectra_.Scaling(); }
  bool PostProcessing() const override { return spectra_.PostProcessing(); }

  const TSeriesData* BlockSeries(int channel) const override;
  TWaveData* SeriesDocument() const override;
  bool ComputedSeries(TSeriesView& series) const override;
  uint64_t DocumentRevision() const override { return revision_; }
  double PositionSecs() const override;
  bool Calibrated() const override;
  std::string ChannelName(int channel) const override;
  void Selection(double& startSecs, double& endSecs) const override;
  void SetSelection(double startSecs, double endSecs) override;
  void ClickedAtTime(double timeSecs) override;
  bool CommandEnabled(int32_t action) const override;
  void RunCommand(int32_t action) override;
  void ShowProperties() override;
  void ShowHelp() override;

 private:
  bool FrameCommandEnabled(int32_t command) const;
  void RunFrameCommand(int32_t command);

  TAnalyzerCore& core_;
  TCoreSpectrumSource spectra_;
  QPointer<QWidget> owner_;
  int32_t optionsCommand_;
  uint64_t revision_ = 1;
};

}  // namespace orvanix
