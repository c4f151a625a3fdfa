// The fast transform kernels, written once for any vector type of engine/FftVector.h or
// engine/FftVectorAvx2.h. Each file that includes this header builds its own copies (the
// templates live in an unnamed namespace), so the AVX2 file's copies never leak into code
// that runs on processors without AVX2.
//
// The arithmetic is fixed, whatever the vector width: radix-4 decimation-in-frequency
// passes at spans n, n/4, n/16, ..., then the last stages (a radix-2 stage at span 8 when
// log2 n is odd, a radix-4 one at span 4), with tabled twiddles; every output is the same
// sequence of IEEE operations on the same values as in the four-wide code, so every kernel
// gives bit-identical results.
//
// Between the first pass and the last one the array is kept in blocks of W complex points,
// W real parts then W imaginary parts (W the vector width), so every butterfly works on
// whole vectors. The first pass reads the caller's interleaved layout. The last pass either
// writes interleaved points back in place (a blocked bit reversal then restores natural
// order) or writes each point straight to its bit-reversed place in a second array.
// The inverse runs the forward kernels on the conjugate: the first pass conjugates (and
// scales) as it loads, the last pass conjugates as it stores.
// Internal to the transform code.
#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/FftTables.h"

namespace orvanix::fft_detail {
namespace {

// Sub-transforms up to this many points run pass by pass while they sit in the core's
// first-level cache; larger ones split into four after their first pass (depth first).
constexpr size_t kCachedPoints = 2048;

inline uint32_t ReverseBits(uint32_t x, unsigned bits) {
  x = ((x >> 1) & 0x55555555u) | ((x & 0x55555555u) << 1);
  x = ((x >> 2) & 0x33333333u) | ((x & 0x33333333u) << 2);
  x = ((x >> 4) & 0x0F0F0F0Fu) | ((x & 0x0F0F0F0Fu) << 4);
  x = ((x >> 8) & 0x00FF00FFu) | ((x & 0x00FF00FFu) << 8);
  x = (x >> 16) | (x << 16);
  return bits == 0 ? 0 : x >> (32 - bits);
}

inline void SwapPoints(float* data, size_t i, size_t j) {
  const float a0 = data[2 * i], a1 = data[2 * i + 1];
  data[2 * i] = data[2 * j];
  data[2 * i + 1] = data[2 * j + 1];
  data[2 * j] = a0;
  data[2 * j + 1] = a1;
}

// Index i = (a, b, c) with a and c of 3 bits each reverses to (rev c, rev b, rev a): the
// 8 x 8 points that share a middle part b swap with those of rev b. Each set is eight runs
// of eight neighbours (a cache line each), so both stay cached while they are exchanged.
inline void BitReverse(float* data, unsigned log2n) {
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

inline unsigned Log2Of(size_t n) {
  unsigned bits = 0;
  while ((size_t{1} << bits) < n) ++bits;
  return bits;
}

template <class V>
struct Kernel {
  using T = typename V::T;
  static constexpr size_t W = V::kWidth;
  static constexpr unsigned kLog2Width = W == 8 ? 3 : 2;
  // Smallest complex size: one radix-4 pass before the last stages, and (eight wide) a
  // whole region of the last pass.
  static constexpr unsigned kMinLog2 = W == 8 ? 7 : 6;

  struct Plan {
    const float* twiddles[kMaxComplexLog2 + 1] = {};
    const float* span16 = nullptr;  // eight wide: the span-16 twiddles, four-wide layout
    T scale;
    T conjIn;                  // the first pass's sign mask of imaginary parts
    T conj;                    // the last pass's
    bool plain = false;        // scale 1, no conjugation
    float* scatter = nullptr;  // the last pass writes here, bit-reversed; nullptr: in place
    unsigned log2n = 0;
    // Scatter targets relative to a region's own (bit-reversed) place: of lane b, and of
    // point j of a lane's group (G = 4, 8 or 16 points, see LastPass).
    size_t lane[W] = {};
    size_t column[16] = {};
  };

  // a * conj(w) for w = c + i*s.
  static void MulConj(T ar, T ai, T c, T s, T& yr, T& yi) {
    yr = ar * c + ai * s;
    yi = ai * c - ar * s;
  }

  // The radix-4 butterfly of the passes: y0 = t0 + t1, y1 = (t0 - t1) w^2k,
  // y2 = (t2 - i t3) w^k, y3 = (t2 + i t3) w^3k with t0 = x0 + x2, t1 = x1 + x3,
  // t2 = x0 - x2, t3 = x1 - x3; twiddles as (cos, sin) of w^k, w^2k, w^3k.
  static void Butterfly(T& x0r, T& x0i, T& x1r, T& x1i, T& x2r, T& x2i, T& x3r, T& x3i, T c1, T s1,
                        T c2, T s2, T c3, T s3) {
    const T t0r = x0r + x2r, t0i = x0i + x2i;
    const T t2r = x0r - x2r, t2i = x0i - x2i;
    const T t1r = x1r + x3r, t1i = x1i + x3i;
    const T t3r = x1r - x3r, t3i = x1i - x3i;
    x0r = t0r + t1r;
    x0i = t0i + t1i;
    MulConj(t0r - t1r, t0i - t1i, c2, s2, x1r, x1i);
    MulConj(t2r + t3i, t2i - t3r, c1, s1, x2r, x2i);
    MulConj(t2r - t3i, t2i + t3r, c3, s3, x3r, x3i);
  }

  // The same at span 4, where every twiddle is 1 and none is applied.
  static void LastButterfly(T* r, T* i) {
    const T t0r = r[0] + r[2], t0i = i[0] + i[2];
    const T t2r = r[0] - r[2], t2i = i[0] - i[2];
    const T t1r = r[1] + r[3], t1i = i[1] + i[3];
    const T t3r = r[1] - r[3], t3i = i[1] - i[3];
    r[0] = t0r + t1r;
    i[0] = t0i + t1i;
    r[1] = t0r - t1r;
    i[1] = t0i - t1i;
    r[2] = t2r + t3i;
    i[2] = t2i - t3r;
    r[3] = t2r - t3i;
    i[3] = t2i + t3r;
  }

  // The radix-2 stage at span 8: a = x0 + x1, b = (x0 - x1) w^j, w = e^(-2 pi i / 8).
  static void SpanEight(T& r0, T& i0, T& r1, T& i1, T c, T s) {
    const T dr = r0 - r1, di = i0 - i1;
    r0 = r0 + r1;
    i0 = i0 + i1;
    MulConj(dr, di, c, s, r1, i1);
  }

  // One radix-4 pass at span f over `count` points (f/4 >= W).
  template <bool kFirst>
  static void Pass(float* data, size_t count, size_t span, const float* twiddles,
                   const Plan& plan) {
    const size_t quarter = span / 2;  // floats in a quarter of the span
    for (size_t base = 0; base < 2 * count; base += 2 * span) {
      float* p0 = data + base;
      float* p1 = p0 + quarter;
      float* p2 = p1 + quarter;
      float* p3 = p2 + quarter;
      const float* w = twiddles;
      for (size_t off = 0; off < quarter; off += 2 * W, w += 6 * W) {
        T x0r, x0i, x1r, x1i, x2r, x2i, x3r, x3i;
        if constexpr (kFirst) {
          V::Deinterleave(V::Load(p0 + off), V::Load(p0 + off + W), x0r, x0i);
          V::Deinterleave(V::Load(p1 + off), V::Load(p1 + off + W), x1r, x1i);
          V::Deinterleave(V::Load(p2 + off), V::Load(p2 + off + W), x2r, x2i);
          V::Deinterleave(V::Load(p3 + off), V::Load(p3 + off + W), x3r, x3i);
          // A forward transform's scale is 1 and multiplying by 1 changes no bit: skipped.
          if (!plan.plain) {
            x0r = x0r * plan.scale;
            x1r = x1r * plan.scale;
            x2r = x2r * plan.scale;
            x3r = x3r * plan.scale;
            x0i = V::ApplySign(x0i * plan.scale, plan.conj);
            x1i = V::ApplySign(x1i * plan.scale, plan.conj);
            x2i = V::ApplySign(x2i * plan.scale, plan.conj);
            x3i = V::ApplySign(x3i * plan.scale, plan.conj);
          }
        } else {
          x0r = V::Load(p0 + off);
          x0i = V::Load(p0 + off + W);
          x1r = V::Load(p1 + off);
          x1i = V::Load(p1 + off + W);
          x2r = V::Load(p2 + off);
          x2i = V::Load(p2 + off + W);
          x3r = V::Load(p3 + off);
          x3i = V::Load(p3 + off + W);
        }
        Butterfly(x0r, x0i, x1r, x1i, x2r, x2i, x3r, x3i, V::Load(w), V::Load(w + W),
                  V::Load(w + 2 * W), V::Load(w + 3 * W), V::Load(w + 4 * W), V::Load(w + 5 * W));
        V::Store(p0 + off, x0r);
        V::Store(p0 + off + W, x0i);
        V::Store(p1 + off, x1r);
        V::Store(p1 + off + W, x1i);
        V::Store(p2 + off, x2r);
        V::Store(p2 + off + W, x2i);
        V::Store(p3 + off, x3r);
        V::Store(p3 + off + W, x3i);
      }
    }
  }

  // The last pass's output: after the butterflies register j holds, in lane b, the point
  // at offset b * G + j of a region of W * G points starting at point `region`.
  template <size_t G>
  static void Scatter(const T* r, const T* i, size_t region, const Plan& plan) {
    float* base = plan.scatter + 2 * size_t{ReverseBits(static_cast<uint32_t>(region), plan.log2n)};
    size_t lane[W];
    for (size_t b = 0; b < W; ++b) lane[b] = plan.lane[b];
    for (size_t j = 0; j < G; ++j) {
      V::StoreLanePairs(r[j], V::ApplySign(i[j], plan.conj), base + plan.column[j], lane);
    }
  }

  // Point b * G + j of a region lands rev(j) * n / G + rev(b) * n / (G W) points after the
  // region's own reversed place (the bits of b and j reversed within their fields).
  static void PlanScatter(Plan& plan) {
    const unsigned log2G = W == 4 ? 2 : (plan.log2n % 2 == 0 ? 4 : 3);
    for (size_t b = 0; b < W; ++b) {
      plan.lane[b] = 2 * (size_t{ReverseBits(static_cast<uint32_t>(b), kLog2Width)}
                          << (plan.log2n - log2G - kLog2Width));
    }
    for (size_t j = 0; j < (size_t{1} << log2G); ++j) {
      plan.column[j] =
          2 * (size_t{ReverseBits(static_cast<uint32_t>(j), log2G)} << (plan.log2n - log2G));
    }
  }

  // Writes W transposed rows back as W blocks of interleaved points at `p` + 2W b ... the
  // rows' stride in floats is `stride`.
  static void StoreInPlace(T* r, T* i, float* p, size_t stride, const Plan& plan) {
    V::Transpose(r);
    V::Transpose(i);
    for (size_t b = 0; b < W; ++b) {
      T lo, hi;
      V::Interleave(r[b], V::ApplySign(i[b], plan.conj), lo, hi);
      V::Store(p + b * stride, lo);
      V::Store(p + b * stride + W, hi);
    }
  }

  // Four wide: the last stages within every block (span 8 first when kEight), four blocks
  // at a time with the blocks transposed into lanes.
  template <bool kEight, bool kScatter>
  static void LastPassFour(float* data, size_t count, size_t offset, const Plan& plan) {
    constexpr float kHalfRoot = 0.70710678118654752f;
    static const float kCos[4] = {1.0f, kHalfRoot, 0.0f, -kHalfRoot};
    static const float kSin[4] = {0.0f, kHalfRoot, 1.0f, kHalfRoot};
    for (size_t base = 0; base < 2 * count; base += 32) {
      float* p = data + base;
      T r[4], i[4];
      for (size_t b = 0; b < 4; ++b) {
        r[b] = V::Load(p + 8 * b);
        i[b] = V::Load(p + 8 * b + 4);
      }
      if constexpr (kEight) {
        const T c = V::Load(kCos), s = V::Load(kSin);
        SpanEight(r[0], i[0], r[1], i[1], c, s);
        SpanEight(r[2], i[2], r[3], i[3], c, s);
      }
      // Lane b now holds block b; register j holds point j of every block.
      V::Transpose(r);
      V::Transpose(i);
      LastButterfly(r, i);
      if constexpr (kScatter) {
        Scatter<4>(r, i, offset + base / 2, plan);
      } else {
        StoreInPlace(r, i, p, 8, plan);
      }
    }
  }

  // Eight wide, log2 n odd: spans 8, 4 and 2 within every block of eight points, eight
  // blocks at a time, transposed so that lane b holds block b.
  template <bool kScatter>
  static void LastPassEight(float* data, size_t count, size_t offset, const Plan& plan) {
    constexpr float kHalfRoot = 0.70710678118654752f;
    static const float kCos[4] = {1.0f, kHalfRoot, 0.0f, -kHalfRoot};
    static const float kSin[4] = {0.0f, kHalfRoot, 1.0f, kHalfRoot};
    for (size_t base = 0; base < 2 * count; base += 128) {
      float* p = data + base;
      T r[8], i[8];
      for (size_t b = 0; b < 8; ++b) {
        r[b] = V::Load(p + 16 * b);
        i[b] = V::Load(p + 16 * b + 8);
      }
      V::Transpose(r);
      V::Transpose(i);
      for (size_t j = 0; j < 4; ++j) {
        SpanEight(r[j], i[j], r[j + 4], i[j + 4], V::Splat(kCos[j]), V::Splat(kSin[j]));
      }
      LastButterfly(r, i);
      LastButterfly(r + 4, i + 4);
      if constexpr (kScatter) {
        Scatter<8>(r, i, offset + base / 2, plan);
      } else {
        StoreInPlace(r, i, p, 16, plan);
      }
    }
  }

  // Eight wide, log2 n even: the radix-4 pass at span 16 and the span-4 stage, over
  // regions of eight 16-point groups (two blocks each), lane g holding group g.
  template <bool kScatter>
  static void LastPassSixteen(float* data, size_t count, size_t offset, const Plan& plan) {
    const float* w = plan.span16;
    for (size_t base = 0; base < 2 * count; base += 256) {
      float* p = data + base;
      T r[16], i[16];
      for (size_t g = 0; g < 8; ++g) {
        r[g] = V::Load(p + 32 * g);
        i[g] = V::Load(p + 32 * g + 8);
        r[8 + g] = V::Load(p + 32 * g + 16);
        i[8 + g] = V::Load(p + 32 * g + 24);
      }
      V::Transpose(r);
      V::Transpose(r + 8);
      V::Transpose(i);
      V::Transpose(i + 8);
      for (size_t k = 0; k < 4; ++k) {
        Butterfly(r[k], i[k], r[k + 4], i[k + 4], r[k + 8], i[k + 8], r[k + 12], i[k + 12],
                  V::Splat(w[k]), V::Splat(w[4 + k]), V::Splat(w[8 + k]), V::Splat(w[12 + k]),
                  V::Splat(w[16 + k]), V::Splat(w[20 + k]));
      }
      for (size_t m = 0; m < 16; m += 4) LastButterfly(r + m, i + m);
      if constexpr (kScatter) {
        Scatter<16>(r, i, offset + base / 2, plan);
      } else {
        StoreInPlace(r, i, p, 32, plan);
        StoreInPlace(r + 8, i + 8, p + 16, 32, plan);
      }
    }
  }

  template <bool kScatter>
  static void LastPass(float* data, size_t count, size_t span, size_t offset, const Plan& plan) {
    if constexpr (W == 4) {
      if (span == 8) {
        LastPassFour<true, kScatter>(data, count, offset, plan);
      } else {
        LastPassFour<false, kScatter>(data, count, offset, plan);
      }
    } else {
      if (span == 16) {
        LastPassSixteen<kScatter>(data, count, offset, plan);
      } else {
        LastPassEight<kScatter>(data, count, offset, plan);
      }
    }
  }

  // Decimation in frequency over `count` = 2^log2Count points starting at point `offset`
  // of the whole transform; `first` while the points are in the caller's layout.
  static void Transform(float* data, size_t count, unsigned log2Count, bool first, const Plan& plan,
                        size_t offset) {
    if (count <= kCachedPoints) {
      size_t span = count;
      unsigned log2Span = log2Count;
      for (; span >= 4 * W; span /= 4, log2Span -= 2) {
        if (first) {
          Pass<true>(data, count, span, plan.twiddles[log2Span], plan);
        } else {
          Pass<false>(data, count, span, plan.twiddles[log2Span], plan);
        }
        first = false;
      }
      if (plan.scatter != nullptr) {
        LastPass<true>(data, count, span, offset, plan);
      } else {
        LastPass<false>(data, count, span, offset, plan);
      }
      return;
    }
    if (first) {
      Pass<true>(data, count, count, plan.twiddles[log2Count], plan);
    } else {
      Pass<false>(data, count, count, plan.twiddles[log2Count], plan);
    }
    const size_t quarter = count / 4;
    for (size_t q = 0; q < 4; ++q) {
      Transform(data + 2 * q * quarter, quarter, log2Count - 2, false, plan, offset + q * quarter);
    }
  }

  // Complex transform of n = 2^log2n points (kMinLog2 <= log2n <= 20), every input
  // multiplied by `scale`, conjugated in and out when `inverse`. With `scatter` the bins go
  // there in natural order and `data` is left as scratch; without, they replace the input.
  // False (data untouched) when a twiddle table is missing.
  static bool Complex(float* data, unsigned log2n, bool inverse, float scale, float* scatter) {
    return Run(data, log2n, inverse, inverse, scale, scatter);
  }

  // Whether the twiddle tables of 2^log2n points are there (built now if need be).
  static bool Ready(unsigned log2n) {
    Plan plan;
    return Tables(plan, log2n);
  }

  static bool Prepared(float* data, unsigned log2n, float* scatter) {
    return Run(data, log2n, false, true, 1.0f, scatter);
  }

  static void SplitPrepared(const float* source, float* target, uint32_t n, const float* table,
                            float scale) {
    SplitScaled(source, target, n, true, table, nullptr, scale);
  }

  static bool Tables(Plan& plan, unsigned log2n) {
    for (unsigned log2Span = log2n; (size_t{1} << log2Span) >= 4 * W; log2Span -= 2) {
      plan.twiddles[log2Span] = RadixFourTwiddles(log2Span, W);
      if (plan.twiddles[log2Span] == nullptr) return false;
    }
    if (W == 8 && log2n % 2 == 0) {
      plan.span16 = RadixFourTwiddles(4, 4);
      if (plan.span16 == nullptr) return false;
    }
    return true;
  }

  // As Complex, with the conjugation of the inputs and of the outputs chosen apart (an
  // inverse whose inputs come already conjugated and scaled from the split step).
  static bool Run(float* data, unsigned log2n, bool conjugateIn, bool conjugateOut, float scale,
                  float* scatter) {
    Plan plan;
    plan.scale = V::Splat(scale);
    plan.conjIn = V::SignMask(conjugateIn);
    plan.conj = V::SignMask(conjugateOut);
    plan.plain = scale == 1.0f && !conjugateIn;
    plan.scatter = scatter;
    plan.log2n = log2n;
    if (scatter != nullptr) PlanScatter(plan);
    if (!Tables(plan, log2n)) return false;
    Transform(data, size_t{1} << log2n, log2n, true, plan, 0);
    if (scatter == nullptr) BitReverse(data, log2n);
    return true;
  }

  // The split step between the complex transform of n/2 points and the real spectrum of n
  // real points (or back, for the inverse), W bins k and their partners n/2 - k at a time,
  // reading `source` and writing `target` (the same array or another). With `binScale`
  // (forward only) bin k's real and imaginary parts are then multiplied by binScale[k].
  static void Split(const float* source, float* target, uint32_t n, bool inverse,
                    const float* table, const float* binScale) {
    SplitScaled(source, target, n, inverse, table, binScale, 1.0f);
  }

  // Split with, for the inverse, what the complex transform's first pass would do next:
  // every value times `prescale` (a power of two) and imaginary parts negated, the same
  // operations on the same values, done here while they are in registers. Inverse only;
  // `prescale` 1 means none of it.
  static void SplitScaled(const float* source, float* target, uint32_t n, bool inverse,
                          const float* table, const float* binScale, float prescale) {
    const bool prepare = inverse && prescale != 1.0f;
    const T pre = V::Splat(prescale), negate = V::SignMask(true);
    const size_t half = n / 2;     // complex points
    const size_t quarter = n / 4;  // the last k, paired with itself
    const float* cosines = table;
    const float* sines = table + quarter + 1;
    const float gain = inverse ? 1.0f : 2.0f;
    const float e = source[0], f = source[1];
    float dc = gain * (e + f), nyquist = gain * (e - f);
    if (binScale) {
      dc = dc * binScale[0];
      nyquist = nyquist * binScale[0];
    }
    if (prepare) {
      dc = dc * prescale;
      nyquist = -(nyquist * prescale);
    }
    target[0] = dc;
    target[1] = nyquist;
    size_t k = 1;
    const T zero = V::Splat(0.0f);
    for (; k + W - 1 < quarter; k += W) {
      const float* p = source + 2 * k;
      const float* q = source + 2 * (half - k - (W - 1));
      T pr, pi, qr, qi;
      V::Deinterleave(V::Load(p), V::Load(p + W), pr, pi);
      V::Deinterleave(V::Load(q), V::Load(q + W), qr, qi);
      qr = V::Reverse(qr);
      qi = V::Reverse(qi);
      const T u = V::Load(cosines + k), s = V::Load(sines + k);
      const T o = pr + qr, r = pi + qi, dr = pr - qr, di = pi - qi;
      T a, b;
      if (inverse) {
        a = zero - r * u - s * dr;
        b = u * dr - r * s;
      } else {
        a = r * u - s * dr;
        b = zero - r * s - u * dr;
      }
      T outPr = o + a, outPi = di + b;
      T outQr = V::Reverse(o - a), outQi = V::Reverse(b - di);
      if (binScale) {
        const T sp = V::Load(binScale + k), sq = V::Load(binScale + half - k - (W - 1));
        outPr = outPr * sp;
        outPi = outPi * sp;
        outQr = outQr * sq;
        outQi = outQi * sq;
      }
      if (prepare) {
        outPr = outPr * pre;
        outPi = V::ApplySign(outPi * pre, negate);
        outQr = outQr * pre;
        outQi = V::ApplySign(outQi * pre, negate);
      }
      T lo, hi;
      V::Interleave(outPr, outPi, lo, hi);
      V::Store(target + 2 * k, lo);
      V::Store(target + 2 * k + W, hi);
      V::Interleave(outQr, outQi, lo, hi);
      V::Store(target + 2 * (half - k - (W - 1)), lo);
      V::Store(target + 2 * (half - k - (W - 1)) + W, hi);
    }
    // The rest one by one. The four-wide loop ends four bins before the middle; bins up to
    // there keep its form of the expressions (0 - x - y), the last four the plain one
    // (-x - y): the two differ in the sign of a zero result.
    for (; k <= quarter; ++k) {
      const float* p = source + 2 * k;
      const float* q = source + 2 * (half - k);
      const bool vectorForm = k + 4 <= quarter;
      const float u = cosines[k], s = sines[k];
      const float o = p[0] + q[0], r = p[1] + q[1], dr = p[0] - q[0], di = p[1] - q[1];
      float a, b;
      if (inverse) {
        a = vectorForm ? 0.0f - r * u - s * dr : -r * u - s * dr;
        b = u * dr - r * s;
      } else {
        a = r * u - s * dr;
        b = vectorForm ? 0.0f - r * s - u * dr : -r * s - u * dr;
      }
      float pr = o + a, pi = di + b, qr = o - a, qi = b - di;
      if (binScale) {
        pr = pr * binScale[k];
        pi = pi * binScale[k];
        qr = qr * binScale[half - k];
        qi = qi * binScale[half - k];
      }
      if (prepare) {
        pr = pr * prescale;
        pi = -(pi * prescale);
        qr = qr * prescale;
        qi = -(qi * prescale);
      }
      target[2 * k] = pr;
      target[2 * k + 1] = pi;
      target[2 * (half - k)] = qr;
      target[2 * (half - k) + 1] = qi;
    }
  }
};

}  // namespace
}  // namespace orvanix::fft_detail
