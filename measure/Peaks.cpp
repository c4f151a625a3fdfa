#include "measure/Peaks.h"

#include <algorithm>

#include "engine/Decibels.h"
#include "measure/PowerScan.h"

namespace orvanix {

namespace {

// A peak must exceed this many bins on either side.
constexpr uint32_t kNeighbours = 5;
// Below any power: the search's starting value, so that an empty range finds nothing.
constexpr float kNoPower = -1.0e7f;
// Power-at-frequency and the spur search leave out the lowest bins (DC and its leakage).
constexpr uint32_t kFirstPowerBin = 3;
constexpr uint32_t kFirstPeakBin = 5;

bool Usable(const TSpectralData& spectrum) {
  return !spectrum.Error() && spectrum.BinCount() > 0;
}

bool IsLocalPeak(const float* power, uint32_t i, float p) {
  for (uint32_t k = 1; k <= kNeighbours; ++k) {
    if (!(p > power[i - k] && p > power[i + k])) return false;
  }
  return true;
}

// Pass r of the band search, for every r < count at once (no neighbour test).
void OctavePeakBands(const TSpectralData& s, uint32_t first, uint32_t last, uint32_t count,
                     uint32_t* bands) {
  float levels[kPeakRanks];
  uint32_t found = 0;
  const uint32_t end = std::min(last, s.BandCount());
  for (uint32_t b = std::max(first, s.FirstValidBand()); b < end; ++b) {
    const float v = s.Value(b);
    if (!(v > kNoDb)) continue;
    uint32_t at = 0;
    while (at < found && !(v > levels[at])) ++at;
    if (at >= count) continue;
    const uint32_t moved = std::min(found, count - 1);
    for (uint32_t j = moved; j > at; --j) {
      levels[j] = levels[j - 1];
      bands[j] = bands[j - 1];
    }
    levels[at] = v;
    bands[at] = b;
    found = std::min(found + 1, count);
  }
  for (uint32_t r = found; r < count; ++r) bands[r] = 0;
}

}  // namespace

void NarrowbandPeakBins(const TSpectralData& s, uint32_t first, uint32_t last, uint32_t count,
                        uint32_t* bins) {
  count = std::min(count, kPeakRanks);
  // Pass r picks the r-th of the qualifying bins ordered by falling power (lower bin first
  // among equals): the qualifying set does not depend on the picks, so one scan that keeps
  // the best `count` of them gives every pass.
  float powers[kPeakRanks];
  uint32_t found = 0;
  const uint32_t binCount = Usable(s) ? s.BinCount() : 0;
  const float* power = s.AveragePowers();
  if (power && binCount > 2 * kNeighbours && count > 0) {
    const uint32_t top = binCount - 1 - kNeighbours;
    first = std::min(std::max(first, kNeighbours), top);
    last = std::min(last, top);
    // Below the smallest power kept a bin cannot enter the list: most bins end at this test.
    float threshold = kNoPower;
    for (uint32_t i = NextAbove(power, first, last, threshold); i <= last;
         i = NextAbove(power, i + 1, last, threshold)) {
      const float p = power[i];
      if (!IsLocalPeak(power, i, p)) continue;
      uint32_t at = 0;
      while (at < found && !(p > powers[at])) ++at;
      const uint32_t moved = std::min(found, count - 1);
      for (uint32_t j = moved; j > at; --j) {
        powers[j] = powers[j - 1];
        bins[j] = bins[j - 1];
      }
      powers[at] = p;
      bins[at] = i;
      found = std::min(found + 1, count);
      if (found == count) threshold = powers[count - 1];
    }
  }
  for (uint32_t r = found; r < count; ++r) bins[r] = 0;
}

SpectrumPoint Peaks(const TSpectralData& s, uint32_t first, uint32_t last, uint32_t n,
                    PeakScan scan) {
  SpectrumPoint peak;
  if (!Usable(s)) return peak;
  n = std::min(n, kPeakRanks - 1);
  uint32_t picks[kPeakRanks];
  const bool bands = scan == PeakScan::Axis && OnOctaveAxis(s);
  if (bands) {
    OctavePeakBands(s, first, last, n + 1, picks);
  } else {
    NarrowbandPeakBins(s, first, last, n + 1, picks);
  }
  peak.index = picks[n];
  peak.frequency = bands ? s.BandCentre(peak.index) : s.BinFrequency(peak.index);
  // The displayed value of the bin: on a fractional-octave axis Value() reads bands, so a
  // narrowband pick there reads the band holding its frequency.
  if (!bands && OnOctaveAxis(s)) {
    peak.value = s.Value(s.BandOfFrequency(peak.frequency));
  } else {
    peak.value = s.Value(peak.index);
  }
  return peak;
}

float PowerAtFrequency(const TSpectralData& s, float frequencyHz) {
  if (!Usable(s)) return 0.f;
  const uint32_t k = s.FrequencyBin(frequencyHz);
  if (k < kFirstPowerBin || k + kFirstPowerBin > s.BinCount()) return 0.f;
  return s.AveragePower(k);
}

uint32_t NarrowbandPeakBin(const TSpectralData& s) {
  if (!Usable(s)) return 0;
  // The engine keeps the narrowband peak bin as it averages; on a fractional-octave axis
  // PeakBin() names the peak band instead, so the bins are searched here.
  if (!OnOctaveAxis(s)) return s.PeakBin();
  const uint32_t bins = s.BinCount();
  const float* power = s.AveragePowers();
  uint32_t peak = std::min(kFirstPeakBin, bins - 1);
  float best = -1.f;
  for (uint32_t i = kFirstPeakBin; i + 1 < bins; ++i) {
    if (power[i] > best) {
      best = power[i];
      peak = i;
    }
  }
  return peak;
}

TPeakSkirt FindPeakSkirt(const TSpectralData& s, uint32_t k) {
  TPeakSkirt skirt;
  if (!Usable(s)) return skirt;
  const uint32_t top = s.BinCount() - 1;
  uint32_t low = k > kFirstPowerBin + kNeighbours ? k - kNeighbours : kFirstPowerBin;
  low = std::min(low, top);
  uint32_t high = std::min(k + kNeighbours, top);
  if (k > top) high = top;

  float m = s.AveragePower(low);
  for (uint32_t j = low; j-- > 4;) {
    const float p = s.AveragePower(j);
    if (p <= m) {
      m = p;
      low = j;
    }
    if (p > 2.f * m) break;
  }
  m = s.AveragePower(high);
  for (uint32_t j = high + 1; j <= top; ++j) {
    const float p = s.AveragePower(j);
    if (p <= m) {
      m = p;
      high = j;
    }
    if (p > 2.f * m) break;
  }
  skirt.low = low;
  skirt.high = high;
  return skirt;
}

}  // namespace orvanix
