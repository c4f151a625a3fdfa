// The macro command language: preparing a line, classifying it, its argument, the label
// table, AutoDateTime expansion and the wait arguments. Standard C++ only (fuzzed and tested
// on its own); TMacro runs the lines.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvanix {

// Longest line read from the editor.
inline constexpr size_t kMacroLineLength = 256;
inline constexpr int kMacroLabels = 10;
inline constexpr int kMacroReturnDepth = 10;

enum class MacroLine {
  End,            // MacroEnd
  Return,         // Return
  Output,         // Output item
  OutputComment,  // OutputComment text
  SetOutputFile,  // SetOutputFile name
  Send,           // Send [command]
  GoTo,           // GoTo label
  Label,          // Label name
  Loop,           // Loop n, LoopEnd (and any other line beginning with Loop)
  Wait,           // WaitSeconds, WaitClock, WaitTopOfHour, WaitDate, other Wait lines
  Comment,        // ; ...
  Empty,
  Unrecognized,
};

struct TMacroStatement {
  MacroLine kind = MacroLine::Empty;
  std::string prepared;  // the prepared line (messages quote it)
  std::string argument;  // the text after the keyword and its blank
};

// Cuts the line to kMacroLineLength characters, removes trailing CR, LF and tab, then
// trailing and leading blanks.
std::string PrepareMacroLine(std::string_view line);
// Prepares and classifies a line (keywords without regard to case, first match in order).
TMacroStatement ParseMacroLine(std::string_view line);

// The label table: (name, line index) of every "Label " line, ten entries; the eleventh
// overwrites the first.
struct TMacroLabels {
  std::array<std::string, kMacroLabels> names;
  std::array<int32_t, kMacroLabels> lines{};
  int32_t count = 0;   // next entry to write (wraps to 0)
  int32_t stored = 0;  // entries in use (at most 10)
  // The line of the label named exactly `name` (the last match wins), or nothing.
  std::optional<int32_t> Find(std::string_view name) const;
};
TMacroLabels BuildMacroLabels(const std::vector<std::string>& lines);

// Replaces the first "AutoDateTime" with the time as "%04d_%02d_%02d_%02d%02d%02d".
std::string ExpandAutoDateTime(std::string_view text, const std::tm& local);

// Which wait a Wait line asks for.
enum class MacroWait { Seconds, Clock, TopOfHour, Date, Forever };
MacroWait WaitKind(std::string_view prepared);
// "MM/DD/YYYY" exactly: month 1..12, day 1..31, year above 1999. The calendar time of local
// midnight starting that day (out-of-range days roll over as the calendar does).
std::optional<std::time_t> ParseWaitDate(std::string_view argument);

}  // namespace orvanix
