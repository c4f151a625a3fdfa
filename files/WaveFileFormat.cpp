#include "files/WaveFileFormat.h"

#include <cstring>

#include "engine/Messages.h"
#include "files/Riff.h"
#include "files/WaveTexts.h"

namespace orvanix {

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatExtensible = 0xFFFE;
// The tail of the KSDATAFORMAT_SUBTYPE_PCM GUID after its leading u16 tag 0x0001.
constexpr uint8_t kPcmGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                      0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};
// Bytes of a fmt chunk we look at: the 16 common ones and the extensible sub-format GUID.
constexpr uint32_t kFmtBytesRead = 40;
// The shortest fmt chunk read: tag, channels, rate, bytes per second and block align (a
// WAVEFORMAT without its bits-per-sample field, which is not examined).
constexpr uint32_t kFmtMinBytes = 14;
// Top-level chunks searched for the calibration record: the RIFF chunk and a few after it.
constexpr uint32_t kTopLevelChunks = 64;

template <size_t N>
void PutText(uint8_t* out, const char (&field)[N]) {
  std::memcpy(out, field, N);
}
template <size_t N>
void GetText(char (&field)[N], const uint8_t* in) {
  std::memcpy(field, in, N);
  field[N - 1] = '\0';
}

bool Fail(std::string& message, std::string text) {
  message = std::move(text);
  return false;
}

// Checks the fmt chunk's contents (at least 16 bytes in `fmt`, `size` as stored) and sets the
// format. Refuses anything whose samples we would misread.
bool ReadFormat(const uint8_t* fmt, uint32_t size, const std::string& path, WaveFormat& format,
                std::string& message) {
  const uint16_t tag = GetU16(fmt);
  const uint16_t channels = GetU16(fmt + 2);
  const uint32_t rate = GetU32(fmt + 4);
  const uint16_t blockAlign = GetU16(fmt + 12);
  bool pcm = tag == kFormatPcm;
  if (tag == kFormatExtensible && size >= kFmtBytesRead) {
    pcm = GetU16(fmt + 24) == kFormatPcm && std::memcmp(fmt + 26, kPcmGuidTail, 14) == 0;
  }
  if (!pcm) return Fail(message, Format(kNotIntegerPcm, path.c_str(), unsigned{tag}));
  if (channels == 0 || channels > 2) {
    return Fail(message, Format(kUnsupportedChannels, path.c_str(), unsigned{channels}));
  }
  if (blockAlign == 0 || blockAlign % channels != 0) {
    return Fail(message,
                Format(kInvalidBlockAlign, path.c_str(), unsigned{blockAlign}, unsigned{channels}));
  }
  const uint32_t bytes = blockAlign / channels;
  if (bytes > 3) return Fail(message, Format(kUnsupportedSampleSize, path.c_str(), bytes));
  if (rate == 0) return Fail(message, Format(kZeroSampleRate, path.c_str()));
  format.Set(channels, rate, bytes);
  return true;
}

}  // namespace

void BuildWaveHeader(const WaveFormat& format, uint32_t dataBytes, uint8_t* out) {
  const uint32_t blockAlign = format.BlockAlign();
  const uint64_t perSecond = uint64_t{blockAlign} * format.sampleRate;
  PutU32(out + 0, kRiffId);
  PutU32(out + 4, RiffSizeFor(dataBytes));
  PutU32(out + 8, kWaveId);
  PutU32(out + 12, kFmtId);
  PutU32(out + 16, 16);
  PutU16(out + 20, kFormatPcm);
  PutU16(out + 22, format.channels);
  PutU32(out + 24, format.sampleRate);
  PutU32(out + 28, perSecond > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(perSecond));
  PutU16(out + 32, static_cast<uint16_t>(blockAlign));
  PutU16(out + 34, static_cast<uint16_t>(8 * format.bytesPerSample));
  PutU32(out + 36, kDataId);
  PutU32(out + 40, dataBytes);
}

void SerializeCalibration(const TCalibration& r, uint8_t* out) {
  using namespace calib_offset;
  std::memset(out, 0, kCalibrationRecordBytes);
  PutI32(out + kEnabled, r.enabled);
  PutText(out + kFileName, r.fileName);
  PutF32(out + kRefLevel, r.refLevel);
  PutI32(out + kRefType, r.refType);
  PutI32(out + kRefUnits, r.refUnits);
  PutText(out + kLabelLinear, r.labelLinear);
  PutText(out + kLabelLog, r.labelLog);
  PutI32(out + kLabelType, r.labelType);
  PutF32(out + kPctFullScaleLeft, r.pctFullScaleLeft);
  PutF32(out + kPctFullScaleRight, r.pctFullScaleRight);
  PutF32(out + kCalRatioLeft, r.calRatioLeft);
  PutF32(out + kCalRatioRight, r.calRatioRight);
  PutI32(out + kConversionType, r.conversionType);
  PutI32(out + kIntegrationType, r.integrationType);
  PutText(out + kLeftChannelName, r.leftChannelName);
  PutText(out + kRightChannelName, r.rightChannelName);
  std::memcpy(out + kReserved, r.reserved, sizeof r.reserved);
}

TCalibration DeserializeCalibration(const uint8_t* in) {
  using namespace calib_offset;
  TCalibration r;
  r.enabled = GetI32(in + kEnabled);
  GetText(r.fileName, in + kFileName);
  r.refLevel = GetF32(in + kRefLevel);
  r.refType = GetI32(in + kRefType);
  r.refUnits = GetI32(in + kRefUnits);
  GetText(r.labelLinear, in + kLabelLinear);
  GetText(r.labelLog, in + kLabelLog);
  r.labelType = GetI32(in + kLabelType);
  r.pctFullScaleLeft = GetF32(in + kPctFullScaleLeft);
  r.pctFullScaleRight = GetF32(in + kPctFullScaleRight);
  r.calRatioLeft = GetF32(in + kCalRatioLeft);
  r.calRatioRight = GetF32(in + kCalRatioRight);
  r.conversionType = GetI32(in + kConversionType);
  r.integrationType = GetI32(in + kIntegrationType);
  GetText(r.leftChannelName, in + kLeftChannelName);
  GetText(r.rightChannelName, in + kRightChannelName);
  std::memcpy(r.reserved, in + kReserved, sizeof r.reserved);
  return r;
}

void BuildCalibrationChunk(const TCalibration& record, uint8_t* out) {
  PutU32(out, kCalibrationChunkId);
  PutU32(out + 4, kCalibrationRecordBytes);
  SerializeCalibration(record, out + 8);
}

bool FindCalibration(int fd, uint64_t fileSize, TCalibration& record) {
  TRiffWalker walker(fd, 0, fileSize, kTopLevelChunks);
  RiffChunk chunk;
  for (;;) {
    const RiffStatus status = walker.Next(chunk);
    // A lying size only matters for chunks after this one: the record is read regardless.
    if (status != RiffStatus::Ok && status != RiffStatus::PastLimit) return false;
    if (chunk.id == kCalibrationChunkId) {
      uint8_t bytes[kCalibrationRecordBytes];
      if (!ReadAt(fd, chunk.dataOffset, bytes, sizeof bytes)) return false;
      record = DeserializeCalibration(bytes);
      FillChannelNames(record);
      return true;
    }
    if (status == RiffStatus::PastLimit) return false;
  }
}

bool ParseWave(int fd, const std::string& path, bool allowEmpty, WaveLayout& layout,
               std::string& message) {
  message.clear();
  const char* name = path.c_str();
  if (!FileSizeOf(fd, layout.fileSize)) return Fail(message, Format(kFailureReadingFile, name));

  TRiffWalker top(fd, 0, layout.fileSize, 1);
  RiffChunk riff;
  switch (top.Next(riff)) {
    case RiffStatus::Ok:
      break;
    case RiffStatus::PastLimit:
      // A RIFF size beyond the file: a streaming writer's placeholder or a file cut off.
      // What is there is read; a chunk inside that is cut short decides below.
      if (riff.id == kRiffId) {
        layout.riffCut = true;
        break;
      }
      return Fail(message, Format(kNotRiffWave, name));
    case RiffStatus::ReadError:
      return Fail(message, Format(kFailureReadingFile, name));
    default:
      return Fail(message, Format(kNotRiffWave, name));
  }
  const uint64_t riffLimit = layout.riffCut ? layout.fileSize : riff.End();
  if (riff.id != kRiffId || (!layout.riffCut && riff.size < 4)) {
    return Fail(message, Format(kNotRiffWave, name));
  }
  if (riffLimit - riff.dataOffset < 4) return Fail(message, Format(kChunkPastEnd, name));
  uint8_t form[4];
  if (!ReadAt(fd, riff.dataOffset, form, 4))
    return Fail(message, Format(kFailureReadingFile, name));
  if (GetU32(form) != kWaveId) return Fail(message, Format(kNotRiffWave, name));

  TRiffWalker inner(fd, riff.dataOffset + 4, riffLimit);
  RiffChunk chunk;
  bool haveFmt = false;
  bool haveData = false;
  bool dataBeforeFmt = false;  // then a fmt chunk later only changes the message
  while (!haveData) {
    const RiffStatus status = inner.Next(chunk);
    if (status == RiffStatus::End) break;
    if (status == RiffStatus::PastLimit) {
      // Only sound data cut off at the end of the file is read as far as it goes; any other
      // chunk that runs past its limit leaves nothing we could trust.
      if (chunk.id != kDataId || !haveFmt || riffLimit != layout.fileSize) {
        return Fail(message, Format(kChunkPastEnd, name));
      }
      layout.dataCut = true;
      haveData = true;
      break;
    }
    if (status == RiffStatus::TooMany) return Fail(message, Format(kTooManyChunks, name));
    if (status == RiffStatus::ReadError) return Fail(message, Format(kFailureReadingFile, name));
    if (chunk.id == kFmtId) {
      if (dataBeforeFmt) return Fail(message, Format(kDataBeforeFmt, name));
      if (haveFmt) return Fail(message, Format(kRepeatedFmt, name));
      // 14 bytes hold the tag, channels, rate and block align: all that is read.
      if (chunk.size < kFmtMinBytes) return Fail(message, Format(kFmtTooShort, name));
      uint8_t fmt[kFmtBytesRead] = {};
      const uint32_t take = chunk.size < kFmtBytesRead ? chunk.size : kFmtBytesRead;
      if (!ReadAt(fd, chunk.dataOffset, fmt, take)) {
        return Fail(message, Format(kFailureReadingFile, name));
      }
      if (!ReadFormat(fmt, chunk.size, path, layout.format, message)) return false;
      haveFmt = true;
    } else if (chunk.id == kDataId) {
      if (haveFmt) {
        haveData = true;
      } else {
        dataBeforeFmt = true;
      }
    }
  }
  if (!haveFmt || !haveData) {
    // A RIFF chunk that ends before its size says was cut off before these chunks.
    if (layout.riffCut) return Fail(message, Format(kChunkPastEnd, name));
    return Fail(message, Format(haveFmt ? kNoDataChunk : kNoFmtChunk, name));
  }

  const uint32_t blockAlign = layout.format.BlockAlign();
  layout.dataOffset = chunk.dataOffset;
  // Never more than the file holds: a cut data chunk keeps its whole frames only.
  layout.dataBytes = layout.dataCut ? (riffLimit - chunk.dataOffset) / blockAlign * blockAlign
                                    : uint64_t{chunk.size};
  layout.frames = static_cast<uint32_t>(layout.dataBytes / blockAlign);
  const uint64_t riffEnd = riff.PaddedEnd();
  layout.riffEnd = riffEnd < layout.fileSize ? riffEnd : layout.fileSize;
  if (layout.frames == 0 && !allowEmpty) {
    if (layout.dataCut) return Fail(message, Format(kChunkPastEnd, name));
    if (chunk.size == 0) return Fail(message, Format(kEmptyDataChunk, name));
    return Fail(message, Format(kNoWholeFrame, name, blockAlign));
  }
  layout.hasCalibration = FindCalibration(fd, layout.fileSize, layout.calibration);
  return true;
}

}  // namespace orvanix
