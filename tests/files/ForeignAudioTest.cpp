// Audio files our RIFF reader does not take, read through libsndfile: FLAC made by sox opens
// with the WAV's samples, the other containers and codecs open at the right level, FLAC export
// round-trips, and what libsndfile cannot read gets a clear message.
#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <ctime>
#include <numbers>

#include "TransferHelpers.h"
#include "files/Exporter.h"
#include "files/ForeignAudio.h"
#include "files/TransferTexts.h"

namespace orvanix {
namespace {

using test::Bytes;

class ForeignAudioTest : public ::testing::Test {
 protected:
  // Our WAV of `frames` random frames.
  std::string Wave(const std::string& name, const WaveFormat& format, uint32_t frames,
                   Bytes& samples) {
    samples = test::RandomFrames(frames, format, 11);
    auto doc = test::MakeDocument(format, samples, StorageMode::Ram, scratch_.Path());
    const std::string path = scratch_.File(name);
    doc->SetFileName(path);
    EXPECT_TRUE(doc->Save());
    return path;
  }
  std::unique_ptr<TWaveFile> Open(const std::string& path, const TChannelMap* map = nullptr,
                                  StorageMode mode = StorageMode::Ram) {
    TForeignInfo info;
    std::string message;
    if (!ProbeForeignFile(path, info, message)) {
      ADD_FAILURE() << message;
      return nullptr;
    }
    TForeignImporter job(path, map ? *map : DefaultChannelMap(info),
                         TWaveTarget{mode, false, scratch_.Path()});
    if (!RunToEnd(job)) return nullptr;
    return job.TakeDocument();
  }
  // A tone written by libsndfile itself in a container and codec (`format`).
  std::string Tone(const std::string& name, int format, uint32_t rate, uint32_t channels, double hz,
                   double amplitude, uint32_t frames) {
    const std::string path = scratch_.File(name);
    SF_INFO info{};
    info.samplerate = static_cast<int>(rate);
    info.channels = static_cast<int>(channels);
    info.format = format;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    EXPECT_NE(file, nullptr) << sf_strerror(nullptr);
    if (!file) return path;
    std::vector<double> data(size_t{frames} * channels);
    for (uint32_t i = 0; i < frames; ++i) {
      for (uint32_t c = 0; c < channels; ++c) {
        data[size_t{i} * channels + c] =
            amplitude * (c + 1) / channels * std::sin(2 * std::numbers::pi * hz * i / rate);
      }
    }
    sf_writef_double(file, data.data(), frames);
    sf_close(file);
    return path;
  }

  test::TScratch scratch_;
  TRecordingSink sink_;
  TScopedMessageSink scope_{&sink_};
};

TEST_F(ForeignAudioTest, AFlacMadeBySoxOpensWithTheWavesSamples) {
  ASSERT_TRUE(test::HaveTool("sox")) << "sox (scripts/install-deps.sh)";
  for (uint32_t bytes : {2u, 3u}) {
    SCOPED_TRACE(bytes * 8);
    Bytes samples;
    const std::string wav = Wave("tone.wav", MakeWaveFormat(2, 44100, bytes), 50000, samples);
    const std::string flac = scratch_.File("tone.flac");
    ASSERT_EQ(std::system(("sox '" + wav + "' '" + flac + "'").c_str()), 0);
    std::string refusal;
    EXPECT_FALSE(CheckWaveFile(flac, false, refusal));
    EXPECT_TRUE(CheckWaveFile(wav, false, refusal));
    for (StorageMode mode : {StorageMode::Ram, StorageMode::Disk}) {
      auto doc = Open(flac, nullptr, mode);
      ASSERT_TRUE(doc);
      EXPECT_EQ(doc->Format(), MakeWaveFormat(2, 44100, bytes));
      EXPECT_TRUE(doc->Untitled());
      EXPECT_TRUE(test::AllFrames(*doc) == samples);
    }
  }
}

TEST_F(ForeignAudioTest, FlacExportRoundTripsAndSoxAgrees) {
  for (uint32_t bytes : {2u, 3u}) {
    SCOPED_TRACE(bytes * 8);
    const WaveFormat format = MakeWaveFormat(2, 48000, bytes);
    const Bytes samples = test::RandomFrames(30000, format, 5);
    auto doc = test::MakeDocument(format, samples, StorageMode::Disk, scratch_.Path());
    const std::string flac = scratch_.File("out.flac");
    TExportOptions options;
    options.format = kAudioFile;
    TExporter job(*doc, options, flac, nullptr, std::tm{});
    ASSERT_TRUE(RunToEnd(job));
    auto back = Open(flac);
    ASSERT_TRUE(back);
    EXPECT_TRUE(test::AllFrames(*back) == samples);
    EXPECT_EQ(test::Capture("soxi -b '" + flac + "'"), std::to_string(bytes * 8));
    EXPECT_EQ(test::Capture("soxi -s '" + flac + "'"), "30000");
  }
}

TEST_F(ForeignAudioTest, ContainersAndCodecsOpenAtTheirLevel) {
  // A 1 kHz tone at half scale (the right channel at full amplitude x 1.0).
  const struct {
    const char* name;
    int format;
    uint32_t rate;
    double toleranceDb;
  } cases[] = {
      {"a.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_24, 44100, 0.01},
      {"a.caf", SF_FORMAT_CAF | SF_FORMAT_PCM_16, 44100, 0.01},
      {"a.w64", SF_FORMAT_W64 | SF_FORMAT_PCM_16, 44100, 0.01},
      {"a.rf64", SF_FORMAT_RF64 | SF_FORMAT_PCM_16, 44100, 0.01},
      {"a.wav", SF_FORMAT_WAV | SF_FORMAT_PCM_32, 44100, 0.01},
      // mu-law quantises the eight sample values of a 1 kHz tone at 8 kHz by up to 2 %.
      {"u.wav", SF_FORMAT_WAV | SF_FORMAT_ULAW, 8000, 0.25},
      {"a.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 0.5},
      {"a.opus", SF_FORMAT_OGG | SF_FORMAT_OPUS, 48000, 0.5},
      {"a.mp3", SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, 44100, 0.5},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = Tone(c.name, c.format, c.rate, 2, 1000, 0.5, c.rate * 2);
    auto doc = Open(path);
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->Format().sampleRate, c.rate);
    EXPECT_EQ(doc->Format().channels, 2u);
    // RMS of the middle second against a 0.25 and a 0.5 amplitude sine.
    const uint32_t from = c.rate / 2, to = from + c.rate;
    for (uint32_t ch = 0; ch < 2; ++ch) {
      const double rms = std::sqrt(doc->MeanSquare(from, to, ch));
      const double expected = (ch == 0 ? 0.25 : 0.5) / std::sqrt(2.0);
      EXPECT_NEAR(20 * std::log10(rms / expected), 0.0, c.toleranceDb) << "channel " << ch;
    }
  }
}

TEST_F(ForeignAudioTest, FloatAndManyChannelsFollowTheChosenMap) {
  // Four channels of float at levels 0.25, 0.5, 0.75 and 1.0.
  const std::string path =
      Tone("four.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 8000, 4, 500, 1.0, 8000);
  TForeignInfo info;
  std::string message;
  ASSERT_TRUE(ProbeForeignFile(path, info, message));
  EXPECT_TRUE(info.isFloat);
  EXPECT_TRUE(NeedsChannelMap(info));
  std::string refusal;
  EXPECT_FALSE(CheckWaveFile(path, false, refusal));
  EXPECT_FALSE(refusal.empty());
  TChannelMap map;
  map.left = 3;
  map.right = 1;
  map.bytesPerSample = 2;
  auto doc = Open(path, &map);
  ASSERT_TRUE(doc);
  EXPECT_NEAR(doc->MinMax(0, 8000, 0, false, false).high, 32767, 1);
  EXPECT_NEAR(doc->MinMax(0, 8000, 1, false, false).high, 16384, 1);
  // The loudest sample to full scale, mono from channel 1 (0.25).
  map.left = 0;
  map.right = -1;
  map.normalise = true;
  map.bytesPerSample = 3;
  doc = Open(path, &map);
  ASSERT_TRUE(doc);
  EXPECT_EQ(doc->Format().channels, 1u);
  EXPECT_NEAR(doc->MinMax(0, 8000, 0, false, false).high, 8388607, 2);
  // A channel the file does not have.
  map.left = 4;
  EXPECT_FALSE(Open(path, &map));
  EXPECT_TRUE(sink_.Contains(Format(kForeignNoSuchChannel, path.c_str(), 4u)));
}

TEST_F(ForeignAudioTest, WhatLibsndfileCannotReadIsToldClearly) {
  const std::string junk = scratch_.File("junk.flac");
  test::WriteText(junk, "fLaC but nothing else that makes a stream");
  TForeignInfo info;
  std::string message;
  EXPECT_FALSE(ProbeForeignFile(junk, info, message));
  EXPECT_EQ(message.rfind("The file " + junk + " cannot be read: ", 0), 0u) << message;
  EXPECT_FALSE(ProbeForeignFile(scratch_.Path(), info, message));
  EXPECT_EQ(message, Format(kFailureOpeningSource, scratch_.Path().c_str()));
  // A FLAC cut off in the middle opens with what is there, or is refused: never a crash.
  Bytes samples;
  const std::string wav = Wave("t.wav", MakeWaveFormat(1, 22050, 2), 40000, samples);
  if (test::HaveTool("sox")) {
    const std::string flac = scratch_.File("t.flac");
    ASSERT_EQ(std::system(("sox '" + wav + "' '" + flac + "'").c_str()), 0);
    Bytes bytes = test::ReadAll(flac);
    bytes.resize(bytes.size() / 2);
    test::WriteAll(flac, bytes.data(), bytes.size());
    TForeignImporter job(flac, TChannelMap{},
                         TWaveTarget{StorageMode::Ram, false, scratch_.Path()});
    RunToEnd(job);
    auto doc = job.TakeDocument();
    if (doc) EXPECT_LT(doc->Length(), 40000u);
  }
}

}  // namespace
}  // namespace orvanix
