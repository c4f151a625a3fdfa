#include "app/dialogs/Dialogs.h"

#include <filesystem>
#include <functional>
#include <memory>

#include "acquisition/SoundInput.h"
#include "app/core/AnalyzerCore.h"
#include "app/dialogs/AnnotationsDialog.h"
#include "app/dialogs/CalibrationDialog.h"
#include "app/dialogs/DeviceDialog.h"
#include "app/dialogs/FileIoOptionsDialog.h"
#include "app/dialogs/MarkersDialog.h"
#include "app/dialogs/OverlayDialog.h"
#include "app/dialogs/ScalingDialog.h"
#include "app/dialogs/SetPathsDialog.h"
#include "app/dialogs/SettingsDialog.h"
#include "app/dialogs/SpectrumOptsDialog.h"
#include "app/dialogs/TriggerDialog.h"
#include "engine/CalibrationTexts.h"
#include "files/Configuration.h"
#include "ui/FileDialogs.h"

namespace orvanix {

namespace {

// Hands an edited copy of every setting to the core, as a dialog's change.
bool Apply(TAnalyzerCore& core, const std::function<void(TAnalyzerSettings&)>& edit) {
  TAnalyzerSettings copy = core.Settings();
  edit(copy);
  return core.ApplySettings(copy, SettingsOrigin::Dialog);
}

bool Accepted(QDialog& dialog) {
  return dialog.exec() == QDialog::Accepted;
}

std::string FolderOrCurrent(const std::string& folder) {
  return folder.empty() ? std::string(".") : folder;
}

}  // namespace

bool RunSettingsDialog(QWidget* parent, TAnalyzerCore& core) {
  core.Stop();
  const TAnalyzerSettings& settings = core.Settings();
  TProcessingContext context;
  context.postProcessing = core.Mode() == kModePostProcessing;
  // An open file dictates the format; in Real-Time mode the document slot holds only the
  // history buffer, which follows the settings.
  context.formatEditable = !(core.HasDocument() && core.Mode() != kModeRealTime);
  // The dialog asks the configured input device; before the ports exist a port is made
  // just for asking.
  std::unique_ptr<TSoundInput> probe;
  const TSoundInput* input = core.Input();
  if (!input) {
    probe = std::make_unique<TSoundInput>(
        TSoundPort::ClampDeviceId(TSoundDirection::Input, settings.devices.inputDeviceId));
    input = probe.get();
  }
  context.input = CapabilitiesOf(*input);
  context.availableMemoryBytes = AvailablePhysicalMemory();
  TSettingsDialog dialog(parent, settings.processing, context);
  if (!Accepted(dialog)) return false;
  return Apply(core, [&dialog](TAnalyzerSettings& s) { s.processing = dialog.Result(); });
}

bool RunScalingDialog(QWidget* parent, TAnalyzerCore& core) {
  core.Stop();
  const TAnalyzerSettings& settings = core.Settings();
  const std::string folder = core.LastFolder(kFolderMicrophone);
  TScalingDialog dialog(parent, settings.scaling, settings.processing.format.channels, folder);
  const bool accepted = Accepted(dialog);
  // A file chosen with a browse button moves the last-used folder, OK or not.
  if (dialog.MicFolder() != folder) core.SetLastFolder(kFolderMicrophone, dialog.MicFolder());
  if (!accepted) return false;
  return Apply(core, [&dialog](TAnalyzerSettings& s) { s.scaling = dialog.Result(); });
}

bool RunTriggerDialog(QWidget* parent, TAnalyzerCore& core) {
  core.Stop();
  TTriggerDialog dialog(parent, core.Settings().trigger);
  if (!Accepted(dialog)) return false;
  return Apply(core, [&dialog](TAnalyzerSettings& s) { s.trigger = dialog.Result(); });
}

bool RunMarkersDialog(QWidget* parent, TAnalyzerCore& core) {
  core.Stop();
  TMarkersDialog dialog(parent, core.Settings().markers);
  if (!Accepted(dialog)) return false;
  return Apply(core, [&dialog](TAnalyzerSettings& s) { s.markers = dialog.Result(); });
}

bool RunDeviceDialog(QWidget* parent, TAnalyzerCore& core) {
  core.Stop();
  // Devices plugged in since start-up (or the last look) join the lists.
  core.RescanDevices();
  TDeviceDialog dialog(parent, core.Settings().devices, SystemDeviceLists());
  if (!Accepted(dialog)) return false;
  return Apply(core, [&dialog](TAnalyzerSettings& s) { s.devices = dialog.Result(); });
}

bool RunSpectrumOptionsDialog(QWidget* parent, TAnalyzerCore& core) {
  core.Stop();
  const TAnalyzerSettings& settings = core.Settings();
  TSpectrumOptsDialog dialog(parent, settings.spectrumPlot, settings.scaling.ampScale != 0,
                             static_cast<double>(settings.processing.Nyquist()));
  if (!Accepted(dialog)) return false;
  return Apply(core, [&dialog](TAnalyzerSettings& s) { s.spectrumPlot = dialog.Result(); });
}

bool RunOverlayDialog(QWidget* parent, TAnalyzerCore& core) {
  core.Stop();
  const TAnalyzerSettings& settings = core.Settings();
  TOverlayDialog dialog(parent, settings.spectrumPlot,
                        FolderOrCurrent(settings.paths.folders[kFolderOverlay]));
  if (!Accepted(dialog)) return false;
  return Apply(core, [&dialog](TAnalyzerSettings& s) { s.spectrumPlot = dialog.Result(); });
}

bool RunFileIoOptionsDialog(QWidget* parent, TAnalyzerCore& core) {
  // Stops the analysis; refused (and reported) while a file is open outside Real-Time mode.
  if (!core.PrepareFileIoOptions()) return false;
  TFileIoOptionsDialog dialog(parent, core.Settings().fileIo);
  if (!Accepted(dialog)) return false;
  return Apply(core, [&dialog](TAnalyzerSettings& s) { s.fileIo = dialog.Result(); });
}

bool RunSetPathsDialog(QWidget* parent, TAnalyzerCore& core) {
  core.Stop();
  TSetPathsDialog dialog(parent, core.Settings().paths);
  if (!Accepted(dialog)) return false;
  const TPaths paths = dialog.Result();
  const bool applied = Apply(core, [&paths](TAnalyzerSettings& s) { s.paths = paths; });
  for (int kind = 0; kind < kFolderKindCount; ++kind) {
    core.SetLastFolder(static_cast<FolderKind>(kind), paths.folders[static_cast<size_t>(kind)]);
  }
  return applied;
}

bool RunAnnotationsDialog(QWidget* parent, TAnalyzerCore& core) {
  core.Stop();
  TAnnotationsDialog dialog(parent, core.Settings().print);
  if (!Accepted(dialog)) return false;
  return Apply(core, [&dialog](TAnalyzerSettings& s) { s.print = dialog.Result(); });
}

bool RunCalibrationDialog(QWidget* parent, TAnalyzerCore& core, TFileChooser* chooser) {
  core.Stop();
  TQtFileChooser qtChooser;
  TFileChooser& files = chooser ? *chooser : qtChooser;
  TCalibrationDialog::Services services;
  services.measure = [&core](TCalibration& record) { return core.MeasureReference(record); };
  services.chooseFile = [&files, parent](bool save, const std::string& folder) {
    const TFileRequest request{save ? TFileRequest::Kind::Save : TFileRequest::Kind::Open,
                               save ? kSaveCalibrationTitle : kOpenCalibrationTitle,
                               Format(kCalibrationFilter, kCalibrationFilesText), folder};
    return files.Choose(request, parent);
  };
  const std::string lastFolder = core.LastFolder(kFolderCalibration);
  services.folder = lastFolder;
  services.calibrationFolder = FolderOrCurrent(core.Settings().paths.folders[kFolderCalibration]);
  TCalibrationDialog dialog(parent, core.Calibration(), services);
  const bool accepted = Accepted(dialog);
  if (dialog.Folder() != lastFolder) core.SetLastFolder(kFolderCalibration, dialog.Folder());
  if (!accepted) return false;
  core.SetCalibration(dialog.Result());
  return true;
}

}  // namespace orvanix
