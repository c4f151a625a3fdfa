// The import and export formats: their codes, names and file filters, the options the
// import and export dialogs keep while the program runs, and the import's value-to-sample
// conversion.
//
// Values in every format are "sample - zero" of the document's format (8-bit data -127 ...
// 128, 16-bit -32767 ... 32767), frames one after another, left before right:
//   0 ASCII integer    one line per frame, "%d" or "%d,%d"
//   1 ASCII real       the same with "%f" (six decimals)
//   2 binary 8 bit     offset binary: one unsigned byte, 127 for silence
//   3 binary 16 bit    signed little-endian
//   4 binary 32 bit    signed little-endian
//   5 binary float     IEEE single, little-endian
//   6 WFT              a 1538-byte text header and one channel of signed bytes or 16-bit
//                      values (WftFormat.h)
#pragma once

#include <cstdint>
#include <string>

#include "engine/Calibration.h"
#include "engine/WaveFormat.h"

namespace orvanix {

enum TransferFormat : int32_t {
  kAsciiInteger = 0,
  kAsciiReal = 1,
  kBinary8 = 2,
  kBinary16 = 3,
  kBinary32 = 4,
  kBinaryFloat = 5,
  kWft = 6,
  kAudioFile = 7,  // through libsndfile: any file it reads on import, FLAC on export
};
// The seven sample formats; with kAudioFile the formats the dialogs offer.
inline constexpr int32_t kTransferFormatCount = 7;
inline constexpr int32_t kDialogFormatCount = 8;

inline bool IsTextFormat(int32_t format) {
  return format == kAsciiInteger || format == kAsciiReal;
}
inline bool IsValidTransferFormat(int32_t format) {
  return format >= 0 && format < kTransferFormatCount;
}
// Bytes of one value of a binary format (1, 2, 4 or 4); 0 for the text formats and WFT.
uint32_t BinaryValueBytes(int32_t format);
// "ASCII - integer" ... "Waveform File Type (.WFT)", then kAudioFileFormatName; empty for an
// unknown code.
const char* TransferFormatName(int32_t format);
// The classic file filters: "File Import (*.txt)|*.txt|All Files (*.*)|*.*|" for import
// (WFT: "Waveform File Type (*.wft)|*.wft|" without "All Files"), "File Export (...)" for
// export.
std::string ImportFileFilter(int32_t format);
std::string ExportFileFilter(int32_t format);

// How import maps file values to samples.
enum ImportScaling : int32_t {
  kScaleTruncate = 0,  // the values as they are, clamped
  kScaleRescale = 1,   // the file's range stretched over the destination's
  kScaleDefine = 2,    // the largest magnitude to full scale, with a calibration made
};

// The File Import dialog's options, kept while the program runs (first-use defaults).
struct TImportOptions {
  int32_t sourceType = kAsciiInteger;
  uint32_t sampleRateHz = 11025;
  uint32_t channels = 1;
  uint32_t bytesPerSample = 2;  // destination precision: 1, 2 or 3
  bool headerPresent = false;
  int64_t headerSize = 1;  // lines of a text file, bytes of a binary one
  int32_t scaling = kScaleRescale;
  float dataValue = 1.f;    // "A data value of" X ...
  float equalsValue = 1.f;  // ... "equals" Y (in `units`)
  int32_t units = kUnitVolts;
  std::string labelLinear = "Volts";
  std::string labelLog = "dBV";
};

// The units the import dialog offers, in its order, and the labels choosing one fills in.
struct TImportUnit {
  int32_t code;
  const char* text;
  const char* labelLinear;
  const char* labelLog;
};
inline constexpr TImportUnit kImportUnits[] = {
    {kUnitVolts, "Volts", "Volts", "dBV"},
    {kUnitMillivolts, "Millivolts", "Millivolts", "dBmV"},
    {kUnitPascalsAir, "Pascals (in air)", "Pascals", "SPL (dB ref 20uPA)"},
    {kUnitPascalsWater, "Pascals (in water)", "Pascals", "SPL (dB ref 1uPA)"},
    {kUnitAccelerationG, "Acceleration (G)", "Acceleration (G)", "Acceleration (G dB)"},
    {kUnitCustom, "Custom", "", ""},
};
// The entry of a unit code, or nullptr.
const TImportUnit* FindImportUnit(int32_t code);

// The File Export dialog's options, kept while the program runs.
struct TExportOptions {
  int32_t format = kAsciiInteger;
  bool left = true;
  bool right = true;
  uint32_t decimation = 1;  // 1 ... kMaxExportDecimation
};
inline constexpr uint32_t kMaxExportDecimation = 50;

// sample = trunc((value - offset) x factor + zero), clamped to the destination's min ... max.
struct TImportConversion {
  double factor = 1.0;
  double offset = 0.0;
  int32_t zero = 0;
  int32_t minValue = -32767;
  int32_t maxValue = 32767;
  int32_t Convert(double value) const;
};

// The conversion for a scaling option, from the smallest and largest value in the file:
//  rescale:  factor = (max - min of the destination) / (largest - smallest), offset their
//            middle; largest <= smallest counts as 1 and -1;
//  truncate: factor 1, offset 0;
//  define:   factor = (max - zero) / peak with peak the larger of |smallest| and largest (1
//            when 0), offset 0.
TImportConversion ImportConversionFor(int32_t scaling, const WaveFormat& destination,
                                      double smallest, double largest);

// The calibration the "define values" option makes: in use, the fraction X x factor / (max
// - zero) of full scale (1 when 0) equals Y in `units`.
TCalibration DefinedCalibration(const TImportOptions& options, const TImportConversion& conversion,
                                const WaveFormat& destination);

}  // namespace orvanix
