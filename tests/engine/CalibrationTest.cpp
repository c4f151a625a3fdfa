// Calibration records, ratios, unit levels and the proposed axis labels.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "engine/Calibration.h"
#include "engine/CalibrationTexts.h"

namespace orvanix {
namespace {

TCalibration Reference(int32_t unit, int32_t type, float level, float left, float right) {
  TCalibration record = DefaultCalibration();
  record.enabled = 1;
  record.refUnits = unit;
  record.refType = type;
  record.refLevel = level;
  record.pctFullScaleLeft = left;
  record.pctFullScaleRight = right;
  return record;
}

TEST(CalibrationRatios, PeakUnitsOfAFullScaleSignal) {
  // 1.0 V rms is 1.4142 V peak; at half of full scale, full scale is 2.828427 V peak.
  TCalibration rms = Reference(kUnitVolts, kRefRms, 1.0f, 0.5f, 0.25f);
  ComputeRatios(rms);
  EXPECT_NEAR(rms.calRatioLeft, 2.828427, 1e-5);
  EXPECT_NEAR(rms.calRatioRight, 5.656854, 1e-5);

  // 94 dB SPL = 20e-6 x 10^(94/20) = 1.0024 Pa peak (reference type peak) at 0.1 of full scale.
  TCalibration spl = Reference(kUnitSplAir, kRefPeak, 94.0f, 0.1f, 0.1f);
  ComputeRatios(spl);
  EXPECT_NEAR(spl.calRatioLeft, 10.024, 1e-3);
  EXPECT_NEAR(spl.calRatioLeft, 20e-6 * std::pow(10.0, 94.0 / 20.0) / 0.1, 1e-4);

  TCalibration pp = Reference(kUnitMillivolts, kRefPeakToPeak, 2.0f, 0.5f, 0.5f);
  ComputeRatios(pp);
  EXPECT_NEAR(pp.calRatioLeft, 2.0, 1e-6);

  TCalibration dbu = Reference(kUnitDbu, kRefPeak, 0.0f, 1.0f, 1.0f);
  ComputeRatios(dbu);
  EXPECT_NEAR(dbu.calRatioLeft, 0.775, 1e-6);
  TCalibration dbv = Reference(kUnitDbV, kRefPeak, 20.0f, 1.0f, 1.0f);
  ComputeRatios(dbv);
  EXPECT_NEAR(dbv.calRatioLeft, 10.0, 1e-5);
  TCalibration dbmv = Reference(kUnitDbMv, kRefPeak, -20.0f, 1.0f, 1.0f);
  ComputeRatios(dbmv);
  EXPECT_NEAR(dbmv.calRatioLeft, 0.1, 1e-6);
  TCalibration water = Reference(kUnitSplWater, kRefPeak, 120.0f, 0.5f, 0.5f);
  ComputeRatios(water);
  EXPECT_NEAR(water.calRatioLeft, 2.0, 1e-5);
  // Linear units take the level as it is.
  TCalibration pascals = Reference(kUnitPascalsAir, kRefPeak, 94.0f, 1.0f, 1.0f);
  ComputeRatios(pascals);
  EXPECT_FLOAT_EQ(pascals.calRatioLeft, 94.0f);
}

TEST(CalibrationRatios, MissingMeasurementOrLevelGivesOne) {
  TCalibration zero = Reference(kUnitVolts, kRefPeak, 1.0f, 0.0f, -0.5f);
  ComputeRatios(zero);
  EXPECT_EQ(zero.calRatioLeft, 1.0f);
  EXPECT_EQ(zero.calRatioRight, 1.0f);
  TCalibration negative = Reference(kUnitVolts, kRefPeak, -1.0f, 0.5f, 0.5f);
  ComputeRatios(negative);
  EXPECT_EQ(negative.calRatioLeft, 1.0f);
  TCalibration huge = Reference(kUnitDbV, kRefPeak, 1e6f, 0.5f, 0.5f);
  ComputeRatios(huge);
  EXPECT_EQ(huge.calRatioLeft, 1.0f);
  TCalibration nan = Reference(kUnitVolts, kRefPeak, std::nanf(""), 0.5f, 0.5f);
  ComputeRatios(nan);
  EXPECT_EQ(nan.calRatioLeft, 1.0f);
}

TEST(CalibrationLevels, LevelToDbPerUnit) {
  const TCalibration off = DefaultCalibration();
  EXPECT_NEAR(LevelToDb(off, 10.0), 20.0, 1e-9);
  EXPECT_DOUBLE_EQ(LevelToDb(off, 0.0), -999.9);
  EXPECT_DOUBLE_EQ(LevelToDb(off, -1.0), -999.9);

  TCalibration on = DefaultCalibration();
  on.enabled = 1;
  on.refUnits = kUnitSplAir;
  EXPECT_NEAR(LevelToDb(on, 1.0024), 94.0, 1e-3);
  on.refUnits = kUnitSplWater;
  EXPECT_NEAR(LevelToDb(on, 1.0), 120.0, 1e-9);
  on.refUnits = kUnitDbu;
  EXPECT_NEAR(LevelToDb(on, 0.775), 0.0, 1e-9);
  on.refUnits = kUnitPsi;
  EXPECT_NEAR(LevelToDb(on, 2.9e-8), 20.0, 1e-6);
  on.refUnits = kUnitAccelerationG;
  EXPECT_NEAR(LevelToDb(on, 0.1), -20.0, 1e-9);
  EXPECT_DOUBLE_EQ(LevelToDb(on, 0.0), -999.9);

  // The dB of a level and the display offset of its unit are the same reference.
  for (int32_t unit = 0; unit < kCalibrationUnitCount; ++unit) {
    on.refUnits = unit;
    EXPECT_NEAR(LevelToDb(on, 3.0) - 20.0 * std::log10(3.0), UnitDbOffset(unit), 1e-3)
        << UnitText(unit);
  }
  EXPECT_EQ(UnitDbOffset(-1), 0.0f);
  EXPECT_EQ(UnitDbOffset(12), 0.0f);
}

TEST(CalibrationLists, UnitsAndConversions) {
  std::set<int32_t> seen;
  for (int i = 0; i < kCalibrationUnitCount; ++i) {
    const UnitEntry& entry = UnitList()[i];
    EXPECT_TRUE(seen.insert(entry.index).second) << entry.text;
    EXPECT_STREQ(UnitText(entry.index), entry.text);
  }
  EXPECT_EQ(seen.size(), 12u);
  EXPECT_STREQ(UnitList()[2].text, "dBV");
  EXPECT_EQ(UnitList()[5].index, kUnitSplAir);
  EXPECT_STREQ(UnitList()[11].text, "Custom");
  EXPECT_EQ(UnitText(12), nullptr);
  EXPECT_EQ(UnitText(-1), nullptr);
  EXPECT_STREQ(ReferenceTypeText(2), "peak to peak");
  EXPECT_EQ(ReferenceTypeText(3), nullptr);

  // Constants and integration follow from the texts: g in ft/s^2, in/s^2, mils/s^2, mm/s^2.
  EXPECT_STREQ(ConversionList()[3].text, "Velocity (mils/sec)");
  EXPECT_EQ(ConversionList()[3].index, 7);
  for (int i = 0; i < kConversionCount; ++i) {
    const ConversionEntry& entry = ConversionList()[i];
    const std::string text = entry.text;
    double expected = 1.0;
    if (text.find("(ft") != std::string::npos) expected = 32.174;
    if (text.find("(in") != std::string::npos) expected = 386.088;
    if (text.find("(mils") != std::string::npos) expected = 386088.0;
    if (text.find("(mm") != std::string::npos) expected = 9806.6352;
    EXPECT_NEAR(ConversionConstant(entry.index), expected, expected * 1e-7) << text;
    const int32_t integration = text.rfind("Velocity", 0) == 0       ? 1
                                : text.rfind("Displacement", 0) == 0 ? 2
                                                                     : 0;
    EXPECT_EQ(ConversionIntegration(entry.index), integration) << text;
  }
  EXPECT_EQ(ConversionConstant(9), 1.0f);
  EXPECT_EQ(ConversionIntegration(-1), 0);
}

struct LabelRow {
  int32_t unit;
  int32_t conversion;
  int32_t type;
  const char* linear;
  const char* log;
};

TEST(CalibrationLabels, DefaultLabelsTable) {
  const LabelRow rows[] = {
      {kUnitVolts, 0, kRefPeak, "Volts peak", "dBV peak"},
      {kUnitDbV, 0, kRefRms, "Volts rms", "dBV rms"},
      {kUnitMillivolts, 0, kRefPeakToPeak, "Millivolts p-p", "dBmV p-p"},
      {kUnitDbMv, 0, kRefPeak, "Millivolts peak", "dBmV peak"},
      {kUnitDbu, 0, kRefRms, "Volts rms", "dBu rms"},
      {kUnitSplAir, 0, kRefPeak, "Pascals peak", "SPL (dB re 20uPA) peak"},
      {kUnitPascalsAir, 0, kRefRms, "Pascals rms", "SPL (dB re 20uPA) rms"},
      {kUnitSplWater, 0, kRefPeakToPeak, "Pascals p-p", "SPL (dB re 1uPA) p-p"},
      {kUnitPascalsWater, 0, kRefPeak, "Pascals peak", "SPL (dB re 1uPA) peak"},
      {kUnitPsi, 0, kRefPeak, "Pressure (psi) Peak", "Pressure (psi dB) peak"},
      {kUnitPsi, 0, kRefRms, "Pressure (psi) rms", "Pressure (psi dB) rms"},
      {kUnitPsi, 0, kRefPeakToPeak, "Pressure (psi) p-p", "Pressure (psi dB) p-p"},
      {kUnitAccelerationG, 0, kRefPeak, "Acceleration (G) peak", "Acceleration (G dB) peak"},
      {kUnitAccelerationG, 1, kRefPeak, "Velocity (ft/sec) peak", "Velocity (ft/sec dB) peak"},
      {kUnitAccelerationG, 3, kRefRms, "Velocity (mm/sec) rms", "Velocity (mm/sec dB) rms"},
      {kUnitAccelerationG, 8, kRefPeak, "Displacement (mils) peak", "Displacement (mils dB) peak"},
      {kUnitAccelerationG, 6, kRefPeakToPeak, "Displacement (mm) p-p", "Displacement (mm dB) p-p"},
      // A conversion only counts with acceleration.
      {kUnitVolts, 3, kRefPeak, "Volts peak", "dBV peak"},
      {kUnitCustom, 0, kRefPeak, "", ""},
      {kUnitCustom, 2, kRefRms, "", ""},
  };
  for (const LabelRow& row : rows) {
    const AxisLabels labels = DefaultLabels(row.unit, row.conversion, row.type);
    EXPECT_EQ(labels.linear, row.linear) << row.unit << "/" << row.conversion;
    EXPECT_EQ(labels.log, row.log) << row.unit << "/" << row.conversion;
  }
}

TEST(CalibrationRecords, DefaultClearedAndDefaultsButton) {
  const TCalibration d = DefaultCalibration();
  EXPECT_EQ(d.enabled, 0);
  EXPECT_EQ(FieldText(d.fileName), "default.cal");
  EXPECT_EQ(d.refUnits, kUnitVolts);
  EXPECT_EQ(FieldText(d.labelLinear), "Volts rms");
  EXPECT_EQ(FieldText(d.labelLog), "dBV rms");
  EXPECT_EQ(d.labelType, kRefRms);
  EXPECT_EQ(d.pctFullScaleLeft, 0.5f);
  EXPECT_EQ(d.calRatioRight, 1.0f);
  EXPECT_EQ(FieldText(d.leftChannelName), "Left");
  EXPECT_EQ(FieldText(d.rightChannelName), "Right");

  const TCalibration c = ClearedCalibration();
  EXPECT_EQ(c.refUnits, kUnitCustom);
  EXPECT_EQ(FieldText(c.labelLinear), "Percent Full Scale");
  EXPECT_EQ(FieldText(c.labelLog), "Relative Amplitude (dB)");
  EXPECT_EQ(c.labelType, kRefPeak);
  EXPECT_EQ(c.pctFullScaleLeft, 1.0f);
  EXPECT_EQ(c.calRatioLeft, 1.0f);
  EXPECT_EQ(c.conversionType, 0);
  EXPECT_EQ(c.integrationType, 0);

  const TCalibration b = DefaultsButtonCalibration();
  EXPECT_EQ(b.enabled, 1);
  EXPECT_EQ(b.refUnits, kUnitVolts);
  EXPECT_EQ(b.refType, kRefPeak);
  EXPECT_EQ(b.labelType, kRefPeak);
  EXPECT_EQ(b.refLevel, 1.0f);
  EXPECT_EQ(b.pctFullScaleLeft, 0.5f);
  EXPECT_EQ(b.pctFullScaleRight, 0.5f);
  EXPECT_EQ(b.conversionType, 0);
  EXPECT_EQ(FieldText(b.labelLinear), "Volts peak");
  EXPECT_EQ(FieldText(b.leftChannelName), "Left");
  EXPECT_FLOAT_EQ(b.calRatioLeft, 2.0f);  // 1 V peak at half of full scale
}

TEST(CalibrationRecords, FillChannelNames) {
  TCalibration record;  // as read from a file: names empty
  FillChannelNames(record);
  EXPECT_EQ(FieldText(record.leftChannelName), "Left");
  EXPECT_EQ(FieldText(record.rightChannelName), "Right");

  SetField(record.leftChannelName, "Microphone");
  for (char& ch : record.rightChannelName) ch = 'x';  // no terminator in the file
  FillChannelNames(record);
  EXPECT_EQ(FieldText(record.leftChannelName), "Microphone");
  EXPECT_EQ(FieldText(record.rightChannelName), std::string(39, 'x'));
}

}  // namespace
}  // namespace orvanix
