// Backward integration against closed forms: the geometric series of an exponential decay,
// the decay time read from it, and an exponentially decaying noise as a room would give.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "measure/Schroeder.h"

namespace orvanix {
namespace {

TEST(SchroederTest, BackwardSumsAreTheTailsOfTheSequence) {
  const std::vector<double> terms = {1, 2, 3, 4};
  std::vector<double> out(4);
  SchroederIntegrate(terms, out);
  EXPECT_EQ(out, (std::vector<double>{10, 9, 7, 4}));
  // In place, as the segment analysis uses it.
  std::vector<double> same = terms;
  SchroederIntegrate(same, same);
  EXPECT_EQ(same, out);

  std::vector<double> ratio(4);
  ASSERT_TRUE(SchroederRatio(terms, ratio));
  EXPECT_DOUBLE_EQ(ratio[0], 1.0);
  EXPECT_DOUBLE_EQ(ratio[3], 0.4);
  const std::vector<double> silent = {0, 0, 0};
  std::vector<double> none(3, 7.0);
  EXPECT_FALSE(SchroederRatio(silent, none));
  EXPECT_EQ(none, (std::vector<double>{0, 0, 0}));
  EXPECT_TRUE(EnergyDecayCurveDb(std::vector<float>(16, 0.0f)).empty());
}

// h(k) = a^k has the energy r^k, r = a², and the remaining energy (r^k - r^n) / (1 - r), so
// the curve relative to the whole is (r^k - r^n) / (1 - r^n): a straight line in dB bending
// down only near the end, where the truncation takes the rest away.
TEST(SchroederTest, ExponentialDecayMatchesTheGeometricSeries) {
  const double rate = 48000.0;
  const double t60 = 0.7;
  const size_t n = static_cast<size_t>(1.2 * t60 * rate);
  const double r = std::pow(10.0, -6.0 / (t60 * rate));  // energy falls 60 dB in t60
  std::vector<float> h(n);
  for (size_t k = 0; k < n; ++k) h[k] = static_cast<float>(std::pow(std::sqrt(r), double(k)));
  const std::vector<double> curve = EnergyDecayCurveDb(h);
  ASSERT_EQ(curve.size(), n);
  const double rn = std::pow(r, double(n));
  for (size_t k = 0; k < n; k += 997) {
    const double expected = 10.0 * std::log10((std::pow(r, double(k)) - rn) / (1.0 - rn));
    ASSERT_NEAR(curve[k], expected, 0.01 + 1e-4 * std::fabs(expected)) << "sample " << k;
  }
  EXPECT_NEAR(curve.back(), 10.0 * std::log10((std::pow(r, double(n - 1)) - rn) / (1.0 - rn)),
              0.05);

  // T20 and T30 lie on the straight part: the decay time is t60 to a fraction of a percent.
  EXPECT_NEAR(DecayTimeFromCurve(curve, 1.0 / rate, 5, 20), t60, 0.002 * t60);
  EXPECT_NEAR(DecayTimeFromCurve(curve, 1.0 / rate, 5, 30), t60, 0.002 * t60);
  // A range the curve never covers gives no reading.
  EXPECT_EQ(DecayTimeFromCurve(std::vector<double>(curve.begin(), curve.begin() + n / 4),
                               1.0 / rate, 5, 30),
            -1.0);
  // A rising curve has no decay time.
  const std::vector<double> rising = {0, -6, -30, -40, 50};
  EXPECT_EQ(DecayTimeFromCurve(rising, 0.1, 5, 20), -1.0);
}

// Noise under an exponential envelope: the raw energy scatters by tens of dB from sample to
// sample, the integrated curve is smooth and gives the envelope's decay time.
TEST(SchroederTest, DecayingNoiseGivesTheEnvelopesDecayTime) {
  std::mt19937 random(31);
  std::normal_distribution<double> gauss(0.0, 1.0);
  const double rate = 44100.0;
  for (double t60 : {0.3, 1.1, 2.0}) {
    const size_t n = static_cast<size_t>(1.5 * t60 * rate);
    std::vector<float> h(n);
    for (size_t k = 0; k < n; ++k) {
      const double envelope = std::pow(10.0, -3.0 * double(k) / (t60 * rate));
      h[k] = static_cast<float>(envelope * gauss(random));
    }
    const std::vector<double> curve = EnergyDecayCurveDb(h);
    EXPECT_NEAR(DecayTimeFromCurve(curve, 1.0 / rate, 5, 30), t60, 0.03 * t60) << t60;
    EXPECT_NEAR(DecayTimeFromCurve(curve, 1.0 / rate, 5, 20), t60, 0.03 * t60) << t60;
  }
}

}  // namespace
}  // namespace orvanix
