#include "files/WaveSource.h"

#include <fcntl.h>
#include <unistd.h>

#include "engine/Messages.h"
#include "files/Riff.h"
#include "files/WaveFileIo.h"
#include "files/WaveTexts.h"

namespace orvanix {

TWaveSource::~TWaveSource() {
  if (fd_ >= 0) ::close(fd_);
}

bool TWaveSource::Open(const std::string& path, std::string& message) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = OpenRegularFile(path, O_RDONLY);
  if (fd_ < 0) {
    message = orvanix::Format(kFailureOpeningFile, path.c_str());
    return false;
  }
  if (!ParseWave(fd_, path, false, layout_, message)) {
    if (message.empty()) message = kWaveFormatInvalid;
    ::close(fd_);
    fd_ = -1;
    return false;
  }
  return true;
}

bool TWaveSource::ReadFrames(uint32_t frame, uint32_t count, uint8_t* dest) const {
  if (fd_ < 0 || uint64_t{frame} + count > layout_.frames) return false;
  const uint64_t align = layout_.format.BlockAlign();
  return ReadAt(fd_, layout_.dataOffset + frame * align, dest, static_cast<size_t>(count * align));
}

}  // namespace orvanix
