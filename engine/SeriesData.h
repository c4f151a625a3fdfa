// TSeriesData: one channel's block of raw integer samples, with the decimation low-pass
// filter, the 0 ... 10 peak level for overload detection and the trigger search.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "engine/WaveFormat.h"

namespace orvanix {

// Taps of the decimation low-pass filter; a filtered buffer holds this many extra samples
// so that the last decimated output still has a full filter run-out behind it.
inline constexpr uint32_t kDecimationTaps = 39;
// Largest capacity in samples a block buffer accepts (2^28: far above the largest
// configuration, N x D + trigger history, yet small enough that the byte size can never wrap).
inline constexpr uint32_t kMaxSeriesSamples = 1u << 28;
// Decimated outputs filtered together from one decoded stretch of samples.
inline constexpr uint32_t kDecimationGroup = 16;

enum TriggerType : uint16_t { kTriggerLevel = 0, kTriggerEdge = 1 };
enum TriggerSlope : uint16_t { kSlopePositive = 0, kSlopeNegative = 1 };

// Extremes or half-wave RMS values of a sample range (see TSeriesData::MinMax).
struct SampleExtremes {
  float low = 0.f;   // most negative sample, or minus the negative half-wave RMS
  float high = 0.f;  // most positive sample, or the positive half-wave RMS
};

class TSeriesData {
 public:
  // A buffer of `samples` samples of one channel of `format` (only bytes per sample, max,
  // min and zero value matter), filled with the format's zero value. When `decimation` > 1
  // and `lowPass` is set, kDecimationTaps samples are added for the filter's run-out and
  // the filter is designed. A decimation of 0 is taken as 1. On an allocation failure, a
  // capacity above kMaxSeriesSamples or a decimation above 50 the error flag is set and
  // every operation does nothing.
  TSeriesData(uint32_t samples, const WaveFormat& format, uint32_t decimation, bool lowPass);

  bool Error() const { return error_; }
  const WaveFormat& Format() const { return format_; }
  uint32_t Decimation() const { return decimation_; }
  bool Filtered() const { return filtered_; }
  // Scale factor of GetSample(i, true): calibration ratio / full scale.
  float ScaleFactor() const { return scaleFactor_; }

  // Scaled samples read in units of the calibration: ratio is the peak value of a
  // full-scale signal (1.0 without calibration; exactly 0 is taken as 1).
  void SetCalibrationRatio(float ratio);

  // Capacity in samples (including the filter run-out).
  uint32_t Count() const { return capacity_; }
  // Samples of the block after Decimate: (capacity - run-out) / D.
  uint32_t DecimatedCount() const;

  // Raw integer access; indices at or beyond Count() are ignored (GetRaw: zero value).
  void PutSample(uint32_t index, int32_t raw);
  int32_t GetRaw(uint32_t index) const;
  // (raw - zero) as a float, times the scale factor when `scaled`; 0 beyond Count().
  float GetSample(uint32_t index, bool scaled) const;
  // GetSample for `count` samples from `from` into `destination`; samples beyond Count()
  // read as 0. The bulk form the processing step copies blocks with; with a `window` (count
  // values) each sample is also multiplied by its value.
  void GetSamples(uint32_t from, uint32_t count, float* destination, bool scaled,
                  const float* window = nullptr) const;
  // Address of sample `index` (bytes per sample bytes each, little-endian), for block
  // copies; nullptr at or beyond Count(). Count() - index samples may be written there.
  uint8_t* SampleAddress(uint32_t index);
  const uint8_t* SampleAddress(uint32_t index) const;

  // Low-pass filters (when enabled) and keeps every D-th sample, in place; the first
  // DecimatedCount() samples are then the decimated block. Nothing happens for D = 1.
  void Decimate();
  // Peak level of the first DecimatedCount() samples on a 0 ... 10 logarithmic scale; 10
  // (overload) when the peak is within one count of full scale.
  int PeakLevel() const;
  // Over samples from ... to - 1 (clamped to Count()), relative to the zero value and
  // times the scale factor when `scaled`:
  //  rms false: the most negative and most positive sample (0 when the range is empty);
  //  rms true:  high = sqrt(mean of x^2 over the samples above zero), low = minus the same
  //             over the samples below zero (each 0 when there are none): a sine of
  //             amplitude A gives +-A/sqrt(2).
  SampleExtremes MinMax(uint32_t from, uint32_t to, bool rms, bool scaled) const;
  // Writes the zero value to samples from ... to - 1 (clamped to Count()).
  void Clear(uint32_t from, uint32_t to);

  // Trigger search over raw samples: the first index m with from <= m < from + length
  // (and m < Count(); an edge also needs m + 1 < Count()) where, with the threshold
  // t = thresholdPercent x (max - zero) / 100 measured from the zero value,
  //   level, positive:  sample[m] >= zero + t      level, negative:  sample[m] <= zero - t
  //   edge, positive:   sample[m+1] - sample[m] >= t
  //   edge, negative:   sample[m] - sample[m+1] >= t
  // Stores m in `index` and returns true; false when no sample qualifies.
  bool FindTrigger(uint32_t from, uint32_t length, uint16_t type, uint16_t slope,
                   float thresholdPercent, uint32_t& index) const;

  // The filter coefficients h[0 ... 38] (all 0 when the buffer is not filtered).
  const std::array<float, kDecimationTaps>& Coefficients() const { return coefficients_; }

 private:
  void DesignFilter();
  void FilterGroup(uint32_t first, uint32_t count);

  bool error_ = false;
  WaveFormat format_;
  uint32_t capacity_ = 0;
  uint32_t bytes_ = 2;
  std::vector<uint8_t> memory_;
  int32_t zero_ = 0;
  float scaleFactor_ = 1.f;
  uint32_t decimation_ = 1;
  bool filtered_ = false;
  std::array<float, kDecimationTaps> coefficients_{};
};

}  // namespace orvanix
