// Natural cubic spline through frequency/value points, single precision: used to carry
// weighting and microphone curves onto FFT bins.
#pragma once

#include <cstdint>
#include <vector>

namespace orvanix {

// One point of a frequency curve: frequency in Hz, value in dB.
struct CurvePoint {
  float frequency;
  float value;
};

class TSpline {
 public:
  // `points` (frequencies never decreasing) must outlive the spline: they are not copied.
  // Second derivatives are built for count >= 3; with fewer points Evaluate gives 0.
  TSpline(const CurvePoint* points, uint32_t count);

  // Value at x. Outside the first/last point the end cubics are extended. Two points of
  // equal frequency form a step: a value exactly there gives the later point's value,
  // and the cubics on either side are not disturbed (no division by zero, no NaN).
  // 0 for fewer than 2 points or when no second derivatives were built.
  float Evaluate(float x) const;

 private:
  const CurvePoint* points_;
  uint32_t count_;
  std::vector<float> second_;  // second derivatives at the points (empty: not built)
};

}  // namespace orvanix
