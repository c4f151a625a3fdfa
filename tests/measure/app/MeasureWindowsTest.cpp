// The measurement windows in the frame: their commands and checks, the noise figure's two
// polarities, Close All Utilities and the system menu's close, ViewStatus and placements
// through a configuration, the readouts against the spectra after each block, the two-line
// modes, the size rules, and the IMD window's span on the spectrum view.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>

#include "app/core/CoreModule.h"
#include "app/gui/PlotViewWindows.h"
#include "app/gui/SpectrumWindow.h"
#include "app/gui/ViewWindows.h"
#include "files/ConfigTexts.h"
#include "files/Configuration.h"
#include "files/Profile.h"
#include "measure/AnalysisView.h"
#include "measure/MeasureModule.h"
#include "measure/MeasureWindows.h"
#include "measure/Measurements.h"
#include "tests/gui/GuiTestHelpers.h"
#include "views/OrvanePlot.h"

namespace orvanix {
namespace {

// Counts the paint events of the widget it filters.
struct TPaintCounter : QObject {
  int* count;
  explicit TPaintCounter(int* c) : count(c) {}
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++*count;
    return false;
  }
};

class MeasureWindowsTest : public test::GuiFixture {
 protected:
  void SetUp() override {
    GuiFixture::SetUp();
    RegisterMeasureModule();
    RegisterMeasureWindows();
  }
  void Make() {
    MakeFrame();
    InstallModules(*core_);
  }
  TAnalysisView* View(WindowKind kind) {
    QMdiSubWindow* window = frame_->Windows().SubWindow(kind);
    return window ? dynamic_cast<TAnalysisView*>(window->widget()) : nullptr;
  }
  // A stereo file: 1 kHz at half full scale with a 2 % second harmonic on the left, 3 kHz
  // at a tenth on the right.
  std::string StereoFile() {
    const std::string path = Path("stereo.wav");
    test::WriteToneWave(path, 48000, 2, 48000,
                        {{1000.0, 0.5, 0}, {2000.0, 0.01, 0}, {3000.0, 0.1, 1}});
    return path;
  }
};

TEST_F(MeasureWindowsTest, CommandsToggleTheWindowsAndTheirChecks) {
  Make();
  const std::pair<int32_t, WindowKind> commands[] = {{kCmdThd, kWindowThd},
                                                     {kCmdThdN, kWindowThdN},
                                                     {kCmdImd, kWindowImd},
                                                     {kCmdSnr, kWindowSnr},
                                                     {kCmdSinad, kWindowSinad},
                                                     {kCmdSfdr, kWindowSfdr},
                                                     {kCmdPeakFrequency, kWindowPeakFrequency},
                                                     {kCmdPeakAmplitude, kWindowPeakAmplitude},
                                                     {kCmdTotalPower, kWindowTotalPower}};
  for (const auto& [command, kind] : commands) {
    ASSERT_TRUE(frame_->CommandEnabled(command)) << command;
    ASSERT_TRUE(frame_->RunCommand(command)) << command;
    ASSERT_NE(View(kind), nullptr) << command;
    EXPECT_EQ(View(kind)->Kind(), kind - kWindowThd);
    EXPECT_EQ(frame_->Windows().SubWindow(kind)->windowTitle().toStdString(),
              AnalysisInfo(View(kind)->Kind()).title);
    EXPECT_TRUE(core_->IsChecked(command));
    EXPECT_TRUE(core_->ViewStatusFlags()[kind]);
  }
  // Toggling closes; Close All Utilities closes the rest, clearing flags and checks.
  ASSERT_TRUE(frame_->RunCommand(kCmdThd));
  EXPECT_EQ(View(kWindowThd), nullptr);
  EXPECT_FALSE(core_->IsChecked(kCmdThd));
  ASSERT_TRUE(frame_->RunCommand(kCmdCloseAllUtilities));
  for (const auto& [command, kind] : commands) {
    EXPECT_EQ(View(kind), nullptr);
    EXPECT_FALSE(core_->IsChecked(command));
    EXPECT_FALSE(core_->ViewStatusFlags()[kind]);
  }
  // The system menu's Close runs the same toggle.
  ASSERT_TRUE(frame_->RunCommand(kCmdSnr));
  frame_->Windows().SubWindow(kWindowSnr)->close();
  QApplication::processEvents();
  EXPECT_FALSE(core_->IsWindowOpen(kWindowSnr));
  EXPECT_FALSE(core_->IsChecked(kCmdSnr));
}

TEST_F(MeasureWindowsTest, NoiseFigureCommandsSwitchPolarityOrClose) {
  Make();
  ASSERT_TRUE(frame_->RunCommand(kCmdNoiseFigureLR));
  EXPECT_NE(View(kWindowNoiseFigure), nullptr);
  EXPECT_TRUE(core_->IsChecked(kCmdNoiseFigureLR));
  EXPECT_FALSE(core_->IsChecked(kCmdNoiseFigureRL));
  EXPECT_EQ(core_->Settings().viewStatus.noiseFigurePolarity, 6);

  // The other polarity: the window closes and opens again with it.
  ASSERT_TRUE(frame_->RunCommand(kCmdNoiseFigureRL));
  EXPECT_NE(View(kWindowNoiseFigure), nullptr);
  EXPECT_FALSE(core_->IsChecked(kCmdNoiseFigureLR));
  EXPECT_TRUE(core_->IsChecked(kCmdNoiseFigureRL));
  EXPECT_EQ(core_->Settings().viewStatus.noiseFigurePolarity, 7);

  // The same polarity again: closed, both unchecked.
  ASSERT_TRUE(frame_->RunCommand(kCmdNoiseFigureRL));
  EXPECT_EQ(View(kWindowNoiseFigure), nullptr);
  EXPECT_FALSE(core_->IsChecked(kCmdNoiseFigureLR));
  EXPECT_FALSE(core_->IsChecked(kCmdNoiseFigureRL));

  // The readout's sign follows the polarity.
  ASSERT_TRUE(core_->OpenWave(StereoFile()));
  ASSERT_TRUE(frame_->RunCommand(kCmdNoiseFigureLR));
  ASSERT_TRUE(core_->Start());
  ASSERT_TRUE(core_->WaitUntilStopped(20000));
  const float lr = ComputeNoiseFigure(core_->Engine().left.get(), core_->Engine().right.get(), 6);
  EXPECT_EQ(View(kWindowNoiseFigure)->Lines().line[0], Format("%3.3f dB", double{lr}));
  ASSERT_TRUE(frame_->RunCommand(kCmdNoiseFigureRL));
  EXPECT_EQ(View(kWindowNoiseFigure)->Lines().line[0], Format("%3.3f dB", double{-lr}));
  EXPECT_NE(lr, 0.f);
}

TEST_F(MeasureWindowsTest, ReadoutsFollowEveryBlockOnBothChannels) {
  Make();
  ASSERT_TRUE(frame_->RunCommand(kCmdThd));
  ASSERT_TRUE(frame_->RunCommand(kCmdPeakFrequency));
  ASSERT_TRUE(frame_->RunCommand(kCmdNoiseFigureLR));
  ASSERT_TRUE(core_->OpenWave(StereoFile()));
  ASSERT_EQ(core_->Settings().processing.channelProcessing, kBothChannels);
  TAnalysisView* thd = View(kWindowThd);
  // Every block makes the window paint again.
  int paints = 0;
  TPaintCounter counter(&paints);
  thd->installEventFilter(&counter);
  // Windows opened without placements share one place: bring the one watched to the top.
  frame_->Windows().SubWindow(kWindowThd)->raise();
  for (int block = 0; block < 3; ++block) {
    ASSERT_TRUE(core_->SingleStep());
    // Let the repaints of the run's start and stop pass: then the notice of a block alone
    // must repaint the window.
    int seen = -1;
    while (seen != paints) {
      seen = paints;
      test::WaitFor([] { return false; }, 100);
    }
    paints = 0;
    thd->BlockProcessed(core_->AnalysisTime());
    ASSERT_TRUE(test::WaitFor([&] { return paints > 0; }, 5000)) << "block " << block;
    const TEngineObjects& engine = core_->Engine();
    const TReadoutLines lines = thd->Lines();
    ASSERT_EQ(lines.count, 2);
    EXPECT_EQ(lines.line[0], Format("%3.5f %%", double{ComputeThd(engine.left.get())}));
    EXPECT_EQ(lines.line[1], Format("%3.5f %%", double{ComputeThd(engine.right.get())}));
  }
  EXPECT_NEAR(ComputeThd(core_->Engine().left.get()), 2.0, 0.05);
  EXPECT_EQ(View(kWindowPeakFrequency)->Lines().line[1],
            Format("%3.2f Hz", double{PeakFrequency(core_->Engine().right.get())}));
  EXPECT_EQ(View(kWindowNoiseFigure)->Lines().count, 1);
  // Two lines need twice the height: the window is never lower than 96 pixels.
  QMdiSubWindow* window = frame_->Windows().SubWindow(kWindowThd);
  window->resize(50, 50);
  QApplication::processEvents();
  EXPECT_GE(window->width(), 120);
  EXPECT_GE(window->height(), 96);
  // Clear All Views empties the spectra: the readouts read 0 again.
  ASSERT_TRUE(frame_->RunCommand(kCmdClearAllViews));
  EXPECT_EQ(thd->Lines().line[0], "0.00000 %");
}

TEST_F(MeasureWindowsTest, ASegmentsAverageSpectrumRepaintsTheReadouts) {
  Make();
  ASSERT_TRUE(frame_->RunCommand(kCmdThd));
  ASSERT_TRUE(core_->OpenWave(StereoFile()));
  TAnalysisView* thd = View(kWindowThd);
  frame_->Windows().SubWindow(kWindowThd)->raise();
  int paints = 0;
  TPaintCounter counter(&paints);
  thd->installEventFilter(&counter);
  test::WaitFor([] { return false; }, 200);
  EXPECT_EQ(thd->Lines().line[0], "0.00000 %");

  // No run, no block: the segment's average alone must bring the window up to date.
  RegisterPlotViews();
  ASSERT_TRUE(frame_->RunCommand(kCmdViewTimeSeries));
  frame_->Windows().SubWindow(kWindowTimeSeries)->setFocus();
  frame_->Windows().SubWindow(kWindowTimeSeries)->raise();
  QApplication::processEvents();
  ASSERT_EQ(core_->UiContext().activeWindow, kWindowTimeSeries);
  // In sight again, without taking the focus from the time series.
  frame_->Windows().SubWindow(kWindowTimeSeries)->lower();
  QApplication::processEvents();
  ASSERT_EQ(core_->UiContext().activeWindow, kWindowTimeSeries);
  core_->SetSelection(0.25, 0.75);
  paints = 0;
  ASSERT_TRUE(frame_->RunCommand(kCmdSegmentAverageSpectrum));
  ASSERT_TRUE(test::WaitFor([&] { return paints > 0; }, 5000));
  EXPECT_EQ(thd->Lines().line[0],
            Format("%3.5f %%", double{ComputeThd(core_->Engine().left.get())}));
  EXPECT_NEAR(ComputeThd(core_->Engine().left.get()), 2.0, 0.05);
}

TEST_F(MeasureWindowsTest, NewWindowsOpenSmallAtTheirPlaceAndConfigurationsReopenThem) {
  Make();
  ASSERT_TRUE(frame_->RunCommand(kCmdTotalPower));
  QMdiSubWindow* power = frame_->Windows().SubWindow(kWindowTotalPower);
  ASSERT_NE(power, nullptr);
  EXPECT_EQ(power->pos(), QPoint(300, 200));
  EXPECT_EQ(power->size(), QSize(120, 48));
  // No minimise or maximise box.
  EXPECT_FALSE(power->windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(power->windowFlags() & Qt::WindowMaximizeButtonHint);
  power->setGeometry(40, 30, 260, 110);

  // SFDR has no menu item: command 289 or a configuration opens it.
  ASSERT_TRUE(frame_->RunCommand(kCmdSfdr));
  ASSERT_TRUE(frame_->RunCommand(kCmdNoiseFigureRL));
  const std::string config = Path("measure.cfg");
  ASSERT_TRUE(core_->SaveConfiguration(config));
  TProfile saved;
  ASSERT_EQ(saved.Load(config, false), ProfileLoad::kLoaded);
  EXPECT_EQ(saved.GetInt(kSectionViewStatus, "SFDR", 0), 1);
  EXPECT_EQ(saved.GetInt(kSectionViewStatus, "Total Pwr", 0), 1);
  EXPECT_EQ(saved.GetInt(kSectionViewStatus, "NF", 0), 1);
  EXPECT_EQ(saved.GetInt(kSectionViewStatus, "THD", 0), 0);
  EXPECT_EQ(saved.GetInt(kSectionViewStatus, "NoiseFigurePolarity", 0), 7);

  ASSERT_TRUE(frame_->RunCommand(kCmdCloseAllUtilities));
  ASSERT_TRUE(frame_->RunCommand(kCmdNoiseFigureLR));  // polarity 6 for now
  ASSERT_TRUE(frame_->RunCommand(kCmdNoiseFigureLR));  // and closed
  ASSERT_TRUE(core_->LoadConfiguration(config));
  QApplication::processEvents();
  EXPECT_NE(View(kWindowSfdr), nullptr);
  EXPECT_NE(View(kWindowNoiseFigure), nullptr);
  EXPECT_TRUE(core_->IsChecked(kCmdNoiseFigureRL));
  ASSERT_NE(View(kWindowTotalPower), nullptr);
  EXPECT_EQ(frame_->Windows().SubWindow(kWindowTotalPower)->geometry(), QRect(40, 30, 260, 110));
}

TEST_F(MeasureWindowsTest, ArrangingTheWindowsPlacesTheViewsAndLeavesTheReadouts) {
  RegisterPlotViews();
  Make();
  ASSERT_TRUE(frame_->RunCommand(kCmdViewSpectrum));
  ASSERT_TRUE(frame_->RunCommand(kCmdViewTimeSeries));
  ASSERT_TRUE(frame_->RunCommand(kCmdThd));
  QMdiSubWindow* spectrum = frame_->Windows().SubWindow(kWindowSpectrum);
  QMdiSubWindow* series = frame_->Windows().SubWindow(kWindowTimeSeries);
  QMdiSubWindow* thd = frame_->Windows().SubWindow(kWindowThd);
  spectrum->setGeometry(200, 150, 90, 70);
  series->setGeometry(10, 10, 120, 60);
  const QRect readout = thd->geometry();
  const QSize area = frame_->MdiArea()->viewport()->size();

  ASSERT_TRUE(frame_->RunCommand(kCmdCascade));
  // Equal sizes, each a title bar further down and right, all inside the area.
  EXPECT_EQ(spectrum->size(), series->size());
  EXPECT_GE(spectrum->width(), area.width() / 2);
  EXPECT_GE(spectrum->height(), area.height() / 2);
  const QPoint step = series->pos() - spectrum->pos();
  EXPECT_EQ(spectrum->pos(), QPoint(0, 0));
  EXPECT_GT(step.x(), 10);
  EXPECT_EQ(step.x(), step.y());
  EXPECT_TRUE(QRect(QPoint(0, 0), area).contains(series->geometry()));
  EXPECT_EQ(thd->geometry(), readout);
  const QList<QMdiSubWindow*> stack = frame_->MdiArea()->subWindowList(QMdiArea::StackingOrder);
  EXPECT_EQ(stack.back(), thd) << "the readout is buried under the views";

  ASSERT_TRUE(frame_->RunCommand(kCmdTileHorizontal));
  EXPECT_EQ(spectrum->geometry(), QRect(0, 0, area.width(), area.height() / 2));
  EXPECT_EQ(series->geometry(), QRect(0, area.height() / 2, area.width(), area.height() / 2));
  EXPECT_EQ(thd->geometry(), readout);
}

TEST_F(MeasureWindowsTest, OpeningImdCentresTheSpectrumViewOnTheHighTone) {
  Make();
  ASSERT_TRUE(frame_->RunCommand(kCmdViewSpectrum));
  ASSERT_TRUE(frame_->RunCommand(kCmdImd));
  EXPECT_EQ(core_->Settings().spectrumPlot.startFreqHz, 6750.f);
  EXPECT_EQ(core_->Settings().spectrumPlot.stopFreqHz, 7250.f);
  EXPECT_EQ(frame_->Windows().Spectrum()->Plot()->Options().startFreqHz, 6750.f);
  ASSERT_TRUE(frame_->RunCommand(kCmdImd));  // closing changes nothing
  EXPECT_EQ(core_->Settings().spectrumPlot.startFreqHz, 6750.f);

  // With the generator's window open, its IMD settings decide: standard set 1 is 8020 Hz,
  // custom the user's high tone, standard set 2 7000 Hz.
  TAnalyzerObserver generator;
  core_->AttachWindow(kWindowSignalGenerator, &generator);
  auto* module = core_->FindModule<TMeasureModule>(TMeasureModule::kName);
  ASSERT_NE(module, nullptr);
  TProfile& program = core_->ProgramProfile();
  program.WriteInt("IMD", "IMDtype", 0);
  EXPECT_EQ(module->ImdHighToneHz(), 8020.f);
  program.WriteInt("IMD", "IMDtype", 2);
  program.WriteString("IMD", "HiFreqHz", "12000.5");
  EXPECT_EQ(module->ImdHighToneHz(), 12000.5f);
  ASSERT_TRUE(frame_->RunCommand(kCmdImd));
  EXPECT_EQ(core_->Settings().spectrumPlot.startFreqHz, 11750.5f);
  program.WriteInt("IMD", "IMDtype", 1);
  EXPECT_EQ(module->ImdHighToneHz(), 7000.f);
  core_->AttachWindow(kWindowSignalGenerator, nullptr);
  program.WriteInt("IMD", "IMDtype", 0);
  EXPECT_EQ(module->ImdHighToneHz(), 7000.f);
}

TEST_F(MeasureWindowsTest, PeakReadoutsAgreeWithTheSpectrumViewsCursor) {
  Make();
  ASSERT_TRUE(frame_->RunCommand(kCmdViewSpectrum));
  ASSERT_TRUE(frame_->RunCommand(kCmdPeakFrequency));
  ASSERT_TRUE(frame_->RunCommand(kCmdPeakAmplitude));
  // A quarter of full scale a third of a bin off bin 300 (48 kHz, FFT 4096), Flat top.
  const std::string wave = Path("peak.wav");
  test::WriteToneWave(wave, 48000, 1, 96000, {{test::BinHz(300, 48000) + 3.9, 0.25}});
  ASSERT_TRUE(core_->OpenWave(wave));
  core_->ChangeSettings(
      [](TAnalyzerSettings& s) {
        s.processing.smoothingWindow = 2;
        s.processing.averageBlocks = kInfiniteAverages;
      },
      SettingsOrigin::Dialog);
  ASSERT_TRUE(core_->Start());
  ASSERT_TRUE(core_->WaitUntilStopped(20000));
  const TSpectralData* left = core_->Engine().left.get();
  const float hz = PeakFrequency(left);
  EXPECT_FLOAT_EQ(hz, test::BinHz(300, 48000));
  EXPECT_NEAR(PeakAmplitude(left), 20.0 * std::log10(0.25), 0.02);
  // The view's cursor, pulled onto the trace near the peak, reads the same bin and value.
  TOrvanePlot* plot = frame_->Windows().Spectrum()->Plot();
  plot->SetMeasurementCursor(hz + 3.0, 0.0);
  EXPECT_DOUBLE_EQ(plot->CursorHz(), double{hz});
  EXPECT_DOUBLE_EQ(plot->CursorValue(), double{PeakAmplitude(left)});
  EXPECT_EQ(View(kWindowPeakFrequency)->Lines().line[0], Format("%3.2f Hz", plot->CursorHz()));
  EXPECT_EQ(View(kWindowPeakAmplitude)->Lines().line[0], Format("%3.2f dB", plot->CursorValue()));
}

TEST_F(MeasureWindowsTest, TextFillsTheWindowWithinItsLimits) {
  // One line: the cell is the client height less 2; two lines: half of it less 2; never
  // below 15 pixels; the average width spreads the text plus two characters.
  auto box = TAnalysisView::TextBox(QSize(200, 50), 1, 8);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->height, 48);
  EXPECT_EQ(box->averageWidth, 20);
  box = TAnalysisView::TextBox(QSize(200, 50), 2, 8);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->height, 23);
  box = TAnalysisView::TextBox(QSize(30, 20), 2, 40);
  ASSERT_TRUE(box);
  EXPECT_EQ(box->height, 15);
  EXPECT_EQ(box->averageWidth, 1);
  // Larger than 500 pixels: nothing is drawn.
  EXPECT_FALSE(TAnalysisView::TextBox(QSize(400, 503), 1, 8));
  EXPECT_TRUE(TAnalysisView::TextBox(QSize(400, 502), 1, 8));
  EXPECT_FALSE(TAnalysisView::TextBox(QSize(5100, 100), 1, 8));
}

}  // namespace
}  // namespace orvanix
