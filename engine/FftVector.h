// Four-float vectors for the transform kernels: SSE2 where the target has it (every
// x86-64), plain arrays elsewhere. Both give bit-identical results: every operation is a
// single IEEE add, subtract, multiply, sign flip or lane move. Defining
// ORVANIX_FFT_PORTABLE builds the plain version on x86-64 too, to test it there.
// Internal to engine/Fft.cpp.
#pragma once

#if defined(__SSE2__) && !defined(ORVANIX_FFT_PORTABLE)
#include <emmintrin.h>
#define ORVANIX_FFT_SSE2 1
#endif

namespace orvanix::fft_detail {

#if defined(ORVANIX_FFT_SSE2)

struct F4 {
  __m128 v;
};

inline F4 Load(const float* p) {
  return {_mm_loadu_ps(p)};
}
inline void Store(float* p, F4 a) {
  _mm_storeu_ps(p, a.v);
}
inline F4 Splat(float x) {
  return {_mm_set1_ps(x)};
}
inline F4 Set(float a, float b, float c, float d) {
  return {_mm_setr_ps(a, b, c, d)};
}
inline F4 operator+(F4 a, F4 b) {
  return {_mm_add_ps(a.v, b.v)};
}
inline F4 operator-(F4 a, F4 b) {
  return {_mm_sub_ps(a.v, b.v)};
}
inline F4 operator*(F4 a, F4 b) {
  return {_mm_mul_ps(a.v, b.v)};
}
// A sign mask negates every lane or none.
inline F4 SignMask(bool negate) {
  return Splat(negate ? -0.0f : 0.0f);
}
inline F4 ApplySign(F4 a, F4 mask) {
  return {_mm_xor_ps(a.v, mask.v)};
}

// (a0 a1 a2 a3), (b0 b1 b2 b3) -> even (a0 a2 b0 b2), odd (a1 a3 b1 b3).
inline void Deinterleave(F4 a, F4 b, F4& even, F4& odd) {
  even.v = _mm_shuffle_ps(a.v, b.v, _MM_SHUFFLE(2, 0, 2, 0));
  odd.v = _mm_shuffle_ps(a.v, b.v, _MM_SHUFFLE(3, 1, 3, 1));
}
// re (r0 r1 r2 r3), im (i0 i1 i2 i3) -> lo (r0 i0 r1 i1), hi (r2 i2 r3 i3).
inline void Interleave(F4 re, F4 im, F4& lo, F4& hi) {
  lo.v = _mm_unpacklo_ps(re.v, im.v);
  hi.v = _mm_unpackhi_ps(re.v, im.v);
}
// Rows a..d become columns.
inline void Transpose(F4& a, F4& b, F4& c, F4& d) {
  _MM_TRANSPOSE4_PS(a.v, b.v, c.v, d.v);
}
inline F4 Reverse(F4 a) {
  return {_mm_shuffle_ps(a.v, a.v, _MM_SHUFFLE(0, 1, 2, 3))};
}

#else

struct F4 {
  float x[4];
};

inline F4 Load(const float* p) {
  return {{p[0], p[1], p[2], p[3]}};
}
inline void Store(float* p, F4 a) {
  for (int k = 0; k < 4; ++k) p[k] = a.x[k];
}
inline F4 Splat(float v) {
  return {{v, v, v, v}};
}
inline F4 Set(float a, float b, float c, float d) {
  return {{a, b, c, d}};
}
inline F4 operator+(F4 a, F4 b) {
  return {{a.x[0] + b.x[0], a.x[1] + b.x[1], a.x[2] + b.x[2], a.x[3] + b.x[3]}};
}
inline F4 operator-(F4 a, F4 b) {
  return {{a.x[0] - b.x[0], a.x[1] - b.x[1], a.x[2] - b.x[2], a.x[3] - b.x[3]}};
}
inline F4 operator*(F4 a, F4 b) {
  return {{a.x[0] * b.x[0], a.x[1] * b.x[1], a.x[2] * b.x[2], a.x[3] * b.x[3]}};
}
// Here the mask is a factor of -1 or +1: multiplying by it negates exactly, like the xor.
inline F4 SignMask(bool negate) {
  return Splat(negate ? -1.0f : 1.0f);
}
inline F4 ApplySign(F4 a, F4 mask) {
  return a * mask;
}
inline void Deinterleave(F4 a, F4 b, F4& even, F4& odd) {
  even = {{a.x[0], a.x[2], b.x[0], b.x[2]}};
  odd = {{a.x[1], a.x[3], b.x[1], b.x[3]}};
}
inline void Interleave(F4 re, F4 im, F4& lo, F4& hi) {
  lo = {{re.x[0], im.x[0], re.x[1], im.x[1]}};
  hi = {{re.x[2], im.x[2], re.x[3], im.x[3]}};
}
inline void Transpose(F4& a, F4& b, F4& c, F4& d) {
  const F4 ra = a, rb = b, rc = c, rd = d;
  a = {{ra.x[0], rb.x[0], rc.x[0], rd.x[0]}};
  b = {{ra.x[1], rb.x[1], rc.x[1], rd.x[1]}};
  c = {{ra.x[2], rb.x[2], rc.x[2], rd.x[2]}};
  d = {{ra.x[3], rb.x[3], rc.x[3], rd.x[3]}};
}
inline F4 Reverse(F4 a) {
  return {{a.x[3], a.x[2], a.x[1], a.x[0]}};
}

#endif

}  // namespace orvanix::fft_detail
