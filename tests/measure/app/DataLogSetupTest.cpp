// Data logging in the program: the On/Off commands and their enabling, logging while a
// file is analysed, a log that fails while the analysis goes on, Recorder mode switching it
// off, and the "Data Logging Setup" dialog's fields, rules and checks.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>
#include <fstream>
#include <sstream>

#include "app/core/CoreModule.h"
#include "files/Configuration.h"
#include "measure/DataLog.h"
#include "measure/DataLogDialog.h"
#include "measure/DataLogModule.h"
#include "measure/MeasureModule.h"
#include "measure/MeasureTexts.h"
#include "measure/MeasureWindows.h"
#include "tests/gui/GuiTestHelpers.h"

namespace orvanix {
namespace {

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

int CountOf(const std::string& text, const std::string& what) {
  int count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
    ++count;
  }
  return count;
}

class DataLogSetupTest : public test::GuiFixture {
 protected:
  void SetUp() override {
    GuiFixture::SetUp();
    RegisterMeasureModule();
    RegisterMeasureWindows();
    SetDataLogFileChooser(&chooser_);
  }
  void TearDown() override {
    SetDataLogFileChooser(nullptr);
    GuiFixture::TearDown();
  }
  void Make() {
    MakeFrame();
    InstallModules(*core_);
    module_ = core_->FindModule<TDataLogModule>(TDataLogModule::kName);
    ASSERT_NE(module_, nullptr);
  }
  void SetLogging(const std::function<void(TLoggingSettings&)>& edit) {
    core_->ChangeSettings([&](TAnalyzerSettings& s) { edit(s.logging); }, SettingsOrigin::Outside);
  }
  // One second of a 1 kHz tone at 48 kHz, FFT 4096 without overlap: 11 blocks.
  std::string ToneFile() {
    const std::string path = Path("tone.wav");
    test::WriteToneWave(path, 48000, 1, 48000, {{1000.0, 0.5}});
    return path;
  }
  void AnalyseToTheEnd() {
    ASSERT_TRUE(core_->OpenWave(ToneFile()));
    core_->ChangeSettings(
        [](TAnalyzerSettings& s) {
          s.processing.fftSize = 4096;
          s.processing.overlapPercent = 0;
        },
        SettingsOrigin::Outside);
    ASSERT_TRUE(core_->Start());
    ASSERT_TRUE(core_->WaitUntilStopped(20000));
  }
  TDataLogModule* module_ = nullptr;
};

TEST_F(DataLogSetupTest, OnAndOffFollowTheLoggerAndLogEveryBlockOfAFile) {
  Make();
  const std::string log = Path("run.txt");
  SetLogging([&](TLoggingSettings& s) {
    s.logFileName = log;
    s.intervalFlag = 0;
  });
  EXPECT_TRUE(core_->IsEnabled(kCmdLoggingOn));
  EXPECT_FALSE(core_->IsEnabled(kCmdLoggingOff));
  // Off while no logger exists changes nothing; On twice keeps one logger.
  EXPECT_FALSE(core_->Execute(kCmdLoggingOff));
  ASSERT_TRUE(core_->Execute(kCmdLoggingOn));
  const TDataLog* logger = module_->Log();
  ASSERT_NE(logger, nullptr);
  EXPECT_FALSE(core_->Execute(kCmdLoggingOn));
  EXPECT_EQ(module_->Log(), logger);
  EXPECT_TRUE(core_->DataLogging());
  EXPECT_TRUE(core_->IsEnabled(kCmdLoggingOff));
  EXPECT_FALSE(core_->IsEnabled(kCmdLoggingOn));

  AnalyseToTheEnd();
  EXPECT_EQ(core_->BlockCount(), 11u);
  EXPECT_EQ(module_->Log()->RecordCount(), 11u);
  ASSERT_TRUE(core_->Execute(kCmdLoggingOff));
  EXPECT_EQ(module_->Log(), nullptr);
  EXPECT_FALSE(core_->DataLogging());
  // The records carry the file position of each block: 4096 frames later each time.
  const std::string text = ReadFile(log);
  EXPECT_EQ(CountOf(text, "\r\n"), 4 + 11);
  EXPECT_NE(text.find("\r\n0.000\t996.0938\r\n0.085\t"), std::string::npos) << text;
  EXPECT_NE(text.find("\r\n0.853\t996.0938\r\n"), std::string::npos) << text;
}

TEST_F(DataLogSetupTest, AFailedWriteStopsLoggingButNotTheAnalysis) {
  Make();
  SetLogging([](TLoggingSettings& s) {
    s.logFileName = "/dev/full";
    s.intervalFlag = 0;
  });
  ASSERT_TRUE(core_->Execute(kCmdLoggingOn));
  AnalyseToTheEnd();
  // Told once, after the step; logging is off so that "On" can try again.
  test::WaitFor([&] { return sink_.Contains(measuretext::kMsgWriteFailed); }, 5000);
  EXPECT_TRUE(sink_.Contains(measuretext::kMsgWriteFailed));
  EXPECT_EQ(core_->BlockCount(), 11u);
  EXPECT_FALSE(core_->DataLogging());
  EXPECT_EQ(module_->Log(), nullptr);
  EXPECT_TRUE(core_->IsEnabled(kCmdLoggingOn));
}

TEST_F(DataLogSetupTest, AMissingFolderIsReportedAndRecorderModeSwitchesLoggingOff) {
  Make();
  SetLogging([&](TLoggingSettings& s) { s.logFileName = Path("missing/log.txt"); });
  ASSERT_TRUE(core_->Execute(kCmdLoggingOn));
  EXPECT_TRUE(sink_.Contains("Failure opening log file: " + Path("missing/log.txt")));
  // A relative name lives in the log folder.
  SetLogging([](TLoggingSettings& s) { s.logFileName = "relative.txt"; });
  ASSERT_TRUE(core_->Execute(kCmdLoggingOff));
  ASSERT_TRUE(core_->Execute(kCmdLoggingOn));
  EXPECT_EQ(module_->Log()->Settings().logFileName,
            core_->LastFolder(kFolderLog) + "/relative.txt");
  EXPECT_FALSE(module_->Log()->Error());
  ASSERT_TRUE(core_->SetMode(kModeRecorder));
  EXPECT_FALSE(core_->DataLogging());
  EXPECT_EQ(module_->Log(), nullptr);
}

TEST_F(DataLogSetupTest, DialogEnablesFieldsByTypeSpanAndUpdateChoice) {
  TLoggingSettings settings;
  settings.useFullSpan = 0;
  settings.startFreqHz = 100.f;
  settings.stopFreqHz = 2000.f;
  TDataLogDialog dialog(nullptr, settings, 24000.f, QString::fromStdString(Path("")));
  EXPECT_EQ(dialog.DataType()->count(), 12);
  EXPECT_EQ(dialog.DataType()->itemText(11).toStdString(), "Time Delay");
  EXPECT_EQ(dialog.Threshold()->text().toStdString(), "-999.00");
  EXPECT_EQ(dialog.Interval()->Text().toStdString(), "1.00");
  EXPECT_EQ(dialog.Start()->Text().toStdString(), "100");
  EXPECT_TRUE(dialog.Start()->isEnabled());
  EXPECT_TRUE(dialog.Interval()->isEnabled());
  // THD ... noise figure use neither the span nor the threshold.
  for (int type : {5, 10}) {
    dialog.DataType()->setCurrentIndex(type);
    EXPECT_FALSE(dialog.Threshold()->isEnabled()) << type;
    EXPECT_FALSE(dialog.Start()->isEnabled()) << type;
    EXPECT_FALSE(dialog.Custom()->isEnabled()) << type;
  }
  for (int type : {4, 11}) {
    dialog.DataType()->setCurrentIndex(type);
    EXPECT_TRUE(dialog.Threshold()->isEnabled()) << type;
  }
  dialog.FullSpan()->click();
  EXPECT_EQ(dialog.Start()->Text().toStdString(), "0");
  EXPECT_EQ(dialog.Stop()->Text().toStdString(), "24000");
  EXPECT_FALSE(dialog.Stop()->isEnabled());
  dialog.Custom()->click();
  EXPECT_TRUE(dialog.Stop()->isEnabled());
  dialog.Start()->SetText("-5");
  dialog.Stop()->SetText("99999");
  dialog.FullSpan()->click();
  dialog.Custom()->click();
  dialog.Start()->SetText("-5");
  dialog.Stop()->SetText("99999");
  dialog.Custom()->click();
  EXPECT_EQ(dialog.Start()->Text().toStdString(), "");
  EXPECT_EQ(dialog.Stop()->Text().toStdString(), "24000");
  dialog.AsOften()->click();
  EXPECT_FALSE(dialog.Interval()->isEnabled());

  dialog.OnDefaults();
  EXPECT_TRUE(dialog.AsOften()->isChecked());
  EXPECT_TRUE(dialog.FullSpan()->isChecked());
  EXPECT_TRUE(dialog.Overwrite()->isChecked());
  EXPECT_EQ(dialog.FileName()->text().toStdString(), "datalog.txt");
  EXPECT_EQ(dialog.DataType()->currentIndex(), 0);
}

TEST_F(DataLogSetupTest, OkChecksTheRangeAndIntervalThenKeepsTheSettings) {
  TDataLogDialog dialog(nullptr, TLoggingSettings{}, 24000.f, QString::fromStdString(Path("")));
  dialog.Custom()->click();
  const std::pair<std::pair<const char*, const char*>, std::string> cases[] = {
      {{"500", "400"}, "Stop Frequency must be greater than Start Frequency"},
      {{"-1", "400"}, "Start Frequency must be between    0.0 and 24000.0 Hz"},
      {{"10", "24001"}, "Stop Frequency must be between    0.0 and 24000.0 Hz"},
      {{"0", "0"}, "Stop Frequency must be between    0.0 and 24000.0 Hz"},
  };
  for (const auto& [range, message] : cases) {
    sink_.Clear();
    dialog.Start()->SetText(range.first);
    dialog.Stop()->SetText(range.second);
    dialog.OnOk();
    EXPECT_NE(dialog.result(), QDialog::Accepted) << message;
    ASSERT_EQ(sink_.Entries().size(), 1u) << message;
    EXPECT_EQ(sink_.Entries()[0].text, message);
  }
  dialog.Start()->SetText("20");
  dialog.Stop()->SetText("24000");
  dialog.Intervals()->click();
  dialog.Interval()->SetText("3600.5");
  sink_.Clear();
  dialog.OnOk();
  ASSERT_EQ(sink_.Entries().size(), 1u);
  EXPECT_EQ(sink_.Entries()[0].text, "Update Interval must be between 1 and 3600 seconds.");
  // Below 1 s, even 0, is accepted.
  dialog.Interval()->SetText("0");
  dialog.Append()->click();
  dialog.DataType()->setCurrentIndex(3);
  chooser_.Answer(Path("logs/chosen.txt"));
  dialog.PickLog()->click();
  sink_.Clear();
  dialog.OnOk();
  EXPECT_TRUE(sink_.Entries().empty());
  const TLoggingSettings& s = dialog.Settings();
  EXPECT_EQ(s.useFullSpan, 0);
  EXPECT_FLOAT_EQ(s.startFreqHz, 20.f);
  EXPECT_FLOAT_EQ(s.stopFreqHz, 24000.f);
  EXPECT_EQ(s.intervalFlag, 1);
  EXPECT_FLOAT_EQ(s.intervalSecs, 0.f);
  EXPECT_EQ(s.overwrite, 0);
  EXPECT_EQ(s.dataType, 3);
  EXPECT_EQ(s.logFileName, Path("logs/chosen.txt"));
  EXPECT_EQ(dialog.PickedFolder().toStdString(), Path("logs"));
  ASSERT_FALSE(chooser_.Requests().empty());
  EXPECT_EQ(chooser_.Requests().back().title, "Select Log File");
  EXPECT_EQ(chooser_.Requests().back().filter, "Data Log File (*.txt)|*.txt|");
}

}  // namespace
}  // namespace orvanix
