// Feeds arbitrary bytes, as a file, to the wave reader in RAM mode, in disk mode on a backup
// copy and in disk mode in place; whatever opens is read all over, and the in-place object is
// also written to, which must leave a file that reads back with the same length.
#include <stdlib.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/Messages.h"
#include "files/Riff.h"
#include "files/WaveFile.h"

namespace orvanix {
namespace {

struct Scratch {
  Scratch() {
    char name[] = "/dev/shm/wavfuzzXXXXXX";
    char fallback[] = "/tmp/wavfuzzXXXXXX";
    const char* made = ::mkdtemp(name);
    dir = made ? made : ::mkdtemp(fallback);
    temp = dir + "/tmp";
    std::filesystem::create_directory(temp);
    input = dir + "/input.wav";
    SetMessageSink(&sink);
  }
  ~Scratch() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  std::string dir, temp, input;
  TRecordingSink sink{false};
};

void WriteInput(const std::string& path, const uint8_t* data, size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  if (size) std::fwrite(data, 1, size, f);
  std::fclose(f);
}

void Exercise(TWaveFile& wave) {
  const uint32_t length = wave.Length();
  std::vector<uint8_t> block(4096 * wave.BlockAlign() + 7);
  wave.Rewind();
  for (int i = 0; i < 4 && wave.ReadBlock(block.data(), block.size()); ++i) {
  }
  const uint32_t count = length < 4096 ? length : 4096;
  wave.ReadChannel(block.data(), length - count, count, 1);
  wave.GetSample(0, 0, true);
  wave.GetSample(length ? length - 1 : 0, 1, false);
  wave.GetSample(length, 1, true);
  wave.MinMax(0, 8192, 1, true, true);
  wave.MeanSquare(length > 100 ? length - 100 : 0, length, 0);
  wave.FindTrigger({kTriggerEdge, kSlopePositive, 1.f}, 0, 8192, 0);
  TCalibration record;
  wave.GetCalibration(record);
}

}  // namespace
}  // namespace orvanix

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvanix;
  static Scratch scratch;
  scratch.sink.Clear();
  WriteInput(scratch.input, data, size);
  {
    TWaveFile ram(scratch.input, StorageMode::Ram, false, scratch.temp);
    if (!ram.Error()) Exercise(ram);
  }
  {
    TWaveFile backup(scratch.input, StorageMode::Disk, true, scratch.temp);
    if (!backup.Error()) Exercise(backup);
  }
  uint32_t length = 0;
  bool opened = false;
  {
    TWaveFile inPlace(scratch.input, StorageMode::Disk, false, scratch.temp);
    if (!inPlace.Error()) {
      opened = true;
      Exercise(inPlace);
      inPlace.PutSample(1, 0, 1);
      inPlace.SeekToEnd();
      std::vector<uint8_t> silence(16 * inPlace.BlockAlign(), 0);
      inPlace.WriteBlock(silence.data(), silence.size());
      if (data[0] & 1) inPlace.Resize(inPlace.Length() / 2 + 1);
      if (data[0] & 2) inPlace.SetCalibration(TCalibration{});
      inPlace.Save();
      length = inPlace.Length();
    }
  }
  if (opened) {
    // Our own writes must leave a file that opens with what we wrote.
    TWaveFile again(scratch.input, StorageMode::Ram, false, scratch.temp);
    if (again.Error() || again.Length() != length) __builtin_trap();
  }
  if (!std::filesystem::is_empty(scratch.temp)) __builtin_trap();  // a temporary file leaked
  return 0;
}
