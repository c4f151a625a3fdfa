// Wave files in and out: round trips in both storage modes, files from other programs, our
// files read by sox and Python, and the calibration chunk byte for byte.
#include "files/WaveFile.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/Messages.h"
#include "files/Riff.h"
#include "files/WaveFileFormat.h"
#include "files/WaveTexts.h"

namespace orvanix {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
void WriteFile(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}
bool HaveTool(const char* name) {
  return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}
std::string Capture(const std::string& command) {
  std::string out;
  if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
    ::pclose(pipe);
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
  return out;
}

// Interleaved frames with every sample a different value across the full range.
Bytes Pattern(uint32_t frames, const WaveFormat& format, uint32_t seed = 1) {
  Bytes out(size_t{frames} * format.BlockAlign());
  uint32_t state = seed;
  const uint32_t bytes = format.bytesPerSample;
  for (size_t i = 0; i < out.size() / bytes; ++i) {
    state = state * 1664525u + 1013904223u;
    const int64_t span = int64_t{format.maxValue} - format.minValue + 1;
    EncodeSample(&out[i * bytes], bytes,
                 static_cast<int32_t>(format.minValue + (state >> 8) % span));
  }
  return out;
}

Bytes Samples(TWaveFile& wave) {
  Bytes out(size_t{wave.Length()} * wave.BlockAlign());
  wave.Rewind();
  if (!out.empty()) wave.ReadBlock(out.data(), out.size());
  return out;
}

TCalibration DistinctCalibration() {
  TCalibration c{};
  c.enabled = 1;
  SetField(c.fileName, "/home/user/cal/mic.cal");
  c.refLevel = 94.0f;
  c.refType = 2;
  c.refUnits = kUnitSplAir;
  SetField(c.labelLinear, "Pascals peak");
  SetField(c.labelLog, "SPL (dB re 20uPA) peak");
  c.labelType = 1;
  c.pctFullScaleLeft = 0.125f;
  c.pctFullScaleRight = 0.25f;
  c.calRatioLeft = 10.024f;
  c.calRatioRight = -3.5f;
  c.conversionType = 7;
  c.integrationType = 1;
  SetField(c.leftChannelName, "Mic A");
  SetField(c.rightChannelName, "Mic B");
  for (int i = 0; i < 520; ++i) c.reserved[i] = static_cast<uint8_t>(i * 7);
  return c;
}

class WaveFileTest : public ::testing::Test {
 protected:
  WaveFileTest() {
    char name[] = "/tmp/wavetestXXXXXX";
    dir_ = ::mkdtemp(name);
  }
  ~WaveFileTest() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  std::string dir_;
  TRecordingSink sink_;
  TScopedMessageSink scope_{&sink_};
};

struct Case {
  StorageMode writer;
  uint16_t channels;
  uint16_t bytes;
};

TEST_F(WaveFileTest, RoundTripsEverySampleWidthInBothModes) {
  for (StorageMode writer : {StorageMode::Ram, StorageMode::Disk}) {
    for (uint16_t channels : {1, 2}) {
      for (uint16_t bytes : {1, 2, 3}) {
        SCOPED_TRACE(testing::Message()
                     << "writer " << int(writer) << " channels " << channels << " bytes " << bytes);
        const WaveFormat format = MakeWaveFormat(channels, 22050, bytes);
        const uint32_t frames = 1001;  // odd: 8- and 24-bit mono data need a pad byte
        const Bytes data = Pattern(frames, format, channels * 10 + bytes);
        const std::string path = Path("rt.wav");
        {
          std::unique_ptr<TWaveFile> wave =
              writer == StorageMode::Ram ? std::make_unique<TWaveFile>(2 * frames, format, dir_)
                                         : std::make_unique<TWaveFile>(format, false, dir_);
          ASSERT_FALSE(wave->Error());
          ASSERT_TRUE(wave->WriteBlock(data.data(), data.size()));
          EXPECT_FALSE(wave->Save());  // untitled
          wave->SetFileName(path);
          ASSERT_TRUE(wave->Save());
          EXPECT_FALSE(wave->Modified());
          EXPECT_FALSE(wave->Untitled());
        }
        const Bytes file = ReadFile(path);
        const uint32_t n = static_cast<uint32_t>(data.size());
        ASSERT_EQ(file.size(), 44u + n + (n & 1));
        EXPECT_EQ(GetU32(&file[4]), 36u + n + (n & 1));
        EXPECT_EQ(GetU32(&file[16]), 16u);
        EXPECT_EQ(GetU16(&file[20]), 1u);
        EXPECT_EQ(GetU16(&file[22]), channels);
        EXPECT_EQ(GetU32(&file[24]), 22050u);
        EXPECT_EQ(GetU32(&file[28]), 22050u * channels * bytes);
        EXPECT_EQ(GetU16(&file[32]), channels * bytes);
        EXPECT_EQ(GetU16(&file[34]), 8 * bytes);
        EXPECT_EQ(GetU32(&file[40]), n);
        EXPECT_TRUE(std::equal(data.begin(), data.end(), file.begin() + 44));

        for (StorageMode reader : {StorageMode::Ram, StorageMode::Disk}) {
          TWaveFile back(path, reader, true, dir_);
          ASSERT_FALSE(back.Error());
          EXPECT_EQ(back.Format(), format);
          EXPECT_EQ(back.Length(), frames);
          EXPECT_EQ(back.ValidLength(), frames);
          EXPECT_EQ(back.DataOffset(), 44u);
          EXPECT_FALSE(back.Modified());
          EXPECT_FALSE(back.HasCalibration());
          EXPECT_EQ(Samples(back), data);
        }
      }
    }
  }
  EXPECT_TRUE(sink_.Entries().empty());
}

TEST_F(WaveFileTest, RamSaveWritesOnlyTheValidFrames) {
  const WaveFormat format = MakeWaveFormat(1, 8000, 2);
  TWaveFile wave(8000, format, dir_);
  const Bytes data = Pattern(100, format);
  ASSERT_TRUE(wave.WriteBlock(data.data(), data.size()));
  wave.SetFileName(Path("valid.wav"));
  ASSERT_TRUE(wave.Save());
  EXPECT_EQ(ReadFile(Path("valid.wav")).size(), 44u + 200u);
}

TEST_F(WaveFileTest, ReadsWhatSoxWrites) {
  if (!HaveTool("sox")) GTEST_SKIP() << "sox is not installed";
  struct {
    int bits, channels;
  } cases[] = {{8, 1}, {16, 2}, {24, 2}, {24, 1}};
  for (auto c : cases) {
    SCOPED_TRACE(testing::Message() << c.bits << " bits, " << c.channels << " channels");
    const std::string wav = Path("sox.wav"), raw = Path("sox.raw");
    ASSERT_EQ(std::system(("sox -n -r 48000 -b " + std::to_string(c.bits) + " -c " +
                           std::to_string(c.channels) + " " + wav +
                           " synth 0.1 sine 1000 sine 300 gain -1")
                              .c_str()),
              0);
    // sox's own decoding of the same file, in the file's sample encoding.
    ASSERT_EQ(std::system(("sox " + wav + " -t raw " + raw).c_str()), 0);
    const Bytes expected = ReadFile(raw);
    for (StorageMode mode : {StorageMode::Ram, StorageMode::Disk}) {
      TWaveFile wave(wav, mode, true, dir_);
      ASSERT_FALSE(wave.Error());
      EXPECT_EQ(wave.Format().sampleRate, 48000u);
      EXPECT_EQ(wave.Format().channels, c.channels);
      EXPECT_EQ(wave.Format().bytesPerSample, c.bits / 8);
      EXPECT_EQ(wave.Length(), 4800u);
      EXPECT_EQ(Samples(wave), expected);
      // -1 dB of full scale: 10^(-1/20) = 0.891, give or take sox's dither at 8 bits.
      const SampleExtremes peak = wave.MinMax(0, wave.Length(), 0, true, false);
      EXPECT_NEAR(peak.high, 0.891f, 0.02f);
    }
  }
}

void PutChunk(Bytes& out, const char* id, const Bytes& contents, uint32_t size) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(id[i]));
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(size >> (8 * i)));
  out.insert(out.end(), contents.begin(), contents.end());
  if (contents.size() & 1) out.push_back(0);
}
void PutChunk(Bytes& out, const char* id, const Bytes& contents) {
  PutChunk(out, id, contents, static_cast<uint32_t>(contents.size()));
}
Bytes FmtContents(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t align, uint16_t bits,
                  uint32_t extra = 0) {
  Bytes f(16 + extra, 0);
  PutU16(&f[0], tag);
  PutU16(&f[2], channels);
  PutU32(&f[4], rate);
  PutU32(&f[8], rate * align);
  PutU16(&f[12], align);
  PutU16(&f[14], bits);
  return f;
}
Bytes Riff(const Bytes& inner) {
  Bytes out(12 + inner.size());
  std::memcpy(out.data(), "RIFF\0\0\0\0WAVE", 12);
  PutU32(&out[4], static_cast<uint32_t>(inner.size() + 4));
  std::copy(inner.begin(), inner.end(), out.begin() + 12);
  return out;
}

TEST_F(WaveFileTest, SkipsOtherChunksAndHonoursOddPadding) {
  const WaveFormat format = MakeWaveFormat(1, 11025, 1);
  const Bytes data = Pattern(7, format);  // 7 bytes: odd
  Bytes inner;
  PutChunk(inner, "junk", {1, 2, 3});             // odd, padded
  Bytes fmt = FmtContents(1, 1, 11025, 1, 8, 2);  // an 18-byte fmt with cbSize
  PutChunk(inner, "fmt ", fmt);
  PutChunk(inner, "LIST", {'I', 'N', 'F', 'O', 'I', 'N', 'A', 'M', 1, 0, 0, 0, 'x'});
  PutChunk(inner, "fact", {7, 0, 0, 0});
  PutChunk(inner, "data", data);
  PutChunk(inner, "LIST", {'I', 'N', 'F', 'O'});  // after the data
  const std::string path = Path("chunks.wav");
  WriteFile(path, Riff(inner));
  for (StorageMode mode : {StorageMode::Ram, StorageMode::Disk}) {
    TWaveFile wave(path, mode, true, dir_);
    ASSERT_FALSE(wave.Error());
    EXPECT_EQ(wave.Length(), 7u);
    EXPECT_EQ(Samples(wave), data);
    EXPECT_EQ(wave.DataOffset(), 12u + 12u + 26u + 22u + 12u + 8u);
    if (mode == StorageMode::Ram) {
      // The saved copy holds only fmt and data.
      wave.SetFileName(Path("copy.wav"));
      ASSERT_TRUE(wave.Save());
      const Bytes copy = ReadFile(Path("copy.wav"));
      ASSERT_EQ(copy.size(), 44u + 8u);
      EXPECT_EQ(GetU32(&copy[36]), kDataId);
    }
  }
}

TEST_F(WaveFileTest, OurFilesAreReadBySoxAndPython) {
  const WaveFormat format = MakeWaveFormat(2, 44100, 3);
  const Bytes data = Pattern(12345, format, 7);
  const std::string path = Path("ours.wav");
  {
    TWaveFile wave(format, false, dir_);
    ASSERT_TRUE(wave.WriteBlock(data.data(), data.size()));
    wave.SetCalibration(DistinctCalibration());  // a top-level chunk the readers must pass by
    wave.SetFileName(path);
    ASSERT_TRUE(wave.Save());
  }
  if (HaveTool("soxi")) {
    EXPECT_EQ(Capture("soxi -s " + path), "12345");
    EXPECT_EQ(Capture("soxi -c " + path), "2");
    EXPECT_EQ(Capture("soxi -r " + path), "44100");
    EXPECT_EQ(Capture("soxi -b " + path), "24");
    const std::string raw = Path("sox.raw");
    ASSERT_EQ(std::system(("sox " + path + " -t raw " + raw).c_str()), 0);
    EXPECT_EQ(ReadFile(raw), data);
  }
  if (HaveTool("python3")) {
    const std::string raw = Path("py.raw");
    const std::string script =
        "import sys, wave\n"
        "w = wave.open(sys.argv[1], 'rb')\n"
        "print(w.getnchannels(), w.getsampwidth(), w.getframerate(), w.getnframes())\n"
        "open(sys.argv[2], 'wb').write(w.readframes(w.getnframes()))\n";
    WriteFile(Path("read.py"), Bytes(script.begin(), script.end()));
    EXPECT_EQ(Capture("python3 " + Path("read.py") + " " + path + " " + raw), "2 3 44100 12345");
    EXPECT_EQ(ReadFile(raw), data);
  }
  if (!HaveTool("soxi") && !HaveTool("python3")) GTEST_SKIP() << "neither sox nor python3";
}

TEST_F(WaveFileTest, CalibrationChunkLayoutByteForByte) {
  const WaveFormat format = MakeWaveFormat(1, 8000, 1);
  const Bytes data = Pattern(5, format);  // odd: the pad byte precedes the chunk
  const TCalibration record = DistinctCalibration();
  const std::string path = Path("cal.wav");
  {
    TWaveFile wave(100, format, dir_);
    ASSERT_TRUE(wave.WriteBlock(data.data(), data.size()));
    wave.SetCalibration(record);
    wave.SetFileName(path);
    ASSERT_TRUE(wave.Save());
    EXPECT_TRUE(wave.HasCalibration());
  }
  const Bytes file = ReadFile(path);
  ASSERT_EQ(file.size(), 44u + 5u + 1u + 8u + 1024u);
  EXPECT_EQ(GetU32(&file[4]), 36u + 6u);  // RIFF covers the pad byte, not the calibration
  const uint8_t* chunk = &file[50];
  EXPECT_EQ(chunk[0], 0x65);
  EXPECT_EQ(chunk[1], 0);
  EXPECT_EQ(GetU32(chunk + 4), 1024u);
  const uint8_t* r = chunk + 8;
  EXPECT_EQ(GetI32(r + 0), 1);
  EXPECT_STREQ(reinterpret_cast<const char*>(r + 4), "/home/user/cal/mic.cal");
  EXPECT_EQ(GetF32(r + 264), 94.0f);
  EXPECT_EQ(GetI32(r + 268), 2);
  EXPECT_EQ(GetI32(r + 272), kUnitSplAir);
  EXPECT_STREQ(reinterpret_cast<const char*>(r + 276), "Pascals peak");
  EXPECT_STREQ(reinterpret_cast<const char*>(r + 336), "SPL (dB re 20uPA) peak");
  EXPECT_EQ(GetI32(r + 396), 1);
  EXPECT_EQ(GetF32(r + 400), 0.125f);
  EXPECT_EQ(GetF32(r + 404), 0.25f);
  EXPECT_EQ(GetF32(r + 408), 10.024f);
  EXPECT_EQ(GetF32(r + 412), -3.5f);
  EXPECT_EQ(GetI32(r + 416), 7);
  EXPECT_EQ(GetI32(r + 420), 1);
  EXPECT_STREQ(reinterpret_cast<const char*>(r + 424), "Mic A");
  EXPECT_STREQ(reinterpret_cast<const char*>(r + 464), "Mic B");
  for (int i = 0; i < 520; ++i) ASSERT_EQ(r[504 + i], static_cast<uint8_t>(i * 7)) << i;

  for (StorageMode mode : {StorageMode::Ram, StorageMode::Disk}) {
    TWaveFile back(path, mode, true, dir_);
    ASSERT_FALSE(back.Error());
    ASSERT_TRUE(back.HasCalibration());
    TCalibration got;
    back.GetCalibration(got);
    EXPECT_EQ(std::memcmp(&got, &record, sizeof got), 0);
    EXPECT_EQ(back.Length(), 5u);
  }
}

TEST_F(WaveFileTest, CalibrationRecordsFromFilesGetChannelNamesAndNoOverlongText) {
  TCalibration record = DistinctCalibration();
  SetField(record.leftChannelName, "");
  SetField(record.rightChannelName, "");
  uint8_t bytes[1024];
  SerializeCalibration(record, bytes);
  std::memset(bytes + 276, 'A', 60);  // a label without its NUL
  const Bytes data = {1, 2};
  Bytes inner;
  PutChunk(inner, "fmt ", FmtContents(1, 1, 8000, 2, 16));
  PutChunk(inner, "data", data);
  Bytes file = Riff(inner);
  PutChunk(file, "\x65\0\0\0", Bytes(bytes, bytes + 1024), 0);  // size field 0: read anyway
  const std::string path = Path("names.wav");
  WriteFile(path, file);
  TWaveFile wave(path, StorageMode::Ram, false, dir_);
  ASSERT_FALSE(wave.Error());
  ASSERT_TRUE(wave.HasCalibration());
  TCalibration got;
  wave.GetCalibration(got);
  EXPECT_STREQ(got.leftChannelName, "Left");
  EXPECT_STREQ(got.rightChannelName, "Right");
  EXPECT_EQ(std::string(got.labelLinear), std::string(59, 'A'));
  EXPECT_EQ(got.calRatioLeft, 10.024f);

  // Only part of the record: no calibration.
  file.resize(file.size() - 1);
  WriteFile(path, file);
  TWaveFile shorter(path, StorageMode::Ram, false, dir_);
  ASSERT_FALSE(shorter.Error());
  EXPECT_FALSE(shorter.HasCalibration());
}

TEST_F(WaveFileTest, ClearingTheCalibrationZeroesIt) {
  TWaveFile wave(10, MakeWaveFormat(1, 8000, 2), dir_);
  wave.SetCalibration(DistinctCalibration());
  wave.ClearCalibration();
  EXPECT_FALSE(wave.HasCalibration());
  TCalibration got = DistinctCalibration();
  wave.GetCalibration(got);
  const TCalibration zero{};
  TCalibration zeroed;
  std::memset(static_cast<void*>(&zeroed), 0, sizeof zeroed);
  EXPECT_EQ(std::memcmp(&got, &zeroed, sizeof got), 0);
  (void)zero;
}

TEST_F(WaveFileTest, RefusedFilesReportAndFlagTheError) {
  TWaveFile missing(Path("nothing.wav"), StorageMode::Ram, false, dir_);
  EXPECT_TRUE(missing.Error());
  EXPECT_TRUE(sink_.Contains(Format(kFailureOpeningFile, Path("nothing.wav").c_str())));
  TWaveFile folder(dir_, StorageMode::Disk, false, dir_);
  EXPECT_TRUE(folder.Error());
  // A data chunk without a whole frame, or none at all, is refused with the reason.
  Bytes inner;
  PutChunk(inner, "fmt ", FmtContents(1, 2, 8000, 4, 16));
  PutChunk(inner, "data", {1, 2, 3});
  WriteFile(Path("short.wav"), Riff(inner));
  Bytes none;
  PutChunk(none, "fmt ", FmtContents(1, 2, 8000, 4, 16));
  PutChunk(none, "data", {});
  WriteFile(Path("empty.wav"), Riff(none));
  for (StorageMode mode : {StorageMode::Ram, StorageMode::Disk}) {
    sink_.Clear();
    TWaveFile shortData(Path("short.wav"), mode, true, dir_);
    EXPECT_TRUE(shortData.Error());
    TWaveFile empty(Path("empty.wav"), mode, true, dir_);
    EXPECT_TRUE(empty.Error());
    ASSERT_EQ(sink_.Entries().size(), 2u);
    EXPECT_EQ(sink_.Entries()[0].text, Format(kNoWholeFrame, Path("short.wav").c_str(), 4u));
    EXPECT_EQ(sink_.Entries()[1].text, Format(kEmptyDataChunk, Path("empty.wav").c_str()));
  }
}

TEST_F(WaveFileTest, LoadReportsTheBytesItCouldNotAllocate) {
  const WaveFormat format = MakeWaveFormat(2, 8000, 2);
  TWaveFile wave(1000, format, dir_);
  const Bytes data = Pattern(1000, format);
  ASSERT_TRUE(wave.WriteBlock(data.data(), data.size()));
  wave.SetFileName(Path("big.wav"));
  ASSERT_TRUE(wave.Save());
  SetSampleMemoryLimitForTesting(3999);
  TWaveFile back(Path("big.wav"), StorageMode::Ram, false, dir_);
  SetSampleMemoryLimitForTesting(0);
  EXPECT_TRUE(back.Error());
  EXPECT_EQ(back.Memory(), nullptr);
  EXPECT_TRUE(sink_.Contains(Format(kInsufficientMemoryToLoad, 4000L)));
}

TEST_F(WaveFileTest, NewRecordingAndItsAutomaticName) {
  const WaveFormat format = MakeWaveFormat(1, 1000, 2);
  SetSampleMemoryLimitForTesting(1000);
  EXPECT_EQ(NewRecording(StorageMode::Ram, format, 300, false, dir_), nullptr);
  SetSampleMemoryLimitForTesting(0);
  EXPECT_TRUE(sink_.Contains(kInsufficientRecordingMemory));
  auto ram = NewRecording(StorageMode::Ram, format, 300, false, dir_);
  ASSERT_NE(ram, nullptr);
  EXPECT_EQ(ram->CapacityFrames(), 300000u);
  EXPECT_TRUE(ram->Untitled());
  EXPECT_TRUE(ram->Created());
  auto disk = NewRecording(StorageMode::Disk, format, 300, true, dir_);
  ASSERT_NE(disk, nullptr);
  EXPECT_EQ(disk->Length(), 0u);
  EXPECT_EQ(fs::path(disk->WorkingPath()).parent_path(), fs::path(dir_));
  EXPECT_EQ(fs::path(disk->WorkingPath()).filename().string().substr(0, 3), "wav");

  std::tm t{};
  t.tm_year = 2026 - 1900;
  t.tm_mon = 11;
  t.tm_mday = 6;
  t.tm_hour = 23;
  t.tm_min = 50;
  t.tm_sec = 12;
  EXPECT_EQ(RecordingFileName("/data/wave", t), "/data/wave/recording_2026_12_06_235012.wav");
}

}  // namespace
}  // namespace orvanix
