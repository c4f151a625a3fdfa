// The measurements on spectra the engine made from signals, at every FFT size from 32 to
// 32768 points: the closed-form values where the resolution allows, and defined, finite
// values down to the smallest sizes (the sanitizer build checks every read on the way).
#include <gtest/gtest.h>

#include "engine/Smoothing.h"
#include "measure/MeasureKinds.h"
#include "measure/Measurements.h"
#include "tests/measure/MeasureTestSupport.h"

namespace orvanix {
namespace {

constexpr double kRate = 48000;

// 1 kHz at half full scale with its 2nd harmonic at -40 dB and its 3rd at -46 dB.
double Distorted(uint64_t n, uint32_t) {
  return 0.5 * (test::Sine(1000, kRate, n) + 0.01 * test::Sine(2000, kRate, n, 0.3) +
                std::pow(10.0, -46.0 / 20.0) * test::Sine(3000, kRate, n, 1.1));
}

TEST(SignalTest, EveryMeasurementAtEveryFftSize) {
  const double thd = 100.0 * std::sqrt(1e-4 + std::pow(10.0, -4.6));  // 1.11856 %
  for (uint32_t n = 32; n <= 32768; n *= 2) {
    ProcessingSettings p = test::SettingsFor(n);
    p.smoothingWindow = kWindowFlatTop;
    p.averageBlocks = kInfiniteAverages;
    auto engine = test::Analyse(p, ScalingSettings{}, std::max<uint64_t>(4 * n, 48000), Distorted);
    const TSpectralData* s = engine->left.get();
    ASSERT_NE(s, nullptr);
    for (int k = 0; k < kAnalysisTypeCount; ++k) {
      const float v = Measure(static_cast<AnalysisType>(k), s, *engine, kNoiseFigureLeftVsRight);
      EXPECT_TRUE(std::isfinite(v)) << "FFT " << n << " kind " << k;
    }
    if (n >= 2048) {
      // Bins of 23 Hz or finer: the flat top reads each tone's level whatever its offset.
      EXPECT_NEAR(ComputeThd(s), thd, 0.005) << "FFT " << n;
      EXPECT_NEAR(PeakAmplitude(s), 20.0 * std::log10(0.5), 0.02) << "FFT " << n;
      EXPECT_NEAR(PeakFrequency(s), 1000.0, s->BinWidth() / 2) << "FFT " << n;
    }
  }
}

}  // namespace
}  // namespace orvanix
