// The segment commands on the analyzer core: the checks before they act, the average
// spectrum and Leq of a selection with the settings' averaging restored, RMS and crest
// factor messages, the Q factor of the spectrum view's range, and the Leq options dialog.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTimer>

#include "app/core/CoreModule.h"
#include "app/gui/PlotViewWindows.h"
#include "app/gui/ViewWindows.h"
#include "engine/ProcessingStep.h"
#include "files/Configuration.h"
#include "measure/MeasureModule.h"
#include "measure/MeasureWindows.h"
#include "measure/SegmentDialogs.h"
#include "measure/SegmentModule.h"
#include "tests/gui/GuiTestHelpers.h"
#include "views/PlotBase.h"

namespace orvanix {
namespace {

class SegmentCommandsTest : public test::GuiFixture {
 protected:
  void SetUp() override {
    GuiFixture::SetUp();
    RegisterMeasureModule();
    RegisterMeasureWindows();
  }
  void Make() {
    MakeFrame();
    InstallModules(*core_);
    module_ = core_->FindModule<TSegmentModule>(TSegmentModule::kName);
    ASSERT_NE(module_, nullptr);
  }
  // One second at 48 kHz of 1 kHz at half full scale.
  void OpenRecording() {
    const std::string path = Path("steps.wav");
    test::WriteToneWave(path, 48000, 1, 48000, {{1000.0, 0.5}});
    ASSERT_TRUE(core_->OpenWave(path));
  }
  void ActivateTimeSeries() {
    TUiContext context = core_->UiContext();
    context.activeWindow = kWindowTimeSeries;
    core_->SetUiContext(context);
  }
  TSegmentModule* module_ = nullptr;
};

TEST_F(SegmentCommandsTest, CommandsNeedAnActiveSegmentViewAndASelection) {
  Make();
  EXPECT_FALSE(core_->IsEnabled(kCmdSegmentAverageSpectrum));
  OpenRecording();
  EXPECT_TRUE(core_->IsEnabled(kCmdSegmentAverageSpectrum));
  // No segment view active: nothing happens, nothing is said.
  core_->SetSelection(0.2, 0.6);
  sink_.Clear();
  EXPECT_FALSE(core_->Execute(kCmdSegmentAverageSpectrum));
  EXPECT_FALSE(core_->Execute(kCmdSegmentRmsLevel));
  EXPECT_TRUE(sink_.Entries().empty());
  ActivateTimeSeries();
  core_->ClearSelection();
  EXPECT_FALSE(core_->Execute(kCmdSegmentAverageSpectrum));
  EXPECT_TRUE(sink_.Contains("You must first select a time segment."));
  // RMS and crest factor make no such check: an empty selection reads nothing.
  sink_.Clear();
  EXPECT_TRUE(core_->Execute(kCmdSegmentRmsLevel));
  ASSERT_EQ(sink_.Entries().size(), 1u);
  EXPECT_EQ(sink_.Entries()[0].text, "RMS Level\r\t0.0000\tPercent Full Scale\r\t-999.90\tdBFS");
}

TEST_F(SegmentCommandsTest, AverageSpectrumAndLeqOfTheSelectionRestoreTheAveraging) {
  Make();
  OpenRecording();
  core_->ChangeSettings(
      [](TAnalyzerSettings& s) {
        s.processing.fftSize = 1024;
        s.processing.averageBlocks = 4;
        s.processing.averageType = kAverageExponential;
        s.processing.smoothingWindow = 2;  // Flat top: a tone reads its level between bins
        s.scaling.ampScale = 1;
      },
      SettingsOrigin::Outside);
  ActivateTimeSeries();
  core_->SetSelection(0.25, 0.75);
  ASSERT_TRUE(core_->Execute(kCmdSegmentAverageSpectrum));
  const TSpectralData& left = *core_->Engine().left;
  // 0.5 s x 48000 x 2 / 1024 = 46 blocks, averaged linearly.
  EXPECT_EQ(left.AverageCount(), 46u);
  EXPECT_EQ(left.AveragingBlocks(), 4u);
  EXPECT_EQ(left.AveragingType(), uint32_t{kAverageExponential});
  EXPECT_NEAR(left.Value(left.PeakBin()), -6.02, 0.1);

  // Leq of a -3.01 dB RMS tone (a -6.02 dB peak reads -6.02 dB in power) over 0.5 s,
  // referred to 1 s: -6.02 + 10 log10(0.5) = -9.03 dB.
  sink_.Clear();
  ASSERT_TRUE(module_->Leq(1.0, 0));
  ASSERT_TRUE(module_->LastLeq().has_value());
  EXPECT_NEAR(module_->LastLeq()->leq[0], -6.02 - 3.01, 0.02);
  ASSERT_EQ(sink_.Entries().size(), 1u);
  EXPECT_EQ(sink_.Entries()[0].caption, "Equivalent Noise Level (Leq)");
  EXPECT_EQ(sink_.Entries()[0].text.rfind("Leq = -9.0", 0), 0u) << sink_.Entries()[0].text;
  sink_.Clear();
  EXPECT_FALSE(module_->Leq(0.0, 0));
  EXPECT_TRUE(sink_.Contains("Leq Reference Time must be greater than zero"));
}

TEST_F(SegmentCommandsTest, LeqOptionsDialogRefusesAReferenceTimeOfZero) {
  TLeqSettings settings;
  settings.referenceTimePeriodSecs = 0;  // read from a file: 3600
  settings.weightingType = 2;
  TLeqOptionsDialog dialog(nullptr, settings);
  EXPECT_EQ(dialog.ReferenceTime()->text().toStdString(), "3600");
  EXPECT_EQ(dialog.Weighting()->currentText().toStdString(), "B");
  for (const char* wrong : {"0", "-5", "1.5", "x"}) {
    sink_.Clear();
    dialog.ReferenceTime()->setText(wrong);
    dialog.OnOk();
    EXPECT_TRUE(sink_.Contains("Leq Reference Time must be greater than zero")) << wrong;
  }
  dialog.ReferenceTime()->setText("60");
  dialog.Weighting()->setCurrentIndex(0);
  dialog.OnOk();
  EXPECT_EQ(dialog.Settings().referenceTimePeriodSecs, 60);
  EXPECT_EQ(dialog.Settings().weightingType, 0);
}

TEST_F(SegmentCommandsTest, QualityFactorReadsTheSpectrumViewsRange) {
  Make();
  OpenRecording();
  core_->ChangeSettings(
      [](TAnalyzerSettings& s) {
        s.processing.fftSize = 8192;
        s.processing.smoothingWindow = 4;
        s.spectrumPlot.startFreqHz = 900.f;
        s.spectrumPlot.stopFreqHz = 1100.f;
      },
      SettingsOrigin::Outside);
  ASSERT_TRUE(frame_->RunCommand(kCmdViewSpectrum));
  ASSERT_TRUE(core_->Start());
  ASSERT_TRUE(core_->WaitUntilStopped(20000));
  ASSERT_GT(core_->Engine().left->AverageCount(), 0u);
  sink_.Clear();
  ASSERT_TRUE(core_->Execute(kCmdBandwidthQ));
  ASSERT_EQ(sink_.Entries().size(), 1u);
  EXPECT_EQ(sink_.Entries()[0].caption, "Quality Factor");
  // A Hanning-windowed tone's half-power width is about 1.44 bins of 5.86 Hz.
  const std::string& text = sink_.Entries()[0].text;
  EXPECT_EQ(text.rfind("Peak Frequency = 1001.953 Hz\rBandwidth = ", 0), 0u) << text;
}

// The time series view's pop-up reaches the RMS level and crest factor of the selection, as
// the user picks them: the menu is opened on the plot and the item chosen by its label.
TEST_F(SegmentCommandsTest, TheTimeSeriesPopupComputesRmsLevelAndCrestFactor) {
  RegisterPlotViews();
  Make();
  OpenRecording();
  ASSERT_TRUE(frame_->RunCommand(TViewWindows::CommandOf(kWindowTimeSeries)));
  QMdiSubWindow* child = frame_->Windows().SubWindow(kWindowTimeSeries);
  ASSERT_NE(child, nullptr);
  auto* plot = child->widget()->findChild<TPlotBase*>();
  if (!plot) plot = dynamic_cast<TPlotBase*>(child->widget());
  ASSERT_NE(plot, nullptr);
  core_->SetSelection(0.2, 0.6);
  for (const char* label : {"Compute RMS Level", "Compute Crest Factor"}) {
    sink_.Clear();
    bool found = false;
    QTimer::singleShot(0, [&] {
      auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
      if (!menu) return;
      if (QAction* item = test::FindItem(*menu, label); item && item->isEnabled()) {
        found = true;
        item->trigger();
      }
      menu->close();
    });
    const QPoint at = plot->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, plot->mapToGlobal(at));
    QApplication::sendEvent(plot, &event);
    QApplication::processEvents();
    EXPECT_TRUE(found) << label;
    ASSERT_EQ(sink_.Entries().size(), 1u) << label;
    // 0.5 of full scale: RMS 0.3536 (-9.03 dBFS), crest factor sqrt 2 (3.01 dB).
    const std::string& text = sink_.Entries()[0].text;
    if (std::string(label) == "Compute RMS Level") {
      EXPECT_NE(text.find("RMS Level\r\t0.353"), std::string::npos) << text;
    } else {
      EXPECT_NE(text.find("Crest Factor =   1.41"), std::string::npos) << text;
    }
  }
}

}  // namespace
}  // namespace orvanix
