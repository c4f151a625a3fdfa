// Standard A/B/C weighting tables and the rule that carries a curve onto FFT bins.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/FrequencyGrid.h"
#include "engine/Spline.h"

namespace orvanix {

enum WeightingType : uint16_t { kWeightFlat = 0, kWeightA = 1, kWeightB = 2, kWeightC = 3 };

// The A (1), B (2) and C (3) weighting tables: frequency in Hz, weight in dB, ascending.
// An empty table for any other type.
const std::vector<CurvePoint>& WeightingTable(int type);

// Carries a dB curve onto the bins of `grid`: below the first point the first value and
// above the last point the last value are held; between them the natural spline is
// evaluated and clamped to -120 ... +120 dB. Each dB value d becomes the amplitude factor
// 10^(d/20) (an exact 0 dB gives exactly 1.0). Writes grid.bins floats to `factors`.
// With fewer than 2 points every factor is 1.0.
void CurveOntoBins(const std::vector<CurvePoint>& points, const FrequencyGrid& grid,
                   float* factors);

// Power factor of a smoothing window, used to turn a sum of bin powers into a band power:
// 10^c with c fixed per window type; Parzen and Gaussian by (energy factor / amplitude
// factor)^2 of their tables. 1.0 for Uniform and unknown types.
float WindowPowerFactor(uint16_t windowType);

}  // namespace orvanix
