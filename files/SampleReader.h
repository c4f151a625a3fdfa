// Reads the values of an import file frame by frame: text lines of one or two numbers, or
// binary values of one width. Used twice per import, once to examine the file (count the
// frames, find the smallest and largest value) and once to convert it.
//
// Malformed input is refused with a message that names the line or byte: a line longer than
// 255 characters, a line without the expected numbers (a NUL byte, letters, a missing second
// value), a value that is not finite. Blank lines are skipped; CR LF line ends and a UTF-8
// byte order mark at the start are accepted. Nothing is sized by a number from the file.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace orvanix {

struct TSampleLayout {
  enum class Kind {
    Text,      // one line per frame, values separated by a comma and/or blanks
    Offset8,   // unsigned bytes, 127 for 0 (read as byte - 127)
    Signed8,   // two's-complement bytes
    Signed16,  // little-endian
    Signed32,  // little-endian
    Float32,   // IEEE single, little-endian
  };
  Kind kind = Kind::Text;
  uint32_t channels = 1;     // 1 or 2
  uint64_t headerLines = 0;  // text: lines skipped first (counted by their line ends)
  uint64_t dataOffset = 0;   // binary: byte offset of the first value
  uint64_t maxFrames = std::numeric_limits<uint64_t>::max();  // frames read at most
};

class TSampleReader {
 public:
  TSampleReader() = default;
  ~TSampleReader();
  TSampleReader(const TSampleReader&) = delete;
  TSampleReader& operator=(const TSampleReader&) = delete;

  // Opens the file and skips the header. False with Message() set: the file cannot be
  // opened (kFailureOpeningSource), or a binary header is larger than the file.
  bool Open(const std::string& path, const TSampleLayout& layout);
  // Back to the first value after the header.
  bool Rewind();
  // Reads up to `frames` frames into `values` (frames x channels doubles). Returns the frames
  // read: fewer only at the end of the data, 0 after it or on a failure (Failed()).
  uint32_t Read(double* values, uint32_t frames);

  bool Failed() const { return failed_; }
  const std::string& Message() const { return message_; }
  // Bytes of the file consumed so far, and its size (for progress).
  uint64_t Consumed() const { return consumed_; }
  uint64_t FileSize() const { return fileSize_; }
  // Binary files: the bytes at the end that do not make up a whole frame (known once Read
  // has reached the end).
  uint64_t PartialFrameBytes() const { return partialBytes_; }

 private:
  bool Fill();  // more bytes into the buffer; false at the end of the file or on an error
  bool SkipHeaderLines();
  uint32_t ReadText(double* values, uint32_t frames);
  uint32_t ReadBinary(double* values, uint32_t frames);
  bool ParseLine(const char* line, size_t length, double* values);
  bool Fail(std::string message);

  int fd_ = -1;
  std::string path_;
  TSampleLayout layout_;
  uint64_t fileSize_ = 0;
  uint64_t consumed_ = 0;    // file offset of buffer_[begin_]
  uint64_t readOffset_ = 0;  // file offset of the next read()
  uint64_t framesRead_ = 0;
  uint64_t lineNumber_ = 0;  // lines seen so far, the header's included
  uint64_t partialBytes_ = 0;
  std::vector<char> buffer_;
  size_t begin_ = 0;  // first unread byte
  size_t end_ = 0;    // one past the last byte read
  bool atEnd_ = false;
  bool failed_ = false;
  std::string message_;
};

}  // namespace orvanix
