// TransformFrames of WaveEdits.h.
#pragma once

#include <algorithm>

#include "engine/WaveFormat.h"

namespace orvanix {

template <typename Scale>
bool TransformFrames(TWaveFile& document, uint32_t first, uint32_t count, uint32_t channelMask,
                     Scale&& scale) {
  const WaveFormat& format = document.Format();
  const uint32_t bytes = format.bytesPerSample;
  const uint32_t align = document.BlockAlign();
  uint8_t piece[kPieceFrames * 8];
  for (uint32_t done = 0; done < count;) {
    const uint32_t n = std::min(kPieceFrames, count - done);
    if (!document.ReadFrames(first + done, n, piece)) return false;
    for (uint32_t i = 0; i < n; ++i) {
      for (uint32_t c = 0; c < format.channels; ++c) {
        if (!(channelMask & (1u << c))) continue;
        uint8_t* p = piece + size_t{i} * align + c * bytes;
        const int32_t value = scale(DecodeSample(p, bytes, format.zeroValue), c);
        EncodeSample(p, bytes, std::clamp(value, format.minValue, format.maxValue));
      }
    }
    if (!document.WriteFrames(first + done, n, piece)) return false;
    done += n;
  }
  return true;
}

}  // namespace orvanix
