// The Loopback's impulse responses: the fast convolution against a direct sum in double, fed
// in uneven pieces; a pure delay read from a wave file arriving exactly that late on one
// channel only; files that cannot serve refused with a message and no response applied.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "AcquisitionHelpers.h"
#include "RunLoopTestSupport.h"
#include "acquisition/LoopbackConvolver.h"
#include "acquisition/LoopbackDevice.h"
#include "acquisition/LoopbackImpulse.h"

namespace orvanix {
namespace {

using test::LoopbackInputId;
using test::TRecorder;

std::vector<double> DirectConvolution(const std::vector<float>& h, const std::vector<double>& x) {
  std::vector<double> y(x.size(), 0.0);
  for (size_t n = 0; n < x.size(); ++n) {
    for (size_t k = 0; k < h.size() && k <= n; ++k) y[n] += double(h[k]) * x[n - k];
  }
  return y;
}

TEST(LoopbackConvolverTest, MatchesTheDirectSumForShortAndLongResponses) {
  std::mt19937 random(7);
  std::normal_distribution<double> gauss(0.0, 0.3);
  std::uniform_int_distribution<uint32_t> piece(1, 1500);
  // One tap, shorter than the head, exactly the head, and several tail partitions with a
  // partial last one.
  for (size_t taps : {1u, 300u, 512u, 513u, 3000u}) {
    std::vector<float> h(taps);
    for (size_t k = 0; k < taps; ++k) {
      h[k] = static_cast<float>(gauss(random) * std::exp(-double(k) / 700.0));
    }
    std::vector<double> x(9000);
    for (double& v : x) v = gauss(random);
    const std::vector<double> expected = DirectConvolution(h, x);

    TLoopbackConvolver convolver;
    convolver.SetResponse(h);
    ASSERT_TRUE(convolver.Active());
    std::vector<double> y = x;
    for (size_t at = 0; at < y.size();) {
      const uint32_t count = std::min<uint32_t>(piece(random), uint32_t(y.size() - at));
      convolver.Process(y.data() + at, count);
      at += count;
    }
    double worst = 0;
    for (size_t n = 0; n < y.size(); ++n) worst = std::max(worst, std::fabs(y[n] - expected[n]));
    EXPECT_LT(worst, 2e-5) << taps << " taps";

    // After a reset the history is silent again: the first outputs see no earlier input.
    convolver.Reset();
    std::vector<double> again = x;
    convolver.Process(again.data(), 2000);
    for (size_t n = 0; n < 2000; n += 50) ASSERT_NEAR(again[n], expected[n], 2e-5) << n;
  }
  TLoopbackConvolver off;
  off.SetResponse({});
  std::vector<double> untouched = {0.25, -0.5};
  off.Process(untouched.data(), 2);
  EXPECT_FALSE(off.Active());
  EXPECT_EQ(untouched, (std::vector<double>{0.25, -0.5}));
}

// A ramp that names each frame, exact in 16 bits.
void RampSource(uint64_t first, uint32_t frames, uint32_t, double* left, double* right) {
  for (uint32_t i = 0; i < frames; ++i) {
    const double value = static_cast<double>((first + i) % 60000) - 30000.0;
    left[i] = value / 32767.0;
    right[i] = value / 32767.0;
  }
}

class LoopbackImpulse : public ::testing::Test {
 protected:
  void TearDown() override {
    TLoopbackDevice::Instance().SetSource({});
    TLoopbackDevice::Instance().SetSettings(TLoopbackSettings{});
  }
  test::TScratchFolder folder_;
};

TEST_F(LoopbackImpulse, PureDelayFromAFileArrivesSampleExactOnItsChannel) {
  constexpr uint32_t kDelay = 17;
  const std::string path = folder_.File("delay.wav");
  ASSERT_TRUE(test::WriteWave16(path, 48000, 1, 40, [](uint32_t i, uint32_t) {
    return static_cast<int16_t>(i == kDelay ? 32767 : 0);
  }));
  TLoopbackSettings settings;
  settings.impulseRight = path;
  std::string error;
  ASSERT_TRUE(TLoopbackDevice::Instance().SetSettings(settings, &error)) << error;
  EXPECT_EQ(TLoopbackDevice::Instance().Settings().impulseRight, path);
  TLoopbackDevice::Instance().SetSource(RampSource);

  TRecorder recorder(LoopbackInputId(), MakeWaveFormat(2, 48000, 2), 4800, 3);
  recorder.requeue = false;
  ASSERT_TRUE(recorder.OpenAndStart());
  ASSERT_TRUE(recorder.WaitFrames(14400));
  const std::vector<int32_t> left = recorder.Channel(0), right = recorder.Channel(1);
  for (uint32_t n = 0; n < 14400; ++n) {
    const int32_t ramp = static_cast<int32_t>(n % 60000) - 30000;
    ASSERT_EQ(left[n], ramp) << n;
    const int32_t late = n < kDelay ? 0 : static_cast<int32_t>((n - kDelay) % 60000) - 30000;
    ASSERT_EQ(right[n], late) << n;
  }
}

TEST_F(LoopbackImpulse, FilesThatCannotServeAreRefusedWithTheirName) {
  std::vector<float> taps = {1.0f};
  std::string error;
  EXPECT_FALSE(ReadLoopbackImpulse(folder_.File("missing.wav"), taps, error));
  EXPECT_NE(error.find("missing.wav"), std::string::npos) << error;
  EXPECT_TRUE(taps.empty());

  const std::string stereo = folder_.File("stereo.wav");
  ASSERT_TRUE(test::WriteWave16(stereo, 48000, 2, 10, [](uint32_t, uint32_t) { return 100; }));
  error.clear();
  EXPECT_FALSE(ReadLoopbackImpulse(stereo, taps, error));
  EXPECT_NE(error.find("one channel"), std::string::npos) << error;

  const std::string text = folder_.File("text.wav");
  std::FILE* f = std::fopen(text.c_str(), "wb");
  std::fputs("not a wave file at all", f);
  std::fclose(f);
  error.clear();
  EXPECT_FALSE(ReadLoopbackImpulse(text, taps, error));
  EXPECT_FALSE(error.empty());

  // A full-scale sample is the tap 1.0; half of it 0.5 within a 16-bit step.
  const std::string good = folder_.File("good.wav");
  ASSERT_TRUE(test::WriteWave16(good, 44100, 1, 3, [](uint32_t i, uint32_t) {
    return static_cast<int16_t>(i == 0 ? 32767 : i == 1 ? -16384 : 0);
  }));
  ASSERT_TRUE(ReadLoopbackImpulse(good, taps, error));
  ASSERT_EQ(taps.size(), 3u);
  EXPECT_EQ(taps[0], 1.0f);
  EXPECT_NEAR(taps[1], -0.5, 1.0 / 32767);

  // The device applies what it can and says what it could not.
  TLoopbackSettings settings;
  settings.impulseLeft = good;
  settings.impulseRight = stereo;
  error.clear();
  EXPECT_FALSE(TLoopbackDevice::Instance().SetSettings(settings, &error));
  EXPECT_NE(error.find("stereo.wav"), std::string::npos) << error;
  EXPECT_EQ(TLoopbackDevice::Instance().Settings().impulseLeft, good);
  EXPECT_TRUE(TLoopbackDevice::Instance().Settings().impulseRight.empty());
}

}  // namespace
}  // namespace orvanix
