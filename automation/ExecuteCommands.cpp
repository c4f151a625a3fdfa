#include "automation/ExecuteCommands.h"

#include <array>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace orvanix {

namespace {

// How a name selects a command.
enum class Match : uint8_t {
  Full,      // the whole text equals the name
  Leading,   // the text is a leading part of the name (also the whole name)
  Argument,  // the text begins with the name (which ends in a blank); argument follows
  Joined,    // the text begins with the name; the argument follows after one blank
};

struct TCommandName {
  std::string_view name;
  Match match;
};

constexpr std::array<TCommandName, kExecuteCount> kCommands = {{
    {"[Run]", Match::Full},
    {"[Run ", Match::Argument},
    {"[Single Step]", Match::Full},
    {"[Stop]", Match::Full},
    {"[Rewind]", Match::Full},
    {"[Fast Forward]", Match::Full},
    {"[Record]", Match::Full},
    {"[Play]", Match::Full},
    {"[Go To ", Match::Argument},
    {"[Reset Average]", Match::Full},
    {"[Trigger]", Match::Full},
    {"[Reset Overload]", Match::Full},
    {"[Peak Hold On]", Match::Full},
    {"[Enable Peak Hold]", Match::Full},
    {"[Peak Hold Off]", Match::Full},
    {"[Disable Peak Hold]", Match::Full},
    {"[Average Size ", Match::Argument},
    {"[Set Average Size ", Match::Argument},
    {"[Set Average Type ", Match::Argument},
    {"[Set Channel", Match::Joined},
    {"[FFT Overlap ", Match::Argument},
    {"[Set FFT Overlap ", Match::Argument},
    {"[FFT Size ", Match::Argument},
    {"[Set FFT Size ", Match::Argument},
    {"[Mode Real Time]", Match::Full},
    {"[Mode Recorder]", Match::Full},
    {"[Mode Post Processing]", Match::Full},
    {"[Set Sampling Rate ", Match::Argument},
    {"[Set Decimation Ratio ", Match::Argument},
    {"[Window Bartlett]", Match::Full},
    {"[Window Blackman]", Match::Full},
    {"[Window Flat Top]", Match::Full},
    {"[Window Hamming]", Match::Full},
    {"[Window Hanning]", Match::Full},
    {"[Window Kaiser]", Match::Full},
    {"[Window Parzen]", Match::Full},
    {"[Window Triangular]", Match::Full},
    {"[Window Uniform]", Match::Full},
    {"[Open Generator]", Match::Leading},
    {"[Close Generator]", Match::Leading},
    {"[Start Generator]", Match::Full},
    {"[Stop Generator]", Match::Full},
    {"[Open DelayFinder]", Match::Leading},
    {"[Close DelayFinder]", Match::Leading},
    {"[Apply DelayFinder]", Match::Leading},
    {"[Set Delay ", Match::Argument},
    {"[Set Overlay ", Match::Argument},
    {"[Show Overlay ", Match::Argument},
    {"[Hide Overlay ", Match::Argument},
    {"[Marker1", Match::Joined},
    {"[Marker2", Match::Joined},
    {"[Marker3", Match::Joined},
    {"[Marker4", Match::Joined},
    {"[Marker5", Match::Joined},
    {"[Marker6", Match::Joined},
    {"[File Open", Match::Joined},
    {"[File Save", Match::Joined},
    {"[File Close]", Match::Full},
    {"[File Delete ", Match::Argument},
    {"[Exit Application]", Match::Full},
    {"[File Decimate ", Match::Argument},
    {"[File Merge ", Match::Argument},
    {"[Hide Window]", Match::Full},
    {"[Show Window]", Match::Full},
    {"[Minimize Window]", Match::Full},
    {"[Restore Window]", Match::Full},
    {"[Maximize Window]", Match::Full},
    {"[Cascade Windows]", Match::Full},
    {"[Tile Windows Vertical]", Match::Full},
    {"[Tile Windows Horizontal]", Match::Full},
    {"[Set DataLogging File ", Match::Argument},
    {"[Enable DataLogging]", Match::Leading},
    {"[Disable DataLogging]", Match::Leading},
    {"[Logging On]", Match::Full},
    {"[Logging Off]", Match::Full},
    {"[Set Amplitude Scaling Type ", Match::Argument},
    {"[Set Frequency Scaling Type ", Match::Argument},
    {"[Set Octave ", Match::Argument},
    {"[Set Spectrum Weighting ", Match::Argument},
    {"[Set PSD Type ", Match::Argument},
    {"[Enable PSD]", Match::Leading},
    {"[Disable PSD]", Match::Leading},
    {"[Set Mic Compensation File ", Match::Argument},
    {"[Set Left Mic Compensation File", Match::Joined},
    {"[Set Right Mic Compensation File", Match::Joined},
    {"[Enable Mic Compensation]", Match::Leading},
    {"[Disable Mic Compensation]", Match::Leading},
    {"[MicCompensation Enable]", Match::Full},
    {"[MicCompensation Disable]", Match::Full},
    {"[Trigger On]", Match::Full},
    {"[Trigger Off]", Match::Full},
    {"[Trigger ReArm On]", Match::Full},
    {"[Trigger ReArm Off]", Match::Full},
    {"[Trigger Threshold ", Match::Argument},
    {"[Spectrum Freq Span ", Match::Argument},
    {"[Phase Freq Span ", Match::Argument},
    {"[Spectrogram Freq Span ", Match::Argument},
    {"[Surface Freq Span ", Match::Argument},
    {"[Set Time Segment ", Match::Argument},
    {"[Copy to Clipboard as Bitmap]", Match::Full},
    {"[Set Input Device ", Match::Argument},
    {"[Set Output Device ", Match::Argument},
    {"[Calibrate]", Match::Full},
    {"[Save Calibration ", Match::Argument},
    {"[Open Time Series]", Match::Leading},
    {"[Close Time Series]", Match::Leading},
    {"[Restore Time Series]", Match::Full},
    {"[Maximize Time Series]", Match::Full},
    {"[Open Spectrum]", Match::Leading},
    {"[Close Spectrum]", Match::Leading},
    {"[Restore Spectrum]", Match::Full},
    {"[Maximize Spectrum]", Match::Full},
    {"[Open Phase]", Match::Leading},
    {"[Close Phase]", Match::Leading},
    {"[Restore Phase]", Match::Full},
    {"[Maximize Phase]", Match::Full},
    {"[Open Spectrogram]", Match::Leading},
    {"[Close Spectrogram]", Match::Leading},
    {"[Restore Spectrogram]", Match::Full},
    {"[Maximize Spectrogram]", Match::Full},
    {"[Open Surface]", Match::Leading},
    {"[Close Surface]", Match::Leading},
    {"[Restore Surface]", Match::Full},
    {"[Maximize Surface]", Match::Full},
    {"[Print Time Series]", Match::Full},
    {"[Print Spectrum]", Match::Full},
    {"[Print Phase]", Match::Full},
    {"[Print Spectrogram]", Match::Full},
    {"[Print 3D Surface]", Match::Full},
    {"[Set Annotation Line1 ", Match::Argument},
    {"[Set Annotation Line2 ", Match::Argument},
    {"[Save Generator Signal as Wave ", Match::Argument},
    {"[Set Generator Type ", Match::Argument},
    {"[Set Generator Tone ", Match::Argument},
    {"[Set Generator Wave File ", Match::Argument},
    {"[Open Reverb]", Match::Leading},
    {"[Close Reverb]", Match::Leading},
    {"[Start Reverb]", Match::Leading},
    {"[Save Reverb", Match::Joined},
    {"[Open Macro]", Match::Leading},
    {"[Close Macro]", Match::Leading},
    {"[Open Macro File", Match::Joined},
    {"[Start Macro]", Match::Leading},
    {"[Stop Macro]", Match::Leading},
    {"[Hide Menu]", Match::Leading},
    {"[Show Menu]", Match::Leading},
    {"[Hide Toolbar]", Match::Leading},
    {"[Show Toolbar]", Match::Leading},
    {"[Hide Statusbar]", Match::Leading},
    {"[Show Statusbar]", Match::Leading},
    {"[Hide Plot Toolbars]", Match::Leading},
    {"[Show Plot Toolbars]", Match::Leading},
    {"[UseTempFile ", Match::Argument},
}};

bool SameLetters(std::string_view a, std::string_view b, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

// The rest after `skip` characters, without its last character (the closing bracket).
std::string ArgumentAfter(std::string_view text, size_t skip) {
  if (skip >= text.size()) return {};
  std::string_view rest = text.substr(skip);
  rest.remove_suffix(1);
  return std::string(rest);
}

}  // namespace

std::string_view ExecuteCommandName(ExecuteId id) {
  if (id < 0 || id >= kExecuteCount) return {};
  return kCommands[static_cast<size_t>(id)].name;
}

std::optional<TExecuteMatch> MatchExecuteCommand(std::string_view text) {
  if (text.empty() || text.size() > kMaxExecuteBytes) return std::nullopt;
  for (size_t i = 0; i < kCommands.size(); ++i) {
    const TCommandName& command = kCommands[i];
    const std::string_view name = command.name;
    TExecuteMatch match;
    match.id = static_cast<ExecuteId>(i);
    switch (command.match) {
      case Match::Full:
        if (text.size() == name.size() && SameLetters(text, name, name.size())) return match;
        break;
      case Match::Leading:
        if (text.size() <= name.size() && SameLetters(text, name, text.size())) return match;
        break;
      case Match::Argument:
        if (text.size() >= name.size() && SameLetters(text, name, name.size())) {
          match.argument = ArgumentAfter(text, name.size());
          return match;
        }
        break;
      case Match::Joined:
        if (text.size() >= name.size() && SameLetters(text, name, name.size())) {
          size_t skip = name.size();
          if (skip < text.size() && text[skip] == ' ') ++skip;
          match.argument = ArgumentAfter(text, skip);
          return match;
        }
        break;
    }
  }
  return std::nullopt;
}

int64_t LeadingInteger(std::string_view text) {
  const std::string copy(text.substr(0, 64));
  errno = 0;
  const long long value = std::strtoll(copy.c_str(), nullptr, 10);
  return static_cast<int64_t>(value);
}

double LeadingReal(std::string_view text) {
  const std::string copy(text.substr(0, 64));
  const double value = std::strtod(copy.c_str(), nullptr);
  return std::isfinite(value) ? value : 0.0;
}

}  // namespace orvanix
