// The window at work: a Post-Processing run shown in the spectrum view, the status bar in
// each run state, configurations saved from the window and loaded back, the configuration
// report dialog, and the paced (demonstration) run.
#include <QApplication>
#include <QImage>
#include <QListWidget>
#include <QMdiArea>
#include <QPushButton>
#include <QTimer>
#include <cmath>

#include "acquisition/LoopbackDevice.h"
#include "acquisition/RunLoop.h"
#include "acquisition/SoundPort.h"
#include "acquisition/SoundTexts.h"
#include "app/core/Commands.h"
#include "app/gui/ConfigViewDialog.h"
#include "app/gui/PostProcessPacer.h"
#include "app/gui/SpectrumWindow.h"
#include "app/gui/StatusBar.h"
#include "app/gui/ViewWindows.h"
#include "engine/ProcessingStep.h"
#include "engine/Smoothing.h"
#include "files/Configuration.h"
#include "files/Profile.h"
#include "files/WaveFile.h"
#include "tests/gui/GuiTestHelpers.h"
#include "ui/TabbedList.h"
#include "views/OrvanePlot.h"

namespace orvanix::test {
namespace {

// A full-scale sine at a bin centre reads 0 dB; half of full scale is 20 log10(0.5).
const double kHalfScaleDb = 20.0 * std::log10(0.5);

class GuiAnalysisTest : public GuiFixture {
 protected:
  TOrvanePlot* Plot() {
    TSpectrumWindow* window = frame_->Windows().Spectrum();
    return window ? window->Plot() : nullptr;
  }
  // A started frame in Post-Processing mode on `path`.
  void OpenInFrame(const std::string& path) {
    MakeFrame();
    frame_->StartUp(path);
    ASSERT_TRUE(core_->HasDocument());
    ASSERT_EQ(core_->Mode(), kModePostProcessing);
  }
  QStringList Fields() {
    frame_->RefreshStatus();
    return frame_->StatusBarWidget()->FieldTexts();
  }
};

TEST_F(GuiAnalysisTest, PostProcessingShowsTheKnownToneInTheSpectrumView) {
  const std::string path = Path("tone.wav");
  const double hz = BinHz(93);  // 1001.29 Hz, on a bin centre of a 4096-point FFT
  WriteToneWave(path, 44100, 1, 2 * 44100, {{hz, 0.5}});
  // The uniform window leaves a bin-centred tone at its level exactly.
  WriteProgramSettings("[Settings]\nSmoothingWindow=8\n");
  OpenInFrame(path);
  ASSERT_NE(Plot(), nullptr);  // the spectrum view opens by default
  EXPECT_EQ(frame_->windowTitle().toStdString(), std::string(kProgramTitle) + " [" + path + "]");

  ASSERT_TRUE(frame_->RunCommand(kCmdRun));
  ASSERT_TRUE(core_->WaitUntilStopped(30000));
  // 2 s at a hop of 4096 frames: every whole block of the file.
  EXPECT_EQ(core_->BlockCount(), 2u * 44100u / 4096u);
  EXPECT_NEAR(core_->Document()->PositionSeconds(), 2.0, 4096.0 / 44100.0);

  // The view's measurement cursor, pulled onto the trace, reads the tone.
  TOrvanePlot* plot = Plot();
  plot->SetMeasurementCursor(1000.0, 0.0);
  EXPECT_NEAR(plot->CursorHz(), hz, 0.01);
  EXPECT_NEAR(plot->CursorValue(), kHalfScaleDb, 0.05);
  // And it is the peak of what the view shows.
  const TSpectralData* shown = core_->Engine().left.get();
  ASSERT_NE(shown, nullptr);
  EXPECT_NEAR(shown->BinFrequency(shown->PeakBin()), hz, 0.01);
  // A marker at the tone's frequency points at the same bin.
  EXPECT_EQ(TOrvanePlot::MarkerIndex(*shown, 1000.0f), 93u);
  EXPECT_EQ(TOrvanePlot::MarkerLabel(kLabelFrequencyAmplitude, plot->CursorHz(),
                                     plot->CursorValue(), true, ""),
            "1001.29 Hz/-6.02 dB");

  // The position display shows the end of the file.
  frame_->RefreshStatus();
  EXPECT_EQ(Fields()[0], "Stopped");
}

TEST_F(GuiAnalysisTest, StatusBarTextsFollowTheRunState) {
  const std::string path = Path("status.wav");
  WriteToneWave(path, 44100, 1, 44100, {{1000.0, 0.25}});
  MakeFrame();
  const std::string window = TSmoothing::TypeName(core_->Engine().settings.smoothingWindow);
  EXPECT_EQ(Fields(), (QStringList{"Stopped", "Real Time", "44100 Hz", "16 Bit", "Mono",
                                   "FFT 4096 pts", QString::fromStdString(window)}));
  frame_->StartUp(path);
  EXPECT_EQ(Fields()[1], "Post Process");

  // Running: the level meter takes the state field, with no text.
  core_->RunLoop().SetAutoStep(false);
  ASSERT_TRUE(core_->Start());
  EXPECT_EQ(frame_->StatusBarWidget()->Info().field, TStatusInfo::StateField::LevelMeter);
  EXPECT_EQ(Fields()[0], "");
  ASSERT_TRUE(core_->RunLoop().Step());
  frame_->RefreshStatus();
  // A quarter of full scale: the meter shows some segments, all green or yellow.
  EXPECT_GT(frame_->StatusBarWidget()->Info().peakLevelLeft, 1);
  core_->Stop();
  core_->RunLoop().SetAutoStep(true);
  EXPECT_EQ(Fields()[0], "Stopped");

  // Waiting for a trigger that this quiet file never reaches: red text.
  ASSERT_TRUE(core_->ChangeSettings(
      [](TAnalyzerSettings& s) {
        s.trigger.enable = 1;
        s.trigger.thresholdPct = 90;
      },
      SettingsOrigin::Dialog));
  ASSERT_TRUE(core_->Rewind());
  core_->RunLoop().SetAutoStep(false);
  ASSERT_TRUE(core_->Start());
  core_->RunLoop().Step();
  EXPECT_EQ(Fields()[0], "Waiting for Trigger...");
  EXPECT_EQ(frame_->StatusBarWidget()->StateTextColor(), QColor(Qt::red));
  core_->Stop();
  core_->RunLoop().SetAutoStep(true);
}

TEST_F(GuiAnalysisTest, OverloadShowsWhiteOnRed) {
  const std::string path = Path("clipped.wav");
  WriteToneWave(path, 44100, 1, 44100, {{1000.0, 1.5}});  // clipped at full scale
  OpenInFrame(path);
  core_->RunLoop().SetAutoStep(false);
  ASSERT_TRUE(core_->Start());
  ASSERT_TRUE(core_->RunLoop().Step());
  EXPECT_EQ(Fields()[0], "OVERLOAD!");
  TStatusBar* bar = frame_->StatusBarWidget();
  EXPECT_EQ(bar->StateTextColor(), QColor(Qt::white));
  EXPECT_EQ(bar->StateBackground(), QColor(Qt::red));
  // Drawn: the state field is red.
  const QImage image = bar->grab().toImage();
  EXPECT_EQ(QColor(image.pixel(3, TStatusBar::kHeight / 2)), QColor(Qt::red));
  core_->Stop();
  core_->RunLoop().SetAutoStep(true);
}

TEST_F(GuiAnalysisTest, RealTimeShowsAcquiringUntilTheFirstBlock) {
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
  TLoopbackDevice::Instance().SetSource(
      [](uint64_t first, uint32_t frames, uint32_t rate, double* l, double* r) {
        for (uint32_t i = 0; i < frames; ++i) {
          l[i] = r[i] = 0.3 * std::sin(2 * M_PI * 1000.0 * double(first + i) / rate);
        }
      });
  ASSERT_TRUE(frame_->RunCommand(kCmdRun));
  EXPECT_EQ(Fields()[0], "Acquiring Data...");
  // The first block brings the meter.
  EXPECT_TRUE(WaitFor([&] { return core_->BlockCount() > 0; }));
  EXPECT_EQ(Fields()[0], "");
  ASSERT_TRUE(frame_->RunCommand(kCmdStop));
  EXPECT_EQ(Fields()[0], "Stopped");
}

TEST_F(GuiAnalysisTest, LevelMeterSegmentsAndOverruns) {
  TStatusBar bar;
  // Segments 2 up to the level: green up to 6, yellow from 7.
  EXPECT_TRUE(TStatusBar::SegmentColors(1).empty());
  const std::vector<QColor> eight = TStatusBar::SegmentColors(8);
  ASSERT_EQ(eight.size(), 7u);
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(eight[i], TStatusBar::Green()) << i;
  EXPECT_EQ(eight[5], TStatusBar::Yellow());
  EXPECT_EQ(eight[6], TStatusBar::Yellow());
  EXPECT_EQ(TStatusBar::SegmentColors(10).size(), 9u);

  // Stereo: two half-height rows, left above right.
  TStatusInfo info;
  info.field = TStatusInfo::StateField::LevelMeter;
  info.channels = 2;
  info.peakLevelLeft = 10;
  info.peakLevelRight = 3;
  info.modeText = "Recorder";
  bar.resize(800, TStatusBar::kHeight);
  bar.SetInfo(info);
  const QImage image = bar.grab().toImage();
  // Segment k (2 ... 10) starts at the field's padding plus (k - 2) x 14 pixels.
  auto segmentX = [](int k) { return 1 + 6 + (k - 2) * 14 + 6; };
  const int upper = TStatusBar::kHeight / 4 + 1;
  const int lower = 3 * TStatusBar::kHeight / 4 - 1;
  EXPECT_EQ(QColor(image.pixel(segmentX(10), upper)), TStatusBar::Yellow());
  EXPECT_EQ(QColor(image.pixel(segmentX(2), lower)), TStatusBar::Green());
  EXPECT_EQ(QColor(image.pixel(segmentX(3), lower)), TStatusBar::Green());
  EXPECT_NE(QColor(image.pixel(segmentX(4), lower)), TStatusBar::Green());

  // Lost input shows at the end, only while there is some.
  EXPECT_FALSE(bar.FieldTexts().last().startsWith("Overruns"));
  info.overrunCount = 5;
  bar.SetInfo(info);
  EXPECT_EQ(bar.FieldTexts().last(), "Overruns: 5");
}

TEST_F(GuiAnalysisTest, ConfigurationSavedFromTheWindowLoadsBack) {
  MakeFrame();
  frame_->StartUp({});
  ASSERT_TRUE(core_->IsWindowOpen(kWindowSpectrum));
  ASSERT_TRUE(core_->ChangeSettings(
      [](TAnalyzerSettings& s) {
        s.processing.fftSize = 2048;
        s.processing.smoothingWindow = 2;
        s.spectrumPlot.plotRange = 80.0f;
      },
      SettingsOrigin::Dialog));
  frame_->Windows().SubWindow(kWindowSpectrum)->setGeometry(30, 40, 450, 300);
  const std::string path = Path("setup.cfg");
  chooser_.Answer(path);
  ASSERT_TRUE(frame_->RunCommand(kCmdSaveConfiguration));
  const TFileRequest& save = chooser_.Requests().back();
  EXPECT_EQ(save.title, "Save Configuration File");
  EXPECT_EQ(save.filter, "Config Files (*.cfg)|*.cfg|");
  EXPECT_EQ(save.kind, TFileRequest::Kind::Save);
  TProfile saved;
  ASSERT_EQ(saved.Load(path, false), ProfileLoad::kLoaded);
  EXPECT_TRUE(saved.HasKey("Placement", "Spectrum"));
  EXPECT_TRUE(saved.HasKey("Placement", "Main"));

  // Change everything, close the view, then load.
  ASSERT_TRUE(core_->ChangeSettings(
      [](TAnalyzerSettings& s) {
        s.processing.fftSize = 8192;
        s.processing.smoothingWindow = 4;
        s.spectrumPlot.plotRange = 120.0f;
      },
      SettingsOrigin::Dialog));
  ASSERT_TRUE(frame_->RunCommand(kCmdViewSpectrum));
  ASSERT_FALSE(core_->IsWindowOpen(kWindowSpectrum));
  chooser_.Answer(path);
  ASSERT_TRUE(frame_->RunCommand(kCmdLoadConfiguration));
  EXPECT_EQ(chooser_.Requests().back().title, "Load Configuration File");
  EXPECT_EQ(chooser_.Requests().back().kind, TFileRequest::Kind::Open);
  EXPECT_EQ(core_->Settings().processing.fftSize, 2048);
  EXPECT_EQ(core_->Settings().processing.smoothingWindow, 2);
  ASSERT_TRUE(core_->IsWindowOpen(kWindowSpectrum));
  EXPECT_EQ(frame_->Windows().SubWindow(kWindowSpectrum)->geometry(), QRect(30, 40, 450, 300));
  EXPECT_FLOAT_EQ(Plot()->Options().plotRange, 80.0f);
  EXPECT_EQ(frame_->StatusBarWidget()->FieldTexts()[5], "FFT 2048 pts");
}

TEST_F(GuiAnalysisTest, ALoadedConfigurationArrangesAndClosesWindows) {
  MakeFrame();
  frame_->StartUp({});
  ASSERT_TRUE(core_->IsWindowOpen(kWindowSpectrum));
  frame_->Windows().SubWindow(kWindowSpectrum)->setGeometry(5, 5, 200, 150);
  // "Special" 1 tiles the windows horizontally.
  const std::string tiled = Path("tiled.cfg");
  {
    TProfile config;
    config.WriteString("ViewStatus", "OrvanePlot", "1");
    config.WriteString("Placement", "Special", "1");
    ASSERT_TRUE(config.Save(tiled));
  }
  ASSERT_TRUE(core_->LoadConfiguration(tiled));
  ASSERT_TRUE(core_->IsWindowOpen(kWindowSpectrum));
  EXPECT_EQ(frame_->Windows().SubWindow(kWindowSpectrum)->geometry(),
            QRect(QPoint(0, 0), frame_->MdiArea()->viewport()->size()));
  // A configuration without the spectrum view closes it.
  const std::string none = Path("none.cfg");
  {
    TProfile config;
    config.WriteString("ViewStatus", "OrvanePlot", "0");
    ASSERT_TRUE(config.Save(none));
  }
  ASSERT_TRUE(core_->LoadConfiguration(none));
  EXPECT_FALSE(core_->IsWindowOpen(kWindowSpectrum));
}

TEST_F(GuiAnalysisTest, OptionsTheViewChangesReachTheSavedConfiguration) {
  const std::string path = Path("auto.wav");
  WriteToneWave(path, 44100, 1, 44100, {{BinHz(93), 0.5}});
  WriteProgramSettings("[SpectrumOpts]\nPlotTop=50\n");
  OpenInFrame(path);
  ASSERT_TRUE(frame_->RunCommand(kCmdRun));
  ASSERT_TRUE(core_->WaitUntilStopped(30000));
  const float before = core_->Settings().spectrumPlot.plotTop;
  Plot()->Autoscale();
  const float scaled = Plot()->Options().plotTop;
  ASSERT_NE(scaled, before);
  // The spectrum on show stays: the core learns the options only when saving.
  EXPECT_EQ(core_->Settings().spectrumPlot.plotTop, before);
  EXPECT_GT(core_->Engine().left->AverageCount(), 0u);
  const std::string cfg = Path("auto.cfg");
  chooser_.Answer(cfg);
  ASSERT_TRUE(frame_->RunCommand(kCmdSaveConfiguration));
  EXPECT_EQ(core_->Settings().spectrumPlot.plotTop, scaled);
  TProfile saved;
  ASSERT_EQ(saved.Load(cfg, false), ProfileLoad::kLoaded);
  EXPECT_FLOAT_EQ(saved.GetFloat("SpectrumOpts", "PlotTop", -1.0f), scaled);
}

TEST_F(GuiAnalysisTest, ViewConfigurationListsTheReportAndResumesTheRun) {
  const std::string path = Path("report.wav");
  WriteToneWave(path, 44100, 1, 10 * 44100, {{1000.0, 0.5}});
  OpenInFrame(path);
  const std::vector<std::string> report = core_->ConfigurationReport();
  ASSERT_FALSE(report.empty());
  std::vector<std::string> listed;
  bool printShown = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<TConfigViewDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(dialog->windowTitle(), "Configuration Details");
    EXPECT_EQ(dialog->PrintButton()->text(), "&Print");
    EXPECT_EQ(dialog->DoneButton()->text(), "&Done");
    for (int i = 0; i < dialog->List()->count(); ++i) {
      listed.push_back(dialog->List()->item(i)->text().toStdString());
    }
    // Fields sit on the tab stops: a label after a leading tab at the first stop.
    const std::vector<int> stops = dialog->List()->TabStopPixels();
    ASSERT_EQ(stops.size(), 2u);
    EXPECT_EQ(dialog->List()->FieldOffsets("\tFFT size:\t4096 pts"),
              (std::vector<int>{0, stops[0], stops[1]}));
    printShown = dialog->PrintButton()->isVisible();
    dialog->DoneButton()->click();
  });
  // The analysis stops for the dialog and runs on afterwards.
  ASSERT_TRUE(frame_->RunCommand(kCmdRun));
  ASSERT_TRUE(frame_->RunCommand(kCmdViewConfiguration));
  EXPECT_EQ(listed, report);
  EXPECT_TRUE(printShown);
  EXPECT_TRUE(core_->IsRunning());
  core_->WaitUntilStopped(30000);
}

TEST_F(GuiAnalysisTest, PacedDemonstrationStartsOverAtTheEndUntilStopped) {
  const std::string path = Path("loop.wav");
  WriteToneWave(path, 44100, 1, 22050, {{1000.0, 0.5}});  // five blocks of 4096 frames
  OpenInFrame(path);
  auto* pacer = new TPostProcessPacer(*core_, frame_.get());
  pacer->SetEnabled(true, true);
  // One block per hop: 4096 frames at 44100 Hz.
  EXPECT_EQ(pacer->StepMsec(), 92);
  ASSERT_TRUE(frame_->RunCommand(kCmdRun));
  // The run loop no longer races through the file on its own.
  QApplication::processEvents();
  EXPECT_LT(core_->BlockCount(), 5u);
  ASSERT_TRUE(WaitFor([&] { return pacer->Loops() >= 1; }, 30000));
  EXPECT_TRUE(WaitFor([&] { return core_->IsRunning(); }, 5000));
  // The user stops it: it stays stopped.
  ASSERT_TRUE(frame_->RunCommand(kCmdStop));
  const int loops = pacer->Loops();
  WaitFor([] { return false; }, 2 * TPostProcessPacer::kLoopPauseMsec);
  EXPECT_FALSE(core_->IsRunning());
  EXPECT_EQ(pacer->Loops(), loops);
}

}  // namespace
}  // namespace orvanix::test
