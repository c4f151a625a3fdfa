// The frame: construction, its observer callbacks, title, toolbar, status bar and events.
#include "app/gui/MainWin.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPrinter>
#include <QUrl>
#include <QVBoxLayout>

#include "app/gui/AppIcon.h"
#include "app/gui/CommandMenus.h"
#include "app/gui/DeviceWatcher.h"
#include "app/gui/GuiCoreDialogs.h"
#include "app/gui/GuiRegistry.h"
#include "app/gui/GuiTexts.h"
#include "app/gui/HelpWindow.h"
#include "app/gui/StatusBar.h"
#include "app/gui/TransportBar.h"
#include "app/gui/ViewWindows.h"
#include "engine/Messages.h"
#include "engine/TimeText.h"
#include "files/Configuration.h"
#include "files/WaveFile.h"
#include "ui/FileDialogs.h"
#include "views/ViewTexts.h"

namespace orvanix {

namespace {

// Status and position redraws are gathered: a fast Post-Processing run changes them
// thousands of times a second.
constexpr int kStatusRefreshMsec = 40;
constexpr int kInitialWidth = 1100;
constexpr int kInitialHeight = 720;
constexpr const char* kWaveMime = "audio/wav";

}  // namespace

TMainWin::TMainWin(TAnalyzerCore& core, const TMainWinOptions& options)
    : core_(core), options_(options) {
  setWindowTitle(QString::fromUtf8(kProgramTitle));
  setObjectName("MainWin");
  setWindowIcon(AppIcon());
  if (options_.chooser) {
    chooser_ = options_.chooser;
  } else {
    ownChooser_ = std::make_unique<TQtFileChooser>();
    chooser_ = ownChooser_.get();
  }
  coreDialogs_ = std::make_unique<TGuiCoreDialogs>(this, *chooser_);
  core_.SetDialogs(coreDialogs_.get());

  commands_ = new TCommandMenus(*menuBar(), *this, this);
  connect(commands_, &TCommandMenus::Triggered, this, [this](int command) { RunCommand(command); });
  connect(commands_, &TCommandMenus::MenuAboutToShow, this, [this](QMenu* menu) {
    UpdateCommands();
    if (menu->objectName() == "Window") UpdateWindowList();
  });
  connect(commands_, &TCommandMenus::WindowChosen, this, [this](int index) {
    const QList<QMdiSubWindow*> list = mdi_->subWindowList();
    if (index >= 0 && index < list.size()) mdi_->setActiveSubWindow(list[index]);
  });

  transport_ = new TTransportBar(*commands_, this);
  addToolBar(Qt::TopToolBarArea, transport_);

  // The MDI area between the toolbar and the status bar.
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  mdi_ = new QMdiArea(central);
  mdi_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  mdi_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  status_ = new TStatusBar(central);
  layout->addWidget(mdi_, 1);
  layout->addWidget(status_);
  setCentralWidget(central);

  windows_ = new TViewWindows(core_, *mdi_, this);
  connect(windows_, &TViewWindows::WindowsChanged, this, [this] { UpdateCommands(); });
  connect(windows_, &TViewWindows::SpectrumPropertiesRequested, this,
          [this] { RunCommand(kCmdSpectrumOptions); });
  connect(windows_, &TViewWindows::SpectrumOverlaysRequested, this,
          [this] { RunOverlayManagement(); });
  connect(windows_, &TViewWindows::HelpRequested, this,
          [this] { ShowHelp(QStringLiteral("docs/guide/spectrum-view.md")); });
  connect(mdi_, &QMdiArea::subWindowActivated, this, [this] { UpdateCommands(); });
  if (QClipboard* clipboard = QApplication::clipboard()) {
    connect(clipboard, &QClipboard::dataChanged, this, [this] { UpdateCommands(); });
  }

  statusTimer_.setSingleShot(true);
  connect(&statusTimer_, &QTimer::timeout, this, &TMainWin::RefreshStatus);

  if (!options_.deviceFolder.isEmpty()) {
    deviceWatcher_ = new TDeviceWatcher(this, options_.deviceFolder);
    connect(deviceWatcher_, &TDeviceWatcher::DevicesChanged, this,
            &TMainWin::RescanDevicesWhenIdle);
  }
  deviceRetry_.setSingleShot(true);
  deviceRetry_.setInterval(2000);
  connect(&deviceRetry_, &QTimer::timeout, this, &TMainWin::RescanDevicesWhenIdle);

  setAcceptDrops(true);
  resize(kInitialWidth, kInitialHeight);
  RestoreFramePlacementFrom(core_.ProgramProfile());

  core_.AddObserver(this, kRoleFrame);
  UpdateToolbar();
  UpdateTitle();
  commands_->SetHistory(core_.FileHistory());
  UpdateCommands();
  RefreshStatus();
  ExtendFrame(*this);
}

TMainWin::~TMainWin() {
  if (!exited_) {
    // Torn down without the close sequence (the application quit): the settings are still
    // saved, as at a normal exit.
    core_.Stop();
    FinishExit();
  }
  core_.RemoveObserver(this);
  core_.SetDialogs(nullptr);
}

bool TMainWin::ApplicationHidden() const {
  return core_.Settings().viewStatus.hideApplicationWindow != 0;
}

// ---------------------------------------------------------------------------- display

void TMainWin::UpdateTitle() {
  const std::string title = transientTitle_.empty() ? core_.FrameTitle() : transientTitle_;
  setWindowTitle(QString::fromStdString(title));
}

void TMainWin::UpdateToolbar() {
  if (transport_->Mode() != core_.Mode()) transport_->Rebuild(core_.Mode());
  UpdatePosition();
}

void TMainWin::UpdatePosition() {
  const TWaveFile* doc = core_.Document();
  if (!doc || core_.Mode() == kModeRealTime) {
    transport_->SetPosition(QString());
    return;
  }
  transport_->SetPosition(
      QString::fromStdString(Format(guitext::kPosition, TimeText(doc->PositionSeconds()).c_str(),
                                    TimeText(doc->LengthSeconds()).c_str())));
}

void TMainWin::RefreshStatus() {
  statusTimer_.stop();
  status_->SetInfo(core_.Status());
  UpdatePosition();
}

void TMainWin::ScheduleStatus() {
  if (!statusTimer_.isActive()) statusTimer_.start(kStatusRefreshMsec);
}

void TMainWin::UpdateWindowList() {
  std::vector<std::string> titles;
  int active = -1;
  const QList<QMdiSubWindow*> list = mdi_->subWindowList();
  for (qsizetype i = 0; i < list.size(); ++i) {
    titles.push_back(list[i]->windowTitle().toStdString());
    if (list[i] == mdi_->currentSubWindow()) active = static_cast<int>(i);
  }
  commands_->SetWindowList(titles, active);
}

QString TMainWin::LinkFormatOf(const QMimeData* data) {
  if (!data) return {};
  const QString prefix = QString::fromUtf8(viewtext::kLinkFormat);
  for (const QString& format : data->formats()) {
    if (format.startsWith(prefix, Qt::CaseInsensitive)) return format;
  }
  return {};
}

TUiContext TMainWin::UiContext() const {
  TUiContext context;
  if (const QClipboard* clipboard = QApplication::clipboard()) {
    if (const QMimeData* data = clipboard->mimeData()) {
      context.clipboardHasWave = data->hasFormat(kWaveMime);
      context.clipboardHasLink = !LinkFormatOf(data).isEmpty();
    }
  }
  // The current window stays current while a menu or dialog has the focus; the active one
  // does not.
  context.activeWindow = windows_->KindOf(mdi_->currentSubWindow());
  return context;
}

bool TMainWin::CommandEnabled(int32_t command) const {
  if (!CommandAvailable(command)) return false;
  core_.SetUiContext(UiContext());
  return core_.IsEnabled(command);
}

void TMainWin::UpdateCommands() {
  core_.SetUiContext(UiContext());
  commands_->Update(
      [this](int32_t command) { return CommandAvailable(command) && core_.IsEnabled(command); },
      [this](int32_t command) { return core_.IsChecked(command); });
}

// ---------------------------------------------------------------------------- observer

void TMainWin::StateChanged() {
  UpdateToolbar();
  UpdateTitle();
  UpdateCommands();
  RefreshStatus();
}

void TMainWin::StatusChanged() {
  ScheduleStatus();
}

void TMainWin::SettingsChanged() {
  UpdateCommands();
  ScheduleStatus();
}

void TMainWin::DocumentChanged() {
  UpdateTitle();
  commands_->SetHistory(core_.FileHistory());
  UpdateCommands();
  ScheduleStatus();
}

void TMainWin::PositionChanged(double) {
  ScheduleStatus();
}

void TMainWin::TransientTitle(const std::string& title) {
  transientTitle_ = title;
  UpdateTitle();
}

// ---------------------------------------------------------------------------- events

void TMainWin::closeEvent(QCloseEvent* event) {
  if (exited_) {
    event->accept();
    return;
  }
  // The windows that ask before closing (a running macro, its text not saved) first.
  if (!windows_->ConfirmCloseAll()) {
    event->ignore();
    return;
  }
  if (!core_.RequestExit()) {
    windows_->SetCloseConfirmed(false);
    event->ignore();  // the save prompt was cancelled: the program keeps running
    return;
  }
  FinishExit();
  event->accept();
}

void TMainWin::dragEnterEvent(QDragEnterEvent* event) {
  const QMimeData* data = event->mimeData();
  if (data && data->hasUrls() && !data->urls().isEmpty() && data->urls().front().isLocalFile()) {
    event->acceptProposedAction();
  }
}

void TMainWin::dropEvent(QDropEvent* event) {
  QStringList paths;
  if (const QMimeData* data = event->mimeData()) {
    for (const QUrl& url : data->urls()) {
      if (url.isLocalFile()) paths << url.toLocalFile();
    }
  }
  if (paths.isEmpty()) return;
  event->acceptProposedAction();
  OpenDroppedPaths(paths);
}

bool TMainWin::OpenDroppedPaths(const QStringList& paths) {
  if (paths.isEmpty()) return false;
  // Only the first file of a drop counts.
  const bool opened = core_.OpenDroppedFile(paths.front().toStdString());
  commands_->SetHistory(core_.FileHistory());
  UpdateCommands();
  return opened;
}

void TMainWin::RescanDevicesWhenIdle() {
  // A device change during a run, a dialog or playback from the generator waits: the lists
  // must not change under them. Looked at again shortly.
  if (exited_) return;
  if (core_.IsRunning() || QApplication::activeModalWidget() || !core_.RescanDevices()) {
    deviceRetry_.start();
  }
}

void TMainWin::changeEvent(QEvent* event) {
  if (event->type() == QEvent::WindowStateChange) windows_->SetFrameMinimised(isMinimized());
  QMainWindow::changeEvent(event);
}

}  // namespace orvanix
