#include "app/gui/ViewWindows.h"

#include <QCloseEvent>
#include <QMdiArea>

#include "app/gui/AppIcon.h"
#include "app/gui/GuiRegistry.h"
#include "app/gui/Placement.h"
#include "app/gui/SpectrumWindow.h"
#include "files/ConfigTexts.h"
#include "files/Profile.h"

namespace orvanix {

namespace {

struct TKindInfo {
  const char* title;
  int32_t command;
};

// Titles and View/Utilities commands in WindowKind order.
constexpr TKindInfo kKinds[kWindowKindCount] = {
    {"Time Series", kCmdViewTimeSeries},
    {"Spectrum", kCmdViewSpectrum},
    {"Phase", kCmdViewPhase},
    {"Spectrogram", kCmdViewSpectrogram},
    {"3-D Surface", kCmdViewSurface},
    {"Signal Generator", kCmdSignalGenerator},
    {"THD", kCmdThd},
    {"THD+N", kCmdThdN},
    {"IMD", kCmdImd},
    {"SNR", kCmdSnr},
    {"SINAD", kCmdSinad},
    {"SFDR", kCmdSfdr},
    {"Noise Figure", kCmdNoiseFigureLR},
    {"Peak Frequency", kCmdPeakFrequency},
    {"Peak Amplitude", kCmdPeakAmplitude},
    {"Total Pwr", kCmdTotalPower},
    {"Delay Finder", kCmdDelayFinder},
    {"Reverberation Time", kCmdReverberation},
    {"Macro Processor", kCmdMacroWindow},
};

// A window opened without a stored placement.
constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 400;

}  // namespace

// ---------------------------------------------------------------------------- TChildWindow

TChildWindow::TChildWindow(WindowKind kind, QWidget* parent) : QMdiSubWindow(parent), kind_(kind) {
  setAttribute(Qt::WA_DeleteOnClose);
}

void TChildWindow::closeEvent(QCloseEvent* event) {
  auto* guard = dynamic_cast<TCloseGuard*>(widget());
  if (guard && !property("closeConfirmed").toBool() && !guard->ConfirmClose()) {
    event->ignore();
    return;
  }
  emit Closing(kind_);
  QMdiSubWindow::closeEvent(event);
}

void TChildWindow::Remember() {
  if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized))) normal_ = geometry();
}

void TChildWindow::moveEvent(QMoveEvent* event) {
  QMdiSubWindow::moveEvent(event);
  Remember();
}

void TChildWindow::resizeEvent(QResizeEvent* event) {
  QMdiSubWindow::resizeEvent(event);
  Remember();
}

// ---------------------------------------------------------------------------- TViewWindows

TViewWindows::TViewWindows(TAnalyzerCore& core, QMdiArea& area, QObject* parent)
    : QObject(parent), core_(core), area_(area) {}

TViewWindows::~TViewWindows() {
  // The core outlives the windows' observers only while they are attached.
  for (int kind = 0; kind < kWindowKindCount; ++kind) {
    if (observers_[kind]) core_.AttachWindow(static_cast<WindowKind>(kind), nullptr);
  }
}

const char* TViewWindows::Title(WindowKind kind) {
  return kind >= 0 && kind < kWindowKindCount ? kKinds[kind].title : "";
}

int32_t TViewWindows::CommandOf(WindowKind kind) {
  return kind >= 0 && kind < kWindowKindCount ? kKinds[kind].command : -1;
}

int32_t TViewWindows::KindOfCommand(int32_t command) {
  if (command == kCmdNoiseFigureRL) return kWindowNoiseFigure;
  for (int kind = 0; kind < kWindowKindCount; ++kind) {
    if (kKinds[kind].command == command) return kind;
  }
  return -1;
}

bool TViewWindows::CanOpen(WindowKind kind) {
  return kind == kWindowSpectrum || FindWindowMaker(kind) != nullptr;
}

QWidget* TViewWindows::MakeContent(WindowKind kind) {
  switch (kind) {
    case kWindowSpectrum: {
      auto* window = new TSpectrumWindow(core_);
      connect(window, &TSpectrumWindow::PropertiesRequested, this,
              &TViewWindows::SpectrumPropertiesRequested);
      connect(window, &TSpectrumWindow::OverlaysRequested, this,
              &TViewWindows::SpectrumOverlaysRequested);
      connect(window, &TSpectrumWindow::HelpRequested, this, &TViewWindows::HelpRequested);
      connect(window, &TSpectrumWindow::ClearRequested, this,
              [this] { core_.Execute(kCmdClearAllViews); });
      observers_[kind] = window;
      return window;
    }
    default:
      break;
  }
  if (const TWindowMaker* make = FindWindowMaker(kind)) {
    TAnalyzerObserver* observer = nullptr;
    QWidget* content = (*make)(core_, observer);
    observers_[kind] = observer;
    return content;
  }
  return nullptr;
}

QRect TViewWindows::DefaultGeometry() const {
  // The first window (the one being opened) fills the area; later ones get a default size
  // where the area puts them.
  const QSize area = area_.viewport()->size();
  if (area_.subWindowList().size() <= 1 && area.width() > 100 && area.height() > 100) {
    return QRect(QPoint(0, 0), area);
  }
  return QRect(0, 0, kDefaultWidth, kDefaultHeight);
}

bool TViewWindows::Open(WindowKind kind, const TProfile* placements, bool applicationHidden) {
  if (kind < 0 || kind >= kWindowKindCount || IsOpen(kind) || !CanOpen(kind)) return false;
  QWidget* content = MakeContent(kind);
  if (!content) return false;
  auto* window = new TChildWindow(kind);
  window->setWidget(content);
  window->setWindowTitle(QString::fromUtf8(Title(kind)));
  window->setWindowIcon(AppIcon());
  area_.addSubWindow(window);
  connect(window, &TChildWindow::Closing, this, &TViewWindows::OnClosing);
  windows_[kind] = window;

  const TProfile& source = placements ? *placements : core_.ProgramProfile();
  TWindowPlacement placement;
  int32_t show = kShowNormal;
  if (ReadPlacement(source, kPlacementKeys[kind], placement)) {
    const QRect desktop = DesktopRect();
    AdjustRestoredPlacement(placement, desktop.width(), desktop.height(), frameMinimised_,
                            applicationHidden);
    show = RestoreChildPlacement(*window, placement);
  } else {
    const QRect rect = DefaultGeometry();
    window->resize(rect.size());
    if (area_.subWindowList().size() == 1) window->move(rect.topLeft());
    if (applicationHidden) show = kShowHide;
  }
  core_.AttachWindow(kind, observers_[kind]);
  switch (show) {
    case kShowHide:
      break;
    case kShowMaximized:
      window->showMaximized();
      break;
    case kShowMinimized:
      window->showMinimized();
      break;
    default:
      window->show();
      break;
  }
  emit WindowsChanged();
  return true;
}

void TViewWindows::OnClosing(int kind) {
  if (kind < 0 || kind >= kWindowKindCount || !windows_[kind]) return;
  TChildWindow* window = windows_[kind];
  WritePlacement(core_.ProgramProfile(), kPlacementKeys[kind],
                 ChildPlacement(*window, window->LastNormalGeometry()));
  core_.AttachWindow(static_cast<WindowKind>(kind), nullptr);
  observers_[kind] = nullptr;
  windows_[kind] = nullptr;
  emit WindowsChanged();
}

void TViewWindows::Close(WindowKind kind) {
  if (kind < 0 || kind >= kWindowKindCount || !windows_[kind]) return;
  TChildWindow* window = windows_[kind];
  // close() reports through Closing; a window that is not shown yet gets no close event.
  // A window whose content refused (the user kept it) stays.
  if (!window->close()) return;
  if (windows_[kind]) {
    OnClosing(kind);
    window->deleteLater();
  }
}

bool TViewWindows::Toggle(WindowKind kind) {
  if (IsOpen(kind)) {
    Close(kind);
    return true;
  }
  return Open(kind);
}

void TViewWindows::CloseAllViews() {
  for (int kind = 0; kind < kWindowKindCount; ++kind) {
    if (IsView(static_cast<WindowKind>(kind))) Close(static_cast<WindowKind>(kind));
  }
}

void TViewWindows::CloseAllUtilities() {
  for (int kind = 0; kind < kWindowKindCount; ++kind) {
    if (!IsView(static_cast<WindowKind>(kind))) Close(static_cast<WindowKind>(kind));
  }
}

void TViewWindows::CloseAll() {
  CloseAllViews();
  CloseAllUtilities();
}

bool TViewWindows::ConfirmCloseAll() {
  for (TChildWindow* window : windows_) {
    auto* guard = window ? dynamic_cast<TCloseGuard*>(window->widget()) : nullptr;
    if (!guard) continue;
    if (!guard->ConfirmClose()) {
      SetCloseConfirmed(false);
      return false;
    }
    window->setProperty("closeConfirmed", true);
  }
  return true;
}

void TViewWindows::SetCloseConfirmed(bool confirmed) {
  for (TChildWindow* window : windows_) {
    if (window) window->setProperty("closeConfirmed", confirmed);
  }
}

void TViewWindows::SavePlacements(TProfile& profile) const {
  for (int kind = 0; kind < kWindowKindCount; ++kind) {
    const TChildWindow* window = windows_[kind];
    if (!window) continue;
    WritePlacement(profile, kPlacementKeys[kind],
                   ChildPlacement(*window, window->LastNormalGeometry()));
  }
}

TSpectrumWindow* TViewWindows::Spectrum() const {
  return static_cast<TSpectrumWindow*>(observers_[kWindowSpectrum]);
}

int32_t TViewWindows::KindOf(const QMdiSubWindow* window) const {
  for (int kind = 0; kind < kWindowKindCount; ++kind) {
    if (window && windows_[kind] == window) return kind;
  }
  return -1;
}

}  // namespace orvanix
