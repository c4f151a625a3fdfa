// Shared by the tests of the spectrogram, time-series, 3-D surface and phase views: a view
// source over real engine objects (fed with tones), with an optional document and a
// selection of its own.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ViewTestHelpers.h"
#include "files/WaveData.h"
#include "views/ViewSource.h"

namespace orvanix::test {

class TFakeViewSource : public TViewSource {
 public:
  TFakeViewSource(const ProcessingSettings& processing, const ScalingSettings& scaling)
      : spectra_(processing, scaling) {}
  bool Ok() const { return spectra_.Ok(); }
  TFakeSource& Spectra() { return spectra_; }
  void Feed(const std::vector<Tone>& tones, int blocks, double noise = 1e-4,
            double rightGain = 1.0) {
    spectra_.Feed(tones, blocks, noise, rightGain);
  }

  const TSpectralData* Primary() const override { return spectra_.Primary(); }
  const TSpectralData* Secondary() const override { return spectra_.Secondary(); }
  std::string PrimaryLabel() const override { return spectra_.PrimaryLabel(); }
  std::string SecondaryLabel() const override { return spectra_.SecondaryLabel(); }
  const ProcessingSettings& Processing() const override { return spectra_.Processing(); }
  const ScalingSettings& Scaling() const override { return spectra_.Scaling(); }
  bool PostProcessing() const override { return false; }

  const TSeriesData* BlockSeries(int channel) const override;
  TWaveData* SeriesDocument() const override { return document.get(); }
  bool ComputedSeries(TSeriesView& series) const override {
    if (!computed) return false;
    series = *computed;
    return true;
  }
  uint64_t DocumentRevision() const override { return revision; }
  double PositionSecs() const override { return position; }
  bool Calibrated() const override { return false; }
  void Selection(double& a, double& b) const override {
    a = selectionStart;
    b = selectionEnd;
  }
  void SetSelection(double a, double b) override {
    selectionStart = a;
    selectionEnd = b;
  }
  bool CommandEnabled(int32_t action) const override { return action == enabledAction; }
  void RunCommand(int32_t action) override { ran.push_back(action); }

  std::unique_ptr<TWaveData> document;
  std::optional<TSeriesView> computed;
  uint64_t revision = 1;
  double position = 0.0;
  double selectionStart = 0.0, selectionEnd = 0.0;
  int32_t enabledAction = -1;
  std::vector<int32_t> ran;

 private:
  TFakeSource spectra_;
};

// A document of `frames` frames at `rate` holding `value(frame, channel)` (fraction of full
// scale), 16-bit unless `bytes` says otherwise.
std::unique_ptr<TWaveData> MakeDocument(uint32_t rate, uint16_t channels, uint32_t frames,
                                        double (*value)(uint32_t frame, uint16_t channel,
                                                        uint32_t rate),
                                        uint16_t bytes = 2);

}  // namespace orvanix::test
