// The windowed program: `tessiva [--demo] [--settings FILE] [FILE.wav | FILE.cfg | FILE.mac]`.
// Without a display (neither $DISPLAY nor $WAYLAND_DISPLAY set, and no QT_QPA_PLATFORM
// chosen) or with --headless, main() runs the headless program instead.
#pragma once

#include <string>
#include <vector>

namespace orvanix {

struct TWindowedOptions {
  std::string argument;      // the .wav, .cfg or .mac file
  std::string settingsPath;  // --settings: the program settings file
  // --demo: open the Spectrum view and analyse the file at the recording's own speed,
  // starting over at its end.
  bool demo = false;
  bool help = false;
  std::string error;  // set when the command line could not be understood
};

TWindowedOptions ParseWindowedCommandLine(const std::vector<std::string>& args);
std::string WindowedUsage();

// Runs the windowed program; returns the process exit code. Creates the QApplication.
int RunWindowed(int argc, char** argv);

}  // namespace orvanix
