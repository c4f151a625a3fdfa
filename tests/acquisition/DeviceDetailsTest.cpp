// What the device details say, and a device that appears after start-up being found by a
// rescan. The real path goes through PortAudio's ALSA host API to devices of ALSA's `null`
// plugin defined by the test's own ALSA configuration (ALSA_CONFIG_PATH), so no sound card
// is needed; skipped only when PortAudio cannot initialise at all.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "AcquisitionHelpers.h"
#include "acquisition/DeviceDetails.h"
#include "acquisition/PortAudioHost.h"
#include "acquisition/SoundTexts.h"
#include "engine/Messages.h"
#include "tests/acquisition/NullDevices.h"

namespace orvanix {
namespace {

namespace fs = std::filesystem;

TEST(DeviceDetails, AlsaCardNamesComeFromTheCardList) {
  EXPECT_EQ(AlsaCardOfName("HDA Intel PCH: ALC3246 Analog (hw:0,0)"), 0);
  EXPECT_EQ(AlsaCardOfName("USB Audio CODEC: Audio (hw:12,3)"), 12);
  EXPECT_EQ(AlsaCardOfName("default"), -1);
  EXPECT_EQ(AlsaCardOfName("pulse (hw:x,0)"), -1);

  const std::string cards =
      " 0 [PCH            ]: HDA-Intel - HDA Intel PCH\n"
      "                      HDA Intel PCH at 0xf7f10000 irq 130\n"
      " 1 [CODEC          ]: USB-Audio - USB Audio CODEC\n"
      "                      Burr-Brown from TI USB Audio CODEC at usb-0000:00:14.0-2\n";
  std::string driver, name;
  ASSERT_TRUE(AlsaCardFromList(cards, 1, driver, name));
  EXPECT_EQ(driver, "USB-Audio");
  EXPECT_EQ(name, "Burr-Brown from TI USB Audio CODEC at usb-0000:00:14.0-2");
  ASSERT_TRUE(AlsaCardFromList(cards, 0, driver, name));
  EXPECT_EQ(driver, "HDA-Intel");
  EXPECT_EQ(name, "HDA Intel PCH at 0xf7f10000 irq 130");
  EXPECT_FALSE(AlsaCardFromList(cards, 2, driver, name));
  EXPECT_FALSE(AlsaCardFromList("--- no soundcards ---\n", 0, driver, name));
}

TEST(DeviceDetails, LinesNameWhatIsKnown) {
  TDeviceDetails d;
  d.known = true;
  d.name = "USB Audio CODEC: Audio (hw:1,0)";
  d.hostApi = "ALSA";
  d.card = "Burr-Brown USB Audio CODEC";
  d.driver = "USB-Audio";
  d.channels = 2;
  d.defaultRateHz = 48000;
  d.lowLatencySecs = 0.0087;
  d.highLatencySecs = 0.0348;
  d.probed = true;
  d.rates = {32000, 44100, 48000};
  d.bits = {16, 24};
  EXPECT_EQ(DeviceDetailsLines(d),
            "   Device Name = USB Audio CODEC: Audio (hw:1,0)\r"
            "   Host API = ALSA\r"
            "   Card = Burr-Brown USB Audio CODEC\r"
            "   Driver = USB-Audio\r"
            "   Channels = 2\r"
            "   Default Sample Rate = 48000 Hz\r"
            "   Sample Rates = 32000, 44100, 48000 Hz\r"
            "   Sample Widths = 16, 24 bits\r"
            "   Default Latency = 8.7 ms (low), 34.8 ms (high)\r");

  // A device that did not answer the probe says so rather than listing nothing.
  d.probed = false;
  d.anyRate = false;
  const std::string unprobed = DeviceDetailsLines(d);
  EXPECT_NE(unprobed.find("Sample Rates = not known"), std::string::npos) << unprobed;
  EXPECT_NE(unprobed.find("Sample Widths = not known"), std::string::npos) << unprobed;
}

TEST(DeviceDetails, LoopbackIsDescribedAsTheProgramsOwn) {
  TRecordingSink sink;
  TScopedMessageSink scoped(&sink);
  const int id = test::LoopbackInputId();
  const TDeviceDetails d = SoundDeviceDetails(TSoundDirection::Input, id);
  ASSERT_TRUE(d.known);
  EXPECT_TRUE(d.isVirtual);
  EXPECT_EQ(d.name, kLoopbackDeviceName);
  EXPECT_EQ(d.channels, 2);
  ASSERT_TRUE(d.probed);
  EXPECT_TRUE(d.anyRate);
  EXPECT_EQ(d.rates, (std::vector<uint32_t>{TSoundPort::kMinRateHz, TSoundPort::kMaxRateHz}));
  EXPECT_EQ(d.bits, (std::vector<uint32_t>{8, 16, 24}));
  EXPECT_EQ(DeviceDetailsLines(d).find("Latency"), std::string::npos);

  EXPECT_FALSE(SoundDeviceDetails(TSoundDirection::Input, id + 1).known);
  EXPECT_FALSE(SoundDeviceDetails(TSoundDirection::Input, -1).known);
  EXPECT_TRUE(sink.Entries().empty());
}

// The ALSA devices of this test. Must be written before PortAudio's first use in the
// process; the rescan test rewrites the file.
class AlsaDevices : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    char pattern[] = "/tmp/orvanix-devices-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    WriteConfig({"orvanix_first"});
    setenv("ALSA_CONFIG_PATH", (dir_ / "asound.conf").c_str(), 1);
    // When an earlier test of this process already started PortAudio, it starts again here.
    TPortAudioHost::Instance().Rescan();
  }
  static void TearDownTestSuite() {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  static void WriteConfig(const std::vector<std::string>& devices) {
    test::WriteNullDevices((dir_ / "asound.conf").string(), devices);
  }
  void SetUp() override {
    if (!TSoundPort::AudioSystemAvailable()) {
      GTEST_SKIP() << "PortAudio cannot initialise: " << TPortAudioHost::Instance().InitError();
    }
  }

  static fs::path dir_;
  TRecordingSink sink_;
  TScopedMessageSink scoped_{&sink_};
};

fs::path AlsaDevices::dir_;

TEST_F(AlsaDevices, DetailsOfAnAlsaDeviceComeFromPortAudio) {
  const int id = TSoundPort::FindDevice(TSoundDirection::Output, "orvanix_first");
  ASSERT_GE(id, 0) << "PortAudio did not list the test ALSA device";
  const TDeviceDetails d = SoundDeviceDetails(TSoundDirection::Output, id);
  ASSERT_TRUE(d.known);
  EXPECT_FALSE(d.isVirtual);
  EXPECT_EQ(d.hostApi, "ALSA");
  EXPECT_GT(d.channels, 0);
  EXPECT_GT(d.defaultRateHz, 0);
  EXPECT_GT(d.highLatencySecs, 0);
  EXPECT_LE(d.lowLatencySecs, d.highLatencySecs);
  // The null device takes anything: every rate of the probe's range, every width.
  ASSERT_TRUE(d.probed);
  EXPECT_TRUE(d.anyRate);
  EXPECT_EQ(d.rates, (std::vector<uint32_t>{8000, 192000}));
  EXPECT_EQ(d.bits, (std::vector<uint32_t>{8, 16, 24}));
  EXPECT_TRUE(d.card.empty());  // not a hardware card
  const std::string lines = DeviceDetailsLines(d);
  EXPECT_NE(lines.find("Host API = ALSA\r"), std::string::npos) << lines;
  EXPECT_NE(lines.find("Sample Rates = 8000 to 192000 Hz, any rate between\r"), std::string::npos)
      << lines;
}

TEST_F(AlsaDevices, RescanFindsADeviceAddedSinceStartUp) {
  ASSERT_GE(TSoundPort::FindDevice(TSoundDirection::Output, "orvanix_first"), 0);
  ASSERT_EQ(TSoundPort::FindDevice(TSoundDirection::Output, "orvanix_second"), -1);
  const int countBefore = TSoundPort::DeviceCount(TSoundDirection::Output);
  WriteConfig({"orvanix_first", "orvanix_second"});

  // Refused while a stream is open: PortAudio would close it underneath its port.
  TPortAudioHost::Instance().StreamOpened();
  EXPECT_FALSE(TPortAudioHost::Instance().Rescan());
  TPortAudioHost::Instance().StreamClosed();
  EXPECT_EQ(TSoundPort::FindDevice(TSoundDirection::Output, "orvanix_second"), -1);

  const uint32_t session = TPortAudioHost::Instance().Session();
  ASSERT_TRUE(TPortAudioHost::Instance().Rescan());
  EXPECT_NE(TPortAudioHost::Instance().Session(), session);
  const int second = TSoundPort::FindDevice(TSoundDirection::Output, "orvanix_second");
  ASSERT_GE(second, 0);
  EXPECT_EQ(TSoundPort::DeviceCount(TSoundDirection::Output), countBefore + 1);
  // The virtual devices stay at the end of the list.
  EXPECT_EQ(TSoundPort::FindDevice(TSoundDirection::Output, kLoopbackDeviceName),
            TSoundPort::DeviceCount(TSoundDirection::Output) - 1);
  EXPECT_EQ(SoundDeviceDetails(TSoundDirection::Output, second).hostApi, "ALSA");

  WriteConfig({"orvanix_first"});
  ASSERT_TRUE(TPortAudioHost::Instance().Rescan());
  EXPECT_EQ(TSoundPort::FindDevice(TSoundDirection::Output, "orvanix_second"), -1);
}

}  // namespace
}  // namespace orvanix
