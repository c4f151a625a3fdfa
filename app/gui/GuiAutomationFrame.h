// TGuiAutomationFrame: the frame's side of the automation commands. Each one does what the
// frame's own menu item does (the View and Utilities toggles, the Window menu's
// arrangements, the spectrum view's overlay capture, Print, Exit); the window decorations
// are shown and hidden directly.
//
// Calls arrive from a socket handler or a macro step. Opening a view, arranging and
// showing windows run at once; whatever may show a message box or a dialog (utility windows
// opening or closing, printing, overlay files, closing the frame with its save prompts) is
// posted and runs once control is back in the event loop.
#pragma once

#include <QObject>
#include <bitset>
#include <functional>

#include "automation/AutomationFrame.h"

class QMdiSubWindow;

namespace orvanix {

class TMainWin;

class TGuiAutomationFrame : public QObject, public TAutomationFrame {
 public:
  // A child of `frame`: it goes when the frame goes. `detach` runs then (the automation
  // server stops using it).
  TGuiAutomationFrame(TMainWin& frame, std::function<void()> detach);
  ~TGuiAutomationFrame() override;

  bool WindowAction(WindowKind kind, ViewAction action) override;
  bool Frame(FrameAction action) override;
  bool Overlay(int index, OverlayAction action) override;
  void Close() override;
  void Post(std::function<void()> action) override { Later(std::move(action)); }

 private:
  bool Open(WindowKind kind);
  bool CloseWindow(WindowKind kind);
  QMdiSubWindow* ActivePlotWindow() const;
  void Later(std::function<void()> action);

  TMainWin& frame_;
  std::function<void()> detach_;
  // Utility windows whose opening is posted and not yet done.
  std::bitset<kWindowKindCount> opening_;
};

}  // namespace orvanix
