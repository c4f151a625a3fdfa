// Microphone compensation curves (.mic files).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/Spline.h"

namespace orvanix {

// Most entries read from one .mic file; the rest of a longer file is ignored.
inline constexpr uint32_t kMaxMicrophoneEntries = 524288;

// Reads a .mic file: lines starting with ';' are comments; data lines hold
// "frequency<TAB>dB" with '.' as decimal point whatever the locale. dB values are clamped
// to -120 ... +120; reading stops at the first line that does not give two numbers.
// The result must have at least 3 entries, no negative frequency and frequencies never
// decreasing. On failure the reason is reported through Messages() (error icon, empty
// caption), `points` is left empty and false is returned.
bool LoadMicrophoneFile(const std::string& path, std::vector<CurvePoint>& points);

}  // namespace orvanix
