// The RIFF layer: little-endian integers and the chunk walker's bounds.
#include "files/Riff.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace orvanix {
namespace {

// A file holding given bytes, removed afterwards.
class TempBytes {
 public:
  explicit TempBytes(const std::vector<uint8_t>& bytes) {
    char name[] = "/tmp/riffXXXXXX";
    fd_ = ::mkstemp(name);
    path_ = name;
    EXPECT_TRUE(WriteAt(fd_, 0, bytes.data(), bytes.size()));
  }
  ~TempBytes() {
    ::close(fd_);
    ::unlink(path_.c_str());
  }
  int fd() const { return fd_; }

 private:
  int fd_;
  std::string path_;
};

void Append(std::vector<uint8_t>& out, const char* id, uint32_t size, uint32_t contentBytes) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(id[i]));
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(size >> (8 * i)));
  for (uint32_t i = 0; i < contentBytes; ++i) out.push_back(0xAB);
}

TEST(RiffTest, LittleEndianIntegersAndFloats) {
  uint8_t b[4];
  PutU32(b, 0x12345678u);
  EXPECT_EQ(b[0], 0x78);
  EXPECT_EQ(b[3], 0x12);
  EXPECT_EQ(GetU32(b), 0x12345678u);
  PutU16(b, 0xBEEF);
  EXPECT_EQ(b[0], 0xEF);
  EXPECT_EQ(GetU16(b), 0xBEEF);
  PutI32(b, -2);
  EXPECT_EQ(GetU32(b), 0xFFFFFFFEu);
  EXPECT_EQ(GetI32(b), -2);
  PutF32(b, 1.0f);  // IEEE 754: 0x3F800000
  EXPECT_EQ(b[3], 0x3F);
  EXPECT_EQ(b[2], 0x80);
  EXPECT_EQ(GetF32(b), 1.0f);
  EXPECT_EQ(FourCc('d', 'a', 't', 'a'), 0x61746164u);
}

TEST(RiffTest, WalksChunksAndSkipsPadBytesOfOddSizes) {
  std::vector<uint8_t> file;
  Append(file, "abcd", 3, 4);  // odd size: 3 bytes and a pad byte
  Append(file, "efgh", 0, 0);
  Append(file, "ijkl", 2, 2);
  TempBytes temp(file);
  TRiffWalker walker(temp.fd(), 0, file.size());
  RiffChunk c;
  ASSERT_EQ(walker.Next(c), RiffStatus::Ok);
  EXPECT_EQ(c.id, FourCc('a', 'b', 'c', 'd'));
  EXPECT_EQ(c.size, 3u);
  EXPECT_EQ(c.dataOffset, 8u);
  EXPECT_EQ(c.PaddedEnd(), 12u);
  ASSERT_EQ(walker.Next(c), RiffStatus::Ok);
  EXPECT_EQ(c.id, FourCc('e', 'f', 'g', 'h'));
  EXPECT_EQ(c.headerOffset, 12u);
  ASSERT_EQ(walker.Next(c), RiffStatus::Ok);
  EXPECT_EQ(c.id, FourCc('i', 'j', 'k', 'l'));
  EXPECT_EQ(walker.Next(c), RiffStatus::End);
}

TEST(RiffTest, OddLastChunkWithoutItsPadByteEndsTheWalk) {
  std::vector<uint8_t> file;
  Append(file, "abcd", 5, 5);  // the pad byte is missing at the end of the file
  TempBytes temp(file);
  TRiffWalker walker(temp.fd(), 0, file.size());
  RiffChunk c;
  ASSERT_EQ(walker.Next(c), RiffStatus::Ok);
  EXPECT_EQ(walker.Next(c), RiffStatus::End);
}

TEST(RiffTest, SizesPastTheLimitAreRefusedWithoutWrapping) {
  for (uint32_t size : {0xFFFFFFFFu, 0xFFFFFFF8u, 0xFFFFFFF7u, 0x80000000u, 17u}) {
    std::vector<uint8_t> file;
    Append(file, "abcd", size, 16);
    TempBytes temp(file);
    TRiffWalker walker(temp.fd(), 0, file.size());
    RiffChunk c;
    EXPECT_EQ(walker.Next(c), RiffStatus::PastLimit) << size;
    EXPECT_EQ(c.size, size);  // the header is still reported
  }
}

TEST(RiffTest, PartialHeaderAtTheEndIsTheEnd) {
  std::vector<uint8_t> file;
  Append(file, "abcd", 2, 2);
  file.insert(file.end(), {'x', 'y', 'z'});  // 3 stray bytes: not a header
  TempBytes temp(file);
  TRiffWalker walker(temp.fd(), 0, file.size());
  RiffChunk c;
  ASSERT_EQ(walker.Next(c), RiffStatus::Ok);
  EXPECT_EQ(walker.Next(c), RiffStatus::End);
}

TEST(RiffTest, ChunkCountIsBounded) {
  std::vector<uint8_t> file;
  for (int i = 0; i < 10; ++i) Append(file, "tiny", 0, 0);
  TempBytes temp(file);
  TRiffWalker walker(temp.fd(), 0, file.size(), 4);
  RiffChunk c;
  for (int i = 0; i < 4; ++i) ASSERT_EQ(walker.Next(c), RiffStatus::Ok);
  EXPECT_EQ(walker.Next(c), RiffStatus::TooMany);
}

TEST(RiffTest, WalkStaysInsideItsParent) {
  // A chunk that fits the file but not the parent range [0, 12) is refused.
  std::vector<uint8_t> file;
  Append(file, "abcd", 8, 8);
  TempBytes temp(file);
  TRiffWalker walker(temp.fd(), 0, 12);
  RiffChunk c;
  EXPECT_EQ(walker.Next(c), RiffStatus::PastLimit);
}

TEST(RiffTest, ExactReadsFailAtTheEndOfTheFile) {
  TempBytes temp({1, 2, 3, 4});
  uint8_t b[4];
  EXPECT_TRUE(ReadAt(temp.fd(), 0, b, 4));
  EXPECT_FALSE(ReadAt(temp.fd(), 1, b, 4));
  EXPECT_FALSE(ReadAt(temp.fd(), 0xFFFFFFFFFFFFull, b, 1));
  uint64_t size = 0;
  ASSERT_TRUE(FileSizeOf(temp.fd(), size));
  EXPECT_EQ(size, 4u);
}

}  // namespace
}  // namespace orvanix
