// The colour table of the spectrogram and of the 3-D surface's gradient mode: 200 entries
// from the lowest to the highest level, in one of three schemes.
#pragma once

#include <QRgb>
#include <cstdint>
#include <vector>

namespace orvanix::views {

enum ColorScheme : int32_t { kFullColor = 0, kGrayScale = 1, kCustomColors = 2 };
inline constexpr int kColorTableEntries = 200;

// Full colour: five ramps of 40 entries (black, blue, cyan, green, yellow, red) stepping 6.4;
// grey scale: 255 - 1.28 i (white at entry 0); custom: each component linear from the
// minimum to the maximum colour (0x00BBGGRR values), min + i (max - min) 0.005. Values are
// truncated. An unknown scheme is full colour.
//
// A true-colour display shows every entry as it is, so only runs of equal neighbours
// collapse to one entry (a custom scheme whose two end colours are equal leaves a single
// entry): the result holds the n usable entries, at least one.
std::vector<QRgb> BuildColorTable(int32_t scheme, uint32_t minColorRef, uint32_t maxColorRef);

// The entry for a level: on a dB axis truncate(n (v - top + range) / range), on a linear axis
// truncate(n v / top) with a top that is not positive taken as 1; limited to 0 ... n - 1.
int ColorIndex(float value, float top, float range, bool logarithmic, int n);

// 0x00BBGGRR to a Qt colour and back.
inline QRgb RgbOfColorRef(uint32_t ref) {
  return qRgb(static_cast<int>(ref & 0xFF), static_cast<int>((ref >> 8) & 0xFF),
              static_cast<int>((ref >> 16) & 0xFF));
}

}  // namespace orvanix::views
