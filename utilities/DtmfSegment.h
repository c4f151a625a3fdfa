// DTMF keys in a stretch of a stored signal: two passes over the segment with spectra of its
// own (the analyzer's settings are copied, never changed). The first finds the loudest line
// between 600 Hz and 1700 Hz; the second feeds a detector per channel, with its threshold
// 20 dB below that level, a spectrum every hundredth of a block.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "engine/ProcessingSettings.h"

namespace orvanix {

class TWaveData;

// Messages and texts of the segment analysis.
inline constexpr const char* kDtmfNoSegment = "You must first select a time segment.";
inline constexpr const char* kDtmfTitle = "Performing DTMF Analysis... press <Esc> to cancel.";
inline constexpr const char* kDtmfResultCaption = "DTMF";

// The block length for a rate: 512 up to 8000 Hz, 1024 to 16000, 2048 to 34000, 4096 to
// 50000, 8192 above.
uint32_t DtmfBlockLength(uint32_t rateHz);

struct TDtmfSegmentResult {
  uint16_t channels = 1;
  std::string keys[2];
  float levelDb[2] = {-99.9f, -99.9f};  // the loudest line of the first pass
  bool cancelled = false;               // a pass ended early
};

// "DTMF keys = %s", or the left and right lines joined by "\r".
std::string DtmfResultText(const TDtmfSegmentResult& result);

// Called between blocks with the pass (1 or 2) and its progress 0 ... 100; returning false
// ends the pass there (Esc), with the keys found so far.
using TDtmfProgress = std::function<bool(int pass, int percent)>;

// Decodes frames [startFrame, endFrame) of `wave` with `base`'s format and channel count.
// False when the segment is empty or the spectra cannot be built (memory, reported).
bool DecodeDtmfSegment(TWaveData& wave, uint32_t startFrame, uint32_t endFrame,
                       const ProcessingSettings& base, TDtmfSegmentResult& result,
                       const TDtmfProgress& progress = {}, bool frequencyCheck = true);

}  // namespace orvanix
