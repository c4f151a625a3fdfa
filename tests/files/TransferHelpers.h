// Shared by the import, export and edit tests: a scratch folder, documents with known
// samples, whole-file reads and small Python/sox runs that check our files independently.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine/Messages.h"
#include "engine/WaveFormat.h"
#include "files/WaveFile.h"

namespace orvanix::test {

using Bytes = std::vector<uint8_t>;

// A fresh folder under the temporary folder, removed with everything in it.
class TScratch {
 public:
  TScratch();
  ~TScratch();
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

Bytes ReadAll(const std::string& path);
std::string ReadString(const std::string& path);
void WriteAll(const std::string& path, const void* data, size_t bytes);
void WriteText(const std::string& path, const std::string& text);
bool HaveTool(const char* name);
// An interpreter with numpy and SciPy (Debian's belong to /usr/bin/python3, which a version
// manager's python3 earlier on the PATH may not see); empty when there is none.
const std::string& Python();
// Runs a shell command; its standard output without the trailing newline.
std::string Capture(const std::string& command);

// Seeded pseudo-random samples covering the whole range of the format.
Bytes RandomFrames(uint32_t frames, const WaveFormat& format, uint32_t seed = 1);
// A document holding `frames` (interleaved bytes): RAM, or disk mode (a new disk recording).
std::unique_ptr<TWaveFile> MakeDocument(const WaveFormat& format, const Bytes& frames,
                                        StorageMode mode, const std::string& tempDir);
// Every frame of a document, read without moving its position.
Bytes AllFrames(const TWaveFile& wave);
// One sample (raw) of frame `i`, channel `c`, from interleaved bytes.
int32_t SampleAt(const Bytes& frames, const WaveFormat& format, size_t i, uint32_t c);

// A mounted tmpfs of `megabytes` MB, unmounted and removed with the object; Mounted() is
// false (with the reason in Why()) when this process may not mount one.
class TSmallDisk {
 public:
  explicit TSmallDisk(uint32_t megabytes);
  ~TSmallDisk();
  bool Mounted() const { return mounted_; }
  const std::string& Why() const { return why_; }
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  // Fills the disk until fewer than `bytesLeft` bytes remain free.
  void FillLeaving(uint64_t bytesLeft);

 private:
  std::string path_;
  bool mounted_ = false;
  std::string why_;
};

}  // namespace orvanix::test
