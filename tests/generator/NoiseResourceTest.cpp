// The two noise resources compiled into the program: their exact sizes and format, their
// loops, that they are what the noise maker makes (so a build reproduces them), and that a
// damaged resource is refused.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "generator/NoiseMaker.h"
#include "generator/NoiseResource.h"

namespace orvanix {
namespace {

uint32_t U32(const uint8_t* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

TEST(NoiseResourceTest, SizesFormatAndLoops) {
  struct Case {
    std::span<const uint8_t> bytes;
    uint32_t samples, loop;
  };
  for (const Case c :
       {Case{WhiteWaveResource(), 44423, 44402}, Case{PinkWaveResource(), 181245, 181224}}) {
    ASSERT_EQ(c.bytes.size(), 44u + 2u * c.samples);
    const uint8_t* p = c.bytes.data();
    EXPECT_EQ(std::memcmp(p, "RIFF", 4), 0);
    EXPECT_EQ(U32(p + 4), 36u + 2u * c.samples);
    EXPECT_EQ(std::memcmp(p + 8, "WAVEfmt ", 8), 0);
    EXPECT_EQ(U32(p + 16), 16u);
    EXPECT_EQ(p[20] | (p[21] << 8), 1);  // PCM
    EXPECT_EQ(p[22] | (p[23] << 8), 1);  // mono
    EXPECT_EQ(U32(p + 24), 44100u);
    EXPECT_EQ(p[34] | (p[35] << 8), 16);
    EXPECT_EQ(U32(p + 40), 2u * c.samples);

    TNoiseResource r;
    ASSERT_TRUE(r.Load(c.bytes));
    EXPECT_EQ(r.SampleCount(), c.samples);
    EXPECT_EQ(r.LoopLength(), c.loop);
    EXPECT_EQ(r.UnevenLength(), c.samples - 20);
    // The samples after the loop continue it: the loop plays without a seam.
    for (uint32_t i = c.loop; i < c.samples; ++i)
      EXPECT_EQ(r.Samples()[i], r.Samples()[i - c.loop]);
    // A real signal, below full scale.
    double sum = 0;
    int peak = 0;
    for (int16_t s : r.Samples()) {
      sum += static_cast<double>(s) * s;
      peak = std::max(peak, std::abs(int{s}));
    }
    EXPECT_GT(std::sqrt(sum / c.samples), 32767.0 * 0.1);
    EXPECT_LT(peak, 32767);
  }
}

TEST(NoiseResourceTest, CompiledResourcesAreWhatTheMakerMakes) {
  const std::vector<uint8_t> white = MakeNoiseWave(NoiseColour::White);
  const std::vector<uint8_t> pink = MakeNoiseWave(NoiseColour::Pink);
  ASSERT_EQ(white.size(), WhiteWaveResource().size());
  ASSERT_EQ(pink.size(), PinkWaveResource().size());
  EXPECT_EQ(std::memcmp(white.data(), WhiteWaveResource().data(), white.size()), 0);
  EXPECT_EQ(std::memcmp(pink.data(), PinkWaveResource().data(), pink.size()), 0);
}

TEST(NoiseResourceTest, DamagedResourcesAreRefused) {
  std::vector<uint8_t> bytes(WhiteWaveResource().begin(), WhiteWaveResource().end());
  TNoiseResource r;
  EXPECT_FALSE(r.Load(std::span<const uint8_t>(bytes.data(), 43)));
  bytes[24] = 0x80;  // another rate
  EXPECT_FALSE(r.Load(bytes));
  bytes.assign(WhiteWaveResource().begin(), WhiteWaveResource().end());
  bytes.resize(bytes.size() - 2);  // data shorter than its chunk says
  EXPECT_FALSE(r.Load(bytes));
  EXPECT_FALSE(r.Loaded());
  EXPECT_EQ(r.LoopLength(), 0u);
}

}  // namespace
}  // namespace orvanix
