// A file written piece by piece that replaces its target only once it is complete: the pieces
// go to a new temporary file beside the target (the real file when the target is a symbolic
// link), which Commit() flushes, gives the old file's permissions and renames over the
// target. Until then, and after Abandon() or a failure, the target is untouched; the
// temporary file is removed unless committed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace orvanix {

class TReplacingFile {
 public:
  TReplacingFile() = default;
  ~TReplacingFile();
  TReplacingFile(const TReplacingFile&) = delete;
  TReplacingFile& operator=(const TReplacingFile&) = delete;

  // Creates the temporary file; false (errno set) when it cannot be made.
  bool Open(const std::string& target);
  // Appends bytes; false on a failure (errno set: ENOSPC for a full disk).
  bool Append(const void* data, size_t bytes);
  // Flushes, renames over the target and makes the rename durable; false on a failure (the
  // temporary file is removed, the target untouched).
  bool Commit();
  // Removes the temporary file.
  void Abandon();

  bool IsOpen() const { return fd_ >= 0; }
  // The temporary file, for a writer of its own (libsndfile); Append's size is then unknown.
  int Fd() const { return fd_; }
  uint64_t Size() const { return size_; }
  const std::string& TemporaryPath() const { return temp_; }

 private:
  int fd_ = -1;
  std::string real_;
  std::string temp_;
  uint64_t size_ = 0;
};

}  // namespace orvanix
