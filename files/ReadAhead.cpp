#include "files/ReadAhead.h"

#include <cstring>
#include <new>

#include "files/Riff.h"

namespace orvanix {

namespace {

// Buffer fills end on a page boundary of the file, so that the reads after them start on one.
constexpr uint64_t kPageBytes = 4096;
constexpr std::align_val_t kBufferAlignment{4096};

}  // namespace

void TReadAhead::AlignedDeleter::operator()(uint8_t* p) const {
  ::operator delete[](p, kBufferAlignment);
}

void TReadAhead::Invalidate() {
  fd_ = -1;
  size_ = 0;
  lastStart_ = lastEnd_ = ~uint64_t{0};
}

bool TReadAhead::Read(int fd, uint64_t offset, void* dest, size_t bytes, uint64_t limit) {
  lastBuffered_ = false;
  const uint64_t end = offset + bytes;
  // Moving forward from the previous read, overlapping it or right after it (analysis blocks
  // overlap by their overlap setting).
  const bool sequential = offset > lastStart_ && offset <= lastEnd_;
  lastStart_ = offset;
  lastEnd_ = end;
  if (fd != fd_ || offset < start_ || end > start_ + size_) {
    // Only a piece of a front-to-back read is worth a fill; a large piece gains nothing.
    if (!sequential || bytes > kBufferBytes / 4 || end > limit || !Fill(fd, offset, bytes, limit)) {
      return ReadAt(fd, offset, dest, bytes);
    }
  }
  std::memcpy(dest, buffer_.get() + (offset - start_), bytes);
  lastBuffered_ = true;
  return true;
}

bool TReadAhead::Fill(int fd, uint64_t offset, size_t bytes, uint64_t limit) {
  if (!buffer_) {
    buffer_.reset(
        static_cast<uint8_t*>(::operator new[](kBufferBytes, kBufferAlignment, std::nothrow)));
    if (!buffer_) return false;
  }
  Invalidate();
  uint64_t end = (offset + kBufferBytes) / kPageBytes * kPageBytes;
  if (end < offset + bytes) end = offset + kBufferBytes;
  if (end > limit) end = limit;
  // A file cut short behind our back: the caller's own read reports it.
  if (!ReadAt(fd, offset, buffer_.get(), static_cast<size_t>(end - offset))) return false;
  fd_ = fd;
  start_ = offset;
  size_ = static_cast<size_t>(end - offset);
  lastStart_ = offset;
  lastEnd_ = offset + bytes;
  return true;
}

}  // namespace orvanix
