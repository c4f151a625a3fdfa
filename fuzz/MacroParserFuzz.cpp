// Feeds arbitrary text to the macro language: every line prepared and classified, the label
// table built, AutoDateTime expanded and the wait arguments read. Prepared lines never grow
// past the line length and never keep surrounding blanks.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <sstream>
#include <string>
#include <vector>

#include "automation/MacroLanguage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orvanix;
  const std::string text(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  std::tm fixed{};
  fixed.tm_year = 126;
  fixed.tm_mday = 1;
  for (const std::string& line : lines) {
    const TMacroStatement s = ParseMacroLine(line);
    if (s.prepared.size() > kMacroLineLength) std::abort();
    if (!s.prepared.empty() && (s.prepared.front() == ' ' || s.prepared.back() == ' ')) {
      std::abort();
    }
    if (s.kind == MacroLine::Empty && !s.prepared.empty()) std::abort();
    (void)ExpandAutoDateTime(s.argument, fixed);
    if (s.kind == MacroLine::Wait) {
      (void)WaitKind(s.prepared);
      (void)ParseWaitDate(s.argument);
    }
  }
  const TMacroLabels labels = BuildMacroLabels(lines);
  if (labels.stored > kMacroLabels || labels.count >= kMacroLabels) std::abort();
  for (int32_t i = 0; i < labels.stored; ++i) {
    if (labels.lines[static_cast<size_t>(i)] < 0 ||
        static_cast<size_t>(labels.lines[static_cast<size_t>(i)]) >= lines.size()) {
      std::abort();
    }
  }
  return 0;
}
