#include "utilities/DelayFinder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <new>

#include "engine/Fft.h"

namespace orvanix {

namespace {

// How far above the correlation's spread (its RMS, each lag weighed by its overlap) a peak
// must stand to be a delay. White noise on both channels at 0 dB SNR stands 60 and more
// above it at the default block length; a pure tone stands √2 above.
constexpr double kClearPeak = 6.0;

double RemoveMeanAndMeasure(const double* x, uint32_t n, float* dest) {
  double mean = 0;
  for (uint32_t i = 0; i < n; ++i) mean += x[i];
  mean /= n;
  double power = 0;
  for (uint32_t i = 0; i < n; ++i) {
    const double v = x[i] - mean;
    dest[i] = static_cast<float>(v);
    power += v * v;
  }
  return std::sqrt(power / n);
}

}  // namespace

uint32_t DelayBlockLength(int32_t maxDelayMsec, uint32_t rateHz) {
  const int64_t c = int64_t{maxDelayMsec} * rateHz / 1000;
  uint32_t n = 65536;
  if (c < 2048) {
    n = 4096;
  } else if (c < 4028) {
    n = 8192;
  } else if (c < 8192) {
    n = 16384;
  } else if (c < 16384) {
    n = 32768;
  }
  // The search reaches 3N/8 each way; the table alone leaves it short of the delay asked for
  // (40 ms at 44.1 kHz: 1764 samples against 1536), so the block grows until it reaches.
  while (3 * int64_t{n} / 8 < c && n < kMaxDelayBlock) n *= 2;
  return n;
}

double DelayInUnits(double delayMsec, const TDelayFinderOptions& options) {
  switch (options.displayUnits) {
    case 1:
      return options.speedOfSound * delayMsec * 0.001;
    case 2:
      return options.speedOfSound * 0.3048 * delayMsec * 0.001;
    default:
      return delayMsec;
  }
}

std::string DelayText(double delayMsec, const TDelayFinderOptions& options) {
  static constexpr const char* kUnits[] = {"msec", "ft", "m"};
  const int unit =
      options.displayUnits == 1 || options.displayUnits == 2 ? options.displayUnits : 0;
  char text[64];
  std::snprintf(text, sizeof text, "%6.3f %s", DelayInUnits(delayMsec, options), kUnits[unit]);
  return text;
}

std::string DelayStatusText(DelayStatus status, double searchedMsec) {
  char text[128];
  switch (status) {
    case DelayStatus::Waiting:
      return "Waiting for signal";
    case DelayStatus::SilentLeft:
      return "No signal on the left channel";
    case DelayStatus::SilentRight:
      return "No signal on the right channel";
    case DelayStatus::NotCorrelated:
      return "No clear delay between the channels";
    case DelayStatus::BeyondRange:
      std::snprintf(text, sizeof text, "Delay beyond the searched %.0f msec", searchedMsec);
      return text;
    case DelayStatus::Found:
      break;
  }
  return {};
}

TDelayFinder::TDelayFinder(int32_t maxDelayMsec, uint32_t rateHz)
    : n_(DelayBlockLength(maxDelayMsec, rateHz)), rateHz_(rateHz ? rateHz : 44100) {
  a_.reset(new (std::nothrow) float[2 * size_t{n_}]);
  b_.reset(new (std::nothrow) float[2 * size_t{n_}]);
  error_ = !a_ || !b_;
}

double TDelayFinder::SearchedMsec() const {
  return 3.0 * n_ / 8.0 * 1000.0 / rateHz_;
}

DelayStatus TDelayFinder::Update(const double* left, const double* right) {
  if (error_) return status_;
  const uint32_t n = n_;
  const uint32_t size = 2 * n;  // zero-padded: the correlation is linear, nothing wraps
  float* a = a_.get();
  float* b = b_.get();
  std::fill(a + n, a + size, 0.0f);
  std::fill(b + n, b + size, 0.0f);
  // Below one step of a 16-bit sample there is nothing to correlate.
  constexpr double kSilentRms = 1.0 / 32768.0;
  if (!(RemoveMeanAndMeasure(left, n, a) >= kSilentRms)) return status_ = DelayStatus::SilentLeft;
  if (!(RemoveMeanAndMeasure(right, n, b) >= kSilentRms)) {
    return status_ = DelayStatus::SilentRight;
  }

  // c[k] = sum over m of r[m]·l[m + k] = inverse of L·conj(R). The left block starts N/2
  // before the right one, so a left channel late by d samples peaks at k = N/2 + d.
  RealFft(a, size, 1);
  RealFft(b, size, 1);
  a[0] = a[0] * b[0] * 0.5f;
  a[1] = a[1] * b[1] * 0.5f;
  for (uint32_t i = 2; i < size; i += 2) {
    const float re = a[i] * b[i] + a[i + 1] * b[i + 1];
    const float im = a[i + 1] * b[i] - a[i] * b[i + 1];
    a[i] = 0.5f * re;  // both transforms carry a factor 2, the inverse takes one
    a[i + 1] = 0.5f * im;
  }
  RealFft(a, size, -1);
  // Lag k >= 0 sits at a[k], a negative one at a[size + k]; the blocks overlap by N - |k|.
  auto value = [&](int64_t k) { return std::fabs(double(a[k >= 0 ? k : int64_t{size} + k])); };
  auto weighed = [&](int64_t k) { return value(k) / std::sqrt(double(n - std::llabs(k))); };

  // Inside: k from N/8 up to 7N/8, the first largest magnitude wins.
  const int64_t first = n / 8, end = 7 * int64_t{n} / 8;
  int64_t best = first;
  double spread = 0;
  for (int64_t k = first; k < end; ++k) {
    if (value(k) > value(best)) best = k;
    spread += weighed(k) * weighed(k);
  }
  spread = std::sqrt(spread / double(end - first));
  const double inside = weighed(best);
  // Outside: every other lag with at least N/16 of overlap. A peak there means a delay
  // beyond the range only when it is also the stronger likeness (per overlapping sample):
  // a signal that repeats within the block (a looped noise) peaks outside as well.
  auto likeness = [&](int64_t k) { return value(k) / double(n - std::llabs(k)); };
  double outside = 0;
  int64_t outsideLag = 0;
  for (int64_t k = -int64_t{n} + n / 16; k < int64_t{n} - n / 16; ++k) {
    if (k == first) k = end;
    if (weighed(k) > outside) outside = weighed(k), outsideLag = k;
  }
  if (outside > inside && outside >= kClearPeak * spread &&
      likeness(outsideLag) > 1.5 * likeness(best)) {
    return status_ = DelayStatus::BeyondRange;
  }
  if (!(inside >= kClearPeak * spread)) return status_ = DelayStatus::NotCorrelated;
  delaySamples_ = static_cast<int32_t>(best - n / 2);
  delayMsec_ = double(delaySamples_) * 1000.0 / rateHz_;
  return status_ = DelayStatus::Found;
}

}  // namespace orvanix
