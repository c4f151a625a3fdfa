// The sine types against closed forms: the 1 kHz tone, multiple tones, the tone burst, the IMD
// sets and DTMF, measured with fits and frequency searches that share nothing with the
// synthesis. The common sample rule puts a tone's peak at f x 0.99 x full scale.
#include <algorithm>

#include "generator/GeneratorTestSupport.h"

namespace orvanix::test {
namespace {

constexpr double kFullScale16 = 32767.0;

TEST(ToneTest, OneKilohertzIsTenSecondsOfWholePeriodsAtTheSetLevel) {
  TGeneratorSettings g = Settings(kSignalTone1k);
  g.level.outputLevel = -6.0f;  // dB Full Scale
  const TBuildResult r = Build(g, 44100);
  ASSERT_TRUE(r.buffer);
  EXPECT_EQ(r.natural[0], 441000);
  EXPECT_EQ(r.buffer->CapacityFrames(), 441000u);
  const std::vector<double> x = Channel(*r.buffer);
  const double expected = std::pow(10.0, -6.0 / 20.0) * 0.99 * kFullScale16;
  // 10000 whole periods: the fit is exact but for the dither.
  EXPECT_NEAR(Db(Amplitude(x, 1000.0, 44100.0) / expected), 0.0, 0.01);
  const std::vector<double> second(x.begin(), x.begin() + 44100);
  EXPECT_NEAR(ToneFrequency(second, 44100.0, 1000.0), 1000.0, 0.01);
  // Sample by sample within the dither and the rounding: + 0.5 truncated toward zero puts a
  // sample between 1.5 below and 1.5 above the value for positive values, and up to one count
  // higher for negative ones.
  double worst = 0.0;
  for (size_t i = 0; i < x.size(); ++i) {
    const double ideal = expected * std::sin(2.0 * std::numbers::pi * 1000.0 * (i + 1.0) / 44100.0);
    worst = std::max(worst, std::fabs(x[i] - ideal));
  }
  EXPECT_LE(worst, 2.5);
}

TEST(ToneTest, DitherIsTriangularAroundTheValueAndChangesFromSampleToSample) {
  TGeneratorSettings g = Settings(kSignalMultipleTones);
  g.left.tones.enable.fill(0);  // no rows: the dither alone around 0
  const TBuildResult r = Build(g, 48000);
  ASSERT_TRUE(r.buffer);
  const std::vector<double> x = Channel(*r.buffer);
  size_t counts[3] = {0, 0, 0};
  for (double v : x) {
    ASSERT_GE(v, -1.0);
    ASSERT_LE(v, 1.0);
    ++counts[static_cast<int>(v) + 1];
  }
  // d + 0.5 truncated toward zero, d triangular on (-1, 1): 0 for d below 0.5, 1 above; the
  // shares of -1, 0 and 1 are 0, 7/8 and 1/8.
  EXPECT_EQ(counts[0], 0u);
  EXPECT_NEAR(static_cast<double>(counts[2]) / x.size(), 0.125, 0.01);
}

TEST(ToneTest, MultipleTonesShareTheLevelByTheEnabledRowsAndTheirPower) {
  TGeneratorSettings g = Settings(kSignalMultipleTones);
  auto& t = g.left.tones;
  t.enable = {1, 0, 1, 0, 0, 0, 0, 0, 0, 0};
  t.freqHz[0] = 1500.0f;
  t.freqHz[2] = 3000.0f;
  t.powerDb[2] = -20.0f;
  const TBuildResult r = Build(g, 48000);
  ASSERT_TRUE(r.buffer);
  EXPECT_EQ(r.buffer->CapacityFrames(), 480000u);
  const std::vector<double> x = Channel(*r.buffer);
  const double top = 0.99 * kFullScale16 / 2.0;  // two rows
  EXPECT_NEAR(Db(Amplitude(x, 1500.0, 48000.0) / top), 0.0, 0.01);
  EXPECT_NEAR(Db(Amplitude(x, 3000.0, 48000.0) / top), -20.0, 0.01);
  EXPECT_LT(Amplitude(x, 2000.0, 48000.0), 0.5);  // the disabled row stays out
}

TEST(ToneTest, ToneBurstIsSilentThenTheToneWithItsPhaseRunningOn) {
  TGeneratorSettings g = Settings(kSignalToneBurst);
  g.left.toneBurst = {1000, 250, 1000};  // 1 kHz, 250 ms burst in 1000 ms cycles
  const TBuildResult r = Build(g, 8000);
  ASSERT_TRUE(r.buffer);
  EXPECT_EQ(r.natural[0], 8000);
  const std::vector<double> x = Channel(*r.buffer);
  for (size_t i = 0; i < 6000; ++i) ASSERT_EQ(x[i], 0.0) << i;  // exactly mid, no dither
  const double a = 0.99 * kFullScale16;
  for (size_t i = 6000; i < 8000; ++i) {
    // n = i + 1 counts from the buffer's start, not from the burst's.
    const double ideal = a * std::sin(2.0 * std::numbers::pi * 1000.0 * (i + 1.0) / 8000.0);
    ASSERT_GE(x[i] - ideal, -1.5) << i;
    ASSERT_LE(x[i] - ideal, 2.5) << i;
  }
}

TEST(ToneTest, ImdStandardSetsAndCustomTones) {
  struct Case {
    int32_t type;
    double f1, f2, ratio;
  };
  for (const Case c :
       {Case{0, 250.0, 8020.0, 4.0}, Case{1, 60.0, 7000.0, 4.0}, Case{2, 400.0, 6000.0, 2.5}}) {
    TGeneratorSettings g = Settings(kSignalImd);
    g.left.imd = {c.type, 400.0f, 6000.0f, 2.5f};
    const TBuildResult r = Build(g, 48000);
    ASSERT_TRUE(r.buffer);
    EXPECT_EQ(r.buffer->CapacityFrames(), 48000u);
    const std::vector<double> x = Channel(*r.buffer);
    const double a1 = Amplitude(x, c.f1, 48000.0), a2 = Amplitude(x, c.f2, 48000.0);
    EXPECT_NEAR(Db(a1 / (0.99 * kFullScale16 / 2.0)), 0.0, 0.01) << c.type;
    EXPECT_NEAR(a1 / a2, c.ratio, 0.01) << c.type;
    EXPECT_FLOAT_EQ(ImdHighToneHz(g.left.imd), c.type == 2 ? 6000.0f : c.f2);
  }
}

TEST(ToneTest, DtmfKeysPulsesAndSpacingAtTheirSamples) {
  TGeneratorSettings g = Settings(kSignalDtmf);
  g.left.dtmf = {"12", 100, 100, 0.0f, 0};
  const TBuildResult r = Build(g, 8000);
  ASSERT_TRUE(r.buffer);
  EXPECT_EQ(r.natural[0], 3200);
  EXPECT_EQ(r.buffer->CapacityFrames(), 9600u);  // the one-second rule: three strings
  const std::vector<double> x = Channel(*r.buffer);
  auto quiet = [&](size_t from) {
    for (size_t i = from; i < from + 800; ++i) {
      if (std::fabs(x[i]) > 1.0) return false;  // the dither alone
    }
    return true;
  };
  // Each key: both tones at half the level each, every other pair absent.
  auto tones = [&](size_t from, double low, double high) {
    const double half = 0.99 * kFullScale16 / 2.0;
    EXPECT_NEAR(Amplitude(x, low, 8000.0, from, 800) / half, 1.0, 0.01) << from;
    EXPECT_NEAR(Amplitude(x, high, 8000.0, from, 800) / half, 1.0, 0.01) << from;
    // The other groups' tones are absent (Hann-weighted, so the keys' own tones do not
    // leak into them): below -60 dB of a tone.
    for (double other : {770.0, 852.0, 941.0, 1477.0, 1633.0}) {
      EXPECT_LT(WindowedAmplitude(x, other, 8000.0, from, 800) / half, 0.001)
          << from << " " << other;
    }
  };
  tones(0, 697.0, 1209.0);
  EXPECT_TRUE(quiet(800));
  tones(1600, 697.0, 1336.0);
  EXPECT_TRUE(quiet(2400));
  tones(3200, 697.0, 1209.0);  // the string again
  EXPECT_GT(std::fabs(x[799]), 0.0);
  EXPECT_LE(std::fabs(x[800]), 1.0);
}

TEST(ToneTest, DtmfTwistAndUnknownKeys) {
  // One-second pulses: every tone is a whole number of periods long.
  TGeneratorSettings g = Settings(kSignalDtmf);
  g.left.dtmf = {"5?", 1000, 1000, 3.0f, 1};
  const TBuildResult r = Build(g, 8000);
  ASSERT_TRUE(r.buffer);
  EXPECT_EQ(r.buffer->CapacityFrames(), 32000u);
  const std::vector<double> x = Channel(*r.buffer);
  // +3 dB: the high group 3 dB over the low group, which is the one lowered.
  const double low = Amplitude(x, 770.0, 8000.0, 0, 8000);
  const double high = Amplitude(x, 1336.0, 8000.0, 0, 8000);
  EXPECT_NEAR(Db(high / low), 3.0, 0.01);
  EXPECT_NEAR(high / (0.99 * kFullScale16 / 2.0), 1.0, 1e-4);
  // "?" has no pair: its slot is as quiet as the spacing.
  for (size_t i = 16000; i < 32000; ++i) ASSERT_LE(std::fabs(x[i]), 1.0) << i;

  g.left.dtmf.twistDb = -6.0f;
  const std::vector<double> y = Channel(*Build(g, 8000).buffer);
  EXPECT_NEAR(Db(Amplitude(y, 1336.0, 8000.0, 0, 8000) / Amplitude(y, 770.0, 8000.0, 0, 8000)),
              -6.0, 0.01);
  EXPECT_NEAR(Amplitude(y, 770.0, 8000.0, 0, 8000) / (0.99 * kFullScale16 / 2.0), 1.0, 1e-4);
}

}  // namespace
}  // namespace orvanix::test
