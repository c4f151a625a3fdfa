// The measurements on spectra whose bin powers are chosen, so that every expected value is
// a closed form of those powers.
#include <gtest/gtest.h>

#include "engine/Calibration.h"
#include "engine/Decibels.h"
#include "engine/Smoothing.h"
#include "measure/Measurements.h"
#include "tests/measure/MeasureTestSupport.h"

namespace orvanix {
namespace {

using test::SpectrumWithPowers;

constexpr float kFloor = 1e-9f;

// B bins of a quiet floor that still has no local peaks: it rises by one part in 10^6 per
// bin, so only the bins set on purpose stand above their neighbours.
std::vector<float> Floor(uint32_t bins) {
  std::vector<float> powers(bins);
  for (uint32_t i = 0; i < bins; ++i) powers[i] = kFloor * (1.f + 1e-6f * i);
  return powers;
}

TEST(MeasurementsTest, ThdSumsTheLargestBinNearEachHarmonic) {
  std::vector<float> p(2048, 0.f);
  p[100] = 1.f;
  p[203] = 1e-4f;  // harmonic 2: centre 200, searched 196 ... 204
  p[202] = 5e-5f;  // a smaller bin in the same window does not add
  p[306] = 4e-6f;  // harmonic 3: 294 ... 306, its last bin
  p[307] = 1.f;    // just outside harmonic 3's window (and below harmonic 4's)
  p[392] = 9e-6f;  // harmonic 4: 392 ... 408, its first bin
  auto s = SpectrumWithPowers(p);
  // Bin 307 equals the fundamental; the lower bin is the peak.
  EXPECT_NEAR(ComputeThd(s.get()), 100.0 * std::sqrt(1e-4 + 4e-6 + 9e-6), 1e-5);
}

TEST(MeasurementsTest, ThdStopsAtTheHighLimitAndAtTheFortiethHarmonic) {
  // Nyquist 1000 Hz, fundamental 100.6 Hz (bin 103 of 1024): H = 990 / 100.6 + 1 = 10, and
  // the tenth harmonic's window (1030 +- 20) reaches into the last bins.
  std::vector<float> p(1024, 0.f);
  p[103] = 1.f;
  p[1012] = 0.01f;
  auto s = SpectrumWithPowers(p, 2000);
  EXPECT_NEAR(ComputeThd(s.get()), 10.0, 1e-4);
  // 48 kHz, FFT 16384, fundamental at bin 170: H would be 48, capped at 40. Harmonic 40
  // (6800 +- 80) counts, harmonic 41 (6970 +- 82) does not.
  std::vector<float> q(8192, 0.f);
  q[170] = 1.f;
  q[6800] = 0.04f;
  q[6970] = 0.09f;
  auto t = SpectrumWithPowers(q);
  EXPECT_NEAR(ComputeThd(t.get()), 20.0, 1e-4);
  // No fundamental at all: 0.
  auto silent = SpectrumWithPowers(std::vector<float>(1024, 0.f), 44100);
  EXPECT_EQ(ComputeThd(silent.get()), 0.f);
}

TEST(MeasurementsTest, NoiseAndDistortionRatiosFromTheElevenLargestPeaks) {
  std::vector<float> p = Floor(1024);
  p[100] = 1.f;
  const float others[10] = {1e-2f, 1e-3f, 1e-3f, 1e-4f, 1e-4f, 1e-4f, 1e-5f, 1e-5f, 1e-5f, 1e-5f};
  double rest = 0;
  for (int n = 0; n < 10; ++n) {
    p[200 + 20 * n] = others[n];
    rest += others[n];
  }
  p[900] = 1e-6f;  // a twelfth peak, left out
  auto s = SpectrumWithPowers(p);
  EXPECT_NEAR(ComputeThdPlusNoise(s.get()), 100.0 * std::sqrt(rest), 1e-4);
  EXPECT_NEAR(ComputeSnr(s.get()), -10.0 * std::log10(rest), 1e-4);
  EXPECT_NEAR(ComputeSinad(s.get()), 10.0 * std::log10((1.0 + rest) / rest), 1e-4);
  EXPECT_GT(ComputeSinad(s.get()), ComputeSnr(s.get()));

  // One peak only: no rest, so SNR = 10 log10(P1) + 999.9 and THD+N = 0.
  std::vector<float> lone(1024, 0.f);
  lone[100] = 0.25f;
  auto one = SpectrumWithPowers(lone);
  EXPECT_NEAR(ComputeSnr(one.get()), 10.0 * std::log10(0.25) + 999.9, 1e-3);
  EXPECT_EQ(ComputeThdPlusNoise(one.get()), 0.f);
  EXPECT_EQ(ComputeThd(one.get()), 0.f);
}

TEST(MeasurementsTest, SfdrComparesThePeakWithTheLargestBinOutsideItsSkirt) {
  std::vector<float> p(1024, 1e-8f);
  for (int d = -4; d <= 4; ++d) p[300 + d] = 1.f / (1 + d * d);  // the peak and its skirt
  p[310] = 1e-3f;  // beyond the skirt (it ends at the floor)
  p[4] = 1.f;      // bins up to 3 are left out; bin 4 is not
  p[3] = 10.f;
  auto s = SpectrumWithPowers(p);
  EXPECT_NEAR(ComputeSfdr(s.get()), 0.0, 1e-4);  // bin 4 ties the peak
  p[4] = 1e-8f;
  s = SpectrumWithPowers(p);
  EXPECT_NEAR(ComputeSfdr(s.get()), 30.0, 1e-3);
}

TEST(MeasurementsTest, ImdSumsPeaksWithin200HzOfTheHighToneButNotItsOwnSkirt) {
  // 48 kHz, FFT 8192: 5.859375 Hz per bin. High tone at bin 1195 (7002 Hz), products at
  // +-10 and +-20 bins, a low tone at bin 10 and something 40 bins (234 Hz) away.
  std::vector<float> p = Floor(4096);
  p[10] = 16.f;
  p[1195] = 1.f;
  p[1205] = p[1185] = 1e-4f;
  p[1215] = p[1175] = 2.5e-5f;
  p[1198] = 0.5f;  // within five bins of the high tone: never a peak of its own
  p[1235] = 1e-2f;
  auto s = SpectrumWithPowers(p);
  const double products = 2e-4 + 5e-5;
  EXPECT_NEAR(ComputeImd(s.get()), 100.0 * std::sqrt(products), 1e-3);
  // Nothing at or above 1000 Hz: 0.
  std::vector<float> low = Floor(4096);
  low[10] = 1.f;
  auto quiet = SpectrumWithPowers(low);
  EXPECT_EQ(ComputeImd(quiet.get()), 0.f);
}

TEST(MeasurementsTest, NoiseFigureIsTheSnrDifferenceAndChangesSignWithPolarity) {
  std::vector<float> a = Floor(1024), b = Floor(1024);
  a[100] = b[100] = 1.f;
  a[300] = 1e-4f;
  b[300] = 1e-3f;
  auto left = SpectrumWithPowers(a);
  auto right = SpectrumWithPowers(b);
  const float lr = ComputeNoiseFigure(left.get(), right.get(), kNoiseFigureLeftVsRight);
  EXPECT_NEAR(lr, ComputeSnr(left.get()) - ComputeSnr(right.get()), 1e-5);
  EXPECT_NEAR(ComputeNoiseFigure(left.get(), right.get(), kNoiseFigureRightVsLeft), -lr, 1e-5);
  EXPECT_GT(lr, 5.f);
  EXPECT_EQ(ComputeNoiseFigure(left.get(), nullptr, kNoiseFigureLeftVsRight), 0.f);
  EXPECT_EQ(ComputeNoiseFigure(nullptr, right.get(), kNoiseFigureRightVsLeft), 0.f);
}

TEST(MeasurementsTest, PeakReadoutsFollowTheAxis) {
  std::vector<float> p(2048, 0.f);
  p[3] = 9.f;  // below bin 5: never the peak
  p[100] = 0.25f;
  auto s = SpectrumWithPowers(p);
  EXPECT_EQ(PeakBin(s.get()), 100u);
  EXPECT_FLOAT_EQ(PeakFrequency(s.get()), 100 * 48000.f / 4096.f);
  EXPECT_NEAR(PeakAmplitude(s.get()), 10.0 * std::log10(0.25), 1e-4);  // dB display

  ScalingSettings linear;
  linear.ampScale = 0;
  auto l = SpectrumWithPowers(p, 48000, linear);
  EXPECT_NEAR(PeakAmplitude(l.get()), 50.0, 1e-4);  // percent of full scale

  // Octave axis: the peak band, the lowest of equal bands, read at its nominal centre.
  ScalingSettings octave;
  octave.freqScale = 2;
  std::vector<float> q(2048, 0.f);
  q[100] = 1.f;
  q[400] = 1.f;
  auto o = SpectrumWithPowers(q, 48000, octave);
  const uint32_t low = o->BandOfFrequency(o->BinFrequency(100));
  ASSERT_FLOAT_EQ(o->Value(low), o->Value(o->BandOfFrequency(o->BinFrequency(400))));
  EXPECT_EQ(PeakBin(o.get()), low);
  EXPECT_FLOAT_EQ(PeakFrequency(o.get()), o->BandCentre(low));
  EXPECT_FLOAT_EQ(PeakAmplitude(o.get()), o->Value(low));
}

TEST(MeasurementsTest, TotalPowerCoversTheAnalysisSpan) {
  std::vector<float> p(2048, 0.f);
  p[2] = 100.f;  // below the span (bin 3 on)
  p[1000] = 0.5f;
  p[1500] = 0.25f;
  p[2040] = 100.f;  // above 0.99 x Nyquist (bin 2028)
  ScalingSettings linear;
  linear.ampScale = 0;
  auto l = SpectrumWithPowers(p, 48000, linear);  // Uniform window: power factor 1
  const TIndexSpan span = AnalysisSpan(*l);
  EXPECT_EQ(span.first, 3u);
  EXPECT_EQ(span.last, 2028u);
  EXPECT_NEAR(TotalPower(l.get()), 100.0 * std::sqrt(0.75), 1e-3);
  auto d = SpectrumWithPowers(p);
  EXPECT_NEAR(TotalPower(d.get()), 10.0 * std::log10(0.75), 1e-4);
}

// Total power is BandPower "as displayed" over the span; its quicker sum must read the same
// on every kind of display.
TEST(MeasurementsTest, TotalPowerEqualsBandPowerAsDisplayedOnEveryDisplay) {
  std::vector<float> p(2048);
  for (uint32_t i = 0; i < p.size(); ++i) p[i] = i % 7 == 0 ? 0.f : 1e-6f * (1 + i % 13);
  p[300] = 0.3f;
  TCalibration spl = DefaultCalibration();
  spl.enabled = 1;
  spl.refUnits = kUnitSplAir;  // dB display with a unit offset
  TCalibration volts = DefaultCalibration();
  volts.enabled = 1;
  for (uint16_t amp : {0u, 1u}) {
    for (uint16_t window : {kWindowHanning, kWindowFlatTop, kWindowUniform}) {
      for (uint16_t weighting : {0u, 1u}) {
        for (const TCalibration* cal : std::vector<const TCalibration*>{nullptr, &spl, &volts}) {
          for (int density : {0, 1}) {
            ProcessingSettings settings = test::SettingsFor(4096);
            settings.smoothingWindow = window;
            ScalingSettings scaling;
            scaling.ampScale = amp;
            scaling.weighting = weighting;
            scaling.spectralDensity = density;
            TSpectralData s(settings, scaling, 0);
            s.SetCalibration(cal, 0);
            test::SetPowers(s, p);
            const TIndexSpan span = AnalysisSpan(s);
            const float reference = s.BandPower(span.first, span.last, -1, amp == 1);
            const float tolerance = amp == 1 ? 1e-4f : 1e-5f * std::abs(reference);
            EXPECT_NEAR(TotalPower(&s), reference, tolerance)
                << "amp " << amp << " window " << window << " weighting " << weighting
                << " calibration " << (cal ? cal->refUnits : -1) << " density " << density;
          }
        }
      }
    }
  }
  // A coherence result reads 0 ... 1 whatever the axis.
  ProcessingSettings stereo = test::SettingsFor(4096, 48000, 2);
  stereo.channelProcessing = kCoherence;
  TEngineObjects engine;
  ASSERT_TRUE(BuildEngineObjects(stereo, ScalingSettings{}, engine));
  for (uint32_t i = 0; i < 4096; ++i) {
    const float v = static_cast<float>(1000.0 * std::sin(0.3 * i) + 50.0 * std::sin(0.017 * i * i));
    engine.seriesLeft->PutSample(i, static_cast<int32_t>(v));
    engine.seriesRight->PutSample(i, static_cast<int32_t>(0.5f * v + 10.0f * std::cos(0.7 * i)));
  }
  for (int block = 0; block < 3; ++block) ProcessBlock(engine);
  ASSERT_TRUE(engine.dual && engine.dual->IsCoherence());
  const TIndexSpan span = AnalysisSpan(*engine.dual);
  EXPECT_NEAR(TotalPower(engine.dual.get()),
              engine.dual->BandPower(span.first, span.last, -1, true), 1e-4);
}

TEST(MeasurementsTest, EveryMeasurementOfAMissingOrSilentSpectrumIsZeroOrDefined) {
  // No spectrum, and one that has averaged nothing yet: no data, every measurement 0.
  const TSpectralData fresh(test::SettingsFor(4096), ScalingSettings{}, 0);
  for (const TSpectralData* s : {static_cast<const TSpectralData*>(nullptr), &fresh}) {
    EXPECT_EQ(ComputeThd(s), 0.f);
    EXPECT_EQ(ComputeThdPlusNoise(s), 0.f);
    EXPECT_EQ(ComputeImd(s), 0.f);
    EXPECT_EQ(ComputeSnr(s), 0.f);
    EXPECT_EQ(ComputeSinad(s), 0.f);
    EXPECT_EQ(ComputeSfdr(s), 0.f);
    EXPECT_EQ(PeakFrequency(s), 0.f);
    EXPECT_EQ(PeakAmplitude(s), 0.f);
    EXPECT_EQ(TotalPower(s), 0.f);
  }
  // All zero: no peaks, no products, no power; the dB ratios read -999.9 - -999.9 = 0.
  // Total power on a linear display is 0; on a dB display each -999.9 dB bin reads back as
  // 10^-50 of full scale, so the total is very low but finite (about -967 dB).
  ScalingSettings linear;
  linear.ampScale = 0;
  for (uint32_t bins : {16u, 32u, 2048u}) {
    auto s = SpectrumWithPowers(std::vector<float>(bins, 0.f));
    auto l = SpectrumWithPowers(std::vector<float>(bins, 0.f), 48000, linear);
    EXPECT_EQ(ComputeThd(s.get()), 0.f);
    EXPECT_EQ(ComputeThdPlusNoise(s.get()), 0.f);
    EXPECT_EQ(ComputeImd(s.get()), 0.f);
    EXPECT_EQ(ComputeSnr(s.get()), 0.f);
    EXPECT_EQ(ComputeSinad(s.get()), 0.f);
    EXPECT_EQ(ComputeSfdr(s.get()), 0.f);
    EXPECT_EQ(TotalPower(l.get()), 0.f);
    EXPECT_LT(TotalPower(s.get()), -900.f);
    EXPECT_EQ(PeakAmplitude(s.get()), kNoDb);
    // Averaged silence has its peak at the first bin searched.
    EXPECT_EQ(PeakFrequency(s.get()), s->BinFrequency(5));
  }
}

TEST(MeasurementsTest, TinyFftSizesStayInsideTheirBins) {
  // FFT 32 and 64 (16 and 32 bins) with a tone everywhere it can be: every measurement
  // stays finite, and the sanitizer build checks that none reads outside the array.
  for (uint32_t bins : {16u, 32u}) {
    for (uint32_t tone = 0; tone < bins; ++tone) {
      std::vector<float> p(bins, 1e-6f);
      p[tone] = 1.f;
      auto s = SpectrumWithPowers(p);
      for (float v : {ComputeThd(s.get()), ComputeThdPlusNoise(s.get()), ComputeImd(s.get()),
                      ComputeSnr(s.get()), ComputeSinad(s.get()), ComputeSfdr(s.get()),
                      PeakFrequency(s.get()), PeakAmplitude(s.get()), TotalPower(s.get())}) {
        EXPECT_TRUE(std::isfinite(v)) << bins << " bins, tone at " << tone;
      }
    }
  }
}

}  // namespace
}  // namespace orvanix
