// The Processing Settings dialog driven through its fields: refusals with the exact
// messages and the field resets, the boundaries it accepts, "Defaults", the fields that
// depend on others, and the live "Frequency Range and Resolution" texts.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>

#include "DialogHelpers.h"
#include "acquisition/SoundInput.h"
#include "acquisition/SoundTexts.h"
#include "app/dialogs/SettingsDialog.h"
#include "engine/SettingsTexts.h"
#include "engine/Smoothing.h"

namespace orvanix {
namespace {

using test::TRecordedMessages;

TProcessingContext DeviceUpTo48k(bool postProcessing) {
  TProcessingContext context;
  context.postProcessing = postProcessing;
  context.input = CapabilitiesFromLimits(RateLimits{8000, 48000, false});
  return context;
}

class SettingsDialogTest : public ::testing::Test {
 protected:
  void Open(const TProcessingContext& context) {
    dialog_ = std::make_unique<TSettingsDialog>(nullptr, current_, context);
  }
  const TSettingsDialog::Fields& F() const { return dialog_->Widgets(); }
  // Presses OK; true when the dialog closed accepted.
  bool Ok() {
    dialog_->setResult(QDialog::Rejected);
    dialog_->OnOk();
    return dialog_->result() == QDialog::Accepted;
  }

  ProcessingSettings current_;
  std::unique_ptr<TSettingsDialog> dialog_;
  TRecordedMessages messages_;
};

TEST_F(SettingsDialogTest, RateAboveTheDeviceRangeShowsTheRangeMessage) {
  Open(DeviceUpTo48k(false));
  F().rate->setEditText("96000");
  EXPECT_FALSE(Ok());
  const auto m = messages_.Only();
  EXPECT_EQ(m.text,
            "The Sound Board does not support the selected Sampling Rate.  Rate must be between "
            "8000 Hz and 48000 Hz.");
  EXPECT_EQ(m.caption, kProgramTitle);
  // A continuous range leaves the typed rate for the user to correct.
  EXPECT_EQ(F().rate->currentText(), "96000");
  F().rate->setEditText("48000");
  EXPECT_TRUE(Ok());
  EXPECT_EQ(dialog_->Result().format.sampleRate, 48000u);
}

TEST_F(SettingsDialogTest, RateListOffersOnlyWhatTheDeviceTakes) {
  Open(DeviceUpTo48k(false));
  QStringList offered;
  for (int i = 0; i < F().rate->count(); ++i) offered << F().rate->itemText(i);
  EXPECT_EQ(offered.first(), "8000");
  EXPECT_EQ(offered.last(), "48000");
  EXPECT_FALSE(offered.contains("5512"));
  EXPECT_FALSE(offered.contains("96000"));
  EXPECT_EQ(F().rate->currentText(), "44100");
}

TEST_F(SettingsDialogTest, FixedRateDeviceResetsTheRateField) {
  TProcessingContext context;
  context.input = CapabilitiesFromLimits(RateLimits{11025, 44100, true});
  Open(context);
  F().rate->setEditText("48000");
  EXPECT_FALSE(Ok());
  EXPECT_EQ(messages_.Only().text, "Sampling Rate must be either 11025, 22050 or 44100 Hz");
  EXPECT_EQ(F().rate->currentText(), "44100");
}

TEST_F(SettingsDialogTest, VirtualDeviceRefusesRatesOutsideWhatAnyDeviceIsAskedAbout) {
  const int loopback = TSoundPort::FindDevice(TSoundDirection::Input, kLoopbackDeviceName);
  ASSERT_GE(loopback, 0);
  TSoundInput port(loopback);
  TProcessingContext context;
  context.input = CapabilitiesOf(port);
  Open(context);
  F().rate->setEditText("500");
  EXPECT_FALSE(Ok());
  EXPECT_EQ(messages_.Only().text,
            Format(kSoundRateRange, static_cast<long>(TSoundPort::kMinRateHz),
                   static_cast<long>(TSoundPort::kMaxRateHz)));
  F().rate->setEditText("192000");
  F().bits24->setChecked(true);
  F().stereo->setChecked(true);
  EXPECT_TRUE(Ok());
  EXPECT_EQ(dialog_->Result().format.sampleRate, 192000u);
  EXPECT_EQ(dialog_->Result().format.bytesPerSample, 3);
  EXPECT_EQ(dialog_->Result().format.channels, 2);
}

TEST_F(SettingsDialogTest, DecimationBoundaries) {
  Open(DeviceUpTo48k(false));
  for (const char* refused : {"0", "51"}) {
    messages_.Clear();
    F().decimation->SetText(refused);
    EXPECT_FALSE(Ok()) << refused;
    const auto m = messages_.Only();
    EXPECT_EQ(m.text, "Decimation Ratio must be between 1 and 50");
    EXPECT_EQ(m.icon, MessageIcon::Information);
    EXPECT_EQ(F().decimation->Text(), refused);  // left in place
  }
  for (const char* accepted : {"1", "50"}) {
    F().decimation->SetText(accepted);
    EXPECT_TRUE(Ok()) << accepted;
    EXPECT_EQ(dialog_->Result().decimationRatio, QString(accepted).toInt());
  }
}

TEST_F(SettingsDialogTest, OverlapCheckedOnlyInPostProcessing) {
  Open(DeviceUpTo48k(true));
  EXPECT_TRUE(F().overlap->isEnabled());
  F().overlap->SetText("100");
  EXPECT_FALSE(Ok());
  EXPECT_EQ(messages_.Only().text, "Overlap Percentage must be between 0 and 99%");
  EXPECT_EQ(F().overlap->Text(), "50");  // reset
  F().overlap->SetText("99");
  EXPECT_TRUE(Ok());
  EXPECT_EQ(dialog_->Result().overlapPercent, 99);

  // Real-Time: the field is disabled and whatever it holds is neither checked nor kept.
  current_.overlapPercent = 10;
  Open(DeviceUpTo48k(false));
  EXPECT_FALSE(F().overlap->isEnabled());
  F().overlap->SetText("100");
  messages_.Clear();
  EXPECT_TRUE(Ok());
  EXPECT_TRUE(messages_.Entries().empty());
  EXPECT_EQ(dialog_->Result().overlapPercent, 10);
}

TEST_F(SettingsDialogTest, DelayBoundaries) {
  Open(DeviceUpTo48k(false));
  F().delay->setText("1000.5");
  EXPECT_FALSE(Ok());
  EXPECT_EQ(messages_.Only().text, "Delay must be between 0 and 1,000 milliseconds");
  EXPECT_EQ(F().delay->text(), "1000.5");
  F().delay->setText("1000");
  EXPECT_TRUE(Ok());
  EXPECT_FLOAT_EQ(dialog_->Result().delayTimeMsec, 1000.0f);
}

TEST_F(SettingsDialogTest, FirstFailureOnlyIsReported) {
  Open(DeviceUpTo48k(true));
  F().decimation->SetText("51");
  F().overlap->SetText("100");
  F().delay->setText("-1");
  EXPECT_FALSE(Ok());
  EXPECT_EQ(messages_.Only().text, "Decimation Ratio must be between 1 and 50");
  EXPECT_EQ(F().overlap->Text(), "100");  // not reached, not reset
}

TEST_F(SettingsDialogTest, DefaultsSetTheDocumentedValues) {
  current_.format = MakeWaveFormat(2, 8000, 1);
  current_.fftSize = 256;
  current_.decimationRatio = 7;
  current_.lowPassFilter = 0;
  current_.averageBlocks = 20;
  current_.averageType = kAverageVector;
  current_.peakHold = 1;
  current_.smoothingWindow = kWindowBlackman;
  current_.overlapPercent = 5;
  current_.channelProcessing = kCoherence;
  current_.delayChannel = 1;
  current_.delayTimeMsec = 12.5f;
  current_.overloadDetection = 0;
  current_.excludeOverloaded = 1;
  current_.rateCorrection = 1.001f;
  Open(DeviceUpTo48k(true));
  dialog_->OnDefaults();
  ASSERT_TRUE(Ok());
  const ProcessingSettings& r = dialog_->Result();
  EXPECT_EQ(r.format.sampleRate, 44100u);
  EXPECT_EQ(r.format.bytesPerSample, 2);
  EXPECT_EQ(r.format.channels, 1);
  EXPECT_EQ(r.fftSize, 4096);
  EXPECT_EQ(r.decimationRatio, 1);
  EXPECT_EQ(r.lowPassFilter, 1);
  EXPECT_EQ(r.averageBlocks, 1);
  EXPECT_EQ(r.averageType, kAverageExponential);
  EXPECT_EQ(r.peakHold, 0);
  EXPECT_EQ(r.smoothingWindow, kWindowHanning);
  EXPECT_EQ(r.overlapPercent, 50);
  EXPECT_EQ(r.channelProcessing, kLeftOnly);
  EXPECT_EQ(r.delayChannel, 0);
  EXPECT_FLOAT_EQ(r.delayTimeMsec, 0.0f);
  EXPECT_EQ(r.overloadDetection, 1);
  EXPECT_EQ(r.excludeOverloaded, 0);
  // The correction factor belongs to the program settings, not to this dialog.
  EXPECT_FLOAT_EQ(r.rateCorrection, 1.001f);
}

TEST_F(SettingsDialogTest, DualChannelListFollowsStereo) {
  Open(DeviceUpTo48k(false));
  EXPECT_FALSE(F().channelProcessing->isEnabled());
  F().stereo->setChecked(true);
  EXPECT_TRUE(F().channelProcessing->isEnabled());
  F().channelProcessing->setCurrentIndex(kTransferAndCoherenceRL);
  EXPECT_EQ(F().channelProcessing->currentText(), "Complex Transfer (R/L) and Coherence");
  ASSERT_TRUE(Ok());
  EXPECT_EQ(dialog_->Result().channelProcessing, kTransferAndCoherenceRL);
  F().mono->setChecked(true);
  EXPECT_FALSE(F().channelProcessing->isEnabled());
}

TEST_F(SettingsDialogTest, AveragingListMapsInfinite) {
  current_.averageBlocks = 12;  // not in the list: the last entry
  Open(DeviceUpTo48k(false));
  EXPECT_EQ(F().averageBlocks->currentText(), "Infinite");
  ASSERT_TRUE(Ok());
  EXPECT_EQ(dialog_->Result().averageBlocks, kInfiniteAverages);
  F().averageBlocks->setCurrentIndex(F().averageBlocks->findText("200"));
  ASSERT_TRUE(Ok());
  EXPECT_EQ(dialog_->Result().averageBlocks, 200);
}

TEST_F(SettingsDialogTest, DerivedTextsFollowTheFields) {
  Open(DeviceUpTo48k(true));
  // 44100 Hz, N = 4096, D = 1, no overlap yet: 44100/4096 = 10.767 Hz per line,
  // 22050 Hz limit, 4096/44100 s = 92.88 ms.
  EXPECT_EQ(F().lineResolution->text(), "10.767 Hz");
  EXPECT_EQ(F().frequencyLimit->text(), "22050.000 Hz");
  EXPECT_EQ(F().timeResolution->text(), "92.88 (msecs)");
  F().rate->setEditText("48000");
  F().fftSize->setCurrentIndex(F().fftSize->findText("1024"));
  F().decimation->SetText("4");
  F().overlap->SetText("50");
  // 48000/1024/4 = 11.719; 48000/2/4 = 6000; 4 x 1000 x 0.5 x 1024 / 48000 = 42.67 ms.
  EXPECT_EQ(F().lineResolution->text(), "11.719 Hz");
  EXPECT_EQ(F().frequencyLimit->text(), "6000.000 Hz");
  EXPECT_EQ(F().timeResolution->text(), "42.67 (msecs)");
  F().decimation->SetText("x");
  EXPECT_EQ(F().lineResolution->text(), "");
}

TEST_F(SettingsDialogTest, FormatFieldsDisabledWhileAFileGivesTheFormat) {
  TProcessingContext context = DeviceUpTo48k(true);
  context.formatEditable = false;
  current_.format = MakeWaveFormat(2, 96000, 2);
  Open(context);
  EXPECT_FALSE(F().rate->isEnabled());
  EXPECT_FALSE(F().stereo->isEnabled());
  // Stereo from the file: the dual-channel list is open even though the rate is beyond the
  // device, which is not asked.
  EXPECT_TRUE(F().channelProcessing->isEnabled());
  EXPECT_TRUE(Ok());
  EXPECT_EQ(dialog_->Result().format.sampleRate, 96000u);
}

TEST_F(SettingsDialogTest, ScrollBarAndEditMoveTogether) {
  Open(DeviceUpTo48k(true));
  F().decimation->Bar()->setValue(12);
  EXPECT_EQ(F().decimation->Text(), "12");
  F().decimation->SetText("30");
  EXPECT_EQ(F().decimation->Bar()->value(), 30);
  F().decimation->SetText("70");  // out of range: the bar stays
  EXPECT_EQ(F().decimation->Bar()->value(), 30);
}

}  // namespace
}  // namespace orvanix
