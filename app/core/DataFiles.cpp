#include "app/core/DataFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "app/BuildInfo.h"

namespace orvanix {

namespace {

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

std::string RunningProgramDir() {
  if (QCoreApplication::instance()) return QCoreApplication::applicationDirPath().toStdString();
  // Before the application object exists (command-line handling) the kernel knows.
  const QFileInfo self(QStringLiteral("/proc/self/exe"));
  return self.exists() ? QFileInfo(self.symLinkTarget()).absolutePath().toStdString()
                       : std::string();
}

}  // namespace

std::vector<std::string> DataRoots(const std::string& programDir) {
  std::vector<std::string> roots;
  if (!programDir.empty()) {
    const QDir program(Q(programDir));
    roots.push_back(QDir::cleanPath(program.filePath("../share/orvanix")).toStdString());
    roots.push_back(QDir::cleanPath(program.filePath("..")).toStdString());
    roots.push_back(QDir::cleanPath(program.filePath("../../share/orvanix")).toStdString());
  }
  roots.push_back(QDir::cleanPath(QStringLiteral(ORVANIX_SOURCE_TREE)).toStdString());
  return roots;
}

std::string FindDataFile(const std::string& relative, const std::string& programDir) {
  const QString name = Q(relative);
  if (name.isEmpty() || QDir::isAbsolutePath(name)) return {};
  // The data is ours; a name that climbs out of the data folder is not.
  const QString clean = QDir::cleanPath(name);
  if (clean == ".." || clean.startsWith("../")) return {};
  for (const std::string& root : DataRoots(programDir)) {
    const QFileInfo file(QDir(Q(root)).filePath(clean));
    if (file.isFile()) return file.absoluteFilePath().toStdString();
  }
  return {};
}

std::string FindDataFile(const std::string& relative) {
  return FindDataFile(relative, RunningProgramDir());
}

}  // namespace orvanix
