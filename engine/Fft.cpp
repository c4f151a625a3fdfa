#include "engine/Fft.h"

#include <atomic>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

#include "engine/FftKernelOps.h"
#include "engine/FftTables.h"

namespace orvanix {

namespace {

// ---------------------------------------------------------------------------------------
// The plain algorithm: radix-2 decimation in frequency with twiddles by rotation in double
// precision, then a bit-reversal swap loop. It needs no memory besides the data, so it
// serves the sizes below the fast kernels' smallest block and the case where a twiddle
// table could not be allocated.

void PlainComplexFft(float* data, uint32_t n, bool inverse) {
  uint32_t stages = 0;
  for (uint32_t m = 1; m < n; m *= 2) ++stages;
  if (inverse) {
    const float scale = 1.0f / static_cast<float>(n);
    for (size_t i = 0; i < size_t{2} * n; ++i) data[i] *= scale;
  }
  const double theta = 6.283185307179586 / n;
  double c = std::cos(theta);
  double s = std::sin(theta);
  uint32_t span = n;
  for (uint32_t stage = 0; stage < stages; ++stage) {
    const uint32_t half = span / 2;
    for (uint32_t l = 0; l < n; l += span) {
      float* a = data + size_t{2} * l;
      float* b = data + size_t{2} * (l + half);
      const float ar = a[0], ai = a[1];
      a[0] = ar + b[0];
      a[1] = ai + b[1];
      b[0] = ar - b[0];
      b[1] = ai - b[1];
    }
    double wr = 1.0, wi = 0.0;
    for (uint32_t k = 1; k < half; ++k) {
      const double t = wr * c - wi * s;
      wi = wi * c + wr * s;
      wr = t;
      const double si = inverse ? wi : -wi;
      for (uint32_t l = k; l < n; l += span) {
        float* a = data + size_t{2} * l;
        float* b = data + size_t{2} * (l + half);
        const double dr = a[0] - b[0], di = a[1] - b[1];
        a[0] += b[0];
        a[1] += b[1];
        b[0] = static_cast<float>(dr * wr - di * si);
        b[1] = static_cast<float>(dr * si + di * wr);
      }
    }
    const double s2 = 2.0 * s * c;
    c = 1.0 - 2.0 * s * s;
    s = s2;
    span = half;
  }
  uint32_t l = 0;
  for (uint32_t j = 0; j + 1 < n; ++j) {
    if (j < l) {
      std::swap(data[size_t{2} * j], data[size_t{2} * l]);
      std::swap(data[size_t{2} * j + 1], data[size_t{2} * l + 1]);
    }
    uint32_t k = n / 2;
    while (k >= 1 && k <= l) {
      l -= k;
      k /= 2;
    }
    l += k;
  }
}

// Separates the two real sequences packed as one complex one (or packs them back for the
// inverse), with the sine recurrence in double.
void PlainSplit(float* data, uint32_t n, bool inverse) {
  const double c = std::sin(6.283185307179586 / n);
  const double d = std::sqrt(1.0 - c * c);
  const float gain = inverse ? 1.0f : 2.0f;
  const float e = data[0], f = data[1];
  data[1] = gain * (e - f);
  data[0] = gain * (e + f);
  double h = 1.0, s = 0.0;
  for (uint32_t i = 2; i <= n / 2; i += 2) {
    const uint32_t j = n - i;
    const double u = d * h - c * s;
    s = d * s + c * h;
    h = u;
    const double o = data[i] + data[j], r = data[i + 1] + data[j + 1];
    const double dr = data[i] - data[j], di = data[i + 1] - data[j + 1];
    const double a = inverse ? -r * u - s * dr : r * u - s * dr;
    const double b = inverse ? -r * s + u * dr : -r * s - u * dr;
    data[i] = static_cast<float>(o + a);
    data[j] = static_cast<float>(o - a);
    data[i + 1] = static_cast<float>(di + b);
    data[j + 1] = static_cast<float>(b - di);
  }
}

// ---------------------------------------------------------------------------------------
// The fast kernels (engine/FftKernels.h) and the choice among them.

using fft_detail::KernelOps;

const KernelOps* KernelOf(FftKernel kernel) {
  switch (kernel) {
    case FftKernel::kScalar:
      return fft_detail::ScalarKernel();
    case FftKernel::kPortable:
      return fft_detail::PortableKernel();
    case FftKernel::kSse2:
      return fft_detail::Sse2Kernel();
    case FftKernel::kAvx2:
#if defined(__x86_64__) || defined(__i386__)
      return __builtin_cpu_supports("avx2") ? fft_detail::Avx2Kernel() : nullptr;
#else
      return nullptr;
#endif
  }
  return nullptr;
}

const KernelOps* BestKernel() {
  for (FftKernel k : {FftKernel::kAvx2, FftKernel::kSse2, FftKernel::kPortable}) {
    if (const KernelOps* ops = KernelOf(k)) return ops;
  }
  return fft_detail::ScalarKernel();
}

std::atomic<const KernelOps*> g_kernel{nullptr};

const KernelOps* ActiveKernel() {
  const KernelOps* ops = g_kernel.load(std::memory_order_acquire);
  if (ops == nullptr) {
    ops = BestKernel();
    g_kernel.store(ops, std::memory_order_release);
  }
  return ops;
}

// The kernel for a complex transform of 2^log2n points: the active one, its four-wide
// counterpart below the eight-wide kernel's smallest size, or none (the plain algorithm).
const KernelOps* KernelFor(unsigned log2n) {
  const KernelOps* ops = ActiveKernel();
  if (log2n < ops->minLog2 && ops == fft_detail::Avx2Kernel()) ops = fft_detail::Sse2Kernel();
  return ops != nullptr && log2n >= ops->minLog2 ? ops : nullptr;
}

// Up to this size (complex points) the last pass writes each bin straight to its
// bit-reversed place in a second array, which costs less than reversing in place while
// the second array fits the first-level cache (4096 points: 32 KB; measured 15-25 % faster
// at 1024 ... 8192 real points, and 30 % slower at 16384, 3.8 times slower at 65536).
constexpr unsigned kScatterMaxLog2 = 12;

// The second array: one per thread, grown to the largest transform seen and kept. nullptr
// when it cannot be allocated (the transforms then reverse in place).
float* ScatterArray(size_t floats) {
  thread_local std::unique_ptr<float[]> array;
  thread_local size_t capacity = 0;
  if (capacity < floats) {
    array.reset(new (std::nothrow) float[floats]);
    capacity = array ? floats : 0;
  }
  return array.get();
}

unsigned Log2(uint32_t n) {
  unsigned bits = 0;
  while ((uint32_t{1} << bits) < n) ++bits;
  return bits;
}

bool IsPowerOfTwo(uint32_t n) {
  return n != 0 && (n & (n - 1)) == 0;
}

bool ValidReal(const float* data, uint32_t n) {
  return data != nullptr && IsPowerOfTwo(n) && n >= 2 && n <= (1u << fft_detail::kMaxRealLog2);
}

// Forward real transform, then bin k times binScale[k] when given.
void ForwardReal(float* data, uint32_t n, const float* binScale) {
  const uint32_t half = n / 2;
  const unsigned log2Half = Log2(half);
  const KernelOps* ops = KernelFor(log2Half);
  const float* table = ops ? fft_detail::SplitTwiddles(Log2(n)) : nullptr;
  if (table != nullptr) {
    float* scatter = log2Half <= kScatterMaxLog2 ? ScatterArray(n) : nullptr;
    if (ops->complex(data, log2Half, false, 1.0f, scatter)) {
      ops->split(scatter ? scatter : data, data, n, false, table, binScale);
      return;
    }
  }
  PlainComplexFft(data, half, false);
  PlainSplit(data, n, false);
  if (binScale != nullptr) {
    for (uint32_t k = 0; k < half; ++k) {
      data[2 * k] *= binScale[k];
      data[2 * k + 1] *= binScale[k];
    }
  }
}

}  // namespace

bool ComplexFft(float* data, uint32_t n, int direction) {
  if (data == nullptr || !IsPowerOfTwo(n) || n > (1u << fft_detail::kMaxComplexLog2)) return false;
  if (direction != 1 && direction != -1) return false;
  const bool inverse = direction == -1;
  const float scale = inverse ? 1.0f / static_cast<float>(n) : 1.0f;
  const KernelOps* ops = KernelFor(Log2(n));
  if (ops == nullptr || !ops->complex(data, Log2(n), inverse, scale, nullptr)) {
    PlainComplexFft(data, n, inverse);
  }
  return true;
}

bool RealFft(float* data, uint32_t n, int direction) {
  if (!ValidReal(data, n) || (direction != 1 && direction != -1)) return false;
  if (direction == 1) {
    ForwardReal(data, n, nullptr);
    return true;
  }
  const uint32_t half = n / 2;
  const unsigned log2Half = Log2(half);
  const KernelOps* ops = KernelFor(log2Half);
  const float* table = ops ? fft_detail::SplitTwiddles(Log2(n)) : nullptr;
  // The inverse's 1/half and its final 0.25 are both powers of two, so they fold into one
  // exact scaling inside the complex pass.
  const float scale = 0.25f / static_cast<float>(half);
  if (table != nullptr && ops->ready(log2Half)) {
    // The split step also scales and conjugates what the complex passes read. Small
    // sizes: it writes the second array, the passes run there and the last one writes the
    // samples back in natural order.
    float* work = log2Half <= kScatterMaxLog2 ? ScatterArray(n) : nullptr;
    ops->splitPrepared(data, work ? work : data, n, table, scale);
    ops->prepared(work ? work : data, log2Half, work ? data : nullptr);
    return true;
  }
  if (table != nullptr) {
    ops->split(data, data, n, true, table, nullptr);
  } else {
    PlainSplit(data, n, true);
  }
  PlainComplexFft(data, half, true);
  for (uint32_t i = 0; i < n; ++i) data[i] *= 0.25f;
  return true;
}

bool RealFftScaled(float* data, uint32_t n, const float* binScale) {
  if (!ValidReal(data, n) || binScale == nullptr) return false;
  ForwardReal(data, n, binScale);
  return true;
}

bool FftKernelAvailable(FftKernel kernel) {
  return KernelOf(kernel) != nullptr;
}

bool SelectFftKernel(FftKernel kernel) {
  const KernelOps* ops = KernelOf(kernel);
  if (ops == nullptr) return false;
  g_kernel.store(ops, std::memory_order_release);
  return true;
}

bool Avx2KernelActive() {
  return ActiveKernel() == fft_detail::Avx2Kernel();
}

FftKernel ActiveFftKernel() {
  const KernelOps* ops = ActiveKernel();
  for (FftKernel k :
       {FftKernel::kScalar, FftKernel::kPortable, FftKernel::kSse2, FftKernel::kAvx2}) {
    if (KernelOf(k) == ops) return k;
  }
  return FftKernel::kScalar;
}

const char* FftKernelName(FftKernel kernel) {
  switch (kernel) {
    case FftKernel::kScalar:
      return "scalar";
    case FftKernel::kPortable:
      return "portable";
    case FftKernel::kSse2:
      return "sse2";
    case FftKernel::kAvx2:
      return "avx2";
  }
  return "";
}

TFft::TFft(uint32_t size) : size_(size) {
  if (!IsPowerOfTwo(size) || size < kMinSize || size > kMaxSize) {
    size_ = kFallbackSize;
    error_ = true;
  }
}

void TFft::Forward(float* data) const {
  if (!error_) RealFft(data, size_, 1);
}

void TFft::RealForward(float* data) const {
  if (!error_) RealFft(data, size_, 1);
}

}  // namespace orvanix
