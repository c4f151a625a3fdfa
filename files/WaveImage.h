// The clipboard's wave data: a complete wave file image, the 44-byte header of a file we write
// followed by the samples, without a calibration chunk ("audio/wav" for other programs).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "files/WaveFile.h"

namespace orvanix {

struct TWaveImage {
  std::unique_ptr<uint8_t[]> bytes;
  size_t size = 0;
};

// Frames start ... end - 1 of `document` as an image. False with kInsufficientMemory shown
// when the memory cannot be had, or when the frames cannot be read.
bool MakeWaveImage(const TWaveFile& document, uint32_t start, uint32_t end, TWaveImage& image);

// Opens an image (ours or another program's; it is checked like any wave file) through a
// temporary file in `tempDir`. As a carrier for a paste (`asDocument` false) it is a disk-
// mode object whose file is already unlinked; as a new document it is opened in `mode`
// (disk mode on a working copy), untitled and modified. nullptr after a failure, which was
// shown (kClipboardNotWave for data that is not a readable wave).
std::unique_ptr<TWaveFile> OpenWaveImage(const uint8_t* bytes, size_t size,
                                         const std::string& tempDir, StorageMode mode,
                                         bool asDocument);

}  // namespace orvanix
