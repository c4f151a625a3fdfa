// Private-profile (.ini) files: "[Section]" lines followed by "Key=Value" lines.
//
// TProfile keeps the whole file in memory as its original lines, so that writing a key
// rewrites only that key's line and keeps every other line (comments, unknown keys, blank
// lines, the order) as it was. The rules follow the classic profile calls:
//  - section and key names are compared without case (ASCII);
//  - a missing key gives the caller's default;
//  - a key given twice: the first one counts (reading and writing); a section given twice
//    is searched in file order, so a key in the second copy is found too;
//  - writing a missing key appends it at the end of the first section of that name
//    (before its trailing blank lines); a missing section is appended at the end;
//  - values are text; numbers are decimal text and always use '.' as the decimal mark,
//    whatever the C locale.
// Reading copes with a UTF-8 byte-order mark (kept on writing), CRLF, LF or CR line ends
// (the first line end found is used when writing), NUL bytes (a line ends its meaning at
// its first NUL), and very long lines. Files above kMaxProfileBytes or kMaxProfileLines
// are refused with a message and read as empty.
// Saving replaces the file all-or-nothing: a temporary file is written beside the
// target, flushed to the disk, then renamed over it, so a failed save leaves the old file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace orvanix {

// Largest profile file read, in bytes (legitimate files are a few kilobytes).
inline constexpr size_t kMaxProfileBytes = size_t{16} << 20;
// Largest number of lines read; bounds the memory a hostile file can claim.
inline constexpr size_t kMaxProfileLines = 1000000;

enum class ProfileLoad {
  kLoaded,   // the file was read
  kMissing,  // no such file: the profile is empty, every key gives its default
  kRefused,  // unreadable or too large: reported to the user, the profile is empty
};

class TProfile {
 public:
  TProfile() = default;

  // Reads `path`. A missing file is not an error (an empty profile); a file that exists
  // but cannot be read, or exceeds the limits, is reported through Messages() unless
  // `reportProblems` is false.
  ProfileLoad Load(const std::string& path, bool reportProblems = true);
  // Replaces the contents with `bytes` as read from a file. False (and an empty profile)
  // when the text exceeds the limits; nothing is reported.
  bool Parse(std::string_view bytes);
  // Writes the profile to `path` all-or-nothing. A failure is reported and returns false;
  // the previous file is then unchanged.
  bool Save(const std::string& path) const;
  // The file's bytes as Save() would write them.
  std::string Text() const;
  void Clear();

  // The value of `key` in `section` with surrounding blanks removed, or `defaultText`
  // when the key is missing. A present but empty value is returned as empty.
  std::string GetString(std::string_view section, std::string_view key,
                        std::string_view defaultText) const;
  // Decimal integer as the C conversion reads it (leading blanks, sign, digits, anything
  // after ignored); malformed text reads as 0, a missing key as `defaultValue`; values
  // beyond 32 bits saturate.
  int32_t GetInt(std::string_view section, std::string_view key, int32_t defaultValue) const;
  // Decimal real number ("1.5", "-2", ".5e3"); '.' is the decimal mark in every locale.
  // Malformed text, NaN, infinities and values beyond the float range read as 0, a
  // missing key as `defaultValue`.
  float GetFloat(std::string_view section, std::string_view key, float defaultValue) const;
  bool HasKey(std::string_view section, std::string_view key) const;
  bool HasSection(std::string_view section) const;

  // Sets a key's text. Line breaks and NULs in `value` become blanks (a value cannot
  // inject lines). False, and nothing written, for a section or key name that cannot be
  // stored (empty, with surrounding blanks, line breaks, '=' in a key or ']' in a
  // section, or a key starting with '[', ';' or '#').
  bool WriteString(std::string_view section, std::string_view key, std::string_view value);
  // "%d".
  bool WriteInt(std::string_view section, std::string_view key, int32_t value);
  // "%f": six decimals, '.' in every locale.
  bool WriteFloat(std::string_view section, std::string_view key, float value);

 private:
  struct Section {
    std::string header;  // the raw "[Name]" line; empty for the lines before any section
    std::vector<std::string> lines;
    // Lower-case key -> index into `lines` of its first occurrence.
    std::unordered_map<std::string, size_t> keys;
  };

  // The line holding `key`, or nullptr.
  const std::string* FindLine(std::string_view section, std::string_view key) const;
  std::string* FindLine(std::string_view section, std::string_view key);
  void AddSection(std::string header, std::string_view name);

  std::vector<Section> sections_;  // sections_[0]: lines before the first section
  // Lower-case section name -> every section of that name, in file order.
  std::unordered_map<std::string, std::vector<size_t>> sectionIndex_;
  bool byteOrderMark_ = false;
  const char* lineEnd_ = "\n";
};

// The number conversions of the profile layer, usable on their own (see the getters).
int32_t ParseProfileInt(std::string_view text);
float ParseProfileFloat(std::string_view text);
std::string FormatProfileInt(int32_t value);
std::string FormatProfileFloat(float value);
// `value` as "%W.Pf" would print it in the C locale (precision 0 ... 9).
std::string FormatFixed(double value, int width, int precision);

// Replaces the file at `path` with `bytes` all-or-nothing: a temporary file in the same
// folder, flushed, renamed over the target (a symbolic link is followed, an existing
// file's permissions are kept). On failure the temporary file is removed, `error` gets the
// system's reason and the old file is unchanged.
bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error);

}  // namespace orvanix
