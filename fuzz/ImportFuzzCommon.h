// Shared by the import fuzz targets: a scratch folder on a RAM file system where there is one,
// the input written as a file, and an import run to its end whose result is checked.
#pragma once

#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "engine/Messages.h"
#include "files/Importer.h"

namespace orvanix::fuzz {

struct Scratch {
  Scratch() {
    char name[] = "/dev/shm/importfuzzXXXXXX";
    char fallback[] = "/tmp/importfuzzXXXXXX";
    const char* made = ::mkdtemp(name);
    dir = made ? made : ::mkdtemp(fallback);
    input = dir + "/input";
    SetMessageSink(&sink);
  }
  ~Scratch() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  std::string dir, input;
  TRecordingSink sink{false};
};

inline void WriteInput(const std::string& path, const uint8_t* data, size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  if (size) std::fwrite(data, 1, size, f);
  std::fclose(f);
}

// Imports into RAM and on disk; a successful import must hold as many frames as it counted,
// a failed one must have said why.
inline void ImportBoth(Scratch& s, const TImportOptions& options) {
  for (StorageMode mode : {StorageMode::Ram, StorageMode::Disk}) {
    s.sink.Clear();
    TImporter job(s.input, options, TWaveTarget{mode, false, s.dir});
    const bool ok = RunToEnd(job);
    auto doc = job.TakeDocument();
    if (ok && (!doc || doc->Length() != job.Frames())) std::abort();
    if (!ok && s.sink.Entries().empty()) std::abort();
  }
}

}  // namespace orvanix::fuzz
