// Malformed and truncated wave files: each is read or refused with the right message, in both
// storage modes, without crashing or reading out of bounds (the sanitizer build checks that).
// The corpus lives in tests/data/wav-malformed with its manifest expected.txt.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "engine/Messages.h"
#include "engine/TimeText.h"
#include "files/WaveFile.h"
#include "files/WaveTexts.h"

namespace orvanix {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

const std::string kCorpus = std::string(ORVANIX_TEST_DATA_DIR) + "/wav-malformed";

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
void WriteFile(const std::string& path, const Bytes& bytes, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(size));
}

// The message a manifest expectation names, for a file shown as `path`.
std::string ExpectedMessage(std::istringstream& words, const std::string& id,
                            const std::string& path) {
  const char* p = path.c_str();
  unsigned a = 0, b = 0;
  if (id == "not-wave") return Format(kNotRiffWave, p);
  if (id == "no-fmt") return Format(kNoFmtChunk, p);
  if (id == "no-data") return Format(kNoDataChunk, p);
  if (id == "empty-data") return Format(kEmptyDataChunk, p);
  if (id == "no-frame" && words >> a) return Format(kNoWholeFrame, p, a);
  if (id == "past-end") return Format(kChunkPastEnd, p);
  if (id == "fmt-short") return Format(kFmtTooShort, p);
  if (id == "fmt-repeated") return Format(kRepeatedFmt, p);
  if (id == "data-before-fmt") return Format(kDataBeforeFmt, p);
  if (id == "too-many-chunks") return Format(kTooManyChunks, p);
  if (id == "rate-zero") return Format(kZeroSampleRate, p);
  if (id == "channels" && words >> a) return Format(kUnsupportedChannels, p, a);
  if (id == "block-align" && words >> a >> b) return Format(kInvalidBlockAlign, p, a, b);
  if (id == "sample-size" && words >> a) return Format(kUnsupportedSampleSize, p, a);
  if (id == "not-pcm" && words >> a) return Format(kNotIntegerPcm, p, a);
  ADD_FAILURE() << "unknown expectation " << id;
  return "";
}

class WaveMalformedTest : public ::testing::Test {
 protected:
  WaveMalformedTest() {
    char name[] = "/tmp/wavemalformedXXXXXX";
    dir_ = ::mkdtemp(name);
    temp_ = dir_ + "/tmp";
    fs::create_directory(temp_);
  }
  ~WaveMalformedTest() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }

  // Opens `path` in every way and checks the outcome against the expectation line `expect`.
  void Check(const std::string& path, const std::string& expect) {
    const std::string copy = dir_ + "/inplace.wav";
    for (int way = 0; way < 3; ++way) {
      SCOPED_TRACE(testing::Message() << path << " opened in way " << way << ": " << expect);
      std::istringstream words(expect);
      std::string id;
      words >> id;
      sink_.Clear();
      std::string shown = path;
      std::unique_ptr<TWaveFile> wave;
      if (way == 0) wave = std::make_unique<TWaveFile>(path, StorageMode::Ram, false, temp_);
      if (way == 1) wave = std::make_unique<TWaveFile>(path, StorageMode::Disk, true, temp_);
      if (way == 2) {
        fs::copy_file(path, copy, fs::copy_options::overwrite_existing);
        shown = copy;
        wave = std::make_unique<TWaveFile>(copy, StorageMode::Disk, false, temp_);
      }
      if (id == "ok" || id == "truncated") {
        uint32_t frames = 0;
        std::string cal;
        words >> frames >> cal;
        ASSERT_FALSE(wave->Error());
        if (id == "ok") {
          EXPECT_TRUE(sink_.Entries().empty());
        } else {
          // Read as far as it goes, and the user is told.
          ASSERT_EQ(sink_.Entries().size(), 1u);
          const std::string seconds = TimeText(double(frames) / wave->Format().sampleRate);
          EXPECT_EQ(sink_.Entries()[0].text,
                    Format(kWaveTruncated, shown.c_str(), frames, seconds.c_str()));
          EXPECT_EQ(sink_.Entries()[0].icon, MessageIcon::Warning);
        }
        EXPECT_EQ(wave->Length(), frames);
        EXPECT_EQ(wave->HasCalibration(), cal == "cal");
        // Every frame can be read.
        Bytes all(size_t{wave->Length()} * wave->BlockAlign() + 16);
        EXPECT_TRUE(wave->ReadBlock(all.data(), all.size()) || wave->Length() < 2);
        wave->MinMax(0, wave->Length(), 1, true, true);
      } else {
        EXPECT_TRUE(wave->Error());
        EXPECT_EQ(wave->Memory(), nullptr);
        // Every refusal says why.
        ASSERT_EQ(sink_.Entries().size(), 1u);
        EXPECT_EQ(sink_.Entries()[0].text, ExpectedMessage(words, id, shown));
        // The check before opening agrees, with the same words.
        std::string why;
        EXPECT_FALSE(CheckWaveFile(shown, way == 2, why));
        EXPECT_EQ(why, sink_.Entries()[0].text);
      }
      // Opening never changes the file, however its header lies.
      if (way == 2) {
        EXPECT_EQ(ReadFile(copy), ReadFile(path));
      }
      wave.reset();
      EXPECT_TRUE(fs::is_empty(temp_)) << "a temporary file was left behind";
    }
  }

  std::string dir_;
  std::string temp_;  // the objects' temporary folder
  TRecordingSink sink_;
  TScopedMessageSink scope_{&sink_};
};

TEST_F(WaveMalformedTest, EveryCorpusFileGivesItsExpectedOutcome) {
  std::map<std::string, std::string> expected;
  std::ifstream manifest(kCorpus + "/expected.txt");
  ASSERT_TRUE(manifest.good());
  for (std::string line; std::getline(manifest, line);) {
    const size_t space = line.find(' ');
    if (space != std::string::npos) expected[line.substr(0, space)] = line.substr(space + 1);
  }
  EXPECT_GE(expected.size(), 25u);
  size_t files = 0;
  for (const auto& entry : fs::directory_iterator(kCorpus)) {
    const std::string name = entry.path().filename().string();
    if (entry.path().extension() != ".wav") continue;
    ++files;
    ASSERT_TRUE(expected.count(name)) << name << " has no line in expected.txt";
    Check(entry.path().string(), expected[name]);
  }
  EXPECT_EQ(files, expected.size());
}

TEST_F(WaveMalformedTest, EveryTruncationOfAValidFileIsRefusedOrReadAsFarAsItGoes) {
  // A valid file we write: fmt, an odd LIST chunk before the data, odd data, calibration.
  Bytes file;
  const WaveFormat format = MakeWaveFormat(1, 8000, 3);
  {
    TWaveFile wave(101, format, dir_);
    for (uint32_t i = 0; i < 101; ++i) wave.PutSample(static_cast<int32_t>(i * 1000 - 50000), i, 0);
    TCalibration cal{};
    cal.calRatioLeft = 5.f;
    wave.SetCalibration(cal);
    wave.SetFileName(dir_ + "/valid.wav");
    ASSERT_TRUE(wave.Save());
    file = ReadFile(dir_ + "/valid.wav");
  }
  const size_t riffEnd = 44 + 303 + 1;
  ASSERT_EQ(file.size(), riffEnd + 1032);
  const size_t dataEnd = riffEnd - 1;
  const std::string cut = dir_ + "/cut.bin";
  for (size_t size = 0; size <= file.size(); ++size) {
    WriteFile(cut, file, size);
    std::string expect;
    if (size < 8) {
      expect = "not-wave";
    } else if (size < 44 + 3) {
      expect = "past-end";  // cut before the first whole frame
    } else if (size < dataEnd) {
      // Cut in the data: the whole frames present are read, with a warning.
      expect = "truncated " + std::to_string((size - 44) / 3) + " nocal";
    } else if (size < file.size()) {
      // All the data is there (at dataEnd the RIFF size, which counts the pad byte, still
      // runs one byte past the end); the calibration chunk is incomplete.
      expect = "ok 101 nocal";
    } else {
      expect = "ok 101 cal";
    }
    Check(cut, expect);
    if (HasFailure()) {
      ADD_FAILURE() << "first failing truncation: " << size << " bytes";
      return;
    }
  }
}

}  // namespace
}  // namespace orvanix
