#include "files/WftFormat.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <optional>

#include "engine/Messages.h"
#include "files/TransferNumbers.h"
#include "files/TransferTexts.h"

namespace orvanix {

namespace {

// Longest field text we read: no field of the format needs more, and a field without its
// NUL must not make the parser run on into the next ones.
constexpr uint32_t kMaxFieldChars = 32;

void PutField(uint8_t* header, uint32_t offset, const std::string& text) {
  const size_t room = kWftHeaderBytes - offset - 1;
  std::memcpy(header + offset, text.data(), std::min(text.size(), room));
}

std::string HeaderText(const uint8_t* header, uint32_t offset, uint32_t maxChars) {
  std::string text;
  for (uint32_t i = offset; i < kWftHeaderBytes && i < offset + maxChars && header[i]; ++i) {
    text += static_cast<char>(header[i]);
  }
  return text;
}

std::optional<double> FieldNumber(const uint8_t* header, uint32_t offset) {
  const std::string text = HeaderText(header, offset, kMaxFieldChars);
  double value = 0;
  if (!ParseReal(text, value)) return std::nullopt;
  return value;
}

}  // namespace

void BuildWftHeader(const WaveFormat& format, uint32_t bytesPerSample, uint32_t frames,
                    const TCalibration* calibration, const std::tm& now, uint8_t* out) {
  std::memset(out, 0, kWftHeaderBytes);
  const bool bytes = bytesPerSample == 1;
  const double counts = bytes ? 127.0 : 32767.0;
  const double voltsPerCount = (calibration ? calibration->calRatioLeft : 1.0) / counts;
  int year = now.tm_year;  // years since 1900
  if (year >= 100) year -= 100;
  const uint64_t fileSize = uint64_t{bytesPerSample} * frames + kWftHeaderBytes;
  const uint32_t seconds = static_cast<uint32_t>(now.tm_hour * 3600 + now.tm_min * 60 + now.tm_sec);
  const double interval = 1.0 / (format.sampleRate ? format.sampleRate : 11025);
  std::string label = calibration ? FieldText(calibration->labelLinear) : "Amplitude";
  if (label.size() > 10) label.resize(10);

  PutField(out, 0, "3");
  PutField(out, 2, "2");
  PutField(out, 4, "1");
  PutField(out, 8, std::to_string(kWftHeaderBytes));
  PutField(out, 20, std::to_string(static_cast<uint32_t>(fileSize)));
  PutField(out, 32, "21689");
  PutField(out, 125, std::to_string(year));
  PutField(out, 128, std::to_string(now.tm_mon + 1));
  PutField(out, 131, std::to_string(now.tm_mday));
  PutField(out, 134, std::to_string(seconds));
  PutField(out, 146, std::to_string(frames));
  for (uint32_t offset :
       {158u, 194u, 218u, 253u, 637u, 826u, 829u, 868u, 1060u, 1084u, 1120u, 1144u, 1180u}) {
    PutField(out, offset, "0");
  }
  PutField(out, 170, ScientificText(voltsPerCount));
  PutField(out, 242, label);
  for (uint32_t offset : {277u, 832u, 856u, 1096u, 1156u}) PutField(out, offset, "1");
  PutField(out, 301, "Sec");
  PutField(out, 658, std::to_string(bytesPerSample));
  PutField(out, 661, std::to_string(bytesPerSample * 8));
  PutField(out, 844, std::to_string(frames));
  PutField(out, 1024, std::to_string(frames));
  PutField(out, 1036, ScientificText(interval));
}

bool ParseWftHeader(const uint8_t* h, uint64_t fileSize, const std::string& path,
                    TWftHeader& header, std::string& message) {
  auto bad = [&](uint32_t offset) {
    message = Format(kWftBadField, path.c_str(), offset);
    return false;
  };
  const auto kind = FieldNumber(h, 0);
  if (!kind || *kind != 3) {
    message = kWftNotSupported;
    return false;
  }
  const auto waveform = FieldNumber(h, 4);
  if (!waveform || *waveform != 1) {
    message = kWftNoWaveform;
    return false;
  }
  const auto sampleSize = FieldNumber(h, 658);
  if (!sampleSize || (*sampleSize != 1 && *sampleSize != 2)) {
    message = kWftSampleSize;
    return false;
  }
  const auto compressed = FieldNumber(h, 829);
  if (!compressed) return bad(829);
  if (*compressed != 0) {
    message = kWftCompressed;
    return false;
  }
  const auto frames = FieldNumber(h, 1024);
  if (!frames || *frames < 0 || *frames != std::floor(*frames) || *frames > 4294967295.0) {
    return bad(1024);
  }
  if (*frames < kWftMinFrames) {
    message = kWftTooFewSamples;
    return false;
  }
  const auto interval = FieldNumber(h, 1036);
  if (!interval) return bad(1036);
  const double rate = *interval > 0 ? std::round(1.0 / *interval) : 0.0;
  if (!(rate >= 1.0) || rate > 4294967295.0) {
    message = kWftRate;
    return false;
  }
  const auto offset = FieldNumber(h, 8);
  if (!offset || *offset < 0 || *offset != std::floor(*offset) || *offset > 1e18) return bad(8);
  const auto scale = FieldNumber(h, 170);
  header.voltsPerCount = scale ? *scale : 0.0;
  header.bytesPerSample = static_cast<uint32_t>(*sampleSize);
  header.frames = static_cast<uint32_t>(*frames);
  header.sampleRateHz = static_cast<uint32_t>(rate);
  header.dataOffset = static_cast<uint64_t>(*offset);
  header.unitsLabel = HeaderText(h, 242, 11);
  const uint64_t available =
      fileSize > header.dataOffset ? (fileSize - header.dataOffset) / header.bytesPerSample : 0;
  if (available < header.frames) {
    message = Format(kWftTruncated, path.c_str(), static_cast<unsigned long long>(header.frames),
                     static_cast<unsigned long long>(available));
    return false;
  }
  return true;
}

bool WftCalibration(const TWftHeader& header, TCalibration& record) {
  const double s = header.voltsPerCount;
  if (!(s > 0) || !std::isfinite(s)) return false;
  record = TCalibration{};
  record.enabled = 1;
  record.calRatioRight = static_cast<float>(s * 32767.0);
  record.calRatioLeft = static_cast<float>(header.bytesPerSample == 1 ? s * 127.0 : s * 32767.0);
  record.refLevel = record.calRatioLeft;
  record.refType = kRefPeak;
  SetField(record.labelLinear, header.unitsLabel);
  if (header.unitsLabel != "Pa" && header.unitsLabel != "Pascals") {
    SetField(record.labelLog, header.unitsLabel + " (dB)");
    record.refUnits = kUnitCustom;
  } else {
    SetField(record.labelLog, "SPL dB");
    record.refUnits = kUnitSplAir;
  }
  record.labelType = kRefRms;
  record.pctFullScaleLeft = record.pctFullScaleRight = 1.f;
  record.conversionType = 0;
  record.integrationType = 0;
  FillChannelNames(record);
  return true;
}

}  // namespace orvanix
