// TSpectralData: one averaged spectrum. It windows nothing itself (the caller applies the
// engine's TSmoothing to BlockData), transforms a block, scales every bin, folds it into
// exponential, linear or vector averages (with peak hold), combines two channels into cross
// spectra, transfer functions and coherence, and answers the views and utilities.
//
// Sizes: N = FftSize() samples per block (a power of two, 32 ... 2^20), B = N / 2 bins.
// Bin i lies at i x BinWidth() Hz. After Transform the block holds B complex bins
// interleaved (re, im); bin 0 carries the DC term in its real slot and the Nyquist term in
// its imaginary slot. Inside the engine a full-scale sine on a bin centre has power 1.0.
// Stored averages: power (squared magnitude; magnitude for cross spectra) and complex
// (re, im); dB values are derived from the power when read. On a fractional-octave axis one
// dB value per band as well. The last bin (B - 1) is never averaged and stays at its reset value.
//
// Everything runs on the main thread; the per-block operations (SetBlockSample ... Average
// and the dual-channel results) allocate nothing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/Calibration.h"
#include "engine/FrequencyGrid.h"
#include "engine/OctaveBands.h"
#include "engine/ProcessingSettings.h"

namespace orvanix {

// Channel argument of a spectrum that combines both channels.
inline constexpr int kDualChannel = -1;
// Largest linear-averaging ring accepted, in bytes (power and complex arrays together);
// a larger request is treated as an allocation failure instead of exhausting memory.
inline constexpr uint64_t kMaxLinearRingBytes = uint64_t{1} << 30;
// Ring limit: linear averaging with more blocks runs in the recursive (exponential) form.
inline constexpr uint32_t kMaxLinearRingBlocks = 1000;
// Degrees per radian, as the phase display uses it.
inline constexpr double kDegreesPerRadian = 57.2957795056;

// A value with the frequency (Hz) and index (bin or band) it was found at.
struct SpectrumPoint {
  uint32_t index = 0;
  float frequency = 0.f;
  float value = 0.f;
};

class TSpectralData {
 public:
  // channel 0 left, 1 right, kDualChannel for a two-channel result. Builds every array from
  // the settings; on an invalid FFT size or decimation, or a failed allocation, the error flag
  // is set (allocation failures are reported) and the owner discards the object.
  TSpectralData(const ProcessingSettings& settings, const ScalingSettings& scaling, int channel);
  TSpectralData(const TSpectralData&) = delete;
  TSpectralData& operator=(const TSpectralData&) = delete;

  bool Error() const { return error_; }
  int Channel() const { return channel_; }

  // ---- the block and its averaging -------------------------------------------------------
  // The block: N samples for the caller to fill (nullptr after an error).
  float* BlockData() { return error_ ? nullptr : block_.data(); }
  const float* BlockData() const { return error_ ? nullptr : block_.data(); }
  void SetBlockSample(uint32_t i, float value);  // i < N, else ignored
  // Forward real transform of the block, then bin i's real and imaginary parts times the
  // scale factor of bin i. Invalidates the last Inverse result.
  void Transform();
  // Folds the transformed block into the averages; on a fractional-octave axis then updates
  // the band values, as sums or, with `bandMean`, as means (used for ratio results).
  void Average(bool bandMean = false);
  // Blocks K (1 ... 1000, 1,000,000 "Infinite"; 0 taken as 1) and averaging type (0
  // exponential, 1 linear, 2 vector; others exponential). Empties the ring and allocates it
  // for linear averaging with K <= 1000; the count is kept. False (error flag set, message
  // reported) when the ring cannot be allocated.
  bool SetAveraging(uint32_t blocks, uint32_t type);
  // Zeroes block, averages, ring and count; dB and band values to kNoDb.
  void Reset();
  // Peak hold from the settings; the engine turns it off for spectra that only serve as the
  // denominators of a ratio result (the hold then applies to the result).
  void SetPeakHold(bool on);
  // Replaces the averages by a spectrum made elsewhere (a data link's lines): bin i then
  // reads values[i] on a linear amplitude axis (negative values as 0, bins beyond `count` as
  // 0), with phase 0; it counts as one averaged block. Nothing for a ratio result.
  void LoadLineValues(const float* values, uint32_t count);
  bool PeakHold() const { return peakHold_; }

  // ---- two-channel results (x, y: spectra of the same size) -------------------------------
  // block <- y x conj(x) per bin of the transformed blocks; marks this a cross spectrum
  // (power averages hold magnitudes).
  void CrossSpectrum(const TSpectralData& x, const TSpectralData& y);
  // block <- magnitude sqrt((|x|^2 + |y|^2) / 2) at phase (arg x + arg y) / 2 per bin.
  void AverageOfChannels(const TSpectralData& x, const TSpectralData& y);
  // power <- numerator power / denominator power where the denominator is > 0 (elsewhere
  // the old value stays); no peak hold. The averaged cross spectrum supplies the phase.
  void RealTransfer(const TSpectralData& numerator, const TSpectralData& denominator);
  // H = averaged complex / reference power; power <- |H|^2 (bin below where the reference
  // power is 0). With the cross spectrum x conj(y) and y the reference this is x / y.
  void ComplexTransfer(const TSpectralData& reference);
  // power <- |averaged complex|^2 / (x power x y power): the squared coherence, 0 ... 1
  // (bin below where the denominator is 0).
  void Coherence(const TSpectralData& x, const TSpectralData& y);

  // ---- frequencies -----------------------------------------------------------------------
  uint32_t BinCount() const { return bins_; }
  uint32_t FftSize() const { return fftSize_; }
  float Nyquist() const { return grid_.nyquist; }    // Hz, with decimation and rate correction
  float BinWidth() const { return grid_.binWidth; }  // Hz
  float BinFrequency(uint32_t i) const { return grid_.BinFrequency(i); }  // Nyquist for i >= B
  uint32_t FrequencyBin(float f) const { return grid_.FrequencyBin(f); }  // nearest bin
  float LowLimit() const { return lowLimit_; }                            // bin 2's frequency
  float HighLimit() const { return highLimit_; }                          // 0.99 x Nyquist
  const FrequencyGrid& Grid() const { return grid_; }

  // ---- displayed values --------------------------------------------------------------------
  // Entries Value() knows: B bins, or the bands on a fractional-octave axis.
  uint32_t ValueCount() const;
  // The displayed value of bin (or band) i: percent of full scale (linear, uncalibrated),
  // calibrated units (linear), dB re full scale or dB of the unit with its offset
  // (logarithmic), spectral density, ratio results, coherence always 0 ... 1. 0 out of range.
  float Value(uint32_t i) const;
  // Phase of the averaged complex bin in degrees (-180 ... 180); 0 for an all-zero bin; on a
  // fractional-octave axis the bin at the band's centre.
  float Phase(uint32_t i) const;
  // The largest averaged bin above bin 4 (the largest band on a fractional-octave axis).
  uint32_t PeakBin() const { return octave_ ? PeakBand() : NarrowPeakBin(); }
  float PeakFrequency() const;
  // Largest Value over indices from ... to (inclusive, clamped to ValueCount() - 1).
  float MaxValue(uint32_t from, uint32_t to) const;
  // Smallest Value over indices max(from, 3) ... to (inclusive, clamped), with its index and
  // frequency (band centre on a fractional-octave axis).
  SpectrumPoint MinValue(uint32_t from, uint32_t to) const;
  // The (n+1)-th largest peak in a range, n = 0 ... 10 (other n: false, `peak` untouched).
  // Linear axes: bins max(from, 5) ... min(to, B - 6) that exceed the five bins on either
  // side; none gives bin 0. Fractional-octave axis: bands max(from, first valid) ...
  // min(to, band count) - 1, largest band value above kNoDb.
  bool Peaks(uint32_t from, uint32_t to, uint32_t n, SpectrumPoint& peak) const;
  // Total power of an index range. weighting -1: as displayed; 0 flat, 1 A, 2 B, 3 C
  // (curves built on first use). Result in dB or as the square root of the power sum.
  float BandPower(uint32_t from, uint32_t to, int weighting, bool inDb) const;

  // Impulse response of the averaged spectrum into the inverse buffer (allocated on the
  // first call only). False when it cannot be allocated.
  bool Inverse();
  float InverseSample(uint32_t i) const;  // 0 beyond N or without a current result
  // Blocks averaged so far (saturating at K), for the status bar's "Avg:".
  uint32_t AverageCount() const { return count_; }
  uint32_t AveragingBlocks() const { return blocks_; }
  uint32_t AveragingType() const { return averageType_; }

  // ---- stored averages (bin i < B) -----------------------------------------------------------
  float AveragePower(uint32_t i) const { return i < bins_ ? power_[i] : 0.f; }
  // All B averaged powers at once, for scans over many bins; nullptr after an error.
  const float* AveragePowers() const { return error_ ? nullptr : power_.data(); }
  float AverageReal(uint32_t i) const { return i < bins_ ? complex_[2 * i] : 0.f; }
  float AverageImag(uint32_t i) const { return i < bins_ ? complex_[2 * i + 1] : 0.f; }
  float BandValue(uint32_t band) const;  // dB; kNoDb out of range
  float ScaleFactor(uint32_t i) const { return i < bins_ ? scale_[i] : 0.f; }

  // ---- octave bands (fractional-octave axis only; 0 otherwise) --------------------------------
  uint32_t BandCount() const { return octave_ ? bands_.Count() : 0; }
  float BandCentre(uint32_t i) const;  // nominal centre, Hz
  float BandLower(uint32_t i) const;   // Hz
  float BandUpper(uint32_t i) const;   // Hz
  uint32_t FirstValidBand() const { return octave_ ? bands_.FirstValidBand() : 0; }
  uint32_t LastBand() const { return octave_ ? bands_.LastBand() : 0; }
  uint32_t BandOfFrequency(float f) const { return octave_ ? bands_.BandOfFrequency(f) : 0; }
  const TOctaveBands& Bands() const { return bands_; }

  // ---- scaling and calibration ----------------------------------------------------------------
  // Recomputes the B scale factors from calibration, label type, spectral density,
  // weighting, microphone curve and integration.
  void ComputeScaleFactors();
  // Builds the microphone curve from a .mic file when `enabled` and the path is not empty,
  // else drops it; a file that cannot be used is reported and leaves no compensation.
  void LoadMicrophoneCurve(const std::string& path, bool enabled);
  // Builds the A (1), B (2) or C (3) curve (B amplitude factors) into `target`; any other
  // type empties it. False (error flag set, message reported) on allocation failure.
  bool BuildWeightingCurve(int type, std::vector<float>& target);
  // Applies a calibration record for this spectrum's channel (0 left, 1 right,
  // kDualChannel): factor = the channel's ratio times the conversion constant, 1 for a dual
  // spectrum. nullptr or a disabled record: no calibration (the cleared record, factor 1).
  void SetCalibration(const TCalibration* record, int channel);
  const TCalibration& Calibration() const { return calibration_; }
  float CalibrationFactor() const { return calibrationFactor_; }
  bool Calibrated() const { return calibration_.enabled != 0; }

  // ---- result kinds ----------------------------------------------------------------------------
  bool IsCrossSpectrum() const { return crossSpectrum_; }
  bool IsRealTransfer() const { return realTransfer_; }
  bool IsComplexTransfer() const { return complexTransfer_; }
  bool IsCoherence() const { return coherence_; }
  // Transfer functions and coherence: shown without calibration offsets.
  bool IsRatio() const { return realTransfer_ || complexTransfer_ || coherence_; }

  uint16_t WindowType() const { return windowType_; }     // the smoothing window's type
  bool SpectralDensity() const { return density_; }       // values per hertz
  uint32_t AmplitudeScale() const { return ampScale_; }   // 0 linear, 1 logarithmic
  uint32_t FrequencyScale() const { return freqScale_; }  // 0 lin, 1 log, 2 fractional octave
  uint32_t OctaveNumber() const { return octaveNumber_; }
  float FullScale() const { return fullScale_; }

 private:
  bool Allocate(std::vector<float>& array, size_t size, float value);
  bool AllocateRing();
  void ReportMemory();
  // Band values from the narrowband power; `hold` keeps a larger stored value. Without peak
  // hold the values depend on the latest power alone: they are computed when next read
  // (a display reads them once per repaint, while several results update them per block).
  void UpdateBands(bool mean, bool hold);
  void ComputeBands(bool mean, bool hold) const;
  // Band values and peak band, computed first when an update is pending.
  const std::vector<float>& FreshBandValues() const;
  uint32_t PeakBand() const;
  // The averages changed: the peak bin is searched again when it is next asked for.
  void TrackPeakBin() { peakStale_ = true; }
  uint32_t NarrowPeakBin() const;
  void AverageRing(float* running, bool hold);
  // Stores a ratio result for bin i, with peak hold once a result of the same kind is held.
  void StoreRatio(uint32_t i, float value, bool hold);
  void StoreRatios(const double* value, const uint8_t* defined, bool hold);
  bool RatioScratch();
  float DisplayDbOffset() const;
  float LinearFromDb(float v) const;
  const std::vector<float>* StandardCurve(int weighting) const;

  bool error_ = false;
  int channel_ = 0;

  std::vector<float> block_;    // N
  std::vector<float> complex_;  // 2B
  std::vector<float> power_;    // B
  std::vector<float> running_;  // B, two-channel spectra: the power average behind a ratio
  TOctaveBands bands_;          // fractional-octave axis only
  mutable std::vector<float> bandValues_;  // per band, dB
  mutable bool bandsPending_ = false;      // bandValues_ is older than the power
  bool bandsMean_ = true;                  // the pending update's `mean`
  std::vector<float> weighting_;           // B or empty
  std::vector<float> microphone_;          // B or empty
  std::vector<float> inverse_;             // N or empty
  bool inverseValid_ = false;
  std::vector<float> scale_;                      // B
  mutable std::vector<float> standardCurves_[3];  // A, B, C for band power, on first use
  std::vector<float> ringPower_;                  // K x B, linear averaging with K <= 1000
  std::vector<float> ringComplex_;                // K x 2B
  // Running sums of the ring's slots, each an unevaluated pair hi + lo of doubles: power
  // hi (B), power lo (B), complex hi (2B), complex lo (2B).
  std::vector<double> ringSums_;
  std::vector<double> ratioValue_;     // B, scratch of ComplexTransfer and Coherence
  std::vector<uint8_t> ratioDefined_;  // B

  uint32_t averageType_ = kAverageExponential;
  uint32_t blocks_ = 1;
  uint32_t count_ = 0;
  uint32_t ringIndex_ = 0;
  bool ring_ = false;

  uint32_t fftSize_ = 0;
  float fullScale_ = 1.f;
  uint32_t bins_ = 0;
  FrequencyGrid grid_;
  float lowLimit_ = 0.f;
  float highLimit_ = 0.f;

  uint32_t ampScale_ = 1;
  uint32_t freqScale_ = 1;
  uint32_t octaveNumber_ = 3;
  bool octave_ = false;
  uint16_t windowType_ = 4;
  float densityDivisor_ = 1.f;
  bool density_ = false;
  uint32_t densityType_ = 0;
  uint16_t weightingType_ = 0;

  float calibrationFactor_ = 1.f;
  TCalibration calibration_;

  mutable uint32_t peakBin_ = 0;
  mutable bool peakStale_ = false;  // peakBin_ is older than the averages
  mutable uint32_t peakBand_ = 0;
  bool peakHold_ = false;
  bool realTransfer_ = false;
  bool complexTransfer_ = false;
  bool crossSpectrum_ = false;
  bool coherence_ = false;
};

}  // namespace orvanix
