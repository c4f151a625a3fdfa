// The document commands of the core: open, the save prompt, save as, delete, new, the file
// history, dropped files and configurations; and the time texts.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cmath>
#include <fstream>

#include "app/core/AnalyzerCore.h"
#include "app/core/CoreTexts.h"
#include "files/WaveFile.h"
#include "files/WaveTexts.h"
#include "tests/core/CoreTestSupport.h"

namespace orvanix {
namespace {

bool Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

class CoreDocumentTest : public test::CoreFixture {};

TEST_F(CoreDocumentTest, OpenCommandIsRefusedInRealTimeAndEntersTheHistory) {
  const std::string path = ToneFile("one.wav", 10000);
  EXPECT_FALSE(core_->OpenWaveCommand(path));
  EXPECT_TRUE(sink_.Contains(kMsgOpenInRealTime));
  EXPECT_FALSE(core_->HasDocument());

  ASSERT_TRUE(core_->SetMode(kModePostProcessing));
  ASSERT_TRUE(core_->OpenWaveCommand(path));
  ASSERT_TRUE(core_->HasDocument());
  EXPECT_EQ(core_->FileHistory(), std::vector<std::string>{path});
  // The same file again changes nothing; a second file goes on top.
  const std::string other = ToneFile("two.wav", 10000);
  ASSERT_TRUE(core_->OpenWaveCommand(path));
  ASSERT_TRUE(core_->OpenWaveCommand(other));
  EXPECT_EQ(core_->FileHistory(), (std::vector<std::string>{other, path}));
  ASSERT_TRUE(core_->Execute(kCmdHistory2));
  EXPECT_EQ(core_->Document()->TargetPath(), path);

  sink_.Clear();
  EXPECT_FALSE(core_->OpenWave(scratch_.File("missing.wav")));
  EXPECT_TRUE(sink_.Contains(Format(kMsgFailureOpeningFile, scratch_.File("missing.wav").c_str())));
  ASSERT_TRUE(core_->HasDocument());  // the open document stays
  EXPECT_EQ(core_->Document()->TargetPath(), path);
}

TEST_F(CoreDocumentTest, AFileThatCannotBeOpenedKeepsTheCurrentDocumentAndIsNamed) {
  ASSERT_TRUE(core_->OpenWave(ToneFile("keep.wav", 10000)));
  core_->Document()->PutSample(1234, 10, 0);  // closing it would ask to save
  const std::string notWave = scratch_.File("notes.wav");
  {
    std::ofstream out(notWave);
    out << "not a wave file at all\n";
  }
  const std::string empty = scratch_.File("empty.wav");
  test::WriteWave16(empty, 44100, 2, 0, [](uint32_t, uint32_t) { return int16_t{0}; });
  const std::pair<std::string, std::string> cases[] = {
      {notWave, Format(kNotRiffWave, notWave.c_str())},
      {empty, Format(kEmptyDataChunk, empty.c_str())},
      {scratch_.Path(), Format(kFailureOpeningFile, scratch_.Path().c_str())},
  };
  for (const auto& [path, message] : cases) {
    for (bool dropped : {false, true}) {
      SCOPED_TRACE(path + (dropped ? " dropped" : " opened"));
      sink_.Clear();
      EXPECT_FALSE(dropped ? core_->OpenDroppedFile(path) : core_->OpenWave(path));
      ASSERT_EQ(sink_.Entries().size(), 1u);  // no save prompt: nothing was closed
      EXPECT_EQ(sink_.Entries()[0].text, message);
      ASSERT_TRUE(core_->HasDocument());
      EXPECT_EQ(core_->Document()->TargetPath(), scratch_.File("keep.wav"));
      EXPECT_TRUE(core_->Document()->Modified());
    }
  }
}

TEST_F(CoreDocumentTest, TheSelectionStaysInsideItsDocumentAndGoesWithIt) {
  class TCounter : public TAnalyzerObserver {
   public:
    void SelectionChanged() override { ++changes; }
    int changes = 0;
  } counter;
  core_->AddObserver(&counter, kRoleFrame);
  ASSERT_TRUE(core_->OpenWave(ToneFile("one.wav", 44100)));  // 1 s
  core_->SetSelection(0.75, -2.0);
  EXPECT_EQ(core_->Selection(), (TTimeSelection{0.0, 0.75}));
  core_->SetSelection(0.5, 9.0);
  EXPECT_EQ(core_->Selection(), (TTimeSelection{0.5, 1.0}));
  core_->SetSelection(0.5, 9.0);  // no change, no notice
  EXPECT_EQ(counter.changes, 2);

  // Saving under another name keeps the same document and its selection; another file drops it.
  ASSERT_TRUE(core_->SaveDocumentAs(scratch_.File("copy.wav")));
  EXPECT_EQ(core_->Selection(), (TTimeSelection{0.5, 1.0}));
  ASSERT_TRUE(core_->OpenWave(ToneFile("two.wav", 88200)));
  EXPECT_TRUE(core_->Selection().Empty());
  EXPECT_EQ(counter.changes, 3);
  core_->SetSelection(1.5, std::nan(""));
  EXPECT_EQ(core_->Selection(), (TTimeSelection{0.0, 1.5}));
  ASSERT_TRUE(core_->CloseDocument());
  EXPECT_TRUE(core_->Selection().Empty());
  core_->RemoveObserver(&counter);
}

TEST_F(CoreDocumentTest, AFileWithoutCalibrationAsksWhichCalibrationToUse) {
  class TChooseDisable : public TCoreDialogs {
   public:
    CalibrationChoice QueryCalibration(const std::string& file) override {
      asked = file;
      return CalibrationChoice::Disable;
    }
    std::string asked;
  } dialogs;
  core_->SetDialogs(&dialogs);
  TCalibration record = DefaultsButtonCalibration();
  SetField(record.fileName, "bench.cal");
  record.calRatioLeft = 2.0f;
  core_->SetCalibration(record);
  ASSERT_TRUE(core_->SetMode(kModePostProcessing));
  ASSERT_TRUE(core_->OpenWaveCommand(ToneFile("cal.wav", 10000)));
  EXPECT_EQ(dialogs.asked, "bench.cal");
  EXPECT_EQ(core_->Calibration().enabled, 0);
  EXPECT_EQ(core_->Document()->FullScaleValue(0), 1.0f);
  core_->SetDialogs(nullptr);
}

TEST_F(CoreDocumentTest, CloseAsksBeforeDroppingChangesAndCancelKeepsTheDocument) {
  ASSERT_TRUE(core_->OpenWave(ToneFile("edit.wav", 10000)));
  core_->Document()->PutSample(1234, 10, 0);
  ASSERT_TRUE(core_->Document()->Modified());

  sink_.QueueAnswer(MessageAnswer::Cancel);
  EXPECT_FALSE(core_->CloseDocument());
  EXPECT_TRUE(core_->HasDocument());
  EXPECT_TRUE(sink_.Contains(Format(kMsgSaveBeforeClosing, scratch_.File("edit.wav").c_str())));

  // Yes saves: the change is in the file afterwards.
  sink_.QueueAnswer(MessageAnswer::Yes);
  EXPECT_TRUE(core_->CloseDocument());
  EXPECT_FALSE(core_->HasDocument());
  EXPECT_EQ(test::ReadWave16(scratch_.File("edit.wav"), 0)[10], 1234);

  // No drops the change.
  ASSERT_TRUE(core_->OpenWave(scratch_.File("edit.wav")));
  core_->Document()->PutSample(-5, 10, 0);
  sink_.QueueAnswer(MessageAnswer::No);
  EXPECT_TRUE(core_->CloseDocument());
  EXPECT_EQ(test::ReadWave16(scratch_.File("edit.wav"), 0)[10], 1234);
  EXPECT_EQ(core_->FrameTitle(), kProgramTitle);
}

TEST_F(CoreDocumentTest, SaveAsWritesTheDocumentUnderItsNewName) {
  ASSERT_TRUE(core_->OpenWave(ToneFile("orig.wav", 10000)));
  const std::string copy = scratch_.File("sub/copy.wav");
  ASSERT_EQ(::mkdir(scratch_.File("sub").c_str(), 0700), 0);
  ASSERT_TRUE(core_->SaveDocumentAs(copy));
  EXPECT_EQ(core_->DocumentName(), copy);
  EXPECT_EQ(core_->LastFolder(kFolderWave), scratch_.File("sub"));
  EXPECT_EQ(test::ReadWave16(copy, 1), test::ReadWave16(scratch_.File("orig.wav"), 1));
}

TEST_F(CoreDocumentTest, DeleteAsksFirstAndRefusesTheOpenDocument) {
  const std::string path = ToneFile("victim.wav", 1000);
  EXPECT_FALSE(core_->DeleteWave(path));  // the default answer is No
  EXPECT_TRUE(sink_.Contains(Format(kMsgConfirmDelete, path.c_str())));
  EXPECT_TRUE(Exists(path));
  sink_.QueueAnswer(MessageAnswer::Yes);
  EXPECT_TRUE(core_->DeleteWave(path));
  EXPECT_FALSE(Exists(path));
  sink_.QueueAnswer(MessageAnswer::Yes);
  EXPECT_FALSE(core_->DeleteWave(path));
  EXPECT_TRUE(sink_.Contains(Format(kMsgFailureDeleting, path.c_str())));

  const std::string open = ToneFile("open.wav", 10000);
  ASSERT_TRUE(core_->OpenWave(open));
  sink_.QueueAnswer(MessageAnswer::Yes);
  EXPECT_FALSE(core_->DeleteWave(open));
  EXPECT_TRUE(Exists(open));
}

TEST_F(CoreDocumentTest, NewInRealTimeChangesToRecorderWithAnUntitledDocument) {
  ASSERT_TRUE(core_->NewDocument());
  EXPECT_EQ(core_->Mode(), kModeRecorder);
  EXPECT_EQ(core_->FrameTitle(), std::string(kProgramTitle) + " [Untitled]");
  EXPECT_FALSE(core_->HasDocument());  // made when recording starts

  // Recording makes it; the save prompt at close offers it, and without a dialog it gets a
  // name of its own in the wave folder rather than being lost.
  UseLoopback();
  core_->ChangeSettings(
      [](TAnalyzerSettings& s) { s.processing.format = MakeWaveFormat(1, 8000, 2); },
      SettingsOrigin::Dialog);
  ASSERT_TRUE(core_->Start());
  EXPECT_EQ(core_->FrameTitle(), std::string(kProgramTitle) + " - Recording...");
  test::RunEvents(500);
  core_->Stop();
  ASSERT_TRUE(core_->HasDocument());
  EXPECT_TRUE(core_->Document()->Untitled());
  ASSERT_TRUE(core_->CloseDocument());
  EXPECT_TRUE(sink_.Contains(Format(kMsgSaveBeforeClosing, kTextUntitledInPrompt)));
  const std::vector<std::string> history = core_->FileHistory();
  bool saved = false;
  for (const auto& entry : std::filesystem::directory_iterator(scratch_.Path())) {
    saved = saved || entry.path().filename().string().rfind("recording_", 0) == 0;
  }
  EXPECT_TRUE(saved);
}

TEST_F(CoreDocumentTest, DroppedConfigurationLoadsAndConfigurationReopensItsFile) {
  const std::string wave = ToneFile("inconfig.wav", 10000);
  ASSERT_TRUE(core_->OpenWave(wave));
  core_->ChangeSettings([](TAnalyzerSettings& s) { s.processing.fftSize = 2048; },
                        SettingsOrigin::Dialog);
  const std::string config = scratch_.File("with-file.cfg");
  ASSERT_TRUE(core_->SaveConfiguration(config));
  ASSERT_TRUE(core_->CloseDocument());
  core_->ChangeSettings([](TAnalyzerSettings& s) { s.processing.fftSize = 512; },
                        SettingsOrigin::Dialog);

  ASSERT_TRUE(core_->OpenDroppedFile(config));
  EXPECT_EQ(core_->Engine().settings.fftSize, 2048);
  ASSERT_TRUE(core_->HasDocument());
  EXPECT_EQ(core_->Document()->TargetPath(), wave);
  const std::vector<std::string> report = core_->ConfigurationReport();
  ASSERT_FALSE(report.empty());
  EXPECT_EQ(report[0], "MODE:\tPost-Processing");
  EXPECT_EQ(report[1], "WAVE FILE:\t" + wave);
}

TEST_F(CoreDocumentTest, LoadConfigurationKeepsTheMachineSettingsInUse) {
  // Changed since start-up (the fixture already moved every folder to the scratch folder).
  core_->ChangeSettings(
      [](TAnalyzerSettings& s) {
        s.fileIo.waveFileMode = 0;
        s.fileIo.maxRamRecordingTimeSecs = 120;
        s.fileIo.maxDiskRecordingSizeBytes = 5000000;
        s.processing.rateCorrection = 1.001f;
        s.logging.varekFlag = 1;
        s.processing.fftSize = 2048;
        s.trigger.thresholdPct = 40;
      },
      SettingsOrigin::Dialog);
  ASSERT_TRUE(core_->SetMode(kModePostProcessing));
  const std::string wave = ToneFile("history.wav", 5000);
  ASSERT_TRUE(core_->OpenWaveCommand(wave));
  const std::string config = scratch_.File("bench.cfg");
  ASSERT_TRUE(core_->SaveConfiguration(config));
  ASSERT_TRUE(core_->CloseDocument());
  core_->ChangeSettings(
      [](TAnalyzerSettings& s) {
        s.fileIo.maxRamRecordingTimeSecs = 200;
        s.processing.fftSize = 512;
      },
      SettingsOrigin::Dialog);

  ASSERT_TRUE(core_->LoadConfiguration(config));
  const TAnalyzerSettings& s = core_->Settings();
  EXPECT_EQ(s.processing.fftSize, 2048);
  EXPECT_EQ(s.fileIo.waveFileMode, 0);
  EXPECT_EQ(s.fileIo.maxRamRecordingTimeSecs, 200);
  EXPECT_EQ(s.fileIo.maxDiskRecordingSizeBytes, 5000000);
  EXPECT_EQ(s.processing.rateCorrection, 1.001f);
  EXPECT_EQ(s.logging.varekFlag, 1);
  for (const std::string& folder : s.paths.folders) EXPECT_EQ(folder, scratch_.Path());
  EXPECT_EQ(core_->FileHistory(), std::vector<std::string>{wave});
  ASSERT_TRUE(core_->HasDocument());  // the file the configuration names, reopened
  EXPECT_EQ(core_->Document()->Mode(), StorageMode::Ram);

  // A configuration with one section leaves the others as they are now.
  const std::string partial = scratch_.File("partial.cfg");
  {
    std::ofstream out(partial);
    out << "[Settings]\nFFTsize=1024\n";
  }
  core_->ChangeSettings([](TAnalyzerSettings& s) { s.trigger.thresholdPct = 70; },
                        SettingsOrigin::Dialog);
  ASSERT_TRUE(core_->LoadConfiguration(partial));
  EXPECT_EQ(core_->Engine().settings.fftSize, 1024);
  EXPECT_EQ(core_->Settings().trigger.thresholdPct, 70);
  EXPECT_EQ(core_->Mode(), kModePostProcessing);
  EXPECT_FALSE(core_->HasDocument());  // it names no file
}

}  // namespace
}  // namespace orvanix
