// The classic waves and the pulse: integer samples from the phase within a period of whole
// samples (so a 1000 Hz sawtooth at 44100 Hz has a period of 44 samples and plays at
// 1002.27 Hz), scaled by the level factor. No dither; only the square and the pulse keep
// the 0.99 below full scale.
//
// The design scales these around 0; 8-bit output, whose silence is 127, is scaled around
// its zero value instead (sample = mid + (v - mid) x f), which is the same arithmetic for
// the signed formats.
#include "files/WaveData.h"
#include "generator/NaturalLength.h"
#include "generator/Synthesis.h"

namespace orvanix {

namespace {

int32_t Scaled(const TSampleRange& range, double v, double factor) {
  const int64_t truncated = static_cast<int64_t>(v);
  return range.Clamp(range.mid + static_cast<int64_t>((truncated - range.mid) * factor));
}

}  // namespace

void SynthesizeSawtooth(const TSawtoothParams& p, TSynthesis& s) {
  const TSampleRange range(s.out.Format());
  const int64_t period = PeriodSamples(s.Rate(), p.freqHz);
  if (period <= 0) {
    s.out.Fill(range.mid);
    return;
  }
  const double span = static_cast<double>(int64_t{range.max} - range.min);
  const bool falling = p.slope < 0;
  int64_t phase = 0;
  for (uint32_t i = 0; i < s.out.Length(); ++i) {
    s.Tick(i);
    const double step = static_cast<double>(phase) * span / static_cast<double>(period);
    const double v = falling ? range.max - step : range.min + step;
    s.out.Put(i, Scaled(range, v, s.factor));
    if (++phase >= period) phase = 0;
  }
}

void SynthesizeTriangular(const TTriangularParams& p, TSynthesis& s) {
  const TSampleRange range(s.out.Format());
  const int64_t period = PeriodSamples(s.Rate(), p.freqHz);
  const int64_t half = period / 2;
  if (half <= 0) {
    s.out.Fill(range.mid);
    return;
  }
  const double span = static_cast<double>(int64_t{range.max} - range.min);
  const double h = static_cast<double>(half);
  int64_t phase = 0;
  for (uint32_t i = 0; i < s.out.Length(); ++i) {
    s.Tick(i);
    const double v = phase < half ? range.min + static_cast<double>(phase) * span / h
                                  : range.min + span - span * static_cast<double>(phase - half) / h;
    s.out.Put(i, Scaled(range, v, s.factor));
    if (++phase >= period) phase = 0;
  }
}

void SynthesizeSquare(const TSquareParams& p, TSynthesis& s) {
  const TSampleRange range(s.out.Format());
  const int64_t period = PeriodSamples(s.Rate(), p.freqHz);
  if (period <= 0) {
    s.out.Fill(range.mid);
    return;
  }
  const int64_t highLength = WholeSamples(static_cast<double>(period) * p.dutyCyclePct * 0.01);
  const double top = range.mid + static_cast<int64_t>(0.99 * (range.max - range.mid));
  const double bottom = range.mid + static_cast<int64_t>(0.99 * (range.min - range.mid));
  const int32_t high = Scaled(range, top, s.factor);
  const int32_t low = Scaled(range, bottom, s.factor);
  int64_t phase = 0;
  for (uint32_t i = 0; i < s.out.Length(); ++i) {
    s.Tick(i);
    s.out.Put(i, phase < highLength ? high : low);
    if (++phase >= period) phase = 0;
  }
}

void SynthesizePulse(const TPulseParams& p, TSynthesis& s) {
  const TSampleRange range(s.out.Format());
  const double rate = s.Rate();
  const int64_t width = WholeSamples(p.widthUsec * rate * 0.000001);
  const int64_t interval = WholeSamples(p.repIntervalUsec * rate * 0.000001);
  if (interval <= 0) {
    s.out.Fill(range.mid);
    return;
  }
  const int32_t top = range.Clamp(static_cast<int64_t>(range.max * s.factor * 0.99));
  int64_t phase = 0;
  for (uint32_t i = 0; i < s.out.Length(); ++i) {
    s.Tick(i);
    s.out.Put(i, phase < width ? top : range.mid);
    if (++phase >= interval) phase = 0;
  }
}

}  // namespace orvanix
