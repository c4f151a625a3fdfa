// The edit module on the analyzer core: its enabling rules, the segment commands through the
// core's selection, the clipboard, import and merge into the core's document.
#include <gtest/gtest.h>

#include "EditTestHelpers.h"
#include "files/Configuration.h"
#include "files/DigitalFilter.h"
#include "files/EditTexts.h"
#include "files/WaveFileFormat.h"
#include "files/WaveTexts.h"

namespace orvanix {
namespace {

class EditModuleTest : public test::EditFixture {};

TEST_F(EditModuleTest, CommandsFollowTheDocumentTheViewAndTheSelection) {
  // Real-Time, nothing open.
  EXPECT_FALSE(core_->IsEnabled(kCmdImport));
  EXPECT_FALSE(core_->IsEnabled(kCmdMerge));
  ASSERT_TRUE(core_->SetMode(kModePostProcessing));
  EXPECT_TRUE(core_->IsEnabled(kCmdImport));
  EXPECT_TRUE(core_->IsEnabled(kCmdMerge));
  EXPECT_FALSE(core_->IsEnabled(kCmdExport));
  EXPECT_FALSE(core_->IsEnabled(kCmdPasteInsert));
  ASSERT_TRUE(core_->OpenWave(NoiseFile("a.wav", 8000, 1, 40000)));
  EXPECT_FALSE(core_->IsEnabled(kCmdImport));
  EXPECT_TRUE(core_->IsEnabled(kCmdExport));
  EXPECT_TRUE(core_->IsEnabled(kCmdDecimate));
  EXPECT_FALSE(core_->IsEnabled(kCmdUndoEdit));
  // Segment commands: a view that shows time must be active, with a selection.
  core_->SetSelection(1.0, 2.0);
  EXPECT_FALSE(core_->IsEnabled(kCmdCut));
  ActivateTimeSeries();
  for (int32_t command : {kCmdCut, kCmdCopy, kCmdMute, kCmdGainAdjust, kCmdFilter, kCmdPlay}) {
    EXPECT_TRUE(core_->IsEnabled(command)) << command;
  }
  EXPECT_TRUE(core_->IsEnabled(kCmdSelectAll));
  EXPECT_FALSE(core_->IsEnabled(kCmdPasteOver));  // nothing on the clipboard
  core_->ClearSelection();
  EXPECT_FALSE(core_->IsEnabled(kCmdCut));
  // The spectrum view copies its own data.
  TUiContext ui;
  ui.activeWindow = kWindowSpectrum;
  ui.activeViewHasSelection = true;
  core_->SetUiContext(ui);
  EXPECT_TRUE(core_->IsEnabled(kCmdCopy));
  EXPECT_FALSE(core_->Execute(kCmdCopy));
  EXPECT_TRUE(clipboard_.wave.empty());
}

TEST_F(EditModuleTest, CutPasteAndUndoThroughTheCommands) {
  for (StorageMode mode : {StorageMode::Ram, StorageMode::Disk}) {
    SCOPED_TRACE(mode == StorageMode::Disk ? "disk" : "RAM");
    UseStorage(mode, true);
    ASSERT_TRUE(core_->SetMode(kModePostProcessing));
    const std::string path = NoiseFile("five.wav", 8000, 2, 40000);
    ASSERT_TRUE(core_->OpenWave(path));
    const std::vector<uint8_t> original = DocumentFrames();
    ActivateTimeSeries();
    core_->SetSelection(1.0, 2.0);
    ASSERT_TRUE(core_->Execute(kCmdCut));
    EXPECT_DOUBLE_EQ(core_->Document()->LengthSeconds(), 4.0);
    EXPECT_TRUE(core_->Selection().Empty());
    EXPECT_TRUE(core_->IsEnabled(kCmdUndoEdit));
    // The clipboard holds the cut second as a wave image.
    ASSERT_EQ(clipboard_.wave.size(), kWaveHeaderBytes + 8000u * 4);
    // Paste it back at 1 s: the document is as it was, and undo removes the paste again.
    ASSERT_TRUE(core_->SeekTo(1.0));
    ASSERT_TRUE(core_->Execute(kCmdPasteInsert));
    EXPECT_TRUE(DocumentFrames() == original);
    ASSERT_TRUE(core_->Execute(kCmdUndoEdit));
    EXPECT_DOUBLE_EQ(core_->Document()->LengthSeconds(), 4.0);
    // Paste Over at 4.5 s runs past the end: the document grows to 5.5 s; undo cuts it back.
    const std::vector<uint8_t> shorter = DocumentFrames();
    ASSERT_TRUE(core_->SeekTo(3.5));
    ASSERT_TRUE(core_->Execute(kCmdPasteOver));
    EXPECT_DOUBLE_EQ(core_->Document()->LengthSeconds(), 4.5);
    ASSERT_TRUE(core_->Execute(kCmdUndoEdit));
    EXPECT_TRUE(DocumentFrames() == shorter);
    EXPECT_FALSE(core_->IsEnabled(kCmdUndoEdit));
    // The file itself was not touched (a working copy was edited).
    EXPECT_EQ(test::FileFrames(path).size(), 40000u * 4);
    core_->Document()->SetModified(false);
    ASSERT_TRUE(core_->CloseDocument());
  }
  EXPECT_TRUE(sink_.Entries().empty());
}

TEST_F(EditModuleTest, ModifyingTheFileInPlaceAsksFirst) {
  UseStorage(StorageMode::Disk, false);
  ASSERT_TRUE(core_->SetMode(kModePostProcessing));
  const std::string path = NoiseFile("inplace.wav", 8000, 1, 16000);
  ASSERT_TRUE(core_->OpenWave(path));
  const std::vector<uint8_t> before = test::FileFrames(path);
  ActivateTimeSeries();
  core_->SetSelection(0.5, 1.0);
  sink_.QueueAnswer(MessageAnswer::No);
  EXPECT_FALSE(core_->Execute(kCmdMute));
  ASSERT_EQ(sink_.Entries().size(), 1u);
  EXPECT_EQ(sink_.Entries()[0].text, kModifyWithoutBackupQuestion);
  EXPECT_TRUE(test::FileFrames(path) == before);
  // Yes: the file itself is muted, and undo puts it back.
  sink_.QueueAnswer(MessageAnswer::Yes);
  ASSERT_TRUE(core_->Execute(kCmdMute));
  EXPECT_FALSE(test::FileFrames(path) == before);
  ASSERT_TRUE(core_->Execute(kCmdUndoEdit));
  EXPECT_TRUE(test::FileFrames(path) == before);
}

TEST_F(EditModuleTest, APasteWithNothingOpenMakesAnUntitledDocument) {
  ASSERT_TRUE(core_->SetMode(kModePostProcessing));
  ASSERT_TRUE(core_->OpenWave(NoiseFile("src.wav", 22050, 1, 30000)));
  ActivateTimeSeries();
  core_->SetSelection(0.0, 1.0);
  ASSERT_TRUE(core_->Execute(kCmdCopy));
  const std::vector<uint8_t> copied = DocumentFrames();
  ASSERT_TRUE(core_->CloseDocument());
  ASSERT_TRUE(core_->IsEnabled(kCmdPasteInsert));
  EXPECT_FALSE(core_->IsEnabled(kCmdPasteOver));
  ASSERT_TRUE(core_->Execute(kCmdPasteInsert));
  ASSERT_TRUE(core_->HasDocument());
  EXPECT_EQ(core_->DocumentName(), "Untitled");
  EXPECT_TRUE(core_->Document()->Modified());
  EXPECT_EQ(core_->Document()->Length(), 22050u);
  EXPECT_EQ(core_->Settings().processing.format.sampleRate, 22050u);
  EXPECT_TRUE(std::equal(copied.begin(), copied.begin() + 44100, DocumentFrames().begin()));
  // A clipboard of another program's garbage: one clear message.
  core_->Document()->SetModified(false);
  ASSERT_TRUE(core_->CloseDocument());
  clipboard_.wave = {'R', 'I', 'F', 'F', 1, 2, 3};
  EXPECT_FALSE(core_->Execute(kCmdPasteInsert));
  ASSERT_EQ(sink_.Entries().size(), 1u);
  EXPECT_EQ(sink_.Entries()[0].text, kClipboardNotWave);
  EXPECT_FALSE(core_->HasDocument());
}

TEST_F(EditModuleTest, GainAndFilterCheckTheirValuesAndKeepThem) {
  ASSERT_TRUE(core_->SetMode(kModePostProcessing));
  ASSERT_TRUE(core_->OpenWave(NoiseFile("g.wav", 8000, 2, 16000)));
  EXPECT_EQ(TEditModule::CheckGain(-60, 10), "");
  EXPECT_EQ(TEditModule::CheckGain(-60.5, 0), "Gain must be between -60 and 10 dB");
  EXPECT_EQ(TEditModule::CheckGain(0, 10.1), "Gain must be between -60 and 10 dB");
  TFilterSettings f;
  f.type = kLowPass;
  f.lpCutoffHz = 4001;
  EXPECT_EQ(TEditModule::CheckFilter(f, 4000), "Cutoff Frequency must be between 0 and 4000 Hz");
  f.type = kNotch;
  f.notchCenterHz = -1;
  f.notchWidthHz = 5000;
  EXPECT_EQ(TEditModule::CheckFilter(f, 4000), "Center Frequency must be between 0 and 4000 Hz");
  f.notchCenterHz = 1000;
  EXPECT_EQ(TEditModule::CheckFilter(f, 4000), "Width Frequency must be between 0 and 4000 Hz");

  // Filter without a selection says so; with one it runs and keeps its settings.
  EXPECT_FALSE(Edit().Filter(f));
  EXPECT_TRUE(sink_.Contains(kSelectSegmentFirst));
  core_->SetSelection(0.25, 1.5);
  f.notchWidthHz = 200;
  f.numTaps = 199;
  ASSERT_TRUE(Edit().Filter(f));
  EXPECT_EQ(core_->Settings().filter, f);
  EXPECT_TRUE(core_->Document()->UndoAvailable());
  ASSERT_TRUE(Edit().GainAdjust(-6, 3));
  EXPECT_EQ(Edit().GainLeftDb(), -6);
  EXPECT_EQ(Edit().GainRightDb(), 3);
  EXPECT_FALSE(Edit().GainAdjust(20, 0));
  EXPECT_TRUE(sink_.Contains("Gain must be between -60 and 10 dB"));
}

TEST_F(EditModuleTest, ImportAndMergeBecomeTheUntitledDocument) {
  ASSERT_TRUE(core_->SetMode(kModePostProcessing));
  TCalibration on = core_->Calibration();
  on.enabled = 1;
  core_->SetCalibration(on);
  // Defined values bring their calibration; the document's full scale follows it.
  const std::string text = scratch_.File("volts.txt");
  {
    std::FILE* f = std::fopen(text.c_str(), "w");
    std::fputs("0.5,0.25\n-0.5,0\n", f);
    std::fclose(f);
  }
  TImportOptions options;
  options.sourceType = kAsciiReal;
  options.channels = 2;
  options.sampleRateHz = 1000;
  options.scaling = kScaleDefine;
  options.equalsValue = 3.f;
  ASSERT_TRUE(Edit().Import(text, options));
  ASSERT_TRUE(core_->HasDocument());
  EXPECT_EQ(core_->DocumentName(), "Untitled");
  EXPECT_EQ(core_->Settings().processing.format.channels, 2u);
  EXPECT_EQ(core_->Settings().processing.format.sampleRate, 1000u);
  EXPECT_EQ(core_->Calibration().enabled, 1);
  EXPECT_FLOAT_EQ(core_->Calibration().calRatioLeft, 1.5f);  // 0.5 at full scale is 1.5 V
  EXPECT_FLOAT_EQ(core_->Document()->FullScaleValue(0), 1.5f);
  // Importing is not offered while a document is open.
  EXPECT_FALSE(Edit().Import(text, options));
  core_->Document()->SetModified(false);
  ASSERT_TRUE(core_->CloseDocument());
  // Rescaling switches calibration off.
  options.scaling = kScaleRescale;
  ASSERT_TRUE(Edit().Import(text, options));
  EXPECT_EQ(core_->Calibration().enabled, 0);
  EXPECT_EQ(Edit().ImportOptions().scaling, kScaleRescale);
  core_->Document()->SetModified(false);
  ASSERT_TRUE(core_->CloseDocument());

  // Merge: 10 s and 7 s make 7 s of stereo, the processing format follows.
  const std::string left = NoiseFile("l.wav", 8000, 1, 80000, 1);
  const std::string right = NoiseFile("r.wav", 8000, 1, 56000, 2);
  ASSERT_TRUE(Edit().Merge(left, right));
  EXPECT_DOUBLE_EQ(core_->Document()->LengthSeconds(), 7.0);
  EXPECT_EQ(core_->Settings().processing.format.channels, 2u);
  EXPECT_EQ(core_->Settings().processing.channelProcessing, kBothChannels);
  EXPECT_EQ(core_->DocumentName(), "Untitled");
  // Decimate refuses to write over the open document's own file.
  core_->Document()->SetModified(false);
  ASSERT_TRUE(core_->CloseDocument());
  ASSERT_TRUE(core_->OpenWave(left));
  EXPECT_FALSE(Edit().Decimate(2, true, left));
  EXPECT_TRUE(sink_.Contains(Format(kDestinationIsOpen, left.c_str())));
  EXPECT_EQ(test::FileFrames(left).size(), 160000u);
}

class TFactorDialogs : public TEditDialogs {
 public:
  bool AdjustRescaleFactor(double& factor) override {
    shown = factor;
    factor = 100.0;
    return true;
  }
  double shown = 0;
};

TEST_F(EditModuleTest, AdjustImportRescalingAsksForTheFactor) {
  TProfile program;
  program.WriteString("FileIO", "AdjustImportRescaling", "TRUE");
  ASSERT_TRUE(program.Save(options_.programSettingsPath));
  options_.loadProgramSettings = true;
  MakeEditCore();
  ASSERT_TRUE(core_->Settings().fileIo.adjustImportRescaling);
  ASSERT_TRUE(core_->SetMode(kModePostProcessing));
  TFactorDialogs dialogs;
  Edit().SetDialogs(&dialogs);
  const std::string text = scratch_.File("f.txt");
  {
    std::FILE* f = std::fopen(text.c_str(), "w");
    std::fputs("10\n-20\n", f);
    std::fclose(f);
  }
  ASSERT_TRUE(Edit().Import(text, TImportOptions{}));
  EXPECT_NEAR(dialogs.shown, 65534.0 / 30.0, 1e-9);
  EXPECT_EQ(core_->Document()->GetSample(0, 0, false), 1000.f);
  EXPECT_EQ(core_->Document()->GetSample(1, 0, false), -2000.f);
  core_->Document()->SetModified(false);
  Edit().SetDialogs(nullptr);
}

}  // namespace
}  // namespace orvanix

namespace orvanix {
namespace {

class TMapDialogs : public TEditDialogs {
 public:
  bool ChooseChannelMap(const std::string&, const TForeignInfo& info, TChannelMap& map) override {
    asked = true;
    channels = info.channels;
    if (!accept) return false;
    map.right = -1;
    map.bytesPerSample = 2;
    return true;
  }
  bool accept = false;
  bool asked = false;
  uint32_t channels = 0;
};

TEST_F(EditModuleTest, OpenReadsOtherAudioFilesAsUntitledDocuments) {
  ASSERT_TRUE(core_->SetMode(kModePostProcessing));
  const std::string wav = NoiseFile("n.wav", 44100, 2, 30000);
  const std::string flac = scratch_.File("n.flac");
  ASSERT_EQ(std::system(("sox '" + wav + "' '" + flac + "'").c_str()), 0) << "sox";
  ASSERT_TRUE(core_->OpenWaveCommand(flac));
  EXPECT_EQ(core_->DocumentName(), "Untitled");
  EXPECT_TRUE(DocumentFrames() == test::FileFrames(wav));
  EXPECT_EQ(core_->FileHistory().front(), flac);
  core_->Document()->SetModified(false);

  // Float samples: the map is asked for; Cancel opens nothing and keeps the open document.
  const std::string floats = scratch_.File("f.wav");
  ASSERT_EQ(std::system(("sox '" + wav + "' -e floating-point -b 32 '" + floats + "'").c_str()), 0);
  TMapDialogs dialogs;
  Edit().SetDialogs(&dialogs);
  EXPECT_FALSE(core_->OpenWave(floats));
  EXPECT_TRUE(dialogs.asked);
  EXPECT_EQ(dialogs.channels, 2u);
  ASSERT_TRUE(core_->HasDocument());
  EXPECT_TRUE(DocumentFrames() == test::FileFrames(wav));
  dialogs.accept = true;
  ASSERT_TRUE(core_->OpenWave(floats));
  EXPECT_EQ(core_->Document()->Format().channels, 1u);
  EXPECT_EQ(core_->Settings().processing.format.channels, 1u);
  core_->Document()->SetModified(false);
  Edit().SetDialogs(nullptr);

  // A damaged WAV keeps our reader's refusal; what nothing reads gets libsndfile's.
  sink_.Clear();
  {
    // A fmt chunk too short for a format.
    std::FILE* f = std::fopen(scratch_.File("damaged.wav").c_str(), "wb");
    const char bytes[] = "RIFF\x10\0\0\0WAVEfmt \x04\0\0\0\x01\0\x01\0";
    std::fwrite(bytes, 1, sizeof bytes - 1, f);
    std::fclose(f);
  }
  EXPECT_FALSE(core_->OpenWave(scratch_.File("damaged.wav")));
  ASSERT_EQ(sink_.Entries().size(), 1u);
  EXPECT_EQ(sink_.Entries()[0].text, Format(kFmtTooShort, scratch_.File("damaged.wav").c_str()));
  sink_.Clear();
  {
    std::FILE* f = std::fopen(scratch_.File("junk.ogg").c_str(), "wb");
    std::fputs("OggS and then nothing", f);
    std::fclose(f);
  }
  EXPECT_FALSE(core_->OpenWave(scratch_.File("junk.ogg")));
  ASSERT_EQ(sink_.Entries().size(), 1u);
  EXPECT_EQ(
      sink_.Entries()[0].text.rfind("The file " + scratch_.File("junk.ogg") + " cannot be read", 0),
      0u)
      << sink_.Entries()[0].text;
}

}  // namespace
}  // namespace orvanix
