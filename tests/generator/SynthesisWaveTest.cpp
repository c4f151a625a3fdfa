// The integer types: the classic waves, the pulse, the noises and Digital Zero, sample by
// sample against their closed forms.
#include "generator/GeneratorTestSupport.h"

namespace orvanix::test {
namespace {

TEST(WaveTest, SawtoothOf1000HzAt44100HasPeriod44AndAFullSecondOfThem) {
  TGeneratorSettings g = Settings(kSignalSawtooth);
  const TBuildResult r = Build(g, 44100);
  ASSERT_TRUE(r.buffer);
  EXPECT_EQ(r.natural[0], 44);
  EXPECT_EQ(r.buffer->CapacityFrames(), 44u * 1003u);
  const std::vector<double> x = Channel(*r.buffer);
  for (size_t i = 0; i < x.size(); ++i) {
    const double p = static_cast<double>(i % 44);
    ASSERT_EQ(x[i], std::trunc(-32767.0 + p * 65534.0 / 44.0)) << i;
  }
  const std::vector<double> second(x.begin(), x.begin() + 44100);
  EXPECT_NEAR(ToneFrequency(second, 44100.0, 1002.27, 0.5), 44100.0 / 44.0, 0.01);

  g.left.sawtooth = {-1, 1000.0f};
  g.level.outputLevel = -6.0f;
  const std::vector<double> falling = Channel(*Build(g, 44100).buffer);
  const double f = std::pow(10.0, -6.0 / 20.0);
  EXPECT_EQ(falling[0], std::trunc(32767.0 * f));
  EXPECT_EQ(falling[1], std::trunc(std::trunc(32767.0 - 65534.0 / 44.0) * f));
}

TEST(WaveTest, TriangularRisesForHalfAPeriodThenFalls) {
  TGeneratorSettings g = Settings(kSignalTriangular);
  g.left.triangular.freqHz = 480.0f;  // 100 samples at 48 kHz
  const TBuildResult r = Build(g, 48000);
  ASSERT_TRUE(r.buffer);
  const std::vector<double> x = Channel(*r.buffer);
  EXPECT_EQ(x[0], -32767.0);
  EXPECT_EQ(x[25], std::trunc(-32767.0 + 25 * 65534.0 / 50.0));
  EXPECT_EQ(x[50], 32767.0);
  EXPECT_EQ(x[75], std::trunc(-32767.0 + 65534.0 - 65534.0 * 25 / 50.0));
  EXPECT_EQ(x[100], -32767.0);
}

TEST(WaveTest, SquareAt2000HzWith25PercentDutyIsFiveHighOf22) {
  TGeneratorSettings g = Settings(kSignalSquare);
  g.left.square = {2000.0f, 25};
  const TBuildResult r = Build(g, 44100);
  ASSERT_TRUE(r.buffer);
  EXPECT_EQ(r.natural[0], 22);
  const std::vector<double> x = Channel(*r.buffer);
  const double high = std::trunc(0.99 * 32767.0);
  for (size_t i = 0; i < x.size(); ++i) ASSERT_EQ(x[i], i % 22 < 5 ? high : -high) << i;
}

TEST(WaveTest, PulseTimingToTheSample) {
  TGeneratorSettings g = Settings(kSignalPulse);
  g.left.pulse = {200, 10000, 0};  // 200 us every 10 ms
  const TBuildResult r = Build(g, 48000);
  ASSERT_TRUE(r.buffer);
  EXPECT_EQ(r.natural[0], 480);
  EXPECT_EQ(r.buffer->CapacityFrames(), 480u * 101u);
  const std::vector<double> x = Channel(*r.buffer);
  const double top = std::trunc(32767.0 * 0.99);
  // 200 us x 48000 = 9.6: the width is 9 samples.
  for (size_t i = 0; i < x.size(); ++i) ASSERT_EQ(x[i], i % 480 < 9 ? top : 0.0) << i;
}

TEST(WaveTest, WhiteNoiseLoopsItsResourceAndScalesIt) {
  TGeneratorSettings g = Settings(kSignalWhiteNoise);
  g.level.outputLevel = -12.0f;
  const TBuildResult at44 = Build(g, 44100);
  ASSERT_TRUE(at44.buffer);
  EXPECT_EQ(at44.buffer->CapacityFrames(), 44402u);
  const TBuildResult at48 = Build(g, 48000);
  ASSERT_TRUE(at48.buffer);
  EXPECT_EQ(at48.buffer->CapacityFrames(), 88804u);  // two loops
  const std::vector<double> x = Channel(*at48.buffer);
  const std::vector<int16_t>& s = Noise().white.Samples();
  const double f = std::pow(10.0, -12.0 / 20.0);
  for (size_t i = 0; i < x.size(); ++i) {
    ASSERT_EQ(x[i], std::trunc(f * 32767.0 * s[i % 44402] / 32768.0)) << i;
  }
}

TEST(WaveTest, PinkBufferIsOneLoopAndTwoSamples) {
  const TBuildResult r = Build(Settings(kSignalPinkNoise), 44100);
  ASSERT_TRUE(r.buffer);
  EXPECT_EQ(r.natural[0], 181225);
  EXPECT_EQ(r.buffer->CapacityFrames(), 181226u);
  const std::vector<double> x = Channel(*r.buffer);
  EXPECT_EQ(x[181224], x[0]);
  EXPECT_EQ(x[181225], x[1]);
}

TEST(WaveTest, NoiseBurstOfOneSecondInTwoIsSilenceThenNoise) {
  TGeneratorSettings g = Settings(kSignalNoiseBurst);
  g.left.noiseBurst = {0, 1000, 2000};
  const TBuildResult r = Build(g, 44100);
  ASSERT_TRUE(r.buffer);
  EXPECT_EQ(r.buffer->CapacityFrames(), 88200u);
  const std::vector<double> x = Channel(*r.buffer);
  const std::vector<int16_t>& s = Noise().white.Samples();
  for (size_t i = 0; i < 44100; ++i) ASSERT_EQ(x[i], 0.0) << i;
  // The resource index ran on through the silence.
  for (size_t i = 44100; i < 88200; ++i) {
    ASSERT_EQ(x[i], std::trunc(32767.0 * s[i % 44402] / 32768.0)) << i;
  }
}

TEST(WaveTest, DigitalZeroIsTheZeroValueOfEachWidth) {
  for (uint32_t bytes : {1u, 2u, 3u}) {
    const TBuildResult r = Build(Settings(kSignalDigitalZero), 22050, 2, bytes);
    ASSERT_TRUE(r.buffer);
    EXPECT_EQ(r.buffer->CapacityFrames(), 22050u);
    for (uint32_t c = 0; c < 2; ++c) {
      for (double v : Channel(*r.buffer, c)) ASSERT_EQ(v, 0.0);
    }
  }
}

TEST(WaveTest, EightBitWavesStayAroundTheirZeroValue) {
  // The design leaves 8-bit output of the classic waves and the noises open; they are
  // scaled around 127 like everything else in 8 bits.
  TGeneratorSettings g = Settings(kSignalSquare);
  g.level.outputLevel = -6.0f;
  const TBuildResult r = Build(g, 8000, 1, 1);
  ASSERT_TRUE(r.buffer);
  const uint8_t* p = r.buffer->Memory();
  const double f = std::pow(10.0, -6.0 / 20.0);
  // 0.99 x (255 - 127) -> 126 above, 0.99 x (0 - 127) -> -125 below; period 4, 2 high.
  EXPECT_EQ(p[0], 127 + static_cast<int>(std::trunc(126 * f)));
  EXPECT_EQ(p[2], 127 + static_cast<int>(std::trunc(-125 * f)));
  const TBuildResult noise = Build(Settings(kSignalWhiteNoise), 44100, 1, 1);
  const uint8_t* n = noise.buffer->Memory();
  double mean = 0;
  for (uint32_t i = 0; i < noise.buffer->CapacityFrames(); ++i) mean += n[i];
  EXPECT_NEAR(mean / noise.buffer->CapacityFrames(), 127.0, 0.5);
}

}  // namespace
}  // namespace orvanix::test
