#include "engine/Calibration.h"

#include <cmath>

#include "engine/CalibrationTexts.h"

namespace orvanix {

namespace {

constexpr double kNoLevelDb = -999.9;

// "Units:" list order: list position -> unit index.
constexpr UnitEntry kUnitList[kCalibrationUnitCount] = {
    {kUnitVolts, kUnitTexts[kUnitVolts]},
    {kUnitMillivolts, kUnitTexts[kUnitMillivolts]},
    {kUnitDbV, kUnitTexts[kUnitDbV]},
    {kUnitDbMv, kUnitTexts[kUnitDbMv]},
    {kUnitDbu, kUnitTexts[kUnitDbu]},
    {kUnitSplAir, kUnitTexts[kUnitSplAir]},
    {kUnitSplWater, kUnitTexts[kUnitSplWater]},
    {kUnitPascalsAir, kUnitTexts[kUnitPascalsAir]},
    {kUnitPascalsWater, kUnitTexts[kUnitPascalsWater]},
    {kUnitPsi, kUnitTexts[kUnitPsi]},
    {kUnitAccelerationG, kUnitTexts[kUnitAccelerationG]},
    {kUnitCustom, kUnitTexts[kUnitCustom]},
};

// Conversion list order: list position -> conversion index.
constexpr ConversionEntry kConversionList[kConversionCount] = {
    {0, kConversionTexts[0]}, {1, kConversionTexts[1]}, {2, kConversionTexts[2]},
    {7, kConversionTexts[7]}, {3, kConversionTexts[3]}, {4, kConversionTexts[4]},
    {5, kConversionTexts[5]}, {8, kConversionTexts[8]}, {6, kConversionTexts[6]},
};

// Makes sure a fixed name field ends within itself and is not empty.
template <size_t N>
void FillName(char (&field)[N], const char* fallback) {
  field[N - 1] = '\0';
  if (field[0] == '\0') SetField(field, fallback);
}

std::string Labelled(const char* words, const char* type) {
  return std::string(words) + " " + type;
}

}  // namespace

TCalibration DefaultCalibration() {
  TCalibration record;
  record.enabled = 0;
  SetField(record.fileName, kDefaultCalibrationFile);
  record.refLevel = 1.0f;
  record.refType = kRefPeak;
  record.refUnits = kUnitVolts;
  SetField(record.labelLinear, kDefaultLabelLinear);
  SetField(record.labelLog, kDefaultLabelLog);
  record.labelType = kRefRms;
  record.pctFullScaleLeft = 0.5f;
  record.pctFullScaleRight = 0.5f;
  record.calRatioLeft = 1.0f;
  record.calRatioRight = 1.0f;
  record.conversionType = 0;
  record.integrationType = 0;
  SetField(record.leftChannelName, kDefaultLeftName);
  SetField(record.rightChannelName, kDefaultRightName);
  return record;
}

TCalibration ClearedCalibration() {
  TCalibration record;
  record.enabled = 0;
  record.refLevel = 1.0f;
  record.refType = kRefPeak;
  record.refUnits = kUnitCustom;
  SetField(record.labelLinear, kUncalibratedLabelLinear);
  SetField(record.labelLog, kUncalibratedLabelLog);
  record.labelType = kRefPeak;
  record.pctFullScaleLeft = 1.0f;
  record.pctFullScaleRight = 1.0f;
  record.calRatioLeft = 1.0f;
  record.calRatioRight = 1.0f;
  record.conversionType = 0;
  record.integrationType = 0;
  SetField(record.leftChannelName, kDefaultLeftName);
  SetField(record.rightChannelName, kDefaultRightName);
  return record;
}

TCalibration DefaultsButtonCalibration() {
  TCalibration record = DefaultCalibration();
  record.enabled = 1;
  record.refLevel = 1.0f;
  record.refType = kRefPeak;
  record.refUnits = kUnitVolts;
  record.labelType = kRefPeak;
  const AxisLabels labels = DefaultLabels(kUnitVolts, 0, kRefPeak);
  SetField(record.labelLinear, labels.linear);
  SetField(record.labelLog, labels.log);
  record.pctFullScaleLeft = 0.5f;
  record.pctFullScaleRight = 0.5f;
  record.conversionType = 0;
  record.integrationType = 0;
  SetField(record.leftChannelName, kDefaultLeftName);
  SetField(record.rightChannelName, kDefaultRightName);
  ComputeRatios(record);
  return record;
}

void FillChannelNames(TCalibration& record) {
  FillName(record.leftChannelName, kDefaultLeftName);
  FillName(record.rightChannelName, kDefaultRightName);
}

void ComputeRatios(TCalibration& record) {
  double factor = 1.0;
  if (record.refType == kRefRms) factor = 1.414213562373;
  if (record.refType == kRefPeakToPeak) factor = 0.5;

  const double level = record.refLevel;
  double linear;
  switch (record.refUnits) {
    case kUnitSplAir:
      linear = std::pow(10.0, level * 0.05) * 1e-6 * 20.0;
      break;
    case kUnitSplWater:
      linear = std::pow(10.0, level * 0.05) * 1e-6;
      break;
    case kUnitDbV:
    case kUnitDbMv:
      linear = std::pow(10.0, level * 0.05);
      break;
    case kUnitDbu:
      linear = std::pow(10.0, level * 0.05) * 0.775;
      break;
    default:
      linear = level;
      break;
  }
  const double reference = linear * factor;
  auto ratio = [reference](float fraction) {
    if (!(reference > 0.0) || !(fraction > 0.0f)) return 1.0f;
    const float value = static_cast<float>(reference / fraction);
    // An absurd level (10^(L/20) beyond float) must not spread infinity into the spectra.
    return std::isfinite(value) ? value : 1.0f;
  };
  record.calRatioLeft = ratio(record.pctFullScaleLeft);
  record.calRatioRight = ratio(record.pctFullScaleRight);
}

double LevelToDb(const TCalibration& record, double value) {
  if (!(value > 0.0)) return kNoLevelDb;
  if (!record.enabled) return 20.0 * std::log10(value);
  switch (record.refUnits) {
    case kUnitSplAir:
    case kUnitPascalsAir:
      return 20.0 * std::log10(value * 1e6 * 0.05);
    case kUnitSplWater:
    case kUnitPascalsWater:
      return 20.0 * std::log10(value * 1e6);
    case kUnitDbu:
      return 20.0 * std::log10(value * 1.2903225806451613);
    case kUnitPsi:
      return 20.0 * std::log10(value * 1e9 * 0.3448275862068966);
    default:
      return 20.0 * std::log10(value);
  }
}

float UnitDbOffset(int32_t unit) {
  switch (unit) {
    case kUnitSplAir:
    case kUnitPascalsAir:
      return 93.9794f;
    case kUnitSplWater:
    case kUnitPascalsWater:
      return 120.0f;
    case kUnitPsi:
      return 170.752f;
    case kUnitDbu:
      return 2.213966f;
    default:
      return 0.0f;
  }
}

float ConversionConstant(int32_t conversion) {
  switch (conversion) {
    case 1:
    case 4:
      return 32.174f;
    case 2:
    case 5:
      return 386.088f;
    case 3:
    case 6:
      return 9806.6352f;
    case 7:
    case 8:
      return 386088.0f;
    default:
      return 1.0f;
  }
}

int32_t ConversionIntegration(int32_t conversion) {
  switch (conversion) {
    case 1:
    case 2:
    case 3:
    case 7:
      return 1;
    case 4:
    case 5:
    case 6:
    case 8:
      return 2;
    default:
      return 0;
  }
}

const UnitEntry* UnitList() {
  return kUnitList;
}

const char* UnitText(int32_t unitIndex) {
  if (unitIndex < 0 || unitIndex >= kCalibrationUnitCount) return nullptr;
  return kUnitTexts[unitIndex];
}

const ConversionEntry* ConversionList() {
  return kConversionList;
}

const char* ReferenceTypeText(int32_t type) {
  if (type < 0 || type > kRefPeakToPeak) return nullptr;
  return kReferenceTypeTexts[type];
}

AxisLabels DefaultLabels(int32_t unit, int32_t conversion, int32_t labelType) {
  const int32_t type = labelType >= kRefPeak && labelType <= kRefPeakToPeak ? labelType : kRefPeak;
  const char* word = kLabelTypeWords[type];
  switch (unit) {
    case kUnitVolts:
    case kUnitDbV:
      return {Labelled(kLabelVolts, word), Labelled(kLabelDbV, word)};
    case kUnitMillivolts:
    case kUnitDbMv:
      return {Labelled(kLabelMillivolts, word), Labelled(kLabelDbMv, word)};
    case kUnitDbu:
      return {Labelled(kLabelVolts, word), Labelled(kLabelDbu, word)};
    case kUnitSplAir:
    case kUnitPascalsAir:
      return {Labelled(kLabelPascals, word), Labelled(kLabelSplAir, word)};
    case kUnitSplWater:
    case kUnitPascalsWater:
      return {Labelled(kLabelPascals, word), Labelled(kLabelSplWater, word)};
    case kUnitPsi:
      return {type == kRefPeak ? std::string(kLabelPsiPeak) : Labelled(kLabelPsi, word),
              Labelled(kLabelPsiDb, word)};
    case kUnitAccelerationG: {
      if (conversion <= 0 || conversion >= kConversionCount) {
        return {Labelled(kLabelAcceleration, word), Labelled(kLabelAccelerationDb, word)};
      }
      const std::string text = kConversionTexts[conversion];
      std::string logText = text;
      const size_t close = logText.rfind(')');
      if (close != std::string::npos) logText.insert(close, " dB");
      return {text + " " + word, logText + " " + word};
    }
    default:
      return {};  // Custom and unknown units
  }
}

}  // namespace orvanix
