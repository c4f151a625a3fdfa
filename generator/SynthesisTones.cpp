// The sine types: 1 kHz Tone, Multiple Tones, Tone Burst, IMD Test Tones and DTMF, all
// through the common sample rule.
#include <cmath>
#include <numbers>

#include "generator/NaturalLength.h"
#include "generator/SignalTypes.h"
#include "generator/Synthesis.h"

namespace orvanix {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;

// sin(2 pi n f / R). n f is reduced modulo R first: exact for whole frequencies, and it keeps
// the angle small however far n has run.
double Sine(double n, double hz, double rate) {
  return std::sin(kTwoPi * std::fmod(n * hz, rate) / rate);
}

}  // namespace

void SynthesizeTone1k(TSynthesis& s) {
  TSampleRule rule(s.out.Format(), s.factor, s.rand);
  const double rate = s.Rate();
  for (uint32_t i = 0; i < s.out.Length(); ++i) {
    s.Tick(i);
    s.out.Put(i, rule(Sine(i + 1.0, 1000.0, rate)));
  }
}

void SynthesizeMultipleTones(const TTonesParams& p, TSynthesis& s) {
  double hz[kToneRows];
  double amplitude[kToneRows];
  int rows = 0;
  for (size_t k = 0; k < kToneRows; ++k) {
    if (!p.enable[k]) continue;
    hz[rows] = p.freqHz[k];
    amplitude[rows] = std::pow(10.0, p.powerDb[k] / 20.0);
    ++rows;
  }
  TSampleRule rule(s.out.Format(), s.factor, s.rand);
  const double rate = s.Rate();
  for (uint32_t i = 0; i < s.out.Length(); ++i) {
    s.Tick(i);
    double w = 0.0;
    for (int k = 0; k < rows; ++k) w += amplitude[k] * Sine(i + 1.0, hz[k], rate);
    // With no row enabled the sample is the dither alone around the zero value.
    if (rows > 0) w /= rows;
    s.out.Put(i, rule(w));
  }
}

void SynthesizeToneBurst(const TToneBurstParams& p, TSynthesis& s) {
  const double rate = s.Rate();
  const int64_t cycle = WholeSamples(p.cycleTimeMsec * rate * 0.001);
  const int64_t burst = WholeSamples(p.burstTimeMsec * rate * 0.001);
  TSampleRule rule(s.out.Format(), s.factor, s.rand);
  if (cycle <= 0) {
    s.out.Fill(rule.Silence());
    return;
  }
  const int64_t silence = cycle - burst;
  int64_t position = 0;
  for (uint32_t i = 0; i < s.out.Length(); ++i) {
    s.Tick(i);
    // The tone's phase runs on through the silences.
    s.out.Put(i, position < silence ? rule.Silence() : rule(Sine(i + 1.0, p.freqHz, rate)));
    if (++position >= cycle) position = 0;
  }
}

void SynthesizeImd(const TImdParams& p, TSynthesis& s) {
  const TImdTones tones = ImdTones(p);
  TSampleRule rule(s.out.Format(), s.factor, s.rand);
  const double rate = s.Rate();
  for (uint32_t i = 0; i < s.out.Length(); ++i) {
    s.Tick(i);
    const double n = i + 1.0;
    s.out.Put(
        i, rule((tones.a1 * Sine(n, tones.f1, rate) + tones.a2 * Sine(n, tones.f2, rate)) / 2.0));
  }
}

void SynthesizeDtmf(const TDtmfSignalParams& p, TSynthesis& s) {
  const uint32_t rate = s.Rate();
  const std::string& keys = p.keyString;
  const int64_t k = static_cast<int64_t>(keys.size());
  // Integer arithmetic as designed, in 64 bits.
  const int64_t pulse = int64_t{p.pulseWidthMsec} * rate / 1000;
  const int64_t spacing = int64_t{p.pulseSpacingMsec} * rate / 1000;
  const int64_t slot = pulse + spacing;
  const int64_t total = (int64_t{p.pulseWidthMsec} + p.pulseSpacingMsec) * k * rate / 1000;
  TSampleRule rule(s.out.Format(), s.factor, s.rand);
  if (k == 0 || slot <= 0 || total <= 0) {
    s.out.Fill(rule.Silence());
    return;
  }
  // Twist: the high group stronger than the low one by `twist` dB (weaker when negative).
  const double t = std::pow(10.0, std::fabs(p.twistDb) * 0.05);
  const double lowAmplitude = p.twistDb >= 0.0f ? 1.0 / t : 1.0;
  const double highAmplitude = p.twistDb >= 0.0f ? 1.0 : 1.0 / t;
  const double rateHz = rate;
  int64_t i = 0;  // 0 ... total - 1, wrapping
  int64_t u = 0;  // 1 ... slot, wrapping; advanced before use
  for (uint32_t out = 0; out < s.out.Length(); ++out) {
    s.Tick(out);
    const int64_t index = i / slot;
    const TDtmfPair pair = DtmfPair(keys[static_cast<size_t>(index < k ? index : 0)]);
    if (++u > slot) u = 1;
    if (++i >= total) i = 0;
    double w = 0.0;
    if (u <= pulse) {
      const double n = static_cast<double>(i);
      w = (lowAmplitude * Sine(n, pair.lowHz, rateHz) +
           highAmplitude * Sine(n, pair.highHz, rateHz)) /
          2.0;
    }
    s.out.Put(out, rule(w));
  }
}

}  // namespace orvanix
