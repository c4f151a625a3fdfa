// The device-change signal: nodes appearing in the watched folder are reported once they
// settle, the folder itself may come later, and the frame looks for devices again only when
// no run is in the way.
#include <QDir>
#include <QFile>

#include "acquisition/PortAudioHost.h"
#include "acquisition/RunLoop.h"
#include "app/core/Commands.h"
#include "app/gui/DeviceWatcher.h"
#include "tests/gui/GuiTestHelpers.h"

namespace orvanix::test {
namespace {

// Counts the watcher's reports.
struct TReports {
  explicit TReports(TDeviceWatcher& watcher) {
    QObject::connect(&watcher, &TDeviceWatcher::DevicesChanged, [this] { ++n; });
  }
  int count() const { return n; }
  int n = 0;
};

void Touch(const QString& path) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

TEST(DeviceWatcher, NodesArrivingTogetherAreReportedOnce) {
  QTemporaryDir root;
  const QString folder = root.filePath("snd");
  ASSERT_TRUE(QDir().mkpath(folder));
  TDeviceWatcher watcher(nullptr, folder, 200);
  ASSERT_TRUE(watcher.Watching());
  TReports changed(watcher);
  // A card brings its control, playback and capture nodes in quick succession.
  Touch(folder + "/controlC1");
  Touch(folder + "/pcmC1D0p");
  Touch(folder + "/pcmC1D0c");
  ASSERT_TRUE(WaitFor([&] { return changed.count() > 0; }));
  WaitFor([] { return false; }, 500);
  EXPECT_EQ(changed.count(), 1);

  // Unplugged.
  QFile::remove(folder + "/pcmC1D0c");
  ASSERT_TRUE(WaitFor([&] { return changed.count() > 1; }));
}

TEST(DeviceWatcher, TheFirstCardOfTheMachineIsSeenToo) {
  QTemporaryDir root;
  const QString folder = root.filePath("snd");  // not there yet: no card at start-up
  TDeviceWatcher watcher(nullptr, folder, 100);
  ASSERT_TRUE(watcher.Watching());
  TReports changed(watcher);
  // Other nodes coming and going in the parent folder are not sound devices.
  Touch(root.filePath("ttyS9"));
  WaitFor([] { return false; }, 400);
  EXPECT_EQ(changed.count(), 0);

  ASSERT_TRUE(QDir().mkpath(folder));
  ASSERT_TRUE(WaitFor([&] { return changed.count() == 1; }));
  // From now on the folder itself is watched.
  Touch(folder + "/controlC0");
  ASSERT_TRUE(WaitFor([&] { return changed.count() == 2; }));
}

class FrameDeviceChange : public GuiFixture {};

TEST_F(FrameDeviceChange, DevicesAreLookedForAgainOnlyOnceTheRunIsOver) {
  MakeFrame();
  ASSERT_NE(frame_->DeviceWatcher(), nullptr);
  ASSERT_TRUE(frame_->RunCommand(kCmdModePostProcess));
  const std::string path = Path("tone.wav");
  WriteToneWave(path, 44100, 1, 44100, {{1000.0, 0.5}});
  ASSERT_TRUE(core_->OpenWave(path));
  core_->RunLoop().SetAutoStep(false);
  ASSERT_TRUE(frame_->RunCommand(kCmdRun));
  ASSERT_TRUE(core_->IsRunning());

  TPortAudioHost& host = TPortAudioHost::Instance();
  host.Available();
  const uint32_t session = host.Session();
  emit frame_->DeviceWatcher()->DevicesChanged();
  WaitFor([] { return false; }, 300);
  EXPECT_EQ(host.Session(), session) << "the devices were renumbered during a run";

  core_->Stop();
  EXPECT_TRUE(WaitFor([&] { return host.Session() != session; }, 10000))
      << "the change was not taken up after the run";
  EXPECT_TRUE(sink_.Entries().empty());
}

}  // namespace
}  // namespace orvanix::test
