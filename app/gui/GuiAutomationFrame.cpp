#include "app/gui/GuiAutomationFrame.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPointer>
#include <QTimer>
#include <filesystem>

#include "app/gui/MainWin.h"
#include "app/gui/SpectrumWindow.h"
#include "app/gui/StatusBar.h"
#include "app/gui/TransportBar.h"
#include "app/gui/ViewWindows.h"
#include "views/OrvanePlot.h"

namespace orvanix {

TGuiAutomationFrame::TGuiAutomationFrame(TMainWin& frame, std::function<void()> detach)
    : QObject(&frame), frame_(frame), detach_(std::move(detach)) {
  setObjectName("AutomationFrame");
}

TGuiAutomationFrame::~TGuiAutomationFrame() {
  if (detach_) detach_();
}

void TGuiAutomationFrame::Later(std::function<void()> action) {
  QTimer::singleShot(0, this, std::move(action));
}

bool TGuiAutomationFrame::Open(WindowKind kind) {
  if (!TViewWindows::CanOpen(kind)) return false;
  TViewWindows& windows = frame_.Windows();
  if (windows.IsOpen(kind) || opening_.test(kind)) return true;
  const int32_t command = TViewWindows::CommandOf(kind);
  if (IsView(kind)) return frame_.RunCommand(command);
  // A utility window may have something to say as it opens (a generator that cannot
  // build its signal): not inside this call.
  if (!frame_.CommandEnabled(command)) return false;
  opening_.set(kind);
  Later([this, kind, command] {
    opening_.reset(kind);
    if (!frame_.Windows().IsOpen(kind)) frame_.RunCommand(command);
  });
  return true;
}

bool TGuiAutomationFrame::CloseWindow(WindowKind kind) {
  if (!TViewWindows::CanOpen(kind)) return false;
  opening_.reset(kind);
  if (!frame_.Windows().IsOpen(kind)) return true;  // closed already
  if (IsView(kind)) {
    frame_.Windows().Close(kind);
    return true;
  }
  // A utility window may ask before it goes (the macro window about its changed text).
  Later([this, kind] {
    if (frame_.Windows().IsOpen(kind)) frame_.Windows().Close(kind);
  });
  return true;
}

bool TGuiAutomationFrame::WindowAction(WindowKind kind, ViewAction action) {
  switch (action) {
    case ViewAction::Open:
      return Open(kind);
    case ViewAction::Close:
      return CloseWindow(kind);
    default:
      break;
  }
  QMdiSubWindow* window = frame_.Windows().SubWindow(kind);
  if (!window) return false;
  switch (action) {
    case ViewAction::Restore:
      window->showNormal();
      return true;
    case ViewAction::Maximize:
      window->showMaximized();
      return true;
    case ViewAction::Print: {
      // The print dialog is modal.
      QPointer<QMdiSubWindow> target = window;
      Later([this, target] {
        if (!target) return;
        frame_.MdiArea()->setActiveSubWindow(target);
        frame_.RunCommand(kCmdPrint);
      });
      return true;
    }
    default:
      return false;
  }
}

QMdiSubWindow* TGuiAutomationFrame::ActivePlotWindow() const {
  QMdiSubWindow* current = frame_.MdiArea()->currentSubWindow();
  if (!current || !current->widget()) return nullptr;
  return current->widget()->findChild<TPlotBase*>() ? current : nullptr;
}

bool TGuiAutomationFrame::Frame(FrameAction action) {
  QWidget* menu = frame_.menuBar();
  QWidget* toolbar = frame_.TransportBar();
  QWidget* status = frame_.StatusBarWidget();
  switch (action) {
    case FrameAction::Hide:
      // Minimised first, so that showing it again brings it back as it was left.
      frame_.showMinimized();
      frame_.hide();
      return true;
    case FrameAction::Show:
      frame_.show();
      frame_.setWindowState(frame_.windowState() & ~Qt::WindowMinimized);
      return true;
    case FrameAction::Minimize:
      frame_.showMinimized();
      return true;
    case FrameAction::Restore:
      frame_.showNormal();
      return true;
    case FrameAction::Maximize:
      frame_.showMaximized();
      return true;
    case FrameAction::Cascade:
      return frame_.RunCommand(kCmdCascade);
    case FrameAction::TileVertical:
      return frame_.RunCommand(kCmdTileVertical);
    case FrameAction::TileHorizontal:
      return frame_.RunCommand(kCmdTileHorizontal);
    case FrameAction::HideMenu:
    case FrameAction::ShowMenu:
      menu->setVisible(action == FrameAction::ShowMenu);
      return true;
    case FrameAction::HideToolbar:
    case FrameAction::ShowToolbar:
      if (!toolbar) return false;
      toolbar->setVisible(action == FrameAction::ShowToolbar);
      return true;
    case FrameAction::HideStatusbar:
    case FrameAction::ShowStatusbar:
      if (!status) return false;
      status->setVisible(action == FrameAction::ShowStatusbar);
      return true;
    case FrameAction::HidePlotToolbars:
    case FrameAction::ShowPlotToolbars:
      return false;  // the plot views here carry their tools in their context menus
    case FrameAction::CopyBitmap: {
      QMdiSubWindow* window = ActivePlotWindow();
      if (!window) return false;
      window->widget()->findChild<TPlotBase*>()->CopyAsBitmap();
      return true;
    }
  }
  return false;
}

bool TGuiAutomationFrame::Overlay(int index, OverlayAction action) {
  TSpectrumWindow* spectrum = frame_.Windows().Spectrum();
  if (!spectrum || !spectrum->Plot() || index < 1 || index > kOverlaySlots) return false;
  QPointer<TOrvanePlot> plot = spectrum->Plot();
  // Both panes: the left and, where it is shown, the right spectrum. Writing and reading
  // the overlay files may report a failure, so this runs after the command was answered.
  Later([plot, index, action] {
    if (!plot) return;
    switch (action) {
      case OverlayAction::Store:
        // The right pane has nothing to capture while one channel is shown.
        plot->CaptureOverlay(0, index);
        plot->CaptureOverlay(1, index);
        break;
      case OverlayAction::Show:
        plot->ToggleOverlay(0, index, true);
        if (std::filesystem::exists(plot->OverlayPath(1, index))) {
          plot->ToggleOverlay(1, index, true);
        }
        break;
      case OverlayAction::Hide:
        plot->ToggleOverlay(0, index, false);
        plot->ToggleOverlay(1, index, false);
        break;
    }
  });
  return true;
}

void TGuiAutomationFrame::Close() {
  Later([this] {
    // A hidden frame closing quits nothing by itself.
    const bool hidden = !frame_.isVisible();
    if (frame_.close() && hidden) QApplication::quit();
  });
}

}  // namespace orvanix
