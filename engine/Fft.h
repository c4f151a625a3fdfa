// In-place single-precision transforms.
#pragma once

#include <cstdint>

namespace orvanix {

// n complex points interleaved (re, im), n a power of two up to 2^20: 2n floats.
// direction 1: forward, X(k) = sum x(j) e^(-2 pi i jk/n). direction -1: inverse, kernel
// e^(+2 pi i jk/n), result divided by n. Bins come out in natural order.
// Returns false, leaving the data untouched, for a null array, a size that is not a power
// of two or above 2^20, or a direction other than 1 and -1.
bool ComplexFft(float* data, uint32_t n, int direction);

// Forward transform in place of n real samples (n a power of two, 2 ... 2^21; the program
// uses 32 ... 2^20). Result: twice the discrete Fourier transform X(k) = sum x(j) e^(-2 pi i jk/n),
// data[0] = 2*X(0), data[1] = 2*X(n/2) (both real), data[2k], data[2k+1] = 2*Re, 2*Im of
// X(k) for k = 1 .. n/2 - 1.
// The inverse (direction -1) takes that layout, factor 2 included, and returns the samples:
// a forward transform followed by an inverse one is the identity (within float rounding).
// Returns false, leaving the data untouched, for a null array, an unsupported size or a
// direction other than 1 and -1.
// Twiddle tables are built on the first call of each size (a few bytes per point, kept for
// the life of the process), and up to 8192 points a second array of n floats per thread
// serves the bit reversal; if one cannot be allocated the transform still runs, slower.
bool RealFft(float* data, uint32_t n, int direction);

// The forward RealFft followed by bin k's real and imaginary parts times binScale[k], for
// k = 0 .. n/2 - 1 (bin 0's DC and Nyquist terms both times binScale[0]), in one pass
// over the spectrum. The same numbers as RealFft and then the multiplications.
bool RealFftScaled(float* data, uint32_t n, const float* binScale);

// The vector code the fast transforms run on. Every kernel gives bit-identical results;
// the best one the processor offers is chosen at the first transform (AVX2, SSE2, the
// compiler's portable vectors, which are NEON on ARM64, and plain scalar code). Tests and
// benchmarks choose others to compare them.
enum class FftKernel { kScalar, kPortable, kSse2, kAvx2 };
// Whether this build and this processor can run a kernel.
bool FftKernelAvailable(FftKernel kernel);
// Makes a kernel the one every later transform runs; false (nothing changes) when it is
// not available. Not for use while another thread transforms.
bool SelectFftKernel(FftKernel kernel);
FftKernel ActiveFftKernel();
// Whether the active kernel is the AVX2 one: a cheap test for code that picks its own AVX2
// loops along with the transform's (engine/WideLoops.h).
bool Avx2KernelActive();
const char* FftKernelName(FftKernel kernel);  // "scalar", "portable", "sse2", "avx2"

// A small transform object of a fixed size. Sizes 32 ... 65536 (powers of two) are
// accepted; any other size becomes 512 with the error flag set.
class TFft {
 public:
  static constexpr uint32_t kMinSize = 32;
  static constexpr uint32_t kMaxSize = 65536;
  static constexpr uint32_t kFallbackSize = 512;

  explicit TFft(uint32_t size);
  bool Error() const { return error_; }
  uint32_t Size() const { return size_; }
  // Both run the forward real transform (RealFft) over `Size()` floats; an object with the
  // error flag set leaves the data untouched, since the caller's array was not sized for it.
  void Forward(float* data) const;
  void RealForward(float* data) const;

 private:
  bool error_ = false;
  uint32_t size_ = 512;
};

}  // namespace orvanix
