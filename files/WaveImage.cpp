#include "files/WaveImage.h"

#include <unistd.h>

#include <new>

#include "engine/Messages.h"
#include "files/EditTexts.h"
#include "files/Riff.h"
#include "files/WaveFileFormat.h"
#include "files/WaveFileIo.h"
#include "files/WaveTexts.h"

namespace orvanix {

bool MakeWaveImage(const TWaveFile& document, uint32_t start, uint32_t end, TWaveImage& image) {
  image = {};
  if (end > document.Length()) end = document.Length();
  if (start > end) start = end;
  const uint64_t align = document.BlockAlign();
  const uint64_t dataBytes = uint64_t{end - start} * align;
  if (dataBytes > kMaxWaveDataBytes) {
    ReportError(kWaveTooLarge);
    return false;
  }
  // An odd data chunk keeps its pad byte, as the RIFF size counts it.
  const uint64_t total = kWaveHeaderBytes + dataBytes + (dataBytes & 1u);
  std::unique_ptr<uint8_t[]> bytes(new (std::nothrow) uint8_t[static_cast<size_t>(total)]);
  if (!bytes) {
    ReportError(kInsufficientMemory);
    return false;
  }
  BuildWaveHeader(document.Format(), static_cast<uint32_t>(dataBytes), bytes.get());
  uint8_t* out = bytes.get() + kWaveHeaderBytes;
  if (dataBytes & 1u) bytes[total - 1] = 0;
  for (uint32_t frame = start; frame < end;) {
    const uint32_t n = std::min(kPieceFrames, end - frame);
    if (!document.ReadFrames(frame, n, out)) {
      ReportError(kFailureWritingWaveFile);
      return false;
    }
    out += size_t{n} * align;
    frame += n;
  }
  image.bytes = std::move(bytes);
  image.size = static_cast<size_t>(total);
  return true;
}

std::unique_ptr<TWaveFile> OpenWaveImage(const uint8_t* bytes, size_t size,
                                         const std::string& tempDir, StorageMode mode,
                                         bool asDocument) {
  std::string path;
  const int fd = CreateTemporaryFile(tempDir, path);
  if (fd < 0) {
    ReportError(Format(kFailureOpeningFile, path.c_str()));
    return nullptr;
  }
  const bool written = WriteAt(fd, 0, bytes, size);
  const bool closed = ::close(fd) == 0;
  if (!written || !closed) {
    ::unlink(path.c_str());
    ReportError(kFailureWritingWaveFile);
    return nullptr;
  }
  // What the wave reader says about another program's data would name our temporary file:
  // one message about the clipboard says more.
  TRecordingSink quiet;
  std::unique_ptr<TWaveFile> wave;
  {
    TScopedMessageSink scope(&quiet);
    const StorageMode opened = asDocument ? mode : StorageMode::Disk;
    wave = std::make_unique<TWaveFile>(path, opened, asDocument, tempDir);
  }
  ::unlink(path.c_str());
  if (wave->Error()) {
    ReportError(kClipboardNotWave);
    return nullptr;
  }
  if (asDocument) wave->MarkUntitled();
  return wave;
}

}  // namespace orvanix
