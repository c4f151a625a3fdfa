#include "generator/SignalFile.h"

#include <algorithm>
#include <cerrno>
#include <vector>

#include "engine/Messages.h"
#include "files/Riff.h"
#include "files/WaveData.h"
#include "files/WaveFileFormat.h"
#include "files/WaveFileIo.h"
#include "files/WaveTexts.h"
#include "generator/SignalTypes.h"

namespace orvanix {

uint64_t SavedSignalFrames(const TWaveData& buffer, int32_t leftType) {
  const uint64_t length = buffer.CapacityFrames();
  if (length == 0 || !SavedRepeated(leftType)) return length;
  return length * (buffer.Format().sampleRate / length + 1);
}

bool WriteSignalWave(const std::string& path, const TWaveData& buffer, uint64_t frames, bool loop) {
  const WaveFormat& format = buffer.Format();
  const uint32_t align = format.BlockAlign();
  const uint64_t bytes = frames * align;
  if (bytes > kMaxWaveDataBytes) {
    ReportError(kWaveTooLarge);
    return false;
  }
  const uint8_t* memory = buffer.Memory();
  const uint64_t bufferFrames = memory ? buffer.CapacityFrames() : 0;
  // Silence after a signal that plays once: one piece of it, written as often as needed.
  std::vector<uint8_t> silence;
  if (!loop || bufferFrames == 0) {
    silence.assign(size_t{kPieceFrames} * align, format.bytesPerSample == 1 ? 127 : 0);
  }

  int writeError = 0;
  const ReplaceResult result = ReplaceFile(path, [&](int fd) {
    uint8_t header[kWaveHeaderBytes];
    BuildWaveHeader(format, static_cast<uint32_t>(bytes), header);
    uint64_t at = 0;
    bool ok = WriteAt(fd, at, header, sizeof header);
    at += sizeof header;
    uint64_t done = 0;
    while (ok && done < frames) {
      const uint8_t* from = nullptr;
      uint64_t count = 0;
      if (bufferFrames > 0 && (loop || done < bufferFrames)) {
        const uint64_t offset = done % bufferFrames;
        from = memory + offset * align;
        count = std::min(frames - done, bufferFrames - offset);
      } else {
        from = silence.data();
        count = std::min<uint64_t>(frames - done, kPieceFrames);
      }
      ok = WriteAt(fd, at, from, static_cast<size_t>(count * align));
      at += count * align;
      done += count;
    }
    const uint8_t pad = 0;
    if (ok && (bytes & 1u)) ok = WriteAt(fd, at, &pad, 1);
    if (!ok) writeError = errno;
    return ok;
  });
  if (result == ReplaceResult::OpenFailed) {
    ReportError(Format(kFailureOpeningFile, path.c_str()));
    return false;
  }
  if (result == ReplaceResult::WriteFailed) {
    ReportError(writeError == ENOSPC ? kDiskFull : kFailureWritingWaveFile);
    return false;
  }
  return true;
}

}  // namespace orvanix
