#include "acquisition/LoopbackImpulse.h"

#include <fcntl.h>
#include <unistd.h>

#include "acquisition/LoopbackConvolver.h"
#include "files/Riff.h"
#include "files/WaveFileFormat.h"
#include "files/WaveFileIo.h"

namespace orvanix {

bool ReadLoopbackImpulse(const std::string& path, std::vector<float>& taps, std::string& error) {
  taps.clear();
  const std::string name = "The impulse response \"" + path + "\" ";
  const int fd = OpenRegularFile(path, O_RDONLY);
  if (fd < 0) {
    error = name + "cannot be opened.";
    return false;
  }
  WaveLayout layout;
  std::string reason;
  if (!ParseWave(fd, path, false, layout, reason)) {
    ::close(fd);
    error = reason;
    return false;
  }
  const WaveFormat& format = layout.format;
  if (format.channels != 1 || layout.frames > TLoopbackConvolver::kMaxTaps) {
    ::close(fd);
    error =
        name + (format.channels != 1 ? "must have one channel." : "is longer than 2^20 samples.");
    return false;
  }
  std::vector<uint8_t> bytes(size_t{layout.frames} * format.BlockAlign());
  const bool read = ReadAt(fd, layout.dataOffset, bytes.data(), bytes.size());
  ::close(fd);
  if (!read) {
    error = name + "cannot be read.";
    return false;
  }
  const double scale = 2.0 / (static_cast<double>(format.maxValue) - format.minValue);
  taps.resize(layout.frames);
  for (uint32_t i = 0; i < layout.frames; ++i) {
    const int32_t sample = DecodeSample(bytes.data() + size_t{i} * format.bytesPerSample,
                                        format.bytesPerSample, format.zeroValue);
    taps[i] = static_cast<float>((sample - format.zeroValue) * scale);
  }
  return true;
}

}  // namespace orvanix
