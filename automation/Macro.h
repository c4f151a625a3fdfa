// TMacro: the macro interpreter. It runs the macro text one line per step (the host calls
// Step() once per idle pass), drives the analyzer through the automation server's execute
// commands and item requests, and appends requested items to its output file.
//
// Memory stays flat however long a macro runs: labels, the return stack and the loop are
// fixed-size state, and the output file is written through (flushed after every line) so
// that what was written survives a kill.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "automation/MacroLanguage.h"

namespace orvanix {

// What a macro reaches of the automation server.
class TMacroServer {
 public:
  virtual ~TMacroServer() = default;
  // The execute-command processor: whether the command was processed.
  virtual bool Execute(const std::string& command) = 0;
  // The request handler: the item's index, and its text.
  virtual std::optional<int32_t> FindItem(const std::string& name) = 0;
  virtual std::string ItemText(int32_t item) = 0;
};

// Time sources, replaceable by tests.
struct TMacroClock {
  std::function<int64_t()> tickMsec;  // milliseconds from an arbitrary start
  std::function<std::time_t()> now;   // calendar time
  static TMacroClock System();
};

class TMacro {
 public:
  TMacro(TMacroServer& server, TMacroClock clock = TMacroClock::System());
  ~TMacro();
  TMacro(const TMacro&) = delete;
  TMacro& operator=(const TMacro&) = delete;

  // ---- the text ----
  // Replaces the text (a running macro is stopped first).
  void SetText(const std::string& text);
  const std::vector<std::string>& Lines() const { return lines_; }
  // Reads a .mac file as the text; false (and "Failure opening macro file: %s" in `error`)
  // when it cannot be read. A running macro is stopped first.
  bool Load(const std::string& path, std::string& error);

  // ---- options ----
  // The macro folder (relative output names go there), the default output file (empty:
  // macro_output.txt in the folder) and whether a run starts with an empty output file.
  void SetFolder(const std::string& folder) { folder_ = folder; }
  void SetDefaultOutput(const std::string& path) { defaultOutput_ = path; }
  void SetOverwrite(bool overwrite) { overwrite_ = overwrite; }
  std::string DefaultOutputPath() const;

  // ---- running ----
  void Run();
  void Stop();
  bool Running() const { return running_; }
  // One line (or one look at a wait). False when no more steps are wanted.
  bool Step();
  // Whether the current line is a wait that has not ended (the host may step less often).
  bool Waiting() const { return waiting_; }
  int32_t CurrentLine() const { return current_; }
  const std::string& OutputPath() const { return outputPath_; }
  // The message of the error that stopped the last run (empty: none); the host shows it
  // after the step, outside anything an event can re-enter.
  std::string TakeError();

  // Told when a run starts or stops, and when an output file is closed (its path).
  std::function<void()> onStatusChanged;
  std::function<void(const std::string&)> onOutputClosed;

 private:
  void Execute(const TMacroStatement& s);
  void Wait(const TMacroStatement& s);
  void Fail(const char* format, const std::string& line);
  bool Write(const std::string& text);
  void CloseOutput();
  int32_t ClockHhmm() const;
  std::tm Local() const;

  TMacroServer& server_;
  TMacroClock clock_;
  std::vector<std::string> lines_;
  std::string folder_ = ".";
  std::string defaultOutput_;
  bool overwrite_ = true;

  bool running_ = false;
  int32_t count_ = 0;
  int32_t current_ = 0;
  TMacroLabels labels_;
  std::array<int32_t, kMacroReturnDepth> stack_{};
  int32_t top_ = -1;
  int32_t loopCount_ = 0;
  int32_t loopCounter_ = 0;
  int32_t loopLine_ = 0;
  bool waiting_ = false;
  int64_t endTick_ = 0;
  int32_t target_ = 0;
  int32_t start_ = 0;
  bool wrap_ = false;
  std::time_t targetDate_ = 0;
  std::string outputPath_;
  std::FILE* output_ = nullptr;
  std::string error_;
};

}  // namespace orvanix
