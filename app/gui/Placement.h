// Window placements between Qt widgets and the stored placement text ("Placement" keys):
// the frame in screen pixels, view and utility windows in the pixels of the MDI area they
// live in. The normal rectangle's right and bottom are exclusive (left + width).
#pragma once

#include <QRect>

#include "files/Configuration.h"

class QWidget;
class QMainWindow;
class QMdiSubWindow;

namespace orvanix {

// The show command of a window's state: maximised, minimised, hidden or normal.
int32_t ShowCommandOf(const QWidget& window);

TWindowPlacement PlacementOf(const QRect& normal, int32_t showCommand);
QRect NormalRect(const TWindowPlacement& placement);

// The frame: its normal geometry and state.
TWindowPlacement FramePlacement(const QMainWindow& frame);
// Applies a stored frame placement: geometry, then maximised or normal (a stored minimised
// frame comes back normal). A rectangle without area leaves the geometry as it is.
void RestoreFramePlacement(QMainWindow& frame, const TWindowPlacement& placement);

// A view or utility window: `normal` is its last normal geometry (the window's own while
// it is neither maximised nor minimised).
TWindowPlacement ChildPlacement(const QMdiSubWindow& window, const QRect& normal);
// Applies a stored placement to a window that is being opened; the caller shows it.
// Returns the show command to use.
int32_t RestoreChildPlacement(QMdiSubWindow& window, const TWindowPlacement& placement);

// The desktop the corrections of a restored placement measure against.
QRect DesktopRect();

}  // namespace orvanix
