// Reverb files and the decay times read from stored decays: a save and load round trip
// through the file, every file of the malformed corpus refused with its message and the data
// held before kept, and the decay-time rules on decays made by hand (the drops, the
// MaxDecay limits, the three extrapolations, averaging and Schroeder smoothing).
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "utilities/ReverbData.h"

namespace orvanix {
namespace {

// One band (and the wideband slot) falling at `dbPerSecond`, frames every 0.1 s.
TReverbData LinearDecay(double dbPerSecond, uint32_t frames, int32_t maxDecay = 10) {
  TReverbData data;
  data.Reset(TReverbTiming::For(maxDecay));
  data.SetBandCount(2);
  data.SetFrameCount(frames);
  data.SetFrameStep(0.1);
  for (uint32_t k = 0; k < frames; ++k) {
    ReverbFrame& f = data.Frames()[k];
    f.time = 0.1f * k;
    f.frequency[0] = 1000.0f;
    f.frequency[1] = kReverbWideband;
    f.level[0] = static_cast<float>(-dbPerSecond * 0.1 * k);
    f.level[1] = static_cast<float>(-dbPerSecond * 0.1 * k);
  }
  return data;
}

TEST(ReverbFileTest, DecayTimesFollowTheDropsAndTheExtrapolation) {
  // 25 dB per second for 1.4 s: T10 0.4, T20 0.8, T30 1.2 measured; 40 ... 60 never reached.
  TReverbData data = LinearDecay(25.0, 15);
  data.Smooth(kSmoothNone, kRt30);
  const TBandDecayTimes& t = data.DecayTimes()[0];
  EXPECT_NEAR(t.seconds[0], 0.4, 1e-5);
  EXPECT_NEAR(t.seconds[1], 0.8, 1e-5);
  EXPECT_NEAR(t.seconds[2], 1.2, 1e-5);
  EXPECT_NEAR(t.seconds[5], 2.4, 1e-5);  // 2 × T30
  EXPECT_EQ(t.notMeasured[2], 0);
  EXPECT_EQ(t.notMeasured[3], 1);
  data.ComputeDecayTimes(kRt20);
  EXPECT_NEAR(data.DecayTimes()[0].seconds[5], 2.4, 1e-5);  // 3 × T20
  data.ComputeDecayTimes(kRt10);
  EXPECT_NEAR(data.DecayTimes()[0].seconds[3], 1.6, 1e-5);  // 4 × T10
  // Slots beyond the band count keep no times.
  EXPECT_EQ(data.DecayTimes()[5].seconds[0], -1.0f);

  // A decay that never falls 10 dB keeps -1, and its multiples under RT 10.
  TReverbData flat = LinearDecay(1.0, 31);
  flat.Smooth(kSmoothNone, kRt10);
  EXPECT_EQ(flat.DecayTimes()[0].seconds[0], -1.0f);
  EXPECT_EQ(flat.DecayTimes()[0].seconds[5], -6.0f);

  // A 10 dB time of MaxDecay or more reads 0.
  TReverbData slow = LinearDecay(4.0, 31, 2);
  slow.Smooth(kSmoothNone, kRt20);
  EXPECT_EQ(slow.DecayTimes()[0].seconds[0], 0.0f);
}

TEST(ReverbFileTest, SmoothingKeepsTheSlopeOfAStraightDecay) {
  for (int32_t method : {kSmoothAveraging, kSmoothSchroeder}) {
    TReverbData data = LinearDecay(30.0, 61);
    data.SetFrameStep(0.1);
    data.Smooth(method, kRt20);
    // T20 of 30 dB/s is 0.667 s; the frames are 0.1 s apart, smoothing moves it by a frame
    // at most.
    EXPECT_NEAR(data.DecayTimes()[0].seconds[1], 0.7, 0.11) << method;
    EXPECT_NEAR(data.DecayTimes()[0].seconds[5], 2.0, 0.35) << method;
  }
}

class ReverbFile : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/orvanix-rvb-XXXXXX";
    dir_ = ::mkdtemp(pattern);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string dir_;
};

TEST_F(ReverbFile, SavedFilesLoadBackAsTheyWere) {
  TReverbData data = LinearDecay(20.0, 52);
  data.Frames()[51].time = 5.1f;
  const std::string path = dir_ + "/room.rvb";
  ASSERT_EQ(data.Save(path), "");
  EXPECT_EQ(std::filesystem::file_size(path), 12u + 52u * 376u);
  TReverbData back;
  ASSERT_EQ(back.Load(path), "");
  EXPECT_EQ(back.BandCount(), 2u);
  EXPECT_EQ(back.FrameCount(), 52u);
  EXPECT_EQ(back.MaxDecay(), 5);  // the last frame's time, rounded
  EXPECT_EQ(back.ToBytes(), data.ToBytes());
  EXPECT_EQ(back.Load(dir_ + "/missing.rvb"), kReverbOpenFailed);
  EXPECT_EQ(data.Save(dir_ + "/no/such/folder/x.rvb"), kReverbCreateFailed);
}

TEST_F(ReverbFile, EveryMalformedFileIsRefusedAndTheDataKept) {
  const std::map<std::string, std::string> expected = {
      {"wrong-magic.rvb", kReverbInvalid},
      {"empty.rvb", kReverbReadError},
      {"magic-only.rvb", kReverbReadError},
      {"header-cut.rvb", kReverbReadError},
      {"frames-cut.rvb", kReverbReadError},
      {"frame-count-lies.rvb", kReverbReadError},
      {"frame-count-huge.rvb", kReverbInvalid},
      {"frame-count-zero.rvb", kReverbInvalid},
      {"frame-count-negative.rvb", kReverbInvalid},
      {"band-count-zero.rvb", kReverbInvalid},
      {"band-count-32.rvb", kReverbInvalid},
      {"band-count-negative.rvb", kReverbInvalid},
      {"nan-level.rvb", kReverbInvalid},
      {"time-beyond-limit.rvb", kReverbInvalid},
  };
  const std::string folder = std::string(ORVANIX_TEST_DATA_DIR) + "/rvb-malformed";
  size_t seen = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    ASSERT_TRUE(expected.count(name)) << "no expectation for " << name;
    TReverbData data = LinearDecay(20.0, 12);
    const std::vector<uint8_t> before = data.ToBytes();
    EXPECT_EQ(data.Load(entry.path().string()), expected.at(name)) << name;
    EXPECT_EQ(data.ToBytes(), before) << name;
    ++seen;
  }
  EXPECT_EQ(seen, expected.size());
}

}  // namespace
}  // namespace orvanix
