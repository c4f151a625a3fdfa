// TDataLogModule: data logging inside the analyzer core. It owns the commands "On" (159),
// "Off" (160) and "View..." (204) (the frame runs "Setup..." (158) through its dialog), keeps
// a TDataLog while logging is on and hands it the display spectra after every processed
// block, before the measurement windows are told.
//
// Headless: --log FILE with --log-type N, --log-interval SECS, --log-threshold VALUE,
// --log-range START END and --log-append log during the run.
//
// Registered as "datalog" (RegisterMeasureModule).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "app/core/CoreModule.h"
#include "files/SettingsRecords.h"

namespace orvanix {

class TDataLog;

class TDataLogModule : public TCoreModule {
 public:
  explicit TDataLogModule(TAnalyzerCore& core);
  ~TDataLogModule() override;

  static constexpr std::string_view kName = "datalog";
  static const TModuleInfo& Info();
  std::string_view Name() const override { return kName; }
  ObserverRole Role() const override { return kRoleDataLogger; }

  bool OwnsCommand(int32_t command) const override;
  bool Execute(int32_t command) override;
  bool IsEnabled(int32_t command) const override;
  bool IsChecked(int32_t command) const override;
  bool ConsumesSpectra() const override { return log_ != nullptr; }

  // Logging on: a logger with the current settings (a relative file name lives in the log
  // folder). A file that cannot be opened is reported; the logger then writes nothing until
  // logging is switched off and on again.
  void SwitchOn();
  void SwitchOff();
  bool On() const { return log_ != nullptr; }
  // The logger while logging is on (tests read its state).
  const TDataLog* Log() const { return log_.get(); }
  // The file a logger would write: the setting, in the log folder when relative.
  std::string LogPath() const;
  // "View...": logging off, then the viewer program on the log file. The Windows default
  // viewer does not exist here: "notepad.exe" or an empty setting opens the file with the
  // desktop's own viewer (xdg-open). False when the viewer could not be started (reported).
  bool ViewLog();

  // The delay finder's delay for the "Time Delay" data type: set while its window is open,
  // nothing otherwise.
  void SetDelaySource(std::function<std::optional<float>()> source) {
    delaySource_ = std::move(source);
  }

  void BlockProcessed(double analysisTimeSecs) override;
  void StatusChanged() override;
  void Shutdown() override;

  std::string TakeHeadlessOption(std::string_view name, const std::string& value) override;
  bool HeadlessPrepare() override;
  int HeadlessReport() override;

 private:
  // The time a record carries: the time of day in Real-Time mode, the file position else.
  double RecordTime(double analysisTimeSecs) const;

  std::unique_ptr<TDataLog> log_;
  bool switching_ = false;
  std::function<std::optional<float>()> delaySource_;
  // Headless: the logging settings the options asked for.
  std::optional<TLoggingSettings> headless_;
  uint64_t headlessRecords_ = 0;
  bool headlessFileGiven_ = false;
  bool headlessFailed_ = false;
};

}  // namespace orvanix
