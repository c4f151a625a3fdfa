// The eight-float AVX2 vector of the transform kernels, with the same operations as the
// four-float ones of engine/FftVector.h. Included only by engine/FftAvx2.cpp, the one file
// built with AVX2 enabled; the program reaches it only on processors that have AVX2.
// No fused multiply-add: the file is built without FMA, so results stay bit-identical to
// the other kernels.
#pragma once

#include <immintrin.h>

#include <cstddef>

namespace orvanix::fft_detail {

struct Avx2 {
  static constexpr size_t kWidth = 8;
  using T = __m256;
  static T Load(const float* p) { return _mm256_loadu_ps(p); }
  static void Store(float* p, T a) { _mm256_storeu_ps(p, a); }
  static T Splat(float x) { return _mm256_set1_ps(x); }
  static T SignMask(bool negate) { return Splat(negate ? -0.0f : 0.0f); }
  static T ApplySign(T a, T mask) { return _mm256_xor_ps(a, mask); }
  // (r0 i0 ... r3 i3), (r4 i4 ... r7 i7) -> (r0 ... r7), (i0 ... i7).
  static void Deinterleave(T a, T b, T& even, T& odd) {
    const T e = _mm256_shuffle_ps(a, b, _MM_SHUFFLE(2, 0, 2, 0));  // r0 r1 r4 r5 r2 r3 r6 r7
    const T o = _mm256_shuffle_ps(a, b, _MM_SHUFFLE(3, 1, 3, 1));
    even = _mm256_castpd_ps(_mm256_permute4x64_pd(_mm256_castps_pd(e), 0xD8));
    odd = _mm256_castpd_ps(_mm256_permute4x64_pd(_mm256_castps_pd(o), 0xD8));
  }
  // (r0 ... r7), (i0 ... i7) -> (r0 i0 ... r3 i3), (r4 i4 ... r7 i7).
  static void Interleave(T re, T im, T& lo, T& hi) {
    const T l = _mm256_unpacklo_ps(re, im);  // r0 i0 r1 i1 r4 i4 r5 i5
    const T h = _mm256_unpackhi_ps(re, im);  // r2 i2 r3 i3 r6 i6 r7 i7
    lo = _mm256_permute2f128_ps(l, h, 0x20);
    hi = _mm256_permute2f128_ps(l, h, 0x31);
  }
  static T Reverse(T a) {
    return _mm256_permutevar8x32_ps(a, _mm256_setr_epi32(7, 6, 5, 4, 3, 2, 1, 0));
  }
  static void Transpose(T* r) {
    const T t0 = _mm256_unpacklo_ps(r[0], r[1]), t1 = _mm256_unpackhi_ps(r[0], r[1]);
    const T t2 = _mm256_unpacklo_ps(r[2], r[3]), t3 = _mm256_unpackhi_ps(r[2], r[3]);
    const T t4 = _mm256_unpacklo_ps(r[4], r[5]), t5 = _mm256_unpackhi_ps(r[4], r[5]);
    const T t6 = _mm256_unpacklo_ps(r[6], r[7]), t7 = _mm256_unpackhi_ps(r[6], r[7]);
    const T u0 = _mm256_shuffle_ps(t0, t2, _MM_SHUFFLE(1, 0, 1, 0));
    const T u1 = _mm256_shuffle_ps(t0, t2, _MM_SHUFFLE(3, 2, 3, 2));
    const T u2 = _mm256_shuffle_ps(t1, t3, _MM_SHUFFLE(1, 0, 1, 0));
    const T u3 = _mm256_shuffle_ps(t1, t3, _MM_SHUFFLE(3, 2, 3, 2));
    const T u4 = _mm256_shuffle_ps(t4, t6, _MM_SHUFFLE(1, 0, 1, 0));
    const T u5 = _mm256_shuffle_ps(t4, t6, _MM_SHUFFLE(3, 2, 3, 2));
    const T u6 = _mm256_shuffle_ps(t5, t7, _MM_SHUFFLE(1, 0, 1, 0));
    const T u7 = _mm256_shuffle_ps(t5, t7, _MM_SHUFFLE(3, 2, 3, 2));
    r[0] = _mm256_permute2f128_ps(u0, u4, 0x20);
    r[1] = _mm256_permute2f128_ps(u1, u5, 0x20);
    r[2] = _mm256_permute2f128_ps(u2, u6, 0x20);
    r[3] = _mm256_permute2f128_ps(u3, u7, 0x20);
    r[4] = _mm256_permute2f128_ps(u0, u4, 0x31);
    r[5] = _mm256_permute2f128_ps(u1, u5, 0x31);
    r[6] = _mm256_permute2f128_ps(u2, u6, 0x31);
    r[7] = _mm256_permute2f128_ps(u3, u7, 0x31);
  }
  static void StoreLanePairs(T re, T im, float* base, const size_t* lane) {
    const T l = _mm256_unpacklo_ps(re, im);  // lanes 0 1 | 4 5
    const T h = _mm256_unpackhi_ps(re, im);  // lanes 2 3 | 6 7
    const __m128 l0 = _mm256_castps256_ps128(l), l1 = _mm256_extractf128_ps(l, 1);
    const __m128 h0 = _mm256_castps256_ps128(h), h1 = _mm256_extractf128_ps(h, 1);
    _mm_storel_pi(reinterpret_cast<__m64*>(base + lane[0]), l0);
    _mm_storeh_pi(reinterpret_cast<__m64*>(base + lane[1]), l0);
    _mm_storel_pi(reinterpret_cast<__m64*>(base + lane[2]), h0);
    _mm_storeh_pi(reinterpret_cast<__m64*>(base + lane[3]), h0);
    _mm_storel_pi(reinterpret_cast<__m64*>(base + lane[4]), l1);
    _mm_storeh_pi(reinterpret_cast<__m64*>(base + lane[5]), l1);
    _mm_storel_pi(reinterpret_cast<__m64*>(base + lane[6]), h1);
    _mm_storeh_pi(reinterpret_cast<__m64*>(base + lane[7]), h1);
  }
};

}  // namespace orvanix::fft_detail
