// Window placements, the file-kind test and the file history.
#include <cstdint>
#include <string>

#include "engine/Messages.h"
#include "files/Configuration.h"

namespace orvanix {

namespace {

bool IsSpaceChar(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Reads the stored placement layout the way the C scanner reads its format: blanks in
// the layout match any run of blanks (or none), "%d" skips blanks and needs a digit.
class TPlacementScanner {
 public:
  explicit TPlacementScanner(std::string_view text) : text_(text) {}

  void SkipBlanks() {
    while (pos_ < text_.size() && IsSpaceChar(text_[pos_])) ++pos_;
  }
  bool Literal(char c) {
    if (pos_ < text_.size() && text_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }
  bool Number(int32_t& value) {
    SkipBlanks();
    bool negative = false;
    if (pos_ < text_.size() && (text_[pos_] == '+' || text_[pos_] == '-')) {
      negative = text_[pos_] == '-';
      ++pos_;
    }
    if (pos_ >= text_.size() || text_[pos_] < '0' || text_[pos_] > '9') return false;
    int64_t magnitude = 0;
    for (; pos_ < text_.size() && text_[pos_] >= '0' && text_[pos_] <= '9'; ++pos_) {
      if (magnitude <= int64_t{1} << 31) magnitude = magnitude * 10 + (text_[pos_] - '0');
    }
    // Screen coordinates far beyond any desktop saturate instead of overflowing.
    if (negative) magnitude = -magnitude;
    if (magnitude > INT32_MAX) magnitude = INT32_MAX;
    if (magnitude < INT32_MIN) magnitude = INT32_MIN;
    value = static_cast<int32_t>(magnitude);
    return true;
  }

 private:
  std::string_view text_;
  size_t pos_ = 0;
};

char LowerChar(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool ExtensionIs(std::string_view extension, std::string_view wanted) {
  if (extension.size() != wanted.size()) return false;
  for (size_t i = 0; i < wanted.size(); ++i) {
    if (LowerChar(extension[i]) != wanted[i]) return false;
  }
  return true;
}

}  // namespace

std::string FormatPlacement(const TWindowPlacement& p) {
  return Format(kPlacementFormat, p.flags, p.showCommand, p.minX, p.minY, p.maxX, p.maxY, p.left,
                p.top, p.right, p.bottom);
}

bool ParsePlacement(std::string_view text, TWindowPlacement& placement) {
  // "%d, %d, {%d,%d}, {%d,%d}, {%d,%d,%d,%d}"
  TPlacementScanner scan(text);
  TWindowPlacement p;
  int32_t* const fields[10] = {&p.flags, &p.showCommand, &p.minX, &p.minY,  &p.maxX,
                               &p.maxY,  &p.left,        &p.top,  &p.right, &p.bottom};
  // After each number: the separator that follows it in the layout ('\0' for none).
  constexpr char kAfter[10] = {',', ',', ',', '}', ',', '}', ',', ',', ',', '}'};
  // Before numbers 2, 4 and 6 (zero-based) an opening brace follows the comma.
  for (size_t i = 0; i < 10; ++i) {
    if (i == 2 || i == 4 || i == 6) {
      scan.SkipBlanks();
      if (!scan.Literal('{')) return false;
    }
    if (!scan.Number(*fields[i])) return false;
    if (!scan.Literal(kAfter[i])) return false;
    if (kAfter[i] == '}' && i != 9) {
      if (!scan.Literal(',')) return false;
    }
    scan.SkipBlanks();
  }
  placement = p;
  return true;
}

bool ReadPlacement(const TProfile& profile, std::string_view key, TWindowPlacement& placement) {
  if (!profile.HasKey(kSectionPlacement, key)) return false;
  return ParsePlacement(profile.GetString(kSectionPlacement, key, ""), placement);
}

void WritePlacement(TProfile& profile, std::string_view key, const TWindowPlacement& placement) {
  profile.WriteString(kSectionPlacement, key, FormatPlacement(placement));
}

void AdjustRestoredPlacement(TWindowPlacement& p, int32_t desktopWidth, int32_t desktopHeight,
                             bool frameMinimised, bool applicationHidden) {
  if (p.left > desktopWidth) p.left = desktopWidth / 2;
  if (p.top > desktopHeight) p.top = desktopHeight / 2;
  if (p.showCommand == kShowMinimized) p.showCommand = kShowNormal;
  if (frameMinimised) p.showCommand = kShowMinimized;
  if (applicationHidden) p.showCommand = kShowHide;
}

int32_t ReadSpecialArrangement(const TProfile& config) {
  const int32_t special = config.GetInt(kSectionPlacement, kKeyPlacementSpecial, 0);
  return special >= 1 && special <= 3 ? special : 0;
}

PathKind KindOfPath(std::string_view path) {
  // The file name is what follows the last separator of either platform.
  const size_t separator = path.find_last_of("/\\");
  const std::string_view name =
      separator == std::string_view::npos ? path : path.substr(separator + 1);
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return PathKind::kOther;
  const std::string_view extension = name.substr(dot + 1);
  if (ExtensionIs(extension, "cfg")) return PathKind::kConfiguration;
  if (ExtensionIs(extension, "wav")) return PathKind::kWave;
  if (ExtensionIs(extension, "mac")) return PathKind::kMacro;
  return PathKind::kOther;
}

void AddToFileHistory(TFileHistory& history, std::string_view path) {
  if (path.empty()) return;
  for (const std::string& entry : history.recent) {
    if (entry == path) return;
  }
  for (size_t i = kFileHistoryCount - 1; i > 0; --i) history.recent[i] = history.recent[i - 1];
  history.recent[0] = std::string(path);
}

}  // namespace orvanix
