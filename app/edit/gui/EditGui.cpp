#include "app/edit/gui/EditGui.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>

#include "app/edit/EditModule.h"
#include "app/edit/gui/ChannelMapDialog.h"
#include "app/edit/gui/DecimateDialog.h"
#include "app/edit/gui/ExportDialog.h"
#include "app/edit/gui/FilterDialog.h"
#include "app/edit/gui/GainDialog.h"
#include "app/edit/gui/ImportDialog.h"
#include "app/edit/gui/ProcessingStatusDialog.h"
#include "app/edit/gui/QtWaveClipboard.h"
#include "app/gui/GuiRegistry.h"
#include "engine/Messages.h"
#include "files/Configuration.h"
#include "files/EditTexts.h"
#include "files/TransferNumbers.h"
#include "files/TransferTexts.h"
#include "files/WaveFile.h"
#include "ui/FileDialogs.h"

namespace orvanix {

namespace {

constexpr const char* kWaveFilter = "Wave Files (*.wav)|*.wav|";

TFileChooser* g_chooser = nullptr;

TFileChooser& Chooser() {
  static TQtFileChooser qt;
  return g_chooser ? *g_chooser : qt;
}

std::string Choose(QWidget* parent, bool save, const char* title, const std::string& filter,
                   const std::string& folder) {
  return Chooser().Choose(
      {save ? TFileRequest::Kind::Save : TFileRequest::Kind::Open, title, filter, folder}, parent);
}

std::string FolderOfPath(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash ? slash : 1);
}

class TQtEditDialogs : public TEditDialogs {
 public:
  bool AdjustRescaleFactor(double& factor) override {
    bool ok = false;
    const QString text = QInputDialog::getText(
        QApplication::activeWindow(), Qs(kAdjustRescaleTitle), Qs(kAdjustRescalePrompt),
        QLineEdit::Normal, Qs(Format("%6.3f", factor)).trimmed(), &ok);
    double value = 0;
    if (!ok || !ParseReal(Ss(text), value)) return false;
    factor = value;
    return true;
  }
  bool AskSpeed(double& speed) override {
    bool ok = false;
    // The spin box keeps the factor inside the range the module accepts.
    const double value =
        QInputDialog::getDouble(QApplication::activeWindow(), Qs(kSpeedTitle), Qs(kSpeedLabel),
                                speed, kMinSpeed, kMaxSpeed, 2, &ok);
    if (!ok) return false;
    speed = value;
    return true;
  }
  bool ChooseChannelMap(const std::string& path, const TForeignInfo& info,
                        TChannelMap& map) override {
    TChannelMapDialog dialog(QApplication::activeWindow(), path, info);
    if (dialog.exec() != QDialog::Accepted) return false;
    map = dialog.Result();
    return true;
  }
};

TEditServices QtServices() {
  TEditServices services;
  // The windowed program's services; a headless run of the same program keeps the defaults.
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return services;
  services.clipboard = std::make_unique<TQtWaveClipboard>();
  services.runner = std::make_unique<TProgressJobRunner>();
  services.dialogs = std::make_unique<TQtEditDialogs>();
  return services;
}

TEditModule* Module(TAnalyzerCore& core) {
  return core.FindModule<TEditModule>("edit");
}

bool RunImport(QWidget* parent, TAnalyzerCore& core) {
  TEditModule* edit = Module(core);
  if (!edit) return false;
  core.Stop();
  TImportDialog dialog(parent, edit->ImportOptions());
  if (dialog.exec() != QDialog::Accepted) return false;
  const TImportOptions options = dialog.Result();
  const std::string path =
      Choose(parent, false, kImportFileTitle, ImportFileFilter(options.sourceType),
             core.LastFolder(kFolderWave));
  if (path.empty()) return false;
  core.SetLastFolder(kFolderWave, FolderOfPath(path));
  return edit->Import(path, options);
}

bool RunExport(QWidget* parent, TAnalyzerCore& core) {
  TEditModule* edit = Module(core);
  if (!edit || !core.Document()) return false;
  core.Stop();
  TExportDialog dialog(parent, edit->ExportOptions(), core.Document()->Format().channels == 2);
  if (dialog.exec() != QDialog::Accepted) return false;
  const TExportOptions options = dialog.Result();
  const std::string path = Choose(parent, true, kExportFileTitle, ExportFileFilter(options.format),
                                  core.LastFolder(kFolderWave));
  if (path.empty()) return false;
  return edit->Export(path, options);
}

bool RunGain(QWidget* parent, TAnalyzerCore& core) {
  TEditModule* edit = Module(core);
  if (!edit || !core.Document()) return false;
  core.Stop();
  TGainDialog dialog(parent, edit->GainLeftDb(), edit->GainRightDb(),
                     core.Document()->Format().channels == 2);
  if (dialog.exec() != QDialog::Accepted) return false;
  return edit->GainAdjust(dialog.LeftDb(), dialog.RightDb());
}

bool RunFilter(QWidget* parent, TAnalyzerCore& core) {
  TEditModule* edit = Module(core);
  if (!edit || !edit->PrepareFilter()) return false;
  const WaveFormat& format = core.Document()->Format();
  TFilterDialog dialog(parent, core.Settings().filter, static_cast<int32_t>(format.sampleRate / 2),
                       format.channels == 2);
  if (dialog.exec() != QDialog::Accepted) return false;
  return edit->RunFilter(dialog.Result());
}

bool RunDecimate(QWidget* parent, TAnalyzerCore& core) {
  TEditModule* edit = Module(core);
  if (!edit || !core.Document()) return false;
  core.Stop();
  TDecimateDialog dialog(parent, core.Document()->Format().sampleRate, edit->DecimateRatio(),
                         edit->DecimateLowPass());
  if (dialog.exec() != QDialog::Accepted) return false;
  const std::string path =
      Choose(parent, true, kDestinationTitle, Format("%s (*.wav)|*.wav|", "Wave Files"),
             core.LastFolder(kFolderWave));
  if (path.empty()) return false;
  core.SetLastFolder(kFolderWave, FolderOfPath(path));
  return edit->Decimate(dialog.Ratio(), dialog.LowPass(), path);
}

bool RunMerge(QWidget* parent, TAnalyzerCore& core) {
  TEditModule* edit = Module(core);
  if (!edit || core.Document()) return false;
  core.Stop();
  if (Messages().Ask(kMergeInformation, kMergeInformationTitle, MessageButtons::OkCancel,
                     MessageAnswer::Ok, MessageIcon::Information) != MessageAnswer::Ok) {
    return false;
  }
  const std::string left =
      Choose(parent, false, kLeftSourceTitle, kWaveFilter, core.LastFolder(kFolderWave));
  if (left.empty()) return false;
  const std::string right =
      Choose(parent, false, kRightSourceTitle, kWaveFilter, FolderOfPath(left));
  if (right.empty()) return false;
  core.SetLastFolder(kFolderWave, FolderOfPath(right));
  return edit->Merge(left, right);
}

}  // namespace

void SetEditFileChooser(TFileChooser* chooser) {
  g_chooser = chooser;
}

void RegisterEditGui() {
  SetEditServicesMaker(QtServices);
  RegisterDialog(kCmdImport, RunImport);
  RegisterDialog(kCmdExport, RunExport);
  RegisterDialog(kCmdGainAdjust, RunGain);
  RegisterDialog(kCmdFilter, RunFilter);
  RegisterDialog(kCmdDecimate, RunDecimate);
  RegisterDialog(kCmdMerge, RunMerge);
}

}  // namespace orvanix
