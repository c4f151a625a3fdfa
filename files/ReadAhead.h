// TReadAhead: a read-ahead buffer for a file read front to back in small pieces (a disk-mode
// wave document analysed block by block, or drawn sample by sample). A read that moves
// forward from the previous one, overlapping it or right after it, fills a 256 KiB buffer,
// and reads are served from it while they fall inside; other reads go straight to the file,
// so random access costs no more than before.
// The buffer knows nothing of writes: its owner calls Invalidate() on every change of the
// file (write, truncation, reopening), before the change.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace orvanix {

class TReadAhead {
 public:
  static constexpr size_t kBufferBytes = size_t{256} << 10;

  // Reads `bytes` bytes at `offset` of `fd` into dest; the buffer never holds bytes at or
  // past `limit` (the end of what the owner lets be read). False when the read failed.
  bool Read(int fd, uint64_t offset, void* dest, size_t bytes, uint64_t limit);
  void Invalidate();
  // For tests: whether the last Read was served from the buffer.
  bool LastReadBuffered() const { return lastBuffered_; }

 private:
  struct AlignedDeleter {
    void operator()(uint8_t* p) const;
  };
  bool Fill(int fd, uint64_t offset, size_t bytes, uint64_t limit);

  std::unique_ptr<uint8_t, AlignedDeleter> buffer_;
  int fd_ = -1;                        // the file the buffer holds bytes of; -1: none
  uint64_t start_ = 0;                 // file offset of buffer_[0]
  size_t size_ = 0;                    // bytes held
  uint64_t lastStart_ = ~uint64_t{0};  // the previous read: start and end
  uint64_t lastEnd_ = ~uint64_t{0};
  bool lastBuffered_ = false;
};

}  // namespace orvanix
