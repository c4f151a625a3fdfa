// The real PortAudio path, without a sound card: the test writes its own ALSA configuration
// (ALSA_CONFIG_PATH) defining two devices of ALSA's `file` plugin over the `null` device.
// "orvanix_capture" records what a raw file holds, "orvanix_playback" writes what is played
// into a raw file. The ports find them through PortAudio's ALSA host API like any device, so
// capture and playback are checked byte for byte through PortAudio's callback thread.
// Skipped only when PortAudio cannot initialise at all.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "AcquisitionHelpers.h"
#include "acquisition/PortAudioHost.h"
#include "acquisition/SoundTexts.h"
#include "engine/Messages.h"

namespace orvanix {
namespace {

namespace fs = std::filesystem;
using test::WaitUntil;

constexpr const char* kCaptureDevice = "orvanix_capture";
constexpr const char* kPlaybackDevice = "orvanix_playback";

std::vector<uint8_t> ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

class PortAudioAlsa : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    char pattern[] = "/tmp/orvanix-alsa-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    // Two seconds of 48 kHz stereo 16-bit: a 1 kHz tone at half scale left, a counter right.
    // Other formats read the same bytes differently, which is all a byte check needs.
    std::vector<uint8_t> raw;
    for (int n = 0; n < 96000; ++n) {
      const int left =
          static_cast<int>(std::lround(16383.5 * std::sin(2 * M_PI * 1000.0 * n / 48000.0)));
      const int right = (n * 13) % 65536 - 32768;
      for (int value : {left, right}) {
        raw.push_back(static_cast<uint8_t>(value & 0xFF));
        raw.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
      }
    }
    input_ = raw;
    std::ofstream(dir_ / "in.raw", std::ios::binary)
        .write(reinterpret_cast<const char*>(raw.data()), static_cast<std::streamsize>(raw.size()));
    std::ofstream config(dir_ / "asound.conf");
    config << "pcm.orvanix_capture {\n  type file\n  slave.pcm { type null }\n"
           << "  file \"" << (dir_ / "copy.raw").string() << "\"\n"
           << "  infile \"" << (dir_ / "in.raw").string() << "\"\n  format \"raw\"\n}\n"
           << "pcm.orvanix_playback {\n  type file\n  slave.pcm { type null }\n"
           << "  file \"" << (dir_ / "played.raw").string()
           << "\"\n  format \"raw\"\n}\n"
           // PortAudio's device scan expects a default device to exist.
           << "pcm.!default { type null }\n";
    config.close();
    // Must precede the first use of PortAudio in this process (the device list is built once).
    setenv("ALSA_CONFIG_PATH", (dir_ / "asound.conf").c_str(), 1);
  }
  static void TearDownTestSuite() {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  void SetUp() override {
    if (!TSoundPort::AudioSystemAvailable()) {
      GTEST_SKIP() << "PortAudio cannot initialise: " << TPortAudioHost::Instance().InitError();
    }
  }

  static fs::path dir_;
  static std::vector<uint8_t> input_;
  TRecordingSink sink_;
  TScopedMessageSink scoped_{&sink_};
};

fs::path PortAudioAlsa::dir_;
std::vector<uint8_t> PortAudioAlsa::input_;

TEST_F(PortAudioAlsa, TestDevicesAreListedAndProbed) {
  const int id = TSoundPort::FindDevice(TSoundDirection::Input, kCaptureDevice);
  ASSERT_GE(id, 0) << "PortAudio did not list the test ALSA device";
  EXPECT_LT(id, TSoundPort::FindDevice(TSoundDirection::Input, kLoopbackDeviceName));
  ASSERT_GE(TSoundPort::FindDevice(TSoundDirection::Output, kPlaybackDevice), 0);

  TSoundInput input(id);
  ASSERT_FALSE(input.Error());
  EXPECT_FALSE(input.IsVirtual());
  EXPECT_EQ(input.Name(), kCaptureDevice);
  // The null device takes anything, so every probed rate and width is accepted.
  EXPECT_EQ(input.LowestRate(), 8000u);
  EXPECT_EQ(input.HighestRate(), 192000u);
  EXPECT_EQ(input.MaxChannels(), 2);
  EXPECT_FALSE(input.DiscreteRates());
  EXPECT_TRUE(input.SupportsBytes(1) && input.SupportsBytes(2) && input.SupportsBytes(3));
  EXPECT_TRUE(input.TestFormat(44100, 3, 2));
  EXPECT_FALSE(input.TestFormat(44100, 2, 3));
  EXPECT_EQ(input.RateRefusalText(44100), "");
}

TEST_F(PortAudioAlsa, CaptureDeliversTheFileByteForByte) {
  const int id = TSoundPort::FindDevice(TSoundDirection::Input, kCaptureDevice);
  ASSERT_GE(id, 0);
  // 8-bit mono, 16-bit stereo and packed 24-bit stereo through PortAudio's callback.
  for (const WaveFormat& format :
       {MakeWaveFormat(1, 44100, 1), MakeWaveFormat(2, 48000, 2), MakeWaveFormat(2, 96000, 3)}) {
    SCOPED_TRACE(testing::Message() << format.bitsPerSample << " bits, " << format.channels);
    // The null device runs faster than real time; three buffers queued before Start hold
    // everything checked, whatever the main thread does meanwhile.
    test::TRecorder recorder(id, format, 4000, 3);
    recorder.requeue = false;
    ASSERT_TRUE(recorder.OpenAndStart())
        << (sink_.Entries().empty() ? "" : sink_.Entries()[0].text);
    ASSERT_TRUE(recorder.WaitFrames(12000));
    recorder.input.Close();
    const size_t bytes = 12000 * format.BlockAlign();
    ASSERT_GE(recorder.data.size(), bytes);
    EXPECT_TRUE(std::equal(recorder.data.begin(), recorder.data.begin() + static_cast<long>(bytes),
                           input_.begin()));
    EXPECT_EQ(recorder.order, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(recorder.input.Position(), 12000u);
  }
  EXPECT_TRUE(sink_.Entries().empty());
}

TEST_F(PortAudioAlsa, PlaybackWritesThePlayedSamplesToTheFile) {
  const int id = TSoundPort::FindDevice(TSoundDirection::Output, kPlaybackDevice);
  ASSERT_GE(id, 0);
  const WaveFormat format = MakeWaveFormat(2, 48000, 2);
  std::vector<int32_t> left(4800), right(4800);
  for (size_t i = 0; i < left.size(); ++i) {
    left[i] = static_cast<int32_t>(i) + 1;  // never silent, so the signal stands out in the file
    right[i] = -static_cast<int32_t>(i) - 7;
  }
  const std::vector<uint8_t> frames = test::FramesOf(left, right, format);
  {
    TSoundOutput output(id);
    ASSERT_TRUE(output.SetFormat(48000, 2, 2));
    ASSERT_TRUE(output.Open([] {}));
    ASSERT_TRUE(output.Write(frames.data(), static_cast<uint32_t>(frames.size()), 0));
    ASSERT_TRUE(output.Restart());
    ASSERT_TRUE(WaitUntil([&] { return output.IsDone(0); }));
    EXPECT_EQ(output.Position(), 4800u);
    output.Close();  // the file plugin writes out what it holds on close
  }
  const std::vector<uint8_t> played = ReadFile(dir_ / "played.raw");
  const auto found = std::search(played.begin(), played.end(), frames.begin(), frames.end());
  ASSERT_NE(found, played.end()) << "the played samples are not in the file (" << played.size()
                                 << " bytes)";
  // Around them only silence: nothing else was played.
  EXPECT_TRUE(std::all_of(played.begin(), found, [](uint8_t b) { return b == 0; }));
  EXPECT_TRUE(std::all_of(found + static_cast<long>(frames.size()), played.end(),
                          [](uint8_t b) { return b == 0; }));
  EXPECT_TRUE(sink_.Entries().empty());
}

TEST_F(PortAudioAlsa, DeviceThatVanishedIsReportedNotCrashed) {
  const int id = TSoundPort::FindDevice(TSoundDirection::Input, kCaptureDevice);
  ASSERT_GE(id, 0);
  TSoundInput input(id);
  ASSERT_TRUE(input.SetFormat(48000, 2, 2));
  // Without its input file the ALSA device can no longer be opened.
  fs::rename(dir_ / "in.raw", dir_ / "gone.raw");
  const bool opened = input.Open();
  fs::rename(dir_ / "gone.raw", dir_ / "in.raw");
  EXPECT_FALSE(opened);
  ASSERT_EQ(sink_.Entries().size(), 1u);
  EXPECT_NE(sink_.Entries()[0].text.find(kCaptureDevice), std::string::npos)
      << sink_.Entries()[0].text;
  uint8_t buffer[400];
  EXPECT_FALSE(input.AddBuffer(buffer, sizeof buffer, 0));
  EXPECT_FALSE(input.Start());
  EXPECT_TRUE(input.Open());  // and it works again once the device is back
}

}  // namespace
}  // namespace orvanix
