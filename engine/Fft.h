// In-place single-precision transforms.
#pragma once

#include <cstdint>

namespace orvanix {

// n complex points interleaved (re, im), n a power of two up to 2^20.
// direction 1: forward, kernel e^(-i theta). direction -1: inverse, kernel e^(+i theta),
// result divided by n.
void ComplexFft(float* data, uint32_t n, int direction);

// Forward transform in place of n real samples (n a power of two, 32 ... 2^20).
// Result: data[0] = 2*DC, data[1] = 2*Nyquist, data[2k], data[2k+1] = 2*Re, 2*Im of bin k.
// The inverse (direction -1) takes that layout, factor 2 included, and returns the samples.
void RealFft(float* data, uint32_t n, int direction);

// A small transform object of a fixed size. Sizes 32 ... 65536 (powers of two) are
// accepted; any other size becomes 512 with the error flag set.
class TFft {
 public:
  explicit TFft(uint32_t size);
  bool Error() const { return error_; }
  uint32_t Size() const { return size_; }
  // Both run the forward real transform over `size` floats.
  void Forward(float* data) const;
  void RealForward(float* data) const;

 private:
  bool error_ = false;
  uint32_t size_ = 512;
};

}  // namespace orvanix
