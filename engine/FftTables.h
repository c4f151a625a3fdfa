// Twiddle tables of the fast transforms, built once per size and kept for the life of the
// process. Lookups after the first are lock-free; the first build of a size runs under a
// mutex so two threads never build or publish the same table twice.
// Internal to engine/Fft.cpp.
#pragma once

#include <cstddef>

namespace orvanix::fft_detail {

// Largest table sizes: complex transforms up to 2^20 points, real ones up to 2^21.
inline constexpr unsigned kMaxComplexLog2 = 20;
inline constexpr unsigned kMaxRealLog2 = 21;

// Twiddles of one radix-4 pass of span f = 2^log2Span points (4 <= log2Span <= 20), laid
// out for vectors of `width` lanes (4 or 8, with f/4 >= width). With q = f/4 and
// k = 0 .. q-1 taken `width` at a time, each group of k holds 6 x width floats:
// cos(a), sin(a), cos(2a), sin(2a), cos(3a), sin(3a) for a = 2*pi*k/f, `width` lanes each.
// Returns nullptr for another width or when the table cannot be allocated.
const float* RadixFourTwiddles(unsigned log2Span, size_t width);

// Twiddles of the real-transform split step of n = 2^log2N real points (2 <= log2N <= 21):
// cos(2*pi*k/n) for k = 0 .. n/4, then sin(2*pi*k/n) for the same k (2 * (n/4 + 1) floats).
// Returns nullptr when the table cannot be allocated.
const float* SplitTwiddles(unsigned log2N);

}  // namespace orvanix::fft_detail
