#include "app/gui/CoreSpectrumSource.h"

#include "engine/ProcessingStep.h"
#include "engine/SpectrumTexts.h"
#include "files/SettingsRecords.h"

namespace orvanix {

TShownSpectra TCoreSpectrumSource::Shown() const {
  const TEngineObjects& e = core_.Engine();
  return SpectraForMode(EffectiveMode(e.settings), e.left.get(), e.right.get(), e.dual.get(),
                        e.dual2.get());
}

const TCalibration* TCoreSpectrumSource::ActiveCalibration() const {
  const TCalibration& record = core_.Calibration();
  return record.enabled ? &record : nullptr;
}

const TSpectralData* TCoreSpectrumSource::Primary() const {
  return Shown().primary;
}

const TSpectralData* TCoreSpectrumSource::Secondary() const {
  return Shown().secondary;
}

std::string TCoreSpectrumSource::PrimaryLabel() const {
  return TraceLabelsFor(EffectiveMode(core_.Engine().settings), ActiveCalibration()).primary;
}

std::string TCoreSpectrumSource::SecondaryLabel() const {
  return TraceLabelsFor(EffectiveMode(core_.Engine().settings), ActiveCalibration()).secondary;
}

const ProcessingSettings& TCoreSpectrumSource::Processing() const {
  return core_.Engine().settings;
}

const ScalingSettings& TCoreSpectrumSource::Scaling() const {
  return core_.Engine().scaling;
}

bool TCoreSpectrumSource::PostProcessing() const {
  return core_.Mode() == kModePostProcessing;
}

}  // namespace orvanix
