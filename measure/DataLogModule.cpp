#include "measure/DataLogModule.h"

#include <QProcess>
#include <QString>
#include <QStringList>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>

#include "engine/Messages.h"
#include "engine/ProcessingStep.h"
#include "files/Configuration.h"
#include "files/WaveFile.h"
#include "measure/DataLog.h"
#include "measure/MeasureKinds.h"

namespace orvanix {

namespace {

constexpr THeadlessOption kOptions[] = {
    {"--log", "FILE", "write the data log to FILE during the run (overwritten)"},
    {"--log-type", "N",
     "what the data log records: 0 peak frequency, 1 peak amplitude, 2 both, 3 power\n"
     "level, 4 spectrum values, 5 THD, 6 THD+N, 7 IMD, 8 SNR, 9 SINAD, 10 noise figure,\n"
     "11 time delay (default 0)"},
    {"--log-interval", "SECS",
     "at most one record per SECS seconds; 0 logs every block (default 1)"},
    {"--log-threshold", "VALUE", "log only blocks whose peak exceeds VALUE (default -999)"},
    {"--log-range", "START END", "log this frequency range (Hz) instead of the analysis span"},
    {"--log-append", nullptr, "append to the log file instead of overwriting it"},
};

// The program the desktop opens a text file with.
constexpr const char* kDesktopViewer = "xdg-open";
constexpr const char* kWindowsViewer = "notepad.exe";

std::unique_ptr<TCoreModule> MakeModule(TAnalyzerCore& core) {
  return std::make_unique<TDataLogModule>(core);
}

bool ParseNumber(const std::string& text, double& value) {
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return end != text.c_str() && *end == '\0';
}

}  // namespace

const TModuleInfo& TDataLogModule::Info() {
  static const TModuleInfo info{kName, MakeModule, kOptions};
  return info;
}

TDataLogModule::TDataLogModule(TAnalyzerCore& core) : TCoreModule(core) {}

TDataLogModule::~TDataLogModule() = default;

bool TDataLogModule::OwnsCommand(int32_t command) const {
  return command == kCmdLoggingOn || command == kCmdLoggingOff || command == kCmdLoggingView;
}

bool TDataLogModule::Execute(int32_t command) {
  switch (command) {
    case kCmdLoggingOn:
      SwitchOn();
      return true;
    case kCmdLoggingOff:
      SwitchOff();
      return true;
    case kCmdLoggingView:
      return ViewLog();
    default:
      return false;
  }
}

bool TDataLogModule::IsEnabled(int32_t command) const {
  if (command == kCmdLoggingOn) return !On();
  if (command == kCmdLoggingOff) return On();
  return true;
}

bool TDataLogModule::IsChecked(int32_t command) const {
  if (command == kCmdLoggingOn) return On();
  if (command == kCmdLoggingOff) return !On();
  return false;
}

std::string TDataLogModule::LogPath() const {
  const std::string& name = Core().Settings().logging.logFileName;
  if (name.empty() || std::filesystem::path(name).is_absolute()) return name;
  return (std::filesystem::path(Core().LastFolder(kFolderLog)) / name).string();
}

void TDataLogModule::SwitchOn() {
  if (log_) return;
  TLoggingSettings settings = Core().Settings().logging;
  settings.logFileName = LogPath();
  log_ = std::make_unique<TDataLog>(settings);
  switching_ = true;
  Core().SetDataLogging(true);
  switching_ = false;
}

void TDataLogModule::SwitchOff() {
  if (log_) headlessRecords_ += log_->RecordCount();
  log_.reset();
  switching_ = true;
  Core().SetDataLogging(false);
  switching_ = false;
}

bool TDataLogModule::ViewLog() {
  SwitchOff();
  const std::string path = LogPath();
  std::string viewer = Core().Settings().logging.logViewerProgram;
  if (viewer.empty() || viewer == kWindowsViewer) viewer = kDesktopViewer;
  if (QProcess::startDetached(QString::fromStdString(viewer),
                              QStringList{QString::fromStdString(path)})) {
    return true;
  }
  ReportError(Format("Could not start the text viewer: %s %s", viewer.c_str(), path.c_str()),
              MessageIcon::Error);
  return false;
}

// The core switches logging off by itself (Recorder mode, closing the document); automation
// may switch it on through the core.
void TDataLogModule::StatusChanged() {
  if (switching_) return;
  if (!Core().DataLogging() && log_) {
    SwitchOff();
  } else if (Core().DataLogging() && !log_) {
    SwitchOn();
  }
}

double TDataLogModule::RecordTime(double analysisTimeSecs) const {
  if (Core().Mode() == kModeRealTime) {
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    if (!localtime_r(&seconds, &local)) return analysisTimeSecs;
    const auto sinceSecond = now - std::chrono::system_clock::from_time_t(seconds);
    const int hundredths = static_cast<int>(
        std::chrono::duration_cast<std::chrono::milliseconds>(sinceSecond).count() / 10);
    return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec + hundredths * 0.01;
  }
  if (const TWaveFile* doc = Core().Document()) return doc->PositionSeconds();
  return analysisTimeSecs;
}

void TDataLogModule::BlockProcessed(double analysisTimeSecs) {
  if (!log_ || log_->Error()) return;
  const TEngineObjects& engine = Core().Engine();
  const TDisplaySpectra spectra = DisplaySpectra(engine);
  TLogExtras extras;
  extras.left = engine.left.get();
  extras.right = engine.right.get();
  extras.noiseFigurePolarity = Core().Settings().viewStatus.noiseFigurePolarity;
  if (delaySource_) extras.delay = delaySource_();
  log_->WriteRecord(spectra.first, spectra.second, RecordTime(analysisTimeSecs),
                    EffectiveMode(engine.settings), extras);
  // A failed write was reported (after the step, from the event loop); logging stops so
  // that the menu offers "On" again, and the analysis goes on.
  if (log_->Error()) {
    headlessFailed_ = true;
    SwitchOff();
  }
}

void TDataLogModule::Shutdown() {
  SwitchOff();
}

std::string TDataLogModule::TakeHeadlessOption(std::string_view name, const std::string& value) {
  if (!headless_) headless_ = Core().Settings().logging;
  TLoggingSettings& s = *headless_;
  double number = 0;
  if (name == "--log") {
    if (value.empty()) return "--log needs a file name";
    s.logFileName = std::filesystem::absolute(value).string();
    headlessFileGiven_ = true;
  } else if (name == "--log-type") {
    if (!ParseNumber(value, number) || number < 0 ||
        number >= static_cast<int>(kLogDataTypeCount) || number != static_cast<int>(number)) {
      return "--log-type needs a data type from 0 to 11";
    }
    s.dataType = static_cast<int32_t>(number);
  } else if (name == "--log-interval") {
    if (!ParseNumber(value, number) || number < 0) return "--log-interval needs seconds >= 0";
    s.intervalFlag = number > 0 ? 1 : 0;
    s.intervalSecs = static_cast<float>(number);
  } else if (name == "--log-threshold") {
    if (!ParseNumber(value, number)) return "--log-threshold needs a number";
    s.threshold = static_cast<float>(number);
  } else if (name == "--log-range") {
    const size_t split = value.find('\n');
    double stop = 0;
    if (split == std::string::npos || !ParseNumber(value.substr(0, split), number) ||
        !ParseNumber(value.substr(split + 1), stop) || number < 0 || stop <= number) {
      return "--log-range needs a start and a higher stop frequency in Hz";
    }
    s.useFullSpan = 0;
    s.startFreqHz = static_cast<float>(number);
    s.stopFreqHz = static_cast<float>(stop);
  } else if (name == "--log-append") {
    s.overwrite = 0;
  }
  return {};
}

bool TDataLogModule::HeadlessPrepare() {
  if (!headless_) return true;
  if (!headlessFileGiven_) {
    std::fprintf(stderr, "tessiva: the --log-... options need --log FILE\n");
    return false;
  }
  const TLoggingSettings settings = *headless_;
  Core().ChangeSettings([&settings](TAnalyzerSettings& s) { s.logging = settings; },
                        SettingsOrigin::Outside);
  SwitchOn();
  if (log_ && log_->Error()) {
    SwitchOff();
    return false;
  }
  return true;
}

int TDataLogModule::HeadlessReport() {
  if (!headless_) return 0;
  const bool failed = headlessFailed_ || (log_ && log_->Error());
  SwitchOff();
  std::printf("Data log: %llu record(s) in %s%s\n",
              static_cast<unsigned long long>(headlessRecords_), headless_->logFileName.c_str(),
              failed ? " (stopped by a write error)" : "");
  return failed ? 1 : 0;
}

}  // namespace orvanix
