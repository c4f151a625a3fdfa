// Calibration files: the written layout, a round trip, defaults for missing keys and for
// missing or unreadable files.
#include "files/CalibrationFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "engine/Messages.h"
#include "files/ConfigTexts.h"

namespace orvanix {
namespace {

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = testing::TempDir() + "cal-XXXXXX";
    path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~TempFolder() { std::system(("rm -rf '" + path_ + "'").c_str()); }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TCalibration Measured() {
  TCalibration r = DefaultCalibration();
  r.refLevel = 94.0f;
  r.refUnits = kUnitSplAir;
  r.refType = kRefRms;
  r.conversionType = 0;
  r.integrationType = 0;
  SetField(r.labelLinear, "Pascals rms");
  SetField(r.labelLog, "SPL (dB re 20uPA) rms");
  r.labelType = kRefPeakToPeak;
  r.pctFullScaleLeft = 0.1f;
  r.pctFullScaleRight = 0.125f;
  r.calRatioLeft = 10.024f;
  r.calRatioRight = 8.0192f;
  SetField(r.leftChannelName, "Front mic");
  SetField(r.rightChannelName, "Rear mic");
  return r;
}

// The fields a .cal file holds; `enabled` and `fileName` belong to the configuration.
void ExpectSameFileFields(const TCalibration& a, const TCalibration& b) {
  EXPECT_EQ(a.refLevel, b.refLevel);
  EXPECT_EQ(a.refUnits, b.refUnits);
  EXPECT_EQ(a.refType, b.refType);
  EXPECT_EQ(a.conversionType, b.conversionType);
  EXPECT_EQ(a.integrationType, b.integrationType);
  EXPECT_EQ(FieldText(a.labelLinear), FieldText(b.labelLinear));
  EXPECT_EQ(FieldText(a.labelLog), FieldText(b.labelLog));
  EXPECT_EQ(a.labelType, b.labelType);
  EXPECT_EQ(a.pctFullScaleLeft, b.pctFullScaleLeft);
  EXPECT_EQ(a.pctFullScaleRight, b.pctFullScaleRight);
  EXPECT_EQ(a.calRatioLeft, b.calRatioLeft);
  EXPECT_EQ(a.calRatioRight, b.calRatioRight);
  EXPECT_EQ(FieldText(a.leftChannelName), FieldText(b.leftChannelName));
  EXPECT_EQ(FieldText(a.rightChannelName), FieldText(b.rightChannelName));
}

TEST(CalibrationFile, WritesTheKeysInTheirOrderAndFormats) {
  TempFolder folder;
  const std::string path = folder.File("spl.cal");
  ASSERT_TRUE(SaveCalibration(path, Measured()));
  EXPECT_EQ(ReadAll(path),
            "[Calibration]\n"
            "RefLevel=94.000000\n"
            "RefUnits=2\n"
            "RefType=1\n"
            "ConversionType=0\n"
            "IntegrationType=0\n"
            "LabelLinear=Pascals rms\n"
            "LabelLog=SPL (dB re 20uPA) rms\n"
            "LabelType=2\n"
            "PctFullScaleLeft=0.100000\n"
            "PctFullScaleRight=0.125000\n"
            "CalRatioLeft=10.024000\n"
            "CalRatioRight=8.019200\n"
            "LeftChannelName=Front mic\n"
            "RightChannelName=Rear mic\n");
}

TEST(CalibrationFile, RoundTripKeepsTheRecordsOwnFields) {
  TempFolder folder;
  const std::string path = folder.File("spl.cal");
  ASSERT_TRUE(SaveCalibration(path, Measured()));
  TCalibration loaded = ClearedCalibration();
  loaded.enabled = 1;
  SetField(loaded.fileName, "/somewhere/else.cal");
  EXPECT_EQ(LoadCalibration(path, loaded), CalibrationLoad::kLoaded);
  ExpectSameFileFields(loaded, Measured());
  EXPECT_EQ(loaded.enabled, 1);
  EXPECT_EQ(FieldText(loaded.fileName), "/somewhere/else.cal");
}

TEST(CalibrationFile, MissingKeysAndMissingFilesGiveTheDefaults) {
  TRecordingSink sink;
  TScopedMessageSink scope(&sink);
  TempFolder folder;
  const std::string path = folder.File("partial.cal");
  {
    std::ofstream out(path);
    out << "; written by hand\r\n[calibration]\r\nRefLevel=2.5\r\nleftchannelname=Probe\r\n";
  }
  TCalibration loaded = Measured();
  EXPECT_EQ(LoadCalibration(path, loaded), CalibrationLoad::kLoaded);
  TCalibration expected = DefaultCalibration();
  expected.refLevel = 2.5f;
  SetField(expected.leftChannelName, "Probe");
  ExpectSameFileFields(loaded, expected);
  // Independent of the record's defaults: the stated defaults of the file keys.
  EXPECT_EQ(FieldText(loaded.labelLinear), "Volts rms");
  EXPECT_EQ(FieldText(loaded.labelLog), "dBV rms");
  EXPECT_EQ(loaded.labelType, 1);
  EXPECT_EQ(loaded.pctFullScaleRight, 0.5f);
  EXPECT_EQ(loaded.refUnits, 0);
  EXPECT_EQ(FieldText(loaded.rightChannelName), "Right");

  loaded = Measured();
  EXPECT_EQ(LoadCalibration(folder.File("none.cal"), loaded), CalibrationLoad::kMissing);
  ExpectSameFileFields(loaded, DefaultCalibration());
  EXPECT_TRUE(sink.Entries().empty());
}

TEST(CalibrationFile, AnUnreadableFileGivesTheDefaultsAndTellsTheUser) {
  TRecordingSink sink;
  TScopedMessageSink scope(&sink);
  TempFolder folder;
  TCalibration loaded = Measured();
  EXPECT_EQ(LoadCalibration(folder.Path(), loaded), CalibrationLoad::kUnreadable);
  ExpectSameFileFields(loaded, DefaultCalibration());
  ASSERT_EQ(sink.Entries().size(), 1u);
  EXPECT_EQ(sink.Entries()[0].text, Format(kCalibrationUnreadable, folder.Path().c_str()));
  EXPECT_EQ(sink.Entries()[0].icon, MessageIcon::Error);
}

TEST(CalibrationFile, SavingOverAnExistingFileKeepsItsOtherLines) {
  TempFolder folder;
  const std::string path = folder.File("old.cal");
  {
    std::ofstream out(path);
    out << "; bench B, 2019\n[Calibration]\nRefLevel=1.000000\nOperator=jk\n";
  }
  ASSERT_TRUE(SaveCalibration(path, Measured()));
  const std::string text = ReadAll(path);
  EXPECT_EQ(text.rfind("; bench B, 2019\n[Calibration]\nRefLevel=94.000000\nOperator=jk\n", 0), 0u);
  // Labels longer than their fields are cut on reading, never past the buffer.
  const std::string longPath = folder.File("long.cal");
  {
    std::ofstream out(longPath);
    out << "[Calibration]\nLabelLinear=" << std::string(500, 'x') << "\n";
  }
  TCalibration loaded;
  EXPECT_EQ(LoadCalibration(longPath, loaded), CalibrationLoad::kLoaded);
  EXPECT_EQ(FieldText(loaded.labelLinear), std::string(sizeof loaded.labelLinear - 1, 'x'));
}

}  // namespace
}  // namespace orvanix
