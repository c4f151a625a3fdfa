// The delay between the left and the right input channel, by cross-correlation of a pair of
// blocks of its own (the right block starting half a block after the left one, so that no
// delay sits at lag 0 of the search). A positive delay means the left channel arrives late:
// delaying the right channel by it (DelayChannel 1) lines the two up.
//
// Beyond the reading, each update says whether it can be trusted: a silent channel, two
// channels without a clear common peak (uncorrelated signals, or a pure tone whose delay is
// ambiguous by whole periods), and a delay outside the searched range (its peak stands
// outside, higher than anything inside) give no delay, so nothing wrong is ever applied.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "files/SettingsRecords.h"  // TDelayFinderOptions: units 0 ms, 1 ft, 2 m; ft/s; ms

namespace orvanix {

// The block length N for the largest delay: c = maxDelayMsec × rate / 1000 samples gives
// 4096 below 2048, 8192 below 4028, 16384 below 8192, 32768 below 16384, else 65536, doubled
// (up to kMaxDelayBlock) while the search, 3N/8 each way, would not reach c.
inline constexpr uint32_t kMaxDelayBlock = 1u << 20;
uint32_t DelayBlockLength(int32_t maxDelayMsec, uint32_t rateHz);

// "%6.3f msec", "%6.3f ft" or "%6.3f m" for a delay in milliseconds.
std::string DelayText(double delayMsec, const TDelayFinderOptions& options);
// The delay in the display unit of the options (ms, ft or m), as DelayText shows it.
double DelayInUnits(double delayMsec, const TDelayFinderOptions& options);

enum class DelayStatus {
  Waiting,        // no update yet
  Found,          // DelayMsec() holds the delay
  SilentLeft,     // the left block carries no signal
  SilentRight,    // the right block carries no signal
  NotCorrelated,  // no peak stands out of the correlation
  BeyondRange,    // the peak lies beyond the searched delays
};
// The words the window shows for a status other than Found (empty for Found).
std::string DelayStatusText(DelayStatus status, double searchedMsec);

class TDelayFinder {
 public:
  // A finder for blocks of DelayBlockLength(maxDelayMsec, rateHz). Error() when its memory
  // cannot be had.
  TDelayFinder(int32_t maxDelayMsec, uint32_t rateHz);
  bool Error() const { return error_; }
  uint32_t BlockLength() const { return n_; }
  // Frames an update needs: N + N/2 ending at the newest frame.
  uint32_t FramesNeeded() const { return n_ + n_ / 2; }
  // Largest delay searched, each way: 3N/8 samples.
  double SearchedMsec() const;

  // One update: `left` is channel 0 from the newest frame - N - N/2 on, `right` channel 1
  // from the newest frame - N on, N values each in full-scale units (1.0 the largest
  // sample). Returns the new status; the delay stays at the last one found otherwise.
  DelayStatus Update(const double* left, const double* right);
  DelayStatus Status() const { return status_; }
  // The last delay found, in milliseconds and samples (0 before the first).
  double DelayMsec() const { return delayMsec_; }
  int32_t DelaySamples() const { return delaySamples_; }

 private:
  bool error_ = false;
  uint32_t n_ = 4096;
  uint32_t rateHz_ = 44100;
  // The blocks zero-padded to 2N, then their spectra, then the correlation (in a_).
  std::unique_ptr<float[]> a_, b_;
  DelayStatus status_ = DelayStatus::Waiting;
  double delayMsec_ = 0;
  int32_t delaySamples_ = 0;
};

}  // namespace orvanix
