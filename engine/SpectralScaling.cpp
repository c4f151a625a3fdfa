// Scale factors, calibration, weighting and microphone curves, and the displayed value of
// a TSpectralData.
#include <algorithm>
#include <cmath>
#include <new>

#include "engine/Decibels.h"
#include "engine/Messages.h"
#include "engine/MicrophoneCurve.h"
#include "engine/SpectralData.h"
#include "engine/Weighting.h"

namespace orvanix {

namespace {

constexpr float kRmsOfPeak = 0.7071067811865f;
constexpr float kTwoPi = 6.283185308f;
// Bins at or below this frequency (DC) are not integrated: there is nothing to divide by.
constexpr float kLowestIntegratedHz = 0.0001f;

}  // namespace

void TSpectralData::ComputeScaleFactors() {
  if (scale_.size() != bins_ || bins_ == 0) return;
  // With the transform's factor 2, a full-scale sine on a bin centre gets magnitude 1.0.
  float e = calibrationFactor_ / (static_cast<float>(fftSize_) * fullScale_) / densityDivisor_;
  if (calibration_.labelType == kRefRms) {
    e *= kRmsOfPeak;
  } else if (calibration_.labelType == kRefPeakToPeak) {
    e *= 2.f;
  }
  const int32_t integration = calibration_.integrationType;
  for (uint32_t i = 0; i < bins_; ++i) {
    float v = e;
    if (!weighting_.empty()) v *= weighting_[i];
    if (!microphone_.empty()) v /= microphone_[i];
    if (integration == 1 || integration == 2) {
      const float f = grid_.BinFrequency(i);
      if (f > kLowestIntegratedHz) {
        const float w = kTwoPi * f;
        v /= integration == 1 ? w : w * w;
      }
    }
    scale_[i] = v;
  }
}

void TSpectralData::LoadMicrophoneCurve(const std::string& path, bool enabled) {
  std::vector<float>().swap(microphone_);
  if (enabled && !path.empty()) {
    std::vector<CurvePoint> points;
    if (LoadMicrophoneFile(path, points)) {
      try {
        microphone_.assign(bins_, 1.f);
        CurveOntoBins(points, grid_, microphone_.data());
      } catch (const std::bad_alloc&) {
        std::vector<float>().swap(microphone_);
        ReportMemory();
      }
    }
  }
  ComputeScaleFactors();
}

bool TSpectralData::BuildWeightingCurve(int type, std::vector<float>& target) {
  if (type < kWeightA || type > kWeightC) {
    std::vector<float>().swap(target);
  } else {
    try {
      target.assign(bins_, 1.f);
    } catch (const std::bad_alloc&) {
      std::vector<float>().swap(target);
      ReportMemory();
      return false;
    }
    CurveOntoBins(WeightingTable(type), grid_, target.data());
  }
  if (&target == &weighting_) ComputeScaleFactors();
  return true;
}

void TSpectralData::SetCalibration(const TCalibration* record, int channel) {
  if (record == nullptr || record->enabled == 0) {
    calibration_ = ClearedCalibration();
    calibrationFactor_ = 1.f;
  } else {
    calibration_ = *record;
    if (channel == 0 || channel == 1) {
      float ratio = channel == 0 ? record->calRatioLeft : record->calRatioRight;
      // A ratio that is not a positive number (a damaged file) would zero or negate every
      // value; it reads as uncalibrated instead.
      if (!(ratio > 0.f) || !std::isfinite(ratio)) ratio = 1.f;
      calibrationFactor_ = ratio * ConversionConstant(record->conversionType);
    } else {
      calibrationFactor_ = 1.f;
    }
  }
  ComputeScaleFactors();
}

float TSpectralData::DisplayDbOffset() const {
  return Calibrated() && !IsRatio() ? UnitDbOffset(calibration_.refUnits) : 0.f;
}

float TSpectralData::LinearFromDb(float v) const {
  const float linear = static_cast<float>(FromDbAmplitude(v));
  if (!Calibrated() || IsRatio()) return Calibrated() || coherence_ ? linear : linear * 100.f;
  // Calibrated: the offset added before turns back into the unit's own linear measure.
  switch (calibration_.refUnits) {
    case kUnitSplAir:
    case kUnitPascalsAir:
      return linear * 20e-6f;
    case kUnitSplWater:
    case kUnitPascalsWater:
      return linear * 1e-6f;
    case kUnitPsi:
      return linear * 2.9e-9f;
    case kUnitDbu:
      return linear * 0.775f;
    default:
      return linear;
  }
}

uint32_t TSpectralData::ValueCount() const {
  return octave_ ? bands_.Count() : bins_;
}

float TSpectralData::Value(uint32_t i) const {
  if (error_) return 0.f;
  if (octave_) {
    const std::vector<float>& bandValues = FreshBandValues();
    if (i >= bandValues.size()) return 0.f;
    float v = bandValues[i];
    if (v != kNoDb) v += DisplayDbOffset();
    if (ampScale_ == 1 && !coherence_) return v;
    return LinearFromDb(v);
  }
  if (i >= bins_) return 0.f;
  const float p = power_[i];
  if (ampScale_ == 0) {
    float v = density_ && densityType_ == 0 ? p : (p > 0.f ? std::sqrt(p) : 0.f);
    if (!Calibrated() && !coherence_) v *= 100.f;
    return v;
  }
  // Coherence reads on its 0 ... 1 scale whatever the amplitude axis.
  if (coherence_) return p > 0.f ? std::sqrt(p) : 0.f;
  float v;
  if (density_) {
    v = densityType_ == 1 ? AmplitudeToDb(p > 0.f ? std::sqrt(p) : 0.f) : ToDb(p);
  } else {
    // Derived when read rather than kept per bin: a display reads a few thousand values
    // per repaint, while the averaging pass would take a logarithm per bin per block.
    v = ToDb(p);
  }
  // kNoDb marks "no value" and stays so; an offset would turn it into a level.
  if (v != kNoDb) v += DisplayDbOffset();
  return v;
}

float TSpectralData::Phase(uint32_t i) const {
  if (error_) return 0.f;
  uint32_t bin = i;
  if (octave_) {
    if (i >= bands_.Count()) return 0.f;
    bin = grid_.FrequencyBin(bands_.Band(i).centre);
  }
  if (bin >= bins_) return 0.f;
  const float re = complex_[2 * bin], im = complex_[2 * bin + 1];
  if (re == 0.f && im == 0.f) return 0.f;
  return static_cast<float>(std::atan2(double{im}, double{re}) * kDegreesPerRadian);
}

float TSpectralData::PeakFrequency() const {
  return octave_ ? BandCentre(PeakBand()) : grid_.BinFrequency(NarrowPeakBin());
}

}  // namespace orvanix
