// Schroeder's backward integration: what remains of a decay's energy from each moment on.
// Used by the reverberation time (per band, over decay frames) and by the segment analysis
// (over samples). The caller chooses the terms it integrates (squared samples for energy,
// absolute samples, band powers, band amplitudes); the sum runs in double from the end, so
// the small late terms are not lost under the large early ones.
#pragma once

#include <cstddef>
#include <span>
#include <vector>

namespace orvanix {

// out[k] = sum of terms[j] for j = k ... n - 1 (n = terms.size()). `out` must hold n values;
// it may be the same array as `terms`.
void SchroederIntegrate(std::span<const double> terms, std::span<double> out);

// The backward integral relative to the whole: ratio[k] = out[k] / out[0], 1 at k = 0 and
// falling to the last term's share at k = n - 1. False (ratio filled with zeros) when the
// total is not positive or not finite.
bool SchroederRatio(std::span<const double> terms, std::span<double> ratio);

// The energy decay curve of an impulse response in dB: 10·log10 of the backward integral of
// h² relative to the total, 0 dB at the first sample. Empty for an all-zero response. A
// sample whose remaining energy is zero (the silent tail) reads kSchroederFloorDb.
inline constexpr double kSchroederFloorDb = -999.9;
std::vector<double> EnergyDecayCurveDb(std::span<const float> response);

// The time a decay curve (dB, one value every stepSeconds, 0 dB first) needs to fall by 60 dB,
// read from the straight line fitted (least squares) to the part of the curve between
// -startDb and -(startDb + rangeDb): startDb 5 and rangeDb 20 give T20, 30 give T30. Returns
// -1 when the curve never falls that far or the fitted slope does not fall.
double DecayTimeFromCurve(std::span<const double> curveDb, double stepSeconds, double startDb,
                          double rangeDb);

}  // namespace orvanix
