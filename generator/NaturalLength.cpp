#include "generator/NaturalLength.h"

#include <cmath>

#include "generator/NoiseResource.h"
#include "generator/SignalTypes.h"

namespace orvanix {

namespace {

// Far beyond any buffer (the builder refuses lengths above a few hundred million), yet far
// from overflowing when a few such values are added or multiplied by small numbers.
constexpr double kSaturation = 1e15;

}  // namespace

int64_t WholeSamples(double value) {
  if (!(value > 0.0)) return 0;
  if (value > kSaturation) return static_cast<int64_t>(kSaturation);
  return static_cast<int64_t>(value);
}

int64_t PeriodSamples(uint32_t rate, double hz) {
  if (!(hz > 0.0)) return 0;
  return WholeSamples(rate / hz);
}

int64_t NaturalLength(const TSignalRecord& r, uint32_t rate, const TNoiseResources* noise,
                      int64_t userFrames) {
  const double rateHz = rate;
  switch (r.type) {
    case kSignalWhiteNoise:
      return noise ? noise->white.LoopLength() : 0;
    case kSignalPinkNoise:
      return noise ? noise->pink.UnevenLength() : 0;
    case kSignalNoiseBurst:
      return WholeSamples(r.noiseBurst.cycleTimeMsec * rateHz * 0.001);
    case kSignalToneBurst:
      return WholeSamples(r.toneBurst.cycleTimeMsec * rateHz * 0.001);
    case kSignalTone1k:
    case kSignalMultipleTones:
      return 10 * int64_t{rate};
    case kSignalImd:
    case kSignalDigitalZero:
      return rate;
    case kSignalFreqSweep:
      return WholeSamples(r.freqSweep.timeMsec * rateHz * 0.001);
    case kSignalLevelSweep:
      return WholeSamples(r.levelSweep.timeMsec * rateHz * 0.001);
    case kSignalSawtooth:
      return PeriodSamples(rate, r.sawtooth.freqHz);
    case kSignalTriangular:
      return PeriodSamples(rate, r.triangular.freqHz);
    case kSignalSquare:
      return PeriodSamples(rate, r.square.freqHz);
    case kSignalPulse:
      return WholeSamples(r.pulse.repIntervalUsec * rateHz * 0.000001);
    case kSignalUserDefined:
      return userFrames > 0 ? userFrames : 0;
    case kSignalDtmf: {
      // Integer arithmetic as designed, in 64 bits: 100 keys x 20000 ms x 384000 Hz does
      // not fit 32.
      const int64_t keys = static_cast<int64_t>(r.dtmf.keyString.size());
      const int64_t ms = int64_t{r.dtmf.pulseWidthMsec} + r.dtmf.pulseSpacingMsec;
      const int64_t n = keys * ms * rate / 1000;
      return n > 0 ? n : 0;
    }
    default:
      return 0;
  }
}

int64_t OneSecondRule(int64_t length, uint32_t rate) {
  const int64_t r = rate;
  if (length <= 0) return r;
  if (length < r) return length * (r / length + 1);
  return length;
}

}  // namespace orvanix
