#include "files/SampleReader.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "engine/Messages.h"
#include "files/Riff.h"
#include "files/TransferNumbers.h"
#include "files/TransferTexts.h"
#include "files/WaveFileIo.h"

namespace orvanix {

namespace {

constexpr size_t kBufferBytes = size_t{1} << 16;
// Lines are read as through a 256-character buffer: 255 characters and the end of line.
constexpr size_t kMaxLineChars = 255;

uint32_t ValueBytes(TSampleLayout::Kind kind) {
  switch (kind) {
    case TSampleLayout::Kind::Offset8:
    case TSampleLayout::Kind::Signed8:
      return 1;
    case TSampleLayout::Kind::Signed16:
      return 2;
    case TSampleLayout::Kind::Signed32:
    case TSampleLayout::Kind::Float32:
      return 4;
    default:
      return 0;
  }
}

// The line as a message can show it: at most 40 characters, controls as '?'.
std::string Shown(const char* line, size_t length) {
  std::string text;
  for (size_t i = 0; i < length && i < 40; ++i) {
    const unsigned char c = static_cast<unsigned char>(line[i]);
    text += (c < 0x20 || c == 0x7F) ? '?' : static_cast<char>(c);
  }
  if (length > 40) text += "...";
  return text;
}

}  // namespace

TSampleReader::~TSampleReader() {
  if (fd_ >= 0) ::close(fd_);
}

bool TSampleReader::Fail(std::string message) {
  failed_ = true;
  message_ = std::move(message);
  return false;
}

bool TSampleReader::Open(const std::string& path, const TSampleLayout& layout) {
  path_ = path;
  layout_ = layout;
  if (layout_.channels != 2) layout_.channels = 1;
  fd_ = OpenRegularFile(path, O_RDONLY);
  if (fd_ < 0 || !FileSizeOf(fd_, fileSize_)) {
    return Fail(Format(kFailureOpeningSource, path.c_str()));
  }
  buffer_.resize(kBufferBytes);
  return Rewind();
}

bool TSampleReader::Rewind() {
  if (fd_ < 0) return false;
  failed_ = false;
  message_.clear();
  begin_ = end_ = 0;
  atEnd_ = false;
  framesRead_ = 0;
  lineNumber_ = 0;
  partialBytes_ = 0;
  if (layout_.kind == TSampleLayout::Kind::Text) {
    consumed_ = readOffset_ = 0;
    if (!SkipHeaderLines()) return false;
    // A byte order mark at the start of the data.
    if (consumed_ == 0 && (Fill(), end_ - begin_ >= 3) &&
        std::memcmp(buffer_.data() + begin_, "\xEF\xBB\xBF", 3) == 0) {
      begin_ += 3;
      consumed_ += 3;
    }
    return true;
  }
  if (layout_.dataOffset > fileSize_) return Fail(Format(kImportHeaderTooLarge, path_.c_str()));
  consumed_ = readOffset_ = layout_.dataOffset;
  return true;
}

bool TSampleReader::Fill() {
  if (atEnd_) return false;
  if (begin_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    end_ -= begin_;
    begin_ = 0;
  }
  if (end_ == buffer_.size()) return true;
  for (;;) {
    const ssize_t n =
        ::pread(fd_, buffer_.data() + end_, buffer_.size() - end_, static_cast<off_t>(readOffset_));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      atEnd_ = true;
      return Fail(Format(kFailureOpeningSource, path_.c_str()));
    }
    if (n == 0) {
      atEnd_ = true;
      return false;
    }
    end_ += static_cast<size_t>(n);
    readOffset_ += static_cast<uint64_t>(n);
    return true;
  }
}

bool TSampleReader::SkipHeaderLines() {
  for (uint64_t skipped = 0; skipped < layout_.headerLines;) {
    if (begin_ == end_ && !Fill()) return !failed_;  // a header without data: Read finds none
    const char* start = buffer_.data() + begin_;
    const void* newline = std::memchr(start, '\n', end_ - begin_);
    const size_t taken = newline ? static_cast<const char*>(newline) - start + 1 : end_ - begin_;
    begin_ += taken;
    consumed_ += taken;
    if (newline) {
      ++skipped;
      ++lineNumber_;
    }
  }
  return true;
}

uint32_t TSampleReader::Read(double* values, uint32_t frames) {
  if (fd_ < 0 || failed_) return 0;
  const uint64_t left = layout_.maxFrames - framesRead_;
  if (left < frames) frames = static_cast<uint32_t>(left);
  const uint32_t n = layout_.kind == TSampleLayout::Kind::Text ? ReadText(values, frames)
                                                               : ReadBinary(values, frames);
  framesRead_ += n;
  return failed_ ? 0 : n;
}

uint32_t TSampleReader::ReadText(double* values, uint32_t frames) {
  uint32_t done = 0;
  while (done < frames) {
    const char* start = buffer_.data() + begin_;
    const void* newline = std::memchr(start, '\n', end_ - begin_);
    if (!newline) {
      if (end_ - begin_ > kMaxLineChars + 1) {
        Fail(Format(kImportLineTooLong, static_cast<unsigned long long>(lineNumber_ + 1),
                    path_.c_str()));
        return 0;
      }
      if (Fill()) continue;
      if (failed_) return 0;
      if (begin_ == end_) break;  // the end of the file
    }
    const char* line = buffer_.data() + begin_;
    size_t length = newline ? static_cast<const char*>(newline) - line : end_ - begin_;
    const size_t taken = newline ? length + 1 : length;
    ++lineNumber_;
    if (length > 0 && line[length - 1] == '\r') --length;
    if (length > kMaxLineChars) {
      Fail(Format(kImportLineTooLong, static_cast<unsigned long long>(lineNumber_), path_.c_str()));
      return 0;
    }
    const bool blank =
        std::all_of(line, line + length, [](char c) { return c == ' ' || c == '\t'; });
    if (!blank && !ParseLine(line, length, values + size_t{done} * layout_.channels)) return 0;
    begin_ += taken;
    consumed_ += taken;
    if (!blank) ++done;
  }
  return done;
}

bool TSampleReader::ParseLine(const char* line, size_t length, double* values) {
  std::string_view rest(line, length);
  const bool stereo = layout_.channels == 2;
  auto refuse = [&] {
    return Fail(Format(kImportNotANumber, static_cast<unsigned long long>(lineNumber_),
                       path_.c_str(), stereo ? "two numbers" : "one number",
                       Shown(line, length).c_str()));
  };
  for (uint32_t c = 0; c < layout_.channels; ++c) {
    if (c > 0) {
      // The separator: a comma with blanks around it, or blanks alone.
      size_t at = 0;
      while (at < rest.size() && (rest[at] == ' ' || rest[at] == '\t')) ++at;
      if (at < rest.size() && rest[at] == ',') ++at;
      if (at == 0) return refuse();
      rest.remove_prefix(at);
    }
    if (!ParseLeadingReal(rest, values[c], rest)) return refuse();
    if (!std::isfinite(values[c])) {
      return Fail(Format(kImportNotANumber, static_cast<unsigned long long>(lineNumber_),
                         path_.c_str(), "a finite number", Shown(line, length).c_str()));
    }
  }
  for (char c : rest) {
    if (c != ' ' && c != '\t') return refuse();
  }
  return true;
}

uint32_t TSampleReader::ReadBinary(double* values, uint32_t frames) {
  const uint32_t bytes = ValueBytes(layout_.kind);
  const uint32_t frameBytes = bytes * layout_.channels;
  uint32_t done = 0;
  while (done < frames) {
    if (end_ - begin_ < frameBytes) {
      if (Fill()) continue;
      if (failed_) return 0;
      partialBytes_ = end_ - begin_;
      break;
    }
    const size_t whole = (end_ - begin_) / frameBytes;
    const uint32_t n = static_cast<uint32_t>(std::min<size_t>(whole, frames - done));
    const uint8_t* p = reinterpret_cast<const uint8_t*>(buffer_.data() + begin_);
    double* out = values + size_t{done} * layout_.channels;
    for (uint32_t i = 0; i < n * layout_.channels; ++i, p += bytes) {
      switch (layout_.kind) {
        case TSampleLayout::Kind::Offset8:
          out[i] = static_cast<double>(p[0]) - 127.0;
          break;
        case TSampleLayout::Kind::Signed8:
          out[i] = static_cast<int8_t>(p[0]);
          break;
        case TSampleLayout::Kind::Signed16:
          out[i] = static_cast<int16_t>(GetU16(p));
          break;
        case TSampleLayout::Kind::Signed32:
          out[i] = GetI32(p);
          break;
        default: {
          const float value = GetF32(p);
          if (!std::isfinite(value)) {
            const uint64_t at =
                consumed_ + static_cast<uint64_t>(
                                p - reinterpret_cast<const uint8_t*>(buffer_.data() + begin_));
            Fail(Format(kImportNotFinite, static_cast<unsigned long long>(at), path_.c_str()));
            return 0;
          }
          out[i] = value;
          break;
        }
      }
    }
    begin_ += size_t{n} * frameBytes;
    consumed_ += uint64_t{n} * frameBytes;
    done += n;
  }
  return done;
}

}  // namespace orvanix
