#include "generator/DetailsChecks.h"

#include "files/SettingsRecordsGenerator.h"
#include "generator/GeneratorTexts.h"
#include "generator/SignalTypes.h"

namespace orvanix {

namespace {

using namespace gentext;

TDetailsCheck Fail(std::string message, int field, MessageIcon icon = MessageIcon::Information) {
  return {std::move(message), field, icon};
}

// lo <= v <= hi; NaN is outside.
bool Within(double v, double lo, double hi) {
  return v >= lo && v <= hi;
}

TDetailsCheck CheckSweepTime(double timeMsec, int field) {
  if (Within(timeMsec, kMinSweepMsec, kMaxSweepMsec)) return {};
  return Fail(Format(kSweepTimeRange, kMinSweepMsec, kMaxSweepMsec), field);
}

}  // namespace

TDetailsCheck CheckBurst(double burstMsec, double cycleMsec) {
  if (!(burstMsec > 0.0)) return Fail(kBurstNotPositive, 0);
  if (!(cycleMsec > 0.0)) return Fail(kCycleNotPositive, 1);
  if (burstMsec >= cycleMsec) return Fail(kBurstNotShorter, 0);
  return {};
}

TDetailsCheck CheckToneRow(double hz, double powerDb, long nyquist) {
  if (!Within(hz, 0.0, static_cast<double>(nyquist))) {
    return Fail(Format(kToneFrequencyRange, nyquist), 0);
  }
  if (!Within(powerDb, kMinLevelDb, 0.0)) {
    return Fail(Format(kTonePowerRange, static_cast<int>(kMinLevelDb), 0), 1);
  }
  return {};
}

TDetailsCheck CheckToneBurst(double hz, double burstMsec, double cycleMsec, long nyquist) {
  if (!(hz > 0.0 && hz <= static_cast<double>(nyquist))) {
    return Fail(Format(kToneFrequencyRange, nyquist), 0);
  }
  TDetailsCheck burst = CheckBurst(burstMsec, cycleMsec);
  if (!burst.Ok()) burst.field += 1;
  return burst;
}

TDetailsCheck CheckImdCustom(double lowHz, double highHz, double ratio, long nyquist) {
  const double m = static_cast<double>(nyquist);
  if (!(lowHz > 0.0 && lowHz < m)) return Fail(Format(kImdLowRange, nyquist), 0);
  if (!(highHz > 1000.0 && highHz < m)) return Fail(Format(kImdHighRange, nyquist), 1);
  if (highHz <= lowHz) return Fail(kImdHighNotAbove, 1);
  if (!Within(ratio, 1.0, 10.0)) return Fail(kImdRatioRange, 2, MessageIcon::Error);
  return {};
}

TDetailsCheck CheckFreqSweep(double startHz, double stopHz, double timeMsec, long nyquist) {
  const double m = static_cast<double>(nyquist);
  if (!Within(startHz, 0.0, m)) return Fail(Format(kSweepStartRange, 0.0, m), 0);
  if (!Within(stopHz, 0.0, m)) return Fail(Format(kSweepStopRange, 0.0, m), 1);
  return CheckSweepTime(timeMsec, 2);
}

TDetailsCheck CheckLevelSweep(double startDb, double stopDb, double hz, double timeMsec,
                              long nyquist) {
  const double m = static_cast<double>(nyquist);
  if (!Within(startDb, kMinLevelDb, 0.0))
    return Fail(Format(kLevelStartRange, 0.0, kMinLevelDb), 0);
  if (!Within(stopDb, kMinLevelDb, 0.0)) return Fail(Format(kLevelStopRange, 0.0, kMinLevelDb), 1);
  if (!Within(hz, 0.0, m)) return Fail(Format(kSignalFrequencyRange, 0.0, m), 2);
  return CheckSweepTime(timeMsec, 3);
}

TDetailsCheck CheckWaveFrequency(double hz, long nyquist) {
  const double m = static_cast<double>(nyquist);
  if (hz > 0.0 && hz <= m) return {};
  return Fail(Format(kWaveFrequencyRange, 0.0, m), 0);
}

TDetailsCheck CheckSquare(double hz, double dutyPct, long nyquist) {
  TDetailsCheck frequency = CheckWaveFrequency(hz, nyquist);
  if (!frequency.Ok()) return frequency;
  if (!Within(dutyPct, 1.0, 99.0)) return Fail(Format(kDutyRange, 1L, 99L), 1);
  return {};
}

TPulseLimits PulseLimits(long nyquist) {
  TPulseLimits limits;
  if (nyquist > 0) {
    limits.minUsec = 1000000L / (2 * nyquist);
    limits.maxWidthUsec = 100000L * limits.minUsec;
    limits.maxIntervalUsec = 100L * limits.maxWidthUsec;
  }
  return limits;
}

TDetailsCheck CheckPulse(double widthUsec, double intervalUsec, long nyquist) {
  const TPulseLimits l = PulseLimits(nyquist);
  if (!Within(widthUsec, static_cast<double>(l.minUsec), static_cast<double>(l.maxWidthUsec))) {
    return Fail(Format(kPulseWidthRange, l.minUsec, l.maxWidthUsec), 0);
  }
  if (!Within(intervalUsec, static_cast<double>(l.minUsec),
              static_cast<double>(l.maxIntervalUsec))) {
    return Fail(Format(kPulseIntervalRange, l.minUsec, l.maxIntervalUsec), 1);
  }
  if (widthUsec >= intervalUsec) return Fail(kPulseWidthNotShorter, 0);
  return {};
}

TDetailsCheck CheckDtmf(double widthMsec, double spacingMsec, double twistDb) {
  if (!Within(widthMsec, kMinDtmfMsec, kMaxDtmfMsec)) {
    return Fail(Format(kDtmfWidthRange, kMinDtmfMsec, kMaxDtmfMsec), 0);
  }
  if (!Within(spacingMsec, kMinDtmfMsec, kMaxDtmfMsec)) {
    return Fail(Format(kDtmfSpacingRange, kMinDtmfMsec, kMaxDtmfMsec), 1);
  }
  if (!Within(twistDb, -30.0, 30.0)) return Fail(kDtmfTwistRange, 2);
  return {};
}

TDetailsCheck CheckSignalRecord(const TSignalRecord& r, long nyquist) {
  switch (r.type) {
    case kSignalNoiseBurst:
      return CheckBurst(r.noiseBurst.burstTimeMsec, r.noiseBurst.cycleTimeMsec);
    case kSignalMultipleTones:
      for (size_t k = 0; k < kToneRows; ++k) {
        if (!r.tones.enable[k]) continue;
        TDetailsCheck row = CheckToneRow(r.tones.freqHz[k], r.tones.powerDb[k], nyquist);
        if (!row.Ok()) return row;
      }
      return {};
    case kSignalToneBurst:
      return CheckToneBurst(r.toneBurst.freqHz, r.toneBurst.burstTimeMsec,
                            r.toneBurst.cycleTimeMsec, nyquist);
    case kSignalImd:
      if (r.imd.imdType != 2) return {};
      return CheckImdCustom(r.imd.loFreqHz, r.imd.hiFreqHz, r.imd.powerRatio, nyquist);
    case kSignalFreqSweep:
      return CheckFreqSweep(r.freqSweep.startHz, r.freqSweep.stopHz, r.freqSweep.timeMsec, nyquist);
    case kSignalLevelSweep:
      return CheckLevelSweep(r.levelSweep.startDb, r.levelSweep.stopDb, r.levelSweep.freqHz,
                             r.levelSweep.timeMsec, nyquist);
    case kSignalSawtooth:
      return CheckWaveFrequency(r.sawtooth.freqHz, nyquist);
    case kSignalTriangular:
      return CheckWaveFrequency(r.triangular.freqHz, nyquist);
    case kSignalSquare:
      return CheckSquare(r.square.freqHz, r.square.dutyCyclePct, nyquist);
    case kSignalPulse:
      return CheckPulse(r.pulse.widthUsec, r.pulse.repIntervalUsec, nyquist);
    case kSignalDtmf:
      return CheckDtmf(r.dtmf.pulseWidthMsec, r.dtmf.pulseSpacingMsec, r.dtmf.twistDb);
    default:
      return {};
  }
}

}  // namespace orvanix
