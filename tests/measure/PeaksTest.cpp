// Peak picking: the nth-peak search against a literal pass-by-pass reading of its rules,
// the power at a frequency, the peak skirt and the band search.
#include <gtest/gtest.h>

#include <random>

#include "measure/Peaks.h"
#include "tests/measure/MeasureTestSupport.h"

namespace orvanix {
namespace {

using test::SpectrumWithPowers;

// The search as its rules read: pass r scans the limited range for the largest bin that
// beats its five neighbours on each side and is not among the earlier picks (the exclusion
// list starts as eleven zeros); a pass that finds nothing yields bin 0.
uint32_t ReferencePeak(const TSpectralData& s, uint32_t first, uint32_t last, uint32_t n) {
  const uint32_t bins = s.BinCount();
  if (bins < 11) return 0;
  first = std::max(first, 5u);
  first = std::min(first, bins - 6);
  last = std::min(last, bins - 6);
  uint32_t excluded[11] = {};
  uint32_t found = 0;
  for (uint32_t r = 0; r <= n; ++r) {
    float best = -1.0e7f;
    found = 0;
    for (uint32_t i = first; i <= last; ++i) {
      const float p = s.AveragePower(i);
      if (!(p > best) || std::find(excluded, excluded + 11, i) != excluded + 11) continue;
      bool local = true;
      for (uint32_t k = 1; k <= 5; ++k) {
        local = local && p > s.AveragePower(i - k) && p > s.AveragePower(i + k);
      }
      if (local) {
        best = p;
        found = i;
      }
    }
    excluded[r] = found;
  }
  return found;
}

TEST(PeaksTest, EveryRankMatchesThePassByPassSearchOnRandomSpectra) {
  std::mt19937 random(20240611);
  for (uint32_t bins : {16u, 32u, 64u, 512u, 2048u}) {
    for (int trial = 0; trial < 40; ++trial) {
      // Few distinct levels, so that ties and plateaus are common.
      std::uniform_int_distribution<int> level(0, trial % 2 ? 3 : 50);
      std::vector<float> powers(bins);
      for (float& p : powers) p = static_cast<float>(level(random)) * 0.25f;
      auto s = SpectrumWithPowers(powers);
      std::uniform_int_distribution<uint32_t> edge(0, bins + 4);
      uint32_t first = edge(random), last = edge(random);
      if (trial < 4) {
        first = trial < 2 ? 0 : bins - 2;
        last = trial % 2 ? bins - 1 : bins + 100;
      }
      uint32_t picks[kPeakRanks];
      NarrowbandPeakBins(*s, first, last, kPeakRanks, picks);
      for (uint32_t n = 0; n < kPeakRanks; ++n) {
        const uint32_t expected = ReferencePeak(*s, first, last, n);
        ASSERT_EQ(picks[n], expected) << "bins " << bins << " trial " << trial << " range " << first
                                      << "..." << last << " rank " << n;
        const SpectrumPoint point = Peaks(*s, first, last, n);
        EXPECT_EQ(point.index, expected);
        EXPECT_FLOAT_EQ(point.frequency, s->BinFrequency(expected));
      }
    }
  }
}

TEST(PeaksTest, TiesGoToTheLowerBinAndLowBinsAreNeverPeaks) {
  std::vector<float> powers(256, 0.001f);
  powers[2] = 50.f;  // a tone in bins 0 ... 4 is never picked
  powers[100] = 4.f;
  powers[60] = 4.f;  // equal to bin 100, and lower
  powers[150] = 1.f;
  auto s = SpectrumWithPowers(powers);
  EXPECT_EQ(Peaks(*s, 0, 255, 0).index, 60u);
  EXPECT_EQ(Peaks(*s, 0, 255, 1).index, 100u);
  EXPECT_EQ(Peaks(*s, 0, 255, 2).index, 150u);
  // Nothing further: bin 0, at 0 Hz.
  EXPECT_EQ(Peaks(*s, 0, 255, 3).index, 0u);
  EXPECT_EQ(Peaks(*s, 0, 255, 3).frequency, 0.f);
  EXPECT_NE(NarrowbandPeakBin(*s), 2u);
  EXPECT_EQ(NarrowbandPeakBin(*s), 60u);
  // A plateau of two equal bins has no strict local maximum.
  powers[150] = 0.001f;
  powers[180] = powers[181] = 2.f;
  s = SpectrumWithPowers(powers);
  EXPECT_EQ(Peaks(*s, 0, 255, 2).index, 0u);
}

TEST(PeaksTest, PowerAtFrequencyReadsOnlyBinsThreeToBMinusThree) {
  std::vector<float> powers(64);
  for (uint32_t i = 0; i < powers.size(); ++i) powers[i] = 1.f + i;
  auto s = SpectrumWithPowers(powers, 12800);  // 100 Hz per bin
  ASSERT_FLOAT_EQ(s->BinWidth(), 100.f);
  EXPECT_EQ(PowerAtFrequency(*s, 200.f), 0.f);
  EXPECT_EQ(PowerAtFrequency(*s, 249.f), 0.f);        // nearest bin 2
  EXPECT_FLOAT_EQ(PowerAtFrequency(*s, 251.f), 4.f);  // nearest bin 3
  EXPECT_FLOAT_EQ(PowerAtFrequency(*s, 6100.f), 62.f);
  EXPECT_EQ(PowerAtFrequency(*s, 6200.f), 0.f);  // bin 62 = B - 2
  EXPECT_EQ(PowerAtFrequency(*s, -300.f), 0.f);
  EXPECT_EQ(PowerAtFrequency(*s, 1.0e9f), 0.f);
}

TEST(PeaksTest, TheSkirtEndsWhereTheSpectrumRisesAboveTwiceItsLowestPoint) {
  std::vector<float> powers(128, 1.f);
  // A peak at 60 falling to a floor of 0.1 at 50 and 72 on each side, then rising again:
  // on the left to 0.15 (not twice 0.1) and then 0.3 (more than twice: stop); on the right
  // straight to 0.5.
  for (uint32_t i = 40; i <= 80; ++i) powers[i] = 0.1f;
  for (uint32_t i = 51; i < 72; ++i) powers[i] = 0.1f + 5.f / (1.f + std::abs(60.f - i));
  powers[49] = 0.15f;
  powers[48] = 0.3f;
  powers[47] = 0.05f;  // beyond the stop: never reached
  for (uint32_t i = 73; i < 128; ++i) powers[i] = 0.5f;
  powers[72] = 0.09f;
  auto s = SpectrumWithPowers(powers);
  const TPeakSkirt skirt = FindPeakSkirt(*s, 60);
  EXPECT_EQ(skirt.low, 50u);
  EXPECT_EQ(skirt.high, 72u);
  // Near the edges the skirt stays inside bins 3 ... B - 1.
  const TPeakSkirt low = FindPeakSkirt(*s, 2);
  EXPECT_GE(low.low, 3u);
  const TPeakSkirt high = FindPeakSkirt(*s, 127);
  EXPECT_EQ(high.high, 127u);
}

TEST(PeaksTest, BandSearchPicksTheLoudestBandsAboveTheResolvableOnes) {
  ScalingSettings octave;
  octave.freqScale = 2;
  octave.octaveNumber = 3;
  octave.ampScale = 1;
  std::vector<float> powers(2048, 0.f);
  powers[100] = 1.f;   // 1172 Hz at 48 kHz, FFT 4096
  powers[400] = 0.5f;  // 4688 Hz
  auto s = SpectrumWithPowers(powers, 48000, octave);
  ASSERT_GT(s->BandCount(), 0u);
  const SpectrumPoint loudest = Peaks(*s, 0, s->BandCount(), 0, PeakScan::Axis);
  const SpectrumPoint next = Peaks(*s, 0, s->BandCount(), 1, PeakScan::Axis);
  EXPECT_EQ(loudest.index, s->BandOfFrequency(s->BinFrequency(100)));
  EXPECT_EQ(next.index, s->BandOfFrequency(s->BinFrequency(400)));
  EXPECT_FLOAT_EQ(loudest.frequency, s->BandCentre(loudest.index));
  EXPECT_FLOAT_EQ(loudest.value, s->Value(loudest.index));
  EXPECT_GT(loudest.value, next.value);
  // The range's end is exclusive: the band of bin 400 is out of reach below its index + 1.
  EXPECT_NE(Peaks(*s, 0, next.index, 1, PeakScan::Axis).index, next.index);
  // Every other band is silent (-999.9): nothing more to find.
  EXPECT_EQ(Peaks(*s, 0, s->BandCount(), 2, PeakScan::Axis).index, 0u);
  // The narrowband search ignores the axis.
  EXPECT_EQ(Peaks(*s, 0, 2047, 0).index, 100u);
}

}  // namespace
}  // namespace orvanix
