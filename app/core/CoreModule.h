// Subsystems that plug into the analyzer core: the measurements and the data logger, the
// generator, the acoustic utilities, automation. Each brings one TCoreModule that the core
// owns: its state, its commands with their enabling and check rules, its own configuration
// sections and its headless options. The core, the menus, the automation server and the
// command line reach it through the same table, so a new subsystem touches its own folder
// and one registration line (app/Modules.cpp), not the core.
//
// Everything here runs on the main thread, like the core.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "app/core/AnalyzerCore.h"

namespace orvanix {

class TProfile;
struct THeadlessOptions;  // app/core/Headless.h
struct TReportContext;    // files/Configuration.h

// One option of `tessiva --headless` that a module understands.
struct THeadlessOption {
  const char* name;       // "--measure"
  const char* valueName;  // "LIST" for an option with a value; nullptr for a switch. Several
                          // words ("START END") take that many values, handed over joined
                          // by '\n'.
  const char* help;       // one line (or several joined by '\n') for --help
};

class TCoreModule : public TAnalyzerObserver {
 public:
  explicit TCoreModule(TAnalyzerCore& core) : core_(core) {}
  ~TCoreModule() override = default;
  TCoreModule(const TCoreModule&) = delete;
  TCoreModule& operator=(const TCoreModule&) = delete;

  // The name it is registered under ("measure", "generator").
  virtual std::string_view Name() const = 0;
  // Where it stands among the core's listeners (see ObserverRole).
  virtual ObserverRole Role() const { return kRoleUtility; }

  // ---- commands ----
  // Whether it runs `command`. The core then leaves enabling, checks and execution to it
  // (TAnalyzerCore::Execute tests IsEnabled first, as for its own commands).
  virtual bool OwnsCommand(int32_t command) const {
    (void)command;
    return false;
  }
  // Runs a command it owns that needs no parameter; false when refused or cancelled, or
  // when it needs a window (the GUI's to run).
  virtual bool Execute(int32_t command) {
    (void)command;
    return false;
  }
  virtual bool IsEnabled(int32_t command) const {
    (void)command;
    return true;
  }
  virtual bool IsChecked(int32_t command) const {
    (void)command;
    return false;
  }

  // A file the wave reader refused (`refusal` says why; empty when it refuses without a
  // message): true or false when the module opened it as the document or tried and failed
  // (the reason was shown), nothing to leave it to the reader's refusal.
  virtual std::optional<bool> OpenForeignFile(const std::string& path, const std::string& refusal) {
    (void)path;
    (void)refusal;
    return std::nullopt;
  }

  // Whether the processing step must run for it (a running data log, an open link): the
  // run loop skips the transform while nothing consumes spectra.
  virtual bool ConsumesSpectra() const { return false; }

  // ---- settings ----
  // Its sections of the program settings file: read when it is installed, written when the
  // core saves every setting at exit. Configuration files reach it as
  // ConfigurationLoaded / SavingConfiguration; a section the .cfg lacks leaves that part of
  // its settings as it is, as the core's own sections do.
  virtual void LoadProgramSettings(const TProfile& program) { (void)program; }
  virtual void SaveProgramSettings(TProfile& program) const { (void)program; }
  // The program is closing: stop what runs (the analyzer is already stopped).
  virtual void Shutdown() {}

  // ---- the run loop ----
  // The analyzer's input has started (Real-Time running or Recorder recording): output that
  // plays alongside it starts now. Called inside the run loop's start.
  virtual void AnalyzerInputStarted() {}
  // The analyzer has stopped (the state is already stopped): output alongside it stops.
  virtual void AnalyzerStopped() {}
  // Playback of its own without the analyzer (the selection): Stop (902) is offered while it
  // plays, and ends it through StopPlayback, as every stop of the analyzer does.
  virtual bool PlaysWithoutAnalyzer() const { return false; }
  virtual void StopPlayback() {}

  // ---- the configuration report ----
  // What the report needs from the module (the generator's signal name).
  virtual void AddToReport(TReportContext& context) const { (void)context; }

  // ---- headless runs (app/core/Headless.cpp) ----
  // One of its options as given on the command line (`value` empty for a switch). Returns
  // an error text for the user, or empty when accepted.
  virtual std::string TakeHeadlessOption(std::string_view name, const std::string& value) {
    (void)name;
    (void)value;
    return {};
  }
  // The whole command line as the core understood it (the file argument, --output,
  // --device, ...), given before HeadlessPrepare, for modules whose options combine with
  // the common ones.
  virtual void TakeCommonHeadlessOptions(const THeadlessOptions& options) { (void)options; }
  // After start-up and the settings overrides, before anything runs. False stops the
  // program with exit status 1 (the reason was reported).
  virtual bool HeadlessPrepare() { return true; }
  // A run of its own instead of the default analysis (writing a generated signal, an
  // import, a decoder over a file): the exit status, or nothing to let the run go on.
  virtual std::optional<int> HeadlessRun() { return std::nullopt; }
  // After the run: results on stdout. Returns a nonzero exit status when what it was asked
  // for could not be given.
  virtual int HeadlessReport() { return 0; }

 protected:
  TAnalyzerCore& Core() const { return core_; }

 private:
  TAnalyzerCore& core_;
};

// A module kind, registered once per process (app/Modules.cpp for the program; tests
// register what they need).
struct TModuleInfo {
  std::string_view name;
  std::unique_ptr<TCoreModule> (*make)(TAnalyzerCore& core);
  std::span<const THeadlessOption> headlessOptions;
};

// Adds a kind; a second registration of the same name replaces the first.
void RegisterModule(const TModuleInfo& info);
const std::vector<TModuleInfo>& RegisteredModules();
// The module kind that understands a headless option, or nullptr.
const TModuleInfo* FindHeadlessOption(std::string_view name);
// Makes one module of every registered kind for `core`, in registration order.
void InstallModules(TAnalyzerCore& core);

}  // namespace orvanix
