#include "engine/Fft.h"

#include <cmath>
#include <cstddef>
#include <cstring>
#include <utility>

#include "engine/FftTables.h"
#include "engine/FftVector.h"

namespace orvanix {

namespace {

using fft_detail::F4;

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
// The fast kernels. Between the first pass and the last one the array is kept in blocks of
// four complex points, four real parts then four imaginary parts, so every butterfly works
// on whole vectors without shuffles. The first pass reads the caller's interleaved layout,
// the last pass writes it back, and a blocked bit reversal puts the bins in natural order.
// The inverse runs the forward kernels on the conjugate: the first pass conjugates (and
// scales) as it loads, the last pass conjugates as it stores.

// Sub-transforms up to this many points run pass by pass while they sit in the core's
// first-level cache; larger ones split into four after their first pass (depth first).
constexpr size_t kCachedPoints = 2048;

// a * conj(w) for w = c + i*s.
inline void MulConj(F4 ar, F4 ai, F4 c, F4 s, F4& yr, F4& yi) {
  yr = ar * c + ai * s;
  yi = ai * c - ar * s;
}

// One radix-4 pass (two radix-2 stages fused) at span f over `count` points: for every
// group of f points and every k < f/4 the points k, k+f/4, k+f/2, k+3f/4 become
//   y0 = t0 + t1, y1 = (t0 - t1) w^2k, y2 = (t2 - i t3) w^k, y3 = (t2 + i t3) w^3k,
// with t0 = x0 + x2, t1 = x1 + x3, t2 = x0 - x2, t3 = x1 - x3 and w = e^(-2 pi i / f).
template <bool kFirst>
void RadixFourPass(float* data, size_t count, size_t span, const float* twiddles, F4 scale,
                   F4 conj) {
  const size_t quarter = span / 2;  // floats in a quarter of the span
  for (size_t base = 0; base < 2 * count; base += 2 * span) {
    float* p0 = data + base;
    float* p1 = p0 + quarter;
    float* p2 = p1 + quarter;
    float* p3 = p2 + quarter;
    const float* w = twiddles;
    for (size_t off = 0; off < quarter; off += 8, w += 24) {
      F4 x0r, x0i, x1r, x1i, x2r, x2i, x3r, x3i;
      if constexpr (kFirst) {
        fft_detail::Deinterleave(fft_detail::Load(p0 + off), fft_detail::Load(p0 + off + 4), x0r,
                                 x0i);
        fft_detail::Deinterleave(fft_detail::Load(p1 + off), fft_detail::Load(p1 + off + 4), x1r,
                                 x1i);
        fft_detail::Deinterleave(fft_detail::Load(p2 + off), fft_detail::Load(p2 + off + 4), x2r,
                                 x2i);
        fft_detail::Deinterleave(fft_detail::Load(p3 + off), fft_detail::Load(p3 + off + 4), x3r,
                                 x3i);
        x0r = x0r * scale;
        x1r = x1r * scale;
        x2r = x2r * scale;
        x3r = x3r * scale;
        x0i = fft_detail::ApplySign(x0i * scale, conj);
        x1i = fft_detail::ApplySign(x1i * scale, conj);
        x2i = fft_detail::ApplySign(x2i * scale, conj);
        x3i = fft_detail::ApplySign(x3i * scale, conj);
      } else {
        x0r = fft_detail::Load(p0 + off);
        x0i = fft_detail::Load(p0 + off + 4);
        x1r = fft_detail::Load(p1 + off);
        x1i = fft_detail::Load(p1 + off + 4);
        x2r = fft_detail::Load(p2 + off);
        x2i = fft_detail::Load(p2 + off + 4);
        x3r = fft_detail::Load(p3 + off);
        x3i = fft_detail::Load(p3 + off + 4);
      }
      const F4 t0r = x0r + x2r, t0i = x0i + x2i;
      const F4 t2r = x0r - x2r, t2i = x0i - x2i;
      const F4 t1r = x1r + x3r, t1i = x1i + x3i;
      const F4 t3r = x1r - x3r, t3i = x1i - x3i;
      fft_detail::Store(p0 + off, t0r + t1r);
      fft_detail::Store(p0 + off + 4, t0i + t1i);
      F4 yr, yi;
      MulConj(t0r - t1r, t0i - t1i, fft_detail::Load(w + 8), fft_detail::Load(w + 12), yr, yi);
      fft_detail::Store(p1 + off, yr);
      fft_detail::Store(p1 + off + 4, yi);
      MulConj(t2r + t3i, t2i - t3r, fft_detail::Load(w), fft_detail::Load(w + 4), yr, yi);
      fft_detail::Store(p2 + off, yr);
      fft_detail::Store(p2 + off + 4, yi);
      MulConj(t2r - t3i, t2i + t3r, fft_detail::Load(w + 16), fft_detail::Load(w + 20), yr, yi);
      fft_detail::Store(p3 + off, yr);
      fft_detail::Store(p3 + off + 4, yi);
    }
  }
}

// The span-8 radix-2 stage between two neighbouring blocks: a = b0 + b1, b = (b0 - b1) w^k.
inline void RadixTwoSpanEight(F4& r0, F4& i0, F4& r1, F4& i1) {
  constexpr float kHalfRoot = 0.70710678118654752f;
  const F4 c = fft_detail::Set(1.0f, kHalfRoot, 0.0f, -kHalfRoot);
  const F4 s = fft_detail::Set(0.0f, kHalfRoot, 1.0f, kHalfRoot);
  const F4 dr = r0 - r1, di = i0 - i1;
  r0 = r0 + r1;
  i0 = i0 + i1;
  MulConj(dr, di, c, s, r1, i1);
}

// The last stages: spans 4 and 2 within every block (and span 8 first when kEight), four
// blocks at a time with the blocks transposed into lanes; writes interleaved points.
template <bool kEight>
void LastPass(float* data, size_t count, F4 conj) {
  for (size_t base = 0; base < 2 * count; base += 32) {
    float* p = data + base;
    F4 r0 = fft_detail::Load(p), i0 = fft_detail::Load(p + 4);
    F4 r1 = fft_detail::Load(p + 8), i1 = fft_detail::Load(p + 12);
    F4 r2 = fft_detail::Load(p + 16), i2 = fft_detail::Load(p + 20);
    F4 r3 = fft_detail::Load(p + 24), i3 = fft_detail::Load(p + 28);
    if constexpr (kEight) {
      RadixTwoSpanEight(r0, i0, r1, i1);
      RadixTwoSpanEight(r2, i2, r3, i3);
    }
    // Lane b now holds block b; register j holds point j of every block.
    fft_detail::Transpose(r0, r1, r2, r3);
    fft_detail::Transpose(i0, i1, i2, i3);
    const F4 t0r = r0 + r2, t0i = i0 + i2;
    const F4 t2r = r0 - r2, t2i = i0 - i2;
    const F4 t1r = r1 + r3, t1i = i1 + i3;
    const F4 t3r = r1 - r3, t3i = i1 - i3;
    F4 y0r = t0r + t1r, y0i = t0i + t1i;
    F4 y1r = t0r - t1r, y1i = t0i - t1i;
    F4 y2r = t2r + t3i, y2i = t2i - t3r;
    F4 y3r = t2r - t3i, y3i = t2i + t3r;
    fft_detail::Transpose(y0r, y1r, y2r, y3r);
    fft_detail::Transpose(y0i, y1i, y2i, y3i);
    F4 lo, hi;
    fft_detail::Interleave(y0r, fft_detail::ApplySign(y0i, conj), lo, hi);
    fft_detail::Store(p, lo);
    fft_detail::Store(p + 4, hi);
    fft_detail::Interleave(y1r, fft_detail::ApplySign(y1i, conj), lo, hi);
    fft_detail::Store(p + 8, lo);
    fft_detail::Store(p + 12, hi);
    fft_detail::Interleave(y2r, fft_detail::ApplySign(y2i, conj), lo, hi);
    fft_detail::Store(p + 16, lo);
    fft_detail::Store(p + 20, hi);
    fft_detail::Interleave(y3r, fft_detail::ApplySign(y3i, conj), lo, hi);
    fft_detail::Store(p + 24, lo);
    fft_detail::Store(p + 28, hi);
  }
}

struct Plan {
  const float* twiddles[fft_detail::kMaxComplexLog2 + 1] = {};
  F4 scale;
  F4 conj;
};

// Decimation in frequency over `count` = 2^log2Count points; `first` when the points are
// still in the caller's interleaved layout.
void Transform(float* data, size_t count, unsigned log2Count, bool first, const Plan& plan) {
  if (count <= kCachedPoints) {
    size_t span = count;
    unsigned log2Span = log2Count;
    for (; span >= 16; span /= 4, log2Span -= 2) {
      if (first) {
        RadixFourPass<true>(data, count, span, plan.twiddles[log2Span], plan.scale, plan.conj);
      } else {
        RadixFourPass<false>(data, count, span, plan.twiddles[log2Span], plan.scale, plan.conj);
      }
      first = false;
    }
    if (span == 8) {
      LastPass<true>(data, count, plan.conj);
    } else {
      LastPass<false>(data, count, plan.conj);
    }
    return;
  }
  if (first) {
    RadixFourPass<true>(data, count, count, plan.twiddles[log2Count], plan.scale, plan.conj);
  } else {
    RadixFourPass<false>(data, count, count, plan.twiddles[log2Count], plan.scale, plan.conj);
  }
  const size_t quarter = count / 4;
  for (size_t q = 0; q < 4; ++q) {
    Transform(data + 2 * q * quarter, quarter, log2Count - 2, false, plan);
  }
}

uint32_t ReverseBits(uint32_t x, unsigned bits) {
  x = ((x >> 1) & 0x55555555u) | ((x & 0x55555555u) << 1);
  x = ((x >> 2) & 0x33333333u) | ((x & 0x33333333u) << 2);
  x = ((x >> 4) & 0x0F0F0F0Fu) | ((x & 0x0F0F0F0Fu) << 4);
  x = ((x >> 8) & 0x00FF00FFu) | ((x & 0x00FF00FFu) << 8);
  x = (x >> 16) | (x << 16);
  return bits == 0 ? 0 : x >> (32 - bits);
}

inline void SwapPoints(float* data, size_t i, size_t j) {
  uint64_t a, b;
  std::memcpy(&a, data + 2 * i, sizeof a);
  std::memcpy(&b, data + 2 * j, sizeof b);
  std::memcpy(data + 2 * i, &b, sizeof b);
  std::memcpy(data + 2 * j, &a, sizeof a);
}

// Index i = (a, b, c) with a and c of 3 bits each reverses to (rev c, rev b, rev a): the
// 8 x 8 points that share a middle part b swap with those of rev b. Each set is eight runs
// of eight neighbours (a cache line each), so both stay cached while they are exchanged.
void BitReverse(float* data, unsigned log2n) {
  constexpr unsigned kEdge = 3;
  constexpr uint32_t kSide = 1u << kEdge;
  static constexpr uint32_t kRev3[kSide] = {0, 4, 2, 6, 1, 5, 3, 7};
  const unsigned middleBits = log2n - 2 * kEdge;
  const uint32_t middleCount = 1u << middleBits;
  const unsigned highShift = middleBits + kEdge;
  for (uint32_t b = 0; b < middleCount; ++b) {
    const uint32_t rb = ReverseBits(b, middleBits);
    if (rb < b) continue;
    for (uint32_t a = 0; a < kSide; ++a) {
      const size_t row = (size_t{a} << highShift) | (size_t{b} << kEdge);
      const size_t column = (size_t{rb} << kEdge) | kRev3[a];
      for (uint32_t c = 0; c < kSide; ++c) {
        const size_t i = row | c;
        const size_t j = (size_t{kRev3[c]} << highShift) | column;
        if (rb != b || i < j) SwapPoints(data, i, j);
      }
    }
  }
}

unsigned Log2(uint32_t n) {
  unsigned bits = 0;
  while ((uint32_t{1} << bits) < n) ++bits;
  return bits;
}

bool IsPowerOfTwo(uint32_t n) {
  return n != 0 && (n & (n - 1)) == 0;
}

// The fast complex transform of n >= 64 points with every value multiplied by `scale`;
// false (data untouched) when a twiddle table is missing.
bool FastComplexFft(float* data, uint32_t n, bool inverse, float scale) {
  const unsigned log2n = Log2(n);
  Plan plan;
  plan.scale = fft_detail::Splat(scale);
  plan.conj = fft_detail::SignMask(inverse);
  for (unsigned log2Span = log2n; log2Span >= 4; log2Span -= 2) {
    plan.twiddles[log2Span] = fft_detail::RadixFourTwiddles(log2Span);
    if (plan.twiddles[log2Span] == nullptr) return false;
  }
  Transform(data, n, log2n, true, plan);
  BitReverse(data, log2n);
  return true;
}

// The split step with tabled twiddles, four bins k and their partners n/2 - k at a time.
void FastSplit(float* data, uint32_t n, bool inverse, const float* table) {
  const size_t half = n / 2;     // complex points
  const size_t quarter = n / 4;  // the last k, paired with itself
  const float* cosines = table;
  const float* sines = table + quarter + 1;
  const float gain = inverse ? 1.0f : 2.0f;
  const float e = data[0], f = data[1];
  data[1] = gain * (e - f);
  data[0] = gain * (e + f);
  size_t k = 1;
  for (; k + 3 < quarter; k += 4) {
    float* p = data + 2 * k;
    float* q = data + 2 * (half - k - 3);
    F4 pr, pi, qr, qi;
    fft_detail::Deinterleave(fft_detail::Load(p), fft_detail::Load(p + 4), pr, pi);
    fft_detail::Deinterleave(fft_detail::Load(q), fft_detail::Load(q + 4), qr, qi);
    qr = fft_detail::Reverse(qr);
    qi = fft_detail::Reverse(qi);
    const F4 u = fft_detail::Load(cosines + k), s = fft_detail::Load(sines + k);
    const F4 o = pr + qr, r = pi + qi, dr = pr - qr, di = pi - qi;
    F4 a, b;
    if (inverse) {
      a = fft_detail::Splat(0.0f) - r * u - s * dr;
      b = u * dr - r * s;
    } else {
      a = r * u - s * dr;
      b = fft_detail::Splat(0.0f) - r * s - u * dr;
    }
    F4 lo, hi;
    fft_detail::Interleave(o + a, di + b, lo, hi);
    fft_detail::Store(p, lo);
    fft_detail::Store(p + 4, hi);
    fft_detail::Interleave(fft_detail::Reverse(o - a), fft_detail::Reverse(b - di), lo, hi);
    fft_detail::Store(q, lo);
    fft_detail::Store(q + 4, hi);
  }
  for (; k <= quarter; ++k) {
    float* p = data + 2 * k;
    float* q = data + 2 * (half - k);
    const float u = cosines[k], s = sines[k];
    const float o = p[0] + q[0], r = p[1] + q[1], dr = p[0] - q[0], di = p[1] - q[1];
    const float a = inverse ? -r * u - s * dr : r * u - s * dr;
    const float b = inverse ? u * dr - r * s : -r * s - u * dr;
    p[0] = o + a;
    q[0] = o - a;
    p[1] = di + b;
    q[1] = b - di;
  }
}

// Below this many complex points the plain algorithm is as fast and needs no tables.
constexpr uint32_t kFastMinPoints = 64;

}  // namespace

bool ComplexFft(float* data, uint32_t n, int direction) {
  if (data == nullptr || !IsPowerOfTwo(n) || n > (1u << fft_detail::kMaxComplexLog2)) return false;
  if (direction != 1 && direction != -1) return false;
  const bool inverse = direction == -1;
  const float scale = inverse ? 1.0f / static_cast<float>(n) : 1.0f;
  if (n < kFastMinPoints || !FastComplexFft(data, n, inverse, scale)) {
    PlainComplexFft(data, n, inverse);
  }
  return true;
}

bool RealFft(float* data, uint32_t n, int direction) {
  if (data == nullptr || !IsPowerOfTwo(n) || n < 2 || n > (1u << fft_detail::kMaxRealLog2)) {
    return false;
  }
  if (direction != 1 && direction != -1) return false;
  const uint32_t half = n / 2;
  const float* table = half >= kFastMinPoints ? fft_detail::SplitTwiddles(Log2(n)) : nullptr;
  if (direction == 1) {
    if (table == nullptr || !FastComplexFft(data, half, false, 1.0f)) {
      PlainComplexFft(data, half, false);
      PlainSplit(data, n, false);
    } else {
      FastSplit(data, n, false, table);
    }
    return true;
  }
  // The inverse's 1/half and its final 0.25 are both powers of two, so they fold into one
  // exact scaling inside the complex pass.
  if (table != nullptr) {
    FastSplit(data, n, true, table);
    if (FastComplexFft(data, half, true, 0.25f / static_cast<float>(half))) return true;
  } else {
    PlainSplit(data, n, true);
  }
  PlainComplexFft(data, half, true);
  for (uint32_t i = 0; i < n; ++i) data[i] *= 0.25f;
  return true;
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
