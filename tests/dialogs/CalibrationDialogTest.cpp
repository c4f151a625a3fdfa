// "Amplitude Calibration": the fields and lists, the labels proposed per unit, conversion and
// display type, the ratios of OK against the closed forms, the refused and changed-record
// messages, Defaults, .cal files, and the reference measured through the Loopback device
// from the Options menu's entry function.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>

#include "DialogHelpers.h"
#include "acquisition/LoopbackDevice.h"
#include "acquisition/SoundPort.h"
#include "acquisition/SoundTexts.h"
#include "app/core/AnalyzerCore.h"
#include "app/dialogs/CalibrationDialog.h"
#include "app/dialogs/Dialogs.h"
#include "engine/CalibrationTexts.h"
#include "files/CalibrationFile.h"
#include "files/Configuration.h"
#include "ui/FileDialogs.h"

namespace orvanix {
namespace {

using test::TScratchFolder;
using test::WhenDialogShows;

// Chooses the item with `text` as the user does (the list's activated signal).
void Pick(QComboBox* box, const char* text) {
  const int index = box->findText(QString::fromUtf8(text));
  ASSERT_GE(index, 0) << text;
  box->setCurrentIndex(index);
  emit box->activated(index);
}

// Types into a field as the user does.
void Type(QLineEdit* edit, const char* text) {
  edit->setText(QString::fromUtf8(text));
  emit edit->textEdited(edit->text());
}

std::string Text(const QLineEdit* edit) {
  return edit->text().toStdString();
}

class CalibrationDialogTest : public ::testing::Test {
 protected:
  TCalibrationDialog::Services Services() {
    TCalibrationDialog::Services services;
    services.folder = scratch_.Path();
    services.calibrationFolder = scratch_.File("cal");
    std::filesystem::create_directories(services.calibrationFolder);
    services.chooseFile = [this](bool save, const std::string& folder) {
      requests_.push_back({save, folder});
      return answer_;
    };
    return services;
  }

  struct Request {
    bool save;
    std::string folder;
  };
  TScratchFolder scratch_;
  TRecordingSink sink_;
  TScopedMessageSink scope_{&sink_};
  std::string answer_;
  std::vector<Request> requests_;
};

TEST_F(CalibrationDialogTest, ListsInTheirOrderWithTheirIndexes) {
  TCalibrationDialog dialog(nullptr, DefaultCalibration(), Services());
  EXPECT_EQ(dialog.windowTitle(), "Amplitude Calibration");
  const auto& f = dialog.Widgets();
  const std::vector<std::pair<std::string, int>> units = {{"Volts", 0},
                                                          {"Millivolts", 1},
                                                          {"dBV", 5},
                                                          {"dBmV", 6},
                                                          {"dBu", 7},
                                                          {"SPL dB (in air)", 2},
                                                          {"SPL dB (in water)", 10},
                                                          {"Pascals (in air)", 8},
                                                          {"Pascals (in water)", 11},
                                                          {"Pressure (psi)", 9},
                                                          {"Acceleration (G)", 3},
                                                          {"Custom", 4}};
  ASSERT_EQ(f.units->count(), int(units.size()));
  for (int i = 0; i < f.units->count(); ++i) {
    EXPECT_EQ(f.units->itemText(i).toStdString(), units[i].first);
    EXPECT_EQ(f.units->itemData(i).toInt(), units[i].second);
  }
  for (QComboBox* types : {f.refType, f.labelType}) {
    ASSERT_EQ(types->count(), 3);
    EXPECT_EQ(types->itemText(0), "peak");
    EXPECT_EQ(types->itemText(1), "rms");
    EXPECT_EQ(types->itemText(2), "peak to peak");
  }
  // Conversions only for acceleration; otherwise the list shows "N/A".
  EXPECT_EQ(f.conversion->count(), 1);
  EXPECT_EQ(f.conversion->currentText(), "N/A");
  EXPECT_FALSE(f.conversion->isEnabled());
  Pick(f.units, "Acceleration (G)");
  ASSERT_TRUE(f.conversion->isEnabled());
  const std::vector<std::pair<std::string, int>> conversions = {{"None", 0},
                                                                {"Velocity (ft/sec)", 1},
                                                                {"Velocity (in/sec)", 2},
                                                                {"Velocity (mils/sec)", 7},
                                                                {"Velocity (mm/sec)", 3},
                                                                {"Displacement (ft)", 4},
                                                                {"Displacement (in)", 5},
                                                                {"Displacement (mils)", 8},
                                                                {"Displacement (mm)", 6}};
  ASSERT_EQ(f.conversion->count(), int(conversions.size()));
  for (int i = 0; i < f.conversion->count(); ++i) {
    EXPECT_EQ(f.conversion->itemText(i).toStdString(), conversions[i].first);
    EXPECT_EQ(f.conversion->itemData(i).toInt(), conversions[i].second);
  }
}

TEST_F(CalibrationDialogTest, UnitConversionAndDisplayTypeProposeTheirLabels) {
  TCalibrationDialog dialog(nullptr, DefaultCalibration(), Services());
  const auto& f = dialog.Widgets();
  Pick(f.labelType, "peak");
  EXPECT_EQ(Text(f.labelLinear), "Volts peak");
  EXPECT_EQ(Text(f.labelLog), "dBV peak");
  Pick(f.units, "Acceleration (G)");
  EXPECT_EQ(Text(f.labelLinear), "Acceleration (G) peak");
  EXPECT_EQ(Text(f.labelLog), "Acceleration (G dB) peak");
  Pick(f.conversion, "Velocity (mm/sec)");
  Pick(f.labelType, "rms");
  EXPECT_EQ(Text(f.labelLinear), "Velocity (mm/sec) rms");
  EXPECT_EQ(Text(f.labelLog), "Velocity (mm/sec dB) rms");
  Pick(f.labelType, "peak to peak");
  EXPECT_EQ(Text(f.labelLog), "Velocity (mm/sec dB) p-p");
  Pick(f.units, "Pressure (psi)");
  Pick(f.labelType, "peak");
  EXPECT_EQ(Text(f.labelLinear), "Pressure (psi) Peak");
  Pick(f.units, "SPL dB (in air)");
  EXPECT_EQ(Text(f.labelLinear), "Pascals peak");
  EXPECT_EQ(Text(f.labelLog), "SPL (dB re 20uPA) peak");
  Pick(f.units, "Custom");
  EXPECT_EQ(Text(f.labelLinear), "");
  EXPECT_EQ(Text(f.labelLog), "");

  // A conversion chosen and the unit changed back: stored as none, without integration.
  Pick(f.units, "Acceleration (G)");
  Pick(f.conversion, "Displacement (mils)");
  dialog.OnOk();
  ASSERT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_EQ(dialog.Result().conversionType, 8);
  EXPECT_EQ(dialog.Result().integrationType, 2);
}

TEST_F(CalibrationDialogTest, OkComputesTheRatiosOfTheReference) {
  // 1.0 V rms measured at half of full scale: a full-scale sine is 2.83 V peak.
  TCalibration record = DefaultCalibration();
  TCalibrationDialog volts(nullptr, record, Services());
  Type(volts.Widgets().level, "1.0");
  Pick(volts.Widgets().refType, "rms");
  Type(volts.Widgets().percentLeft, "50");
  Type(volts.Widgets().percentRight, "25");
  EXPECT_TRUE(volts.Widgets().ratios->text().contains("2.82843"))
      << volts.Widgets().ratios->text().toStdString();
  sink_.QueueAnswer(MessageAnswer::No);
  volts.OnOk();
  ASSERT_EQ(volts.result(), QDialog::Accepted);
  EXPECT_NEAR(volts.Result().calRatioLeft, 2.828427, 1e-5);
  EXPECT_NEAR(volts.Result().calRatioRight, 5.656854, 1e-5);
  EXPECT_FLOAT_EQ(volts.Result().pctFullScaleRight, 0.25f);

  // 94 dB SPL (in air), peak, measured at a tenth: 1.0024 Pa, a ratio of 10.024.
  TCalibrationDialog spl(nullptr, record, Services());
  Pick(spl.Widgets().units, "SPL dB (in air)");
  Pick(spl.Widgets().refType, "peak");
  Type(spl.Widgets().level, "94");
  Type(spl.Widgets().percentLeft, "10");
  sink_.QueueAnswer(MessageAnswer::No);
  spl.OnOk();
  ASSERT_EQ(spl.result(), QDialog::Accepted);
  EXPECT_EQ(spl.Result().refUnits, kUnitSplAir);
  EXPECT_NEAR(spl.Result().calRatioLeft, 20e-6 * std::pow(10.0, 94.0 / 20.0) / 0.1, 1e-3);
  EXPECT_NEAR(spl.Result().calRatioLeft, 10.024, 0.001);
}

TEST_F(CalibrationDialogTest, UntouchedRecordClosesWithoutAQuestionAndKeepsItsDigits) {
  TCalibration record = DefaultCalibration();
  record.refUnits = kUnitDbu;
  record.refType = kRefRms;
  record.refLevel = 0.0f;
  record.pctFullScaleLeft = 0.1234567f;
  record.enabled = 1;
  TCalibrationDialog dialog(nullptr, record, Services());
  EXPECT_EQ(dialog.Widgets().units->currentText(), "dBu");
  EXPECT_EQ(Text(dialog.Widgets().percentLeft), "12.3457");  // "%6.4f" percent
  EXPECT_TRUE(dialog.Widgets().enabled->isChecked());
  dialog.OnOk();
  ASSERT_EQ(dialog.result(), QDialog::Accepted);
  EXPECT_TRUE(sink_.Entries().empty());
  EXPECT_FLOAT_EQ(dialog.Result().pctFullScaleLeft, 0.1234567f);
  // 0 dBu is 0.775 V rms.
  EXPECT_NEAR(dialog.Result().calRatioLeft, 0.775 * std::sqrt(2.0) / 0.1234567, 1e-4);
}

TEST_F(CalibrationDialogTest, RefusedValuesKeepTheDialogOpen) {
  TCalibrationDialog dialog(nullptr, DefaultCalibration(), Services());
  dialog.show();
  Type(dialog.Widgets().level, "-0.5");
  dialog.OnOk();
  EXPECT_TRUE(dialog.isVisible());
  ASSERT_EQ(sink_.Entries().size(), 1u);
  EXPECT_EQ(sink_.Entries()[0].text, "The Reference Signal Level cannot be less than zero");
  EXPECT_EQ(sink_.Entries()[0].icon, MessageIcon::Error);
  sink_.Clear();
  Type(dialog.Widgets().level, "one volt");
  dialog.OnOk();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(sink_.Entries().at(0).text, "The Reference Signal Level must be a number");
  sink_.Clear();
  Type(dialog.Widgets().level, "1");
  Type(dialog.Widgets().percentRight, "101");
  dialog.OnOk();
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(sink_.Entries().at(0).text,
            "Detected levels must be between 0 and 100 percent of full scale");
  dialog.reject();
}

TEST_F(CalibrationDialogTest, ChangedRecordAsksToSaveIntoItsFile) {
  const TCalibrationDialog::Services services = Services();
  const std::string file = services.calibrationFolder + "/default.cal";
  {
    TCalibrationDialog dialog(nullptr, DefaultCalibration(), services);
    dialog.show();
    Type(dialog.Widgets().labelLinear, "Volts at the probe");
    // Cancel: back to the dialog.
    sink_.QueueAnswer(MessageAnswer::Cancel);
    dialog.OnOk();
    EXPECT_TRUE(dialog.isVisible());
    ASSERT_EQ(sink_.Entries().size(), 1u);
    EXPECT_EQ(sink_.Entries()[0].text,
              "Calibration file has changed.  Save changes before closing?");
    EXPECT_TRUE(sink_.Entries()[0].question);
    // No: closed with the changes, nothing written.
    sink_.QueueAnswer(MessageAnswer::No);
    dialog.OnOk();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(std::string(dialog.Result().labelLinear), "Volts at the probe");
    EXPECT_FALSE(std::filesystem::exists(file));
  }
  // Yes: written into the record's file ("default.cal" lies in the calibration folder).
  TCalibrationDialog dialog(nullptr, DefaultCalibration(), services);
  Type(dialog.Widgets().level, "2.5");
  sink_.QueueAnswer(MessageAnswer::Yes);
  dialog.OnOk();
  ASSERT_EQ(dialog.result(), QDialog::Accepted);
  TCalibration read = ClearedCalibration();
  ASSERT_EQ(LoadCalibration(file, read), CalibrationLoad::kLoaded);
  EXPECT_FLOAT_EQ(read.refLevel, 2.5f);
  EXPECT_NEAR(read.calRatioLeft, 5.0, 1e-5);  // 2.5 V peak at half of full scale
}

TEST_F(CalibrationDialogTest, DefaultsButton) {
  TCalibration odd = DefaultCalibration();
  odd.refUnits = kUnitAccelerationG;
  odd.conversionType = 5;
  odd.refType = kRefPeakToPeak;
  odd.labelType = kRefRms;
  odd.refLevel = 9.81f;
  odd.pctFullScaleLeft = 0.02f;
  SetField(odd.leftChannelName, "Sensor A");
  SetField(odd.fileName, "/data/shaker.cal");
  TCalibrationDialog dialog(nullptr, odd, Services());
  dialog.OnDefaults();
  const auto& f = dialog.Widgets();
  EXPECT_EQ(f.units->currentText(), "Volts");
  EXPECT_EQ(f.refType->currentText(), "peak");
  EXPECT_EQ(f.labelType->currentText(), "peak");
  EXPECT_EQ(Text(f.level), "1");
  EXPECT_TRUE(f.enabled->isChecked());
  EXPECT_EQ(Text(f.percentLeft), "50.0000");
  EXPECT_EQ(Text(f.percentRight), "50.0000");
  EXPECT_EQ(f.conversion->currentText(), "N/A");
  EXPECT_EQ(Text(f.leftName), "Left");
  EXPECT_EQ(Text(f.rightName), "Right");
  EXPECT_EQ(Text(f.labelLinear), "Volts peak");
  EXPECT_TRUE(dialog.Changed());
  // The file the record belongs to stays.
  EXPECT_EQ(dialog.FilePath(), "/data/shaker.cal");
}

TEST_F(CalibrationDialogTest, OpenAndSaveCalibrationFiles) {
  const std::string path = scratch_.File("mic.cal");
  std::ofstream(path) << "[Calibration]\nRefLevel=94.000000\nRefUnits=2\nRefType=1\n"
                         "LabelLinear=Pascals rms\nLabelLog=SPL (dB re 20uPA) rms\nLabelType=1\n"
                         "PctFullScaleLeft=0.125000\nLeftChannelName=Mic 1\n";
  TCalibration start = DefaultCalibration();
  start.enabled = 0;
  TCalibrationDialog dialog(nullptr, start, Services());
  answer_ = path;
  dialog.LoadFile();
  ASSERT_EQ(requests_.size(), 1u);
  EXPECT_FALSE(requests_[0].save);
  EXPECT_EQ(requests_[0].folder, scratch_.Path());
  const auto& f = dialog.Widgets();
  EXPECT_EQ(f.units->currentText(), "SPL dB (in air)");
  EXPECT_EQ(f.refType->currentText(), "rms");
  EXPECT_EQ(Text(f.level), "94");
  EXPECT_EQ(Text(f.percentLeft), "12.5000");
  EXPECT_EQ(Text(f.percentRight), "50.0000");  // missing key: its default
  EXPECT_EQ(Text(f.leftName), "Mic 1");
  EXPECT_TRUE(f.enabled->isChecked());  // loading switches calibration on
  EXPECT_FALSE(dialog.Changed());
  EXPECT_EQ(dialog.FilePath(), path);

  // Save As writes the fields and makes that file the record's.
  Type(f.level, "114");
  ASSERT_TRUE(dialog.Changed());
  const std::string copy = scratch_.File("sub/copy.cal");
  std::filesystem::create_directories(scratch_.File("sub"));
  answer_ = copy;
  dialog.SaveFile();
  EXPECT_TRUE(requests_.back().save);
  EXPECT_FALSE(dialog.Changed());
  EXPECT_EQ(dialog.Folder(), scratch_.File("sub"));
  TCalibration read = ClearedCalibration();
  ASSERT_EQ(LoadCalibration(copy, read), CalibrationLoad::kLoaded);
  EXPECT_FLOAT_EQ(read.refLevel, 114.0f);
  EXPECT_EQ(std::string(read.leftChannelName), "Mic 1");
  dialog.OnOk();  // nothing changed since the save: no question
  EXPECT_TRUE(sink_.Entries().empty());
  EXPECT_EQ(std::string(dialog.Result().fileName), copy);

  // A file that cannot be read is reported and leaves the fields alone.
  TCalibrationDialog other(nullptr, start, Services());
  answer_ = scratch_.Path();  // a folder
  other.LoadFile();
  EXPECT_FALSE(sink_.Entries().empty());
  EXPECT_EQ(Text(other.Widgets().level), "1");
  EXPECT_FALSE(other.Widgets().enabled->isChecked());
}

TEST_F(CalibrationDialogTest, NothingCanBeUsedWhileTheReferenceIsMeasured) {
  TCalibrationDialog::Services services = Services();
  bool measureEnabled = true, okEnabled = true;
  TCalibrationDialog* self = nullptr;
  services.measure = [&](TCalibration& record) {
    measureEnabled = self->Widgets().measure->isEnabled();
    okEnabled = self->Widgets().level->window()->findChild<QDialogButtonBox*>()->isEnabled();
    self->reject();  // Esc or the close button meanwhile
    record.pctFullScaleLeft = 0.3f;
    record.pctFullScaleRight = 0.2f;
    ComputeRatios(record);
    return true;
  };
  TCalibration start = DefaultCalibration();
  start.enabled = 0;
  TCalibrationDialog dialog(nullptr, start, services);
  self = &dialog;
  dialog.show();
  dialog.Measure();
  EXPECT_FALSE(measureEnabled);
  EXPECT_FALSE(okEnabled);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_TRUE(dialog.Widgets().measure->isEnabled());
  // The measured levels are shown, calibration is on and the record counts as changed.
  EXPECT_EQ(Text(dialog.Widgets().percentLeft), "30.0000");
  EXPECT_EQ(Text(dialog.Widgets().percentRight), "20.0000");
  EXPECT_TRUE(dialog.Widgets().enabled->isChecked());
  EXPECT_TRUE(dialog.Changed());
  dialog.reject();
}

// The entry function on a core whose input is the Loopback device.
class CalibrationEntryTest : public ::testing::Test {
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
    const int in = TSoundPort::FindDevice(TSoundDirection::Input, kLoopbackDeviceName);
    ASSERT_GE(in, 0);
    core_->ChangeSettings(
        [&](TAnalyzerSettings& s) {
          s.devices.inputDeviceId = in;
          s.processing.format = MakeWaveFormat(2, 48000, 2);
          for (auto& folder : s.paths.folders) folder = scratch_.Path();
        },
        SettingsOrigin::Dialog);
    core_->RecreatePorts();
  }
  void TearDown() override {
    TLoopbackDevice::Instance().SetSource({});
    core_.reset();
  }
  static void FeedTone(double amplitude) {
    TLoopbackDevice::Instance().SetSource(
        [amplitude](uint64_t first, uint32_t frames, uint32_t rate, double* l, double* r) {
          const double w = 2.0 * std::numbers::pi * 1000.0 / rate;
          for (uint32_t i = 0; i < frames; ++i) l[i] = r[i] = amplitude * std::sin(w * (first + i));
        });
  }

  TScratchFolder scratch_;
  TRecordingSink sink_;
  TScopedMessageSink scope_{&sink_};
  std::unique_ptr<TAnalyzerCore> core_;
};

TEST_F(CalibrationEntryTest, MeasuredReferenceCalibratesTheAnalyzer) {
  FeedTone(0.25);
  QString shown;
  WhenDialogShows([&shown](QDialog* dialog) {
    auto* calibration = dynamic_cast<TCalibrationDialog*>(dialog);
    ASSERT_NE(calibration, nullptr);
    Type(calibration->Widgets().level, "1");
    Pick(calibration->Widgets().refType, "rms");
    calibration->Measure();
    shown = calibration->Widgets().percentLeft->text();
    calibration->OnOk();
  });
  sink_.QueueAnswer(MessageAnswer::No);
  ASSERT_TRUE(RunCalibrationDialog(nullptr, *core_));
  EXPECT_NEAR(shown.toDouble(), 25.0, 0.25);
  const TCalibration& record = core_->Calibration();
  EXPECT_EQ(record.enabled, 1);
  EXPECT_NEAR(record.pctFullScaleLeft, 0.25, 0.0025);
  // 1 V rms at a quarter of full scale: a full-scale sine is 5.66 V peak.
  EXPECT_NEAR(record.calRatioLeft, std::sqrt(2.0) / record.pctFullScaleLeft, 1e-4);
  EXPECT_NEAR(record.calRatioLeft, 5.657, 0.06);
}

TEST_F(CalibrationEntryTest, ClippedReferenceIsReportedAndChangesNothing) {
  FeedTone(1.3);
  TCalibration before = core_->Calibration();
  QString shown;
  WhenDialogShows([&shown](QDialog* dialog) {
    auto* calibration = dynamic_cast<TCalibrationDialog*>(dialog);
    ASSERT_NE(calibration, nullptr);
    calibration->Measure();
    shown = calibration->Widgets().percentLeft->text();
    calibration->reject();
  });
  EXPECT_FALSE(RunCalibrationDialog(nullptr, *core_));
  EXPECT_TRUE(sink_.Contains(kCalibrationOverloadMessage));
  EXPECT_EQ(shown, "50.0000");  // the overloaded reading is no calibration
  EXPECT_EQ(core_->Calibration().pctFullScaleLeft, before.pctFullScaleLeft);
  EXPECT_EQ(core_->Calibration().enabled, before.enabled);
}

}  // namespace
}  // namespace orvanix
