// The Loopback device's impulse response on one channel: a room, a cable with an echo or a
// pure delay of a few samples, applied to what travels from the output to the input.
//
// Zero latency, so that a response of one tap at sample d delays by exactly d samples: the
// first kBlock taps are applied sample by sample, the rest in blocks of kBlock through the
// transform (uniformly partitioned overlap-save), each block's part of the tail being ready
// once the block before it has arrived. A 2 s response at 48 kHz costs about 50 M
// floating-point operations a second. Runs on the Loopback's thread; everything is allocated
// by SetResponse on the main thread, while the thread is stopped.
#pragma once

#include <cstdint>
#include <vector>

namespace orvanix {

class TLoopbackConvolver {
 public:
  static constexpr uint32_t kBlock = 512;
  // About 22 s at 48 kHz; longer responses are cut there.
  static constexpr uint32_t kMaxTaps = 1u << 20;

  // The taps in full-scale units (1.0 passes a sample unchanged). An empty response turns the
  // convolver off. Resets the history.
  void SetResponse(const std::vector<float>& taps);
  bool Active() const { return !headReversed_.empty(); }
  // Silence in the history, as at the input's start.
  void Reset();
  // Replaces each of `count` samples by the response's output, in place.
  void Process(double* samples, uint32_t count);

 private:
  void FinishBlock();

  std::vector<double> headReversed_;  // taps kBlock - 1 ... 0
  uint32_t headLength_ = 0;           // taps 0 ... headLength_ - 1 are applied sample by sample
  std::vector<double> history_;       // the last kBlock inputs, a ring written twice over
  uint32_t historyPos_ = 0;
  std::vector<std::vector<float>> tail_;     // spectra of the later partitions, halved
  std::vector<std::vector<float>> spectra_;  // spectra of recent input block pairs, ring
  uint32_t spectrumPos_ = 0;
  std::vector<float> previous_, current_;  // the last complete input block, the one filling
  std::vector<float> tailOut_;             // the tail's output for the block now filling
  std::vector<float> work_;
  uint32_t fill_ = 0;
};

}  // namespace orvanix
