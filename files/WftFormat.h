// The Waveform File Type (.wft): a 1538-byte header of NUL-terminated ASCII fields at fixed
// offsets (every other byte 0), then one channel of signed little-endian 16-bit values, or
// single signed bytes when the sample size is 1.
//
// Header fields we write (offset: content): 0 "3", 2 "2", 4 "1", 8 the header size "1538",
// 20 the file size, 32 "21689", 125/128/131 year (since 1900, less 100 from 2000 on), month,
// day, 134 seconds since midnight, 146 frames, 158/194/218 "0", 170 volts per count ("%E"),
// 242 the units label (10 characters), 253 "0", 277 "1", 301 "Sec", 637 "0", 658 bytes per
// sample, 661 bits per sample, 826 "0", 829 "0" (not compressed), 832 "1", 844 frames,
// 856 "1", 868 "0", 1024 frames, 1036 the sample interval ("%E"), 1060/1084/1120/1144/1180
// "0", 1096/1156 "1".
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

#include "engine/Calibration.h"
#include "engine/WaveFormat.h"

namespace orvanix {

inline constexpr uint32_t kWftHeaderBytes = 1538;
// Fewer frames than this are refused on import.
inline constexpr uint32_t kWftMinFrames = 32;

// What import takes from a header.
struct TWftHeader {
  uint64_t dataOffset = kWftHeaderBytes;
  uint32_t bytesPerSample = 2;  // 1 or 2
  uint32_t frames = 0;
  uint32_t sampleRateHz = 0;  // 1 / interval, rounded
  double voltsPerCount = 0.0;
  std::string unitsLabel;
};

// The header for `frames` frames of a document in `format` exported as `bytesPerSample` (1 or
// 2) bytes per value, written at local time `now`. `calibration` is the record in use, or
// nullptr when calibration is off (then 1/32767, or 1/127 for bytes, volts per count and the
// label "Amplitude").
void BuildWftHeader(const WaveFormat& format, uint32_t bytesPerSample, uint32_t frames,
                    const TCalibration* calibration, const std::tm& now, uint8_t* out1538);

// Checks a header read from a file of `fileSize` bytes, in the order the messages are listed
// in TransferTexts.h; false with the message to show (the path in it where it has one).
// Never trusts a number from the file: the data must lie within the file.
bool ParseWftHeader(const uint8_t* header1538, uint64_t fileSize, const std::string& path,
                    TWftHeader& header, std::string& message);

// The calibration an imported WFT file brings: its volts per count s as ratios s x 32767 (the
// left one s x 127 for byte samples), its units label, "SPL dB" for pascals. False (no
// calibration) when s is not a positive number.
bool WftCalibration(const TWftHeader& header, TCalibration& record);

}  // namespace orvanix
