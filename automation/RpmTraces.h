// The spectra an order-tracking test delivers, kept as RPM traces: one table per channel of
// up to kMaxRpmTraces entries, the search for the trace nearest an RPM, and the RPM track of
// one spectral line across the traces. Standard C++ only.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "automation/LinkText.h"

namespace orvanix {

struct TRpmTrace {
  double rpm = 0;
  std::vector<float> amplitudes;  // one per spectral line
};

class TRpmTraces {
 public:
  // Empties both tables (the trace count becomes 0).
  void Clear();
  // Stores a channel's spectrum (0 or 1) as the trace at the current count; false, and
  // nothing kept, once kMaxRpmTraces are stored.
  bool Store(int channel, double rpm, std::vector<float> amplitudes);
  // A set of spectra is complete: the count grows by one, up to kMaxRpmTraces.
  void Complete();
  size_t Count() const { return count_; }
  // Trace `index` of a channel; nullptr beyond the count.
  const TRpmTrace* Trace(int channel, size_t index) const;
  // The stored trace whose RPM differs least from `rpm` (the first wins a tie); nothing
  // when none is stored or `rpm` is not a number.
  std::optional<size_t> Nearest(double rpm) const;

 private:
  std::array<std::vector<TRpmTrace>, 2> tables_;
  size_t count_ = 0;
};

// The RPM track of one spectral line: one sample per RPM step, so that a time series at
// 1000 / increment samples per second reads RPM on its millisecond axis.
struct TRpmTrack {
  uint32_t sampleRateHz = 0;  // integer part of 1000 / increment
  // Per channel: 1000 x the line's amplitude in trace t at sample t + integer part of
  // (start / increment) (negative amplitudes as 0, beyond the 3-byte range clipped); silence
  // elsewhere. Length: integer part of 1.25 x the last trace's RPM / increment, at most
  // kMaxRpmTrackSamples.
  std::array<std::vector<int32_t>, 2> samples;
  int channels = 1;
};
inline constexpr size_t kMaxRpmTrackSamples = size_t{1} << 22;
// A stored value of 1000 x amplitude reads back as the amplitude.
inline constexpr double kRpmTrackScale = 1000.0;

// False when there is nothing to draw: no trace, an increment that is not positive, or a
// sample rate below 1 Hz.
bool BuildRpmTrack(const TRpmTraces& traces, const TRpmSweep& sweep, uint32_t line, int channels,
                   TRpmTrack& track);

}  // namespace orvanix
