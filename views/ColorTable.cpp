#include "views/ColorTable.h"

#include <cmath>

namespace orvanix::views {

namespace {

QRgb FullColorEntry(int i) {
  const int ramp = i / 40;
  const double step = 6.4 * (i % 40);
  const int up = static_cast<int>(step);
  const int down = static_cast<int>(255.0 - step);  // truncated after the subtraction
  switch (ramp) {
    case 0:
      return qRgb(0, 0, up);
    case 1:
      return qRgb(0, up, 255);
    case 2:
      return qRgb(0, 255, down);
    case 3:
      return qRgb(up, 255, 0);
    default:
      return qRgb(255, down, 0);
  }
}

int Ramp(int from, int to, int i) {
  return static_cast<int>(from + i * (to - from) * 0.005);
}

}  // namespace

std::vector<QRgb> BuildColorTable(int32_t scheme, uint32_t minColorRef, uint32_t maxColorRef) {
  std::vector<QRgb> table;
  table.reserve(kColorTableEntries);
  const QRgb lo = RgbOfColorRef(minColorRef);
  const QRgb hi = RgbOfColorRef(maxColorRef);
  for (int i = 0; i < kColorTableEntries; ++i) {
    QRgb c;
    if (scheme == kGrayScale) {
      const int g = static_cast<int>(255 - 1.28 * i);
      c = qRgb(g, g, g);
    } else if (scheme == kCustomColors) {
      c = qRgb(Ramp(qRed(lo), qRed(hi), i), Ramp(qGreen(lo), qGreen(hi), i),
               Ramp(qBlue(lo), qBlue(hi), i));
    } else {
      c = FullColorEntry(i);
    }
    if (table.empty() || table.back() != c) table.push_back(c);
  }
  return table;
}

int ColorIndex(float value, float top, float range, bool logarithmic, int n) {
  if (n <= 1) return 0;
  double c;
  if (logarithmic) {
    if (!(range > 0.0f)) return 0;
    c = n * (static_cast<double>(value) - top + range) / range;
  } else {
    if (!(top > 0.0f)) top = 1.0f;
    c = n * static_cast<double>(value) / top;
  }
  if (!(c >= 0.0)) return 0;  // also NaN
  if (c >= n - 1) return n - 1;
  return static_cast<int>(c);
}

}  // namespace orvanix::views
