// The entry functions on a real analyzer core: they stop a running analysis, a valid OK
// changes the core's settings, Cancel and a refused OK change nothing, and the special
// cases of File I/O Options and Set Paths.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <cstring>
#include <fstream>
#include <vector>

#include "DialogHelpers.h"
#include "acquisition/SoundPort.h"
#include "acquisition/SoundTexts.h"
#include "app/core/AnalyzerCore.h"
#include "app/core/CoreTexts.h"
#include "app/dialogs/Dialogs.h"
#include "app/dialogs/FileIoOptionsDialog.h"
#include "app/dialogs/MarkersDialog.h"
#include "app/dialogs/SetPathsDialog.h"
#include "app/dialogs/SettingsDialog.h"
#include "app/dialogs/SpectrumOptsDialog.h"
#include "app/dialogs/TriggerDialog.h"
#include "files/Configuration.h"

namespace orvanix {
namespace {

using test::TRecordedMessages;
using test::TScratchFolder;
using test::WhenDialogShows;

// A 16-bit PCM wave file of silence.
void WriteSilentWave(const std::string& path, uint16_t channels, uint32_t rate, uint32_t frames) {
  const uint32_t dataBytes = frames * channels * 2u;
  std::vector<uint8_t> bytes(44 + dataBytes, 0);
  auto put32 = [&bytes](size_t at, uint32_t v) { std::memcpy(&bytes[at], &v, 4); };
  auto put16 = [&bytes](size_t at, uint16_t v) { std::memcpy(&bytes[at], &v, 2); };
  std::memcpy(&bytes[0], "RIFF", 4);
  put32(4, 36 + dataBytes);
  std::memcpy(&bytes[8], "WAVEfmt ", 8);
  put32(16, 16);
  put16(20, 1);
  put16(22, channels);
  put32(24, rate);
  put32(28, rate * channels * 2u);
  put16(32, static_cast<uint16_t>(channels * 2u));
  put16(34, 16);
  std::memcpy(&bytes[36], "data", 4);
  put32(40, dataBytes);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

class DialogEntryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("XDG_CONFIG_HOME", scratch_.File("config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", scratch_.File("data").c_str(), 1);
    TCoreOptions options;
    options.programSettingsPath = scratch_.File("tessiva.ini");
    options.headless = true;
    options.loadProgramSettings = false;
    options.saveProgramSettings = false;
    core_ = std::make_unique<TAnalyzerCore>(options);
  }
  void TearDown() override {
    core_->Stop();
    core_.reset();
  }

  TScratchFolder scratch_;
  TRecordedMessages messages_;
  std::unique_ptr<TAnalyzerCore> core_;
};

TEST_F(DialogEntryTest, ValidOkAppliesAndCancelChangesNothing) {
  WhenDialogShows([](QDialog* dialog) {
    auto* trigger = dynamic_cast<TTriggerDialog*>(dialog);
    ASSERT_NE(trigger, nullptr);
    trigger->Widgets().enable->setChecked(true);
    trigger->Widgets().threshold->setText("60");
    trigger->OnOk();
  });
  EXPECT_TRUE(RunTriggerDialog(nullptr, *core_));
  EXPECT_EQ(core_->Settings().trigger.enable, 1);
  EXPECT_EQ(core_->Settings().trigger.thresholdPct, 60);

  WhenDialogShows([](QDialog* dialog) {
    auto* trigger = dynamic_cast<TTriggerDialog*>(dialog);
    ASSERT_NE(trigger, nullptr);
    trigger->Widgets().threshold->setText("10");
    trigger->reject();
  });
  EXPECT_FALSE(RunTriggerDialog(nullptr, *core_));
  EXPECT_EQ(core_->Settings().trigger.thresholdPct, 60);
  EXPECT_TRUE(messages_.Entries().empty());
}

TEST_F(DialogEntryTest, RefusedOkKeepsTheDialogOpenAndTheSettings) {
  const ProcessingSettings before = core_->Settings().processing;
  bool stillOpen = false;
  WhenDialogShows([&stillOpen](QDialog* dialog) {
    auto* settings = dynamic_cast<TSettingsDialog*>(dialog);
    ASSERT_NE(settings, nullptr);
    settings->Widgets().decimation->SetText("51");
    settings->Widgets().fftSize->setCurrentIndex(settings->Widgets().fftSize->findText("1024"));
    settings->OnOk();
    stillOpen = settings->isVisible();
    settings->reject();
  });
  EXPECT_FALSE(RunSettingsDialog(nullptr, *core_));
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(messages_.Only().text, "Decimation Ratio must be between 1 and 50");
  EXPECT_EQ(core_->Settings().processing.fftSize, before.fftSize);
  EXPECT_EQ(core_->Settings().processing.decimationRatio, before.decimationRatio);
}

TEST_F(DialogEntryTest, ProcessingSettingsReachTheEngine) {
  WhenDialogShows([](QDialog* dialog) {
    auto* settings = dynamic_cast<TSettingsDialog*>(dialog);
    ASSERT_NE(settings, nullptr);
    settings->Widgets().fftSize->setCurrentIndex(settings->Widgets().fftSize->findText("1024"));
    settings->Widgets().decimation->SetText("2");
    settings->OnOk();
  });
  EXPECT_TRUE(RunSettingsDialog(nullptr, *core_));
  EXPECT_EQ(core_->Settings().processing.fftSize, 1024);
  EXPECT_EQ(core_->Settings().processing.decimationRatio, 2);
  EXPECT_EQ(core_->Status().fftText, "FFT 1024 pts");
}

TEST_F(DialogEntryTest, EntryFunctionStopsARunningAnalysis) {
  const int in = TSoundPort::FindDevice(TSoundDirection::Input, kLoopbackDeviceName);
  const int out = TSoundPort::FindDevice(TSoundDirection::Output, kLoopbackDeviceName);
  ASSERT_GE(in, 0);
  core_->ChangeSettings(
      [&](TAnalyzerSettings& s) {
        s.devices.inputDeviceId = in;
        s.devices.outputDeviceId = out;
      },
      SettingsOrigin::Dialog);
  core_->RecreatePorts();
  ASSERT_TRUE(core_->Start());
  ASSERT_TRUE(core_->IsRunning());
  bool runningWhileShown = true;
  WhenDialogShows([this, &runningWhileShown](QDialog* dialog) {
    runningWhileShown = core_->IsRunning();
    dialog->reject();
  });
  EXPECT_FALSE(RunMarkersDialog(nullptr, *core_));
  EXPECT_FALSE(runningWhileShown);
  EXPECT_FALSE(core_->IsRunning());  // and not restarted
}

TEST_F(DialogEntryTest, FileIoOptionsRefusedWhileAFileIsOpen) {
  const std::string wave = scratch_.File("tone.wav");
  WriteSilentWave(wave, 2, 22050, 16384);
  ASSERT_TRUE(core_->SetMode(kModePostProcessing));
  ASSERT_TRUE(core_->OpenWave(wave));
  const TFileIoSettings before = core_->Settings().fileIo;
  EXPECT_FALSE(RunFileIoOptionsDialog(nullptr, *core_));  // no dialog shown
  EXPECT_EQ(messages_.Only().text, kMsgFileIoWhileOpen);
  EXPECT_EQ(core_->Settings().fileIo, before);

  // The file also fixes the format in the processing settings.
  messages_.Clear();
  bool rateEnabled = true;
  QString rateShown;
  WhenDialogShows([&](QDialog* dialog) {
    auto* settings = dynamic_cast<TSettingsDialog*>(dialog);
    ASSERT_NE(settings, nullptr);
    rateEnabled = settings->Widgets().rate->isEnabled();
    rateShown = settings->Widgets().rate->currentText();
    settings->Widgets().overlap->SetText("100");  // Post-Processing: checked
    settings->OnOk();
    settings->reject();
  });
  EXPECT_FALSE(RunSettingsDialog(nullptr, *core_));
  EXPECT_FALSE(rateEnabled);
  EXPECT_EQ(rateShown, "22050");
  EXPECT_EQ(messages_.Only().text, "Overlap Percentage must be between 0 and 99%");
}

TEST_F(DialogEntryTest, FileIoOptionsApplyWithoutAFile) {
  WhenDialogShows([](QDialog* dialog) {
    auto* options = dynamic_cast<TFileIoOptionsDialog*>(dialog);
    ASSERT_NE(options, nullptr);
    options->Widgets().ram->setChecked(true);
    options->Widgets().recordingSecs->setText("120");
    options->OnOk();
  });
  EXPECT_TRUE(RunFileIoOptionsDialog(nullptr, *core_));
  EXPECT_EQ(core_->Settings().fileIo.waveFileMode, 0);
  EXPECT_EQ(core_->Settings().fileIo.maxRamRecordingTimeSecs, 120);
}

TEST_F(DialogEntryTest, SetPathsAlsoResetsTheLastUsedFolders) {
  core_->SetLastFolder(kFolderCalibration, "/somewhere/else");
  const std::string folder = scratch_.File("cal");
  WhenDialogShows([&folder](QDialog* dialog) {
    auto* paths = dynamic_cast<TSetPathsDialog*>(dialog);
    ASSERT_NE(paths, nullptr);
    paths->Fields()[kFolderCalibration]->setText(QString::fromStdString(folder));
    paths->OnOk();
  });
  EXPECT_TRUE(RunSetPathsDialog(nullptr, *core_));
  EXPECT_EQ(core_->Settings().paths.folders[kFolderCalibration], folder);
  EXPECT_EQ(core_->LastFolder(kFolderCalibration), folder);
}

TEST_F(DialogEntryTest, SpectrumOptionsUseTheRateOfTheSettings) {
  // 44100 Hz, decimation 1: the axis ends at 22050 Hz.
  WhenDialogShows([](QDialog* dialog) {
    auto* options = dynamic_cast<TSpectrumOptsDialog*>(dialog);
    ASSERT_NE(options, nullptr);
    options->Widgets().stop->setText("22051.5");
    options->OnOk();
    options->Widgets().stop->setText("22051");
    options->OnOk();
  });
  EXPECT_TRUE(RunSpectrumOptionsDialog(nullptr, *core_));
  EXPECT_EQ(messages_.Only().text, "Stop Frequency must be between    0.0 and 22050.0 Hz");
  EXPECT_FLOAT_EQ(core_->Settings().spectrumPlot.stopFreqHz, 22051.0f);
}

}  // namespace
}  // namespace orvanix
