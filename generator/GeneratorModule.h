// TGeneratorModule: the signal generator's place in the analyzer core. It owns the
// generator settings record and, while the generator is open, the TSignalGenerator that
// plays it; it runs "Save Signal To Wave File..." (184, enabled while the generator is open),
// starts and stops the generator's output with the analyzer's input, reads and writes the
// generator's sections, and gives the headless options --generate, --param, --level,
// --seconds.
//
// Settings lifecycle. The generator reads its keys when it opens: from the program
// settings file, or from the configuration being loaded when that configuration has the
// generator open. It writes them to the program settings file when it closes (and at exit
// while open), and into a configuration saved while it is open.
//
// Other subsystems read the live record with Settings(); the IMD measurement asks
// ImdHighToneHz() (7000 Hz while the generator is closed).
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "app/core/CoreModule.h"
#include "files/SettingsRecordsGenerator.h"

class QTimer;

namespace orvanix {

class TSignalGenerator;

class TGeneratorModule : public TCoreModule {
 public:
  static constexpr const char* kName = "generator";
  // The module kind for RegisterModule (app/Modules.cpp).
  static TModuleInfo Info();

  explicit TGeneratorModule(TAnalyzerCore& core);
  ~TGeneratorModule() override;

  // ---- the generator's state ----
  bool IsOpen() const { return generator_ != nullptr; }
  // The open generator; nullptr while closed.
  TSignalGenerator* Generator() { return generator_.get(); }
  // The live settings while open; the last ones read or written while closed.
  const TGeneratorSettings& Settings() const;
  // The IMD high tone of the left channel's IMD settings while open, else 7000 Hz.
  float ImdHighToneHz() const;

  // Opens the generator (its window opened, or a headless run): reads its keys (see above;
  // `settings` given: those instead), builds the signal. Nothing when it is open already.
  void Open(const TGeneratorSettings* settings = nullptr);
  // Stops it, writes its keys to the program settings file, releases the output and buffer.
  void Close();
  // The window's form of Open and Close. A closed window is deleted a moment after it
  // closes, possibly after its successor opened (a configuration being loaded closes and
  // reopens the windows): the generator belongs to the window that opened it last, which
  // closes and reopens it so that its keys are saved before they are read again.
  void OpenForWindow(const void* window);
  void CloseForWindow(const void* window);
  bool OwnedBy(const void* window) const { return window_ == window; }

  // "Save Signal To Wave File..." with its chosen path: stops the analyzer while saving
  // (restarted afterwards), refuses the analyzer's open document, saves. False when refused
  // or failed (the reason was shown).
  bool SaveSignalCommand(const std::string& path);

  // Told when the generator opens or closes or its state changes (the window).
  void SetChangeHandler(std::function<void()> handler);

  // ---- TCoreModule ----
  std::string_view Name() const override { return kName; }
  bool OwnsCommand(int32_t command) const override;
  bool IsEnabled(int32_t command) const override;
  bool Execute(int32_t command) override;
  void SaveProgramSettings(TProfile& program) const override;
  void Shutdown() override;
  void AnalyzerInputStarted() override;
  void AnalyzerStopped() override;
  void AddToReport(TReportContext& context) const override;
  void SettingsChanged() override;
  void ConfigurationLoaded(const TProfile& config) override;
  void SavingConfiguration(TProfile& config) override;
  void TakeCommonHeadlessOptions(const THeadlessOptions& options) override;
  std::string TakeHeadlessOption(std::string_view name, const std::string& value) override;
  bool HeadlessPrepare() override;
  std::optional<int> HeadlessRun() override;
  int HeadlessReport() override;

 private:
  void Notify() const;
  // Settings changes rebuild from the event loop, after the change is complete.
  void ScheduleRebuild();
  // The headless options applied to `g` (type, parameters, level); an error text or empty.
  std::string ApplyHeadlessOptions(TGeneratorSettings& g) const;

  TGeneratorSettings settings_;
  std::unique_ptr<TSignalGenerator> generator_;
  // Settings read from a configuration being loaded with the generator open: the next Open
  // takes them.
  std::optional<TGeneratorSettings> pendingConfig_;
  std::function<void()> changed_;
  std::unique_ptr<QTimer> rebuildTimer_;
  const void* window_ = nullptr;

  // Headless options.
  struct THeadless {
    std::string generate;  // --generate: a type name or number, or a .cfg
    std::string generateRight;
    std::vector<std::string> params, paramsRight;  // KEY=VALUE
    std::optional<double> level;
    double seconds = 0;  // --seconds; 0: as "Save Signal" writes it
    std::string output;
    bool runs = false;  // --realtime-seconds or --record-seconds: play while analysing
    bool active = false;
  } headless_;
};

}  // namespace orvanix
