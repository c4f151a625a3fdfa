// The sweeps: instantaneous frequency at the start, the middle and the end, measured from
// zero crossings over short stretches, against the laws; the log sweep's direction; the
// level sweep's ramp.
#include <algorithm>

#include "generator/GeneratorTestSupport.h"
#include "generator/Synthesis.h"

namespace orvanix::test {
namespace {

// Mean frequency over `half` samples either side of sample g.
double FrequencyAround(const std::vector<double>& x, double rate, int64_t g, int64_t half) {
  const int64_t from = std::max<int64_t>(0, g - half);
  const int64_t to = std::min<int64_t>(static_cast<int64_t>(x.size()), g + half);
  return CrossingFrequency(x, rate, static_cast<size_t>(from), static_cast<size_t>(to));
}

TEST(SweepTest, LinearSweepRunsFromStartToStopFrequency) {
  TGeneratorSettings g = Settings(kSignalFreqSweep);
  g.left.freqSweep = {1000.0f, 2000.0f, 1000, 1};
  const TBuildResult r = Build(g, 48000);
  ASSERT_TRUE(r.buffer);
  EXPECT_EQ(r.natural[0], 48000);
  const std::vector<double> x = Channel(*r.buffer);
  // The phase's derivative: F0 + (2g + 1) (F1 - F0) / (2N); over a short window its mean is
  // its value at the window's centre.
  auto law = [](double g) { return 1000.0 + (2.0 * g + 1.0) * 1000.0 / (2.0 * 48000.0); };
  for (int64_t at : {480, 24000, 47520}) {
    EXPECT_NEAR(FrequencyAround(x, 48000.0, at, 480), law(at), 0.5) << at;
  }
  EXPECT_NEAR(FrequencyAround(x, 48000.0, 47900, 100), 2000.0, 3.0);
  // The next sweep starts over.
  EXPECT_NEAR(ToneFrequency(std::vector<double>(x.begin(), x.begin() + 960), 48000.0, 1000.0, 20.0),
              1010.0, 2.0);
}

TEST(SweepTest, LogarithmicSweepReachesTheStopFrequencyAndFollowsItsLaw) {
  TGeneratorSettings g = Settings(kSignalFreqSweep);
  g.left.freqSweep = {100.0f, 10000.0f, 2000, 2};
  const TBuildResult r = Build(g, 48000);
  ASSERT_TRUE(r.buffer);
  const int64_t n = 96000;
  const std::vector<double> x = Channel(*r.buffer);
  const double step = LogSweepStep(10.0, 1000.0, n, 48000);
  // f(g) = F0 10^(g s); the phase (g + 1) f(g) has the derivative f(g) (1 + (g + 1) s ln 10).
  auto law = [step](double g) {
    return 100.0 * std::pow(10.0, g * step) * (1.0 + (g + 1.0) * step * std::log(10.0));
  };
  for (int64_t at : {2000, 48000, 94000}) {
    const double measured = FrequencyAround(x, 48000.0, at, 1000);
    EXPECT_NEAR(measured / law(at), 1.0, 0.01) << at;
  }
  EXPECT_NEAR(FrequencyAround(x, 48000.0, n - 40, 40), 10000.0, 150.0);
}

TEST(SweepTest, LogarithmicSweepFromHighToLowRunsDownward) {
  TGeneratorSettings g = Settings(kSignalFreqSweep);
  g.left.freqSweep = {8000.0f, 200.0f, 1000, 2};
  const TBuildResult r = Build(g, 48000);
  ASSERT_TRUE(r.buffer);
  const std::vector<double> x = Channel(*r.buffer);
  // Built upward from 200 Hz and written backwards: buffer position p holds sweep position
  // 47999 - p.
  const double step = LogSweepStep(20.0, 800.0, 48000, 48000);
  auto law = [step](double g) {
    return 200.0 * std::pow(10.0, g * step) * (1.0 + (g + 1.0) * step * std::log(10.0));
  };
  for (int64_t p : {1000, 24000, 47000}) {
    EXPECT_NEAR(FrequencyAround(x, 48000.0, p, 1000) / law(47999.0 - p), 1.0, 0.01) << p;
  }
  EXPECT_NEAR(FrequencyAround(x, 48000.0, 40, 40), 8000.0, 120.0);
}

TEST(SweepTest, StopAboveNyquistIsLimitedToIt) {
  TGeneratorSettings g = Settings(kSignalFreqSweep);
  g.left.freqSweep = {1000.0f, 30000.0f, 1000, 1};  // from a configuration file
  const TBuildResult r = Build(g, 16000);
  ASSERT_TRUE(r.buffer);
  const std::vector<double> x = Channel(*r.buffer);
  // F1 = 8000: the law ends at Nyquist, not beyond (where it would fold back).
  EXPECT_NEAR(FrequencyAround(x, 16000.0, 8000, 100), 1000.0 + 7000.0 * 0.5, 40.0);
}

TEST(SweepTest, LevelSweepRepeatsItsRampThreeTimesInTheBuffer) {
  TGeneratorSettings g = Settings(kSignalLevelSweep);
  g.left.levelSweep = {-20.0f, 0.0f, 500, 1000.0f};
  const TBuildResult r = Build(g, 44100);
  ASSERT_TRUE(r.buffer);
  EXPECT_EQ(r.natural[0], 22050);
  EXPECT_EQ(r.buffer->CapacityFrames(), 66150u);
  const std::vector<double> x = Channel(*r.buffer);
  const double top = 0.99 * 32767.0;
  for (int sweep = 0; sweep < 3; ++sweep) {
    for (int64_t g0 : {0, 11025, 22050 - 441}) {
      // 441 samples are ten periods of 1 kHz; the level moves by 0.4 dB over them.
      const double level = -20.0 + (g0 + 220.0) * 20.0 / 22050.0;
      const double measured = Amplitude(x, 1000.0, 44100.0, sweep * 22050 + g0, 441);
      EXPECT_NEAR(Db(measured / top), level, 0.05) << sweep << " " << g0;
    }
  }
}

}  // namespace
}  // namespace orvanix::test
