// Peak search: frequency and level interpolated between bins, for tones placed anywhere
// between two bins, against the tone's known frequency and amplitude.
#include <gtest/gtest.h>

#include <cmath>

#include "ViewTestHelpers.h"
#include "engine/Smoothing.h"
#include "views/PeakSearch.h"

namespace orvanix {
namespace {

struct TError {
  double maxBins = 0.0;
  double maxDb = 0.0;
};

// Tones at bin 200 + f, f = 0 ... 1 in tenths, amplitude 0.5. The reference level is what
// the instrument reads for the same tone on a bin centre: the windows' amplitude corrections
// are the program's own constants (Hanning reads a full-scale sine as +0.28 dB), and the
// interpolation is to remove the loss between bins, not to change the calibration.
TError SweepBetweenBins(uint16_t window) {
  ProcessingSettings p = test::MakeProcessing(1, 4096, kLeftOnly);
  p.smoothingWindow = window;
  p.UpdateDerived();
  test::TFakeSource source(p, test::MakeScaling(0, 1));
  EXPECT_TRUE(source.Ok());
  const double binHz = 44100.0 / 4096.0;
  source.Feed({{200.0 * binHz, 0.5}}, 1, 0.0);
  const double expectedDb = source.Primary()->Value(200);
  EXPECT_NEAR(expectedDb, 20.0 * std::log10(0.5), 0.35);
  TError error;
  for (int tenth = 0; tenth <= 10; ++tenth) {
    const double hz = (200.0 + tenth / 10.0) * binHz;
    source.Objects().left->Reset();
    source.Feed({{hz, 0.5}}, 1, 0.0);
    const TSpectralData& s = *source.Primary();
    const std::vector<TPeak> peaks = FindPeaks(s, 5, s.BinCount() - 5, 1, window, true);
    EXPECT_EQ(peaks.size(), 1u);
    if (peaks.empty()) continue;
    const double binError = std::fabs(peaks[0].hz - hz) / binHz;
    const double dbError = std::fabs(peaks[0].level - expectedDb);
    error.maxBins = std::max(error.maxBins, binError);
    error.maxDb = std::max(error.maxDb, dbError);
    // The raw bin is off by up to half a bin and, for Hanning, by up to 1.4 dB: the
    // interpolation must do better than the bin it starts from.
    EXPECT_LE(binError, std::fabs(s.BinFrequency(peaks[0].index) - hz) / binHz + 1e-3)
        << "tone " << hz;
  }
  return error;
}

TEST(PeakSearch, FlatTopWithinHundredthDbAndTwentiethBin) {
  const TError e = SweepBetweenBins(kWindowFlatTop);
  EXPECT_LT(e.maxDb, 0.01);
  EXPECT_LT(e.maxBins, 0.05);
  std::printf("flat top: max error %.4f bin, %.4f dB\n", e.maxBins, e.maxDb);
}

TEST(PeakSearch, HanningWithinTenthDb) {
  const TError e = SweepBetweenBins(kWindowHanning);
  EXPECT_LT(e.maxDb, 0.1);
  EXPECT_LT(e.maxBins, 0.05);
  std::printf("hanning: max error %.4f bin, %.4f dB\n", e.maxBins, e.maxDb);
}

TEST(PeakSearch, OtherWindowsAndLinearAxis) {
  for (uint16_t window : {kWindowUniform, kWindowBlackman, kWindowHamming}) {
    const TError e = SweepBetweenBins(window);
    EXPECT_LT(e.maxDb, 0.1) << kWindowTypeNames[window];
    EXPECT_LT(e.maxBins, 0.05) << kWindowTypeNames[window];
  }
  // On a linear axis the level comes back in percent of full scale (Uniform: no correction).
  ProcessingSettings p = test::MakeProcessing(1, 4096, kLeftOnly);
  p.smoothingWindow = kWindowUniform;
  test::TFakeSource source(p, test::MakeScaling(0, 0));
  const double hz = 300.37 * 44100.0 / 4096.0;
  source.Feed({{hz, 0.25}}, 1, 0.0);
  // The raw peak bin reads far less: the loss the interpolation recovers.
  EXPECT_LT(source.Primary()->Value(300), 23.0);
  const std::vector<TPeak> peaks = FindPeaks(*source.Primary(), 5, 2000, 1, kWindowUniform, false);
  ASSERT_EQ(peaks.size(), 1u);
  EXPECT_NEAR(peaks[0].level, 25.0, 0.1);
  EXPECT_NEAR(peaks[0].hz, hz, 0.05 * 44100.0 / 4096.0);
}

TEST(PeakSearch, PeaksComeLargestFirstAndStayInRange) {
  test::TFakeSource source(test::MakeProcessing(1, 4096, kLeftOnly), test::MakeScaling(0, 1));
  source.Feed({{1000.0, 0.1}, {3000.0, 0.5}, {5000.0, 0.3}}, 1, 1e-5);
  const TSpectralData& s = *source.Primary();
  const std::vector<TPeak> peaks = FindPeaks(s, 5, s.BinCount() - 5, 3, kWindowHanning, true);
  ASSERT_EQ(peaks.size(), 3u);
  EXPECT_NEAR(peaks[0].hz, 3000.0, 1.0);
  EXPECT_NEAR(peaks[1].hz, 5000.0, 1.0);
  EXPECT_NEAR(peaks[2].hz, 1000.0, 1.0);
  // A range that leaves out the largest tone finds the next one first.
  const std::vector<TPeak> low = FindPeaks(s, 5, s.FrequencyBin(2000.0f), 1, kWindowHanning, true);
  ASSERT_EQ(low.size(), 1u);
  EXPECT_NEAR(low[0].hz, 1000.0, 1.0);
}

TEST(PeakSearch, KernelIsTheWindowTransform) {
  // Closed forms: the uniform window's transform is |sinc|, Hanning's sinc / (1 - d^2).
  for (double d : {0.25, 0.5, 0.75}) {
    const double sinc = std::sin(M_PI * d) / (M_PI * d);
    EXPECT_NEAR(WindowKernel(kWindowUniform, d), std::fabs(sinc), 2e-3) << d;
    EXPECT_NEAR(WindowKernel(kWindowHanning, d), std::fabs(sinc / (1.0 - d * d)), 2e-3) << d;
  }
  EXPECT_NEAR(WindowKernel(kWindowUniform, 1.0), 0.0, 1e-3);
  EXPECT_DOUBLE_EQ(WindowKernel(kWindowHanning, 99.0), 0.0);
}

}  // namespace
}  // namespace orvanix
