// TDeviceWatcher: the platform's device-change signal. Linux sends no message when a sound
// card is plugged in or out; its device nodes appear in and vanish from /dev/snd, which is
// watched here (and /dev until /dev/snd exists, on a machine that starts without any card).
// A card brings several nodes at once, and the driver may still be setting up when they
// appear, so changes are reported once, after they have settled.
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

namespace orvanix {

class TDeviceWatcher : public QObject {
  Q_OBJECT

 public:
  explicit TDeviceWatcher(QObject* parent = nullptr, const QString& folder = "/dev/snd",
                          int settleMs = 1500);

  // Whether anything is watched (false where neither the folder nor its parent exist).
  bool Watching() const;

 signals:
  void DevicesChanged();

 private:
  void Watch();
  void Changed();

  QString folder_;
  QFileSystemWatcher watcher_;
  QTimer settle_;
};

}  // namespace orvanix
