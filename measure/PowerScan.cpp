#include "measure/PowerScan.h"

#include <algorithm>

#if defined(__SSE2__)
#include <emmintrin.h>
#define ORVANIX_MEASURE_SSE2 1
#endif

namespace orvanix {

uint32_t NextAbove(const float* power, uint32_t from, uint32_t to, float threshold) {
  uint32_t i = from;
  if (from > to) return to + 1;
#if defined(ORVANIX_MEASURE_SSE2)
  const __m128 limit = _mm_set1_ps(threshold);
  // Eight bins per step; a step without any bin above the threshold is passed over whole.
  while (i <= to && to - i >= 7) {
    const __m128 a = _mm_cmpgt_ps(_mm_loadu_ps(power + i), limit);
    const __m128 b = _mm_cmpgt_ps(_mm_loadu_ps(power + i + 4), limit);
    if (_mm_movemask_ps(_mm_or_ps(a, b)) != 0) break;
    i += 8;
  }
#endif
  for (; i <= to; ++i) {
    if (power[i] > threshold) return i;
  }
  return to + 1;
}

float LargestPower(const float* power, uint32_t from, uint32_t to, float floor) {
  float largest = floor;
  uint32_t i = from;
  if (from > to) return floor;
#if defined(ORVANIX_MEASURE_SSE2)
  // maxps keeps its second operand when either is NaN: the running maximum goes second, so
  // a NaN power is passed over as the plain loop's comparison passes over it.
  __m128 best = _mm_set1_ps(floor);
  for (; i <= to && to - i >= 3; i += 4) best = _mm_max_ps(_mm_loadu_ps(power + i), best);
  alignas(16) float lanes[4];
  _mm_store_ps(lanes, best);
  for (float lane : lanes) largest = lane > largest ? lane : largest;
  if (i > to) return largest;
#endif
  for (; i <= to; ++i) {
    if (power[i] > largest) largest = power[i];
  }
  return largest;
}

double PositivePowerSum(const float* power, uint32_t from, uint32_t to, uint32_t& notPositive) {
  double sum = 0;
  notPositive = 0;
  if (from > to) return 0;
  uint32_t i = from;
#if defined(ORVANIX_MEASURE_SSE2)
  __m128d sumLow = _mm_setzero_pd(), sumHigh = _mm_setzero_pd();
  __m128i count = _mm_setzero_si128();
  const __m128 zero = _mm_setzero_ps();
  for (; i <= to && to - i >= 3; i += 4) {
    const __m128 p = _mm_loadu_ps(power + i);
    const __m128 positive = _mm_cmpgt_ps(p, zero);
    const __m128 kept = _mm_and_ps(p, positive);
    sumLow = _mm_add_pd(sumLow, _mm_cvtps_pd(kept));
    sumHigh = _mm_add_pd(sumHigh, _mm_cvtps_pd(_mm_movehl_ps(kept, kept)));
    // Each lane that is not positive adds one (the mask is -1 where positive).
    count = _mm_add_epi32(count, _mm_add_epi32(_mm_castps_si128(positive), _mm_set1_epi32(1)));
  }
  alignas(16) double sums[2];
  _mm_store_pd(sums, _mm_add_pd(sumLow, sumHigh));
  sum = sums[0] + sums[1];
  alignas(16) uint32_t counts[4];
  _mm_store_si128(reinterpret_cast<__m128i*>(counts), count);
  notPositive = counts[0] + counts[1] + counts[2] + counts[3];
  if (i > to) return sum;
#endif
  for (; i <= to; ++i) {
    if (power[i] > 0.f) {
      sum += power[i];
    } else {
      ++notPositive;
    }
  }
  return sum;
}

}  // namespace orvanix
