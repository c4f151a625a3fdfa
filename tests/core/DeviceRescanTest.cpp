// Devices plugged in while the program runs: the core looks again, the configured devices are
// followed by name when their numbers move, and nothing is renumbered under an open device.
// The devices are ALSA `null` devices of the test's own configuration (ALSA_CONFIG_PATH),
// reached through PortAudio like any sound card; skipped only when PortAudio cannot start.
#include <filesystem>
#include <fstream>

#include "acquisition/PortAudioHost.h"
#include "acquisition/SoundOutput.h"
#include "tests/acquisition/NullDevices.h"
#include "tests/core/CoreTestSupport.h"

namespace orvanix::test {
namespace {

namespace fs = std::filesystem;

class DeviceRescanTest : public CoreFixture {
 protected:
  static void SetUpTestSuite() {
    char pattern[] = "/tmp/orvanix-rescan-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    setenv("ALSA_CONFIG_PATH", (dir_ / "asound.conf").c_str(), 1);
  }
  static void TearDownTestSuite() {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  static void WriteConfig(const std::vector<std::string>& devices) {
    test::WriteNullDevices((dir_ / "asound.conf").string(), devices);
  }
  void SetUp() override {
    WriteConfig({"orvanix_b"});
    TPortAudioHost::Instance().Rescan();
    if (!TSoundPort::AudioSystemAvailable()) {
      GTEST_SKIP() << "PortAudio cannot initialise: " << TPortAudioHost::Instance().InitError();
    }
    CoreFixture::SetUp();
  }
  void SelectOutput(const std::string& name) {
    const int id = TSoundPort::FindDevice(TSoundDirection::Output, name);
    ASSERT_GE(id, 0) << name;
    core_->ChangeSettings([id](TAnalyzerSettings& s) { s.devices.outputDeviceId = id; },
                          SettingsOrigin::Dialog);
    ASSERT_EQ(core_->Output()->Name(), name);
  }

  static fs::path dir_;
};

fs::path DeviceRescanTest::dir_;

TEST_F(DeviceRescanTest, ANewDeviceAppearsAndTheChosenOneIsFollowedByName) {
  ASSERT_NO_FATAL_FAILURE(SelectOutput("orvanix_b"));
  const int before = core_->Settings().devices.outputDeviceId;

  WriteConfig({"orvanix_a", "orvanix_b"});
  ASSERT_TRUE(core_->RescanDevices());
  const int a = TSoundPort::FindDevice(TSoundDirection::Output, "orvanix_a");
  const int b = TSoundPort::FindDevice(TSoundDirection::Output, "orvanix_b");
  ASSERT_GE(a, 0) << "the device added since start-up is not listed";
  // The new device is listed before the chosen one, so the chosen one's number moved.
  ASSERT_NE(b, before);
  EXPECT_EQ(core_->Settings().devices.outputDeviceId, b);
  EXPECT_EQ(core_->Output()->Name(), "orvanix_b");
  EXPECT_TRUE(sink_.Entries().empty());
}

TEST_F(DeviceRescanTest, NothingIsRenumberedUnderAnOpenDevice) {
  ASSERT_NO_FATAL_FAILURE(SelectOutput("orvanix_b"));
  TSoundOutput* output = core_->Output();
  ASSERT_TRUE(output->SetFormat(48000, 2, 2));
  ASSERT_TRUE(output->Open([] {}));

  WriteConfig({"orvanix_a", "orvanix_b"});
  EXPECT_FALSE(core_->RescanDevices());
  EXPECT_EQ(TSoundPort::FindDevice(TSoundDirection::Output, "orvanix_a"), -1);
  EXPECT_EQ(core_->Output(), output);
  EXPECT_TRUE(output->IsOpen());
  output->Close();

  EXPECT_TRUE(core_->RescanDevices());
  EXPECT_GE(TSoundPort::FindDevice(TSoundDirection::Output, "orvanix_a"), 0);
}

TEST_F(DeviceRescanTest, AChosenDeviceThatWasUnpluggedLeavesAWorkingPort) {
  WriteConfig({"orvanix_a", "orvanix_b"});
  ASSERT_TRUE(core_->RescanDevices());
  ASSERT_NO_FATAL_FAILURE(SelectOutput("orvanix_b"));

  WriteConfig({"orvanix_a"});
  ASSERT_TRUE(core_->RescanDevices());
  EXPECT_EQ(TSoundPort::FindDevice(TSoundDirection::Output, "orvanix_b"), -1);
  // The port is on a device of the new list, usable as any.
  TSoundOutput* output = core_->Output();
  ASSERT_NE(output, nullptr);
  EXPECT_TRUE(output->HasDevice());
  EXPECT_NE(output->Name(), "orvanix_b");
  EXPECT_GE(TSoundPort::FindDevice(TSoundDirection::Output, output->Name()), 0);
}

}  // namespace
}  // namespace orvanix::test
