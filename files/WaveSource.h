// A wave file opened for reading only, for the utilities that read files they must not change
// (the sources of Merge): parsed by the wave reader, read by whole frames.
#pragma once

#include <cstdint>
#include <string>

#include "files/WaveFileFormat.h"

namespace orvanix {

class TWaveSource {
 public:
  TWaveSource() = default;
  ~TWaveSource();
  TWaveSource(const TWaveSource&) = delete;
  TWaveSource& operator=(const TWaveSource&) = delete;

  // False with `message` set (the wave reader's refusal, or the open failure) when the file
  // cannot be read; an empty data chunk is refused too.
  bool Open(const std::string& path, std::string& message);
  const WaveFormat& Format() const { return layout_.format; }
  uint32_t Frames() const { return layout_.frames; }
  // Whole frames from `frame` on; false when they are not all there or cannot be read.
  bool ReadFrames(uint32_t frame, uint32_t count, uint8_t* dest) const;

 private:
  int fd_ = -1;
  WaveLayout layout_;
};

}  // namespace orvanix
