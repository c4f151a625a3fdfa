// Construction, the block, averaging and the two-channel results of TSpectralData.
#include "engine/SpectralData.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "engine/Decibels.h"
#include "engine/Fft.h"
#include "engine/Messages.h"
#include "engine/Smoothing.h"
#include "engine/SpectrumTexts.h"
#include "engine/WideLoops.h"

namespace orvanix {

namespace {

// The peak search starts above bin 4: the lowest bins hold DC and the window's leakage of it.
constexpr uint32_t kFirstPeakBin = 5;

inline float SquaredMagnitude(float re, float im) {
  return re * re + im * im;
}

// The ratios of a complex transfer function and of coherence for bins [0, n), with whether
// each is defined: loops without branches, run through RunWide (engine/WideLoops.h).
[[gnu::always_inline]] inline void TransferRatios(const float* __restrict d,
                                                  const float* __restrict c,
                                                  double* __restrict value,
                                                  uint8_t* __restrict defined, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    const double divisor = d[i];
    const double re = c[2 * i] / divisor, im = c[2 * i + 1] / divisor;
    value[i] = re * re + im * im;
    defined[i] = divisor > 0.0;
  }
}

[[gnu::always_inline]] inline void CoherenceRatios(const float* __restrict px,
                                                   const float* __restrict py,
                                                   const float* __restrict c,
                                                   double* __restrict value,
                                                   uint8_t* __restrict defined, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    const double d = double{px[i]} * py[i];
    const double re = c[2 * i], im = c[2 * i + 1];
    value[i] = (re * re + im * im) / d;
    defined[i] = d != 0.0;
  }
}

}  // namespace

TSpectralData::TSpectralData(const ProcessingSettings& settings, const ScalingSettings& scaling,
                             int channel)
    : channel_(channel) {
  WaveFormat format = settings.format;
  format.Normalise();
  // In double: max - min of a 4-byte format does not fit in 32 bits.
  fullScale_ = static_cast<float>((static_cast<double>(format.maxValue) - format.minValue) * 0.5);
  if (!IsValidFftSize(settings.fftSize) || settings.decimationRatio == 0 ||
      settings.decimationRatio > kMaxDecimationRatio) {
    error_ = true;
    return;
  }
  fftSize_ = static_cast<uint32_t>(settings.fftSize);
  bins_ = fftSize_ / 2;

  // A correction factor that is not a positive number would make every frequency meaningless.
  const float correction = settings.rateCorrection > 0.f && std::isfinite(settings.rateCorrection)
                               ? settings.rateCorrection
                               : 1.f;
  grid_.bins = bins_;
  grid_.nyquist = static_cast<float>(format.sampleRate) * correction * 0.5f /
                  static_cast<float>(settings.decimationRatio);
  grid_.binWidth = grid_.nyquist / static_cast<float>(bins_);
  lowLimit_ = grid_.BinFrequency(2);
  highLimit_ = grid_.nyquist * 0.99f;

  calibration_ = ClearedCalibration();
  calibrationFactor_ = 1.f;

  if (!SetAveraging(settings.averageBlocks > 0 ? static_cast<uint32_t>(settings.averageBlocks) : 1,
                    settings.averageType)) {
    return;
  }
  windowType_ = settings.smoothingWindow;
  peakHold_ = settings.peakHold != 0;

  ampScale_ = scaling.ampScale == 0 ? 0 : 1;
  freqScale_ = scaling.freqScale <= 2 ? scaling.freqScale : 0;
  octaveNumber_ = scaling.EffectiveOctaveNumber();
  octave_ = freqScale_ == 2;
  density_ = scaling.spectralDensity != 0;
  densityType_ = scaling.spectralDensityType == 1 ? 1 : 0;
  weightingType_ = scaling.weighting <= 3 ? scaling.weighting : 0;
  if (channel_ == 0 || channel_ == 1) {
    LoadMicrophoneCurve(channel_ == 0 ? scaling.micFileLeft : scaling.micFileRight,
                        scaling.micCompensation != 0);
    if (error_) return;
  }
  if (!BuildWeightingCurve(weightingType_, weighting_)) return;
  // Density per hertz: the amplitude is divided by sqrt(bin width). Bands already integrate
  // over their width, so a fractional-octave axis keeps plain power.
  densityDivisor_ = density_ && !octave_ ? std::sqrt(grid_.binWidth) : 1.f;

  if (!Allocate(block_, fftSize_, 0.f) || !Allocate(complex_, 2 * size_t{bins_}, 0.f) ||
      !Allocate(power_, bins_, 0.f) || !Allocate(scale_, bins_, 1.f)) {
    return;
  }
  if (channel_ == kDualChannel && !Allocate(running_, bins_, 0.f)) return;
  if (octave_) {
    if (!bands_.Build(octaveNumber_, grid_)) {
      ReportMemory();
      return;
    }
    bandsPending_ = false;
    if (!Allocate(bandValues_, bands_.Count(), kNoDb)) return;
    peakBand_ = bands_.FirstValidBand();
  }
  peakBin_ = std::min(kFirstPeakBin, bins_ - 1);
  ComputeScaleFactors();
}

void TSpectralData::ReportMemory() {
  error_ = true;
  Messages().Report(kInsufficientMemory, "", MessageIcon::Error);
}

bool TSpectralData::Allocate(std::vector<float>& array, size_t size, float value) {
  try {
    array.assign(size, value);
  } catch (const std::bad_alloc&) {
    ReportMemory();
    return false;
  }
  return true;
}

bool TSpectralData::AllocateRing() {
  const uint64_t floats = uint64_t{blocks_} * 3 * bins_;
  bool ok = floats * sizeof(float) <= kMaxLinearRingBytes;
  if (ok) {
    try {
      ringPower_.assign(size_t{blocks_} * bins_, 0.f);
      ringComplex_.assign(size_t{blocks_} * 2 * bins_, 0.f);
      ringSums_.assign(6 * size_t{bins_}, 0.0);
    } catch (const std::bad_alloc&) {
      ok = false;
    }
  }
  if (!ok) {
    std::vector<float>().swap(ringPower_);
    std::vector<float>().swap(ringComplex_);
    std::vector<double>().swap(ringSums_);
    error_ = true;
    Messages().Report(kLinearAveragingMemory, kErrorCaption, MessageIcon::Error);
    return false;
  }
  ring_ = true;
  return true;
}

bool TSpectralData::SetAveraging(uint32_t blocks, uint32_t type) {
  blocks_ = std::clamp<uint32_t>(blocks, 1, kInfiniteAverages);
  averageType_ = type <= kAverageVector ? type : uint32_t{kAverageExponential};
  ringIndex_ = 0;
  ring_ = false;
  if (averageType_ == kAverageLinear && blocks_ <= kMaxLinearRingBlocks) return AllocateRing();
  std::vector<float>().swap(ringPower_);
  std::vector<float>().swap(ringComplex_);
  std::vector<double>().swap(ringSums_);
  return true;
}

void TSpectralData::Reset() {
  if (error_) return;
  std::fill(block_.begin(), block_.end(), 0.f);
  std::fill(complex_.begin(), complex_.end(), 0.f);
  std::fill(power_.begin(), power_.end(), 0.f);
  std::fill(running_.begin(), running_.end(), 0.f);
  std::fill(ringPower_.begin(), ringPower_.end(), 0.f);
  std::fill(ringComplex_.begin(), ringComplex_.end(), 0.f);
  std::fill(ringSums_.begin(), ringSums_.end(), 0.0);
  std::fill(bandValues_.begin(), bandValues_.end(), kNoDb);
  bandsPending_ = false;
  count_ = 0;
  ringIndex_ = 0;
  inverseValid_ = false;
  peakBin_ = std::min(kFirstPeakBin, bins_ - 1);
  peakStale_ = false;
  peakBand_ = FirstValidBand();
}

void TSpectralData::LoadLineValues(const float* values, uint32_t count) {
  if (error_ || IsRatio()) return;
  Reset();
  const uint32_t lines = std::min(count, bins_);
  for (uint32_t i = 0; i < lines; ++i) {
    // The inverse of the linear reading: percent of full scale without calibration, the
    // power itself for a density in units squared per hertz.
    float v = std::isfinite(values[i]) ? std::max(values[i], 0.f) : 0.f;
    if (!Calibrated() && !coherence_) v /= 100.f;
    const float p = density_ && densityType_ == 0 ? v : v * v;
    power_[i] = p;
    complex_[2 * i] = std::sqrt(p);
  }
  count_ = 1;
  TrackPeakBin();
  UpdateBands(false, false);
}

void TSpectralData::SetBlockSample(uint32_t i, float value) {
  if (!error_ && i < fftSize_) block_[i] = value;
}

void TSpectralData::Transform() {
  if (error_) return;
  inverseValid_ = false;
  // The scaling rides on the transform's last pass over the bins.
  RealFftScaled(block_.data(), fftSize_, scale_.data());
}

// ---- two-channel results ---------------------------------------------------------------------

void TSpectralData::CrossSpectrum(const TSpectralData& x, const TSpectralData& y) {
  if (error_ || x.error_ || y.error_ || x.fftSize_ != fftSize_ || y.fftSize_ != fftSize_) return;
  crossSpectrum_ = true;
  const float* a = x.block_.data();
  const float* b = y.block_.data();
  float* z = block_.data();
  // size_t indices: with 32-bit ones the compiler cannot prove 2i + 1 never wraps and
  // leaves the loop scalar.
  for (size_t i = 0; i < bins_; ++i) {
    const float xr = a[2 * i], xi = a[2 * i + 1];
    const float yr = b[2 * i], yi = b[2 * i + 1];
    z[2 * i] = yr * xr + yi * xi;
    z[2 * i + 1] = yi * xr - yr * xi;
  }
}

void TSpectralData::AverageOfChannels(const TSpectralData& x, const TSpectralData& y) {
  if (error_ || x.error_ || y.error_ || x.fftSize_ != fftSize_ || y.fftSize_ != fftSize_) return;
  const float* a = x.block_.data();
  const float* b = y.block_.data();
  float* z = block_.data();
  for (uint32_t i = 0; i < bins_; ++i) {
    const float xr = a[2 * i], xi = a[2 * i + 1];
    const float yr = b[2 * i], yi = b[2 * i + 1];
    const float magnitude = std::sqrt((SquaredMagnitude(xr, xi) + SquaredMagnitude(yr, yi)) * 0.5f);
    const float phase = (std::atan2(xi, xr) + std::atan2(yi, yr)) * 0.5f;
    z[2 * i] = magnitude * std::cos(phase);
    z[2 * i + 1] = magnitude * std::sin(phase);
  }
}

void TSpectralData::StoreRatio(uint32_t i, float value, bool hold) {
  if (hold && !(value > power_[i])) return;
  power_[i] = value;
}

void TSpectralData::RealTransfer(const TSpectralData& numerator, const TSpectralData& denominator) {
  if (error_ || numerator.error_ || denominator.error_ || numerator.bins_ != bins_ ||
      denominator.bins_ != bins_) {
    return;
  }
  realTransfer_ = true;
  for (uint32_t i = 0; i + 1 < bins_; ++i) {
    const float d = denominator.power_[i];
    if (d > 0.f) StoreRatio(i, numerator.power_[i] / d, false);
  }
  TrackPeakBin();
  if (octave_) UpdateBands(true, false);
}

// The ratios of ComplexTransfer and Coherence, bin by bin: value[i] where defined[i], else
// the last defined value before it (0 before the first), stored with peak hold when `hold`.
// The ratios themselves are computed by the callers in loops free of branches, which the
// compiler turns into vector code; only this pass is sequential.
void TSpectralData::StoreRatios(const double* value, const uint8_t* defined, bool hold) {
  double previous = 0.0;
  for (uint32_t i = 0; i + 1 < bins_; ++i) {
    if (defined[i]) previous = value[i];
    StoreRatio(i, static_cast<float>(previous), hold);
  }
}

bool TSpectralData::RatioScratch() {
  if (ratioValue_.size() == bins_) return true;
  try {
    ratioValue_.assign(bins_, 0.0);
    ratioDefined_.assign(bins_, 0);
  } catch (const std::bad_alloc&) {
    ReportMemory();
    return false;
  }
  return true;
}

void TSpectralData::ComplexTransfer(const TSpectralData& reference) {
  if (error_ || reference.error_ || reference.bins_ != bins_ || !RatioScratch()) return;
  // Peak hold compares like with like: only once this object already holds a transfer
  // function (the first call replaces the cross-spectrum magnitudes left by Average).
  const bool held = complexTransfer_ && peakHold_;
  complexTransfer_ = true;
  RunWide<TransferRatios>(reference.power_.data(), complex_.data(), ratioValue_.data(),
                          ratioDefined_.data(), size_t{bins_ > 0 ? bins_ - 1 : 0});
  StoreRatios(ratioValue_.data(), ratioDefined_.data(), held && !octave_);
  TrackPeakBin();
  if (octave_) UpdateBands(true, held);
}

void TSpectralData::Coherence(const TSpectralData& x, const TSpectralData& y) {
  if (error_ || x.error_ || y.error_ || x.bins_ != bins_ || y.bins_ != bins_ || !RatioScratch()) {
    return;
  }
  const bool held = coherence_ && peakHold_;
  coherence_ = true;
  RunWide<CoherenceRatios>(x.power_.data(), y.power_.data(), complex_.data(), ratioValue_.data(),
                           ratioDefined_.data(), size_t{bins_ > 0 ? bins_ - 1 : 0});
  StoreRatios(ratioValue_.data(), ratioDefined_.data(), held && !octave_);
  TrackPeakBin();
  if (octave_) UpdateBands(true, held);
}

// ---- impulse response ------------------------------------------------------------------------

bool TSpectralData::Inverse() {
  if (error_) return false;
  if (inverse_.size() != fftSize_) {
    try {
      inverse_.assign(fftSize_, 0.f);
    } catch (const std::bad_alloc&) {
      Messages().Report(kInsufficientMemory, "", MessageIcon::Error);
      return false;
    }
  }
  float* h = inverse_.data();
  for (uint32_t i = 0; i < bins_; ++i) {
    const float p = power_[i];
    const float magnitude = p > 0.f ? std::sqrt(p) : p;
    const float re = complex_[2 * i], im = complex_[2 * i + 1];
    const float phase = (re == 0.f && im == 0.f) ? 0.f : std::atan2(im, re);
    h[2 * i] = magnitude * std::cos(phase);
    h[2 * i + 1] = magnitude * std::sin(phase);
  }
  RealFft(h, fftSize_, -1);
  // Undoes the normalisation of Transform for a flat scale factor.
  for (uint32_t i = 0; i < bins_; ++i) {
    if (scale_[i] != 0.f) {
      h[2 * i] /= scale_[i];
      h[2 * i + 1] /= scale_[i];
    }
  }
  inverseValid_ = true;
  return true;
}

float TSpectralData::InverseSample(uint32_t i) const {
  return inverseValid_ && i < inverse_.size() ? inverse_[i] : 0.f;
}

}  // namespace orvanix
