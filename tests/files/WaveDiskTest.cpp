// Disk mode: in-place editing, make-backup copies, Save As, recordings that survive being cut
// off, write failures, the placement of saved files and the clean-up of temporary files.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/Messages.h"
#include "files/Riff.h"
#include "files/WaveFile.h"
#include "files/WaveTexts.h"

namespace orvanix {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

Bytes ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
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
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}
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
size_t CountFiles(const std::string& dir) {
  size_t n = 0;
  for (const auto& entry : fs::directory_iterator(dir)) n += entry.is_regular_file() ? 1 : 0;
  return n;
}
TCalibration SomeCalibration(float ratio) {
  TCalibration c{};
  c.enabled = 1;
  c.calRatioLeft = ratio;
  c.calRatioRight = ratio * 2;
  SetField(c.leftChannelName, "L");
  SetField(c.rightChannelName, "R");
  return c;
}

class WaveDiskTest : public ::testing::Test {
 protected:
  WaveDiskTest() {
    char name[] = "/tmp/wavedisktestXXXXXX";
    dir_ = ::mkdtemp(name);
    temp_ = dir_ + "/tmp";
    fs::create_directory(temp_);
  }
  ~WaveDiskTest() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  // A saved RAM-mode file of `frames` pattern frames (16-bit stereo unless told).
  Bytes MakeFile(const std::string& path, uint32_t frames, const TCalibration* cal = nullptr,
                 WaveFormat format = MakeWaveFormat(2, 8000, 2)) {
    const Bytes data = Pattern(frames, format, frames);
    TWaveFile wave(frames, format, temp_);
    EXPECT_TRUE(wave.WriteBlock(data.data(), data.size()));
    if (cal) wave.SetCalibration(*cal);
    wave.SetFileName(path);
    EXPECT_TRUE(wave.Save());
    return data;
  }

  std::string dir_;
  std::string temp_;
  TRecordingSink sink_;
  TScopedMessageSink scope_{&sink_};
};

TEST_F(WaveDiskTest, InPlaceEditsGoStraightIntoTheFile) {
  const std::string path = Path("inplace.wav");
  const TCalibration cal = SomeCalibration(3.f);
  MakeFile(path, 1000, &cal);
  TWaveFile wave(path, StorageMode::Disk, false, temp_);
  ASSERT_FALSE(wave.Error());
  EXPECT_TRUE(wave.InPlace());
  EXPECT_EQ(wave.WorkingPath(), path);
  ASSERT_TRUE(wave.PutSample(1234, 10, 1));
  EXPECT_FALSE(wave.Modified());  // nothing left to save
  Bytes file = ReadFile(path);
  EXPECT_EQ(GetU16(&file[44 + 10 * 4 + 2]), 1234);
  ASSERT_TRUE(wave.Save());
  EXPECT_EQ(ReadFile(path), file);  // saving changed nothing further

  // Growing the data runs over the calibration chunk, which comes back after the data.
  wave.SeekToEnd();
  const Bytes more = Pattern(100, wave.Format(), 5);
  ASSERT_TRUE(wave.WriteBlock(more.data(), more.size()));
  EXPECT_EQ(wave.Length(), 1100u);
  {
    TWaveFile back(path, StorageMode::Ram, false, temp_);
    ASSERT_FALSE(back.Error());
    EXPECT_EQ(back.Length(), 1100u);
    ASSERT_TRUE(back.HasCalibration());
    TCalibration got;
    back.GetCalibration(got);
    EXPECT_EQ(got.calRatioLeft, 3.f);
    EXPECT_EQ(back.GetSample(1099, 1, false), wave.GetSample(1099, 1, false));
  }
  file = ReadFile(path);
  EXPECT_EQ(file.size(), 44u + 1100u * 4 + 1032u);
  EXPECT_EQ(GetU32(&file[4]), 36u + 4400u);
  if (HaveTool("soxi")) {
    EXPECT_EQ(Capture("soxi -s " + path), "1100");
  }

  ASSERT_TRUE(wave.Resize(500));
  TWaveFile shrunk(path, StorageMode::Ram, false, temp_);
  EXPECT_EQ(shrunk.Length(), 500u);
  EXPECT_TRUE(shrunk.HasCalibration());
  EXPECT_TRUE(sink_.Entries().empty());
}

TEST_F(WaveDiskTest, InPlaceSaveWritesANewCalibrationRecordOnce) {
  const std::string path = Path("cal.wav");
  MakeFile(path, 10);
  TWaveFile wave(path, StorageMode::Disk, false, temp_);
  wave.SetCalibration(SomeCalibration(7.f));
  ASSERT_TRUE(wave.Save());
  const Bytes once = ReadFile(path);
  EXPECT_EQ(once.size(), 44u + 40u + 1032u);
  ASSERT_TRUE(wave.Save());
  EXPECT_EQ(ReadFile(path), once);

  // A record as another writer stored it (size field 0, empty channel names) stays as it is.
  const std::string foreign =
      std::string(ORVANIX_TEST_DATA_DIR) + "/wav-malformed/calibration-size-0.wav";
  fs::copy_file(foreign, Path("foreign.wav"));
  const Bytes before = ReadFile(Path("foreign.wav"));
  TWaveFile opened(Path("foreign.wav"), StorageMode::Disk, false, temp_);
  ASSERT_TRUE(opened.HasCalibration());
  ASSERT_TRUE(opened.Save());
  EXPECT_EQ(ReadFile(Path("foreign.wav")), before);
}

TEST_F(WaveDiskTest, MakeBackupWorksOnACopyUntilSaved) {
  const std::string path = Path("user.wav");
  MakeFile(path, 300);
  const Bytes original = ReadFile(path);
  {
    TWaveFile wave(path, StorageMode::Disk, true, temp_);
    ASSERT_FALSE(wave.Error());
    EXPECT_FALSE(wave.InPlace());
    EXPECT_EQ(fs::path(wave.WorkingPath()).parent_path(), fs::path(temp_));
    EXPECT_EQ(CountFiles(temp_), 1u);
    ASSERT_TRUE(wave.PutSample(-77, 299, 0));
    EXPECT_TRUE(wave.Modified());
    EXPECT_EQ(ReadFile(path), original);
    ASSERT_TRUE(wave.Save());
    EXPECT_FALSE(wave.Modified());
    EXPECT_EQ(static_cast<int16_t>(GetU16(&ReadFile(path)[44 + 299 * 4])), -77);
    // The working file stays the temporary copy.
    EXPECT_EQ(fs::path(wave.WorkingPath()).parent_path(), fs::path(temp_));
    ASSERT_TRUE(wave.PutSample(55, 0, 0));
    EXPECT_TRUE(wave.Modified());
  }
  EXPECT_EQ(CountFiles(temp_), 0u);
  EXPECT_EQ(GetU16(&ReadFile(path)[44]), GetU16(&original[44]));  // the unsaved edit is gone
}

TEST_F(WaveDiskTest, SaveAsFromAnInPlaceFileGoesOnWithTheNewFile) {
  const std::string path = Path("first.wav"), other = Path("second.wav");
  const Bytes data = MakeFile(path, 200);
  TWaveFile wave(path, StorageMode::Disk, false, temp_);
  ASSERT_TRUE(wave.Seek(150));
  wave.SetFileName(other);
  EXPECT_FALSE(wave.InPlace());
  ASSERT_TRUE(wave.Save());
  EXPECT_EQ(wave.WorkingPath(), other);
  EXPECT_TRUE(wave.InPlace());
  EXPECT_EQ(wave.Position(), 150u);
  const Bytes saved = ReadFile(other);
  ASSERT_EQ(saved.size(), 44u + data.size());
  EXPECT_TRUE(std::equal(data.begin(), data.end(), saved.begin() + 44));
  ASSERT_TRUE(wave.PutSample(99, 0, 0));
  EXPECT_EQ(GetU16(&ReadFile(other)[44]), 99);
  EXPECT_EQ(ReadFile(path).size(), 44u + data.size());
  EXPECT_NE(GetU16(&ReadFile(path)[44]), 99);
}

TEST_F(WaveDiskTest, RecordingCutOffWithoutSaveIsAValidFile) {
  struct {
    uint16_t channels, bytes;
    uint32_t block;
  } cases[] = {{2, 2, 4800}, {1, 1, 1001}, {2, 3, 777}};
  for (auto c : cases) {
    SCOPED_TRACE(testing::Message() << c.channels << " channels, " << c.bytes << " bytes");
    const WaveFormat format = MakeWaveFormat(c.channels, 48000, c.bytes);
    const Bytes data = Pattern(10 * c.block, format, c.block);
    const std::string snapshot = Path("snapshot.wav");
    TWaveFile wave(format, true, temp_);
    ASSERT_FALSE(wave.Error());
    const size_t blockBytes = size_t{c.block} * format.BlockAlign();
    for (int b = 0; b < 10; ++b) {
      ASSERT_TRUE(wave.WriteBlock(data.data() + b * blockBytes, blockBytes));
      if (b == 4) {
        fs::copy_file(wave.WorkingPath(), snapshot, fs::copy_options::overwrite_existing);
      }
    }
    const Bytes first(data.begin(), data.begin() + 5 * blockBytes);
    TWaveFile back(snapshot, StorageMode::Ram, false, temp_);
    ASSERT_FALSE(back.Error());
    EXPECT_EQ(back.Length(), 5 * c.block);
    EXPECT_EQ(Samples(back), first);
    if (HaveTool("sox")) {
      EXPECT_EQ(Capture("soxi -s " + snapshot), std::to_string(5 * c.block));
      ASSERT_EQ(std::system(("sox " + snapshot + " -t raw " + Path("snap.raw")).c_str()), 0);
      EXPECT_EQ(ReadFile(Path("snap.raw")), first);
    }
    if (HaveTool("python3")) {
      EXPECT_EQ(
          Capture("python3 -c \"import wave; print(wave.open('" + snapshot + "').getnframes())\""),
          std::to_string(5 * c.block));
    }
  }
}

TEST_F(WaveDiskTest, ATruncatedFileGetsTrueSizesBeforeAnythingIsWrittenAfterIt) {
  // A recording cut off by another program: both sizes left at a streaming writer's
  // 0xFFFFFFFF, ten whole frames of 16-bit stereo and one byte of the eleventh.
  const std::string path = Path("cut.wav");
  const Bytes frames = MakeFile(path, 10);
  Bytes cut = ReadFile(path);
  ASSERT_EQ(cut.size(), 44u + 40u);
  PutU32(&cut[4], 0xFFFFFFFFu);
  PutU32(&cut[40], 0xFFFFFFFFu);
  cut.push_back(0x5A);
  auto restore = [&] {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(cut.data()), static_cast<std::streamsize>(cut.size()));
  };
  auto expectSizes = [](const Bytes& file, uint32_t dataBytes) {
    ASSERT_GE(file.size(), 44u + dataBytes);
    EXPECT_EQ(GetU32(&file[40]), dataBytes);
    EXPECT_EQ(GetU32(&file[4]), 36u + dataBytes);
  };
  restore();

  // A backup copy is corrected at once: saved elsewhere it is a sound file of what was read.
  {
    TWaveFile wave(path, StorageMode::Disk, true, temp_);
    ASSERT_FALSE(wave.Error());
    EXPECT_EQ(wave.Length(), 10u);
    EXPECT_EQ(Samples(wave), frames);
    ASSERT_EQ(sink_.Entries().size(), 1u);
    EXPECT_EQ(sink_.Entries()[0].icon, MessageIcon::Warning);
    wave.SetFileName(Path("copy.wav"));
    ASSERT_TRUE(wave.Save());
  }
  EXPECT_EQ(ReadFile(path), cut);
  const Bytes copy = ReadFile(Path("copy.wav"));
  EXPECT_EQ(copy.size(), 44u + 40u);
  expectSizes(copy, 40);
  EXPECT_EQ(Bytes(copy.begin() + 44, copy.end()), frames);

  // In place: opening changes nothing; the first write puts true sizes in before it, and an
  // appended frame takes the place of the stray byte.
  {
    TWaveFile wave(path, StorageMode::Disk, false, temp_);
    ASSERT_FALSE(wave.Error());
    EXPECT_EQ(ReadFile(path), cut);
    ASSERT_TRUE(wave.PutSample(1234, 3, 0));
    expectSizes(ReadFile(path), 40);
    ASSERT_TRUE(wave.PutSample(-7, 10, 1));
    EXPECT_EQ(wave.Length(), 11u);
  }
  const Bytes edited = ReadFile(path);
  EXPECT_EQ(edited.size(), 44u + 44u);
  expectSizes(edited, 44);
  sink_.Clear();
  {
    TWaveFile wave(path, StorageMode::Ram, false, temp_);
    ASSERT_FALSE(wave.Error());
    EXPECT_TRUE(sink_.Entries().empty());
    EXPECT_EQ(wave.Length(), 11u);
    EXPECT_EQ(wave.GetSample(3, 0, false), 1234.f);
    EXPECT_EQ(wave.GetSample(10, 1, false), -7.f);
    EXPECT_EQ(wave.GetSample(10, 0, false), 0.f);
  }

  // In place with a calibration record attached: it goes after the data, not into it.
  restore();
  {
    TWaveFile wave(path, StorageMode::Disk, false, temp_);
    ASSERT_FALSE(wave.Error());
    wave.SetCalibration(SomeCalibration(3.f));
    ASSERT_TRUE(wave.Save());
  }
  expectSizes(ReadFile(path), 40);
  sink_.Clear();
  TWaveFile reread(path, StorageMode::Ram, false, temp_);
  ASSERT_FALSE(reread.Error());
  EXPECT_TRUE(sink_.Entries().empty());
  EXPECT_EQ(reread.Length(), 10u);
  EXPECT_TRUE(reread.HasCalibration());
  EXPECT_EQ(Samples(reread), frames);
}

TEST_F(WaveDiskTest, TemporaryFilesAreGoneAfterDestruction) {
  const WaveFormat format = MakeWaveFormat(1, 8000, 2);
  const Bytes data = Pattern(100, format);
  {
    TWaveFile unsaved(format, false, temp_);
    ASSERT_TRUE(unsaved.WriteBlock(data.data(), data.size()));
    EXPECT_EQ(CountFiles(temp_), 1u);
  }
  EXPECT_EQ(CountFiles(temp_), 0u);
  {
    TWaveFile renamed(format, false, temp_);
    ASSERT_TRUE(renamed.WriteBlock(data.data(), data.size()));
    renamed.SetFileName(Path("renamed.wav"));
    ASSERT_TRUE(renamed.Save());
    EXPECT_EQ(renamed.WorkingPath(), Path("renamed.wav"));
    EXPECT_FALSE(renamed.Created());
    EXPECT_EQ(CountFiles(temp_), 0u);
  }
  EXPECT_TRUE(fs::exists(Path("renamed.wav")));
  {
    TWaveFile copied(format, true, temp_);  // make-backup: saved by copying
    ASSERT_TRUE(copied.WriteBlock(data.data(), data.size()));
    copied.SetFileName(Path("copied.wav"));
    ASSERT_TRUE(copied.Save());
    EXPECT_EQ(CountFiles(temp_), 1u);
  }
  EXPECT_EQ(CountFiles(temp_), 0u);
  {
    TWaveFile backup(Path("copied.wav"), StorageMode::Disk, true, temp_);
    EXPECT_EQ(CountFiles(temp_), 1u);
    backup.SetUndoPath(temp_ + "/undo.wav");
    std::ofstream(temp_ + "/undo.wav") << "x";
  }
  EXPECT_EQ(CountFiles(temp_), 0u);
  EXPECT_TRUE(sink_.Entries().empty());
}

TEST_F(WaveDiskTest, RenameAcrossFileSystemsFallsBackToACopy) {
  struct stat here, shm;
  if (::stat("/dev/shm", &shm) != 0 || ::stat(dir_.c_str(), &here) != 0 ||
      here.st_dev == shm.st_dev) {
    GTEST_SKIP() << "no second file system to rename across";
  }
  char name[] = "/dev/shm/wavedisktestXXXXXX";
  const std::string shmDir = ::mkdtemp(name);
  const WaveFormat format = MakeWaveFormat(2, 8000, 3);
  const Bytes data = Pattern(333, format);
  {
    TWaveFile wave(format, false, shmDir);
    ASSERT_TRUE(wave.WriteBlock(data.data(), data.size()));
    wave.SetCalibration(SomeCalibration(2.f));
    wave.SetFileName(Path("across.wav"));
    ASSERT_TRUE(wave.Save());
    EXPECT_EQ(wave.WorkingPath(), Path("across.wav"));
    EXPECT_EQ(CountFiles(shmDir), 0u);
    ASSERT_TRUE(wave.PutSample(5, 0, 0));
  }
  TWaveFile back(Path("across.wav"), StorageMode::Ram, false, temp_);
  ASSERT_FALSE(back.Error());
  EXPECT_EQ(back.Length(), 333u);
  EXPECT_TRUE(back.HasCalibration());
  EXPECT_EQ(back.GetSample(0, 0, false), 5.f);
  EXPECT_EQ(back.GetSample(332, 1, false), DecodeSample(&data[332 * 6 + 3], 3, 0));
  std::error_code ec;
  fs::remove_all(shmDir, ec);
}

// Limits the size of files this process may write, as a full disk would.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    ::getrlimit(RLIMIT_FSIZE, &previous_);
    rlimit limit = previous_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &previous_);
    std::signal(SIGXFSZ, previousHandler_);
  }

 private:
  rlimit previous_;
  void (*previousHandler_)(int);
};

TEST_F(WaveDiskTest, AWriteFailureKeepsEverythingWritten) {
  const WaveFormat format = MakeWaveFormat(1, 8000, 2);
  const Bytes data = Pattern(4096 * 10, format);
  TWaveFile wave(format, false, temp_);
  uint32_t blocks = 0;
  {
    FileSizeLimit limit(44 + 4096 * 2 * 5 + 1001);  // 5 blocks and 500.5 frames fit
    for (; blocks < 10; ++blocks) {
      if (!wave.WriteBlock(data.data() + blocks * 8192, 8192)) break;
    }
  }
  EXPECT_EQ(blocks, 5u);
  EXPECT_TRUE(sink_.Contains(kFailureWritingWaveFile));
  EXPECT_TRUE(wave.Error());
  EXPECT_EQ(wave.Length(), 5 * 4096u + 500u);
  const Bytes working = ReadFile(wave.WorkingPath());
  EXPECT_EQ(GetU32(&working[40]), (5 * 4096u + 500u) * 2);
  wave.SetFileName(Path("kept.wav"));
  ASSERT_TRUE(wave.Save());
  TWaveFile back(Path("kept.wav"), StorageMode::Ram, false, temp_);
  ASSERT_EQ(back.Length(), 5 * 4096u + 500u);
  EXPECT_TRUE(std::equal(data.begin(), data.begin() + back.Length() * 2, Samples(back).begin()));
}

TEST_F(WaveDiskTest, AFailedSaveLeavesTheUsersFileAsItWas) {
  const std::string path = Path("precious.wav");
  MakeFile(path, 100);
  const Bytes before = ReadFile(path);
  const WaveFormat format = MakeWaveFormat(2, 8000, 2);
  TWaveFile wave(20000, format, temp_);
  const Bytes data = Pattern(20000, format);
  ASSERT_TRUE(wave.WriteBlock(data.data(), data.size()));
  wave.SetFileName(path);
  {
    FileSizeLimit limit(40000);
    EXPECT_FALSE(wave.Save());
  }
  EXPECT_TRUE(sink_.Contains(kFailureWritingWaveFile));
  EXPECT_EQ(ReadFile(path), before);
  EXPECT_EQ(CountFiles(dir_), 1u);  // no temporary file left beside it
}

TEST_F(WaveDiskTest, ACalibrationChunkThatCannotBeWrittenIsLeftOut) {
  const WaveFormat format = MakeWaveFormat(1, 8000, 2);
  const Bytes data = Pattern(100, format);
  struct {
    rlim_t limit;
    const char* message;
  } cases[] = {{44 + 200 + 4, kCalibrationChunkCreateError},
               {44 + 200 + 8 + 500, kCalibrationWriteError}};
  for (auto c : cases) {
    sink_.Clear();
    TWaveFile wave(100, format, temp_);
    ASSERT_TRUE(wave.WriteBlock(data.data(), data.size()));
    wave.SetCalibration(SomeCalibration(1.5f));
    wave.SetFileName(Path("nocal.wav"));
    {
      FileSizeLimit limit(c.limit);
      EXPECT_TRUE(wave.Save());
    }
    EXPECT_TRUE(sink_.Contains(c.message)) << c.message;
    EXPECT_FALSE(wave.HasCalibration());
    EXPECT_EQ(ReadFile(Path("nocal.wav")).size(), 44u + 200u);  // saved without the record
  }
}

TEST_F(WaveDiskTest, AFailedSaveKeepsTheRecording) {
  std::string working;
  const WaveFormat format = MakeWaveFormat(1, 8000, 2);
  const Bytes data = Pattern(100, format);
  {
    TWaveFile wave(format, false, temp_);
    ASSERT_TRUE(wave.WriteBlock(data.data(), data.size()));
    working = wave.WorkingPath();
    wave.SetFileName(Path("no/such/folder/x.wav"));
    EXPECT_FALSE(wave.Save());
    EXPECT_FALSE(wave.SaveAndRelease());
  }
  EXPECT_TRUE(sink_.Contains(Format(kWorkingFileKept, working.c_str())));
  TWaveFile kept(working, StorageMode::Ram, false, temp_);
  EXPECT_EQ(Samples(kept), data);
}

TEST_F(WaveDiskTest, SaveAndReleaseForgetsTheFile) {
  for (StorageMode mode : {StorageMode::Ram, StorageMode::Disk}) {
    const WaveFormat format = MakeWaveFormat(2, 8000, 2);
    const Bytes data = Pattern(64, format);
    const std::string target = Path(mode == StorageMode::Ram ? "ram.wav" : "disk.wav");
    std::unique_ptr<TWaveFile> wave = mode == StorageMode::Ram
                                          ? std::make_unique<TWaveFile>(64, format, temp_)
                                          : std::make_unique<TWaveFile>(format, true, temp_);
    ASSERT_TRUE(wave->WriteBlock(data.data(), data.size()));
    wave->SetCalibration(SomeCalibration(4.f));
    wave->SetFileName(target);
    ASSERT_TRUE(wave->SaveAndRelease());
    EXPECT_TRUE(wave->TargetPath().empty());
    EXPECT_TRUE(wave->WorkingPath().empty());
    EXPECT_TRUE(wave->TempDirectory().empty());
    EXPECT_FALSE(wave->HasCalibration());
    EXPECT_EQ(wave->Length(), 0u);
    EXPECT_EQ(wave->ValidLength(), 0u);
    EXPECT_EQ(wave->DataOffset(), 44u);
    EXPECT_EQ(CountFiles(temp_), 0u);
    wave.reset();
    TWaveFile back(target, StorageMode::Ram, false, temp_);
    EXPECT_EQ(Samples(back), data);
    EXPECT_TRUE(back.HasCalibration());
  }
}

TEST_F(WaveDiskTest, DiskOperationsGiveTheSameResultsAsRam) {
  const WaveFormat format = MakeWaveFormat(2, 8000, 3);
  const uint32_t frames = 10000;  // several 4096-frame pieces
  const Bytes data = Pattern(frames, format);
  TWaveFile ram(frames, format, temp_);
  TWaveFile disk(format, false, temp_);
  for (TWaveFile* w : {&ram, &disk}) ASSERT_TRUE(w->WriteBlock(data.data(), data.size()));
  ram.SetFullScale(2.f, 3.f);
  disk.SetFullScale(2.f, 3.f);
  Bytes left(frames * 3), right(frames * 3), a(frames * 3), b(frames * 3);
  for (uint32_t ch : {0u, 1u}) {
    ASSERT_TRUE(ram.ReadChannel(a.data(), 0, frames, ch));
    ASSERT_TRUE(disk.ReadChannel(b.data(), 0, frames, ch));
    EXPECT_EQ(a, b);
    EXPECT_FALSE(disk.ReadChannel(b.data(), frames - 5, 10, ch));
    for (bool scaled : {false, true}) {
      for (bool rms : {false, true}) {
        const SampleExtremes x = ram.MinMax(13, 9000, ch, scaled, rms);
        const SampleExtremes y = disk.MinMax(13, 9000, ch, scaled, rms);
        EXPECT_EQ(x.high, y.high);
        EXPECT_EQ(x.low, y.low);
      }
    }
    EXPECT_EQ(ram.MeanSquare(0, frames, ch), disk.MeanSquare(0, frames, ch));
    uint32_t atRam = 0, atDisk = 1;
    const WaveTrigger t{kTriggerEdge, kSlopeNegative, 150.f};
    EXPECT_EQ(ram.FindTrigger(t, 100, frames, ch, &atRam),
              disk.FindTrigger(t, 100, frames, ch, &atDisk));
    EXPECT_EQ(atRam, atDisk);
    EXPECT_EQ(ram.GetSample(4321, ch, true), disk.GetSample(4321, ch, true));
  }
  const Bytes patch = Pattern(5000, MakeWaveFormat(1, 8000, 3), 9);
  for (TWaveFile* w : {&ram, &disk}) {
    ASSERT_TRUE(w->WriteChannel(patch.data(), 4000, 5000, 1));
    ASSERT_TRUE(w->FillSilence(101, 4999));
    ASSERT_TRUE(w->PutSample(-5, 7, 0));
  }
  EXPECT_EQ(Samples(ram), Samples(disk));
  EXPECT_EQ(ram.Position(), disk.Position());
  // Disk mode appends with PutSample at the length, the other channel silent.
  ASSERT_TRUE(disk.PutSample(42, frames, 1));
  EXPECT_EQ(disk.Length(), frames + 1);
  EXPECT_EQ(disk.GetSample(frames, 0, false), 0.f);
  EXPECT_FALSE(disk.PutSample(42, frames + 5, 1));
  ASSERT_TRUE(disk.Resize(frames + 5000));
  EXPECT_EQ(disk.GetSample(frames + 4999, 1, false), 0.f);
  disk.SetFileName(Path("grown.wav"));
  ASSERT_TRUE(disk.Save());
  TWaveFile back(Path("grown.wav"), StorageMode::Ram, false, temp_);
  EXPECT_EQ(back.Length(), frames + 5000);
}

}  // namespace
}  // namespace orvanix
