// The delay finder on signals with a known delay: white noise with independent noise of the
// same power on each channel (0 dB SNR), delays of whole samples either way, read to the
// sample; and the readings it must refuse: a silent channel, a pure tone, a delay beyond
// the searched range.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "utilities/DelayFinder.h"

namespace orvanix {
namespace {

// The two channels of a stream in which the left channel is `delay` samples late (the right
// one when negative), each with its own noise at `snrDb`, cut into the finder's blocks.
struct TBlocks {
  std::vector<double> left, right;
};
TBlocks DelayedNoise(const TDelayFinder& finder, int32_t delay, double snrDb, uint32_t seed) {
  const uint32_t n = finder.BlockLength();
  const size_t total = finder.FramesNeeded() + 4096;
  std::mt19937 random(seed);
  std::normal_distribution<double> gauss(0.0, 0.05);
  std::vector<double> source(total + std::abs(delay));
  for (double& v : source) v = gauss(random);
  const double noise = std::pow(10.0, -snrDb / 20.0);
  const size_t lateLeft = delay > 0 ? delay : 0, lateRight = delay < 0 ? -delay : 0;
  std::vector<double> x0(total), x1(total);
  for (size_t i = 0; i < total; ++i) {
    x0[i] = source[i + std::abs(delay) - lateLeft] + noise * gauss(random);
    x1[i] = source[i + std::abs(delay) - lateRight] + noise * gauss(random);
  }
  TBlocks blocks;
  blocks.left.assign(x0.end() - n - n / 2, x0.end() - n / 2);
  blocks.right.assign(x1.end() - n, x1.end());
  return blocks;
}

TEST(DelayFinderTest, BlockLengthFollowsTheLargestDelay) {
  EXPECT_EQ(DelayBlockLength(500, 44100), 65536u);  // c = 22050, searched 24576
  EXPECT_EQ(DelayBlockLength(30, 44100), 4096u);    // c = 1323, searched 1536
  EXPECT_EQ(DelayBlockLength(40, 44100), 8192u);    // c = 1764: 4096 would search 1536
  EXPECT_EQ(DelayBlockLength(60, 44100), 8192u);    // c = 2646, searched 3072
  EXPECT_EQ(DelayBlockLength(91, 44100), 16384u);   // c = 4013: 8192 would search 3072
  EXPECT_EQ(DelayBlockLength(92, 44100), 16384u);   // c = 4057
  EXPECT_EQ(DelayBlockLength(10, 8000), 4096u);
  EXPECT_EQ(DelayBlockLength(170, 48000), 32768u);    // c = 8160: 16384 would search 6144
  EXPECT_EQ(DelayBlockLength(341, 48000), 65536u);    // c = 16368: 32768 would search 12288
  EXPECT_EQ(DelayBlockLength(1000, 48000), 131072u);  // c = 48000
  // The search always reaches the largest delay asked for.
  for (int32_t ms : {10, 40, 85, 91, 92, 300, 500, 1000}) {
    EXPECT_GE(TDelayFinder(ms, 48000).SearchedMsec(), ms) << ms;
  }
}

TEST(DelayFinderTest, KnownDelaysAreFoundToTheSampleAtZeroDbSnr) {
  TDelayFinder finder(500, 48000);
  ASSERT_FALSE(finder.Error());
  ASSERT_EQ(finder.BlockLength(), 65536u);
  EXPECT_EQ(finder.Status(), DelayStatus::Waiting);
  uint32_t seed = 1;
  for (int32_t delay : {0, 1, 17, 480, -1, -17, -480, -9000, 12000}) {
    const TBlocks blocks = DelayedNoise(finder, delay, 0.0, seed++);
    ASSERT_EQ(finder.Update(blocks.left.data(), blocks.right.data()), DelayStatus::Found) << delay;
    EXPECT_EQ(finder.DelaySamples(), delay);
    EXPECT_DOUBLE_EQ(finder.DelayMsec(), delay / 48.0);
  }
  // A short block at another rate: 30 ms at 44.1 kHz searches 4096 · 3/8 = 1536 samples.
  TDelayFinder small(30, 44100);
  for (int32_t delay : {0, 3, -250, 1500, -1500}) {
    const TBlocks blocks = DelayedNoise(small, delay, 0.0, seed++);
    ASSERT_EQ(small.Update(blocks.left.data(), blocks.right.data()), DelayStatus::Found) << delay;
    EXPECT_EQ(small.DelaySamples(), delay);
  }
}

TEST(DelayFinderTest, ReadingsThatCannotBeTrustedGiveNoDelay) {
  TDelayFinder finder(30, 48000);  // N 4096, searched ±1536 samples
  const TBlocks good = DelayedNoise(finder, 100, 10.0, 5);
  ASSERT_EQ(finder.Update(good.left.data(), good.right.data()), DelayStatus::Found);
  ASSERT_EQ(finder.DelaySamples(), 100);

  // Beyond the range either way: the peak stands outside.
  for (int32_t delay : {1700, -1800, -3000}) {
    const TBlocks far = DelayedNoise(finder, delay, 10.0, 6);
    EXPECT_EQ(finder.Update(far.left.data(), far.right.data()), DelayStatus::BeyondRange) << delay;
  }
  // The last delay found stays as it was.
  EXPECT_EQ(finder.DelaySamples(), 100);

  // Silence on either side, including a constant offset (a DC level carries no delay).
  std::vector<double> silent(finder.BlockLength(), 0.25);
  EXPECT_EQ(finder.Update(silent.data(), good.right.data()), DelayStatus::SilentLeft);
  EXPECT_EQ(finder.Update(good.left.data(), silent.data()), DelayStatus::SilentRight);

  // Independent noise on the two channels, and a pure tone (whose delay is ambiguous by
  // whole periods): no peak stands out.
  const TBlocks other = DelayedNoise(finder, 0, 10.0, 7);
  EXPECT_EQ(finder.Update(good.left.data(), other.right.data()), DelayStatus::NotCorrelated);
  std::vector<double> toneLeft(finder.BlockLength()), toneRight(finder.BlockLength());
  for (size_t i = 0; i < toneLeft.size(); ++i) {
    toneLeft[i] = 0.5 * std::sin(2 * 3.141592653589793 * 1000.0 * double(i) / 48000.0);
    toneRight[i] = 0.5 * std::sin(2 * 3.141592653589793 * 1000.0 * double(i + 2048 + 5) / 48000.0);
  }
  EXPECT_EQ(finder.Update(toneLeft.data(), toneRight.data()), DelayStatus::NotCorrelated);
  EXPECT_EQ(finder.DelaySamples(), 100);
}

// The generator's white noise loops about every second: within a block of 65536 samples the
// correlation peaks once more outside the range, as strongly; the delay inside is the one.
TEST(DelayFinderTest, NoiseThatRepeatsWithinTheBlockStillGivesItsDelay) {
  TDelayFinder finder(500, 48000);
  const int64_t n = finder.BlockLength(), period = 44402, end = 300000;
  std::mt19937 random(3);
  std::normal_distribution<double> gauss(0.0, 0.1);
  std::vector<double> loop(period);
  for (double& v : loop) v = gauss(random);
  auto x = [&](int64_t i) { return loop[((i % period) + period) % period]; };
  std::vector<double> left(n), right(n);
  for (int64_t i = 0; i < n; ++i) {
    left[i] = x(end - n - n / 2 + i);
    right[i] = x(end - n + i - 480);  // the right channel 480 samples late
  }
  ASSERT_EQ(finder.Update(left.data(), right.data()), DelayStatus::Found);
  EXPECT_EQ(finder.DelaySamples(), -480);
}

TEST(DelayFinderTest, TextsInEachUnit) {
  TDelayFinderOptions options;
  EXPECT_EQ(DelayText(2.5, options), " 2.500 msec");
  options.displayUnits = 1;  // 1130 ft/s: 2.825 ft in 2.5 ms
  EXPECT_EQ(DelayText(2.5, options), " 2.825 ft");
  options.displayUnits = 2;  // the same in metres
  EXPECT_EQ(DelayText(2.5, options), " 0.861 m");
  options.displayUnits = 0;
  EXPECT_EQ(DelayText(-10.0, options), "-10.000 msec");
  EXPECT_EQ(DelayStatusText(DelayStatus::BeyondRange, 32.0), "Delay beyond the searched 32 msec");
  EXPECT_TRUE(DelayStatusText(DelayStatus::Found, 32.0).empty());
}

}  // namespace
}  // namespace orvanix
