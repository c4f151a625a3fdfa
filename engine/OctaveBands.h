// Fractional-octave bands (1/n octave) and their mapping onto FFT bins.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "engine/FrequencyGrid.h"

namespace orvanix {

// Frequencies in Hz: exact centre, nominal (labelled) centre, lower and upper band edges.
struct OctaveBand {
  float centre;
  float nominal;
  float lower;
  float upper;
};

// Bins covered by a band: startBin ... endBin inclusive; the first and last bins count
// with the given fractional weights (0 ... 1), those between with weight 1.
struct BandBins {
  uint32_t startBin;
  float startWeight;
  uint32_t endBin;
  float endWeight;
};

class TOctaveBands {
 public:
  // Builds the bands of 1/n octave (n = octaveNumber, 0 taken as 1) up to the grid's
  // Nyquist frequency and their bin map on `grid`. False on allocation failure (the
  // object is then empty).
  bool Build(uint32_t octaveNumber, const FrequencyGrid& grid);

  uint32_t Count() const { return count_; }
  // Band i (i < Count()).
  const OctaveBand& Band(uint32_t i) const { return bands_[i]; }
  // Bin map of band i (i < Count()).
  const BandBins& Bins(uint32_t i) const { return bins_[i]; }
  // First band wide enough to hold at least one bin's worth of spectrum (its end bin more
  // than one past its start bin); bands below it are narrower than the resolution. When no
  // band is that wide, LastBand(), so that it always indexes a band of a non-empty table.
  uint32_t FirstValidBand() const { return firstValid_; }
  // Last band (Count() - 1; 0 for an empty object).
  uint32_t LastBand() const { return Count() ? Count() - 1 : 0; }
  // Band whose edges hold f (Hz); the first band below it, the last band above it.
  uint32_t BandOfFrequency(float f) const;
  // Weighted sum of power[] over the band's bins (optionally divided by the weighted bin
  // count), in dB; kNoDb for a sum <= 0 or a band out of range. `power` holds the grid's
  // bins values. Peak hold is the caller's business.
  float BandValueDb(uint32_t band, const float* power, bool mean) const;

 private:
  uint32_t octaveNumber_ = 1;
  uint32_t count_ = 0;
  uint32_t firstValid_ = 0;
  std::unique_ptr<OctaveBand[]> bands_;
  std::unique_ptr<BandBins[]> bins_;
};

// Label text of a nominal centre frequency: at most three significant digits below 1000 Hz
// without trailing zeros ("31.5", "1.25", "100"), whole hertz from 1000 Hz up ("1000",
// "20000").
std::string BandLabel(float nominal);

}  // namespace orvanix
