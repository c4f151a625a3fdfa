// The bin <-> frequency rules shared by spectra and curves.
#pragma once

#include <cstdint>

namespace orvanix {

struct FrequencyGrid {
  uint32_t bins = 0;     // B = N/2: bins 0 ... B-1 carry DC ... Nyquist - binWidth
  float binWidth = 0.f;  // Hz between neighbouring bins
  float nyquist = 0.f;   // Hz

  // Centre frequency in Hz of bin i: i*binWidth for i < B, else the Nyquist frequency.
  float BinFrequency(uint32_t i) const;
  // Nearest bin of frequency f in Hz: trunc(f/binWidth + 0.5); 0 for f < 0 (or NaN, or an
  // empty grid); B-1 above the Nyquist frequency or past the last bin.
  uint32_t FrequencyBin(float f) const;
};

}  // namespace orvanix
