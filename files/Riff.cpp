#include "files/Riff.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <limits>

namespace orvanix {

namespace {
// One pread/pwrite moves at most this much; Linux stops near 2 GiB per call anyway.
constexpr size_t kMaxTransfer = size_t{1} << 30;

bool OffsetFits(uint64_t offset, size_t bytes) {
  constexpr uint64_t kMaxOffset = static_cast<uint64_t>(std::numeric_limits<off_t>::max());
  return offset <= kMaxOffset && bytes <= kMaxOffset - offset;
}
}  // namespace

float GetF32(const uint8_t* p) {
  const uint32_t bits = GetU32(p);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

void PutF32(uint8_t* p, float v) {
  uint32_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  PutU32(p, bits);
}

bool ReadAt(int fd, uint64_t offset, void* dest, size_t bytes) {
  if (!OffsetFits(offset, bytes)) return false;
  auto* out = static_cast<uint8_t*>(dest);
  while (bytes > 0) {
    const size_t piece = bytes < kMaxTransfer ? bytes : kMaxTransfer;
    const ssize_t got = ::pread(fd, out, piece, static_cast<off_t>(offset));
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (got == 0) return false;  // the file ended first
    out += got;
    offset += static_cast<uint64_t>(got);
    bytes -= static_cast<size_t>(got);
  }
  return true;
}

bool WriteAt(int fd, uint64_t offset, const void* src, size_t bytes, size_t* written) {
  size_t done = 0;
  if (written) *written = 0;
  if (!OffsetFits(offset, bytes)) {
    errno = EFBIG;
    return false;
  }
  const auto* in = static_cast<const uint8_t*>(src);
  while (done < bytes) {
    const size_t left = bytes - done;
    const size_t piece = left < kMaxTransfer ? left : kMaxTransfer;
    const ssize_t put = ::pwrite(fd, in + done, piece, static_cast<off_t>(offset + done));
    if (put < 0) {
      if (errno == EINTR) continue;
      if (written) *written = done;
      return false;
    }
    if (put == 0) {
      errno = ENOSPC;
      if (written) *written = done;
      return false;
    }
    done += static_cast<size_t>(put);
  }
  if (written) *written = done;
  return true;
}

bool FileSizeOf(int fd, uint64_t& size) {
  struct stat info;
  if (::fstat(fd, &info) != 0 || info.st_size < 0) return false;
  size = static_cast<uint64_t>(info.st_size);
  return true;
}

RiffStatus TRiffWalker::Next(RiffChunk& chunk) {
  if (offset_ >= limit_ || limit_ - offset_ < kChunkHeaderBytes) return RiffStatus::End;
  if (count_ >= maxChunks_) return RiffStatus::TooMany;
  uint8_t header[kChunkHeaderBytes];
  if (!ReadAt(fd_, offset_, header, sizeof header)) return RiffStatus::ReadError;
  ++count_;
  chunk.id = GetU32(header);
  chunk.size = GetU32(header + 4);
  chunk.headerOffset = offset_;
  chunk.dataOffset = offset_ + kChunkHeaderBytes;
  // Both sides are 64-bit and below 2^33 + limit: no wrap for sizes near 2^32.
  if (chunk.size > limit_ - chunk.dataOffset) return RiffStatus::PastLimit;
  offset_ = chunk.PaddedEnd();
  return RiffStatus::Ok;
}

}  // namespace orvanix
