#include "files/Profile.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <utility>

#include "engine/Messages.h"
#include "files/ConfigTexts.h"

namespace orvanix {

namespace {

// Built piecewise: GCC 12 warns falsely (-Wrestrict) on a chain of string additions.
std::string KeyLine(std::string_view key, std::string_view text) {
  std::string line(key);
  line += '=';
  line += text;
  return line;
}

bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}
bool IsSpace(char c) {
  return IsBlank(c) || c == '\r' || c == '\n';
}

std::string_view Trim(std::string_view text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && IsSpace(text[begin])) ++begin;
  while (end > begin && IsSpace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// What a line means ends at its first NUL, as it did for the C-string based readers.
std::string_view Meaningful(std::string_view line) {
  const size_t nul = line.find('\0');
  return nul == std::string_view::npos ? line : line.substr(0, nul);
}

std::string Lower(std::string_view text) {
  std::string result(text);
  for (char& c : result) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return result;
}

bool IsBlankLine(std::string_view line) {
  return Trim(Meaningful(line)).empty();
}

// The section name of a "[Name]" line; false for other lines.
bool SectionName(std::string_view line, std::string_view* name) {
  const std::string_view text = Trim(Meaningful(line));
  if (text.empty() || text.front() != '[') return false;
  std::string_view inner = text.substr(1);
  const size_t close = inner.find(']');
  if (close != std::string_view::npos) inner = inner.substr(0, close);
  *name = Trim(inner);
  return true;
}

// The key of a "Key=Value" line; false for comments, blank lines and lines without '='.
bool KeyName(std::string_view line, std::string_view* key) {
  const std::string_view text = Meaningful(line);
  const std::string_view trimmed = Trim(text);
  if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '#') return false;
  const size_t equals = text.find('=');
  if (equals == std::string_view::npos) return false;
  *key = Trim(text.substr(0, equals));
  return !key->empty();
}

std::string_view ValueOf(std::string_view line) {
  const std::string_view text = Meaningful(line);
  const size_t equals = text.find('=');
  if (equals == std::string_view::npos) return {};
  return Trim(text.substr(equals + 1));
}

bool StorableName(std::string_view name, bool isKey) {
  if (name.empty() || Trim(name).size() != name.size()) return false;
  for (char c : name) {
    if (c == '\r' || c == '\n' || c == '\0') return false;
    if (isKey && c == '=') return false;
    if (!isKey && c == ']') return false;
  }
  if (isKey && (name.front() == '[' || name.front() == ';' || name.front() == '#')) return false;
  return true;
}

std::string Sanitised(std::string_view value) {
  std::string result(value);
  for (char& c : result) {
    if (c == '\r' || c == '\n' || c == '\0') c = ' ';
  }
  return result;
}

std::string SystemReason(int error) {
  return std::strerror(error);
}

}  // namespace

// ---- numbers -------------------------------------------------------------------------

int32_t ParseProfileInt(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // Accumulated as a negative number so that INT32_MIN fits; saturates instead of
  // overflowing like the C conversion would.
  int64_t value = 0;
  constexpr int64_t kLimit = int64_t{std::numeric_limits<int32_t>::max()} + 1;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    if (value < kLimit) value = value * 10 + (text[i] - '0');
  }
  if (negative) return static_cast<int32_t>(value >= kLimit ? -kLimit : -value);
  return static_cast<int32_t>(value >= kLimit ? kLimit - 1 : value);
}

float ParseProfileFloat(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // The longest prefix of the form digits [. digits] [e [sign] digits]; hexadecimal,
  // "inf" and "nan" are not numbers in our files.
  const size_t start = i;
  size_t digits = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
  if (i < text.size() && text[i] == '.') {
    ++i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return 0.0f;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    size_t j = i + 1;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) ++j;
    if (j < text.size() && text[j] >= '0' && text[j] <= '9') {
      while (j < text.size() && text[j] >= '0' && text[j] <= '9') ++j;
      i = j;
    }
  }
  double value = 0.0;
  const auto [end, error] =
      std::from_chars(text.data() + start, text.data() + i, value, std::chars_format::general);
  if (error == std::errc::result_out_of_range) return 0.0f;  // beyond double, or underflow
  if (error != std::errc() || end != text.data() + i || !std::isfinite(value)) return 0.0f;
  if (std::fabs(value) > std::numeric_limits<float>::max()) return 0.0f;
  const float result = static_cast<float>(value);
  return negative ? -result : result;
}

std::string FormatProfileInt(int32_t value) {
  char buffer[16];
  const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
  (void)error;
  return std::string(buffer, end);
}

std::string FormatFixed(double value, int width, int precision) {
  if (precision < 0) precision = 0;
  if (precision > 9) precision = 9;
  std::string text;
  if (std::isnan(value)) {
    text = std::signbit(value) ? "-nan" : "nan";
  } else if (std::isinf(value)) {
    text = value < 0 ? "-inf" : "inf";
  } else {
    // The largest double printed with nine decimals takes 309 + 1 + 9 characters.
    char buffer[400];
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, precision);
    if (error == std::errc()) text.assign(buffer, end);
  }
  if (width > 0 && text.size() < static_cast<size_t>(width)) {
    text.insert(0, static_cast<size_t>(width) - text.size(), ' ');
  }
  return text;
}

std::string FormatProfileFloat(float value) {
  return FormatFixed(value, 0, 6);
}

// ---- parsing and lookup ----------------------------------------------------------------

void TProfile::Clear() {
  sections_.clear();
  sections_.push_back(Section{});
  sectionIndex_.clear();
  byteOrderMark_ = false;
  lineEnd_ = "\n";
}

void TProfile::AddSection(std::string header, std::string_view name) {
  sectionIndex_[Lower(name)].push_back(sections_.size());
  Section section;
  section.header = std::move(header);
  sections_.push_back(std::move(section));
}

bool TProfile::Parse(std::string_view bytes) {
  Clear();
  if (bytes.size() > kMaxProfileBytes) return false;
  if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    byteOrderMark_ = true;
    bytes.remove_prefix(3);
  }
  bool lineEndKnown = false;
  size_t lineCount = 0;
  size_t pos = 0;
  while (pos < bytes.size()) {
    size_t end = pos;
    while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r') ++end;
    const std::string_view line = bytes.substr(pos, end - pos);
    size_t next = end;
    if (end < bytes.size()) {
      const bool crlf = bytes[end] == '\r' && end + 1 < bytes.size() && bytes[end + 1] == '\n';
      if (!lineEndKnown) {
        lineEnd_ = crlf ? "\r\n" : (bytes[end] == '\r' ? "\r" : "\n");
        lineEndKnown = true;
      }
      next = end + (crlf ? 2 : 1);
    }
    if (++lineCount > kMaxProfileLines) {
      Clear();
      return false;
    }
    std::string_view name;
    std::string_view key;
    if (SectionName(line, &name)) {
      AddSection(std::string(line), name);
    } else {
      Section& section = sections_.back();
      section.lines.emplace_back(line);
      if (sections_.size() > 1 && KeyName(line, &key)) {
        section.keys.emplace(Lower(key), section.lines.size() - 1);  // first one counts
      }
    }
    pos = next;
  }
  return true;
}

const std::string* TProfile::FindLine(std::string_view section, std::string_view key) const {
  const auto found = sectionIndex_.find(Lower(Trim(section)));
  if (found == sectionIndex_.end()) return nullptr;
  const std::string lowerKey = Lower(Trim(key));
  for (size_t index : found->second) {
    const Section& s = sections_[index];
    const auto line = s.keys.find(lowerKey);
    if (line != s.keys.end()) return &s.lines[line->second];
  }
  return nullptr;
}

std::string* TProfile::FindLine(std::string_view section, std::string_view key) {
  return const_cast<std::string*>(std::as_const(*this).FindLine(section, key));
}

std::string TProfile::GetString(std::string_view section, std::string_view key,
                                std::string_view defaultText) const {
  const std::string* line = FindLine(section, key);
  return std::string(line ? ValueOf(*line) : defaultText);
}

int32_t TProfile::GetInt(std::string_view section, std::string_view key,
                         int32_t defaultValue) const {
  const std::string* line = FindLine(section, key);
  return line ? ParseProfileInt(ValueOf(*line)) : defaultValue;
}

float TProfile::GetFloat(std::string_view section, std::string_view key, float defaultValue) const {
  const std::string* line = FindLine(section, key);
  return line ? ParseProfileFloat(ValueOf(*line)) : defaultValue;
}

bool TProfile::HasKey(std::string_view section, std::string_view key) const {
  return FindLine(section, key) != nullptr;
}

bool TProfile::HasSection(std::string_view section) const {
  return sectionIndex_.count(Lower(Trim(section))) != 0;
}

// ---- writing -----------------------------------------------------------------------

bool TProfile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  if (sections_.empty()) Clear();
  if (!StorableName(section, false) || !StorableName(key, true)) return false;
  const std::string text = Sanitised(value);
  if (std::string* line = FindLine(section, key)) {
    // Keep the key as it is spelled in the file; only the value changes.
    const std::string_view meaning = Meaningful(*line);
    const std::string keyPart(Trim(meaning.substr(0, meaning.find('='))));
    *line = keyPart + "=" + text;
    return true;
  }
  const auto found = sectionIndex_.find(Lower(section));
  if (found != sectionIndex_.end()) {
    Section& s = sections_[found->second.front()];
    // After the section's last non-blank line: every key line lies before that point, so
    // the stored key indices stay valid.
    size_t insertAt = s.lines.size();
    while (insertAt > 0 && IsBlankLine(s.lines[insertAt - 1])) --insertAt;
    s.lines.insert(s.lines.begin() + static_cast<ptrdiff_t>(insertAt),
                   KeyLine(key, text));
    s.keys.emplace(Lower(key), insertAt);
    return true;
  }
  // A blank line between the last section and the new one, for people reading the file.
  Section& last = sections_.back();
  const bool hasContent = sections_.size() > 1 || !last.lines.empty();
  if (hasContent && (last.lines.empty() || !IsBlankLine(last.lines.back()))) {
    last.lines.emplace_back();
  }
  std::string header(1, '[');
  header.append(section).push_back(']');
  AddSection(std::move(header), section);
  Section& added = sections_.back();
  added.lines.push_back(KeyLine(key, text));
  added.keys.emplace(Lower(key), 0);
  return true;
}

bool TProfile::WriteInt(std::string_view section, std::string_view key, int32_t value) {
  return WriteString(section, key, FormatProfileInt(value));
}

bool TProfile::WriteFloat(std::string_view section, std::string_view key, float value) {
  return WriteString(section, key, FormatProfileFloat(value));
}

std::string TProfile::Text() const {
  std::string text;
  if (byteOrderMark_) text = "\xEF\xBB\xBF";
  for (const Section& section : sections_) {
    if (&section != &sections_.front()) {
      text += section.header;
      text += lineEnd_;
    }
    for (const std::string& line : section.lines) {
      text += line;
      text += lineEnd_;
    }
  }
  return text;
}

// ---- files -------------------------------------------------------------------------

ProfileLoad TProfile::Load(const std::string& path, bool reportProblems) {
  Clear();
  auto refuse = [&](const std::string& message) {
    if (reportProblems) ReportError(message);
    return ProfileLoad::kRefused;
  };
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return ProfileLoad::kMissing;
    return refuse(Format(kProfileUnreadable, path.c_str(), SystemReason(errno).c_str()));
  }
  struct stat info;
  const bool statOk = ::fstat(fd, &info) == 0;
  if (!statOk || !S_ISREG(info.st_mode)) {
    const int error = !statOk ? errno : (S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
    ::close(fd);
    return refuse(Format(kProfileUnreadable, path.c_str(), SystemReason(error).c_str()));
  }
  if (static_cast<uint64_t>(info.st_size) > kMaxProfileBytes) {
    ::close(fd);
    return refuse(Format(kProfileTooLarge, path.c_str(), static_cast<int>(kMaxProfileBytes >> 20)));
  }
  // Read until the end rather than trusting the size: the file may grow meanwhile, and the
  // limit is enforced on what was actually read.
  std::string bytes;
  bytes.reserve(static_cast<size_t>(info.st_size));
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      ::close(fd);
      return refuse(Format(kProfileUnreadable, path.c_str(), SystemReason(error).c_str()));
    }
    if (got == 0) break;
    if (bytes.size() + static_cast<size_t>(got) > kMaxProfileBytes) {
      ::close(fd);
      return refuse(
          Format(kProfileTooLarge, path.c_str(), static_cast<int>(kMaxProfileBytes >> 20)));
    }
    bytes.append(buffer, static_cast<size_t>(got));
  }
  ::close(fd);
  if (!Parse(bytes)) {
    return refuse(Format(kProfileTooManyLines, path.c_str(), static_cast<int>(kMaxProfileLines)));
  }
  return ProfileLoad::kLoaded;
}

bool TProfile::Save(const std::string& path) const {
  std::string error;
  if (WriteFileAtomically(path, Text(), &error)) return true;
  ReportError(Format(kProfileWriteFailed, path.c_str(), error.c_str()));
  return false;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error) {
  auto fail = [error](int code) {
    if (error) *error = SystemReason(code);
    return false;
  };
  if (path.empty()) return fail(ENOENT);

  // Replace what a symbolic link points to, not the link itself.
  std::string target = path;
  struct stat linkInfo;
  if (::lstat(path.c_str(), &linkInfo) == 0 && S_ISLNK(linkInfo.st_mode)) {
    if (char* resolved = ::realpath(path.c_str(), nullptr)) {
      target = resolved;
      std::free(resolved);
    }
  }
  const size_t slash = target.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  if (base.empty()) return fail(EISDIR);

  // O_EXCL with a name unique to this process and attempt; the umask applies to the mode.
  // Atomic: a recording finished in the background saves while the main thread may too.
  static std::atomic<unsigned> counter{0};
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = (slash == std::string::npos ? std::string() : folder) + "." + base + ".tmp" +
                std::to_string(::getpid()) + "-" + std::to_string(++counter);
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) return fail(errno);
  }
  if (fd < 0) return fail(EEXIST);

  auto abandon = [&](int code) {
    ::close(fd);
    ::unlink(temporary.c_str());
    return fail(code);
  };
  struct stat old;
  if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
    if (::fchmod(fd, old.st_mode & 07777) != 0) return abandon(errno);
  }
  size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      return abandon(errno);
    }
    written += static_cast<size_t>(n);
  }
  if (::fsync(fd) != 0) return abandon(errno);
  if (::close(fd) != 0) {
    const int code = errno;
    ::unlink(temporary.c_str());
    return fail(code);
  }
  if (::rename(temporary.c_str(), target.c_str()) != 0) {
    const int code = errno;
    ::unlink(temporary.c_str());
    return fail(code);
  }
  // Make the rename itself durable; a failure here leaves a complete file either way.
  const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dir >= 0) {
    ::fsync(dir);
    ::close(dir);
  }
  return true;
}

}  // namespace orvanix
