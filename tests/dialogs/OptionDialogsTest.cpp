// The smaller dialogs driven through their fields: trigger, markers, spectrum display
// options, overlay management, File I/O options, paths, scaling and devices.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <fstream>

#include "DialogHelpers.h"
#include "app/core/AnalyzerCore.h"
#include "app/dialogs/AnnotationsDialog.h"
#include "app/dialogs/DeviceDialog.h"
#include "app/dialogs/DialogTexts.h"
#include "app/dialogs/FileIoOptionsDialog.h"
#include "app/dialogs/MarkersDialog.h"
#include "app/dialogs/OverlayDialog.h"
#include "app/dialogs/ScalingDialog.h"
#include "app/dialogs/SetPathsDialog.h"
#include "app/dialogs/SpectrumOptsDialog.h"
#include "app/dialogs/TriggerDialog.h"
#include "files/Configuration.h"
#include "ui/FileDialogs.h"

namespace orvanix {
namespace {

using test::TRecordedMessages;
using test::TScratchFolder;

// OK pressed; true when the dialog closed accepted.
bool PressOk(TDialogBase& dialog) {
  dialog.setResult(QDialog::Rejected);
  dialog.OnOk();
  return dialog.result() == QDialog::Accepted;
}

// ---- Annotations and Margins --------------------------------------------------------------

TEST(AnnotationsDialogTest, FieldsMarginsAndComments) {
  TRecordedMessages messages;
  TPrintOptions options;
  options.annotation1 = "Line one";
  options.marginTop = 0.75f;
  options.enableCommentBlock = 1;
  options.comments[0] = "first";
  options.comments[2] = "third";  // a blank second line kept between them
  TAnnotationsDialog dialog(nullptr, options);
  EXPECT_EQ(dialog.windowTitle(), "Annotations and Margins");
  const auto& f = dialog.Widgets();
  EXPECT_EQ(f.annotation1->text(), "Line one");
  EXPECT_EQ(f.annotation1->maxLength(), 79);  // the configuration keeps 79 characters
  EXPECT_EQ(f.margins[2]->text(), "0.75");
  EXPECT_EQ(f.comments->toPlainText(), "first\n\nthird");

  // Margins outside 0 ... 3 inches are refused, the field named.
  f.margins[1]->setText("3.5");
  EXPECT_FALSE(PressOk(dialog));
  EXPECT_EQ(messages.Only().text, "Margins must be between 0 and 3 inches");
  messages.Clear();
  f.margins[1]->setText("-0.1");
  EXPECT_FALSE(PressOk(dialog));
  messages.Clear();
  f.margins[1]->setText("inch");
  EXPECT_FALSE(PressOk(dialog));
  messages.Clear();
  f.margins[1]->setText("1.25");
  // Eleven comment lines do not fit the ten keys.
  f.comments->setPlainText("1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11");
  EXPECT_FALSE(PressOk(dialog));
  EXPECT_EQ(messages.Only().text, "The comment block holds at most 10 lines");
  messages.Clear();
  f.comments->setPlainText(QString(256, 'x'));
  EXPECT_FALSE(PressOk(dialog));
  EXPECT_EQ(messages.Only().text, "A comment line holds at most 255 characters");
  messages.Clear();
  f.comments->setPlainText("a\n\nc\n\n");  // trailing blank lines dropped
  ASSERT_TRUE(PressOk(dialog));
  const TPrintOptions& r = dialog.Result();
  EXPECT_EQ(r.annotation1, "Line one");
  EXPECT_FLOAT_EQ(r.marginRight, 1.25f);
  EXPECT_FLOAT_EQ(r.marginTop, 0.75f);
  EXPECT_EQ(r.comments[0], "a");
  EXPECT_EQ(r.comments[1], "");
  EXPECT_EQ(r.comments[2], "c");
  EXPECT_EQ(r.comments[3], "");
  EXPECT_EQ(r.enableCommentBlock, 1);

  dialog.OnDefaults();
  EXPECT_EQ(f.annotation1->text(), "");
  EXPECT_EQ(f.margins[0]->text(), "0.5");
  EXPECT_FALSE(f.commentBlock->isChecked());
  EXPECT_FALSE(f.comments->isEnabled());
}

// ---- Trigger Setup ------------------------------------------------------------------------

TEST(TriggerDialog, ThresholdAndDelayRefusedWithTheStopIcon) {
  TRecordedMessages messages;
  TTriggerDialog dialog(nullptr, TTriggerSettings{});
  const auto& f = dialog.Widgets();
  f.threshold->setText("101");
  EXPECT_FALSE(PressOk(dialog));
  EXPECT_EQ(messages.Only().text, "Threshold must be between 0 and 100 percent.");
  EXPECT_EQ(messages.Only().icon, MessageIcon::Error);
  EXPECT_EQ(f.threshold->text(), "101");

  messages.Clear();
  f.threshold->setText("100");
  f.delay->setText("1000.5");
  EXPECT_FALSE(PressOk(dialog));
  EXPECT_EQ(messages.Only().text, "Trigger delay must be between 0 and 1000");
  EXPECT_EQ(messages.Only().icon, MessageIcon::Error);

  f.delay->setText("1000");
  f.enable->setChecked(true);
  f.rearm->setChecked(false);
  f.right->setChecked(true);
  f.edge->setChecked(true);
  f.negative->setChecked(true);
  f.postTrigger->setChecked(true);
  ASSERT_TRUE(PressOk(dialog));
  const TTriggerSettings& r = dialog.Result();
  EXPECT_EQ(r.thresholdPct, 100);
  EXPECT_FLOAT_EQ(r.delayMsec, 1000.0f);
  EXPECT_EQ(r.enable, 1);
  EXPECT_EQ(r.autoReset, 0);
  EXPECT_EQ(r.channel, 1);
  EXPECT_EQ(r.triggerType, 1);
  EXPECT_EQ(r.slope, 1);
  EXPECT_EQ(r.delayType, 1);
}

TEST(TriggerDialog, ThresholdIsCheckedBeforeTheDelayAndDefaultsRestoreTheFile) {
  TRecordedMessages messages;
  TTriggerSettings current;
  current.enable = 1;
  current.thresholdPct = 80;
  current.delayMsec = 20.5f;
  current.autoReset = 0;
  TTriggerDialog dialog(nullptr, current);
  dialog.Widgets().threshold->setText("-1");
  dialog.Widgets().delay->setText("5000");
  EXPECT_FALSE(PressOk(dialog));
  EXPECT_EQ(messages.Only().text, "Threshold must be between 0 and 100 percent.");
  dialog.OnDefaults();
  ASSERT_TRUE(PressOk(dialog));
  EXPECT_EQ(dialog.Result(), TTriggerSettings{});
}

// ---- Markers ------------------------------------------------------------------------------

TEST(MarkersDialog, RowsShowAndTakeTheSixMarkers) {
  TRecordedMessages messages;
  TMarkerSettings current;
  current.freqHz[0] = 1234.56f;
  current.labelType[1] = kLabelCustom;
  TMarkersDialog dialog(nullptr, current);
  const auto& rows = dialog.Rows();
  EXPECT_EQ(rows[0].frequency->text(), "1234.6");  // "%6.1f"
  EXPECT_EQ(rows[1].labelType->currentText(), "Custom");
  EXPECT_EQ(rows[5].customLabel->text(), "Marker 6");
  EXPECT_EQ(rows[0].labelType->count(), 5);

  // An untouched frequency keeps its stored value, not the rounded one shown.
  rows[2].enable->setChecked(true);
  rows[2].frequency->setText("440");
  rows[2].labelType->setCurrentIndex(kLabelFrequencyAmplitude);
  rows[3].customLabel->setText(QString(40, 'x'));  // longer than the field takes
  ASSERT_TRUE(PressOk(dialog));
  const TMarkerSettings& r = dialog.Result();
  EXPECT_FLOAT_EQ(r.freqHz[0], 1234.56f);
  EXPECT_EQ(r.enable[2], 1);
  EXPECT_FLOAT_EQ(r.freqHz[2], 440.0f);
  EXPECT_EQ(r.labelType[2], kLabelFrequencyAmplitude);
  EXPECT_EQ(r.customLabel[3].size(), static_cast<size_t>(kCustomLabelChars));

  rows[4].frequency->setText("abc");
  EXPECT_FALSE(PressOk(dialog));
  EXPECT_EQ(messages.Only().text, "Marker 5 Frequency must be a number of Hz, 0 or more");

  dialog.OnDefaults();
  ASSERT_TRUE(PressOk(dialog));
  EXPECT_EQ(dialog.Result(), TMarkerSettings{});
}

// ---- Spectrum Display Options -------------------------------------------------------------

TEST(SpectrumOptsDialog, ChecksAgainstTheAxisInForce) {
  TRecordedMessages messages;
  TSpectrumOptsDialog dialog(nullptr, TSpectrumPlotOptions{}, /*logAmplitude=*/true, 22050.0);
  const auto& f = dialog.Widgets();
  f.top->setText("301");
  EXPECT_FALSE(PressOk(dialog));
  EXPECT_EQ(messages.Only().text, "Top of Plot must be between -300.000 and 300.000");

  messages.Clear();
  f.top->setText("-20");
  f.range->setText("0");
  EXPECT_FALSE(PressOk(dialog));
  EXPECT_EQ(messages.Only().text, "Plot Range must be between  0.000 and 600.000");

  messages.Clear();
  f.range->setText("80");
  f.start->setText("5000");
  f.stop->setText("100");
  EXPECT_FALSE(PressOk(dialog));
  EXPECT_EQ(messages.Only().text, "Stop Frequency must be greater than Start Frequency");

  messages.Clear();
  f.start->setText("20");
  f.stop->setText("30000");
  EXPECT_FALSE(PressOk(dialog));
  EXPECT_EQ(messages.Only().text, "Stop Frequency must be between    0.0 and 22050.0 Hz");

  messages.Clear();
  f.stop->setText("20000");
  f.periodic->setChecked(true);
  f.interval->setText("3601");
  EXPECT_FALSE(PressOk(dialog));
  EXPECT_EQ(messages.Only().text, "Update Interval must be between 1 and 3600 seconds");

  f.interval->setText("2.5");
  f.bar->setChecked(true);
  f.power->setChecked(true);
  f.grid->setChecked(false);
  ASSERT_TRUE(PressOk(dialog));
  const TSpectrumPlotOptions& r = dialog.Result();
  EXPECT_FLOAT_EQ(r.plotTop, -20.0f);
  EXPECT_FLOAT_EQ(r.plotRange, 80.0f);
  EXPECT_FLOAT_EQ(r.startFreqHz, 20.0f);
  EXPECT_FLOAT_EQ(r.stopFreqHz, 20000.0f);
  EXPECT_EQ(r.intervalFlag, 1);
  EXPECT_FLOAT_EQ(r.intervalSecs, 2.5f);
  EXPECT_EQ(r.plotType, 1);
  EXPECT_EQ(r.showRmsLevel, 1);
  EXPECT_EQ(r.gridEnabled, 0);
}

TEST(SpectrumOptsDialog, LinearAxisIgnoresTheRangeAndDefaultsKeepOverlays) {
  TRecordedMessages messages;
  TSpectrumPlotOptions current;
  current.plotTop = 150.0f;
  current.plotRange = -3.0f;  // meaningless on a linear axis, and kept as it is
  current.show[1][2] = 1;
  current.overlayLegendSize = 12;
  current.lineColor = 0x123456;
  TSpectrumOptsDialog dialog(nullptr, current, /*logAmplitude=*/false, 24000.0);
  EXPECT_FALSE(dialog.Widgets().range->isEnabled());
  ASSERT_TRUE(PressOk(dialog));
  EXPECT_FLOAT_EQ(dialog.Result().plotRange, -3.0f);
  EXPECT_EQ(dialog.Result().lineColor, 0x123456u);

  dialog.OnDefaults();
  ASSERT_TRUE(PressOk(dialog));
  TSpectrumPlotOptions expected;
  expected.plotRange = -3.0f;  // not shown on a linear axis
  expected.show = current.show;
  expected.overlayLegendSize = current.overlayLegendSize;
  EXPECT_EQ(dialog.Result(), expected);
}

// ---- Overlay Management -------------------------------------------------------------------

void WriteOverlay(const std::string& path, const std::string& legend) {
  std::ofstream file(path);
  file << ";" << legend << "\n100.0\t-10\n200.0\t-12\n400.0\t-20\n";
}

TEST(OverlayDialog, LegendSizeAndSlotsFromTheFolder) {
  TRecordedMessages messages;
  TScratchFolder folder;
  WriteOverlay(OverlayFilePath(folder.Path(), 0, 2), "Reference mic");
  WriteOverlay(OverlayFilePath(folder.Path(), 1, 4), "Right capture");
  EXPECT_EQ(OverlayFilePath(folder.Path(), 1, 4), folder.Path() + "/R4.ovl");

  TSpectrumPlotOptions current;
  current.show[0][0] = 1;  // switched on, but its file is gone
  TOverlayDialog dialog(nullptr, current, folder.Path());
  const auto& f = dialog.Widgets();
  EXPECT_EQ(f.legend[0][1]->text(), "Reference mic");
  EXPECT_EQ(f.legend[1][3]->text(), "Right capture");
  EXPECT_EQ(f.legend[0][2]->text(), dlgtext::kOverlayNoFile);
  EXPECT_TRUE(f.show[0][0]->isEnabled());  // can still be switched off
  EXPECT_FALSE(f.show[0][2]->isEnabled());
  EXPECT_TRUE(f.show[0][1]->isEnabled());

  for (const char* refused : {"3", "25", ""}) {
    messages.Clear();
    f.legendSize->setText(refused);
    EXPECT_FALSE(PressOk(dialog)) << refused;
    EXPECT_EQ(messages.Only().text, "Legend size must be between 4 and 24");
  }
  f.legendSize->setText("4");
  f.show[0][0]->setChecked(false);
  f.show[0][1]->setChecked(true);
  f.show[1][3]->setChecked(true);
  ASSERT_TRUE(PressOk(dialog));
  EXPECT_EQ(dialog.Result().overlayLegendSize, 4);
  EXPECT_EQ(dialog.Result().show[0][0], 0);
  EXPECT_EQ(dialog.Result().show[0][1], 1);
  EXPECT_EQ(dialog.Result().show[1][3], 1);
  f.legendSize->setText("24");
  EXPECT_TRUE(PressOk(dialog));

  dialog.OnDefaults();
  ASSERT_TRUE(PressOk(dialog));
  EXPECT_EQ(dialog.Result().overlayLegendSize, 8);
  EXPECT_EQ(dialog.Result().show, TSpectrumPlotOptions{}.show);
  EXPECT_EQ(dialog.Result().overlayColor, TSpectrumPlotOptions{}.overlayColor);
}

// ---- File I/O Options ---------------------------------------------------------------------

TEST(FileIoOptionsDialog, ChecksInOrderAndStoresMegabytesAsBytes) {
  TRecordedMessages messages;
  TFileIoSettings current;
  current.maxDiskRecordingSizeBytes = 1500000;  // shown as 1 MB
  TFileIoOptionsDialog dialog(nullptr, current);
  const auto& f = dialog.Widgets();
  EXPECT_EQ(f.recordingMb->text(), "1");
  // Disk mode by default: the RAM time is disabled, the size enabled.
  EXPECT_FALSE(f.recordingSecs->isEnabled());
  EXPECT_TRUE(f.recordingMb->isEnabled());
  EXPECT_TRUE(f.makeBackup->isEnabled());

  // An untouched size keeps its exact bytes.
  ASSERT_TRUE(PressOk(dialog));
  EXPECT_EQ(dialog.Result().maxDiskRecordingSizeBytes, 1500000);

  f.bufferSecs->setText("3");
  f.recordingMb->setText("2001");
  EXPECT_FALSE(PressOk(dialog));
  EXPECT_EQ(messages.Only().text, "Real Time Data buffer length must be at least 4 seconds.");
  messages.Clear();
  f.bufferSecs->setText("4");
  f.recordingSecs->setText("3600");
  EXPECT_FALSE(PressOk(dialog));
  EXPECT_EQ(messages.Only().text,
            "Maximum Hard Disk recording size cannot be greater than 2,000 MB (2GB)");
  f.recordingMb->setText("2000");
  f.ram->setChecked(true);
  EXPECT_TRUE(f.recordingSecs->isEnabled());
  EXPECT_FALSE(f.recordingMb->isEnabled());
  EXPECT_FALSE(f.makeBackup->isEnabled());
  ASSERT_TRUE(PressOk(dialog));
  EXPECT_EQ(dialog.Result().waveFileMode, 0);
  EXPECT_EQ(dialog.Result().realTimeWaveBufferLengthSecs, 4);
  EXPECT_EQ(dialog.Result().maxRamRecordingTimeSecs, 3600);
  EXPECT_EQ(dialog.Result().maxDiskRecordingSizeBytes, 2000000000);

  dialog.OnDefaults();
  ASSERT_TRUE(PressOk(dialog));
  EXPECT_EQ(dialog.Result(), TFileIoSettings{});
}

// ---- Set Paths ----------------------------------------------------------------------------

TEST(SetPathsDialog, StoresTheTextsAsTypedAndDefaultsRestoreTheFolders) {
  TPaths current;
  for (size_t i = 0; i < kFolderCount; ++i) current.folders[i] = "/data/" + std::to_string(i);
  TSetPathsDialog dialog(nullptr, current);
  EXPECT_EQ(dialog.windowTitle(), "Set Paths");
  dialog.Fields()[kFolderOverlay]->setText("  not/checked at all ");
  ASSERT_TRUE(PressOk(dialog));
  EXPECT_EQ(dialog.Result().folders[kFolderOverlay], "  not/checked at all ");
  EXPECT_EQ(dialog.Result().folders[kFolderWave], "/data/0");
  dialog.OnDefaults();
  ASSERT_TRUE(PressOk(dialog));
  EXPECT_EQ(dialog.Result(), DefaultPaths());
}

// ---- Scaling Control ----------------------------------------------------------------------

class TAnswerChooser : public TFileChooser {
 public:
  explicit TAnswerChooser(std::string answer) : answer_(std::move(answer)) {}
  std::string Choose(const TFileRequest& request, QWidget*) override {
    asked = request;
    return answer_;
  }
  TFileRequest asked;

 private:
  std::string answer_;
};

TEST(ScalingDialog, FieldsMapToTheRecordAndDependOnEachOther) {
  ScalingSettings current;
  current.octaveNumber = 5;  // unsupported: treated as 1/3
  TAnswerChooser chooser("/mics/left.mic");
  TScalingDialog dialog(nullptr, current, /*channels=*/1, "/mics-start", &chooser);
  const auto& f = dialog.Widgets();
  EXPECT_EQ(f.octave->currentText(), "3");
  EXPECT_FALSE(f.octave->isEnabled());
  EXPECT_FALSE(f.densityType->isEnabled());
  EXPECT_FALSE(f.micLeft->isEnabled());

  f.freqOctave->setChecked(true);
  EXPECT_TRUE(f.octave->isEnabled());
  f.octave->setCurrentIndex(f.octave->findText("24"));
  f.ampLinear->setChecked(true);
  f.density->setChecked(true);
  f.densityType->setCurrentIndex(1);
  f.weighting->setCurrentIndex(1);
  f.mic->setChecked(true);
  EXPECT_TRUE(f.micLeft->isEnabled());
  EXPECT_FALSE(f.micRight->isEnabled());  // mono: the right file is not used

  dialog.BrowseMicFile(0);
  EXPECT_EQ(chooser.asked.filter,
            "Mic Compensation Files (*.mic)|*.mic|Overlay Files (*.ovl)|*.ovl|");
  EXPECT_EQ(chooser.asked.folder, "/mics-start");
  EXPECT_EQ(f.micLeft->text(), "/mics/left.mic");
  EXPECT_EQ(dialog.MicFolder(), "/mics");

  ASSERT_TRUE(PressOk(dialog));
  const ScalingSettings& r = dialog.Result();
  EXPECT_EQ(r.ampScale, 0);
  EXPECT_EQ(r.freqScale, 2);
  EXPECT_EQ(r.octaveNumber, 24);
  EXPECT_EQ(r.spectralDensity, 1);
  EXPECT_EQ(r.spectralDensityType, 1);
  EXPECT_EQ(r.weighting, 1);
  EXPECT_EQ(r.micCompensation, 1);
  EXPECT_EQ(r.micFileLeft, "/mics/left.mic");

  dialog.OnDefaults();
  ASSERT_TRUE(PressOk(dialog));
  const ScalingSettings d = dialog.Result();
  const ScalingSettings defaults;
  EXPECT_EQ(d.ampScale, defaults.ampScale);
  EXPECT_EQ(d.freqScale, defaults.freqScale);
  EXPECT_EQ(d.octaveNumber, defaults.octaveNumber);
  EXPECT_EQ(d.spectralDensity, defaults.spectralDensity);
  EXPECT_EQ(d.weighting, defaults.weighting);
  EXPECT_EQ(d.micCompensation, defaults.micCompensation);
  EXPECT_EQ(d.micFileLeft, "");
}

// ---- Device Selection ---------------------------------------------------------------------

TEST(DeviceDialog, ListsDetailsAndMixers) {
  TRecordedMessages messages;
  TDeviceLists devices{{"USB Mic", "Loopback"}, {"Speakers", "HDMI", "Loopback"}, {}};
  // Each device described by what the audio system knows, so that the text shows whose
  // details it took.
  std::vector<std::pair<TSoundDirection, int>> asked;
  devices.details = [&asked](TSoundDirection direction, int id) {
    asked.emplace_back(direction, id);
    TDeviceDetails d;
    d.known = true;
    d.name = direction == TSoundDirection::Input ? "USB Mic" : "HDMI";
    d.hostApi = "ALSA";
    d.channels = direction == TSoundDirection::Input ? 1 : 8;
    d.defaultRateHz = 48000;
    d.lowLatencySecs = 0.005;
    d.highLatencySecs = 0.02;
    d.probed = true;
    d.rates = direction == TSoundDirection::Input ? std::vector<uint32_t>{44100, 48000}
                                                  : std::vector<uint32_t>{48000, 96000, 192000};
    d.bits = {16, 24};
    return d;
  };
  TDeviceSettings current;
  current.inputDeviceId = 7;  // beyond the list: the last device
  current.outputDeviceId = 1;
  std::vector<MixerSide> mixers;
  TDeviceDialog dialog(nullptr, current, devices,
                       [&mixers](MixerSide side) { mixers.push_back(side); });
  const auto& f = dialog.Widgets();
  EXPECT_EQ(f.input->currentText(), "Loopback");
  EXPECT_EQ(f.output->currentText(), "HDMI");

  f.inputMixer->click();
  f.outputMixer->click();
  EXPECT_EQ(mixers, (std::vector<MixerSide>{MixerSide::Input, MixerSide::Output}));

  f.input->setCurrentIndex(0);
  dialog.ShowDetails();
  EXPECT_EQ(asked, (std::vector<std::pair<TSoundDirection, int>>{{TSoundDirection::Input, 0},
                                                                 {TSoundDirection::Output, 1}}));
  const auto m = messages.Only();
  EXPECT_EQ(m.caption, "Device Details");
  EXPECT_EQ(m.text,
            "Input Device Information:\r"
            "   Device Name = USB Mic\r   Host API = ALSA\r   Channels = 1\r"
            "   Default Sample Rate = 48000 Hz\r   Sample Rates = 44100, 48000 Hz\r"
            "   Sample Widths = 16, 24 bits\r   Default Latency = 5.0 ms (low), 20.0 ms (high)\r"
            "\rOutput Device Information:\r"
            "   Device Name = HDMI\r   Host API = ALSA\r   Channels = 8\r"
            "   Default Sample Rate = 48000 Hz\r   Sample Rates = 48000, 96000, 192000 Hz\r"
            "   Sample Widths = 16, 24 bits\r   Default Latency = 5.0 ms (low), 20.0 ms (high)");

  ASSERT_TRUE(PressOk(dialog));
  EXPECT_EQ(dialog.Result().inputDeviceId, 0);
  EXPECT_EQ(dialog.Result().outputDeviceId, 1);
}

}  // namespace
}  // namespace orvanix
