#include "files/TransferFormats.h"

#include <cmath>

#include "engine/Messages.h"
#include "files/TransferTexts.h"

namespace orvanix {

namespace {

// The extension of each format's files.
constexpr const char* kExtensions[kTransferFormatCount] = {"txt", "txt", "8",  "16",
                                                           "32",  "flt", "wft"};

std::string Filter(int32_t format, const char* name) {
  if (!IsValidTransferFormat(format)) return {};
  const char* ext = kExtensions[format];
  return Format("%s (*.%s)|*.%s|", format == kWft ? kWftFilterName : name, ext, ext);
}

}  // namespace

uint32_t BinaryValueBytes(int32_t format) {
  switch (format) {
    case kBinary8:
      return 1;
    case kBinary16:
      return 2;
    case kBinary32:
    case kBinaryFloat:
      return 4;
    default:
      return 0;
  }
}

const char* TransferFormatName(int32_t format) {
  if (format == kAudioFile) return kAudioFileFormatName;
  return IsValidTransferFormat(format) ? kFormatNames[format] : "";
}

std::string ImportFileFilter(int32_t format) {
  if (format == kAudioFile) return std::string(kAudioFilesFilter) + kAllFilesFilter;
  std::string filter = Filter(format, kImportFilterName);
  if (format != kWft && !filter.empty()) filter += kAllFilesFilter;
  return filter;
}

std::string ExportFileFilter(int32_t format) {
  if (format == kAudioFile) return kFlacFilter;
  return Filter(format, kExportFilterName);
}

const TImportUnit* FindImportUnit(int32_t code) {
  for (const TImportUnit& unit : kImportUnits) {
    if (unit.code == code) return &unit;
  }
  return nullptr;
}

int32_t TImportConversion::Convert(double value) const {
  const double sample = std::trunc((value - offset) * factor + zero);
  // NaN never reaches here (the readers refuse it); the comparisons put it at the minimum.
  if (!(sample > minValue)) return minValue;
  if (sample > maxValue) return maxValue;
  return static_cast<int32_t>(sample);
}

TImportConversion ImportConversionFor(int32_t scaling, const WaveFormat& destination,
                                      double smallest, double largest) {
  TImportConversion c;
  c.zero = destination.zeroValue;
  c.minValue = destination.minValue;
  c.maxValue = destination.maxValue;
  switch (scaling) {
    case kScaleRescale:
      if (!(largest > smallest)) {
        largest = 1.0;
        smallest = -1.0;
      }
      c.factor =
          (static_cast<double>(destination.maxValue) - destination.minValue) / (largest - smallest);
      c.offset = (largest + smallest) / 2.0;
      break;
    case kScaleDefine: {
      double peak = std::fmax(std::fabs(smallest), largest);
      if (!(peak > 0)) peak = 1.0;
      c.factor = (static_cast<double>(destination.maxValue) - destination.zeroValue) / peak;
      break;
    }
    default:
      break;
  }
  return c;
}

TCalibration DefinedCalibration(const TImportOptions& o, const TImportConversion& conversion,
                                const WaveFormat& destination) {
  TCalibration record{};
  record.enabled = 1;
  const double range = static_cast<double>(destination.maxValue) - destination.zeroValue;
  float fraction = static_cast<float>(o.dataValue * conversion.factor / range);
  if (fraction == 0.f || !std::isfinite(fraction)) fraction = 1.f;
  record.calRatioLeft = record.calRatioRight = o.equalsValue / fraction;
  record.pctFullScaleLeft = record.pctFullScaleRight = fraction;
  // The units offered are linear ones: the reference level is Y as it stands.
  record.refLevel = o.equalsValue;
  record.refType = kRefPeak;
  record.refUnits = o.units;
  SetField(record.labelLinear, o.labelLinear);
  SetField(record.labelLog, o.labelLog);
  record.labelType = kRefPeak;
  record.conversionType = 0;
  record.integrationType = 0;
  FillChannelNames(record);
  return record;
}

}  // namespace orvanix
