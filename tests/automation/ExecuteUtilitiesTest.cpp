// The execute commands of the frame and the utilities in a headless server: what has no
// window here says so (not processed) instead of pretending, and the utilities that run
// without windows (generator, delay finder) act through their modules.
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <vector>

#include "AutomationTestSupport.h"
#include "app/edit/EditModule.h"
#include "generator/GeneratorModule.h"
#include "utilities/ReverbData.h"
#include "utilities/UtilitiesModule.h"

namespace orvanix::test {
namespace {

class ExecuteUtilities : public AutomationFixture {
 protected:
  void SetUp() override {
    AutomationFixture::SetUp();
    auto generator = std::make_unique<TGeneratorModule>(*core_);
    generator_ = generator.get();
    core_->AddModule(std::move(generator));
    core_->AddModule(EditModuleInfo().make(*core_));
    auto utilities = std::make_unique<TUtilitiesModule>(*core_);
    utilities_ = utilities.get();
    core_->AddModule(std::move(utilities));
    ASSERT_TRUE(client_.Connect(SocketPath()));
  }

  std::string Answer(const std::string& command) { return client_.Ask("execute " + command).head; }

  // Two seconds of seeded white noise at 48 kHz, the right channel `delay` samples behind
  // the left.
  std::string DelayedNoiseFile(int delay) {
    std::vector<int16_t> noise(96000 + static_cast<size_t>(delay));
    uint32_t state = 12345;
    for (int16_t& v : noise) {
      state = state * 1664525u + 1013904223u;
      v = static_cast<int16_t>(static_cast<int32_t>(state >> 16) - 32768) / 4;
    }
    const std::string path = scratch_.File("delayed.wav");
    WriteWave16(path, 48000, 2, 96000, [&](uint32_t i, uint32_t c) {
      return noise[c == 0 ? i + static_cast<uint32_t>(delay) : i];
    });
    return path;
  }

  TGeneratorModule* generator_ = nullptr;
  TUtilitiesModule* utilities_ = nullptr;
  TPumpedClient client_;
};

TEST_F(ExecuteUtilities, WindowCommandsWithoutAFrameAreNotProcessed) {
  for (const char* command :
       {"[Open Spectrum]", "[Maximize Time Series]", "[Print Spectrum]", "[Hide Window]",
        "[Tile Windows Vertical]", "[Show Menu]", "[Hide Statusbar]", "[Hide Plot Toolbars]",
        "[Copy to Clipboard as Bitmap]", "[Set Overlay 1]", "[Show Overlay 2]", "[Open Reverb]"}) {
    EXPECT_EQ(Answer(command), "answer not-processed") << command;
  }
  EXPECT_FALSE(core_->IsWindowOpen(kWindowSpectrum));
  // An overlay number outside 1 ... 4 is ignored, as the command table says, wherever it is
  // sent.
  EXPECT_EQ(Answer("[Set Overlay 9]"), "answer processed");
}

TEST_F(ExecuteUtilities, GeneratorRunsWithoutItsWindow) {
  // Closed: nothing to start, stop or set.
  EXPECT_EQ(Answer("[Start Generator]"), "answer not-processed");
  EXPECT_EQ(Answer("[Stop Generator]"), "answer not-processed");
  EXPECT_EQ(Answer("[Set Generator Tone left 1000 -6]"), "answer not-processed");
  EXPECT_EQ(Answer("[Open Generator]"), "answer processed");
  ASSERT_TRUE(generator_->IsOpen());
  EXPECT_EQ(Answer("[Set Generator Type left No Such Signal]"), "answer not-processed");
  EXPECT_EQ(Answer("[Set Generator Type middle Noise]"), "answer not-processed");
  EXPECT_EQ(Answer("[Set Generator Tone RIGHT 1500 -12]"), "answer processed");
  EXPECT_EQ(Answer("[Close Generator]"), "answer processed");
  EXPECT_FALSE(generator_->IsOpen());
}

TEST_F(ExecuteUtilities, DelayFinderReadsAndAppliesTheDelayOfTheOpenFile) {
  // Closed: the item reads 0 and there is nothing to apply.
  EXPECT_EQ(client_.Ask("request Delay Finder").data, "0.000000");
  EXPECT_EQ(Answer("[Apply DelayFinder]"), "answer not-processed");

  // One channel: the finder has nothing to compare, and no message box says so either.
  ASSERT_EQ(core_->Settings().processing.format.channels, 1);
  EXPECT_EQ(Answer("[Open DelayFinder]"), "answer not-processed");
  EXPECT_FALSE(utilities_->DelayFinderOpen());
  EXPECT_TRUE(sink_.Entries().empty());

  // The right channel 24 samples late at 48 kHz: 0.5 ms, shown in metres (1130 ft/s).
  core_->ChangeSettings(
      [](TAnalyzerSettings& s) {
        s.delayFinder.maxDelayMsec = 30;
        s.delayFinder.displayUnits = 2;
      },
      SettingsOrigin::Dialog);
  ASSERT_EQ(Answer("[Mode Post Processing]"), "answer processed");
  ASSERT_EQ(Answer("[File Open " + DelayedNoiseFile(24) + "]"), "answer processed");
  ASSERT_EQ(core_->Settings().processing.format.channels, 2);
  EXPECT_EQ(Answer("[Open DelayFinder]"), "answer processed");
  ASSERT_TRUE(utilities_->DelayFinderOpen());
  EXPECT_EQ(Answer("[Go To 1]"), "answer processed");
  EXPECT_EQ(Answer("[Single Step]"), "answer processed");
  const double metres = std::strtod(client_.Ask("request Delay Finder").data.c_str(), nullptr);
  // The right channel arrives late: a negative delay.
  EXPECT_NEAR(metres, -1130.0 * 0.3048 * 0.0005, 1e-6);

  // Applied as the window's button applies it: the left channel delayed by 0.5 ms.
  EXPECT_EQ(Answer("[Apply DelayFinder]"), "answer processed");
  EXPECT_EQ(core_->Settings().processing.delayChannel, 0);
  EXPECT_FLOAT_EQ(core_->Settings().processing.delayTimeMsec, 0.5f);
  EXPECT_EQ(Answer("[Close DelayFinder]"), "answer processed");
  EXPECT_EQ(client_.Ask("request Delay Finder").data, "0.000000");
}

TEST_F(ExecuteUtilities, ReverbStartsAsItsButtonDoesAndSavesOnlyWhatItHas) {
  // Nothing measured or loaded: nothing to save, and no file appears.
  const std::string saved = scratch_.File("room.rvb");
  EXPECT_EQ(Answer("[Save Reverb " + saved + "]"), "answer not-processed");
  EXPECT_FALSE(std::filesystem::exists(saved));

  // Loaded data saves, as the module holds it, under the new name.
  TReverbData data;
  data.Reset(TReverbTiming::For(10));
  data.SetBandCount(2);
  data.SetFrameCount(20);
  data.SetFrameStep(0.1);
  for (uint32_t k = 0; k < 20; ++k) {
    ReverbFrame& f = data.Frames()[k];
    f.time = 0.1f * static_cast<float>(k);
    f.frequency[0] = 1000.0f;
    f.frequency[1] = kReverbWideband;
    f.level[0] = f.level[1] = -3.0f * static_cast<float>(k);
  }
  const std::string original = scratch_.File("measured.rvb");
  ASSERT_EQ(data.Save(original), "");
  ASSERT_TRUE(utilities_->LoadReverb(original));
  EXPECT_EQ(Answer("[Save Reverb " + saved + "]"), "answer processed");
  TReverbData back;
  ASSERT_EQ(back.Load(saved), "");
  EXPECT_EQ(back.ToBytes(), utilities_->Reverb().ToBytes());
  EXPECT_EQ(back.FrameCount(), 20u);

  // Start runs the measurement through the devices, once at a time.
  UseLoopback();
  EXPECT_EQ(Answer("[Start Reverb]"), "answer processed");
  EXPECT_TRUE(utilities_->ReverbMeasuring());
  EXPECT_EQ(Answer("[Start Reverb]"), "answer not-processed");
  utilities_->CancelReverb();
  EXPECT_FALSE(utilities_->ReverbMeasuring());
}

TEST_F(ExecuteUtilities, FileUtilitiesNeedWhatTheirMenusNeed) {
  // Decimate needs an open file; Merge needs none open and not Real-Time.
  EXPECT_EQ(Answer("[File Decimate " + scratch_.File("out.wav") + " 2]"), "answer not-processed");
  EXPECT_EQ(Answer("[File Merge a.wav b.wav]"), "answer not-processed");
  ASSERT_EQ(Answer("[Mode Post Processing]"), "answer processed");
  ASSERT_EQ(Answer("[File Open " + ToneFile("tone.wav", 44100) + "]"), "answer processed");
  const std::string half = scratch_.File("half rate.wav");
  EXPECT_EQ(Answer("[File Decimate " + half + " 0]"), "answer not-processed");
  EXPECT_EQ(Answer("[File Decimate " + half + " 2]"), "answer processed");
  ASSERT_TRUE(std::filesystem::exists(half));
}

TEST_F(ExecuteUtilities, DeviceNumbersAreClampedToTheDevicesPresent) {
  const int inputs = TSoundPort::DeviceCount(TSoundDirection::Input);
  ASSERT_GT(inputs, 0);  // the virtual devices at least
  EXPECT_EQ(Answer("[Set Input Device 99999]"), "answer processed");
  EXPECT_EQ(core_->Settings().devices.inputDeviceId, inputs - 1);
  EXPECT_EQ(Answer("[Set Input Device 1]"), "answer processed");
  EXPECT_EQ(core_->Settings().devices.inputDeviceId, 0);
}

}  // namespace
}  // namespace orvanix::test
