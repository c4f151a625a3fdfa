// How results computed outside the run loop reach the frame: the windows a segment analysis
// opens and activates, and Esc or a mouse click cancelling a long operation. The core runs
// long operations a few milliseconds at a time from the event loop, so these events arrive
// while it works; they are looked at here, never waited for.
#include <QApplication>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>

#include "app/gui/GuiRegistry.h"
#include "app/gui/MainWin.h"
#include "app/gui/ViewWindows.h"

namespace orvanix {

namespace {

// Esc anywhere in the program, or a mouse button going down in the frame, cancels the
// running long operation (the click still does what it does: nothing is swallowed).
class TCancelFilter : public QObject {
 public:
  TCancelFilter(TAnalyzerCore& core, TMainWin& frame)
      : QObject(&frame), core_(core), frame_(&frame) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!core_.LongOperationRunning()) return false;
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
      core_.RequestCancel();
    } else if (event->type() == QEvent::MouseButtonPress) {
      auto* widget = qobject_cast<QWidget*>(watched);
      if (widget && frame_ && widget->window() == frame_) core_.RequestCancel();
    }
    return false;
  }

 private:
  TAnalyzerCore& core_;
  QPointer<TMainWin> frame_;
};

void InstallResultHooks(TMainWin& frame) {
  TAnalyzerCore& core = frame.Core();
  QPointer<TMainWin> guarded(&frame);
  core.SetWindowShower([guarded](WindowKind kind) {
    if (!guarded) return false;
    TViewWindows& windows = guarded->Windows();
    if (!windows.IsOpen(kind) && !windows.Open(kind)) return false;
    if (QMdiSubWindow* child = windows.SubWindow(kind)) {
      if (child->isMinimized()) child->showNormal();
      guarded->MdiArea()->setActiveSubWindow(child);
    }
    return true;
  });
  QObject::connect(&frame, &QObject::destroyed, [&core] { core.SetWindowShower(nullptr); });
  qApp->installEventFilter(new TCancelFilter(core, frame));
}

}  // namespace

void RegisterResultHooks() {
  RegisterFrameExtension("results", InstallResultHooks);
}

}  // namespace orvanix
