// Four-float vectors for the transform kernels (engine/FftKernels.h):
//  - Scalar4: plain arrays, the fallback any compiler builds;
//  - Portable4: the compiler's generic vectors (GCC and Clang), which become NEON on ARM64
//    and SSE on x86-64;
//  - Sse2: SSE2 intrinsics (every x86-64).
// The eight-float AVX2 vector is in engine/FftVectorAvx2.h. All give bit-identical results:
// every operation is a single IEEE add, subtract, multiply, sign flip or lane move, and the
// engine is built without floating-point contraction.
// Each type offers: T (the value, with + - *), Load, Store, Splat, SignMask / ApplySign,
// Deinterleave (interleaved complex to real and imaginary parts), Interleave (back),
// Reverse (lane order), Transpose (kWidth rows) and StoreLanePairs (lane b's real and
// imaginary part to base + lane[b]).
// Internal to the transform code.
#pragma once

#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#define ORVANIX_FFT_HAS_SSE2 1
#endif

#if defined(__has_builtin)
#if __has_builtin(__builtin_shufflevector)
#define ORVANIX_FFT_HAS_PORTABLE 1
#endif
#endif

namespace orvanix::fft_detail {

struct Scalar4 {
  static constexpr size_t kWidth = 4;
  struct T {
    float x[4];
    friend T operator+(T a, T b) {
      return {{a.x[0] + b.x[0], a.x[1] + b.x[1], a.x[2] + b.x[2], a.x[3] + b.x[3]}};
    }
    friend T operator-(T a, T b) {
      return {{a.x[0] - b.x[0], a.x[1] - b.x[1], a.x[2] - b.x[2], a.x[3] - b.x[3]}};
    }
    friend T operator*(T a, T b) {
      return {{a.x[0] * b.x[0], a.x[1] * b.x[1], a.x[2] * b.x[2], a.x[3] * b.x[3]}};
    }
  };
  static T Load(const float* p) { return {{p[0], p[1], p[2], p[3]}}; }
  static void Store(float* p, T a) {
    for (int k = 0; k < 4; ++k) p[k] = a.x[k];
  }
  static T Splat(float v) { return {{v, v, v, v}}; }
  // Here the mask is a factor of -1 or +1: multiplying by it negates exactly, like a xor.
  static T SignMask(bool negate) { return Splat(negate ? -1.0f : 1.0f); }
  static T ApplySign(T a, T mask) { return a * mask; }
  static void Deinterleave(T a, T b, T& even, T& odd) {
    even = {{a.x[0], a.x[2], b.x[0], b.x[2]}};
    odd = {{a.x[1], a.x[3], b.x[1], b.x[3]}};
  }
  static void Interleave(T re, T im, T& lo, T& hi) {
    lo = {{re.x[0], im.x[0], re.x[1], im.x[1]}};
    hi = {{re.x[2], im.x[2], re.x[3], im.x[3]}};
  }
  static T Reverse(T a) { return {{a.x[3], a.x[2], a.x[1], a.x[0]}}; }
  static void Transpose(T* r) {
    const T a = r[0], b = r[1], c = r[2], d = r[3];
    for (int k = 0; k < 4; ++k) r[k] = {{a.x[k], b.x[k], c.x[k], d.x[k]}};
  }
  static void StoreLanePairs(T re, T im, float* base, const size_t* lane) {
    for (int k = 0; k < 4; ++k) {
      base[lane[k]] = re.x[k];
      base[lane[k] + 1] = im.x[k];
    }
  }
};

#if defined(ORVANIX_FFT_HAS_PORTABLE)

struct Portable4 {
  static constexpr size_t kWidth = 4;
  typedef float T __attribute__((vector_size(16)));
  typedef int Mask __attribute__((vector_size(16)));
  static T Load(const float* p) {
    T a;
    __builtin_memcpy(&a, p, sizeof a);
    return a;
  }
  static void Store(float* p, T a) { __builtin_memcpy(p, &a, sizeof a); }
  static T Splat(float v) { return T{v, v, v, v}; }
  static T SignMask(bool negate) { return Splat(negate ? -0.0f : 0.0f); }
  static T ApplySign(T a, T mask) {
    Mask bits, sign;
    __builtin_memcpy(&bits, &a, sizeof bits);
    __builtin_memcpy(&sign, &mask, sizeof sign);
    bits ^= sign;
    __builtin_memcpy(&a, &bits, sizeof a);
    return a;
  }
  static void Deinterleave(T a, T b, T& even, T& odd) {
    even = __builtin_shufflevector(a, b, 0, 2, 4, 6);
    odd = __builtin_shufflevector(a, b, 1, 3, 5, 7);
  }
  static void Interleave(T re, T im, T& lo, T& hi) {
    lo = __builtin_shufflevector(re, im, 0, 4, 1, 5);
    hi = __builtin_shufflevector(re, im, 2, 6, 3, 7);
  }
  static T Reverse(T a) { return __builtin_shufflevector(a, a, 3, 2, 1, 0); }
  static void Transpose(T* r) {
    const T t0 = __builtin_shufflevector(r[0], r[1], 0, 4, 1, 5);
    const T t1 = __builtin_shufflevector(r[0], r[1], 2, 6, 3, 7);
    const T t2 = __builtin_shufflevector(r[2], r[3], 0, 4, 1, 5);
    const T t3 = __builtin_shufflevector(r[2], r[3], 2, 6, 3, 7);
    r[0] = __builtin_shufflevector(t0, t2, 0, 1, 4, 5);
    r[1] = __builtin_shufflevector(t0, t2, 2, 3, 6, 7);
    r[2] = __builtin_shufflevector(t1, t3, 0, 1, 4, 5);
    r[3] = __builtin_shufflevector(t1, t3, 2, 3, 6, 7);
  }
  static void StoreLanePairs(T re, T im, float* base, const size_t* lane) {
    T lo, hi;
    Interleave(re, im, lo, hi);
    __builtin_memcpy(base + lane[0], &lo, 8);
    __builtin_memcpy(base + lane[1], reinterpret_cast<const char*>(&lo) + 8, 8);
    __builtin_memcpy(base + lane[2], &hi, 8);
    __builtin_memcpy(base + lane[3], reinterpret_cast<const char*>(&hi) + 8, 8);
  }
};

#endif

#if defined(ORVANIX_FFT_HAS_SSE2)

struct Sse2 {
  static constexpr size_t kWidth = 4;
  using T = __m128;
  static T Load(const float* p) { return _mm_loadu_ps(p); }
  static void Store(float* p, T a) { _mm_storeu_ps(p, a); }
  static T Splat(float x) { return _mm_set1_ps(x); }
  // A sign mask negates every lane or none.
  static T SignMask(bool negate) { return Splat(negate ? -0.0f : 0.0f); }
  static T ApplySign(T a, T mask) { return _mm_xor_ps(a, mask); }
  // (a0 a1 a2 a3), (b0 b1 b2 b3) -> even (a0 a2 b0 b2), odd (a1 a3 b1 b3).
  static void Deinterleave(T a, T b, T& even, T& odd) {
    even = _mm_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0));
    odd = _mm_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1));
  }
  // re (r0 r1 r2 r3), im (i0 i1 i2 i3) -> lo (r0 i0 r1 i1), hi (r2 i2 r3 i3).
  static void Interleave(T re, T im, T& lo, T& hi) {
    lo = _mm_unpacklo_ps(re, im);
    hi = _mm_unpackhi_ps(re, im);
  }
  static T Reverse(T a) { return _mm_shuffle_ps(a, a, _MM_SHUFFLE(0, 1, 2, 3)); }
  static void Transpose(T* r) { _MM_TRANSPOSE4_PS(r[0], r[1], r[2], r[3]); }
  static void StoreLanePairs(T re, T im, float* base, const size_t* lane) {
    const T lo = _mm_unpacklo_ps(re, im), hi = _mm_unpackhi_ps(re, im);
    _mm_storel_pi(reinterpret_cast<__m64*>(base + lane[0]), lo);
    _mm_storeh_pi(reinterpret_cast<__m64*>(base + lane[1]), lo);
    _mm_storel_pi(reinterpret_cast<__m64*>(base + lane[2]), hi);
    _mm_storeh_pi(reinterpret_cast<__m64*>(base + lane[3]), hi);
  }
};

#endif

}  // namespace orvanix::fft_detail
