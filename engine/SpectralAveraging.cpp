// Averaging of TSpectralData: the recursive (exponential and vector) average, the linear
// average over a ring of blocks with running sums, and the peak bin.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "engine/SpectralData.h"
#include "engine/WideLoops.h"

namespace orvanix {

namespace {

// The peak search starts above bin 4: the lowest bins hold DC and the window's leakage of it.
constexpr uint32_t kFirstPeakBin = 5;

// a where `take`, else b, in bit operations: every element is written either way, which
// lets the compiler keep a peak-hold loop in vector code (a plain conditional it would turn
// back into a store that may not happen, which no vector loop can do).
inline float Select(bool take, float a, float b) {
  uint32_t x, y;
  std::memcpy(&x, &a, sizeof x);
  std::memcpy(&y, &b, sizeof y);
  const uint32_t mask = 0u - static_cast<uint32_t>(take);
  const uint32_t r = (x & mask) | (y & ~mask);
  float result;
  std::memcpy(&result, &r, sizeof result);
  return result;
}

// Where the power recursion of a two-channel spectrum reads and writes its running average.
enum class Running {
  kNone,   // no running average: the recursion reads the stored power
  kWrite,  // reads the stored power, also writes the running average
  kRatio,  // a ratio result: reads and writes the running average only
};

// One step of the recursive mean of every bin below `last`:
//   a <- ((n - 1) a + q) / n for the power q (|z|^2, or |z| for a cross spectrum) and for
//   the real and imaginary parts; vector averaging then takes the power of the averaged
//   complex value; with kHold a bin is replaced only by a larger power.
// Each bin is independent and the branches are template arguments, so the compiler turns
// the loop into vector code; every value is computed by the same operations as before.
template <bool kCross, bool kVector, bool kHold, Running kRunning>
[[gnu::always_inline]] inline void Recursive(const float* __restrict z, float* __restrict running,
                                             float* __restrict power, float* __restrict complex,
                                             uint32_t last, float n) {
  const float previous = n - 1.f;
  for (size_t i = 0; i < last; ++i) {
    const float re = z[2 * i], im = z[2 * i + 1];
    float q = re * re + im * im;
    if constexpr (kCross) q = std::sqrt(q);
    const float base = kRunning == Running::kRatio ? running[i] : power[i];
    float newPower = (previous * base + q) / n;
    const float newRe = (previous * complex[2 * i] + re) / n;
    const float newIm = (previous * complex[2 * i + 1] + im) / n;
    if constexpr (kVector) {
      newPower = newRe * newRe + newIm * newIm;
      if constexpr (kCross) newPower = std::sqrt(newPower);
    }
    if constexpr (kRunning != Running::kNone) running[i] = newPower;
    if constexpr (kHold) {
      const bool take = newPower > power[i];
      power[i] = Select(take, newPower, power[i]);
      complex[2 * i] = Select(take, newRe, complex[2 * i]);
      complex[2 * i + 1] = Select(take, newIm, complex[2 * i + 1]);
    } else {
      power[i] = newPower;
      complex[2 * i] = newRe;
      complex[2 * i + 1] = newIm;
    }
  }
}

template <bool kCross, bool kVector>
[[gnu::always_inline]] inline void RecursiveFor(bool hold, Running mode, const float* z,
                                                float* running, float* power, float* complex,
                                                uint32_t last, float n) {
  switch (mode) {
    case Running::kNone:
      hold ? Recursive<kCross, kVector, true, Running::kNone>(z, running, power, complex, last, n)
           : Recursive<kCross, kVector, false, Running::kNone>(z, running, power, complex, last, n);
      break;
    case Running::kWrite:
      hold
          ? Recursive<kCross, kVector, true, Running::kWrite>(z, running, power, complex, last, n)
          : Recursive<kCross, kVector, false, Running::kWrite>(z, running, power, complex, last, n);
      break;
    case Running::kRatio:  // never held: the ratio itself holds its peaks
      Recursive<kCross, kVector, false, Running::kRatio>(z, running, power, complex, last, n);
      break;
  }
}

// Every variant of the recursion; run through RunWide (engine/WideLoops.h), where the
// AVX2 copy takes eight bins per instruction and the divisions dominate.
struct RecursiveArgs {
  bool cross, vector, hold;
  Running mode;
  const float* z;
  float *running, *power, *complex;
  uint32_t last;
  float n;
};

[[gnu::always_inline]] inline void RecursiveAll(const RecursiveArgs* a) {
  if (a->cross) {
    a->vector ? RecursiveFor<true, true>(a->hold, a->mode, a->z, a->running, a->power, a->complex,
                                         a->last, a->n)
              : RecursiveFor<true, false>(a->hold, a->mode, a->z, a->running, a->power, a->complex,
                                          a->last, a->n);
  } else {
    a->vector ? RecursiveFor<false, true>(a->hold, a->mode, a->z, a->running, a->power, a->complex,
                                          a->last, a->n)
              : RecursiveFor<false, false>(a->hold, a->mode, a->z, a->running, a->power, a->complex,
                                           a->last, a->n);
  }
}

// The index of the largest of p[from .. end - 1] above -1 (the first of equal ones), or
// `none` when there is none. Eight interleaved searches each keep their first maximum; of
// equal maxima the lowest index wins. NaN never wins.
uint32_t LargestBin(const float* p, uint32_t from, uint32_t end, uint32_t none) {
  constexpr uint32_t kLanes = 8;
  float best[kLanes];
  int32_t where[kLanes];
  uint32_t i = from;
#if defined(__GNUC__)
  typedef float F4 __attribute__((vector_size(16)));
  typedef int32_t I4 __attribute__((vector_size(16)));
  F4 best0 = {-1.f, -1.f, -1.f, -1.f}, best1 = best0;
  I4 where0 = {0, 0, 0, 0}, where1 = where0;
  I4 index = {0, 1, 2, 3};
  index += static_cast<int32_t>(i);
  const I4 step = {4, 4, 4, 4};
  for (; i + kLanes <= end; i += kLanes) {
    F4 a, b;
    std::memcpy(&a, p + i, sizeof a);
    std::memcpy(&b, p + i + 4, sizeof b);
    const I4 ta = a > best0, tb = b > best1;
    best0 = ta ? a : best0;
    where0 = ta ? index : where0;
    index += step;
    best1 = tb ? b : best1;
    where1 = tb ? index : where1;
    index += step;
  }
  for (uint32_t l = 0; l < 4; ++l) {
    best[l] = best0[l];
    best[l + 4] = best1[l];
    where[l] = where0[l];
    where[l + 4] = where1[l];
  }
#else
  for (uint32_t l = 0; l < kLanes; ++l) {
    best[l] = -1.f;
    where[l] = 0;
  }
#endif
  for (; i < end; ++i) {
    const uint32_t l = i % kLanes;
    if (p[i] > best[l]) {
      best[l] = p[i];
      where[l] = static_cast<int32_t>(i);
    }
  }
  uint32_t peak = none;
  float top = -1.f;
  for (uint32_t l = 0; l < kLanes; ++l) {
    const uint32_t at = static_cast<uint32_t>(where[l]);
    if (best[l] > top || (best[l] == top && top > -1.f && at < peak)) {
      top = best[l];
      peak = at;
    }
  }
  return peak;
}

// A running sum kept as an unevaluated pair hi + lo of doubles: every addition's rounding
// error is caught exactly (TwoSum) and gathered in lo, so adding a float and later
// subtracting the same float leaves no trace, however large it was against the rest.
inline void AddExact(double& hi, double& lo, double x) {
  const double s = hi + x;
  const double b = s - hi;
  lo += (hi - (s - b)) + (x - b);
  hi = s;
}

// The ring slot a block replaces and the running sums: hi and lo of the power (B each),
// then of the complex values (2B each).
struct RingSlot {
  float* power;
  float* complex;
  double* sums;
  size_t bins;
};

// One linear-averaging step over every bin below `last` (see AverageRing).
template <bool kCross, bool kHold, bool kRunning>
void Ring(const float* __restrict z, const RingSlot& slot, float* __restrict running,
          float* __restrict power, float* __restrict complex, uint32_t last, double n) {
  float* __restrict slotPower = slot.power;
  float* __restrict slotComplex = slot.complex;
  double* __restrict hiPower = slot.sums;
  double* __restrict loPower = hiPower + slot.bins;
  double* __restrict hiComplex = loPower + slot.bins;
  double* __restrict loComplex = hiComplex + 2 * slot.bins;
  for (size_t i = 0; i < last; ++i) {
    const float re = z[2 * i], im = z[2 * i + 1];
    float q = re * re + im * im;
    if constexpr (kCross) q = std::sqrt(q);
    AddExact(hiPower[i], loPower[i], q);
    AddExact(hiPower[i], loPower[i], -double{slotPower[i]});
    AddExact(hiComplex[2 * i], loComplex[2 * i], re);
    AddExact(hiComplex[2 * i], loComplex[2 * i], -double{slotComplex[2 * i]});
    AddExact(hiComplex[2 * i + 1], loComplex[2 * i + 1], im);
    AddExact(hiComplex[2 * i + 1], loComplex[2 * i + 1], -double{slotComplex[2 * i + 1]});
    slotPower[i] = q;
    slotComplex[2 * i] = re;
    slotComplex[2 * i + 1] = im;
    const float newPower = static_cast<float>((hiPower[i] + loPower[i]) / n);
    const float newRe = static_cast<float>((hiComplex[2 * i] + loComplex[2 * i]) / n);
    const float newIm = static_cast<float>((hiComplex[2 * i + 1] + loComplex[2 * i + 1]) / n);
    if constexpr (kRunning) running[i] = newPower;
    if constexpr (kHold) {
      const bool take = newPower > power[i];
      power[i] = Select(take, newPower, power[i]);
      complex[2 * i] = Select(take, newRe, complex[2 * i]);
      complex[2 * i + 1] = Select(take, newIm, complex[2 * i + 1]);
    } else {
      power[i] = newPower;
      complex[2 * i] = newRe;
      complex[2 * i + 1] = newIm;
    }
  }
}

template <bool kCross>
void RingFor(bool hold, const float* z, const RingSlot& slot, float* running, float* power,
             float* complex, uint32_t last, double n) {
  if (running != nullptr) {
    hold ? Ring<kCross, true, true>(z, slot, running, power, complex, last, n)
         : Ring<kCross, false, true>(z, slot, running, power, complex, last, n);
  } else {
    hold ? Ring<kCross, true, false>(z, slot, running, power, complex, last, n)
         : Ring<kCross, false, false>(z, slot, running, power, complex, last, n);
  }
}

}  // namespace

void TSpectralData::Average(bool bandMean) {
  if (error_) return;
  // Count update: the ring fills slot by slot, then overwrites its oldest slot.
  if (averageType_ == kAverageLinear) {
    if (count_ < blocks_) {
      ringIndex_ = count_;
      ++count_;
    } else {
      count_ = blocks_;
      ringIndex_ = (ringIndex_ + 1) % blocks_;
    }
  } else {
    count_ = std::min(count_ + 1, blocks_);
  }
  const uint32_t last = bins_ - 1;  // the last bin is never averaged
  // A spectrum holding a transfer function or coherence keeps its own running average in
  // `running_`: the stored power is the ratio, which must neither feed the recursion nor
  // be compared with a cross-spectrum magnitude by peak hold.
  const bool ratio = IsRatio() && !running_.empty();
  const bool hold = peakHold_ && !octave_ && !ratio;
  float* running = running_.empty() ? nullptr : running_.data();

  if (ring_) {
    AverageRing(running, hold);
  } else {
    RecursiveArgs a;
    a.cross = crossSpectrum_;
    a.vector = averageType_ == kAverageVector;
    a.hold = hold;
    a.mode = ratio ? Running::kRatio : (running ? Running::kWrite : Running::kNone);
    a.z = block_.data();
    a.running = running;
    a.power = power_.data();
    a.complex = complex_.data();
    a.last = last;
    a.n = static_cast<float>(count_);
    RunWide<RecursiveAll>(&a);
  }
  TrackPeakBin();
  // A ratio result recomputes its bands from the ratio itself.
  if (octave_ && !ratio) UpdateBands(bandMean, peakHold_);
}

// Linear averaging over the ring: the new block replaces the oldest slot (a zero slot while
// the ring fills) and the running sums take the difference, so a block costs the same
// whatever K is. The averages are the sums divided by the count, rounded once to float.
void TSpectralData::AverageRing(float* running, bool hold) {
  RingSlot slot;
  slot.power = &ringPower_[size_t{ringIndex_} * bins_];
  slot.complex = &ringComplex_[size_t{ringIndex_} * 2 * bins_];
  slot.sums = ringSums_.data();
  slot.bins = bins_;
  const uint32_t last = bins_ - 1;
  const double n = count_;
  const float* z = block_.data();
  float* p = power_.data();
  float* c = complex_.data();
  if (crossSpectrum_) {
    RingFor<true>(hold, z, slot, running, p, c, last, n);
  } else {
    RingFor<false>(hold, z, slot, running, p, c, last, n);
  }
}

uint32_t TSpectralData::NarrowPeakBin() const {
  if (peakStale_) {
    peakBin_ = LargestBin(power_.data(), kFirstPeakBin, bins_ > 0 ? bins_ - 1 : 0,
                          std::min(kFirstPeakBin, bins_ - 1));
    peakStale_ = false;
  }
  return peakBin_;
}

}  // namespace orvanix
