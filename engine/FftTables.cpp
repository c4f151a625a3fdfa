#include "engine/FftTables.h"

#include <atomic>
#include <cmath>
#include <cstddef>
#include <mutex>
#include <new>

namespace orvanix::fft_detail {

namespace {

constexpr double kTwoPi = 6.283185307179586476925286766559;

// Angles are reduced to whole turns before the sine and cosine, and everything runs in
// double, so each float in a table is the correctly rounded value (or within one ulp).
void FillRadixFour(float* table, unsigned log2Span, size_t width) {
  const size_t span = size_t{1} << log2Span;
  const size_t quarter = span / 4;
  for (size_t k = 0; k < quarter; ++k) {
    float* group = table + (k / width) * 6 * width + (k % width);
    for (size_t m = 1; m <= 3; ++m) {
      const double angle = kTwoPi * static_cast<double>((m * k) % span) / static_cast<double>(span);
      group[(m - 1) * 2 * width] = static_cast<float>(std::cos(angle));
      group[(m - 1) * 2 * width + width] = static_cast<float>(std::sin(angle));
    }
  }
}

void FillSplit(float* table, unsigned log2N) {
  const size_t n = size_t{1} << log2N;
  const size_t count = n / 4 + 1;
  for (size_t k = 0; k < count; ++k) {
    const double angle = kTwoPi * static_cast<double>(k) / static_cast<double>(n);
    table[k] = static_cast<float>(std::cos(angle));
    table[count + k] = static_cast<float>(std::sin(angle));
  }
}

std::mutex g_buildMutex;
// Published tables are never freed: they stay valid for every later lookup.
std::atomic<const float*> g_radixFour[2][kMaxComplexLog2 + 1];  // widths 4 and 8
std::atomic<const float*> g_split[kMaxRealLog2 + 1];

template <typename Fill>
const float* Lookup(std::atomic<const float*>& slot, size_t count, unsigned log2, Fill fill) {
  const float* table = slot.load(std::memory_order_acquire);
  if (table != nullptr) return table;
  std::lock_guard<std::mutex> lock(g_buildMutex);
  table = slot.load(std::memory_order_relaxed);
  if (table != nullptr) return table;
  float* fresh = new (std::nothrow) float[count];
  if (fresh == nullptr) return nullptr;
  fill(fresh, log2);
  slot.store(fresh, std::memory_order_release);
  return fresh;
}

size_t RadixFourTwiddleCount(unsigned log2Span) {
  return (size_t{1} << log2Span) / 4 * 6;
}

size_t SplitTwiddleCount(unsigned log2N) {
  return 2 * ((size_t{1} << log2N) / 4 + 1);
}

}  // namespace

const float* RadixFourTwiddles(unsigned log2Span, size_t width) {
  if (log2Span < 4 || log2Span > kMaxComplexLog2 || (width != 4 && width != 8)) return nullptr;
  if ((size_t{1} << log2Span) / 4 < width) return nullptr;
  return Lookup(g_radixFour[width == 8][log2Span], RadixFourTwiddleCount(log2Span), log2Span,
                [width](float* table, unsigned log2) { FillRadixFour(table, log2, width); });
}

const float* SplitTwiddles(unsigned log2N) {
  if (log2N < 2 || log2N > kMaxRealLog2) return nullptr;
  return Lookup(g_split[log2N], SplitTwiddleCount(log2N), log2N, FillSplit);
}

}  // namespace orvanix::fft_detail
