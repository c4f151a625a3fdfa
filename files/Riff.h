// A small RIFF layer: little-endian integers, exact reads and writes by file descriptor, and a
// chunk walker that checks every chunk against the end of its parent before anything trusts it.
//
// A chunk is an 8-byte header (u32 id, u32 size, little-endian) followed by `size` bytes of
// contents and one pad byte when `size` is odd. All offsets are 64-bit: `offset + 8 + size` of a
// chunk near 2^32 cannot wrap, and every chunk advances the walk by at least 8 bytes, so a walk
// over a file of n bytes ends after at most n / 8 steps (and `maxChunks` bounds it further).
#pragma once

#include <cstddef>
#include <cstdint>

namespace orvanix {

// Chunk ids as the u32 their four bytes make when read little-endian.
constexpr uint32_t FourCc(char a, char b, char c, char d) {
  return uint32_t{static_cast<uint8_t>(a)} | (uint32_t{static_cast<uint8_t>(b)} << 8) |
         (uint32_t{static_cast<uint8_t>(c)} << 16) | (uint32_t{static_cast<uint8_t>(d)} << 24);
}
inline constexpr uint32_t kRiffId = FourCc('R', 'I', 'F', 'F');
inline constexpr uint32_t kWaveId = FourCc('W', 'A', 'V', 'E');
inline constexpr uint32_t kFmtId = FourCc('f', 'm', 't', ' ');
inline constexpr uint32_t kDataId = FourCc('d', 'a', 't', 'a');
inline constexpr uint32_t kListId = FourCc('L', 'I', 'S', 'T');

inline constexpr uint32_t kChunkHeaderBytes = 8;

// Little-endian access to a byte buffer; the caller guarantees the bytes exist.
inline uint16_t GetU16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t GetU32(const uint8_t* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}
inline int32_t GetI32(const uint8_t* p) {
  return static_cast<int32_t>(GetU32(p));
}
float GetF32(const uint8_t* p);  // IEEE 754 single, little-endian
inline void PutU16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v & 0xFF);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void PutU32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>((v >> (8 * i)) & 0xFF);
}
inline void PutI32(uint8_t* p, int32_t v) {
  PutU32(p, static_cast<uint32_t>(v));
}
void PutF32(uint8_t* p, float v);

// Reads exactly `bytes` at `offset` (retrying short reads and EINTR). False on an error or
// when the file ends first.
bool ReadAt(int fd, uint64_t offset, void* dest, size_t bytes);
// Writes all `bytes` at `offset`. On failure `*written` (when given) says how many bytes did
// reach the file and errno is left as the failing call set it (ENOSPC for a full disk).
bool WriteAt(int fd, uint64_t offset, const void* src, size_t bytes, size_t* written = nullptr);
// Size of an open file in bytes.
bool FileSizeOf(int fd, uint64_t& size);

struct RiffChunk {
  uint32_t id = 0;
  uint32_t size = 0;          // contents in bytes, as the header says
  uint64_t headerOffset = 0;  // file offset of the 8-byte header
  uint64_t dataOffset = 0;    // file offset of the first content byte
  uint64_t End() const { return dataOffset + size; }
  uint64_t PaddedEnd() const { return End() + (size & 1u); }
};

enum class RiffStatus {
  Ok,         // `chunk` holds the next chunk; its contents lie within the limit
  End,        // no room for another header before the limit (a trailing partial header too)
  PastLimit,  // a header whose contents run past the limit (a lying or truncated size)
  TooMany,    // more than `maxChunks` chunks
  ReadError,  // the file could not be read
};

// Walks the chunks that fill [begin, limit) of a file: the top level of a file (begin 0, limit
// the file size) or the contents of a RIFF chunk. The pad byte of an odd-sized last chunk may
// be missing at the limit, as many writers leave it out.
class TRiffWalker {
 public:
  TRiffWalker(int fd, uint64_t begin, uint64_t limit, uint32_t maxChunks = 4096)
      : fd_(fd), offset_(begin), limit_(limit), maxChunks_(maxChunks) {}

  RiffStatus Next(RiffChunk& chunk);

 private:
  int fd_;
  uint64_t offset_;
  uint64_t limit_;
  uint32_t maxChunks_;
  uint32_t count_ = 0;
};

}  // namespace orvanix
