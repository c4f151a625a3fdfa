// The frame's commands that need a dialog first: the wave-file and configuration dialogs and
// the configuration report.
#include <QMdiArea>

#include "app/core/CoreTexts.h"
#include "app/gui/ConfigViewDialog.h"
#include "app/gui/MainWin.h"
#include "app/gui/SpectrumWindow.h"
#include "app/gui/ViewWindows.h"
#include "engine/Messages.h"
#include "files/ConfigTexts.h"
#include "files/Configuration.h"
#include "ui/FileDialogs.h"
#include "ui/TextPrinter.h"
#include "views/OrvanePlot.h"

namespace orvanix {

std::string TMainWin::Choose(bool save, const std::string& title, const std::string& filter,
                             const std::string& folder) {
  const TFileRequest request{save ? TFileRequest::Kind::Save : TFileRequest::Kind::Open, title,
                             filter, folder};
  return chooser_->Choose(request, this);
}

bool TMainWin::OpenCommand() {
  // Refused in Real-Time mode before any dialog; the core says why.
  if (core_.Mode() == kModeRealTime) return core_.OpenWaveCommand(std::string());
  core_.Stop();
  const std::string path =
      Choose(false, kOpenWaveTitle, kWaveFilter, core_.LastFolder(kFolderWave));
  if (path.empty()) return false;
  return core_.OpenWaveCommand(path);
}

bool TMainWin::SaveAsCommand() {
  core_.Stop();
  const std::string path = Choose(true, kSaveWaveTitle, kWaveFilter, core_.LastFolder(kFolderWave));
  if (path.empty()) return false;
  return core_.SaveDocumentAs(path);
}

bool TMainWin::DeleteCommand() {
  core_.Stop();
  const std::string path =
      Choose(false, kDeleteWaveTitle, Format(kDeleteWaveFilter, kWaveFilesText),
             core_.LastFolder(kFolderWave));
  if (path.empty()) return false;
  return core_.DeleteWave(path);
}

bool TMainWin::LoadConfigurationCommand() {
  core_.Stop();
  const std::string path =
      Choose(false, kLoadConfigurationTitle, Format(kConfigurationFilter, kConfigurationFilterName),
             core_.LastFolder(kFolderConfig));
  if (path.empty()) return false;
  return core_.LoadConfiguration(path);
}

bool TMainWin::SaveConfigurationCommand() {
  core_.Stop();
  const std::string path =
      Choose(true, kSaveConfigurationTitle, Format(kConfigurationFilter, kConfigurationFilterName),
             core_.LastFolder(kFolderConfig));
  if (path.empty()) return false;
  FlushViewOptions();
  return core_.SaveConfiguration(path);
}

bool TMainWin::ViewConfigurationCommand() {
  const RunState state = core_.State();
  core_.Stop();
  TConfigViewDialog dialog(core_.ConfigurationReport(), this);
  connect(&dialog, &TConfigViewDialog::PrintRequested, this, [this, &dialog] {
    PrintTextWithDialog(&dialog, ConfigurationPrintJob(core_.ConfigurationReport()));
  });
  dialog.exec();
  // The analysis goes on as it was.
  if (state == kStatePlaying) {
    core_.Play();
  } else if (state != kStateStopped) {
    core_.Start();
  }
  return true;
}

bool TMainWin::PrintConfigurationCommand() {
  return PrintTextWithDialog(this, ConfigurationPrintJob(core_.ConfigurationReport()));
}

void TMainWin::FlushViewOptions() {
  TSpectrumWindow* spectrum = windows_->Spectrum();
  const bool ownOptions = spectrum && spectrum->OwnOptions();
  if (!ownOptions && !pendingPrint_) return;
  TAnalyzerSettings settings = core_.Settings();
  if (ownOptions) settings.spectrumPlot = *spectrum->OwnOptions();
  if (pendingPrint_) settings.print = *pendingPrint_;
  if (spectrum) spectrum->ForgetOwnOptions();
  pendingPrint_.reset();
  core_.ApplySettings(settings, SettingsOrigin::Dialog);
}

}  // namespace orvanix
