#include "engine/MicrophoneCurve.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "engine/Messages.h"

namespace orvanix {

namespace {

constexpr float kMaxCurveDb = 120.f;

bool IsSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// One number as "%f" reads it (leading white space, optional sign), independent of the
// C locale. False unless a finite number was read.
bool ParseNumber(const char*& p, const char* end, float& value) {
  while (p < end && IsSpace(*p)) ++p;
  if (p < end && *p == '+') ++p;
  const auto result = std::from_chars(p, end, value, std::chars_format::general);
  if (result.ec != std::errc() || !std::isfinite(value)) return false;
  p = result.ptr;
  return true;
}

// Reads one line into `line` (without its end). A line longer than kMaxMicrophoneLine
// keeps its beginning, is consumed to its end and marked `tooLong`. False at the end of
// the file.
bool ReadLine(std::FILE* file, std::string& line, bool& tooLong) {
  char buffer[kMaxMicrophoneLine + 2];
  line.clear();
  tooLong = false;
  bool any = false;
  while (std::fgets(buffer, sizeof buffer, file) != nullptr) {
    any = true;
    const size_t n = std::strlen(buffer);
    const bool complete = n > 0 && buffer[n - 1] == '\n';
    if (line.size() < kMaxMicrophoneLine) {
      line.append(buffer, complete ? n - 1 : n);
      if (line.size() > kMaxMicrophoneLine) {
        line.resize(kMaxMicrophoneLine);
        tooLong = true;
      }
    } else {
      tooLong = true;
    }
    if (complete) break;
  }
  return any;
}

class FileCloser {
 public:
  explicit FileCloser(std::FILE* file) : file_(file) {}
  ~FileCloser() {
    if (file_) std::fclose(file_);
  }
  FileCloser(const FileCloser&) = delete;
  FileCloser& operator=(const FileCloser&) = delete;

 private:
  std::FILE* file_;
};

}  // namespace

bool LoadMicrophoneFile(const std::string& path, std::vector<CurvePoint>& points) {
  points.clear();
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    ReportError(Format(kMicOpenFailure, path.c_str()));
    return false;
  }
  FileCloser closer(file);

  std::string line;
  bool tooLong = false;
  bool firstLine = true;
  while (points.size() < kMaxMicrophoneEntries && ReadLine(file, line, tooLong)) {
    if (firstLine && line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
    firstLine = false;
    if (!line.empty() && line[0] == ';') continue;
    if (tooLong) break;
    const char* p = line.data();
    const char* end = p + line.size();
    CurvePoint point;
    if (!ParseNumber(p, end, point.frequency) || !ParseNumber(p, end, point.value)) break;
    if (point.value > kMaxCurveDb) point.value = kMaxCurveDb;
    if (point.value < -kMaxCurveDb) point.value = -kMaxCurveDb;
    points.push_back(point);
  }

  if (points.size() < 3) {
    points.clear();
    Messages().Report(Format(kMicTooFewEntries, path.c_str()), "", MessageIcon::Error);
    return false;
  }
  for (size_t i = 0; i < points.size(); ++i) {
    if (points[i].frequency < 0.f || (i > 0 && points[i].frequency < points[i - 1].frequency)) {
      points.clear();
      Messages().Report(Format(kMicNotAscending, path.c_str()), "", MessageIcon::Error);
      return false;
    }
  }
  return true;
}

}  // namespace orvanix
