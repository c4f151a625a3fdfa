// The edit operations on a one-hour 48 kHz stereo 16-bit document in disk mode (691 MB), and
// the import of a 100 MB text file. The documents live in $ORVANIX_BENCH_DIR (default: the
// temporary folder), on the disk whose speed they measure. Bytes per second count what the
// operation reads and writes (a move reads and writes every frame it moves).
//
//   build-bench/bench/orvanix_edit_bench --benchmark_filter=Edit
//
// BM_DiskCopyBaseline copies the same amount within one file in 1 MB pieces with plain
// pread/pwrite: what the disk itself does, for comparison with the edits' 4096-frame pieces.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/Messages.h"
#include "files/Importer.h"
#include "files/WaveEdits.h"
#include "files/WaveFile.h"

namespace orvanix {
namespace {

namespace fs = std::filesystem;

constexpr uint32_t kRate = 48000;
constexpr uint32_t kHourFrames = kRate * 3600;
constexpr uint32_t kAlign = 4;

std::string BenchFolder() {
  const char* dir = std::getenv("ORVANIX_BENCH_DIR");
  std::string pattern =
      (fs::path(dir && *dir ? dir : fs::temp_directory_path().c_str()) / "orvanix-bench-XXXXXX")
          .string();
  const char* made = ::mkdtemp(pattern.data());
  return made ? made : fs::temp_directory_path().string();
}

// One document for every benchmark of the run: writing 691 MB takes a while.
struct THour {
  THour() : folder(BenchFolder()) {
    SetMessageSink(&sink);
    const WaveFormat format = MakeWaveFormat(2, kRate, 2);
    doc = std::make_unique<TWaveFile>(format, false, folder);
    std::vector<uint8_t> block(size_t{kPieceFrames} * 64 * kAlign);
    uint32_t state = 1;
    for (auto& b : block) b = static_cast<uint8_t>((state = state * 1664525u + 1013904223u) >> 24);
    doc->Rewind();
    for (uint32_t done = 0; done < kHourFrames;) {
      const uint32_t n = std::min<uint32_t>(kHourFrames - done, block.size() / kAlign);
      if (!doc->WriteBlock(block.data(), size_t{n} * kAlign)) break;
      done += n;
    }
  }
  ~THour() {
    doc.reset();
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }
  std::string folder;
  TRecordingSink sink;
  std::unique_ptr<TWaveFile> doc;
};

THour& Hour() {
  static THour hour;
  return hour;
}

// Cut 10 s from the middle (the second half moves down), then Undo (it moves back up).
void BM_EditCutAndUndoOneHourDisk(benchmark::State& state) {
  TWaveFile& doc = *Hour().doc;
  const TFrameRange range{kHourFrames / 2, kHourFrames / 2 + 10 * kRate};
  uint64_t bytes = 0;
  for (auto _ : state) {
    TWaveImage image;
    if (!CutSelection(doc, range, image) || !doc.ApplyUndo()) state.SkipWithError("edit failed");
    // Cut: the clipboard image, the undo file and the tail read and written; undo the same.
    const uint64_t tail = uint64_t{kHourFrames - range.end} * kAlign;
    bytes += 2 * (2 * tail + 2 * uint64_t{range.Count()} * kAlign);
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

// Paste Insert of 10 s in the middle, then Undo.
void BM_EditPasteAndUndoOneHourDisk(benchmark::State& state) {
  TWaveFile& doc = *Hour().doc;
  TWaveImage image;
  MakeWaveImage(doc, 0, 10 * kRate, image);
  auto clip = OpenWaveImage(image.bytes.get(), image.size, Hour().folder, StorageMode::Disk, false);
  uint64_t bytes = 0;
  for (auto _ : state) {
    doc.Seek(kHourFrames / 2);
    if (!PasteInsert(doc, *clip, kHourFrames / 2) || !doc.ApplyUndo()) {
      state.SkipWithError("edit failed");
    }
    const uint64_t tail = uint64_t{kHourFrames / 2} * kAlign;
    bytes += 2 * (2 * tail + 2 * uint64_t{clip->Length()} * kAlign);
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

// Gain Adjust over 10 minutes (its undo file first), then Undo.
void BM_EditGainAndUndoOneHourDisk(benchmark::State& state) {
  TWaveFile& doc = *Hour().doc;
  const TFrameRange range{kRate * 600, kRate * 1200};
  uint64_t bytes = 0;
  for (auto _ : state) {
    TGainJob gain(doc, range, -3.0, -3.0);
    if (!RunToEnd(gain) || !doc.ApplyUndo()) state.SkipWithError("edit failed");
    bytes += 3 * 2 * uint64_t{range.Count()} * kAlign;
  }
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

void BM_DiskCopyBaseline(benchmark::State& state) {
  TWaveFile& doc = *Hour().doc;
  const int fd = ::open(doc.WorkingPath().c_str(), O_RDWR | O_CLOEXEC);
  std::vector<uint8_t> buffer(1 << 20);
  const uint64_t half = uint64_t{kHourFrames / 2} * kAlign;
  uint64_t bytes = 0;
  for (auto _ : state) {
    // Read the second half and write it back where it was: as much I/O as a move of it.
    for (uint64_t at = 0; at < half; at += buffer.size()) {
      const uint64_t offset = doc.DataOffset() + half + at;
      const size_t n = static_cast<size_t>(std::min<uint64_t>(buffer.size(), half - at));
      if (::pread(fd, buffer.data(), n, static_cast<off_t>(offset)) != static_cast<ssize_t>(n) ||
          ::pwrite(fd, buffer.data(), n, static_cast<off_t>(offset)) != static_cast<ssize_t>(n)) {
        state.SkipWithError("copy failed");
        break;
      }
    }
    ::fdatasync(fd);
    bytes += 2 * half;
  }
  ::close(fd);
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

// A 100 MB stereo ASCII integer file imported into a disk-mode document.
void BM_ImportText100MB(benchmark::State& state) {
  const std::string folder = BenchFolder();
  const std::string path = folder + "/big.txt";
  uint64_t size = 0;
  {
    std::FILE* out = std::fopen(path.c_str(), "w");
    uint32_t seed = 7;
    char line[32];
    while (size < 100000000ull) {
      seed = seed * 1664525u + 1013904223u;
      const int n =
          std::snprintf(line, sizeof line, "%d,%d\n", static_cast<int>(seed >> 16) - 32768,
                        static_cast<int>(seed & 0xFFFF) - 32768);
      std::fwrite(line, 1, static_cast<size_t>(n), out);
      size += static_cast<uint64_t>(n);
    }
    std::fclose(out);
  }
  TRecordingSink sink;
  TScopedMessageSink scope(&sink);
  TImportOptions options;
  options.channels = 2;
  options.sampleRateHz = kRate;
  for (auto _ : state) {
    TImporter job(path, options, TWaveTarget{StorageMode::Disk, false, folder});
    if (!RunToEnd(job)) state.SkipWithError("import failed");
    state.counters["frames"] = static_cast<double>(job.Frames());
  }
  state.SetBytesProcessed(static_cast<int64_t>(size * state.iterations()));
  std::error_code ignored;
  fs::remove_all(folder, ignored);
}

BENCHMARK(BM_DiskCopyBaseline)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_EditCutAndUndoOneHourDisk)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_EditPasteAndUndoOneHourDisk)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_EditGainAndUndoOneHourDisk)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ImportText100MB)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace orvanix
