// The program's icon, drawn: a spectrum trace with a peak over a dark plot, so windows and
// view windows carry the program's own mark rather than the toolkit's. The same drawing
// makes the installed icons (tools/MakeIcons.cpp): PNGs at every size and an SVG.
#pragma once

#include <QIcon>
#include <QImage>
#include <string>

namespace orvanix {

const QIcon& AppIcon();

// The icon at `size` × `size` pixels, on a transparent background.
QImage AppIconImage(int size);

// The same drawing as an SVG document of `size` × `size` user units.
std::string AppIconSvg(int size);

}  // namespace orvanix
