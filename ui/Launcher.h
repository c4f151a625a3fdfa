// Launching the desktop's own programs: the text viewer for logs, reports and the release
// notes, and the sound mixer for input and output gain. Launches are detached and every
// failure is silent: the program goes on as if nothing had been asked.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orvanix {

struct TLaunch {
  std::string program;
  std::vector<std::string> arguments;
  bool operator==(const TLaunch&) const = default;
};

// Finds a program on the PATH (empty when there is none).
using TProgramFinder = std::function<std::string(const std::string& name)>;
std::string FindProgramOnPath(const std::string& name);

// The text viewer for `file`. A stored viewer that is empty or "notepad.exe" (without case,
// with or without a folder) means the desktop's default viewer: "xdg-open file". Any other
// text is a program name or path; the file is its one argument.
TLaunch TextViewerLaunch(const std::string& viewer, const std::string& file);

// The mixer page for recording devices (input) or playback devices (output): pavucontrol on
// the matching tab, else pwvucontrol, else the desktop's sound settings. Nothing when none
// is installed.
enum class MixerSide { Input, Output };
std::optional<TLaunch> MixerLaunch(MixerSide side, const TProgramFinder& find = FindProgramOnPath);

// Starts a launch detached; false when it could not be started (callers stay silent).
bool LaunchDetached(const TLaunch& launch);
bool OpenTextViewer(const std::string& viewer, const std::string& file);
bool StartMixer(MixerSide side);

}  // namespace orvanix
