// Playing through the virtual Loopback device while its input records: what the output plays
// must arrive at the input sample for sample (with the configured channel delay), pausing must
// hold playback without losing a sample, looped and two-half playback must join seamlessly,
// and the volume and a rate difference must act as on a real cable.
#include <gtest/gtest.h>

#include <cmath>
#include <deque>

#include "AcquisitionHelpers.h"
#include "acquisition/LoopbackDevice.h"
#include "engine/Messages.h"

namespace orvanix {
namespace {

using test::LoopbackInputId;
using test::LoopbackOutputId;
using test::TRecorder;
using test::WaitUntil;

constexpr double kPi = 3.14159265358979323846;

// The samples of `channel` that differ from silence, in order: what was played, without the
// silence around and between it.
std::vector<int32_t> Played(const std::vector<int32_t>& channel, int32_t silence = 0) {
  std::vector<int32_t> played;
  for (int32_t sample : channel) {
    if (sample != silence) played.push_back(sample);
  }
  return played;
}

class LoopbackPlayback : public ::testing::Test {
 protected:
  void SetUp() override {
    TLoopbackDevice::Instance().SetSource({});
    TLoopbackDevice::Instance().SetSettings(TLoopbackSettings{});
  }
  void TearDown() override { TLoopbackDevice::Instance().SetSettings(TLoopbackSettings{}); }

  // Records the Loopback input in `format` and opens the Loopback output in the same format.
  void StartBoth(const WaveFormat& format, const WaveFormat* outputFormat = nullptr) {
    recorder_ = std::make_unique<TRecorder>(LoopbackInputId(), format, format.sampleRate / 10, 3);
    ASSERT_TRUE(recorder_->OpenAndStart());
    const WaveFormat& played = outputFormat ? *outputFormat : format;
    ASSERT_TRUE(output_.SetFormat(played.sampleRate, played.channels, played.bytesPerSample));
    ASSERT_TRUE(output_.Open([this] {
      if (onOutputDone_) onOutputDone_();
    }));
    EXPECT_TRUE(output_.IsPaused());  // an output opens paused
  }

  // Samples handed to the output stay here until the output has closed (members go in
  // reverse order).
  const std::vector<uint8_t>& Keep(std::vector<uint8_t> bytes) {
    kept_.push_back(std::move(bytes));
    return kept_.back();
  }

  TRecordingSink sink_;
  TScopedMessageSink scoped_{&sink_};
  std::deque<std::vector<uint8_t>> kept_;
  std::unique_ptr<TRecorder> recorder_;
  TSoundOutput output_{LoopbackOutputId()};
  std::function<void()> onOutputDone_;
};

TEST_F(LoopbackPlayback, DelayedChannelArrivesLateByItsSamples) {
  TLoopbackSettings settings;
  settings.delayChannel = 1;
  settings.delaySamples = 37;
  TLoopbackDevice::Instance().SetSettings(settings);
  const WaveFormat format = MakeWaveFormat(2, 8000, 2);
  StartBoth(format);
  std::vector<int32_t> ramp(2000);
  for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<int32_t>(i + 1) * 10;
  const std::vector<uint8_t>& frames = Keep(test::FramesOf(ramp, ramp, format));
  ASSERT_TRUE(output_.Write(frames.data(), static_cast<uint32_t>(frames.size()), 0));
  ASSERT_TRUE(output_.Restart());
  ASSERT_TRUE(WaitUntil([&] { return output_.IsDone(0); }));
  EXPECT_TRUE(output_.AllDone());
  EXPECT_EQ(output_.Position(), 2000u);
  EXPECT_EQ(output_.BytesDone(0), frames.size());
  ASSERT_TRUE(WaitUntil([&] { return Played(recorder_->Channel(1)).size() == 2000; }));

  const std::vector<int32_t> left = recorder_->Channel(0), right = recorder_->Channel(1);
  size_t start = 0;
  while (start < left.size() && left[start] == 0) ++start;
  ASSERT_LT(start + 2000 + 37, left.size());
  for (size_t i = 0; i < 2000; ++i) {
    ASSERT_EQ(left[start + i], ramp[i]) << i;
    ASSERT_EQ(right[start + 37 + i], ramp[i]) << i;
  }
  for (size_t i = 0; i < 37; ++i) EXPECT_EQ(right[start + i], 0) << i;
}

TEST_F(LoopbackPlayback, PauseHoldsThePositionAndRestartLosesNothing) {
  const WaveFormat format = MakeWaveFormat(2, 8000, 2);
  StartBoth(format);
  std::vector<int32_t> left(4000), right(4000);
  for (size_t i = 0; i < left.size(); ++i) {
    left[i] = static_cast<int32_t>(i % 30000) + 1;
    right[i] = -left[i];
  }
  const std::vector<uint8_t>& frames = Keep(test::FramesOf(left, right, format));
  ASSERT_TRUE(output_.Write(frames.data(), static_cast<uint32_t>(frames.size()), 0));
  test::RunEventsFor(50);
  EXPECT_EQ(output_.Position(), 0u);  // opened paused: nothing plays before Restart

  ASSERT_TRUE(output_.Restart());
  ASSERT_TRUE(WaitUntil([&] { return output_.Position() >= 1000; }));
  ASSERT_TRUE(output_.Pause());
  test::RunEventsFor(30);  // a device callback already under way may finish its copy
  const uint64_t held = output_.Position();
  test::RunEventsFor(100);
  EXPECT_EQ(output_.Position(), held);
  EXPECT_FALSE(output_.IsDone(0));
  EXPECT_EQ(output_.BytesDone(0), held * format.BlockAlign());

  ASSERT_TRUE(output_.Restart());
  ASSERT_TRUE(WaitUntil([&] { return output_.IsDone(0); }));
  EXPECT_EQ(output_.Position(), 4000u);
  ASSERT_TRUE(WaitUntil([&] { return Played(recorder_->Channel(0)).size() >= 4000; }));
  EXPECT_EQ(Played(recorder_->Channel(0)), left);
  EXPECT_EQ(Played(recorder_->Channel(1)), right);
}

TEST_F(LoopbackPlayback, LoopedBufferRepeatsUntilTheLoopIsBroken) {
  const WaveFormat format = MakeWaveFormat(1, 8000, 2);
  StartBoth(format);
  std::vector<int32_t> period(100);
  for (size_t i = 0; i < period.size(); ++i) period[i] = static_cast<int32_t>(i) + 1;
  const std::vector<uint8_t>& frames = Keep(test::FramesOf(period, period, format));
  ASSERT_TRUE(output_.Write(frames.data(), static_cast<uint32_t>(frames.size()), 0,
                            TSoundOutput::kWriteLoop));
  ASSERT_TRUE(output_.Restart());
  ASSERT_TRUE(WaitUntil([&] { return output_.Position() >= 1000; }));
  EXPECT_FALSE(output_.IsDone(0));
  output_.BreakLoop();
  ASSERT_TRUE(WaitUntil([&] { return output_.IsDone(0); }));
  EXPECT_TRUE(output_.AllDone());
  const uint64_t played = output_.Position();
  EXPECT_EQ(played % 100, 0u);  // the loop ends at the end of a pass
  ASSERT_TRUE(WaitUntil([&] { return Played(recorder_->Channel(0)).size() >= played; }));
  const std::vector<int32_t> arrived = Played(recorder_->Channel(0));
  ASSERT_EQ(arrived.size(), played);
  for (size_t i = 0; i < arrived.size(); ++i) ASSERT_EQ(arrived[i], period[i % 100]) << i;
}

TEST_F(LoopbackPlayback, TwoHalvesRefilledInTurnPlayAsOneSignal) {
  const WaveFormat format = MakeWaveFormat(1, 8000, 2);
  StartBoth(format);
  // One block of memory, played as two halves; each half is refilled with the next stretch of
  // a counter as soon as it comes back, the way the generator feeds the output.
  constexpr uint32_t kHalf = 400, kStretches = 10;
  std::vector<uint8_t>& block = kept_.emplace_back(2 * kHalf * 2);
  uint32_t written = 0;
  auto fill = [&](int half) {
    uint8_t* at = block.data() + half * kHalf * 2;
    for (uint32_t i = 0; i < kHalf; ++i) {
      const int32_t value = static_cast<int32_t>(written * kHalf + i) + 1;
      at[2 * i] = static_cast<uint8_t>(value & 0xFF);
      at[2 * i + 1] = static_cast<uint8_t>(value >> 8);
    }
    ++written;
    ASSERT_TRUE(output_.Write(at, kHalf * 2, half));
  };
  onOutputDone_ = [&] {
    int slot;
    while ((slot = output_.TakeDone()) >= 0) {
      if (written < kStretches) fill(slot);
    }
  };
  fill(0);
  fill(1);
  ASSERT_TRUE(output_.Restart());
  ASSERT_TRUE(WaitUntil([&] { return written == kStretches && output_.AllDone(); }));
  EXPECT_EQ(output_.Position(), kHalf * kStretches);
  ASSERT_TRUE(
      WaitUntil([&] { return Played(recorder_->Channel(0)).size() >= kHalf * kStretches; }));
  const std::vector<int32_t> arrived = Played(recorder_->Channel(0));
  ASSERT_EQ(arrived.size(), kHalf * kStretches);
  for (size_t i = 0; i < arrived.size(); ++i) ASSERT_EQ(arrived[i], static_cast<int32_t>(i) + 1);
}

TEST_F(LoopbackPlayback, VolumeScalesEachChannel) {
  const WaveFormat format = MakeWaveFormat(2, 8000, 2);
  StartBoth(format);
  output_.SetVolume(0x8000, TSoundOutput::kFullVolume);
  EXPECT_EQ(output_.VolumeLeft(), 0x8000);
  const std::vector<int32_t> left(800, 10000), right(800, -20000);
  const std::vector<uint8_t>& frames = Keep(test::FramesOf(left, right, format));
  ASSERT_TRUE(output_.Write(frames.data(), static_cast<uint32_t>(frames.size()), 0));
  ASSERT_TRUE(output_.Restart());
  ASSERT_TRUE(WaitUntil([&] { return Played(recorder_->Channel(1)).size() >= 800; }));
  // 10000 * 32768 / 65535 = 5000.08
  EXPECT_EQ(Played(recorder_->Channel(0)), std::vector<int32_t>(800, 5000));
  EXPECT_EQ(Played(recorder_->Channel(1)), right);
}

TEST_F(LoopbackPlayback, EightAndTwentyFourBitSamplesPassUnchanged) {
  for (uint32_t bytes : {1u, 3u}) {
    SCOPED_TRACE(testing::Message() << bytes << " bytes");
    SetUp();
    const WaveFormat format = MakeWaveFormat(2, 11025, bytes);
    StartBoth(format);
    std::vector<int32_t> left(1500), right(1500);
    for (size_t i = 0; i < left.size(); ++i) {
      const int32_t k = static_cast<int32_t>(i % 120) + 1;  // never zero
      left[i] = bytes == 1 ? 127 + k : k * 69000;           // 8-bit: above its zero value 127
      right[i] = bytes == 1 ? 127 - k : -k * 69000 - 1;
    }
    const std::vector<uint8_t>& frames = Keep(test::FramesOf(left, right, format));
    ASSERT_TRUE(output_.Write(frames.data(), static_cast<uint32_t>(frames.size()), 0));
    ASSERT_TRUE(output_.Restart());
    const int32_t silence = bytes == 1 ? 127 : 0;
    ASSERT_TRUE(WaitUntil([&] { return Played(recorder_->Channel(1), silence).size() >= 1500; }));
    EXPECT_EQ(Played(recorder_->Channel(0), silence), left);
    EXPECT_EQ(Played(recorder_->Channel(1), silence), right);
    output_.Close();
    recorder_.reset();
  }
}

TEST_F(LoopbackPlayback, DifferentRatesKeepTheToneFrequencyAndLevel) {
  // A 1 kHz tone played at 44100 Hz mono, recorded at 48000 Hz stereo: both input channels
  // carry it at 1 kHz with its level (linear interpolation loses under 0.2 % at 1 kHz).
  const WaveFormat recordFormat = MakeWaveFormat(2, 48000, 2);
  const WaveFormat playFormat = MakeWaveFormat(1, 44100, 2);
  StartBoth(recordFormat, &playFormat);
  std::vector<int32_t> tone(441);  // ten whole periods, so the loop joins smoothly
  for (size_t i = 0; i < tone.size(); ++i) {
    tone[i] = static_cast<int32_t>(std::lround(16000.0 * std::sin(2 * kPi * 1000.0 * i / 44100.0)));
  }
  const std::vector<uint8_t>& frames = Keep(test::FramesOf(tone, tone, playFormat));
  ASSERT_TRUE(output_.Write(frames.data(), static_cast<uint32_t>(frames.size()), 0,
                            TSoundOutput::kWriteLoop));
  ASSERT_TRUE(output_.Restart());
  ASSERT_TRUE(WaitUntil([&] { return output_.Position() >= 10000; }));
  const size_t from = recorder_->Frames();
  ASSERT_TRUE(recorder_->WaitFrames(from + 4800));
  for (uint32_t channel : {0u, 1u}) {
    const std::vector<int32_t> x = recorder_->Channel(channel);
    // Amplitude by direct DFT over 0.1 s (bins 10 Hz apart) at 990, 1000 and 1010 Hz.
    auto amplitude = [&](double hz) {
      double re = 0, im = 0;
      for (size_t n = 0; n < 4800; ++n) {
        re += x[from + n] * std::cos(2 * kPi * hz * n / 48000.0);
        im -= x[from + n] * std::sin(2 * kPi * hz * n / 48000.0);
      }
      return 2.0 * std::hypot(re, im) / 4800.0;
    };
    EXPECT_NEAR(amplitude(1000.0), 16000.0, 16000.0 * 0.005);
    EXPECT_LT(amplitude(990.0), 160.0);
    EXPECT_LT(amplitude(1010.0), 160.0);
  }
}

}  // namespace
}  // namespace orvanix
