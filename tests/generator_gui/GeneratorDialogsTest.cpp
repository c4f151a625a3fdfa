// The details dialogs and the output level dialog through their fields: what they refuse,
// with which message, that they stay open on the field at fault, and what OK stores.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <memory>

#include "engine/Messages.h"
#include "generator/DetailsDialog.h"
#include "generator/GeneratorTexts.h"
#include "generator/OutputLevelDialog.h"
#include "generator/SignalTypes.h"
#include "tests/gui/GuiTestHelpers.h"

namespace orvanix {
namespace {

using namespace gentext;

class GeneratorDialogsTest : public ::testing::Test {
 protected:
  // The dialog of `type` for a default record, at 44100 Hz (M = 22050).
  std::unique_ptr<TDetailsDialog> Dialog(int32_t type, const TWavePicker& pick = {}) {
    TSignalRecord record;
    record.type = type;
    return std::unique_ptr<TDetailsDialog>(MakeDetailsDialog(nullptr, type, record, 22050, pick));
  }
  QLineEdit* Field(QWidget* dialog, const char* name) {
    auto* field = dialog->findChild<QLineEdit*>(name);
    EXPECT_NE(field, nullptr) << name;
    return field;
  }
  // Presses OK: true when accepted; else the message shown must be `expected`.
  bool Ok(TDetailsDialog& dialog, const std::string& expected = {}) {
    sink_.Clear();
    dialog.OnOk();
    const bool accepted = dialog.result() == QDialog::Accepted;
    if (!expected.empty()) {
      EXPECT_FALSE(accepted);
      EXPECT_EQ(sink_.Entries().size(), 1u);
      if (!sink_.Entries().empty()) {
        EXPECT_EQ(sink_.Entries().back().text, expected);
      }
    }
    return accepted;
  }

  TRecordingSink sink_;
  TScopedMessageSink scoped_{&sink_};
};

TEST_F(GeneratorDialogsTest, EachTypeHasItsDialogAndTitle) {
  const std::vector<std::pair<int32_t, const char*>> titles = {
      {kSignalNoiseBurst, kNoiseBurstTitle},
      {kSignalMultipleTones, kTonesTitle},
      {kSignalToneBurst, kToneBurstTitle},
      {kSignalImd, kImdTitle},
      {kSignalFreqSweep, kFreqSweepTitle},
      {kSignalLevelSweep, kLevelSweepTitle},
      {kSignalSawtooth, kSawtoothTitle},
      {kSignalTriangular, kTriangularTitle},
      {kSignalPulse, kPulseTitle},
      {kSignalSquare, kSquareTitle},
      {kSignalUserDefined, kUserDefinedTitle},
      {kSignalDtmf, kDtmfTitle}};
  for (const auto& [type, title] : titles) {
    auto dialog = Dialog(type);
    ASSERT_NE(dialog, nullptr) << type;
    EXPECT_EQ(dialog->windowTitle().toStdString(), title);
    // Defaults pass their own checks.
    EXPECT_TRUE(Ok(*dialog)) << title;
  }
  for (int32_t type : {kSignalWhiteNoise, kSignalPinkNoise, kSignalTone1k, kSignalDigitalZero}) {
    EXPECT_EQ(Dialog(type), nullptr);
  }
}

TEST_F(GeneratorDialogsTest, RefusalsStayOpenOnTheFieldAndOkStores) {
  auto burst = Dialog(kSignalNoiseBurst);
  Field(burst.get(), "BurstTimeMsec")->setText("2000");
  EXPECT_FALSE(Ok(*burst, kBurstNotShorter));
  Field(burst.get(), "BurstTimeMsec")->setText("1.5");  // whole milliseconds only
  EXPECT_FALSE(Ok(*burst, kBurstNotPositive));
  Field(burst.get(), "BurstTimeMsec")->setText("250");
  burst->findChild<QRadioButton*>("White")->setChecked(true);
  ASSERT_TRUE(Ok(*burst));
  EXPECT_EQ(burst->Result().noiseBurst.burstTimeMsec, 250);
  EXPECT_EQ(burst->Result().noiseBurst.type, 0);

  auto tones = Dialog(kSignalMultipleTones);
  tones->findChild<QCheckBox*>("ToneEnable3")->setChecked(true);
  Field(tones.get(), "FreqHz3")->setText("30000");
  EXPECT_FALSE(Ok(*tones, "Frequency must be between 0 and 22050 Hz."));
  Field(tones.get(), "FreqHz3")->setText("440");
  Field(tones.get(), "PwrDB3")->setText("-97");
  EXPECT_FALSE(Ok(*tones, "Power must be between -96 and 0 dB."));
  Field(tones.get(), "PwrDB3")->setText("-6");
  Field(tones.get(), "FreqHz5")->setText("99999");  // a row that is off is not checked
  ASSERT_TRUE(Ok(*tones));
  EXPECT_EQ(tones->Result().tones.enable[3], 1);
  EXPECT_EQ(tones->Result().tones.freqHz[3], 440.0f);
  EXPECT_EQ(tones->Result().tones.powerDb[3], -6.0f);

  auto imd = Dialog(kSignalImd);
  imd->findChild<QRadioButton*>("Custom")->setChecked(true);
  Field(imd.get(), "PwrRatio")->setText("12");
  EXPECT_FALSE(Ok(*imd, kImdRatioRange));
  EXPECT_EQ(sink_.Entries().back().icon, MessageIcon::Error);
  Field(imd.get(), "PwrRatio")->setText("2");
  ASSERT_TRUE(Ok(*imd));
  EXPECT_EQ(imd->Result().imd.imdType, 2);

  auto sweep = Dialog(kSignalFreqSweep);
  Field(sweep.get(), "TimeMSec")->setText("600001");
  EXPECT_FALSE(Ok(*sweep, "Sweep time must be between 1 and 600000 Milliseconds."));
  Field(sweep.get(), "TimeMSec")->setText("5000");
  sweep->findChild<QRadioButton*>("Logarithmic")->setChecked(true);
  ASSERT_TRUE(Ok(*sweep));
  EXPECT_EQ(sweep->Result().freqSweep.sweepType, 2);

  auto square = Dialog(kSignalSquare);
  Field(square.get(), "DutyCyclePct")->setText("0");
  EXPECT_FALSE(Ok(*square, "Duty cycle must be between 1 and 99 Percent."));

  auto pulse = Dialog(kSignalPulse);
  Field(pulse.get(), "WidthNSec")->setText("10000");
  EXPECT_FALSE(Ok(*pulse, kPulseWidthNotShorter));

  auto dtmf = Dialog(kSignalDtmf);
  Field(dtmf.get(), "TwistDB")->setText("31");
  EXPECT_FALSE(Ok(*dtmf, kDtmfTwistRange));
  EXPECT_EQ(Field(dtmf.get(), "KeyString")->maxLength(), 100);
  Field(dtmf.get(), "TwistDB")->setText("-2.5");
  Field(dtmf.get(), "KeyString")->setText("911");
  ASSERT_TRUE(Ok(*dtmf));
  EXPECT_EQ(dtmf->Result().dtmf.keyString, "911");
  EXPECT_EQ(dtmf->Result().dtmf.twistDb, -2.5f);

  auto saw = Dialog(kSignalSawtooth);
  Field(saw.get(), "FreqHz")->setText("abc");
  EXPECT_FALSE(Ok(*saw, "Frequency must be between   0.00 and 22050.00 Hz."));
}

TEST_F(GeneratorDialogsTest, UserDefinedPicksItsFile) {
  auto dialog = Dialog(kSignalUserDefined, [](QWidget*, const std::string& current) {
    EXPECT_EQ(current, "");
    return std::string("/data/sweep.wav");
  });
  dialog->findChild<QPushButton*>("Pick")->click();
  ASSERT_TRUE(Ok(*dialog));
  EXPECT_EQ(dialog->Result().userDefined.waveFileName, "/data/sweep.wav");
}

TEST_F(GeneratorDialogsTest, LevelDialogFullScaleChoicesUnitsAndChecks) {
  TGeneratorLevel level;  // "I don't know", dB Full Scale, 0 dB
  TOutputLevelDialog dialog(nullptr, level);
  EXPECT_TRUE(dialog.UnknownChoice()->isChecked());
  EXPECT_EQ(dialog.Units()->count(), 2);  // dB Full Scale and Percent Full Scale
  EXPECT_EQ(dialog.SelectedUnits(), kUnitsDbFs);

  dialog.CardChoice()->setChecked(true);
  EXPECT_EQ(dialog.Units()->count(), kUnitsCount);
  EXPECT_EQ(dialog.SelectedUnits(), kUnitsVolts);
  EXPECT_EQ(dialog.LeftLevel()->text(), "1.0");
  EXPECT_EQ(dialog.RightLevel()->text(), "1.0");
  dialog.Cards()->setCurrentIndex(2);  // "DAL CardD - Jumper Setting 2 (CD) - default"
  EXPECT_EQ(dialog.FullScaleVolts()->text(), "2.13");

  dialog.Units()->setCurrentIndex(kUnitsMillivolts);
  EXPECT_EQ(dialog.LeftLevel()->text(), "100.0");
  dialog.Units()->setCurrentIndex(kUnitsDbU);
  EXPECT_EQ(dialog.LeftLevel()->text(), "0.0");
  dialog.LeftLevel()->setText("9.0");  // above 20 log10(2.13) + 2.21395 = 8.78
  sink_.Clear();
  dialog.OnOk();
  ASSERT_EQ(sink_.Entries().size(), 1u);
  EXPECT_EQ(sink_.Entries()[0].text.rfind("Output Level must be between 8.78", 0), 0u)
      << sink_.Entries()[0].text;
  EXPECT_NE(dialog.result(), QDialog::Accepted);

  dialog.LeftLevel()->setText("-10");
  dialog.OnOk();
  ASSERT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.Result().outputUnits, kUnitsDbU);
  EXPECT_EQ(dialog.Result().fsOption, kFullScaleCard);
  EXPECT_EQ(dialog.Result().fsCardType, 2);
  EXPECT_FLOAT_EQ(dialog.Result().fsLevelVolts, 2.13f);
  EXPECT_EQ(dialog.Result().outputLevel, -10.0f);

  // Back to "I don't know": the units shrink to the two of full scale, levels to "0.0".
  TOutputLevelDialog again(nullptr, dialog.Result());
  EXPECT_EQ(again.SelectedUnits(), kUnitsDbU);
  again.UnknownChoice()->setChecked(true);
  EXPECT_EQ(again.Units()->count(), 2);
  EXPECT_EQ(again.SelectedUnits(), kUnitsDbFs);
  EXPECT_EQ(again.LeftLevel()->text(), "0.0");
  // Entered volts of 0: the full-scale message.
  again.EnteredChoice()->setChecked(true);
  again.FullScaleVolts()->setText("0");
  sink_.Clear();
  again.OnOk();
  ASSERT_EQ(sink_.Entries().size(), 1u);
  EXPECT_EQ(sink_.Entries()[0].text, kFullScaleNotPositive);
}

}  // namespace
}  // namespace orvanix
