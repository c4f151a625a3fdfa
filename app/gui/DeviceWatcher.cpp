#include "app/gui/DeviceWatcher.h"

#include <QDir>
#include <QFileInfo>

namespace orvanix {

TDeviceWatcher::TDeviceWatcher(QObject* parent, const QString& folder, int settleMs)
    : QObject(parent), folder_(folder) {
  settle_.setSingleShot(true);
  settle_.setInterval(settleMs);
  connect(&settle_, &QTimer::timeout, this, &TDeviceWatcher::DevicesChanged);
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, [this] { Changed(); });
  Watch();
}

bool TDeviceWatcher::Watching() const {
  return !watcher_.directories().isEmpty();
}

void TDeviceWatcher::Watch() {
  if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
  if (QFileInfo(folder_).isDir()) {
    watcher_.addPath(folder_);
    return;
  }
  const QString parent = QFileInfo(folder_).absolutePath();
  if (QFileInfo(parent).isDir()) watcher_.addPath(parent);
}

void TDeviceWatcher::Changed() {
  // The folder itself may have come or gone (the first card of the machine, the last one
  // unplugged): watch whichever of the two exists now.
  const bool watchingFolder = watcher_.directories().contains(folder_);
  if (watchingFolder != QFileInfo(folder_).isDir()) {
    Watch();
  } else if (!watchingFolder) {
    return;  // something else changed in the parent folder
  }
  settle_.start();
}

}  // namespace orvanix
