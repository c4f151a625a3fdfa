// The scaling building blocks: decibels, the frequency grid, the spline, weighting curves,
// the window power factor and fractional-octave bands.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "engine/Decibels.h"
#include "engine/FrequencyGrid.h"
#include "engine/OctaveBands.h"
#include "engine/Smoothing.h"
#include "engine/Spline.h"
#include "engine/Weighting.h"

namespace orvanix {
namespace {

constexpr float kNan = std::numeric_limits<float>::quiet_NaN();

// The grid of N = 4096 at 44100 Hz.
FrequencyGrid Grid44100() {
  return FrequencyGrid{2048, 22050.f / 2048.f, 22050.f};
}

TEST(Decibels, ConversionsAndTheEmptyValue) {
  EXPECT_FLOAT_EQ(ToDb(1.0), 0.f);
  EXPECT_FLOAT_EQ(ToDb(1000.0), 30.f);
  EXPECT_FLOAT_EQ(AmplitudeToDb(10.0), 20.f);
  EXPECT_NEAR(AmplitudeToDb(0.5), -6.0206, 1e-4);
  for (double bad : {0.0, -1.0, std::nan("")}) {
    EXPECT_EQ(ToDb(bad), kNoDb);
    EXPECT_EQ(AmplitudeToDb(bad), kNoDb);
  }
  EXPECT_NEAR(FromDbPower(-30.0), 0.001, 1e-15);
  EXPECT_NEAR(FromDbAmplitude(-6.0206), 0.5, 1e-5);
}

TEST(FrequencyGrid, BinsAndFrequencies) {
  const FrequencyGrid g = Grid44100();
  EXPECT_EQ(g.BinFrequency(0), 0.f);
  EXPECT_FLOAT_EQ(g.BinFrequency(100), 100 * 22050.f / 2048.f);
  EXPECT_EQ(g.BinFrequency(2048), 22050.f);
  EXPECT_EQ(g.BinFrequency(1u << 31), 22050.f);

  EXPECT_EQ(g.FrequencyBin(-1.f), 0u);
  EXPECT_EQ(g.FrequencyBin(kNan), 0u);
  EXPECT_EQ(g.FrequencyBin(0.49f * g.binWidth), 0u);
  EXPECT_EQ(g.FrequencyBin(0.51f * g.binWidth), 1u);
  EXPECT_EQ(g.FrequencyBin(g.BinFrequency(1000)), 1000u);
  EXPECT_EQ(g.FrequencyBin(22040.f), 2047u);  // rounds to 2047
  EXPECT_EQ(g.FrequencyBin(22049.f), 2047u);  // would round to bin 2048, past the end
  EXPECT_EQ(g.FrequencyBin(22050.f), 2047u);
  EXPECT_EQ(g.FrequencyBin(1e30f), 2047u);
  EXPECT_EQ(g.FrequencyBin(std::numeric_limits<float>::infinity()), 2047u);
  EXPECT_EQ(FrequencyGrid{}.FrequencyBin(100.f), 0u);
}

// Natural spline by an independent route: the full tridiagonal system for the second
// derivatives solved by Gaussian elimination in double.
double ReferenceSpline(const std::vector<CurvePoint>& p, double x) {
  const size_t n = p.size();
  std::vector<std::vector<double>> a(n, std::vector<double>(n + 1, 0.0));
  a[0][0] = 1.0;
  a[n - 1][n - 1] = 1.0;
  for (size_t i = 1; i + 1 < n; ++i) {
    const double h0 = p[i].frequency - p[i - 1].frequency;
    const double h1 = p[i + 1].frequency - p[i].frequency;
    a[i][i - 1] = h0 / 6.0;
    a[i][i] = (h0 + h1) / 3.0;
    a[i][i + 1] = h1 / 6.0;
    a[i][n] = (p[i + 1].value - p[i].value) / h1 - (p[i].value - p[i - 1].value) / h0;
  }
  for (size_t c = 0; c < n; ++c) {
    for (size_t r = c + 1; r < n; ++r) {
      const double f = a[r][c] / a[c][c];
      for (size_t k = c; k <= n; ++k) a[r][k] -= f * a[c][k];
    }
  }
  std::vector<double> m(n);
  for (size_t r = n; r-- > 0;) {
    double s = a[r][n];
    for (size_t k = r + 1; k < n; ++k) s -= a[r][k] * m[k];
    m[r] = s / a[r][r];
  }
  size_t i = 0;
  while (i + 2 < n && x >= p[i + 1].frequency) ++i;
  const double h = p[i + 1].frequency - p[i].frequency;
  const double t0 = p[i + 1].frequency - x;
  const double t1 = x - p[i].frequency;
  return m[i] * t0 * t0 * t0 / (6 * h) + m[i + 1] * t1 * t1 * t1 / (6 * h) +
         (p[i].value / h - m[i] * h / 6) * t0 + (p[i + 1].value / h - m[i + 1] * h / 6) * t1;
}

TEST(Spline, ThreePointClosedForm) {
  // Through (0,0), (1,1), (2,0) the natural spline has y2 = -3 at the middle:
  // S(0.5) = 0.5 + (0.125 - 0.5)(-3)/6 = 0.6875, and S is symmetric.
  const CurvePoint p[] = {{0.f, 0.f}, {1.f, 1.f}, {2.f, 0.f}};
  const TSpline s(p, 3);
  EXPECT_FLOAT_EQ(s.Evaluate(0.5f), 0.6875f);
  EXPECT_FLOAT_EQ(s.Evaluate(1.5f), 0.6875f);
  EXPECT_FLOAT_EQ(s.Evaluate(1.f), 1.f);
  EXPECT_FLOAT_EQ(s.Evaluate(0.f), 0.f);
}

TEST(Spline, MatchesAnIndependentSolutionOnUnevenPoints) {
  std::mt19937 random(7);
  std::uniform_real_distribution<float> step(0.5f, 40.f);
  std::uniform_real_distribution<float> level(-30.f, 10.f);
  std::vector<CurvePoint> p;
  float f = 10.f;
  for (int i = 0; i < 25; ++i) {
    p.push_back({f, level(random)});
    f += step(random);
  }
  const TSpline s(p.data(), static_cast<uint32_t>(p.size()));
  for (size_t i = 0; i < p.size(); ++i) EXPECT_NEAR(s.Evaluate(p[i].frequency), p[i].value, 1e-4);
  for (float x = p.front().frequency; x < p.back().frequency; x += 0.37f) {
    EXPECT_NEAR(s.Evaluate(x), ReferenceSpline(p, x), 2e-3) << x;
  }
  // A natural spline reproduces a straight line exactly.
  std::vector<CurvePoint> line;
  for (float x : {0.f, 1.f, 3.f, 4.f, 9.f}) line.push_back({x, 2.f * x - 1.f});
  const TSpline straight(line.data(), 5);
  for (float x = 0.f; x <= 9.f; x += 0.25f) EXPECT_NEAR(straight.Evaluate(x), 2.f * x - 1.f, 1e-5);
}

TEST(Spline, EqualFrequenciesStepWithoutNaN) {
  const CurvePoint p[] = {{0.f, 0.f}, {1.f, 1.f}, {1.f, 5.f}, {2.f, 6.f}, {3.f, 8.f}};
  const TSpline s(p, 5);
  EXPECT_FLOAT_EQ(s.Evaluate(0.5f), 0.5f);  // a run of two points is a straight line
  EXPECT_FLOAT_EQ(s.Evaluate(1.f), 5.f);    // the later point of the pair
  EXPECT_FLOAT_EQ(s.Evaluate(2.f), 6.f);
  for (float x = -1.f; x <= 4.f; x += 0.01f) EXPECT_TRUE(std::isfinite(s.Evaluate(x))) << x;

  const CurvePoint end[] = {{0.f, 0.f}, {1.f, 1.f}, {2.f, 2.f}, {2.f, 3.f}};
  const TSpline t(end, 4);
  EXPECT_FLOAT_EQ(t.Evaluate(2.f), 3.f);
  EXPECT_FLOAT_EQ(t.Evaluate(5.f), 3.f);
  EXPECT_FLOAT_EQ(t.Evaluate(1.5f), 1.5f);

  const CurvePoint same[] = {{4.f, 1.f}, {4.f, 2.f}, {4.f, 3.f}};
  const TSpline u(same, 3);
  for (float x : {0.f, 4.f, 8.f}) EXPECT_TRUE(std::isfinite(u.Evaluate(x)));
}

TEST(Spline, TooFewPointsEvaluateToZero) {
  const CurvePoint p[] = {{0.f, 3.f}, {1.f, 4.f}};
  EXPECT_EQ(TSpline(p, 2).Evaluate(0.5f), 0.f);
  EXPECT_EQ(TSpline(p, 1).Evaluate(0.f), 0.f);
  EXPECT_EQ(TSpline(nullptr, 5).Evaluate(0.f), 0.f);
}

// A-weighting from its defining poles (20.6, 107.7, 737.9, 12194 Hz), normalised at 1 kHz.
double AnalyticA(double f) {
  const double f2 = f * f;
  const double r = 12194.0 * 12194.0 * f2 * f2 /
                   ((f2 + 20.6 * 20.6) * std::sqrt((f2 + 107.7 * 107.7) * (f2 + 737.9 * 737.9)) *
                    (f2 + 12194.0 * 12194.0));
  return 20.0 * std::log10(r) + 2.0;
}

TEST(Weighting, Tables) {
  EXPECT_EQ(WeightingTable(kWeightA).size(), 37u);
  EXPECT_EQ(WeightingTable(kWeightB).size(), 25u);
  EXPECT_EQ(WeightingTable(kWeightC).size(), 37u);
  EXPECT_TRUE(WeightingTable(kWeightFlat).empty());
  EXPECT_TRUE(WeightingTable(4).empty());
  for (int type = 1; type <= 3; ++type) {
    const std::vector<CurvePoint>& t = WeightingTable(type);
    for (size_t i = 1; i < t.size(); ++i) EXPECT_GT(t[i].frequency, t[i - 1].frequency);
  }
  // Every table reads 0 dB at 1 kHz; C shares the A frequencies.
  for (int type = 1; type <= 3; ++type) {
    bool found = false;
    for (const CurvePoint& p : WeightingTable(type)) {
      if (p.frequency == 1000.f) found = p.value == 0.f;
    }
    EXPECT_TRUE(found) << type;
  }
  for (size_t i = 0; i < 37; ++i) {
    EXPECT_EQ(WeightingTable(kWeightA)[i].frequency, WeightingTable(kWeightC)[i].frequency);
  }
}

TEST(Weighting, AWeightingOntoBins) {
  // 10 Hz bins put bins exactly on 10, 100, 1000 and 10000 Hz.
  const FrequencyGrid g{4800, 10.f, 48000.f};
  std::vector<float> factors(g.bins + 1, -7.f);  // one sentinel past the end
  CurveOntoBins(WeightingTable(kWeightA), g, factors.data());
  EXPECT_EQ(factors[g.bins], -7.f);
  EXPECT_EQ(factors[100], 1.0f);  // 1000 Hz
  EXPECT_NEAR(AmplitudeToDb(factors[10]), -19.1, 1e-4);
  EXPECT_NEAR(AmplitudeToDb(factors[1000]), -2.5, 1e-4);
  // At and below 10 Hz the first value is held, above 39810 Hz the last.
  EXPECT_NEAR(AmplitudeToDb(factors[0]), -70.4, 1e-4);
  EXPECT_NEAR(AmplitudeToDb(factors[1]), -70.4, 1e-4);
  EXPECT_NEAR(AmplitudeToDb(factors[4000]), -20.0, 1e-4);
  EXPECT_NEAR(AmplitudeToDb(factors[4799]), -20.0, 1e-4);
  // Between the points the curve follows the defining formula (the table is rounded to
  // 0.1 dB and its spline wiggles a little at the low end).
  for (uint32_t i = 3; i <= 1600; ++i) {
    const double f = g.BinFrequency(i);
    EXPECT_NEAR(AmplitudeToDb(factors[i]), AnalyticA(f), f < 100 ? 0.5 : 0.15) << f;
  }
}

TEST(Weighting, CurveOntoBinsClampsAndHandlesEmptyCurves) {
  const FrequencyGrid g{64, 100.f, 6400.f};
  std::vector<float> factors(64);
  CurveOntoBins({}, g, factors.data());
  for (float v : factors) EXPECT_EQ(v, 1.f);

  // The spline overshoots far beyond 120 dB between these points; inside it is clamped.
  const std::vector<CurvePoint> wild = {
      {100.f, 0.f}, {150.f, 119.f}, {200.f, -119.f}, {3000.f, 119.f}, {5000.f, 0.f}};
  CurveOntoBins(wild, g, factors.data());
  for (uint32_t i = 0; i < 64; ++i) {
    const float db = AmplitudeToDb(factors[i]);
    EXPECT_GE(db, -120.001f) << i;
    EXPECT_LE(db, 120.001f) << i;
  }
  // Held end values are not clamped, but a factor that would be exactly 0 becomes 1.
  const std::vector<CurvePoint> deep = {{1000.f, -2000.f}, {2000.f, 0.f}, {3000.f, 0.f}};
  CurveOntoBins(deep, g, factors.data());
  EXPECT_EQ(factors[0], 1.f);
  EXPECT_EQ(factors[40], 1.f);
}

TEST(Weighting, WindowPowerFactor) {
  EXPECT_NEAR(WindowPowerFactor(kWindowHanning), std::pow(10.0, -0.204), 1e-6);
  EXPECT_NEAR(WindowPowerFactor(kWindowFlatTop), std::pow(10.0, -0.535), 1e-6);
  EXPECT_NEAR(WindowPowerFactor(kWindowTriangular), std::pow(10.0, -0.16), 1e-6);
  EXPECT_EQ(WindowPowerFactor(kWindowUniform), 1.f);
  // Gaussian with its edges at 5 sigma: (mean / rms)^2 of the continuous window is sqrt(pi)/5.
  EXPECT_NEAR(WindowPowerFactor(kWindowGaussian), std::sqrt(3.14159265358979) / 5.0, 2e-3);
  EXPECT_EQ(WindowPowerFactor(99), 1.f);
  // Parzen: (mean / rms)^2 of the window, 0.375^2 / (151/560) for the continuous window.
  EXPECT_NEAR(WindowPowerFactor(kWindowParzen), 0.140625 / (151.0 / 560.0), 2e-3);
}

TEST(OctaveBands, ThirdOctaveAt44100) {
  TOctaveBands bands;
  ASSERT_TRUE(bands.Build(3, Grid44100()));
  ASSERT_EQ(bands.Count(), 44u);
  EXPECT_EQ(bands.LastBand(), 43u);
  const double centres[] = {1, 1.259, 1.585, 1.995, 2.512, 3.162};
  for (int i = 0; i < 6; ++i) EXPECT_NEAR(bands.Band(i).centre, centres[i], 5e-4) << i;
  EXPECT_NEAR(bands.Band(30).centre, 1000.0, 1e-3);
  EXPECT_NEAR(bands.Band(43).centre, 19953.0, 0.5);
  const char* labels[] = {"1",    "1.25", "1.6",  "2",    "2.5",   "3.15",  "4",     "5",    "6.3",
                          "8",    "10",   "12.5", "16",   "20",    "25",    "31.5",  "40",   "50",
                          "63",   "80",   "100",  "125",  "160",   "200",   "250",   "315",  "400",
                          "500",  "630",  "800",  "1000", "1250",  "1600",  "2000",  "2500", "3150",
                          "4000", "5000", "6300", "8000", "10000", "12500", "16000", "20000"};
  for (uint32_t i = 0; i < 44; ++i) EXPECT_EQ(BandLabel(bands.Band(i).nominal), labels[i]) << i;
}

TEST(OctaveBands, WholeOctaveAt44100AndZeroMeansOne) {
  TOctaveBands bands;
  ASSERT_TRUE(bands.Build(0, Grid44100()));
  ASSERT_EQ(bands.Count(), 15u);
  const double centres[] = {1,     1.995, 3.981, 7.943,  15.85,  31.62,  63.1, 125.9,
                            251.2, 501.2, 1000,  1995.3, 3981.1, 7943.3, 15849};
  const char* labels[] = {"1",   "2",   "4",    "8",    "16",   "31.5", "63",   "125",
                          "250", "500", "1000", "2000", "4000", "8000", "16000"};
  for (uint32_t i = 0; i < 15; ++i) {
    EXPECT_NEAR(bands.Band(i).centre, centres[i], centres[i] * 2e-4) << i;
    EXPECT_EQ(BandLabel(bands.Band(i).nominal), labels[i]) << i;
    EXPECT_NEAR(bands.Band(i).upper / bands.Band(i).centre, std::sqrt(2.0), 1e-5);
  }
  EXPECT_NEAR(bands.Band(0).lower, std::sqrt(0.5), 1e-6);
}

TEST(OctaveBands, EdgesAreContinuousAndBinMapsConsistent) {
  const FrequencyGrid g = Grid44100();
  for (uint32_t n : {1u, 3u, 6u, 12u, 24u, 48u, 96u}) {
    TOctaveBands bands;
    ASSERT_TRUE(bands.Build(n, g));
    for (uint32_t i = 0; i < bands.Count(); ++i) {
      const OctaveBand& b = bands.Band(i);
      if (i > 0) {
        EXPECT_EQ(b.lower, bands.Band(i - 1).upper) << n << "/" << i;
      }
      EXPECT_LT(b.lower, b.centre);
      EXPECT_LT(b.centre, b.upper);
      const BandBins& m = bands.Bins(i);
      EXPECT_GE(m.startWeight, 0.f);
      EXPECT_LE(m.startWeight, 1.f);
      EXPECT_GE(m.endWeight, 0.f);
      EXPECT_LE(m.endWeight, 1.f);
      EXPECT_LE(m.startBin, m.endBin);
      EXPECT_LT(m.endBin, g.bins);
    }
    // The first valid band is the first wider than one bin's span.
    const uint32_t first = bands.FirstValidBand();
    ASSERT_LT(first, bands.Count()) << n;
    EXPECT_GT(bands.Bins(first).endBin, bands.Bins(first).startBin + 1);
    for (uint32_t i = 0; i < first; ++i) {
      EXPECT_LE(bands.Bins(i).endBin, bands.Bins(i).startBin + 1);
    }
  }
}

TEST(OctaveBands, BandOfFrequency) {
  TOctaveBands bands;
  ASSERT_TRUE(bands.Build(3, Grid44100()));
  EXPECT_EQ(bands.BandOfFrequency(0.f), 0u);
  EXPECT_EQ(bands.BandOfFrequency(-5.f), 0u);
  EXPECT_EQ(bands.BandOfFrequency(kNan), 0u);
  EXPECT_EQ(bands.BandOfFrequency(1000.f), 30u);
  EXPECT_EQ(bands.BandOfFrequency(1e9f), 43u);
  for (uint32_t i = 0; i < bands.Count(); ++i) {
    EXPECT_EQ(bands.BandOfFrequency(bands.Band(i).centre), i);
    EXPECT_EQ(bands.BandOfFrequency(bands.Band(i).lower), i);  // a lower edge is inside
    EXPECT_EQ(bands.BandOfFrequency(std::nextafter(bands.Band(i).upper, 0.f)), i);
  }
}

TEST(OctaveBands, BandValueOfAFlatSpectrumIsItsWidthInBins) {
  const FrequencyGrid g = Grid44100();
  TOctaveBands bands;
  ASSERT_TRUE(bands.Build(3, g));
  const std::vector<float> ones(g.bins, 1.f);
  for (uint32_t i = bands.FirstValidBand(); i < bands.Count(); ++i) {
    const OctaveBand& b = bands.Band(i);
    if (b.upper >= (g.bins - 0.5f) * g.binWidth) break;  // the grid ends inside this band
    // Weighted partial bins add up to exactly the band's width in bins.
    const double width = (b.upper - b.lower) / g.binWidth;
    EXPECT_NEAR(bands.BandValueDb(i, ones.data(), false), 10 * std::log10(width), 1e-3) << i;
    EXPECT_NEAR(bands.BandValueDb(i, ones.data(), true), 0.0, 1e-4) << i;
  }
  // A tone in one bin appears in its band only.
  std::vector<float> tone(g.bins, 0.f);
  const uint32_t bin = g.FrequencyBin(1000.f);
  tone[bin] = 1.f;
  EXPECT_NEAR(bands.BandValueDb(30, tone.data(), false), 0.0, 1e-6);
  EXPECT_EQ(bands.BandValueDb(29, tone.data(), false), kNoDb);
  EXPECT_EQ(bands.BandValueDb(44, tone.data(), false), kNoDb);
  // The top band runs past the last bin: that bin counts once at most.
  EXPECT_LE(bands.BandValueDb(43, ones.data(), false),
            10 * std::log10(g.bins - bands.Bins(43).startBin) + 1e-4);
}

TEST(OctaveBands, FineResolutionsAndEmptyGrids) {
  TOctaveBands bands;
  ASSERT_TRUE(bands.Build(48, Grid44100()));
  EXPECT_EQ(BandLabel(bands.Band(1).nominal), "1.014");  // 1.01449 truncated to 3 places
  ASSERT_TRUE(bands.Build(24, Grid44100()));
  EXPECT_EQ(BandLabel(bands.Band(1).nominal), "1.03");
  EXPECT_EQ(BandLabel(bands.Band(2).nominal), "1.06");

  // 32-point FFT: 1378 Hz bins, no 1/24-octave band spans them; the first valid band is
  // still an index of the table.
  ASSERT_TRUE(bands.Build(24, FrequencyGrid{16, 22050.f / 16.f, 22050.f}));
  EXPECT_EQ(bands.FirstValidBand(), bands.LastBand());
  EXPECT_LT(bands.FirstValidBand(), bands.Count());

  ASSERT_TRUE(bands.Build(3, FrequencyGrid{}));
  EXPECT_EQ(bands.Count(), 0u);
  EXPECT_EQ(bands.LastBand(), 0u);
  EXPECT_EQ(bands.BandOfFrequency(100.f), 0u);
  EXPECT_EQ(bands.BandValueDb(0, nullptr, false), kNoDb);
  // An absurd Nyquist frequency or octave number keeps the table bounded.
  ASSERT_TRUE(bands.Build(1000000, FrequencyGrid{16, 1e30f, 1e30f}));
  EXPECT_LE(bands.Count(), 96u * 30u + 1u);
}

TEST(OctaveBands, LabelsDropTrailingZeros) {
  EXPECT_EQ(BandLabel(100000.f), "100000");
  EXPECT_EQ(BandLabel(12.34f), "12.34");
}

}  // namespace
}  // namespace orvanix
