#include "measure/Measurements.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "engine/Calibration.h"
#include "engine/Decibels.h"
#include "engine/Weighting.h"
#include "measure/Peaks.h"
#include "measure/PowerScan.h"

namespace orvanix {

namespace {

constexpr uint32_t kMaxHarmonic = 40;
constexpr uint32_t kFirstSpanBin = 3;
constexpr float kImdLowestHighToneHz = 1000.f;
constexpr float kImdSideHz = 200.f;
// Products closer than this to the high tone belong to its own skirt.
constexpr uint32_t kImdGuardBins = 4;
constexpr float kNoSpur = -999999.9f;

// A spectrum that has averaged no block yet holds no data: before a run its empty
// arrays would otherwise read as a peak at bin 5.
const TSpectralData* Usable(const TSpectralData* s) {
  return s && !s->Error() && s->BinCount() > 0 && s->AverageCount() > 0 ? s : nullptr;
}

// The largest local peak and the summed power of the ten next ones, over bins 3 ... B - 1
// (which the search limits to 5 ... B - 6): what THD+N, SNR and SINAD compare.
struct TSignalAndRest {
  double signal = 0;  // P1
  double rest = 0;    // S
};

TSignalAndRest SignalAndRest(const TSpectralData& s) {
  uint32_t picks[kPeakRanks];
  NarrowbandPeakBins(s, kFirstSpanBin, s.BinCount() - 1, kPeakRanks, picks);
  TSignalAndRest result;
  result.signal = PowerAtFrequency(s, s.BinFrequency(picks[0]));
  for (uint32_t n = 1; n < kPeakRanks; ++n) {
    result.rest += PowerAtFrequency(s, s.BinFrequency(picks[n]));
  }
  return result;
}

// Summed power of the eleven largest local peaks of a bin range (signed ends: an end below
// 0 is taken as 0).
double SumOfPeaks(const TSpectralData& s, int64_t first, int64_t last) {
  if (last < 0) return 0;
  uint32_t picks[kPeakRanks];
  NarrowbandPeakBins(s, static_cast<uint32_t>(std::max<int64_t>(first, 0)),
                     static_cast<uint32_t>(last), kPeakRanks, picks);
  double sum = 0;
  for (uint32_t pick : picks) sum += PowerAtFrequency(s, s.BinFrequency(pick));
  return sum;
}

// BandPower "as displayed" over a narrowband span without a logarithm and a power per
// bin: every displayed value squared back to linear form is the bin's power times one
// factor (percent squared, or the dB display's unit offset), and a bin without power shows
// -999.9 dB, which reads back as 10^-99.99.
float DisplayedPowerSum(const TSpectralData& s, const TIndexSpan& span, bool inDb) {
  const float* power = s.AveragePowers();
  const uint32_t first = std::max(span.first, kFirstSpanBin);
  const uint32_t last = std::min(span.last, s.BinCount() - 1);
  uint32_t empty = 0;
  double sum = PositivePowerSum(power, first, last, empty);
  double factor = 1.0;
  const bool dbDisplay = s.AmplitudeScale() == 1 && !s.IsCoherence();
  if (dbDisplay) {
    const float offset =
        s.Calibrated() && !s.IsRatio() ? UnitDbOffset(s.Calibration().refUnits) : 0.f;
    factor = FromDbPower(offset);
    const double noValue = FromDbAmplitude(kNoDb);
    sum = sum * factor + empty * noValue * noValue;
  } else if (!s.Calibrated() && !s.IsCoherence()) {
    sum *= 1e4;  // percent of full scale
  }
  sum *= WindowPowerFactor(s.WindowType());
  if (!(sum > 0.0)) return 0.f;
  return inDb ? ToDb(sum) : static_cast<float>(std::sqrt(sum));
}

}  // namespace

float PowerToDb(double power) {
  return ToDb(power);
}

float ComputeThd(const TSpectralData* spectrum) {
  const TSpectralData* s = Usable(spectrum);
  if (!s) return 0.f;
  const uint32_t k0 = NarrowbandPeakBin(*s);
  const float p0 = s->AveragePower(k0);
  if (!(p0 > 0.f)) return 0.f;
  const float f0 = s->BinFrequency(k0);
  if (f0 <= 1.0f) return 0.f;
  const uint32_t harmonics = std::min(static_cast<uint32_t>(s->HighLimit() / f0) + 1, kMaxHarmonic);
  const int64_t bins = s->BinCount();
  double sum = 0;
  for (uint32_t h = 2; h <= harmonics; ++h) {
    const int64_t centre = int64_t{h} * k0;
    const int64_t width = 2 * int64_t{h};
    float largest = 0.f;
    const int64_t first = std::max<int64_t>(centre - width, 1);
    const int64_t last = std::min<int64_t>(centre + width, bins - 1);
    for (int64_t j = first; j <= last; ++j) {
      largest = std::max(largest, s->AveragePower(static_cast<uint32_t>(j)));
    }
    sum += largest;
  }
  if (sum > 0) sum = std::sqrt(sum);
  return static_cast<float>(100.0 * sum / std::sqrt(double{p0}));
}

float ComputeThdPlusNoise(const TSpectralData* spectrum) {
  const TSpectralData* s = Usable(spectrum);
  if (!s) return 0.f;
  const TSignalAndRest r = SignalAndRest(*s);
  const double amplitude = r.signal > 0 ? std::sqrt(r.signal) : 0.0;
  if (amplitude == 0.0) return 0.f;
  const double rest = r.rest > 0 ? std::sqrt(r.rest) : 0.0;
  return static_cast<float>(100.0 * rest / amplitude);
}

float ComputeSnr(const TSpectralData* spectrum) {
  const TSpectralData* s = Usable(spectrum);
  if (!s) return 0.f;
  const TSignalAndRest r = SignalAndRest(*s);
  return PowerToDb(r.signal) - PowerToDb(r.rest);
}

float ComputeSinad(const TSpectralData* spectrum) {
  const TSpectralData* s = Usable(spectrum);
  if (!s) return 0.f;
  const TSignalAndRest r = SignalAndRest(*s);
  return PowerToDb(r.signal + r.rest) - PowerToDb(r.rest);
}

float ComputeImd(const TSpectralData* spectrum) {
  const TSpectralData* s = Usable(spectrum);
  if (!s) return 0.f;
  const uint32_t last = s->BinCount() - 1;
  const float high = Peaks(*s, s->FrequencyBin(kImdLowestHighToneHz), last, 0).frequency;
  const double highPower = PowerAtFrequency(*s, high);
  const double amplitude = highPower > 0 ? std::sqrt(highPower) : 0.0;
  if (amplitude == 0.0) return 0.f;
  const int64_t highBin = s->FrequencyBin(high);
  double sum = SumOfPeaks(*s, highBin + kImdGuardBins, s->FrequencyBin(high + kImdSideHz));
  sum += SumOfPeaks(*s, s->FrequencyBin(high - kImdSideHz), highBin - kImdGuardBins);
  const double products = sum > 0 ? std::sqrt(sum) : 0.0;
  return static_cast<float>(100.0 * products / amplitude);
}

float ComputeSfdr(const TSpectralData* spectrum) {
  const TSpectralData* s = Usable(spectrum);
  if (!s) return 0.f;
  const uint32_t k0 = NarrowbandPeakBin(*s);
  const TPeakSkirt skirt = FindPeakSkirt(*s, k0);
  const uint32_t bins = s->BinCount();
  const float* power = s->AveragePowers();
  // The largest bin below the skirt, then the largest from its upper end on that beats it;
  // the first of equal bins.
  uint32_t spur = 0;
  float largest = kNoSpur;
  const auto consider = [&](uint32_t from, uint32_t to) {
    if (from > to) return;
    const float top = LargestPower(power, from, to, largest);
    if (!(top > largest)) return;
    largest = top;
    spur = from;
    while (!(power[spur] == top)) ++spur;
  };
  if (skirt.low > kFirstSpanBin + 1) consider(kFirstSpanBin + 1, skirt.low - 1);
  consider(std::max(skirt.high, kFirstSpanBin + 1), bins - 1);
  return PowerToDb(power[k0]) - PowerToDb(power[spur]);
}

float ComputeNoiseFigure(const TSpectralData* left, const TSpectralData* right, int32_t polarity) {
  if (!Usable(left) || !Usable(right)) return 0.f;
  const float snrLeft = ComputeSnr(left);
  const float snrRight = ComputeSnr(right);
  return polarity == kNoiseFigureRightVsLeft ? snrRight - snrLeft : snrLeft - snrRight;
}

uint32_t PeakBin(const TSpectralData* spectrum) {
  const TSpectralData* s = Usable(spectrum);
  if (!s) return 0;
  if (!OnOctaveAxis(*s)) return NarrowbandPeakBin(*s);
  if (s->BandCount() == 0) return 0;
  uint32_t peak = s->FirstValidBand();
  float best = kNoDb;
  for (uint32_t b = s->FirstValidBand(); b <= s->LastBand(); ++b) {
    const float v = s->Value(b);
    if (v > best) {
      best = v;
      peak = b;
    }
  }
  return peak;
}

float PeakFrequency(const TSpectralData* spectrum) {
  const TSpectralData* s = Usable(spectrum);
  if (!s) return 0.f;
  const uint32_t peak = PeakBin(s);
  return OnOctaveAxis(*s) ? s->BandCentre(peak) : s->BinFrequency(peak);
}

float PeakAmplitude(const TSpectralData* spectrum) {
  const TSpectralData* s = Usable(spectrum);
  return s ? s->Value(PeakBin(s)) : 0.f;
}

TIndexSpan AnalysisSpan(const TSpectralData& s) {
  TIndexSpan span;
  if (s.Error() || s.BinCount() == 0) return span;
  if (OnOctaveAxis(s)) {
    span.first = s.FirstValidBand();
    span.last = s.LastBand();
  } else {
    span.first = std::max(s.FrequencyBin(s.LowLimit()), kFirstSpanBin);
    span.last = s.FrequencyBin(s.HighLimit());
  }
  return span;
}

float TotalPower(const TSpectralData* spectrum) {
  const TSpectralData* s = Usable(spectrum);
  if (!s) return 0.f;
  const TIndexSpan span = AnalysisSpan(*s);
  const bool inDb = s->AmplitudeScale() == 1;
  // Bands, and densities shown per hertz on a linear axis, take the engine's own route.
  const bool squaredDensity = s->SpectralDensity() && !inDb && !s->IsCoherence();
  if (OnOctaveAxis(*s) || squaredDensity) return s->BandPower(span.first, span.last, -1, inDb);
  return DisplayedPowerSum(*s, span, inDb);
}

}  // namespace orvanix
