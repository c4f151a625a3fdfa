// The frame's command dispatch: which commands this program has, and running them.
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QStyle>
#include <algorithm>

#include "app/core/DataFiles.h"
#include "app/gui/AboutBox.h"
#include "app/gui/CommandMenus.h"
#include "app/gui/GuiRegistry.h"
#include "app/gui/HelpWindow.h"
#include "app/gui/MainWin.h"
#include "app/gui/PostProcessPacer.h"
#include "app/gui/SpectrumWindow.h"
#include "app/gui/ViewWindows.h"

#ifdef ORVANIX_HAVE_DIALOGS
#include "app/dialogs/Dialogs.h"
#endif

namespace orvanix {

namespace {

#ifdef ORVANIX_HAVE_DIALOGS
using TDialogEntry = bool (*)(QWidget*, TAnalyzerCore&);
struct TDialogCommand {
  int32_t command;
  TDialogEntry run;
};
constexpr TDialogCommand kDialogCommands[] = {
    {kCmdSettings, RunSettingsDialog},
    {kCmdScaling, RunScalingDialog},
    {kCmdTrigger, RunTriggerDialog},
    {kCmdMarkers, RunMarkersDialog},
    {kCmdDevice, RunDeviceDialog},
    {kCmdSpectrumOptions, RunSpectrumOptionsDialog},
    {kCmdFileIoOptions, RunFileIoOptionsDialog},
    {kCmdSetPaths, RunSetPathsDialog},
    {kCmdAnnotations, RunAnnotationsDialog},
};
TDialogEntry DialogOf(int32_t command) {
  for (const TDialogCommand& entry : kDialogCommands) {
    if (entry.command == command) return entry.run;
  }
  return nullptr;
}
#else
using TDialogEntry = bool (*)(QWidget*, TAnalyzerCore&);
TDialogEntry DialogOf(int32_t) {
  return nullptr;
}
#endif

}  // namespace

bool TMainWin::CommandAvailable(int32_t command) const {
  switch (command) {
    // The document, the modes, the run and the configuration: the core and this frame.
    case kCmdNew:
    case kCmdOpen:
    case kCmdClose:
    case kCmdSave:
    case kCmdSaveAs:
    case kCmdDelete:
    case kCmdExit:
    case kCmdHistory1:
    case kCmdHistory2:
    case kCmdHistory3:
    case kCmdHistory4:
    case kCmdModeRealTime:
    case kCmdModePostProcess:
    case kCmdModeRecorder:
    case kCmdClearAllViews:
    case kCmdLoadConfiguration:
    case kCmdSaveConfiguration:
    case kCmdViewConfiguration:
    case kCmdPrintConfiguration:
    case kCmdCascade:
    case kCmdTileVertical:
    case kCmdTileHorizontal:
    case kCmdArrangeIcons:
    case kCmdCloseAllViews:
    case kCmdCloseAllUtilities:
    case kCmdAbout:
    case kCmdRun:
    case kCmdStop:
    case kCmdPlayDocument:
    case kCmdRewind:
    case kCmdSingleStep:
      return true;
    // Printing of the active view: the spectrum view prints itself.
    case kCmdPrint:
      return !ViewPrintJob().viewName.empty();
    case kCmdPrinterSetup:
      return true;
    // The help window: a page that is missing says so there.
    case kCmdHelpContents:
    case kCmdHelpSearch:
    case kCmdReleaseNotes:
    case kCmdApplicationNotes:
      return true;
#ifdef ORVANIX_HAVE_DIALOGS
    case kCmdCalibration:
      return true;
#endif
    default:
      break;
  }
  if (DialogOf(command) || FindDialogRunner(command) || FindFrameCommand(command)) return true;
  // Commands of the subsystems the core owns.
  if (core_.CommandOwner(command)) return true;
  // The View and Utilities commands of the windows this program has.
  const int32_t kind = TViewWindows::KindOfCommand(command);
  return kind >= 0 && TViewWindows::CanOpen(static_cast<WindowKind>(kind));
}

bool TMainWin::RunCommand(int32_t command) {
  if (!CommandEnabled(command)) return false;
  bool done = false;
  switch (command) {
    case kCmdOpen:
      done = OpenCommand();
      break;
    case kCmdSaveAs:
      done = SaveAsCommand();
      break;
    case kCmdDelete:
      done = DeleteCommand();
      break;
    case kCmdExit:
      done = close();
      break;
    case kCmdLoadConfiguration:
      done = LoadConfigurationCommand();
      break;
    case kCmdSaveConfiguration:
      done = SaveConfigurationCommand();
      break;
    case kCmdViewConfiguration:
      done = ViewConfigurationCommand();
      break;
    case kCmdPrintConfiguration:
      done = PrintConfigurationCommand();
      break;
    case kCmdPrint:
      done = PrintViewCommand();
      break;
    case kCmdPrinterSetup:
      done = PrinterSetupCommand();
      break;
    case kCmdCascade:
      Cascade();
      done = true;
      break;
    case kCmdTileVertical:
      TileVertically();
      done = true;
      break;
    case kCmdTileHorizontal:
      TileHorizontally();
      done = true;
      break;
    case kCmdArrangeIcons:
      ArrangeIcons();
      done = true;
      break;
    case kCmdCloseAllViews:
      windows_->CloseAllViews();
      done = true;
      break;
    case kCmdCloseAllUtilities:
      windows_->CloseAllUtilities();
      done = true;
      break;
    case kCmdAbout:
      ShowAbout();
      done = true;
      break;
    case kCmdHelpContents:
    case kCmdHelpSearch:
    case kCmdReleaseNotes:
    case kCmdApplicationNotes:
      done = HelpCommand(command);
      break;
#ifdef ORVANIX_HAVE_DIALOGS
    case kCmdCalibration:
      FlushViewOptions();
      done = RunCalibrationDialog(this, core_, chooser_);
      break;
#endif
    default:
      if (const TFrameCommand* run = FindFrameCommand(command)) {
        done = (*run)(*windows_, core_);
      } else if (DialogOf(command) || FindDialogRunner(command)) {
        done = RunDialogCommand(command);
      } else if (const int32_t kind = TViewWindows::KindOfCommand(command); kind >= 0) {
        done = windows_->Toggle(static_cast<WindowKind>(kind));
      } else {
        // The user took over from a looping demonstration.
        if (command == kCmdStop || command == kCmdRewind) {
          if (auto* pacer = findChild<TPostProcessPacer*>()) pacer->CancelRestart();
        }
        done = core_.Execute(command);
      }
      break;
  }
  commands_->SetHistory(core_.FileHistory());
  UpdateCommands();
  return done;
}

bool TMainWin::RunDialogCommand(int32_t command) {
  if (const TDialogRunner* registered = FindDialogRunner(command)) {
    FlushViewOptions();
    return (*registered)(this, core_);
  }
  const TDialogEntry run = DialogOf(command);
  if (!run) return false;
  FlushViewOptions();
  return run(this, core_);
}

bool TMainWin::RunOverlayManagement() {
#ifdef ORVANIX_HAVE_DIALOGS
  FlushViewOptions();
  return RunOverlayDialog(this, core_);
#else
  return false;
#endif
}

// ---------------------------------------------------------------------------- windows

namespace {

// The windows an arrangement places: the views, shown and not minimised. The measurement
// readouts and other utilities keep their own small size and place.
QList<QMdiSubWindow*> Arrangeable(const QMdiArea& area, const TViewWindows& windows) {
  QList<QMdiSubWindow*> list;
  for (QMdiSubWindow* window : area.subWindowList()) {
    const int32_t kind = windows.KindOf(window);
    if (kind < 0 || !IsView(static_cast<WindowKind>(kind))) continue;
    if (window->isVisible() && !window->isMinimized()) list << window;
  }
  return list;
}

}  // namespace

void TMainWin::TileHorizontally() {
  const QList<QMdiSubWindow*> list = Arrangeable(*mdi_, *windows_);
  if (list.isEmpty()) return;
  const QSize area = mdi_->viewport()->size();
  const int height = std::max(1, area.height() / static_cast<int>(list.size()));
  for (qsizetype i = 0; i < list.size(); ++i) {
    list[i]->showNormal();
    list[i]->setGeometry(0, static_cast<int>(i) * height, area.width(), height);
  }
}

void TMainWin::TileVertically() {
  const QList<QMdiSubWindow*> list = Arrangeable(*mdi_, *windows_);
  if (list.isEmpty()) return;
  const QSize area = mdi_->viewport()->size();
  const int width = std::max(1, area.width() / static_cast<int>(list.size()));
  for (qsizetype i = 0; i < list.size(); ++i) {
    list[i]->showNormal();
    list[i]->setGeometry(static_cast<int>(i) * width, 0, width, area.height());
  }
}

void TMainWin::Cascade() {
  const QList<QMdiSubWindow*> list = Arrangeable(*mdi_, *windows_);
  if (list.isEmpty()) return;
  // All the same size, as large as the area allows with every title bar in sight. Qt's own
  // cascade sizes each window to its contents' hint, which shrinks a plot to a thumbnail.
  const QSize area = mdi_->viewport()->size();
  const int step =
      list.first()->style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, list.first()) +
      list.first()->style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
  const int count = static_cast<int>(list.size());
  const QSize size(std::max(area.width() - (count - 1) * step, area.width() / 2),
                   std::max(area.height() - (count - 1) * step, area.height() / 2));
  for (int i = 0; i < count; ++i) {
    list[i]->showNormal();
    list[i]->setGeometry(i * step, i * step, size.width(), size.height());
    list[i]->raise();
  }
  // The readouts stay in sight above the views.
  for (QMdiSubWindow* window : mdi_->subWindowList()) {
    if (!list.contains(window) && window->isVisible()) window->raise();
  }
}

void TMainWin::ArrangeIcons() {
  const int bottom = mdi_->viewport()->height();
  int x = 0;
  for (QMdiSubWindow* window : mdi_->subWindowList()) {
    if (!window->isMinimized()) continue;
    window->move(x, bottom - window->height());
    x += window->width();
  }
}

// ---------------------------------------------------------------------------- help

namespace {

constexpr const char* kContentsPage = "docs/guide/contents.md";
constexpr const char* kApplicationNotesPage = "docs/guide/application-notes.md";
constexpr const char* kReleaseNotesPage = "README.md";

}  // namespace

THelpWindow* TMainWin::HelpWindow() const {
  return help_;
}

THelpWindow* TMainWin::ShowHelp(const QString& page) {
  if (!help_) help_ = new THelpWindow(THelpWindow::DocumentationRoot(), this);
  help_->ShowPage(page);
  help_->show();
  help_->raise();
  help_->activateWindow();
  return help_;
}

bool TMainWin::HelpCommand(int32_t command) {
  switch (command) {
    case kCmdHelpContents:
      ShowHelp(QString::fromUtf8(kContentsPage));
      return true;
    case kCmdHelpSearch: {
      // The search field over the page already shown (the contents at first).
      const QString page = help_ && !help_->CurrentPage().isEmpty()
                               ? help_->CurrentPage()
                               : QString::fromUtf8(kContentsPage);
      ShowHelp(page)->ShowSearch();
      return true;
    }
    case kCmdApplicationNotes:
      ShowHelp(QString::fromUtf8(kApplicationNotesPage));
      return true;
    case kCmdReleaseNotes:
      ShowHelp(QString::fromUtf8(kReleaseNotesPage));
      return true;
    default:
      return false;
  }
}

void TMainWin::ShowAbout() {
  TAboutBox box(this);
  box.exec();
}

}  // namespace orvanix
