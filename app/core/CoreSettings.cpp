// Settings: applying them, calibration, configuration files and the report.
#include <sys/stat.h>

#include "app/core/AnalyzerCore.h"
#include "app/core/CoreState.h"
#include "app/core/CoreTexts.h"
#include "engine/Messages.h"
#include "engine/ProcessingStep.h"
#include "files/CalibrationFile.h"
#include "files/ConfigTexts.h"

namespace orvanix {

namespace {

bool IsAbsolute(const std::string& path) {
  return !path.empty() && path[0] == '/';
}

}  // namespace

bool TAnalyzerCore::ApplySettings(const TAnalyzerSettings& settings, SettingsOrigin origin) {
  Impl& d = *impl_;
  const bool restart = origin == SettingsOrigin::Outside && IsRunning();
  const bool playing = State() == kStatePlaying;
  Stop();
  const bool devicesChanged = !(settings.devices == d.settings.devices);
  // Only processing and scaling shape the engine objects; a change of colours, markers,
  // paths or trigger keeps the spectra and their averages.
  const bool engineChanged = !(settings.processing == d.settings.processing) ||
                             !(settings.scaling == d.settings.scaling) || !d.engine.left;
  const int32_t mode = d.settings.opMode;
  d.settings = settings;
  // The mode changes only through SetMode, with its prompts.
  d.settings.opMode = mode;
  if (devicesChanged && d.portsCreated) d.CreatePorts();
  bool built = true;
  if (engineChanged) {
    built = d.Rebuild();
  } else {
    ApplyCalibration(d.CalibrationOn() ? &d.settings.calibration : nullptr, d.engine);
  }
  d.ApplyFullScale();
  d.Notify([](TAnalyzerObserver& o) { o.SettingsChanged(); });
  d.StatusChanged();
  if (restart && built) {
    if (playing) {
      Play();
    } else {
      Start();
    }
  }
  return built;
}

bool TAnalyzerCore::ChangeSettings(const std::function<void(TAnalyzerSettings&)>& edit,
                                   SettingsOrigin origin) {
  TAnalyzerSettings copy = impl_->settings;
  if (edit) edit(copy);
  return ApplySettings(copy, origin);
}

bool TAnalyzerCore::PrepareFileIoOptions() {
  Impl& d = *impl_;
  Stop();
  if (d.settings.opMode != kModeRealTime && d.document) {
    ReportError(kMsgFileIoWhileOpen, MessageIcon::Information);
    return false;
  }
  if (d.settings.opMode == kModeRealTime && d.document) {
    d.document.reset();
    d.DocumentChanged();
  }
  return true;
}

void TAnalyzerCore::SetCalibration(const TCalibration& record) {
  Impl& d = *impl_;
  d.settings.calibration = record;
  ApplyCalibration(d.CalibrationOn() ? &d.settings.calibration : nullptr, d.engine);
  d.ApplyFullScale();
  d.Notify([](TAnalyzerObserver& o) { o.SettingsChanged(); });
}

bool TAnalyzerCore::LoadConfiguration(const std::string& path) {
  Impl& d = *impl_;
  Stop();
  // A file that cannot be read (reported) changes nothing, not even the open document.
  TProfile config;
  if (config.Load(path) == ProfileLoad::kRefused) return false;
  if (!CloseDocument()) return false;
  SetLastFolder(kFolderConfig, FolderOf(path));

  // The configuration keys only: the machine-specific settings in use (folders, file I/O
  // options, file history, ...) may have changed since start-up, and the copy of the
  // program settings file taken then must not undo that. A section the file lacks keeps
  // what is set now.
  TAnalyzerSettings loaded = d.settings;
  TLoadOptions options;
  options.macroWindowOpen = IsWindowOpen(kWindowMacro);
  orvanix::LoadConfiguration(config, loaded, options);
  // The record names the .cal file it came from; when that file is there, it is read over
  // the record. A missing file keeps what the configuration itself holds rather than
  // resetting the calibration to defaults; a configuration without calibration keeps the
  // calibration in use as it is.
  std::string calFile = FieldText(loaded.calibration.fileName);
  if (config.HasSection(kSectionCalibration) && calFile.size() > 3) {
    if (!IsAbsolute(calFile)) calFile = loaded.paths.folders[kFolderCalibration] + "/" + calFile;
    struct stat st {};
    if (::stat(calFile.c_str(), &st) == 0) {
      TCalibration record = loaded.calibration;
      if (LoadCalibration(calFile, record) == CalibrationLoad::kLoaded) {
        loaded.calibration = record;
      }
    }
  }
  const int32_t mode = IsValidMode(loaded.opMode) ? loaded.opMode : kModeRealTime;
  d.settings = loaded;
  d.settings.opMode = mode;
  if (d.portsCreated) d.CreatePorts();
  d.Rebuild();
  d.Notify([](TAnalyzerObserver& o) {
    o.SettingsChanged();
    o.StateChanged();
  });
  d.StatusChanged();
  d.Notify([&config](TAnalyzerObserver& o) { o.ConfigurationLoaded(config); });

  const std::string openFile = d.settings.fileHistory.openFileName;
  if (!openFile.empty()) OpenWave(openFile);
  return true;
}

bool TAnalyzerCore::SaveConfiguration(const std::string& path) {
  Impl& d = *impl_;
  Stop();
  SetLastFolder(kFolderConfig, FolderOf(path));
  d.settings.fileHistory.openFileName.clear();
  if (d.document && !d.document->Untitled()) {
    d.settings.fileHistory.openFileName = d.document->TargetPath();
  }
  // Our keys and the windows' placements go into one profile, which replaces the file in
  // one piece; lines that are not ours survive.
  TProfile config;
  if (config.Load(path, true) == ProfileLoad::kRefused) config.Clear();
  orvanix::SaveConfiguration(config, d.program, d.settings);
  d.Notify([&config](TAnalyzerObserver& o) { o.SavingConfiguration(config); });
  return config.Save(path);
}

std::vector<std::string> TAnalyzerCore::ConfigurationReport() const {
  const Impl& d = *impl_;
  TReportContext context;
  if (d.document && !d.document->Untitled()) context.waveFilePath = d.document->TargetPath();
  // Naming the devices needs the audio system; without ports yet, the configured numbers
  // are looked up.
  if (d.input && d.input->HasDevice()) {
    context.inputDeviceName = d.input->Name();
  } else if (!d.portsCreated) {
    context.inputDeviceName =
        TSoundPort::DeviceName(TSoundDirection::Input, d.settings.devices.inputDeviceId);
  }
  if (d.output && d.output->HasDevice()) {
    context.outputDeviceName = d.output->Name();
  } else if (!d.portsCreated) {
    context.outputDeviceName =
        TSoundPort::DeviceName(TSoundDirection::Output, d.settings.devices.outputDeviceId);
  }
  for (const auto& module : d.modules) module->AddToReport(context);
  TAnalyzerSettings shown = d.settings;
  shown.processing = d.engine.settings;
  return ConfigurationReportLines(shown, context);
}

}  // namespace orvanix
