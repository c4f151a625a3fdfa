#include "automation/MacroLanguage.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace orvanix {

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view head) {
  if (text.size() < head.size()) return false;
  for (size_t i = 0; i < head.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[i])) !=
        std::tolower(static_cast<unsigned char>(head[i]))) {
      return false;
    }
  }
  return true;
}

struct TKeyword {
  std::string_view text;
  MacroLine kind;
};

// In matching order: "Output " before "OutputComment " never matters (the blank differs),
// "Loop" covers "Loop n" and "LoopEnd".
constexpr TKeyword kKeywords[] = {
    {"MacroEnd", MacroLine::End},
    {"Return", MacroLine::Return},
    {"Output ", MacroLine::Output},
    {"OutputComment ", MacroLine::OutputComment},
    {"SetOutputFile ", MacroLine::SetOutputFile},
    {"Send ", MacroLine::Send},
    {"GoTo ", MacroLine::GoTo},
    {"Label ", MacroLine::Label},
    {"Loop", MacroLine::Loop},
    {"Wait", MacroLine::Wait},
    {";", MacroLine::Comment},
};

}  // namespace

std::string PrepareMacroLine(std::string_view line) {
  line = line.substr(0, kMacroLineLength);
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n' || line.back() == '\t')) {
    line.remove_suffix(1);
  }
  while (!line.empty() && line.back() == ' ') line.remove_suffix(1);
  while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
  return std::string(line);
}

TMacroStatement ParseMacroLine(std::string_view line) {
  TMacroStatement statement;
  statement.prepared = PrepareMacroLine(line);
  const std::string& p = statement.prepared;
  if (p.empty()) return statement;
  for (const TKeyword& keyword : kKeywords) {
    if (!StartsWithNoCase(p, keyword.text)) continue;
    statement.kind = keyword.kind;
    if (keyword.text.back() == ' ') statement.argument = p.substr(keyword.text.size());
    if (keyword.kind == MacroLine::OutputComment) {
      // Its text is taken as written on the line, trailing blanks included.
      const std::string raw(line.substr(0, kMacroLineLength));
      const size_t at = raw.find_first_not_of(' ');
      std::string text = raw.substr(at + keyword.text.size());
      while (!text.empty() && (text.back() == '\r' || text.back() == '\n')) text.pop_back();
      statement.argument = text;
    }
    if (keyword.kind == MacroLine::Loop && p.size() > 5) statement.argument = p.substr(5);
    if (keyword.kind == MacroLine::Wait) {
      const size_t blank = p.find(' ');
      statement.argument = blank == std::string::npos ? std::string() : p.substr(blank + 1);
    }
    return statement;
  }
  statement.kind = MacroLine::Unrecognized;
  return statement;
}

std::optional<int32_t> TMacroLabels::Find(std::string_view name) const {
  std::optional<int32_t> found;
  for (int32_t i = 0; i < stored; ++i) {
    if (names[static_cast<size_t>(i)] == name) found = lines[static_cast<size_t>(i)];
  }
  return found;
}

TMacroLabels BuildMacroLabels(const std::vector<std::string>& lines) {
  TMacroLabels labels;
  for (size_t i = 0; i < lines.size(); ++i) {
    const TMacroStatement s = ParseMacroLine(lines[i]);
    if (s.kind != MacroLine::Label) continue;
    labels.names[static_cast<size_t>(labels.count)] = s.argument;
    labels.lines[static_cast<size_t>(labels.count)] = static_cast<int32_t>(i);
    labels.stored = std::max(labels.stored, labels.count + 1);
    labels.count = (labels.count + 1) % kMacroLabels;
  }
  return labels;
}

std::string ExpandAutoDateTime(std::string_view text, const std::tm& local) {
  static constexpr std::string_view kWord = "AutoDateTime";
  std::string out(text);
  const size_t at = out.find(kWord);
  if (at == std::string::npos) return out;
  char stamp[64];
  std::snprintf(stamp, sizeof stamp, "%04d_%02d_%02d_%02d%02d%02d", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
  out.replace(at, kWord.size(), stamp);
  return out;
}

MacroWait WaitKind(std::string_view prepared) {
  if (StartsWithNoCase(prepared, "WaitSeconds ")) return MacroWait::Seconds;
  if (StartsWithNoCase(prepared, "WaitClock ")) return MacroWait::Clock;
  if (StartsWithNoCase(prepared, "WaitTopOfHour")) return MacroWait::TopOfHour;
  if (StartsWithNoCase(prepared, "WaitDate ")) return MacroWait::Date;
  return MacroWait::Forever;
}

std::optional<std::time_t> ParseWaitDate(std::string_view a) {
  if (a.size() != 10) return std::nullopt;
  auto number = [&](size_t from, size_t count) -> int {
    int value = 0;
    for (size_t i = from; i < from + count; ++i) {
      if (!std::isdigit(static_cast<unsigned char>(a[i]))) return -1;
      value = value * 10 + (a[i] - '0');
    }
    return value;
  };
  const int month = number(0, 2);
  const int day = number(3, 2);
  const int year = number(6, 4);
  if (month < 1 || month > 12 || day < 1 || day > 31 || year <= 1999) return std::nullopt;
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_isdst = -1;
  return std::mktime(&t);
}

}  // namespace orvanix
