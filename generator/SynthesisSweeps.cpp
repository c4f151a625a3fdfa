// Freq Sweep (linear and logarithmic) and Level Sweep. Each sweep restarts at the start of
// every sweep length N (its position g runs 0 ... N - 1 and wraps), phase included.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "generator/NaturalLength.h"
#include "generator/Synthesis.h"

namespace orvanix {

namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr int kMaxCorrectionPasses = 10001;
constexpr double kCorrectionFactor = 1.001;
constexpr int kCrossings = 7;  // 6 half periods: 3 periods

double Sine(double n, double hz, double rate) {
  return std::sin(kTwoPi * std::fmod(n * hz, rate) / rate);
}

// The log sweep's frequency at position g: 10^(g step + base), the exponent kept within
// -200 ... 200.
double LogFrequency(int64_t g, double step, double base) {
  return std::pow(10.0, std::clamp(static_cast<double>(g) * step + base, -200.0, 200.0));
}

}  // namespace

double LogSweepStep(double f0, double f1, int64_t n, uint32_t rate) {
  if (n <= 0) return 0.0;
  double step = (std::log10(f1 * 0.5) - std::log10(f0 * 0.5)) * 0.5 / static_cast<double>(n);
  if (f0 == f1 || n < 1000) return step;
  // The phase (g + 1) x f(g) makes the sweep end above f(N); the step is raised until the
  // end frequency, measured over the last three periods from the sign changes, reaches f1.
  const double base = std::log10(f0);
  const double rateHz = rate;
  for (int pass = 0; pass < kMaxCorrectionPasses; ++pass) {
    int64_t found[kCrossings];
    int count = 0;
    int previous = 0;
    for (int64_t g = n - 1; g >= 0 && count < kCrossings; --g) {
      const double v = Sine(static_cast<double>(g + 1), LogFrequency(g, step, base), rateHz);
      const int sign = v > 0.0 ? 1 : -1;  // 0 counts as negative
      if (g < n - 1 && sign != previous) found[count++] = g;
      previous = sign;
    }
    // Fewer than three periods in the whole sweep: the end is too low to measure, which
    // counts as below f1.
    const double measured =
        count == kCrossings ? rateHz * 3.0 / static_cast<double>(found[0] - found[kCrossings - 1])
                            : 0.0;
    if (measured >= f1) break;
    step *= kCorrectionFactor;
  }
  return step;
}

void SynthesizeFreqSweep(const TFreqSweepParams& p, TSynthesis& s) {
  const uint32_t rate = s.Rate();
  const double rateHz = rate;
  const int64_t n = WholeSamples(p.timeMsec * rateHz * 0.001);
  TSampleRule rule(s.out.Format(), s.factor, s.rand);
  if (n <= 0) {
    s.out.Fill(rule.Silence());
    return;
  }
  double f0 = std::min<double>(p.startHz, rateHz / 2.0);
  double f1 = std::min<double>(p.stopHz, rateHz / 2.0);
  const uint32_t length = s.out.Length();

  if (p.sweepType != 2) {
    // Linear: f(g) = F0 + g step with the step halved, so that the frequency of the phase's
    // derivative, F0 + (2g + 1) step, runs from F0 to F1.
    const double step = (f1 - f0) / static_cast<double>(n) * 0.5;
    int64_t g = 0;
    for (uint32_t i = 0; i < length; ++i) {
      s.Tick(i);
      const double hz = f0 + static_cast<double>(g) * step;
      s.out.Put(i, rule(Sine(static_cast<double>(g + 1), hz, rateHz)));
      if (++g >= n) g = 0;
    }
    return;
  }

  // Logarithmic. The step is found on frequencies a tenth of the real ones (more samples per
  // period for the measurement); a downward sweep is built upward and written backwards.
  f0 = std::max(f0, 1.0) / 10.0;
  f1 = std::max(f1, 1.0) / 10.0;
  const bool reversed = f1 < f0;
  if (reversed) std::swap(f0, f1);
  const double step = LogSweepStep(f0, f1, n, rate);
  const double base = std::log10(f0 * 10.0);
  int64_t g = 0;
  for (uint32_t i = 0; i < length; ++i) {
    s.Tick(i);
    const int32_t v = rule(Sine(static_cast<double>(g + 1), LogFrequency(g, step, base), rateHz));
    s.out.Put(reversed ? length - 1 - i : i, v);
    if (++g >= n) g = 0;
  }
}

void SynthesizeLevelSweep(const TLevelSweepParams& p, TSynthesis& s) {
  const uint32_t rate = s.Rate();
  const double rateHz = rate;
  const int64_t n = WholeSamples(static_cast<double>(int64_t{p.timeMsec} * rate) * 0.001);
  TSampleRule rule(s.out.Format(), s.factor, s.rand);
  if (n <= 0) {
    s.out.Fill(rule.Silence());
    return;
  }
  const double start = p.startDb;
  const double slope = (static_cast<double>(p.stopDb) - start) / static_cast<double>(n);
  int64_t g = 0;
  for (uint32_t i = 0; i < s.out.Length(); ++i) {
    s.Tick(i);
    const double levelDb = start + static_cast<double>(g) * slope;
    const double w =
        Sine(static_cast<double>(g + 1), p.freqHz, rateHz) * std::pow(10.0, levelDb / 20.0);
    s.out.Put(i, rule(w));
    if (++g >= n) g = 0;
  }
}

}  // namespace orvanix
