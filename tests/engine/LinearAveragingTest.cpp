// Linear averaging over the ring of the last K blocks, kept as running sums: against the
// mean re-summed from the blocks themselves (in long double), block after block, through
// many turns of the ring and across changes of the averaging settings. And the peak bin
// found alongside the averages.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <random>
#include <vector>

#include "engine/Decibels.h"
#include "engine/SpectralData.h"

namespace orvanix {
namespace {

constexpr uint32_t kN = 64;  // 32 bins, the last never averaged
constexpr uint32_t kBins = kN / 2;

ProcessingSettings Settings(int blocks) {
  ProcessingSettings s;
  s.format = MakeWaveFormat(1, 48000, 2);
  s.fftSize = kN;
  s.averageBlocks = blocks;
  s.averageType = kAverageLinear;
  return s;
}

ScalingSettings LogScaling() {
  ScalingSettings c;
  c.ampScale = 1;
  c.freqScale = 0;
  return c;
}

// One transformed block as Average reads it: kBins interleaved complex bins.
using Block = std::vector<float>;

// What the ring must hold: the blocks since the ring was last emptied, the newest last, and
// the count the spectrum reports.
class Model {
 public:
  explicit Model(uint32_t blocks) : blocks_(blocks) {}
  void SetAveraging(uint32_t blocks) {
    blocks_ = blocks;
    recent_.clear();  // the ring is emptied; the count is kept
  }
  void Add(const Block& b) {
    recent_.push_back(b);
    if (recent_.size() > blocks_) recent_.pop_front();
    count_ = std::min(count_ + 1, blocks_);
  }
  uint32_t Count() const { return count_; }
  // The re-summed form: every slot of the ring (unfilled ones are zero) added up in long
  // double, divided by the count. kind 0: power |z|^2 (in float, as the block's power
  // is formed), 1: real part, 2: imaginary part.
  long double Mean(uint32_t bin, int kind) const {
    long double sum = 0.0L;
    for (const Block& b : recent_) {
      const float re = b[2 * bin], im = b[2 * bin + 1];
      sum += kind == 0 ? static_cast<long double>(re * re + im * im) : (kind == 1 ? re : im);
    }
    return sum / count_;
  }

 private:
  uint32_t blocks_;
  uint32_t count_ = 0;
  std::deque<Block> recent_;
};

void Feed(TSpectralData& s, Model& model, const Block& b) {
  std::copy(b.begin(), b.end(), s.BlockData());
  s.Average();
  model.Add(b);
}

// Within float rounding of the re-summed mean: at most one unit in the last place of the
// float nearest to it.
void ExpectMeans(const TSpectralData& s, const Model& model, int block) {
  ASSERT_EQ(s.AverageCount(), model.Count()) << "block " << block;
  for (uint32_t i = 0; i + 1 < kBins; ++i) {
    const float got[3] = {s.AveragePower(i), s.AverageReal(i), s.AverageImag(i)};
    for (int kind = 0; kind < 3; ++kind) {
      const long double expected = model.Mean(i, kind);
      const float nearest = static_cast<float>(expected);
      const float ulp = std::nextafter(std::fabs(nearest), INFINITY) - std::fabs(nearest);
      ASSERT_LE(std::fabs(static_cast<long double>(got[kind]) - expected), ulp)
          << "block " << block << ", bin " << i << ", "
          << (kind == 0   ? "power"
              : kind == 1 ? "real"
                          : "imaginary")
          << ": " << got[kind] << " against " << static_cast<double>(expected);
    }
  }
}

// Bins of very different sizes from block to block (a few decades either way), both signs.
Block RandomBlock(std::mt19937& rng) {
  std::uniform_real_distribution<float> value(-1.f, 1.f);
  std::uniform_int_distribution<int> decade(-4, 4);
  Block b(2 * kBins);
  for (float& v : b) v = value(rng) * std::pow(10.f, static_cast<float>(decade(rng)));
  return b;
}

TEST(LinearAveraging, RunningSumsStayWithinFloatRoundingOfTheResummedMean) {
  std::mt19937 rng(2024);
  TSpectralData s(Settings(7), LogScaling(), 0);
  ASSERT_FALSE(s.Error());
  Model model(7);
  // 10,000 blocks: the ring of 7 turns more than 1,400 times; then other settings.
  for (int block = 0; block < 10000; ++block) {
    Feed(s, model, RandomBlock(rng));
    ExpectMeans(s, model, block);
  }
  ASSERT_TRUE(s.SetAveraging(50, kAverageLinear));
  model.SetAveraging(50);
  for (int block = 0; block < 300; ++block) {
    Feed(s, model, RandomBlock(rng));
    ExpectMeans(s, model, 10000 + block);
  }
  // Down to a shorter ring while the count is already above it, then back.
  ASSERT_TRUE(s.SetAveraging(3, kAverageLinear));
  model.SetAveraging(3);
  for (int block = 0; block < 20; ++block) {
    Feed(s, model, RandomBlock(rng));
    ExpectMeans(s, model, 10300 + block);
  }
  ASSERT_TRUE(s.SetAveraging(1000, kAverageLinear));
  model.SetAveraging(1000);
  for (int block = 0; block < 1200; ++block) {
    Feed(s, model, RandomBlock(rng));
    ExpectMeans(s, model, 10320 + block);
  }
}

TEST(LinearAveraging, ResetEmptiesTheSums) {
  std::mt19937 rng(7);
  TSpectralData s(Settings(5), LogScaling(), 0);
  Model before(5);
  for (int block = 0; block < 12; ++block) Feed(s, before, RandomBlock(rng));
  s.Reset();
  Model model(5);
  for (int block = 0; block < 8; ++block) {
    Feed(s, model, RandomBlock(rng));
    ExpectMeans(s, model, block);
  }
}

// A block far louder than the rest leaves no trace once it has left the ring: the quiet
// blocks' mean to float rounding, and silence after it reads exactly 0 (no value in dB).
TEST(LinearAveraging, ALoudBlockLeavesNoResidueWhenItLeavesTheRing) {
  TSpectralData s(Settings(4), LogScaling(), 0);
  Model model(4);
  Block loud(2 * kBins, 3.0e7f), quiet(2 * kBins), silence(2 * kBins, 0.f);
  for (uint32_t k = 0; k < 2 * kBins; ++k) quiet[k] = 1.0e-9f * static_cast<float>(k + 1);
  Feed(s, model, loud);
  for (int block = 0; block < 4; ++block) Feed(s, model, quiet);
  ExpectMeans(s, model, 5);
  Feed(s, model, loud);
  for (int block = 0; block < 4; ++block) Feed(s, model, silence);
  for (uint32_t i = 0; i + 1 < kBins; ++i) {
    ASSERT_EQ(s.AveragePower(i), 0.f) << "bin " << i;
    ASSERT_EQ(s.AverageReal(i), 0.f) << "bin " << i;
    ASSERT_EQ(s.AverageImag(i), 0.f) << "bin " << i;
    ASSERT_EQ(s.Value(i), kNoDb) << "bin " << i;
  }
}

// The peak bin is the first of equal maxima above bin 4, wherever they fall (the search
// runs in interleaved lanes), and never the last bin or one below 5.
TEST(PeakBin, FirstOfEqualMaximaAboveBinFour) {
  ProcessingSettings settings = Settings(1);
  settings.fftSize = 256;
  TSpectralData s(settings, LogScaling(), 0);
  const uint32_t bins = s.BinCount();
  const auto peakOf = [&](std::initializer_list<std::pair<uint32_t, float>> bumps) {
    s.Reset();
    float* z = s.BlockData();
    for (auto [bin, value] : bumps) z[2 * bin] = value;
    s.Average();
    return s.PeakBin();
  };
  EXPECT_EQ(peakOf({{9, 2.f}, {17, 2.f}}), 9u);
  EXPECT_EQ(peakOf({{13, 2.f}, {12, 2.f}, {100, 1.f}}), 12u);
  EXPECT_EQ(peakOf({{6, 1.f}, {7, 1.f}, {120, 1.f}}), 6u);
  EXPECT_EQ(peakOf({{125, 3.f}, {123, 3.f}}), 123u);     // one of them past the last lane set
  EXPECT_EQ(peakOf({{4, 5.f}, {50, 1.f}}), 50u);         // below bin 5 does not count
  EXPECT_EQ(peakOf({{bins - 1, 5.f}, {64, 1.f}}), 64u);  // nor does the last bin
  EXPECT_EQ(peakOf({}), 5u);                             // all equal: the first searched
}

}  // namespace
}  // namespace orvanix
