// A User Defined signal's wave file: any RIFF WAVE file of integer PCM in 1 or 2 channels of
// 1 to 3 bytes (the wave document's parser), read whole into memory once its length is known
// to fit the generator's bound. Nothing is shown here; the builder reports.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/WaveFormat.h"

namespace orvanix {

class TWaveData;

class TUserWave {
 public:
  TUserWave();
  ~TUserWave();
  TUserWave(const TUserWave&) = delete;
  TUserWave& operator=(const TUserWave&) = delete;

  enum class Result { Opened, Failed, TooLong, NoMemory };
  // Parses the file and, when it holds at most `maxSeconds` seconds at its own rate, reads
  // its samples. Failed: missing, unreadable, malformed or not integer PCM (`Reason()` tells
  // why, when the parser said); TooLong: longer than the bound (the format and frames are
  // known, no samples read); NoMemory: its samples could not be had.
  Result Open(const std::string& path, uint32_t maxSeconds);

  bool IsOpen() const { return data_ != nullptr; }
  const WaveFormat& Format() const { return format_; }
  uint32_t Frames() const { return frames_; }
  const std::string& Reason() const { return reason_; }
  // Sample `frame` of `channel` (channel 1 of a mono file is channel 0), in the file's
  // format; the zero value outside the file.
  int32_t Sample(uint32_t frame, uint32_t channel) const;

 private:
  std::unique_ptr<TWaveData> data_;
  WaveFormat format_;
  uint32_t frames_ = 0;
  std::string reason_;
};

}  // namespace orvanix
