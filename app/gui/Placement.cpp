#include "app/gui/Placement.h"

#include <QGuiApplication>
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QScreen>

namespace orvanix {

int32_t ShowCommandOf(const QWidget& window) {
  if (window.isMinimized()) return kShowMinimized;
  if (window.isMaximized()) return kShowMaximized;
  if (window.isHidden() && window.testAttribute(Qt::WA_WState_ExplicitShowHide)) return kShowHide;
  return kShowNormal;
}

TWindowPlacement PlacementOf(const QRect& normal, int32_t showCommand) {
  TWindowPlacement p;
  p.flags = 0;
  p.showCommand = showCommand;
  p.minX = p.minY = -1;
  p.maxX = p.maxY = -1;
  p.left = normal.left();
  p.top = normal.top();
  p.right = normal.left() + normal.width();
  p.bottom = normal.top() + normal.height();
  return p;
}

QRect NormalRect(const TWindowPlacement& placement) {
  return QRect(placement.left, placement.top, placement.right - placement.left,
               placement.bottom - placement.top);
}

TWindowPlacement FramePlacement(const QMainWindow& frame) {
  const QRect normal = frame.isMaximized() || frame.isMinimized() || frame.isFullScreen()
                           ? frame.normalGeometry()
                           : frame.geometry();
  return PlacementOf(normal, ShowCommandOf(frame));
}

void RestoreFramePlacement(QMainWindow& frame, const TWindowPlacement& placement) {
  const QRect rect = NormalRect(placement);
  if (rect.width() > 0 && rect.height() > 0) frame.setGeometry(rect);
  switch (placement.showCommand) {
    case kShowMaximized:
      frame.setWindowState(frame.windowState() | Qt::WindowMaximized);
      break;
    default:
      frame.setWindowState(frame.windowState() & ~(Qt::WindowMaximized | Qt::WindowMinimized));
      break;
  }
}

TWindowPlacement ChildPlacement(const QMdiSubWindow& window, const QRect& normal) {
  return PlacementOf(normal.isValid() ? normal : window.geometry(), ShowCommandOf(window));
}

int32_t RestoreChildPlacement(QMdiSubWindow& window, const TWindowPlacement& placement) {
  const QRect rect = NormalRect(placement);
  if (rect.width() > 0 && rect.height() > 0) window.setGeometry(rect);
  return placement.showCommand;
}

QRect DesktopRect() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->availableVirtualGeometry() : QRect(0, 0, 1024, 768);
}

}  // namespace orvanix
