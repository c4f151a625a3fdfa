// Writes the program's icons for installing, drawn by the program's own code:
//   MakeIcons FOLDER  ->  FOLDER/<n>x<n>/org.orvanix.Orvanix.png for each hicolor size
//                         and FOLDER/scalable/org.orvanix.Orvanix.svg
// Exit status 1 (with a message) when a file cannot be written.
#include <QDir>
#include <QGuiApplication>
#include <cstdio>
#include <fstream>
#include <string>

#include "app/gui/AppIcon.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: MakeIcons FOLDER\n");
    return 2;
  }
  // Painting needs the GUI library set up, not a display.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  const QDir root(QString::fromLocal8Bit(argv[1]));
  const QString name = QStringLiteral("org.orvanix.Orvanix");
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
    const QString folder = QStringLiteral("%1x%1").arg(size);
    const QString path = root.filePath(folder + "/" + name + ".png");
    if (!root.mkpath(folder) || !orvanix::AppIconImage(size).save(path, "PNG")) {
      std::fprintf(stderr, "MakeIcons: cannot write %s\n", qPrintable(path));
      return 1;
    }
  }
  const QString svgPath = root.filePath("scalable/" + name + ".svg");
  std::ofstream svg;
  if (root.mkpath("scalable")) svg.open(svgPath.toStdString(), std::ios::binary | std::ios::trunc);
  svg << orvanix::AppIconSvg(256);
  svg.close();
  if (!svg) {
    std::fprintf(stderr, "MakeIcons: cannot write %s\n", qPrintable(svgPath));
    return 1;
  }
  return 0;
}
