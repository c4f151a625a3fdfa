// Peak search on a spectrum: the peaks in a range, largest first, each with its frequency
// and level interpolated between bins.
//
// The estimator is the same for every window: a fit of the window's own transform. Around
// the peak bin k the magnitudes |X(k + j)|, j = -J ... J, are matched by A W(j - d), W being
// the magnitude of the window's transform at an offset in bins and d the tone's offset from
// bin k (-0.5 ... 0.5); the best d (least squares, A solved in closed form for each d) gives
// the frequency (k + d) x bin width and A the level. J is 1 (three bins) for every window
// but the flat top, whose main lobe is so flat that neighbouring bins barely differ; it
// uses J = 3. For the Hanning window this reduces to the classic ratio estimate
// d = (2r - 1) / (r + 1) with r the larger neighbour over the peak; for the uniform window
// to d = r / (1 + r). Errors for a pure tone between bins are about 0.001 bin and 0.001 dB
// (the image of the negative frequency and noise add to that).
//
// On a fractional-octave axis there is nothing to interpolate: a band's centre and value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvanix {

class TSpectralData;

struct TPeak {
  uint32_t index = 0;   // bin (or band) of the peak
  double offset = 0.0;  // interpolated offset from that bin, in bins
  double hz = 0.0;      // interpolated frequency
  double level = 0.0;   // interpolated level in the display unit (dB on a dB axis)
};

// Magnitude of the transform of window `type` (engine window types) at an offset in bins,
// relative to its value at 0. Cached per type.
double WindowKernel(uint16_t windowType, double offsetBins);

// Interpolates the peak at `bin`: `logAxis` tells whether Value() is in dB.
TPeak InterpolatePeak(const TSpectralData& spectrum, uint32_t bin, uint16_t windowType,
                      bool logAxis);

// Up to `count` peaks in the index range from ... to (inclusive), largest first: indices
// whose value is not below any neighbour within 2 (bins; 1 for bands), each interpolated.
std::vector<TPeak> FindPeaks(const TSpectralData& spectrum, uint32_t from, uint32_t to,
                             size_t count, uint16_t windowType, bool logAxis);

}  // namespace orvanix
