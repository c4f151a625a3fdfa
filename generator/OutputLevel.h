// The generator's output level: the factor f (0 < f <= 1 of digital full scale) that a
// level in one of the seven units gives, and the level dialog's checks.
#pragma once

#include <string>

#include "files/SettingsRecordsGenerator.h"

namespace orvanix {

// The factor of channel 0 (left) or 1 (right):
//   dB Full Scale 10^(L/20), Percent L/100, Volts L/FS, Millivolts L/(1000 FS),
//   dBV 10^(L/20)/FS, dBmV 10^(L/20)/(1000 FS), dBu 10^(L/20) x 0.775/FS,
// FS the full-scale level in volts rms. For the units in volts an FS of 0 or less becomes 1
// in `level` itself (so it is stored that way). A factor above 1, not above 0 or not a
// number gives 1 (full scale); so do unknown units.
double LevelFactor(TGeneratorLevel& level, int channel);

// The level dialog's OK check: with FS > 0, or with the full-scale choice "I don't know",
// both levels against the units (the first failing level's message); otherwise the
// full-scale message. Empty when accepted.
std::string CheckOutputLevel(double leftLevel, double rightLevel, int units, double fullScaleVolts,
                             int fullScaleOption);

// The scroll range of a level (dB Full Scale: -96 ... 0); the other units scroll over their
// accepted range as the dialog computes it.
struct TLevelRange {
  double low = -96.0, high = 0.0;
};
TLevelRange LevelRange(int units, double fullScaleVolts);

}  // namespace orvanix
