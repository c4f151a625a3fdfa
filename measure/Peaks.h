// Peak picking on one spectrum: the nth-largest local peak of a bin (or band) range, the
// power at a frequency and the skirt of a peak. The measurements, the data log and the
// automation items build on these.
//
// All of them read the averaged power P[k] of the spectrum (squared magnitude, linear,
// k = 0 ... B - 1) or, on a fractional-octave axis, its displayed band levels. Index
// ranges are limited to the spectrum's bins, so nothing here reads outside its arrays,
// whatever the arguments. Nothing allocates.
#pragma once

#include <cstdint>

#include "engine/SpectralData.h"

namespace orvanix {

// Whether the spectrum's frequency axis is fractional-octave (Value() then reads bands).
inline bool OnOctaveAxis(const TSpectralData& spectrum) {
  return spectrum.FrequencyScale() == 2;
}

// Ranks of the nth-peak search: n = 0 (the largest) ... 10.
inline constexpr uint32_t kPeakRanks = 11;

// Which search `Peaks` runs.
enum class PeakScan {
  // Always over the bins, whatever the frequency axis (what the measurements use).
  Narrowband,
  // Over the bands on a fractional-octave axis, over the bins otherwise (the data log).
  Axis,
};

// The narrowband nth-peak search for every rank at once: bins[r] is the bin that pass r
// finds, for r < count (count at most kPeakRanks). A bin qualifies when its power is
// strictly greater than each of the five bins on either side; pass r picks the qualifying
// bin of largest power not picked by an earlier pass (the lowest bin among equal powers),
// or 0 when none is left. The range first ... last (inclusive) is limited to
// max(first, 5) ... B - 6, with first at most B - 6. One scan of the range serves all ranks.
void NarrowbandPeakBins(const TSpectralData& spectrum, uint32_t first, uint32_t last,
                        uint32_t count, uint32_t* bins);

// The (n + 1)-th largest peak (n = 0 ... 10; larger n is taken as 10): its index, its
// frequency (bin frequency, or the band's nominal centre) and its displayed value. A search
// that finds nothing gives index 0 (frequency 0 Hz on the narrowband search).
// On a fractional-octave axis with PeakScan::Axis: bands max(first, first resolvable band)
// ... min(last, band count) - 1, the largest displayed level above -999.9, no neighbour test.
SpectrumPoint Peaks(const TSpectralData& spectrum, uint32_t first, uint32_t last, uint32_t n,
                    PeakScan scan = PeakScan::Narrowband);

// P[k] of the bin nearest to f (FrequencyBin), when 3 <= k <= B - 3; 0 otherwise.
float PowerAtFrequency(const TSpectralData& spectrum, float frequencyHz);

// The bin of the largest P[k] among bins 5 ... B - 2 (the first of equal maxima); bin
// min(5, B - 1) when none is larger than -1. Whatever the frequency axis.
uint32_t NarrowbandPeakBin(const TSpectralData& spectrum);

// Where the skirt of the peak at bin k ends: from k - 5 (at least 3) down to bin 4, and
// from k + 5 (at most B - 1) up to B - 1, follow the lowest point until the spectrum rises
// to more than twice it.
struct TPeakSkirt {
  uint32_t low = 0;
  uint32_t high = 0;
};
TPeakSkirt FindPeakSkirt(const TSpectralData& spectrum, uint32_t k);

}  // namespace orvanix
