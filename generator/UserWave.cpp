#include "generator/UserWave.h"

#include <fcntl.h>
#include <unistd.h>

#include "files/Riff.h"
#include "files/WaveData.h"
#include "files/WaveFileFormat.h"
#include "files/WaveFileIo.h"

namespace orvanix {

TUserWave::TUserWave() = default;
TUserWave::~TUserWave() = default;

TUserWave::Result TUserWave::Open(const std::string& path, uint32_t maxSeconds) {
  data_.reset();
  frames_ = 0;
  reason_.clear();
  if (path.empty()) return Result::Failed;
  const int fd = OpenRegularFile(path, O_RDONLY);
  if (fd < 0) return Result::Failed;
  WaveLayout layout;
  if (!ParseWave(fd, path, false, layout, reason_)) {
    ::close(fd);
    return Result::Failed;
  }
  format_ = layout.format;
  frames_ = layout.frames;
  if (uint64_t{frames_} > uint64_t{maxSeconds} * format_.sampleRate) {
    ::close(fd);
    return Result::TooLong;
  }
  auto data = std::make_unique<TWaveData>(frames_, format_);
  if (data->Error()) {
    ::close(fd);
    frames_ = 0;
    return Result::NoMemory;
  }
  // Whole frames only; the parser has checked that they lie inside the file.
  const uint64_t bytes = uint64_t{frames_} * format_.BlockAlign();
  const bool read = bytes == 0 || ReadAt(fd, layout.dataOffset, data->Memory(), bytes);
  ::close(fd);
  if (!read) {
    frames_ = 0;
    return Result::Failed;
  }
  data_ = std::move(data);
  return Result::Opened;
}

int32_t TUserWave::Sample(uint32_t frame, uint32_t channel) const {
  if (!data_ || frame >= frames_) return format_.zeroValue;
  const uint32_t bytes = format_.bytesPerSample;
  const uint8_t* p = data_->Memory() + size_t{frame} * format_.BlockAlign() +
                     format_.ChannelIndex(channel) * bytes;
  return DecodeSample(p, bytes, format_.zeroValue);
}

}  // namespace orvanix
