// The calibration record: how full-scale-relative amplitudes become engineering units.
// The struct's layout is the 1024-byte record stored in wave files (little-endian).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvanix {

enum CalibrationUnit : int32_t {
  kUnitVolts = 0,
  kUnitMillivolts = 1,
  kUnitSplAir = 2,
  kUnitAccelerationG = 3,
  kUnitCustom = 4,
  kUnitDbV = 5,
  kUnitDbMv = 6,
  kUnitDbu = 7,
  kUnitPascalsAir = 8,
  kUnitPsi = 9,
  kUnitSplWater = 10,
  kUnitPascalsWater = 11,
};
inline constexpr int kCalibrationUnitCount = 12;

enum ReferenceType : int32_t { kRefPeak = 0, kRefRms = 1, kRefPeakToPeak = 2 };

struct TCalibration {
  int32_t enabled = 0;
  char fileName[260] = {};
  float refLevel = 1.0f;
  int32_t refType = kRefPeak;
  int32_t refUnits = kUnitVolts;
  char labelLinear[60] = {};
  char labelLog[60] = {};
  int32_t labelType = kRefRms;
  float pctFullScaleLeft = 0.5f;
  float pctFullScaleRight = 0.5f;
  float calRatioLeft = 1.0f;
  float calRatioRight = 1.0f;
  int32_t conversionType = 0;
  int32_t integrationType = 0;
  char leftChannelName[40] = {};
  char rightChannelName[40] = {};
  uint8_t reserved[520] = {};
};
static_assert(sizeof(TCalibration) == 1024, "the stored calibration record is 1024 bytes");

// Copies text into a fixed field, truncating so that a terminating NUL always fits.
template <size_t N>
void SetField(char (&field)[N], std::string_view text) {
  const size_t n = text.size() < N - 1 ? text.size() : N - 1;
  for (size_t i = 0; i < n; ++i) field[i] = text[i];
  for (size_t i = n; i < N; ++i) field[i] = '\0';
}
// Reads a fixed field that may lack its terminating NUL (records from files).
template <size_t N>
std::string FieldText(const char (&field)[N]) {
  size_t n = 0;
  while (n < N && field[n] != '\0') ++n;
  return std::string(field, n);
}

// The record a configuration starts with: calibration off, "default.cal", 1.0 V peak
// reference, "Volts rms" / "dBV rms" labels shown as rms, fractions 0.5, ratios 1.0.
TCalibration DefaultCalibration();
// The record meaning "no calibration": Custom unit, "Percent Full Scale" and
// "Relative Amplitude (dB)" labels, fractions and ratios 1.0.
TCalibration ClearedCalibration();
// The settings of the calibration dialog's "Defaults" button (calibration enabled): Volts,
// peak reference and display with their proposed labels, level 1.0, fractions 0.5, no
// conversion, "Left" / "Right", ratios computed (2.0). The file name is "default.cal".
TCalibration DefaultsButtonCalibration();

// Fills in "Left" / "Right" for empty channel names (records read from files); a name
// that fills its field without a terminating NUL is cut to 39 characters.
void FillChannelNames(TCalibration& record);

// Ratio = peak value, in the unit, of a full-scale signal, per channel; 1 where the
// reference level or the measured fraction is not positive, or the result not finite.
void ComputeRatios(TCalibration& record);
// A linear calibrated level in dB of the record's unit (-999.9 for value <= 0).
double LevelToDb(const TCalibration& record, double value);
// dB added to logarithmic displays for a unit (SPL, dBu, psi); 0 for others.
float UnitDbOffset(int32_t unit);
// The constant multiplying the calibration factor for a conversion index (1 for none).
float ConversionConstant(int32_t conversion);
// Integration type (0 none, 1 single, 2 double) of a conversion index.
int32_t ConversionIntegration(int32_t conversion);

// Units in the order of the "Units:" list: list position -> unit index and text.
struct UnitEntry {
  int32_t index;
  const char* text;
};
const UnitEntry* UnitList();              // kCalibrationUnitCount entries
const char* UnitText(int32_t unitIndex);  // nullptr for an unknown index
struct ConversionEntry {
  int32_t index;
  const char* text;
};
inline constexpr int kConversionCount = 9;
const ConversionEntry* ConversionList();      // kConversionCount entries, list order
const char* ReferenceTypeText(int32_t type);  // "peak", "rms", "peak to peak"; nullptr else

// Default axis labels proposed for a unit, conversion and display type (0 peak, 1 rms,
// 2 peak to peak; others as peak). The conversion counts only for "Acceleration (G)";
// Custom and unknown units give empty labels.
struct AxisLabels {
  std::string linear;
  std::string log;
};
AxisLabels DefaultLabels(int32_t unit, int32_t conversion, int32_t labelType);

}  // namespace orvanix
