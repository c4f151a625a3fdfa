// The smoothing windows against their formulas evaluated here in double, their correction
// factors against the windows' RMS and mean, and the apply/remove operations.
#include "engine/Smoothing.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <vector>

#include "engine/Fft.h"
#include "engine/Messages.h"

namespace orvanix {
namespace {

constexpr double kPi = 3.14159265358979323846;

// The windows' definitions, written independently of the engine's code.
double Expected(uint16_t type, uint32_t i, uint32_t n) {
  const double m = n - 1.0;
  const double x = std::abs(2.0 * i / m - 1.0);
  switch (type) {
    case kWindowBartlett:
      return 1.0 - x;
    case kWindowBlackman:
      return 0.42 - 0.5 * std::cos(2.0 * kPi * i / m) + 0.08 * std::cos(4.0 * kPi * i / m);
    case kWindowFlatTop: {
      // Symmetric about n/2; each end point that the cosine sum leaves out (the first, and
      // for an odd size also the last) copies its neighbour.
      const uint32_t j = std::clamp(i, 1u, n % 2 == 1 ? n - 2 : n - 1);
      const double distance = std::abs(static_cast<double>(j) - n / 2);
      const double t = 2.0 * kPi * distance / n;
      return 0.9994484 + 2.0 * (0.955728 * std::cos(t) + 0.539289 * std::cos(2 * t) +
                                0.091581 * std::cos(3 * t));
    }
    case kWindowHamming:
      return 0.54 - 0.46 * std::cos(2.0 * kPi * i / m);
    case kWindowHanning:
      return 0.5 - 0.5 * std::cos(2.0 * kPi * i / m);
    case kWindowKaiser: {
      const double c = n / 2;
      const double a = (i - c) / c;
      return std::cyl_bessel_i(0.0, 2.5 * kPi * std::sqrt(1.0 - a * a)) /
             std::cyl_bessel_i(0.0, 2.5 * kPi);
    }
    case kWindowParzen:
      return x >= 0.5 ? 2.0 * std::pow(1.0 - x, 3) : 1.0 - 6 * x * x + 6 * x * x * x;
    case kWindowTriangular:
      return i < (n - 1) / 2 ? 2.0 * i / m : 2.0 - 2.0 * i / m;
    case kWindowGaussian: {
      // Mirror image about the middle; 5 standard deviations at the block edges.
      const double d = n / 2;
      const double j = std::min<double>(i, n - 1 - i);
      const double f = 5.0 * (d - j) / d;
      return std::exp(-f * f / 2.0);
    }
    default:
      return 1.0;
  }
}

struct Stats {
  double mean = 0.0;
  double rms = 0.0;
};
Stats Measure(const std::vector<float>& table) {
  double sum = 0.0, sumSquares = 0.0;
  for (float v : table) {
    sum += v;
    sumSquares += double{v} * v;
  }
  const double n = static_cast<double>(table.size());
  return {sum / n, std::sqrt(sumSquares / n)};
}

const uint16_t kShapedTypes[] = {kWindowBartlett, kWindowBlackman,   kWindowFlatTop,
                                 kWindowHamming,  kWindowHanning,    kWindowKaiser,
                                 kWindowParzen,   kWindowTriangular, kWindowGaussian};

TEST(TSmoothing, TablesFollowTheirFormulas) {
  for (uint32_t n : {39u, 1024u}) {
    for (uint16_t type : kShapedTypes) {
      const TSmoothing window(n, type, kCorrectionNone);
      ASSERT_FALSE(window.Error());
      ASSERT_EQ(window.Table().size(), n);
      // The Bessel series stops at a relative term of 1e-4, hence Kaiser's looser bound.
      const double tolerance = type == kWindowKaiser ? 2e-4 : 2e-6;
      for (uint32_t i : {0u, 1u, 2u, n / 4, n / 2 - 1, n / 2, n / 2 + 1, 3 * n / 4, n - 2, n - 1}) {
        EXPECT_NEAR(window.Table()[i], Expected(type, i, n), tolerance)
            << TSmoothing::TypeName(type) << ", n = " << n << ", i = " << i;
      }
    }
  }
}

TEST(TSmoothing, CorrectionScalesTheTableByItsFactor) {
  const uint32_t n = 4096;
  const double energy[] = {0.24, 0.2585, -0.2675, 0.2005, 0.213, 0.248, 0.0, 0.239, 0.0, 0.0};
  const double amplitude[] = {0.319, 0.3875, 0.0, 0.285, 0.315, 0.3685, 0.0, 0.319, 0.0, 0.0};
  for (uint16_t type : kShapedTypes) {
    const TSmoothing plain(n, type, kCorrectionNone);
    const Stats stats = Measure(plain.Table());
    for (uint16_t mode : {kCorrectionEnergy, kCorrectionAmplitude}) {
      const TSmoothing corrected(n, type, mode);
      double factor = std::pow(10.0, mode == kCorrectionEnergy ? energy[type] : amplitude[type]);
      if (type == kWindowParzen || type == kWindowGaussian)
        factor = mode == kCorrectionEnergy ? 1.0 / stats.rms : 1.0 / stats.mean;
      EXPECT_NEAR(corrected.Factor(), factor, 1e-9 * factor) << TSmoothing::TypeName(type);
      for (uint32_t i : {1u, 100u, n / 2, n - 7}) {
        EXPECT_NEAR(corrected.Table()[i], plain.Table()[i] * factor, 1e-6 * factor)
            << TSmoothing::TypeName(type) << ", mode " << mode << ", i = " << i;
      }
    }
  }
  // Parzen's factors make its RMS, or its mean, exactly 1.
  EXPECT_NEAR(Measure(TSmoothing(n, kWindowParzen, kCorrectionEnergy).Table()).rms, 1.0, 1e-6);
  EXPECT_NEAR(Measure(TSmoothing(n, kWindowParzen, kCorrectionAmplitude).Table()).mean, 1.0, 1e-6);
  // An unknown correction mode corrects nothing.
  EXPECT_EQ(TSmoothing(n, kWindowHanning, 7).Table(), TSmoothing(n, kWindowHanning, 0).Table());
}

// The energy exponents are log10(1 / RMS) of each window; the amplitude ones lie a little
// above log10(1 / mean).
TEST(TSmoothing, CorrectionExponentsMatchTheWindowsRmsAndMean) {
  struct Row {
    uint16_t type;
    double energy;
    double amplitude;
  };
  const Row rows[] = {{kWindowBartlett, 0.24, 0.319},  {kWindowBlackman, 0.2585, 0.3875},
                      {kWindowHamming, 0.2005, 0.285}, {kWindowHanning, 0.213, 0.315},
                      {kWindowKaiser, 0.248, 0.3685},  {kWindowTriangular, 0.239, 0.319}};
  for (uint32_t n : {1024u, 65536u}) {
    for (const Row& row : rows) {
      const Stats stats = Measure(TSmoothing(n, row.type, kCorrectionNone).Table());
      EXPECT_NEAR(std::log10(1.0 / stats.rms), row.energy, 0.002) << TSmoothing::TypeName(row.type);
      const double above = row.amplitude - std::log10(1.0 / stats.mean);
      EXPECT_GT(above, 0.0) << TSmoothing::TypeName(row.type);
      EXPECT_LT(above, 0.02) << TSmoothing::TypeName(row.type);
    }
    // Flat top: energy exponent as the others, mean about 1 so no amplitude factor.
    const Stats flat = Measure(TSmoothing(n, kWindowFlatTop, kCorrectionNone).Table());
    EXPECT_NEAR(std::log10(1.0 / flat.rms), -0.2675, 0.002);
    EXPECT_NEAR(flat.mean, 1.0, 0.001);
    const TSmoothing flatTop(n, kWindowFlatTop, kCorrectionAmplitude);
    EXPECT_NEAR(*std::max_element(flatTop.Table().begin(), flatTop.Table().end()), 4.17, 0.01);
  }
}

TEST(TSmoothing, HanningEndsAreZeroAndItsCorrectedPeakJustUnderTheFactor) {
  for (uint32_t n : {2u, 3u, 39u, 32u, 4096u, 65536u}) {
    for (uint16_t mode : {kCorrectionNone, kCorrectionEnergy, kCorrectionAmplitude}) {
      const TSmoothing window(n, kWindowHanning, mode);
      EXPECT_EQ(window.Table().front(), 0.0f) << "n = " << n;
      EXPECT_EQ(window.Table().back(), 0.0f) << "n = " << n;
    }
  }
  const TSmoothing window(4096, kWindowHanning, kCorrectionAmplitude);
  const double peak = *std::max_element(window.Table().begin(), window.Table().end());
  const double limit = std::pow(10.0, 0.315);
  EXPECT_LT(peak, limit);
  EXPECT_GT(peak, limit * (1.0 - 1e-5));
}

// Without a factor the Gaussian window would read a full-scale tone about 12 dB low: its
// corrections follow the 1/RMS and 1/mean rule like Parzen's.
TEST(TSmoothing, GaussianCorrectionsRestoreMeanAndRms) {
  const uint32_t n = 4096;
  const TSmoothing amplitude(n, kWindowGaussian, kCorrectionAmplitude);
  const TSmoothing energy(n, kWindowGaussian, kCorrectionEnergy);
  double sum = 0.0, sumSquares = 0.0;
  for (uint32_t i = 0; i < n; ++i) {
    sum += amplitude.Table()[i];
    sumSquares += static_cast<double>(energy.Table()[i]) * energy.Table()[i];
  }
  EXPECT_NEAR(sum / n, 1.0, 1e-5);
  EXPECT_NEAR(std::sqrt(sumSquares / n), 1.0, 1e-5);
}

TEST(TSmoothing, WindowsAreSymmetricWhereTheirDefinitionIs) {
  for (uint32_t n : {39u, 4096u}) {
    for (uint16_t type : {kWindowBartlett, kWindowBlackman, kWindowHamming, kWindowHanning,
                          kWindowParzen, kWindowGaussian}) {
      const TSmoothing window(n, type, kCorrectionNone);
      const std::vector<float>& w = window.Table();
      for (uint32_t i = 0; i < n / 2; ++i) {
        ASSERT_NEAR(w[i], w[n - 1 - i], 1e-6)
            << TSmoothing::TypeName(type) << ", n = " << n << ", i = " << i;
      }
    }
  }
}

// An odd-sized Gaussian has a middle point: it must be the peak, not a hole.
TEST(TSmoothing, GaussianOfOddSizeHasItsPeakInTheMiddle) {
  const TSmoothing window(39, kWindowGaussian, kCorrectionNone);
  const std::vector<float>& w = window.Table();
  EXPECT_FLOAT_EQ(w[19], 1.0f);
  EXPECT_NEAR(w[0], std::exp(-12.5), 1e-9);
}

TEST(TSmoothing, GaussianBuildsBeyondSixteenBitCounts) {
  const uint32_t n = 1u << 18;
  const TSmoothing window(n, kWindowGaussian, kCorrectionNone);
  ASSERT_EQ(window.Table().size(), n);
  EXPECT_NEAR(window.Table()[0], std::exp(-12.5), 1e-9);
  EXPECT_NEAR(window.Table()[n - 1], std::exp(-12.5), 1e-9);
  EXPECT_NEAR(window.Table()[n / 2], 1.0, 1e-6);
  EXPECT_NEAR(window.Table()[n / 2 + 70000], Expected(kWindowGaussian, n / 2 + 70000, n), 1e-6);
}

TEST(TSmoothing, UniformHasNoTableAndPassesDataThrough) {
  const TSmoothing window(8, kWindowUniform, kCorrectionAmplitude);
  EXPECT_FALSE(window.Error());
  EXPECT_TRUE(window.Table().empty());
  const std::vector<float> input = {1, -2, 3, -4, 5, -6, 7, -8};
  std::vector<float> values = input;
  window.ApplyInPlace(values.data());
  EXPECT_EQ(values, input);
  window.RemoveInPlace(values.data());
  EXPECT_EQ(values, input);
  std::vector<float> copy(8, 0.0f);
  window.Apply(input.data(), copy.data());
  EXPECT_EQ(copy, input);
  std::vector<float> removed(8, 0.0f);
  window.Remove(input.data(), removed.data());
  EXPECT_EQ(removed, input);
}

TEST(TSmoothing, ApplyMultipliesAndRemoveDividesBack) {
  const uint32_t n = 64;
  const TSmoothing window(n, kWindowBlackman, kCorrectionEnergy);
  std::vector<float> input(n);
  for (uint32_t i = 0; i < n; ++i) input[i] = 1.0f + 0.25f * static_cast<float>(i % 5);
  std::vector<float> windowed(n, 0.0f);
  window.Apply(input.data(), windowed.data());
  for (uint32_t i = 0; i < n; ++i) {
    ASSERT_FLOAT_EQ(windowed[i], input[i] * window.Table()[i]) << i;
  }
  std::vector<float> inPlace = input;
  window.ApplyInPlace(inPlace.data());
  EXPECT_EQ(inPlace, windowed);

  // Blackman's end values are about 1e-17: Remove skips them and leaves the destination.
  constexpr float kUntouched = 99.0f;
  std::vector<float> restored(n, kUntouched);
  window.Remove(windowed.data(), restored.data());
  EXPECT_EQ(restored.front(), kUntouched);
  EXPECT_EQ(restored.back(), kUntouched);
  for (uint32_t i = 1; i + 1 < n; ++i) ASSERT_NEAR(restored[i], input[i], 1e-5 * input[i]) << i;
}

TEST(TSmoothing, RemoveInPlaceLeavesHanningEndPoints) {
  const uint32_t n = 256;
  const TSmoothing window(n, kWindowHanning, kCorrectionAmplitude);
  std::vector<float> input(n);
  for (uint32_t i = 0; i < n; ++i) input[i] = std::sin(0.1f * static_cast<float>(i)) + 2.0f;
  std::vector<float> values = input;
  window.ApplyInPlace(values.data());
  EXPECT_EQ(values.front(), 0.0f);
  EXPECT_EQ(values.back(), 0.0f);
  window.RemoveInPlace(values.data());
  EXPECT_EQ(values.front(), 0.0f);
  EXPECT_EQ(values.back(), 0.0f);
  for (uint32_t i = 1; i + 1 < n; ++i) ASSERT_NEAR(values[i], input[i], 1e-4) << i;
}

// A Hanning-windowed sine on a bin centre: the window's coherent gain (n-1)/(2n) scales the
// bin, half of that leaks into each neighbour, nothing further out.
TEST(TSmoothing, WindowedSineOnABinCentre) {
  const uint32_t n = 4096;
  const uint32_t bin = 300;
  const double amplitude = 0.8;
  std::vector<float> data(n);
  for (uint32_t j = 0; j < n; ++j) {
    data[j] = static_cast<float>(amplitude * std::sin(2.0 * kPi * bin * j / n));
  }
  TSmoothing(n, kWindowHanning, kCorrectionNone).ApplyInPlace(data.data());
  ASSERT_TRUE(RealFft(data.data(), n, 1));
  const auto magnitude = [&](uint32_t k) { return std::hypot(data[2 * k], data[2 * k + 1]); };
  // The layout holds 2 X(k); |X(bin)| = amplitude / 2 * sum(w) = amplitude (n - 1) / 4.
  const double centre = amplitude * (n - 1) / 2.0;
  EXPECT_NEAR(magnitude(bin), centre, 1e-3 * centre);
  EXPECT_NEAR(magnitude(bin - 1), centre / 2, 1e-3 * centre);
  EXPECT_NEAR(magnitude(bin + 1), centre / 2, 1e-3 * centre);
  for (uint32_t k : {bin - 10, bin - 3, bin + 3, bin + 50})
    EXPECT_LT(magnitude(k), 1e-3 * centre) << k;
}

TEST(TSmoothing, InvalidTypeIsReportedAndDisablesTheWindow) {
  TRecordingSink sink;
  const TScopedMessageSink scope(&sink);
  TSmoothing window(64, kWindowTypeCount, kCorrectionNone);
  EXPECT_TRUE(window.Error());
  EXPECT_TRUE(window.Table().empty());
  ASSERT_TRUE(sink.Contains(kInvalidWindowTypeMessage));
  EXPECT_EQ(sink.Entries().back().caption, kInvalidWindowTypeCaption);
  EXPECT_EQ(sink.Entries().back().icon, MessageIcon::Error);

  const std::vector<float> input(64, 3.0f);
  std::vector<float> values = input;
  window.ApplyInPlace(values.data());
  window.RemoveInPlace(values.data());
  std::vector<float> destination(64, -1.0f);
  window.Apply(input.data(), destination.data());
  window.Remove(input.data(), destination.data());
  EXPECT_EQ(values, input);
  EXPECT_EQ(destination, std::vector<float>(64, -1.0f));

  // A valid type brings the window back.
  window.SetType(kWindowHanning);
  EXPECT_FALSE(window.Error());
  EXPECT_EQ(window.Table(), TSmoothing(64, kWindowHanning, kCorrectionNone).Table());
}

TEST(TSmoothing, OversizedTableIsReportedAsAllocationFailure) {
  TRecordingSink sink;
  const TScopedMessageSink scope(&sink);
  TSmoothing window(kMaxWindowSize + 1, kWindowHanning, kCorrectionNone);
  EXPECT_TRUE(window.Error());
  EXPECT_TRUE(window.Table().empty());
  ASSERT_TRUE(sink.Contains(kInsufficientMemory));
  EXPECT_EQ(sink.Entries().back().caption, kProgramTitle);
  EXPECT_EQ(sink.Entries().back().icon, MessageIcon::Error);
  std::vector<float> values(16, 2.0f);
  window.ApplyInPlace(values.data());
  EXPECT_EQ(values, std::vector<float>(16, 2.0f));
  window.SetSize(16);
  EXPECT_FALSE(window.Error());
  EXPECT_EQ(window.Table().size(), 16u);
}

TEST(TSmoothing, RebuildSetSizeAndSetTypeMatchAFreshWindow) {
  TRecordingSink sink;
  const TScopedMessageSink scope(&sink);
  TSmoothing window(128, kWindowBartlett, kCorrectionAmplitude);
  window.SetSize(512);
  EXPECT_EQ(window.Size(), 512u);
  EXPECT_EQ(window.Table(), TSmoothing(512, kWindowBartlett, kCorrectionAmplitude).Table());
  window.SetType(kWindowKaiser);
  EXPECT_EQ(window.Type(), kWindowKaiser);
  EXPECT_EQ(window.Table(), TSmoothing(512, kWindowKaiser, kCorrectionAmplitude).Table());
  window.SetType(kWindowUniform);
  EXPECT_TRUE(window.Table().empty());
  window.Rebuild(1000, kWindowParzen, kCorrectionEnergy);
  EXPECT_EQ(window.Size(), 1000u);
  EXPECT_EQ(window.Correction(), kCorrectionEnergy);
  EXPECT_EQ(window.Table(), TSmoothing(1000, kWindowParzen, kCorrectionEnergy).Table());
  EXPECT_TRUE(sink.Entries().empty());
}

TEST(TSmoothing, DegenerateSizes) {
  for (uint16_t type : kShapedTypes) {
    const TSmoothing one(1, type, kCorrectionEnergy);
    EXPECT_FALSE(one.Error());
    EXPECT_EQ(one.Table(), std::vector<float>{1.0f}) << TSmoothing::TypeName(type);
    const TSmoothing none(0, type, kCorrectionEnergy);
    EXPECT_FALSE(none.Error());
    EXPECT_TRUE(none.Table().empty());
    const TSmoothing two(2, type, kCorrectionNone);
    for (float v : two.Table()) {
      EXPECT_TRUE(std::isfinite(v)) << TSmoothing::TypeName(type);
    }
  }
}

TEST(TSmoothing, TypeNames) {
  const char* names[] = {"Bartlett", "Blackman", "Flat top",   "Hamming", "Hanning",
                         "Kaiser",   "Parzen",   "Triangular", "Uniform", "Gaussian"};
  for (uint16_t type = 0; type < kWindowTypeCount; ++type) {
    EXPECT_EQ(TSmoothing::TypeName(type), names[type]);
    EXPECT_LE(TSmoothing::TypeName(type).size(), 12u);
  }
  EXPECT_EQ(TSmoothing::TypeName(kWindowTypeCount), "");
  EXPECT_EQ(TSmoothing::TypeName(0xFFFF), "");
}

}  // namespace
}  // namespace orvanix
