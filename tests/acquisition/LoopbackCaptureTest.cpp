// Recording through the virtual Loopback device: a known signal fed by the Loopback's source
// must arrive sample for sample, in every width and channel count, in the order the buffers
// were queued, with positions and the newest-sample answer matching the data, overruns
// counted, and failures reported with the device's name.
#include <gtest/gtest.h>

#include <cmath>
#include <thread>

#include "AcquisitionHelpers.h"
#include "acquisition/LoopbackDevice.h"
#include "acquisition/SoundTexts.h"
#include "engine/Messages.h"

namespace orvanix {
namespace {

using test::LoopbackInputId;
using test::TRecorder;
using test::WaitUntil;

constexpr double kPi = 3.14159265358979323846;

// A ramp that names each frame: frame n carries (n mod 60000) - 30000, exact in 16 bits.
void RampSource(uint64_t first, uint32_t frames, uint32_t, double* left, double* right) {
  for (uint32_t i = 0; i < frames; ++i) {
    const double value = static_cast<double>((first + i) % 60000) - 30000.0;
    left[i] = value / 32767.0;
    right[i] = -value / 32767.0;
  }
}
// The frame number (mod 60000) a ramp sample names.
int64_t RampFrame(int32_t sample) {
  return sample + 30000;
}

// Magnitude of the DFT of x[begin, begin + count) at `hz`, scaled to a sine's amplitude;
// computed directly in double.
double ToneAmplitude(const std::vector<int32_t>& x, size_t begin, size_t count, double hz,
                     double rateHz) {
  double re = 0, im = 0;
  for (size_t n = 0; n < count; ++n) {
    const double phase = 2.0 * kPi * hz * static_cast<double>(n) / rateHz;
    re += x[begin + n] * std::cos(phase);
    im -= x[begin + n] * std::sin(phase);
  }
  return 2.0 * std::hypot(re, im) / static_cast<double>(count);
}

class LoopbackCapture : public ::testing::Test {
 protected:
  void SetUp() override { ResetLoopback(); }
  void TearDown() override { ResetLoopback(); }
  static void ResetLoopback() {
    TLoopbackDevice::Instance().SetSource({});
    TLoopbackDevice::Instance().SetSettings(TLoopbackSettings{});
  }

  TRecordingSink sink_;
  TScopedMessageSink scoped_{&sink_};
};

TEST_F(LoopbackCapture, ToneArrivesSampleExactAtItsFrequencyAndLevel) {
  TLoopbackDevice::Instance().SetSource(
      [](uint64_t first, uint32_t frames, uint32_t rate, double* left, double* right) {
        for (uint32_t i = 0; i < frames; ++i) {
          const double t = static_cast<double>(first + i) / rate;
          left[i] = 0.5 * std::sin(2 * kPi * 1000.0 * t);
          right[i] = 0.25 * std::sin(2 * kPi * 3000.0 * t);
        }
      });
  // Three buffers queued before Start hold the first 14400 frames whatever the main thread does.
  TRecorder recorder(LoopbackInputId(), MakeWaveFormat(2, 48000, 2), 4800, 3);
  recorder.requeue = false;
  ASSERT_TRUE(recorder.OpenAndStart());
  ASSERT_TRUE(recorder.WaitFrames(14400));
  const std::vector<int32_t> left = recorder.Channel(0), right = recorder.Channel(1);

  for (size_t n = 0; n < 14400; ++n) {
    const double t = static_cast<double>(n) / 48000.0;
    ASSERT_EQ(left[n], std::lround(0.5 * std::sin(2 * kPi * 1000.0 * t) * 32767.0)) << n;
    ASSERT_EQ(right[n], std::lround(0.25 * std::sin(2 * kPi * 3000.0 * t) * 32767.0)) << n;
  }
  // Frequency: over 480 samples the bins are 100 Hz apart; the peak must be bin 10 (1000 Hz).
  int peakBin = 0;
  double peak = 0;
  for (int bin = 1; bin < 240; ++bin) {
    const double amplitude = ToneAmplitude(left, 4800, 480, bin * 100.0, 48000.0);
    if (amplitude > peak) peak = amplitude, peakBin = bin;
  }
  EXPECT_EQ(peakBin, 10);
  EXPECT_NEAR(ToneAmplitude(left, 0, 4800, 1000.0, 48000.0) / 32767.0, 0.5, 1e-4);
  EXPECT_NEAR(ToneAmplitude(right, 0, 4800, 3000.0, 48000.0) / 32767.0, 0.25, 1e-4);
}

TEST_F(LoopbackCapture, EveryWidthAndChannelCountCarriesExactValues) {
  // k runs over -100 ... 100, scaled per width to reach the upper bytes and the sign bit.
  TLoopbackDevice::Instance().SetSource(
      [](uint64_t first, uint32_t frames, uint32_t, double* left, double* right) {
        for (uint32_t i = 0; i < frames; ++i) {
          const double k = static_cast<double>((first + i) * 7 % 201) - 100.0;
          left[i] = k / 100.0 * 0.75;
          right[i] = -k / 100.0 * 0.5;
        }
      });
  for (uint32_t bytes : {1u, 2u, 3u}) {
    for (uint32_t channels : {1u, 2u}) {
      SCOPED_TRACE(testing::Message() << bytes << " bytes, " << channels << " channel(s)");
      const WaveFormat format = MakeWaveFormat(channels, 22050, bytes);
      TRecorder recorder(LoopbackInputId(), format, 1000, 3);
      recorder.requeue = false;
      ASSERT_TRUE(recorder.OpenAndStart());
      ASSERT_TRUE(recorder.WaitFrames(3000));
      const std::vector<int32_t> left = recorder.Channel(0), right = recorder.Channel(1);
      // Independent expectation: zero value plus the fraction of half the full range.
      const double zero = bytes == 1 ? 127.0 : 0.0;
      const double half = bytes == 1 ? 127.5 : (bytes == 2 ? 32767.0 : 8388607.0);
      for (size_t n = 0; n < 3000; ++n) {
        const double k = static_cast<double>(n * 7 % 201) - 100.0;
        ASSERT_EQ(left[n], std::lround(zero + k / 100.0 * 0.75 * half)) << n;
        if (channels == 2) {
          ASSERT_EQ(right[n], std::lround(zero - k / 100.0 * 0.5 * half)) << n;
        }
      }
    }
  }
}

TEST_F(LoopbackCapture, FormatChangedWhileOpenAppliesAtTheNextOpen) {
  TLoopbackDevice::Instance().SetSource(RampSource);
  TRecorder recorder(LoopbackInputId(), MakeWaveFormat(2, 8000, 2), 800, 2);
  recorder.requeue = false;
  ASSERT_TRUE(recorder.Open());
  ASSERT_TRUE(recorder.input.SetFormat(44100, 1, 3));  // the buffers are 16-bit stereo
  ASSERT_TRUE(recorder.Start());
  ASSERT_TRUE(recorder.WaitFrames(1600));
  const std::vector<int32_t> left = recorder.Channel(0), right = recorder.Channel(1);
  for (size_t n = 0; n < 1600; ++n) {
    ASSERT_EQ(RampFrame(left[n]), static_cast<int64_t>(n)) << n;
    ASSERT_EQ(right[n], -left[n]) << n;
  }
  EXPECT_DOUBLE_EQ(recorder.input.PositionTime(), 1600.0 / 8000.0);
  EXPECT_EQ(recorder.input.StreamFormat(), MakeWaveFormat(2, 8000, 2));
}

TEST_F(LoopbackCapture, BuffersComeBackInQueueOrderAndJoinSeamlessly) {
  TLoopbackDevice::Instance().SetSource(RampSource);
  const WaveFormat format = MakeWaveFormat(2, 8000, 2);
  TRecorder recorder(LoopbackInputId(), format, 800, 3);
  ASSERT_TRUE(recorder.input.SetFormat(8000, 2, 2));
  ASSERT_TRUE(recorder.input.Open([&] {
    int slot;
    while ((slot = recorder.input.TakeDone()) >= 0) {
      recorder.order.push_back(slot);
      auto& buffer = recorder.buffers[static_cast<size_t>(slot)];
      recorder.data.insert(recorder.data.end(), buffer.begin(), buffer.end());
      recorder.input.AddBuffer(buffer.data(), static_cast<uint32_t>(buffer.size()), slot);
    }
  }));
  for (int slot : {2, 0, 1}) {
    auto& buffer = recorder.buffers[static_cast<size_t>(slot)];
    ASSERT_TRUE(
        recorder.input.AddBuffer(buffer.data(), static_cast<uint32_t>(buffer.size()), slot));
  }
  ASSERT_TRUE(recorder.input.Start());
  ASSERT_TRUE(WaitUntil([&] { return recorder.order.size() >= 9; }));

  const int expectedOrder[] = {2, 0, 1};
  for (size_t i = 0; i < 9; ++i) EXPECT_EQ(recorder.order[i], expectedOrder[i % 3]) << i;
  ASSERT_EQ(recorder.input.DroppedFrames(), 0u);
  const std::vector<int32_t> left = recorder.Channel(0), right = recorder.Channel(1);
  ASSERT_GE(left.size(), 7200u);
  for (size_t n = 0; n < 7200; ++n) {
    ASSERT_EQ(RampFrame(left[n]), static_cast<int64_t>(n)) << n;
    ASSERT_EQ(right[n], -left[n]) << n;
  }
}

TEST_F(LoopbackCapture, NewestNamesTheLatestFrameInTheRingOfTwoBuffers) {
  TLoopbackDevice::Instance().SetSource(RampSource);
  constexpr uint32_t kBufferFrames = 800, kNeeded = 600;  // a block fits in two buffers
  TRecorder recorder(LoopbackInputId(), MakeWaveFormat(1, 8000, 2), kBufferFrames, 2);
  ASSERT_TRUE(recorder.OpenAndStart());
  TSoundInput& input = recorder.input;
  int buffer = -1;
  uint32_t index = 0;
  EXPECT_FALSE(input.Newest(1000000, false, buffer, index));  // not that much data yet

  // The frame (counted from the start) that lies at `index` of `slot` in the ring, for a
  // position read around the call. Found from positions alone: the buffers themselves may be
  // requeued, and then the device may be writing into them.
  auto frameAt = [&](int slot, uint32_t i, uint64_t before, uint64_t after) -> int64_t {
    const uint64_t from = before > kBufferFrames ? before - kBufferFrames : 1;
    for (uint64_t p = std::max<uint64_t>(from, 1); p <= after; ++p) {
      const uint64_t k = p - 1;
      if (static_cast<int>((k / kBufferFrames) % 2) == slot && k % kBufferFrames == i) {
        return static_cast<int64_t>(k);
      }
    }
    return -1;
  };
  int checks = 0;
  int64_t lastTriggered = -1;
  int triggered = 0;
  ASSERT_TRUE(WaitUntil([&] {
    uint64_t before = input.Position();
    if (input.Newest(kNeeded, false, buffer, index)) {
      const uint64_t after = input.Position();
      const int64_t newest = frameAt(buffer, index, before, after);
      if (newest < 0) {
        ADD_FAILURE() << "slot " << buffer << " index " << index << " is not where the input was"
                      << " (positions " << before << " to " << after << ")";
        return true;
      }
      EXPECT_GE(newest + 1, int64_t{kNeeded});  // a whole block ends there
      ++checks;
    }
    before = input.Position();
    if (input.Newest(400, true, buffer, index)) {
      const int64_t newest = frameAt(buffer, index, before, input.Position());
      EXPECT_GE(newest, 0);
      if (lastTriggered >= 0) {
        EXPECT_GE(newest, lastTriggered + 400);
      }
      lastTriggered = newest;
      ++triggered;
    }
    return checks >= 40 && triggered >= 4;
  }));
  EXPECT_DOUBLE_EQ(input.PositionTime(), static_cast<double>(input.Position()) / 8000.0);
  // What came back is the input itself, frame by frame.
  input.Close();
  const std::vector<int32_t> recorded = recorder.Channel(0);
  ASSERT_GE(recorded.size(), 1600u);
  for (size_t n = 0; n < recorded.size(); ++n) {
    ASSERT_EQ(RampFrame(recorded[n]), static_cast<int64_t>(n % 60000)) << n;
  }
}

TEST_F(LoopbackCapture, OverrunsAreCountedWhenBuffersAreNotRequeued) {
  TRecorder recorder(LoopbackInputId(), MakeWaveFormat(2, 48000, 2), 480, 2);
  recorder.requeue = false;
  ASSERT_TRUE(recorder.OpenAndStart());
  TSoundInput& input = recorder.input;
  // The device counts the overrun on its own thread; the notice of the second buffer may
  // still be on its way to this one.
  ASSERT_TRUE(WaitUntil([&] {
    return input.OverrunCount() > 0 && input.DroppedFrames() > 0 && recorder.order.size() >= 2;
  }));
  EXPECT_EQ(input.Position(), 960u);  // dropped frames are not positions in the ring
  EXPECT_EQ(recorder.order, (std::vector<int>{0, 1}));
  EXPECT_EQ(input.CurrentBuffer(), 1);
  EXPECT_EQ(input.NewestInBuffer(1), 479);

  // Recording resumes into a requeued buffer.
  ASSERT_TRUE(input.AddBuffer(recorder.buffers[0].data(), 480 * 4, 0));
  ASSERT_TRUE(WaitUntil([&] { return recorder.order.size() == 3; }));
  EXPECT_EQ(input.Position(), 1440u);
  const uint64_t dropped = input.DroppedFrames();
  ASSERT_TRUE(WaitUntil([&] { return input.DroppedFrames() > dropped; }));
}

TEST_F(LoopbackCapture, GainAndNoiseFollowTheSettings) {
  TLoopbackSettings settings;
  settings.gain = 0.5f;
  settings.noiseLevel = 0.02f;
  TLoopbackDevice::Instance().SetSettings(settings);
  TLoopbackDevice::Instance().SetSource(
      [](uint64_t first, uint32_t frames, uint32_t rate, double* left, double* right) {
        for (uint32_t i = 0; i < frames; ++i) {
          left[i] = 0.5 * std::sin(2 * kPi * 1000.0 * static_cast<double>(first + i) / rate);
        }
        (void)right;  // the right channel carries noise alone
      });
  TRecorder recorder(LoopbackInputId(), MakeWaveFormat(2, 48000, 2), 4800, 3);
  recorder.requeue = false;
  ASSERT_TRUE(recorder.OpenAndStart());
  ASSERT_TRUE(recorder.WaitFrames(14400));
  const std::vector<int32_t> left = recorder.Channel(0), right = recorder.Channel(1);

  EXPECT_NEAR(ToneAmplitude(left, 0, 14400, 1000.0, 48000.0) / 32767.0, 0.25, 0.005);
  double residual = 0, alone = 0;
  for (size_t n = 0; n < 14400; ++n) {
    const double tone =
        0.25 * 32767.0 * std::sin(2 * kPi * 1000.0 * static_cast<double>(n) / 48000.0);
    residual += (left[n] - tone) * (left[n] - tone);
    alone += static_cast<double>(right[n]) * right[n];
  }
  EXPECT_NEAR(std::sqrt(residual / 14400) / 32767.0, 0.02, 0.002);
  EXPECT_NEAR(std::sqrt(alone / 14400) / 32767.0, 0.02, 0.002);
}

TEST(LoopbackSettingsTest, NormaliseBringsEveryFieldIntoRange) {
  TLoopbackSettings settings;
  settings.delayChannel = 7;
  settings.delaySamples = 1u << 24;
  settings.gain = NAN;
  settings.noiseLevel = 5.0f;
  settings.noiseSeed = 0;
  settings.Normalise();
  EXPECT_EQ(settings.delayChannel, 1u);
  EXPECT_EQ(settings.delaySamples, TLoopbackSettings::kMaxDelaySamples);
  EXPECT_EQ(settings.gain, 1.0f);
  EXPECT_EQ(settings.noiseLevel, 1.0f);
  EXPECT_NE(settings.noiseSeed, 0u);
  settings.gain = INFINITY;
  settings.noiseLevel = -1.0f;
  settings.Normalise();
  EXPECT_EQ(settings.gain, TLoopbackSettings::kMaxGain);
  EXPECT_EQ(settings.noiseLevel, 0.0f);
}

// ---------------------------------------------------------------- device list and failures

TEST_F(LoopbackCapture, DeviceListEndsWithLoopbackAndClampsStoredNumbers) {
  for (TSoundDirection direction : {TSoundDirection::Input, TSoundDirection::Output}) {
    const int count = TSoundPort::DeviceCount(direction);
    ASSERT_GE(count, 1);
    EXPECT_EQ(TSoundPort::DeviceName(direction, count - 1), kLoopbackDeviceName);
    EXPECT_EQ(TSoundPort::FindDevice(direction, kLoopbackDeviceName), count - 1);
    EXPECT_EQ(TSoundPort::DeviceName(direction, count), "");
    EXPECT_EQ(TSoundPort::DeviceName(direction, -1), "");
    EXPECT_EQ(TSoundPort::ClampDeviceId(direction, -3), 0);
    EXPECT_EQ(TSoundPort::ClampDeviceId(direction, count + 5), count - 1);
    EXPECT_EQ(TSoundPort::ClampDeviceId(direction, count - 1), count - 1);
  }
  TSoundInput loopback(LoopbackInputId());
  EXPECT_TRUE(loopback.IsVirtual());
  EXPECT_EQ(loopback.MaxChannels(), 2);
  EXPECT_TRUE(loopback.SupportsBytes(1) && loopback.SupportsBytes(2) && loopback.SupportsBytes(3));
  EXPECT_TRUE(loopback.TestFormat(11025, 1, 1));
  EXPECT_TRUE(loopback.TestFormat(96000, 3, 2));
  EXPECT_FALSE(loopback.TestFormat(44100, 4, 2));
  EXPECT_FALSE(loopback.TestFormat(44100, 2, 3));
  EXPECT_FALSE(loopback.TestFormat(500, 2, 2));
}

TEST_F(LoopbackCapture, PortsWithoutADeviceFailQuietly) {
  for (int id : {-1, TSoundPort::DeviceCount(TSoundDirection::Input) + 3}) {
    TSoundInput input(id);
    EXPECT_FALSE(input.HasDevice());
    EXPECT_EQ(input.DeviceId(), -1);
    EXPECT_FALSE(input.SetFormat(44100, 2, 2));
    EXPECT_FALSE(input.Open());
    uint8_t buffer[64];
    EXPECT_FALSE(input.AddBuffer(buffer, sizeof buffer, 0));
    EXPECT_FALSE(input.Start());
    input.Close();
  }
  TSoundOutput output(-1);
  EXPECT_FALSE(output.Restart());
  EXPECT_TRUE(sink_.Entries().empty());
}

TEST_F(LoopbackCapture, FailuresAreReportedWithTheDeviceNameAndClose) {
  TSoundInput first(LoopbackInputId()), second(LoopbackInputId());
  ASSERT_TRUE(first.SetFormat(44100, 2, 2));
  ASSERT_TRUE(first.Open());
  ASSERT_TRUE(second.SetFormat(44100, 2, 2));
  EXPECT_FALSE(second.Open());  // one input on the cable at a time
  ASSERT_EQ(sink_.Entries().size(), 1u);
  EXPECT_EQ(sink_.Entries()[0].text.rfind(kSoundDeviceBusy, 0), 0u);
  EXPECT_NE(sink_.Entries()[0].text.find(kLoopbackDeviceName), std::string::npos);
  EXPECT_EQ(sink_.Entries()[0].caption, kProgramTitle);

  // A slot queued twice is a device failure: reported, and the port closes.
  std::vector<uint8_t> buffer(4000);
  ASSERT_TRUE(first.AddBuffer(buffer.data(), 4000, 0));
  EXPECT_FALSE(first.AddBuffer(buffer.data(), 4000, 0));
  EXPECT_FALSE(first.IsOpen());
  // Told once the failing call has returned, from the event loop.
  EXPECT_EQ(sink_.Entries().size(), 1u);
  ASSERT_TRUE(WaitUntil([&] { return sink_.Entries().size() == 2u; }));
  EXPECT_EQ(sink_.Entries()[1].text.rfind(kSoundDeviceFailure, 0), 0u);
  EXPECT_TRUE(second.Open());  // the cable is free again

  // A format the device refuses: its own caption.
  TSoundOutput output(test::LoopbackOutputId());
  EXPECT_FALSE(output.SetFormat(500, 2, 2));
  EXPECT_FALSE(output.Open());
  ASSERT_EQ(sink_.Entries().size(), 3u);
  EXPECT_EQ(sink_.Entries()[2].text.rfind(kSoundFormatRefused, 0), 0u);
  EXPECT_EQ(sink_.Entries()[2].caption, kSoundFormatRefusedCaption);
  EXPECT_EQ(output.RateRefusalText(500),
            "The Sound Board does not support the selected Sampling Rate.  Rate must be between "
            "1000 Hz and 384000 Hz.");
  EXPECT_EQ(output.RateRefusalText(44100), "");
}

TEST_F(LoopbackCapture, DeviceThatStopsByItselfIsReportedAndTheRunCanSeeIt) {
  TRecorder recorder(LoopbackInputId(), MakeWaveFormat(2, 44100, 2), 4410, 2);
  ASSERT_TRUE(recorder.OpenAndStart());
  // What PortAudio's thread does when a device goes away under a running stream.
  std::thread([&] { recorder.input.DeviceFailed(); }).join();
  ASSERT_TRUE(WaitUntil([&] { return !recorder.input.IsOpen(); }));
  ASSERT_TRUE(WaitUntil([&] { return !sink_.Entries().empty(); }));
  ASSERT_EQ(sink_.Entries().size(), 1u);
  EXPECT_EQ(sink_.Entries()[0].text.rfind(kSoundDeviceFailure, 0), 0u);
  EXPECT_NE(sink_.Entries()[0].text.find(kLoopbackDeviceName), std::string::npos);
  EXPECT_FALSE(recorder.input.IsStarted());
}

}  // namespace
}  // namespace orvanix
