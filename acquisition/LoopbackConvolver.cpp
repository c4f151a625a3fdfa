#include "acquisition/LoopbackConvolver.h"

#include <algorithm>

#include "engine/Fft.h"

namespace orvanix {

namespace {

constexpr uint32_t kBlock = TLoopbackConvolver::kBlock;
constexpr uint32_t kSize = 2 * kBlock;  // transform length: a block pair

// acc += a × b in RealFft's packed layout (bins 0 and n/2 real in [0] and [1]).
void MultiplyAdd(const float* a, const float* b, float* acc) {
  acc[0] += a[0] * b[0];
  acc[1] += a[1] * b[1];
  for (uint32_t i = 2; i < kSize; i += 2) {
    acc[i] += a[i] * b[i] - a[i + 1] * b[i + 1];
    acc[i + 1] += a[i] * b[i + 1] + a[i + 1] * b[i];
  }
}

}  // namespace

void TLoopbackConvolver::SetResponse(const std::vector<float>& taps) {
  headReversed_.clear();
  tail_.clear();
  spectra_.clear();
  if (taps.empty()) return;
  const uint32_t length = static_cast<uint32_t>(std::min<size_t>(taps.size(), kMaxTaps));
  // The head reversed, and only up to its last tap that is not zero: a pure delay of d
  // samples costs d multiplications a sample, not kBlock.
  headReversed_.assign(kBlock, 0.0);
  headLength_ = 1;
  for (uint32_t k = 0; k < std::min(length, kBlock); ++k) {
    headReversed_[kBlock - 1 - k] = taps[k];
    if (taps[k] != 0.0f) headLength_ = k + 1;
  }
  // Partition p (p >= 1) holds taps p·kBlock ... (p + 1)·kBlock - 1, zero-padded to a pair.
  // Both transforms carry a factor 2 and the inverse takes one: the halving leaves 1.
  for (uint32_t start = kBlock; start < length; start += kBlock) {
    std::vector<float> part(kSize, 0.0f);
    const uint32_t count = std::min(kBlock, length - start);
    for (uint32_t i = 0; i < count; ++i) part[i] = 0.5f * taps[start + i];
    RealFft(part.data(), kSize, 1);
    tail_.push_back(std::move(part));
  }
  spectra_.assign(tail_.size(), std::vector<float>(kSize, 0.0f));
  history_.assign(2 * kBlock, 0.0);
  previous_.assign(kBlock, 0.0f);
  current_.assign(kBlock, 0.0f);
  tailOut_.assign(kBlock, 0.0f);
  work_.assign(kSize, 0.0f);
  Reset();
}

void TLoopbackConvolver::Reset() {
  std::fill(history_.begin(), history_.end(), 0.0);
  historyPos_ = 0;
  for (auto& spectrum : spectra_) std::fill(spectrum.begin(), spectrum.end(), 0.0f);
  spectrumPos_ = 0;
  std::fill(previous_.begin(), previous_.end(), 0.0f);
  std::fill(current_.begin(), current_.end(), 0.0f);
  std::fill(tailOut_.begin(), tailOut_.end(), 0.0f);
  fill_ = 0;
}

void TLoopbackConvolver::Process(double* samples, uint32_t count) {
  if (!Active()) return;
  const double* taps = headReversed_.data() + (kBlock - headLength_);
  for (uint32_t n = 0; n < count; ++n) {
    const double x = samples[n];
    // The history is kept twice over, so that the last kBlock inputs always lie in one run
    // ending at historyPos_ + kBlock, newest last; the reversed taps meet them in order.
    history_[historyPos_] = x;
    history_[historyPos_ + kBlock] = x;
    const double* run = history_.data() + historyPos_ + kBlock + 1 - headLength_;
    double sums[4] = {0, 0, 0, 0};
    uint32_t k = 0;
    for (; k + 4 <= headLength_; k += 4) {
      sums[0] += taps[k] * run[k];
      sums[1] += taps[k + 1] * run[k + 1];
      sums[2] += taps[k + 2] * run[k + 2];
      sums[3] += taps[k + 3] * run[k + 3];
    }
    for (; k < headLength_; ++k) sums[0] += taps[k] * run[k];
    historyPos_ = historyPos_ + 1 == kBlock ? 0 : historyPos_ + 1;
    current_[fill_] = static_cast<float>(x);
    samples[n] = tailOut_[fill_] + ((sums[0] + sums[1]) + (sums[2] + sums[3]));
    if (++fill_ == kBlock) FinishBlock();
  }
}

// A block of input is complete: its pair spectrum joins the ring, and the tail's output for
// the next block is formed from partition p times the pair that ended p - 1 blocks ago.
void TLoopbackConvolver::FinishBlock() {
  fill_ = 0;
  if (tail_.empty()) return;
  const uint32_t parts = static_cast<uint32_t>(tail_.size());
  spectrumPos_ = spectrumPos_ == 0 ? parts - 1 : spectrumPos_ - 1;
  std::vector<float>& newest = spectra_[spectrumPos_];
  std::copy(previous_.begin(), previous_.end(), newest.begin());
  std::copy(current_.begin(), current_.end(), newest.begin() + kBlock);
  RealFft(newest.data(), kSize, 1);
  std::swap(previous_, current_);

  std::fill(work_.begin(), work_.end(), 0.0f);
  for (uint32_t p = 0; p < parts; ++p) {
    MultiplyAdd(tail_[p].data(), spectra_[(spectrumPos_ + p) % parts].data(), work_.data());
  }
  RealFft(work_.data(), kSize, -1);
  // Overlap-save: the second half is the linear convolution's part for the next block.
  std::copy(work_.begin() + kBlock, work_.end(), tailOut_.begin());
}

}  // namespace orvanix
