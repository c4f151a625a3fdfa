// TCoreSpectrumSource: the spectrum view's provider over the analyzer core. It hands the
// view the core's own spectra (no copies) for the channel-processing mode in force, and
// their labels: the calibration record's channel names when calibration is on.
#pragma once

#include "app/core/AnalyzerCore.h"
#include "views/SpectrumSource.h"

namespace orvanix {

class TCoreSpectrumSource : public TSpectrumSource {
 public:
  // `core` must outlive the source.
  explicit TCoreSpectrumSource(const TAnalyzerCore& core) : core_(core) {}

  const TSpectralData* Primary() const override;
  const TSpectralData* Secondary() const override;
  std::string PrimaryLabel() const override;
  std::string SecondaryLabel() const override;
  const ProcessingSettings& Processing() const override;
  const ScalingSettings& Scaling() const override;
  bool PostProcessing() const override;

 private:
  TShownSpectra Shown() const;
  const TCalibration* ActiveCalibration() const;

  const TAnalyzerCore& core_;
};

}  // namespace orvanix
