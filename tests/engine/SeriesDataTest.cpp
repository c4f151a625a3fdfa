#include "engine/SeriesData.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <random>

namespace orvanix {
namespace {

constexpr double kPi = 3.141592653589793;

WaveFormat Format16() {
  return MakeWaveFormat(1, 48000, 2);
}

// Amplitude of a sinusoid of `cyclesPerSample` in x[from ... from+count) by correlation
// (count chosen to hold whole cycles).
double ToneAmplitude(const TSeriesData& s, uint32_t from, uint32_t count, double cyclesPerSample) {
  std::complex<double> sum = 0.0;
  for (uint32_t i = 0; i < count; ++i) {
    sum += double{s.GetSample(from + i, false)} * std::polar(1.0, -2 * kPi * cyclesPerSample * i);
  }
  return 2.0 * std::abs(sum) / count;
}

TEST(SeriesDataTest, SampleWidthsRoundTripRelativeToZero) {
  TSeriesData s8(16, MakeWaveFormat(1, 8000, 1), 1, false);
  TSeriesData s16(16, Format16(), 1, false);
  TSeriesData s24(16, MakeWaveFormat(1, 48000, 3), 1, false);
  ASSERT_FALSE(s8.Error() || s16.Error() || s24.Error());

  // Fresh buffers hold silence: the 8-bit zero is 127.
  EXPECT_EQ(s8.GetRaw(5), 127);
  EXPECT_EQ(s8.GetSample(5, false), 0.f);
  EXPECT_EQ(s16.GetRaw(5), 0);

  s8.PutSample(1, 0);
  s8.PutSample(2, 255);
  EXPECT_EQ(s8.GetSample(1, false), -127.f);
  EXPECT_EQ(s8.GetSample(2, false), 128.f);
  s16.PutSample(3, -32768);
  EXPECT_EQ(s16.GetRaw(3), -32768);
  s24.PutSample(4, -8388607);
  s24.PutSample(5, 8388607);
  s24.PutSample(6, -1);
  EXPECT_EQ(s24.GetRaw(4), -8388607);
  EXPECT_EQ(s24.GetRaw(5), 8388607);
  EXPECT_EQ(s24.GetRaw(6), -1);
  EXPECT_EQ(s24.SampleAddress(6)[2], 0xFF);

  // Outside the buffer: writes ignored, reads give silence, no address.
  s16.PutSample(16, 1234);
  EXPECT_EQ(s16.GetRaw(16), 0);
  EXPECT_EQ(s8.GetRaw(100), 127);
  EXPECT_EQ(s16.SampleAddress(16), nullptr);

  // 4-byte samples are described but not decoded.
  TSeriesData s32(4, MakeWaveFormat(1, 48000, 4), 1, false);
  s32.PutSample(0, 12345);
  EXPECT_EQ(s32.GetRaw(0), s32.Format().zeroValue);
}

TEST(SeriesDataTest, CalibrationRatioScalesRelativeToFullScale) {
  TSeriesData s(8, Format16(), 1, false);
  s.PutSample(0, 32767);
  EXPECT_NEAR(s.GetSample(0, true), 1.0f, 1e-6);
  s.SetCalibrationRatio(2.828427f);
  EXPECT_NEAR(s.GetSample(0, true), 2.828427f, 1e-5);
  s.SetCalibrationRatio(0.f);  // exactly 0 reads as 1
  EXPECT_NEAR(s.GetSample(0, true), 1.0f, 1e-6);
  EXPECT_EQ(s.GetSample(0, false), 32767.f);
}

TEST(SeriesDataTest, BulkReadMatchesTheSingleSampleAccessor) {
  for (uint32_t bytes : {1u, 2u, 3u}) {
    TSeriesData s(64, MakeWaveFormat(1, 48000, bytes), 1, false);
    const int32_t zero = s.Format().zeroValue, range = s.Format().maxValue - zero;
    for (uint32_t i = 0; i < 64; ++i)
      s.PutSample(i, zero + (static_cast<int32_t>(i) - 32) * range / 40);
    s.SetCalibrationRatio(3.f);
    float bulk[80];
    for (bool scaled : {false, true}) {
      s.GetSamples(10, 70, bulk, scaled);  // runs 16 samples past the end
      for (uint32_t i = 0; i < 70; ++i) {
        ASSERT_EQ(bulk[i], s.GetSample(10 + i, scaled)) << bytes << " bytes, sample " << i;
      }
    }
  }
}

TEST(SeriesDataTest, CapacityAndDecimatedCount) {
  TSeriesData plain(4096, Format16(), 1, true);
  EXPECT_EQ(plain.Count(), 4096u);
  EXPECT_EQ(plain.DecimatedCount(), 4096u);
  EXPECT_FALSE(plain.Filtered());
  TSeriesData filtered(1024 * 4, Format16(), 4, true);
  EXPECT_EQ(filtered.Count(), 4096u + kDecimationTaps);
  EXPECT_EQ(filtered.DecimatedCount(), 1024u);
  TSeriesData unfiltered(1024 * 4, Format16(), 4, false);
  EXPECT_EQ(unfiltered.Count(), 4096u);
  EXPECT_EQ(unfiltered.DecimatedCount(), 1024u);
}

TEST(SeriesDataTest, RefusesOversizedOrInvalidBuffersWithoutCrashing) {
  TSeriesData huge(kMaxSeriesSamples + 1, Format16(), 1, false);
  EXPECT_TRUE(huge.Error());
  EXPECT_EQ(huge.Count(), 0u);
  EXPECT_EQ(huge.DecimatedCount(), 0u);
  TSeriesData badRatio(1024, Format16(), 51, true);
  EXPECT_TRUE(badRatio.Error());
  EXPECT_EQ(badRatio.DecimatedCount(), 0u);
  badRatio.Decimate();
  EXPECT_EQ(badRatio.PeakLevel(), 0);
  uint32_t index = 0;
  EXPECT_FALSE(badRatio.FindTrigger(0, 100, kTriggerLevel, kSlopePositive, 10.f, index));
}

TEST(SeriesDataTest, FilterIsASymmetricLowPassWithUnitDcGain) {
  TSeriesData s(4 * 256, Format16(), 4, true);
  const auto& h = s.Coefficients();
  double sum = 0.0;
  for (uint32_t j = 0; j < kDecimationTaps; ++j) {
    EXPECT_FLOAT_EQ(h[j], h[kDecimationTaps - 1 - j]) << j;
    sum += h[j];
  }
  EXPECT_NEAR(sum, 1.0, 0.01);
  // Centre tap: omega / pi = 1 / D, untouched by the taper.
  EXPECT_NEAR(h[19], 0.25f, 1e-6);
  // The others: the ideal sinc sin(k pi / D) / (k pi) times a taper that falls from 1 at
  // the centre towards the ends.
  float previousTaper = 1.f;
  for (int k = 1; k <= 19; ++k) {
    const double sinc = std::sin(k * kPi / 4) / (k * kPi);
    if (std::fabs(sinc) < 1e-9) {
      EXPECT_NEAR(h[19 + k], 0.f, 1e-7) << k;
      continue;
    }
    const float taper = static_cast<float>(h[19 + k] / sinc);
    EXPECT_LE(taper, previousTaper + 1e-6f) << k;
    EXPECT_GE(taper, 0.f) << k;
    previousTaper = taper;
  }
  EXPECT_LT(previousTaper, 0.05f);
}

TEST(SeriesDataTest, DecimateMatchesDirectFilteringAndKeepsEveryDthSample) {
  const uint32_t d = 3, n = 512;
  TSeriesData s(n * d, Format16(), d, true);
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> dist(-20000, 20000);
  std::vector<int32_t> x(s.Count());
  for (uint32_t i = 0; i < s.Count(); ++i) s.PutSample(i, x[i] = dist(rng));
  s.Decimate();
  const auto& h = s.Coefficients();
  for (uint32_t k = 0; k < n; ++k) {
    double y = 0.0;
    for (uint32_t j = 0; j < kDecimationTaps; ++j) y += static_cast<double>(x[k * d + j]) * h[j];
    ASSERT_EQ(s.GetRaw(k), static_cast<int32_t>(y)) << "output " << k;
  }

  TSeriesData plain(n * d, Format16(), d, false);
  for (uint32_t i = 0; i < plain.Count(); ++i) plain.PutSample(i, static_cast<int32_t>(i));
  plain.Decimate();
  for (uint32_t k = 0; k < n; ++k) ASSERT_EQ(plain.GetRaw(k), static_cast<int32_t>(k * d));
}

// Every ratio up to the largest, every sample width, block lengths that leave partial groups
// of outputs: each decimated sample is the filter over the original samples at kD, in tap
// order, clipped to what the width can hold.
TEST(SeriesDataTest, DecimatedBlockIsTheDirectFilterForEveryRatioAndWidth) {
  std::mt19937 rng(11);
  for (uint32_t bytes : {1u, 2u, 3u}) {
    const WaveFormat format = MakeWaveFormat(1, 48000, bytes);
    const int32_t zero = format.zeroValue;
    const int32_t low = bytes == 1 ? 0 : -(1 << (8 * bytes - 1));
    const int32_t high = bytes == 1 ? 255 : (1 << (8 * bytes - 1)) - 1;
    std::uniform_int_distribution<int32_t> dist(format.minValue, format.maxValue);
    for (uint32_t d : {2u, 3u, 4u, 7u, 10u, 16u, 39u, 40u, 50u}) {
      for (uint32_t n : {1u, 3u, 17u, 66u}) {
        TSeriesData s(n * d, format, d, true);
        ASSERT_FALSE(s.Error());
        std::vector<int32_t> x(s.Count());
        for (uint32_t i = 0; i < s.Count(); ++i) s.PutSample(i, x[i] = dist(rng));
        s.Decimate();
        const auto& h = s.Coefficients();
        for (uint32_t k = 0; k < s.DecimatedCount(); ++k) {
          double y = 0.0;
          for (uint32_t j = 0; j < kDecimationTaps; ++j) {
            y += static_cast<double>(x[k * d + j] - zero) * h[j];
          }
          const int32_t expected = std::clamp(static_cast<int32_t>(y) + zero, low, high);
          ASSERT_EQ(s.GetRaw(k), expected)
              << bytes << " bytes, D = " << d << ", n = " << n << ", output " << k;
        }
      }
    }
  }
}

TEST(SeriesDataTest, DecimationByFourPassesTheBandAndRemovesAliases) {
  const uint32_t rate = 48000, d = 4, n = 1200;  // 1200 outputs at 12 kHz: whole cycles below
  const auto decimatedTone = [&](double hz) {
    TSeriesData s(n * d, MakeWaveFormat(1, rate, 2), d, true);
    for (uint32_t i = 0; i < s.Count(); ++i) {
      s.PutSample(i,
                  static_cast<int32_t>(std::lround(10000.0 * std::sin(2 * kPi * hz * i / rate))));
    }
    s.Decimate();
    // The alias of hz in the 12 kHz output, folded into 0 ... 6 kHz.
    const double outRate = double{rate} / d;
    double alias = std::fmod(hz, outRate);
    if (alias > outRate / 2) alias = outRate - alias;
    // Skip the first outputs: nothing to skip here, the filter has full history throughout.
    return ToneAmplitude(s, 0, n, alias / outRate);
  };
  // 0.4 x rate / 8 = 2400 Hz: essentially unattenuated.
  EXPECT_NEAR(decimatedTone(2400.0), 10000.0, 10000.0 * 0.01);
  // Tones above rate / 8 = 6000 Hz would fold back into the band: at least 40 dB down.
  EXPECT_LT(decimatedTone(9000.0), 100.0);
  EXPECT_LT(decimatedTone(15000.0), 100.0);
}

TEST(SeriesDataTest, DecimationKeepsEightBitSilenceAtItsZero) {
  TSeriesData s(4 * 64, MakeWaveFormat(1, 8000, 1), 4, true);
  s.Decimate();
  for (uint32_t k = 0; k < s.DecimatedCount(); ++k) ASSERT_EQ(s.GetRaw(k), 127) << k;
}

TEST(SeriesDataTest, DecimationClipsInsteadOfWrapping) {
  // A full-scale square wave rings past full scale in the filter: it must clip, not wrap.
  const uint32_t d = 4;
  TSeriesData s(d * 256, Format16(), d, true);
  std::vector<int32_t> x(s.Count());
  for (uint32_t i = 0; i < s.Count(); ++i) s.PutSample(i, x[i] = (i / 40) % 2 ? 32767 : -32767);
  s.Decimate();
  const auto& h = s.Coefficients();
  int clipped = 0;
  for (uint32_t k = 0; k < s.DecimatedCount(); ++k) {
    double y = 0.0;
    for (uint32_t j = 0; j < kDecimationTaps; ++j) y += static_cast<double>(x[k * d + j]) * h[j];
    const int64_t exact = static_cast<int64_t>(y);
    if (exact > 32767 || exact < -32768) ++clipped;
    ASSERT_EQ(s.GetRaw(k), std::clamp<int64_t>(exact, -32768, 32767)) << "output " << k;
  }
  EXPECT_GT(clipped, 0) << "the test signal should overshoot";
}

TEST(SeriesDataTest, PeakLevelIsLogarithmicWithOverloadWithinOneCount) {
  TSeriesData s(256, Format16(), 1, false);
  EXPECT_EQ(s.PeakLevel(), 0);
  s.PutSample(10, 32766);  // within one count of full scale
  EXPECT_EQ(s.PeakLevel(), 10);
  s.PutSample(10, 32765);
  EXPECT_EQ(s.PeakLevel(), 9);
  s.PutSample(10, -182);  // 10 log(182) / log(32767) = 5.005
  EXPECT_EQ(s.PeakLevel(), 5);
  s.PutSample(10, 181);  // 4.9998
  EXPECT_EQ(s.PeakLevel(), 4);
  s.PutSample(10, -32768);  // beyond 16 bits of |x|: still an overload, not a wrap
  EXPECT_EQ(s.PeakLevel(), 10);

  TSeriesData s8(64, MakeWaveFormat(1, 8000, 1), 1, false);
  s8.PutSample(3, 253);  // 126 from zero
  EXPECT_EQ(s8.PeakLevel(), 9);
  s8.PutSample(3, 0);  // 127 from zero: within one count of 128
  EXPECT_EQ(s8.PeakLevel(), 10);

  // Only the decimated block counts, not the filter run-out behind it.
  TSeriesData f(4 * 64, Format16(), 4, true);
  f.PutSample(f.Count() - 1, 32767);
  EXPECT_EQ(f.PeakLevel(), 0);
}

TEST(SeriesDataTest, MinMaxGivesExtremesOrHalfWaveRms) {
  const uint32_t n = 1000;
  TSeriesData s(n, Format16(), 1, false);
  for (uint32_t i = 0; i < n; ++i) {
    s.PutSample(
        i, static_cast<int32_t>(std::lround(16000.0 * std::sin(2 * kPi * 10 * (i + 0.5) / n))));
  }
  // Sampled half a sample off the crest: the largest sample is 16000 cos(pi / 100).
  const float crest = std::round(16000.f * std::cos(static_cast<float>(kPi) / 100.f));
  SampleExtremes e = s.MinMax(0, n, false, false);
  EXPECT_EQ(e.high, crest);
  EXPECT_EQ(e.low, -crest);
  e = s.MinMax(0, n, true, false);
  EXPECT_NEAR(e.high, 16000.0 / std::sqrt(2.0), 2.0);
  EXPECT_NEAR(e.low, -16000.0 / std::sqrt(2.0), 2.0);
  s.SetCalibrationRatio(2.f);
  e = s.MinMax(0, n, false, true);
  EXPECT_NEAR(e.high, 2.f * crest / 32767.f, 1e-6);
  // Ranges are clamped; an empty range gives zeros.
  e = s.MinMax(n - 1, n + 500, false, false);
  EXPECT_EQ(e.high, e.low);
  e = s.MinMax(5, 5, true, false);
  EXPECT_EQ(e.high, 0.f);
  EXPECT_EQ(e.low, 0.f);

  s.Clear(0, n / 2);
  EXPECT_EQ(s.MinMax(0, n / 2, false, false).high, 0.f);
  EXPECT_NE(s.MinMax(n / 2, n, false, false).high, 0.f);
}

TEST(SeriesDataTest, FindTriggerLevelAndEdgeInBothSlopes) {
  TSeriesData s(100, Format16(), 1, false);
  // Threshold 10 % of 32767 = 3276.7.
  s.PutSample(20, 3000);
  s.PutSample(30, 3277);   // first level >= +3276.7
  s.PutSample(40, -3277);  // first level <= -3276.7
  uint32_t m = 0;
  ASSERT_TRUE(s.FindTrigger(0, 100, kTriggerLevel, kSlopePositive, 10.f, m));
  EXPECT_EQ(m, 30u);
  ASSERT_TRUE(s.FindTrigger(0, 100, kTriggerLevel, kSlopeNegative, 10.f, m));
  EXPECT_EQ(m, 40u);
  // The search starts at `from` and ends after `length` samples.
  EXPECT_FALSE(s.FindTrigger(31, 9, kTriggerLevel, kSlopePositive, 10.f, m));

  // Edges: a rise of 3277 between samples 30 and 31 does not exist (30 -> 31 falls), but
  // 29 -> 30 rises by 3277; 30 -> 31 falls by 3277.
  ASSERT_TRUE(s.FindTrigger(0, 100, kTriggerEdge, kSlopePositive, 10.f, m));
  EXPECT_EQ(m, 29u);
  ASSERT_TRUE(s.FindTrigger(0, 100, kTriggerEdge, kSlopeNegative, 10.f, m));
  EXPECT_EQ(m, 30u);
  // A rise to the last sample is found; nothing is read past the end.
  TSeriesData t(10, Format16(), 1, false);
  t.PutSample(9, 20000);
  ASSERT_TRUE(t.FindTrigger(0, 1000, kTriggerEdge, kSlopePositive, 50.f, m));
  EXPECT_EQ(m, 8u);
  EXPECT_FALSE(t.FindTrigger(9, 1000, kTriggerEdge, kSlopePositive, 50.f, m));
}

TEST(SeriesDataTest, EightBitTriggersMeasureFromTheZeroValue) {
  TSeriesData s(50, MakeWaveFormat(1, 8000, 1), 1, false);
  // 50 % of (255 - 127) = 64 counts either side of 127.
  s.PutSample(10, 127 - 63);
  s.PutSample(20, 127 - 64);
  s.PutSample(30, 127 + 64);
  uint32_t m = 0;
  ASSERT_TRUE(s.FindTrigger(0, 50, kTriggerLevel, kSlopeNegative, 50.f, m));
  EXPECT_EQ(m, 20u);
  ASSERT_TRUE(s.FindTrigger(0, 50, kTriggerLevel, kSlopePositive, 50.f, m));
  EXPECT_EQ(m, 30u);
  ASSERT_TRUE(s.FindTrigger(0, 50, kTriggerEdge, kSlopePositive, 50.f, m));
  EXPECT_EQ(m, 20u);  // 63 -> 127 rises by 64
}

}  // namespace
}  // namespace orvanix
