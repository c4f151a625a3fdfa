// What the analyzer computed and the views show in place of the run loop's own results: a
// time series made by an operation (the impulse response of the displayed spectrum, the
// envelope or backward integral of a stretch of the recording), and the slices of the
// spectrogram and 3-D surface that a rebuild from a stretch of the recording (or an external
// program's data link) hands the views one by one.
//
// Plain data, no Qt: the core owns the series; windows read it when told
// (TAnalyzerObserver::ComputedSeriesChanged) and keep no copy.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvanix {

class TSpectralData;

struct TComputedSeries {
  // What made it: an operation on a series already shown recomputes it in place only when
  // it knows the kind.
  enum class Kind { InverseFft, Envelope, Schroeder, External };
  Kind kind = Kind::External;
  int channels = 1;        // 1 or 2 (left, right)
  double rateHz = 1.0;     // samples per second
  double startSecs = 0.0;  // time of sample 0 on the time axis
  // Raw sample values as in the recording's format: a sample reads (raw - zeroValue) x
  // scale[channel] (calibration ratio / full scale, as TSeriesData::ScaleFactor).
  int32_t zeroValue = 0;
  int32_t maxValue = 32767;
  int32_t minValue = -32768;
  float scale[2] = {1.f, 1.f};
  std::vector<int32_t> samples[2];

  size_t Count() const { return samples[0].size(); }
  double DurationSecs() const { return rateHz > 0 ? static_cast<double>(Count()) / rateHz : 0.0; }
  // (raw - zero) x scale: a fraction of full scale, or the calibrated unit.
  double Value(int channel, size_t index) const {
    const std::vector<int32_t>& s = samples[channel == 1 && channels == 2 ? 1 : 0];
    return index < s.size() ? (static_cast<double>(s[index]) - zeroValue) * scale[channel & 1]
                            : 0.0;
  }
  // A value clamped to the format's range and truncated, as a raw sample.
  int32_t Raw(double countsFromZero) const;
};

// Where the slices of the spectrogram and 3-D surface come from outside the run loop: the
// recording (the segment analyses) or an external program's data link. The core hands a
// slice view's redisplay and a click in it to the link while one is set
// (TAnalyzerCore::SetLinkedData), else to the recording's source; a click in the spectrum
// view goes to the link alone.
class TSliceSource {
 public:
  virtual ~TSliceSource() = default;
  // Computes the slices of a slice view (windowKind: spectrogram or surface) again over its
  // own time range, after its range, frequency span or scaling changed.
  virtual void RedisplaySlices(int32_t windowKind) = 0;
  // The spectrum and time series at `timeSecs`, clicked in a slice view.
  virtual void ShowAtTime(int32_t windowKind, double timeSecs) = 0;
  // `frequencyHz` was clicked in the spectrum view (where the click put the measurement
  // cursor). Only a source that draws something per frequency has an answer.
  virtual void ShowAtFrequency(double frequencyHz) { (void)frequencyHz; }
};

}  // namespace orvanix
