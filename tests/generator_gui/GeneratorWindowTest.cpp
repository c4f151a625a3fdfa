// The Signal Generator window in the frame: opening and closing it (command 142) with its
// keys, the type lists in mono and stereo, choosing a type through its details dialog and
// cancelling, the compact playing layout, Save Signal (184) through the file dialog, and its
// open state and placement across a restart.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>

#include "acquisition/SoundOutput.h"
#include "acquisition/SoundTexts.h"
#include "app/core/CoreModule.h"
#include "app/gui/ViewWindows.h"
#include "files/ConfigTexts.h"
#include "files/Configuration.h"
#include "files/Profile.h"
#include "files/WaveData.h"
#include "files/WaveFile.h"
#include "generator/DetailsDialog.h"
#include "generator/GeneratorModule.h"
#include "generator/GeneratorTexts.h"
#include "generator/SignalGenerator.h"
#include "generator/SignalGeneratorWindow.h"
#include "generator/SignalTypes.h"
#include "tests/gui/GuiTestHelpers.h"

namespace orvanix {
namespace {

// Once a modal dialog is up, hands it to `drive` (which must close it).
void WhenModal(std::function<void(QDialog*)> drive) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, drive] {
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      timer->stop();
      timer->deleteLater();
      drive(dialog);
    }
  });
  timer->start(10);
}

class GeneratorWindowTest : public test::GuiFixture {
 protected:
  void SetUp() override {
    GuiFixture::SetUp();
    RegisterGeneratorWindows();
    SetGeneratorFileChooser(&chooser_);
  }
  void TearDown() override {
    SetGeneratorFileChooser(nullptr);
    GuiFixture::TearDown();
  }

  void Frame(const std::string& settings = {}) {
    WriteProgramSettings(settings);
    MakeFrame();
    core_->AddModule(std::make_unique<TGeneratorModule>(*core_));
    module_ = core_->FindModule<TGeneratorModule>(TGeneratorModule::kName);
  }

  TSignalGeneratorWindow* Window() {
    QMdiSubWindow* sub = frame_->Windows().SubWindow(kWindowSignalGenerator);
    return sub ? dynamic_cast<TSignalGeneratorWindow*>(sub->widget()) : nullptr;
  }

  TGeneratorModule* module_ = nullptr;
};

TEST_F(GeneratorWindowTest, OpensAndClosesWithItsCommandAndKeys) {
  Frame("[Main]\nSigType=9\n");
  EXPECT_FALSE(frame_->CommandEnabled(kCmdSaveSignal));
  ASSERT_TRUE(frame_->RunCommand(kCmdSignalGenerator));
  TSignalGeneratorWindow* window = Window();
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(core_->IsChecked(kCmdSignalGenerator));
  EXPECT_TRUE(frame_->CommandEnabled(kCmdSaveSignal));
  EXPECT_TRUE(module_->IsOpen());
  // The stored type, in the left list of sixteen; mono: the right list holds only "N/A".
  EXPECT_EQ(window->TypeList(0)->count(), kSignalTypeCount);
  EXPECT_EQ(window->TypeList(0)->currentText().toStdString(), "Sawtooth");
  ASSERT_EQ(window->TypeList(1)->count(), 1);
  EXPECT_EQ(window->TypeList(1)->currentText().toStdString(), gentext::kNotApplicable);
  EXPECT_TRUE(window->DetailsButton(0)->isEnabled());
  EXPECT_FALSE(window->DetailsButton(1)->isEnabled());
  EXPECT_EQ(frame_->Windows().SubWindow(kWindowSignalGenerator)->windowTitle().toStdString(),
            gentext::kWindowTitle);

  window->TypeList(1)->showPopup();  // a click on the right list in mono explains itself
  EXPECT_TRUE(sink_.Contains(gentext::kMonoOnly));

  ASSERT_TRUE(frame_->RunCommand(kCmdSignalGenerator));  // closes it
  ASSERT_TRUE(test::WaitFor([&] { return !module_->IsOpen(); }));
  EXPECT_FALSE(frame_->CommandEnabled(kCmdSaveSignal));
  EXPECT_EQ(core_->ProgramProfile().GetInt(kSectionGeneratorMain, "SigType", -1), kSignalSawtooth);
}

TEST_F(GeneratorWindowTest, ChoosingATypeRunsItsDialogAndCancelKeepsThePrevious) {
  Frame("[Settings]\nNumChannels=2\n[Main]\nSigTypeR=15\n");  // right: Digital Zero
  ASSERT_TRUE(frame_->RunCommand(kCmdSignalGenerator));
  TSignalGeneratorWindow* window = Window();
  ASSERT_NE(window, nullptr);
  ASSERT_EQ(window->TypeList(1)->count(), kSignalTypeCount);  // stereo
  EXPECT_TRUE(window->DetailsButton(1)->isEnabled() == HasDetails(module_->Settings().right.type));

  WhenModal([](QDialog* dialog) { dialog->reject(); });
  window->ChooseType(0, kSignalPulse);
  EXPECT_EQ(module_->Settings().left.type, kSignalPinkNoise);
  EXPECT_EQ(window->TypeList(0)->currentIndex(), kSignalPinkNoise);

  WhenModal([](QDialog* dialog) {
    EXPECT_EQ(dialog->windowTitle().toStdString(), gentext::kPulseTitle);
    dialog->findChild<QLineEdit*>("RepIntervalNSec")->setText("20000");
    static_cast<TDialogBase*>(dialog)->OnOk();
  });
  window->ChooseType(0, kSignalPulse);
  EXPECT_EQ(module_->Settings().left.type, kSignalPulse);
  EXPECT_EQ(module_->Settings().left.pulse.repIntervalUsec, 20000);
  // Rebuilt: 20 ms at 44100 is 882 samples, a second of them 882 x 51 (longer than the
  // right channel's second of Digital Zero).
  EXPECT_EQ(module_->Generator()->Buffer()->CapacityFrames(), 882u * 51u);
  EXPECT_TRUE(window->DetailsButton(0)->isEnabled());

  // Types without a dialog are taken at once; their Details button is off.
  window->ChooseType(1, kSignalTone1k);
  EXPECT_EQ(module_->Settings().right.type, kSignalTone1k);
  EXPECT_FALSE(window->DetailsButton(1)->isEnabled());
}

TEST_F(GeneratorWindowTest, PlayingShowsOnlyStopAndTheLevelDialogRebuilds) {
  Frame();
  core_->ChangeSettings(
      [](TAnalyzerSettings& s) {
        s.devices.outputDeviceId =
            TSoundPort::FindDevice(TSoundDirection::Output, kLoopbackDeviceName);
      },
      SettingsOrigin::Dialog);
  ASSERT_TRUE(frame_->RunCommand(kCmdSignalGenerator));
  TSignalGeneratorWindow* window = Window();
  ASSERT_NE(window, nullptr);
  QMdiSubWindow* sub = frame_->Windows().SubWindow(kWindowSignalGenerator);
  const QSize full = sub->size();
  window->RunButton()->click();
  ASSERT_TRUE(module_->Generator()->Playing());
  EXPECT_TRUE(window->Compact());
  EXPECT_TRUE(window->StopButton()->isVisibleTo(window));
  EXPECT_FALSE(window->RunButton()->isVisibleTo(window));
  EXPECT_FALSE(window->TypeList(0)->isVisibleTo(window));
  EXPECT_TRUE(sub->windowTitle().isEmpty());
  EXPECT_LT(sub->size().width(), full.width());

  // The level dialog: a refused level keeps the dialog open; an accepted one rebuilds and
  // playback goes on.
  WhenModal([this](QDialog* dialog) {
    auto* level = dialog->findChild<QLineEdit*>("OutputLevel");
    level->setText("-120");
    static_cast<TDialogBase*>(dialog)->OnOk();
    EXPECT_TRUE(sink_.Contains(gentext::kLevelDbFs));
    EXPECT_TRUE(dialog->isVisible());
    level->setText("-20");
    static_cast<TDialogBase*>(dialog)->OnOk();
  });
  window->ShowLevel();
  EXPECT_EQ(module_->Settings().level.outputLevel, -20.0f);
  EXPECT_TRUE(module_->Generator()->Playing());

  // The volume bar: the top is loudest.
  window->Volume()->setValue(49);
  EXPECT_EQ(module_->Generator()->Volume(), 50);
  EXPECT_EQ(module_->Generator()->Output()->VolumeLeft(), TSoundOutput::kFullVolume * 50 / 99);

  window->StopButton()->click();
  EXPECT_FALSE(module_->Generator()->Playing());
  EXPECT_FALSE(window->Compact());
  EXPECT_TRUE(window->RunButton()->isVisibleTo(window));
  EXPECT_EQ(sub->windowTitle().toStdString(), gentext::kWindowTitle);
}

TEST_F(GeneratorWindowTest, SaveSignalAsksForAWaveFileAndWritesIt) {
  Frame("[Main]\nSigType=12\n");  // Square
  ASSERT_TRUE(frame_->RunCommand(kCmdSignalGenerator));
  const std::string path = Path("square.wav");
  chooser_.Answer(path);
  ASSERT_TRUE(frame_->RunCommand(kCmdSaveSignal));
  ASSERT_EQ(chooser_.Requests().size(), 1u);
  EXPECT_EQ(chooser_.Requests()[0].title, gentext::kSaveTitle);
  EXPECT_EQ(chooser_.Requests()[0].filter, "Wave Files (*.wav)|*.wav|");
  EXPECT_EQ(chooser_.Requests()[0].kind, TFileRequest::Kind::Save);
  TWaveFile saved(path, StorageMode::Ram, false, "");
  ASSERT_FALSE(saved.Error());
  EXPECT_EQ(saved.Length(), 22u * 2005u);  // 2000 Hz at 44100, a second of whole periods
  // Cancelled: nothing written, nothing said.
  EXPECT_FALSE(frame_->RunCommand(kCmdSaveSignal));
}

TEST_F(GeneratorWindowTest, OpenStateAndPlacementSurviveARestart) {
  Frame();
  ASSERT_TRUE(frame_->RunCommand(kCmdSignalGenerator));
  frame_->Windows().SubWindow(kWindowSignalGenerator)->move(40, 30);
  ASSERT_NE(Window(), nullptr);
  module_->Generator()->SetTone(440.0, -3.0, 0);
  CloseFrame();
  TProfile program;
  program.Load(SettingsPath());
  EXPECT_EQ(program.GetInt(kSectionViewStatus, "SignalGenerator", 0), 1);
  EXPECT_TRUE(program.HasKey(kSectionPlacement, "Signal Generator"));
  EXPECT_EQ(program.GetInt(kSectionGeneratorMain, "SigType", -1), kSignalMultipleTones);

  MakeFrame();
  core_->AddModule(std::make_unique<TGeneratorModule>(*core_));
  module_ = core_->FindModule<TGeneratorModule>(TGeneratorModule::kName);
  frame_->StartUp("");
  ASSERT_NE(Window(), nullptr);
  EXPECT_EQ(frame_->Windows().SubWindow(kWindowSignalGenerator)->pos(), QPoint(40, 30));
  EXPECT_EQ(module_->Settings().left.tones.freqHz[0], 440.0f);
}

TEST_F(GeneratorWindowTest, LoadingAConfigurationReopensTheWindowWithItsSettings) {
  Frame();
  ASSERT_TRUE(frame_->RunCommand(kCmdSignalGenerator));
  module_->Generator()->SetTone(2500.0, -12.0, 0);
  const std::string path = Path("tone.cfg");
  ASSERT_TRUE(core_->SaveConfiguration(path));
  module_->Generator()->SetSignalType("White Noise", 0);
  // The frame closes the window and opens a new one before the old one is deleted: the new
  // one reads the configuration, and the old one's end closes nothing.
  ASSERT_TRUE(core_->LoadConfiguration(path));
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  ASSERT_NE(Window(), nullptr);
  ASSERT_TRUE(module_->IsOpen());
  EXPECT_EQ(module_->Settings().left.type, kSignalMultipleTones);
  EXPECT_EQ(module_->Settings().left.tones.freqHz[0], 2500.0f);
  EXPECT_EQ(Window()->TypeList(0)->currentIndex(), kSignalMultipleTones);
  // The closed window's settings went to the program settings file.
  EXPECT_EQ(core_->ProgramProfile().GetInt(kSectionGeneratorMain, "SigType", -1),
            kSignalWhiteNoise);
}

}  // namespace
}  // namespace orvanix
