// `tessiva --headless`: the analyzer core without windows. Messages go to stderr,
// questions get their default answers, results go to stdout.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace orvanix {

// The command line of the headless program; see HeadlessUsage() for what each means.
struct THeadlessOptions {
  bool headless = false;
  bool help = false;
  bool version = false;
  std::string argument;  // the .wav, .cfg or .mac file
  // Every file given, the argument first; more than one only with --batch.
  std::vector<std::string> files;
  std::string settingsPath;    // --settings
  bool saveSettings = false;   // --save-settings
  double realTimeSeconds = 0;  // --realtime-seconds
  double recordSeconds = 0;    // --record-seconds
  std::string output;          // --output
  std::string device;          // --device
  double loopbackToneHz = 0;   // --loopback-tone
  uint64_t blocks = 0;         // --blocks

  // The Loopback's impulse response files and noise level (dB re full scale).
  std::string loopbackIrLeft, loopbackIrRight;  // --loopback-ir, --loopback-ir-right
  std::optional<double> loopbackNoiseDb;        // --loopback-noise

  // Settings overrides; unset ones keep the configured value.
  std::optional<int> fftSize, windowType, averageBlocks, averageType, overlap, channelMode, rate,
      channels, bits, ampScale, freqScale, decimation;
  bool quiet = false;
  // Options of the registered modules (app/core/CoreModule.h), in command-line order:
  // name and value (empty for a switch).
  std::vector<std::pair<std::string, std::string>> moduleOptions;
  std::string error;  // set when the command line could not be understood
};

THeadlessOptions ParseCommandLine(const std::vector<std::string>& args);
// Whether a module option of this name was given.
bool HasModuleOption(const THeadlessOptions& options, std::string_view name);
std::string HeadlessUsage();
// Whether the command line asks for the headless program (or for help/version).
bool WantsHeadless(int argc, char** argv);
// Whether there is a display to open windows on: $DISPLAY or $WAYLAND_DISPLAY set, or a
// QT_QPA_PLATFORM chosen.
bool HaveDisplay();
// What a command line asks of the program: the help of both option sets (--help without
// --headless), the window (a display and nothing headless asked), or the headless program.
enum class ProgramCall { kBothHelps, kWindow, kHeadless };
ProgramCall CallOf(int argc, char** argv, bool haveDisplay);
// The arguments for the headless program when a windowed command line falls back to it:
// the windowed-only options (--demo) are dropped. The pointers point into argv; the list
// ends with nullptr.
std::vector<char*> HeadlessArguments(int argc, char** argv);
// Runs the headless program; returns the process exit code. Creates the
// QCoreApplication itself.
int RunHeadless(int argc, char** argv);

}  // namespace orvanix
