// The bytes of a wave file: the 44-byte header we write, the calibration chunk, and the parser
// that reads any RIFF WAVE file holding integer PCM in 1 or 2 channels of 1 to 3 bytes.
//
// Files we write (all integers little-endian):
//   0 "RIFF", 4 u32 file size - 8 (covers WAVE, fmt and data with its pad byte; not the
//   calibration chunk), 8 "WAVE", 12 "fmt ", 16 u32 16, 20 u16 1 (PCM), 22 u16 channels,
//   24 u32 rate, 28 u32 bytes per second, 32 u16 block align, 34 u16 bits, 36 "data",
//   40 u32 data bytes, 44 the frames, a pad byte when their size is odd, then optionally the
//   calibration chunk at the top level: u32 101, u32 1024, the 1024-byte record.
#pragma once

#include <cstdint>
#include <string>

#include "engine/Calibration.h"
#include "engine/WaveFormat.h"

namespace orvanix {

inline constexpr uint32_t kWaveHeaderBytes = 44;
inline constexpr uint32_t kCalibrationChunkId = 101;
inline constexpr uint32_t kCalibrationRecordBytes = 1024;
inline constexpr uint32_t kCalibrationChunkBytes = 8 + kCalibrationRecordBytes;
// The RIFF size field (36 + data + pad) must fit 32 bits.
inline constexpr uint64_t kMaxWaveDataBytes = 0xFFFFFFFFull - 37;

// Offsets of the calibration record's fields (bytes from the start of the record).
namespace calib_offset {
inline constexpr uint32_t kEnabled = 0;
inline constexpr uint32_t kFileName = 4;  // 260 chars
inline constexpr uint32_t kRefLevel = 264;
inline constexpr uint32_t kRefType = 268;
inline constexpr uint32_t kRefUnits = 272;
inline constexpr uint32_t kLabelLinear = 276;  // 60 chars
inline constexpr uint32_t kLabelLog = 336;     // 60 chars
inline constexpr uint32_t kLabelType = 396;
inline constexpr uint32_t kPctFullScaleLeft = 400;
inline constexpr uint32_t kPctFullScaleRight = 404;
inline constexpr uint32_t kCalRatioLeft = 408;
inline constexpr uint32_t kCalRatioRight = 412;
inline constexpr uint32_t kConversionType = 416;
inline constexpr uint32_t kIntegrationType = 420;
inline constexpr uint32_t kLeftChannelName = 424;   // 40 chars
inline constexpr uint32_t kRightChannelName = 464;  // 40 chars
inline constexpr uint32_t kReserved = 504;          // 520 bytes
}  // namespace calib_offset

// The 44-byte header for `dataBytes` bytes of frames (dataBytes <= kMaxWaveDataBytes).
void BuildWaveHeader(const WaveFormat& format, uint32_t dataBytes, uint8_t* out44);
// The RIFF size field for a file of our layout holding `dataBytes` of frames.
inline uint32_t RiffSizeFor(uint64_t dataBytes) {
  return static_cast<uint32_t>(36 + dataBytes + (dataBytes & 1u));
}

// Field by field, little-endian, into / out of the 1024-byte record. Reading ends every text
// field with a NUL so that no later use of the record can run past a field.
void SerializeCalibration(const TCalibration& record, uint8_t* out1024);
TCalibration DeserializeCalibration(const uint8_t* in1024);
// The 8-byte chunk header and the record.
void BuildCalibrationChunk(const TCalibration& record, uint8_t* out1032);

// What the parser learnt about a file.
struct WaveLayout {
  WaveFormat format;
  uint64_t fileSize = 0;
  uint64_t riffEnd = 0;     // end of the RIFF chunk and its pad byte (at most fileSize)
  uint64_t dataOffset = 0;  // file offset of the first sample byte
  uint64_t dataBytes = 0;   // the data chunk's size field (may end in a partial frame)
  uint32_t frames = 0;      // whole frames in the data chunk; a partial last frame is ignored
  // The header announces more than the file holds. riffCut: the RIFF size runs past the end
  // of the file. dataCut: so does the data size; dataBytes then covers the whole frames
  // present, and frames were lost (the user is to be told).
  bool riffCut = false;
  bool dataCut = false;
  bool hasCalibration = false;
  TCalibration calibration;  // channel names filled in ("Left"/"Right") when empty
};

// Parses an open file. On failure returns false with the message to show in `message`, which
// names `path` and says why. A data chunk without a whole frame is refused unless
// `allowEmpty`. RIFF and data sizes beyond the end of the file are accepted (see riffCut,
// dataCut); a fmt chunk needs 14 bytes. Never reads outside the file or sizes anything by an
// unchecked number from it.
bool ParseWave(int fd, const std::string& path, bool allowEmpty, WaveLayout& layout,
               std::string& message);

// Searches the top level of the file for the calibration chunk: the 1024 bytes after the
// first chunk header with id 101, whatever its size field says. False when there is none or
// fewer than 1024 bytes follow it.
bool FindCalibration(int fd, uint64_t fileSize, TCalibration& record);

}  // namespace orvanix
