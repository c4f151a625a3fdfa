#include "engine/FrequencyGrid.h"

namespace orvanix {

float FrequencyGrid::BinFrequency(uint32_t i) const {
  if (i < bins) return static_cast<float>(i) * binWidth;
  return nyquist;
}

uint32_t FrequencyGrid::FrequencyBin(float f) const {
  if (bins == 0 || !(binWidth > 0.f) || !(f >= 0.f)) return 0;
  if (f > nyquist) return bins - 1;
  // Compared before the conversion: a huge f / binWidth does not fit in 32 bits.
  const float position = f / binWidth + 0.5f;
  if (!(position < static_cast<float>(bins))) return bins - 1;
  return static_cast<uint32_t>(position);
}

}  // namespace orvanix
