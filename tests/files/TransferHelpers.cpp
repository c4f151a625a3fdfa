#include "TransferHelpers.h"

#include <stdlib.h>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace orvanix::test {

namespace fs = std::filesystem;

TScratch::TScratch() {
  // A RAM file system where there is one: the disk-mode tests flush often, which costs
  // seconds on a real disk and nothing there.
  std::error_code error;
  const fs::path base = fs::is_directory("/dev/shm", error) && ::access("/dev/shm", W_OK) == 0
                            ? fs::path("/dev/shm")
                            : fs::temp_directory_path();
  std::string pattern = (base / "orvanix-edit-XXXXXX").string();
  char* made = ::mkdtemp(pattern.data());
  path_ = made ? made : pattern;
}

TScratch::~TScratch() {
  std::error_code ignored;
  fs::remove_all(path_, ignored);
}

Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ReadString(const std::string& path) {
  const Bytes bytes = ReadAll(path);
  return std::string(bytes.begin(), bytes.end());
}

const std::string& Python() {
  static const std::string found = [] {
    for (const char* candidate : {"/usr/bin/python3", "python3"}) {
      const std::string probe =
          std::string(candidate) + " -c 'import numpy, scipy.signal' >/dev/null 2>&1";
      if (std::system(probe.c_str()) == 0) return std::string(candidate);
    }
    return std::string();
  }();
  return found;
}

void WriteAll(const std::string& path, const void* data, size_t bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(static_cast<const char*>(data), static_cast<std::streamsize>(bytes));
}

void WriteText(const std::string& path, const std::string& text) {
  WriteAll(path, text.data(), text.size());
}

bool HaveTool(const char* name) {
  return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

std::string Capture(const std::string& command) {
  std::string out;
  if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[4096];
    size_t n = 0;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    ::pclose(pipe);
  }
  while (!out.empty() && out.back() == '\n') out.pop_back();
  return out;
}

Bytes RandomFrames(uint32_t frames, const WaveFormat& format, uint32_t seed) {
  Bytes out(size_t{frames} * format.BlockAlign());
  uint32_t state = seed;
  const uint32_t bytes = format.bytesPerSample;
  const int64_t span = int64_t{format.maxValue} - format.minValue + 1;
  for (size_t i = 0; i < out.size() / bytes; ++i) {
    state = state * 1664525u + 1013904223u;
    const uint64_t wide = (uint64_t{state} << 16) ^ (state >> 7);
    EncodeSample(&out[i * bytes], bytes, static_cast<int32_t>(format.minValue + wide % span));
  }
  return out;
}

std::unique_ptr<TWaveFile> MakeDocument(const WaveFormat& format, const Bytes& frames,
                                        StorageMode mode, const std::string& tempDir) {
  const uint32_t count = static_cast<uint32_t>(frames.size() / format.BlockAlign());
  auto wave = mode == StorageMode::Ram ? std::make_unique<TWaveFile>(count, format, tempDir)
                                       : std::make_unique<TWaveFile>(format, false, tempDir);
  if (wave->Error()) return nullptr;
  wave->Rewind();
  if (!frames.empty() && !wave->WriteBlock(frames.data(), frames.size())) return nullptr;
  wave->Rewind();
  return wave;
}

Bytes AllFrames(const TWaveFile& wave) {
  const WaveFormat& format = wave.Format();
  Bytes out(size_t{wave.Length()} * format.BlockAlign());
  for (uint32_t i = 0; i < wave.Length(); ++i) {
    for (uint32_t c = 0; c < format.channels; ++c) {
      const auto raw = static_cast<int32_t>(wave.GetSample(i, c, false));
      EncodeSample(&out[size_t{i} * format.BlockAlign() + c * format.bytesPerSample],
                   format.bytesPerSample, raw);
    }
  }
  return out;
}

int32_t SampleAt(const Bytes& frames, const WaveFormat& format, size_t i, uint32_t c) {
  const size_t at = i * format.BlockAlign() + c * format.bytesPerSample;
  return DecodeSample(&frames[at], format.bytesPerSample, format.zeroValue);
}

TSmallDisk::TSmallDisk(uint32_t megabytes) {
  std::string pattern = (fs::temp_directory_path() / "orvanix-disk-XXXXXX").string();
  char* made = ::mkdtemp(pattern.data());
  if (!made) {
    why_ = "no folder for the mount point";
    return;
  }
  path_ = made;
  const std::string size = "size=" + std::to_string(megabytes) + "m,mode=0700";
  if (::mount("tmpfs", path_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, size.c_str()) == 0) {
    mounted_ = true;
  } else {
    why_ = std::string("cannot mount a tmpfs here: ") + std::strerror(errno);
  }
}

TSmallDisk::~TSmallDisk() {
  if (mounted_) ::umount2(path_.c_str(), MNT_DETACH);
  if (!path_.empty()) ::rmdir(path_.c_str());
}

void TSmallDisk::FillLeaving(uint64_t bytesLeft) {
  const std::string filler = File("filler");
  std::FILE* out = std::fopen(filler.c_str(), "ab");
  if (!out) return;
  static const char zeros[1 << 20] = {};
  for (;;) {
    struct statvfs info;
    if (::statvfs(path_.c_str(), &info) != 0) break;
    const uint64_t free = uint64_t{info.f_bavail} * info.f_frsize;
    if (free <= bytesLeft) break;
    const size_t chunk = static_cast<size_t>(std::min<uint64_t>(sizeof zeros, free - bytesLeft));
    if (std::fwrite(zeros, 1, chunk, out) != chunk || std::fflush(out) != 0) break;
  }
  std::fclose(out);
}

}  // namespace orvanix::test
