// The program's icon, drawn: a spectrum trace with a peak over a dark plot, so windows and
// view windows carry the program's own mark rather than the toolkit's.
#pragma once

#include <QIcon>

namespace orvanix {

const QIcon& AppIcon();

}  // namespace orvanix
