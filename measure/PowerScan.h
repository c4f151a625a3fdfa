// Scans over a power array that the measurements repeat at every repaint, kept to a few
// instructions per bin: SSE2 where the target has it (every x86-64), plain loops elsewhere,
// with the same results. Ranges are inclusive and must lie inside the array.
#pragma once

#include <cstdint>

namespace orvanix {

// The first index in from ... to whose power is strictly greater than `threshold` (NaN
// never is), or to + 1 when there is none.
uint32_t NextAbove(const float* power, uint32_t from, uint32_t to, float threshold);

// The largest power over from ... to; `floor` when the range is empty or nothing exceeds it.
float LargestPower(const float* power, uint32_t from, uint32_t to, float floor);

// The sum, in double, of the positive powers over from ... to, and how many were not
// positive (zero, negative or NaN).
double PositivePowerSum(const float* power, uint32_t from, uint32_t to, uint32_t& notPositive);

}  // namespace orvanix
