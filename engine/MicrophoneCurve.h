// Microphone compensation curves (.mic files).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/Spline.h"

namespace orvanix {

// Most entries read from one .mic file; the rest of a longer file is ignored.
inline constexpr uint32_t kMaxMicrophoneEntries = 524288;
// Longest data line accepted, in characters; a longer one ends the data like any other line
// that does not hold two numbers (comment lines may be of any length).
inline constexpr size_t kMaxMicrophoneLine = 4096;

// Messages, each with the file's path for %s.
inline constexpr const char* kMicOpenFailure = "Failure opening Microphone Compensation file: %s";
inline constexpr const char* kMicTooFewEntries =
    "file: %s must contain at least 3 entries.  File will not be used.";
inline constexpr const char* kMicNotAscending =
    "Frequency terms in file: %s are not in ascending order.  File will not be used.";

// Reads a .mic file: lines starting with ';' are comments; data lines hold
// "frequency<TAB>dB" (the numbers may be separated by any white space, anything after the
// second is ignored) with '.' as decimal point whatever the locale. A UTF-8 byte-order
// mark and CR-LF line ends are accepted. dB values are clamped to -120 ... +120. Reading
// stops at the first line that does not give two finite numbers (NaN and infinity are not
// numbers here) or after kMaxMicrophoneEntries entries.
// The result must have at least 3 entries, no negative frequency and frequencies never
// decreasing (equal neighbours are allowed: the curve steps there).
// On failure the reason is reported with an error icon (kMicOpenFailure with the program
// title as caption; kMicTooFewEntries and kMicNotAscending with an empty caption),
// `points` is left empty and false is returned.
bool LoadMicrophoneFile(const std::string& path, std::vector<CurvePoint>& points);

}  // namespace orvanix
