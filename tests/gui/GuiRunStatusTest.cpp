// The window while a run goes on, as a user watches it: the status bar follows the run by
// itself (level meter, overload, lost input, waiting for a trigger), its state field is never
// blank while the analyzer runs, the position display follows playback, and playback that runs
// dry is counted in the status bar and told.
#include <QApplication>
#include <QImage>
#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>

#include "acquisition/LoopbackDevice.h"
#include "acquisition/RunLoopTypes.h"
#include "acquisition/SoundInput.h"
#include "acquisition/SoundPort.h"
#include "acquisition/SoundTexts.h"
#include "app/core/Commands.h"
#include "app/gui/StatusBar.h"
#include "app/gui/TransportBar.h"
#include "files/Configuration.h"
#include "files/WaveFile.h"
#include "tests/gui/GuiTestHelpers.h"

namespace orvanix::test {
namespace {

class GuiRunStatusTest : public GuiFixture {
 protected:
  // A frame whose input and output are the Loopback device, fed a 1 kHz sine of
  // `amplitude_` (which the test may change while it runs).
  void MakeLoopbackFrame() {
    MakeFrame();
    const int in = TSoundPort::FindDevice(TSoundDirection::Input, kLoopbackDeviceName);
    const int out = TSoundPort::FindDevice(TSoundDirection::Output, kLoopbackDeviceName);
    ASSERT_GE(in, 0);
    ASSERT_TRUE(core_->ChangeSettings(
        [&](TAnalyzerSettings& s) {
          s.devices.inputDeviceId = in;
          s.devices.outputDeviceId = out;
        },
        SettingsOrigin::Dialog));
    core_->RecreatePorts();
    TLoopbackDevice::Instance().SetSource(
        [this](uint64_t first, uint32_t frames, uint32_t rate, double* l, double* r) {
          const double a = amplitude_.load();
          for (uint32_t i = 0; i < frames; ++i) {
            l[i] = r[i] = a * std::sin(2 * M_PI * 1000.0 * double(first + i) / rate);
          }
        });
  }
  TStatusBar& Bar() { return *frame_->StatusBarWidget(); }

  std::atomic<double> amplitude_{0.0};
};

TEST_F(GuiRunStatusTest, TheStatusBarFollowsARunWithoutBeingAsked) {
  MakeLoopbackFrame();
  amplitude_ = 0.5;
  ASSERT_TRUE(frame_->RunCommand(kCmdRun));
  // Nothing here refreshes the status bar: what it shows comes from the run itself.
  // Half of full scale: a peak of 16384 of 32767 is level 9.
  EXPECT_TRUE(WaitFor([&] {
    return Bar().Info().field == TStatusInfo::StateField::LevelMeter &&
           Bar().Info().peakLevelLeft == 9;
  }));
  amplitude_ = 1.5;  // clipped at full scale
  EXPECT_TRUE(WaitFor([&] { return Bar().Info().field == TStatusInfo::StateField::Overload; }));
  EXPECT_EQ(Bar().FieldTexts()[0], "OVERLOAD!");
  amplitude_ = 0.5;
  EXPECT_TRUE(WaitFor([&] { return Bar().Info().field == TStatusInfo::StateField::LevelMeter; }));

  // The device loses input: the count appears, and the user is told while it runs.
  core_->Input()->DeviceCallback(nullptr, nullptr, 0, true);
  EXPECT_TRUE(WaitFor([&] { return Bar().FieldTexts().last() == "Overruns: 1"; }));
  EXPECT_TRUE(WaitFor([&] {
    return sink_.Contains(Format(kMsgOverruns, 1ull, 0ull, kMsgOverrunsHistory)) ||
           sink_.Contains(Format(kMsgOverruns, 1ull, 0ull, kMsgOverrunsAnalysis));
  }));
  EXPECT_TRUE(core_->IsRunning());
  ASSERT_TRUE(frame_->RunCommand(kCmdStop));

  // A trigger the quiet input never reaches.
  amplitude_ = 0.01;
  ASSERT_TRUE(core_->ChangeSettings(
      [](TAnalyzerSettings& s) {
        s.trigger.enable = 1;
        s.trigger.thresholdPct = 90;
      },
      SettingsOrigin::Dialog));
  ASSERT_TRUE(frame_->RunCommand(kCmdRun));
  EXPECT_TRUE(WaitFor([&] { return Bar().FieldTexts()[0] == "Waiting for Trigger..."; }));
  EXPECT_EQ(Bar().StateTextColor(), QColor(Qt::red));
  ASSERT_TRUE(frame_->RunCommand(kCmdStop));
  EXPECT_TRUE(WaitFor([&] { return Bar().FieldTexts()[0] == "Stopped"; }));
}

TEST_F(GuiRunStatusTest, TheStateFieldIsNeverBlankWhileRealTimeRuns) {
  MakeLoopbackFrame();  // silence: no meter segment is lit
  ASSERT_TRUE(frame_->RunCommand(kCmdRun));
  ASSERT_TRUE(WaitFor([&] { return core_->BlockCount() > 0; }));
  frame_->RefreshStatus();
  ASSERT_EQ(Bar().Info().field, TStatusInfo::StateField::LevelMeter);
  EXPECT_EQ(Bar().Info().peakLevelLeft, 0);
  // The meter is drawn all the same, its segments dark: segment 2 sits a padding into the field.
  const QImage image = Bar().grab().toImage();
  const QColor segment2(image.pixel(1 + 6 + 6, TStatusBar::kHeight / 2));
  EXPECT_NE(segment2, Bar().palette().color(QPalette::Window));
  EXPECT_EQ(segment2, TStatusBar::UnlitColor(2));
  const QColor segment10(image.pixel(1 + 6 + 8 * 14 + 6, TStatusBar::kHeight / 2));
  EXPECT_EQ(segment10, TStatusBar::UnlitColor(10));
  ASSERT_TRUE(frame_->RunCommand(kCmdStop));

  // Without overload detection there is no level to show: the field says the analyzer runs.
  ASSERT_TRUE(core_->ChangeSettings(
      [](TAnalyzerSettings& s) { s.processing.overloadDetection = 0; }, SettingsOrigin::Dialog));
  ASSERT_TRUE(frame_->RunCommand(kCmdRun));
  ASSERT_TRUE(WaitFor([&] { return core_->BlockCount() > 0; }));
  frame_->RefreshStatus();
  EXPECT_EQ(Bar().FieldTexts()[0], "Running...");
  ASSERT_TRUE(frame_->RunCommand(kCmdStop));
  EXPECT_EQ(Bar().FieldTexts()[0], "Stopped");
}

TEST_F(GuiRunStatusTest, ThePositionDisplayFollowsPlayback) {
  const std::string path = Path("play.wav");
  WriteToneWave(path, 44100, 1, 3 * 44100, {{1000.0, 0.3}});
  MakeLoopbackFrame();
  frame_->StartUp(path);
  ASSERT_TRUE(frame_->RunCommand(kCmdModeRecorder));
  ASSERT_TRUE(core_->HasDocument());
  TTransportBar& bar = *frame_->TransportBar();
  EXPECT_EQ(bar.PositionText(), "0.000 / 3.000");
  ASSERT_TRUE(frame_->RunCommand(kCmdPlayDocument));
  ASSERT_EQ(core_->State(), kStatePlaying);
  // The readout moves while it plays.
  EXPECT_TRUE(WaitFor([&] { return bar.PositionText().section(" / ", 0, 0).toDouble() >= 1.0; }));
  EXPECT_TRUE(bar.PositionText().endsWith(" / 3.000"));
  // Stopped: it stays where playback got to.
  ASSERT_TRUE(frame_->RunCommand(kCmdStop));
  const double stopped = bar.PositionText().section(" / ", 0, 0).toDouble();
  EXPECT_GE(stopped, 1.0);
  EXPECT_LT(stopped, 3.0);
  EXPECT_NEAR(stopped, core_->Document()->PositionSeconds(), 0.001);
}

TEST_F(GuiRunStatusTest, PlaybackThatRunsDryShowsItsCountAndTellsTheUser) {
  const std::string path = Path("dry.wav");
  WriteToneWave(path, 8000, 1, 8 * 8000, {{1000.0, 0.3}});
  MakeLoopbackFrame();
  frame_->StartUp(path);
  ASSERT_TRUE(frame_->RunCommand(kCmdModeRecorder));
  ASSERT_TRUE(frame_->RunCommand(kCmdPlayDocument));
  ASSERT_EQ(core_->State(), kStatePlaying);
  ASSERT_TRUE(WaitFor([&] { return core_->Document()->PositionSeconds() >= 0.3; }));
  // A main thread that does not answer for longer than both output buffers last.
  std::this_thread::sleep_for(std::chrono::milliseconds(2800));
  EXPECT_TRUE(WaitFor([&] { return Bar().FieldTexts().contains("Underruns: 1"); }))
      << Bar().FieldTexts().join(" | ").toStdString();
  EXPECT_TRUE(WaitFor([&] {
    for (const auto& entry : sink_.Entries()) {
      if (entry.text.rfind("The sound device ran out of data to play 1 time(s)", 0) == 0)
        return true;
    }
    return false;
  }));
  EXPECT_EQ(core_->State(), kStatePlaying);
  ASSERT_TRUE(frame_->RunCommand(kCmdStop));
}

}  // namespace
}  // namespace orvanix::test
