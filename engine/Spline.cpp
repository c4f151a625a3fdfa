#include "engine/Spline.h"

namespace orvanix {

namespace {

// Second derivatives of a natural spline over points first ... last, whose frequencies
// rise strictly. Both ends get 0.
void BuildRun(const CurvePoint* p, uint32_t first, uint32_t last, float* y2, float* u) {
  y2[first] = 0.f;
  u[first] = 0.f;
  for (uint32_t i = first + 1; i < last; ++i) {
    const float sigma =
        (p[i].frequency - p[i - 1].frequency) / (p[i + 1].frequency - p[i - 1].frequency);
    const float q = sigma * y2[i - 1] + 2.f;
    y2[i] = (sigma - 1.f) / q;
    u[i] = (p[i + 1].value - p[i].value) / (p[i + 1].frequency - p[i].frequency) -
           (p[i].value - p[i - 1].value) / (p[i].frequency - p[i - 1].frequency);
    u[i] = (6.f * u[i] / (p[i + 1].frequency - p[i - 1].frequency) - sigma * u[i - 1]) / q;
  }
  y2[last] = 0.f;
  for (uint32_t k = last; k-- > first;) y2[k] = y2[k] * y2[k + 1] + u[k];
}

}  // namespace

TSpline::TSpline(const CurvePoint* points, uint32_t count)
    : points_(points), count_(points ? count : 0) {
  if (count_ < 3) return;
  second_.assign(count_, 0.f);
  std::vector<float> u(count_, 0.f);
  // A frequency that does not rise (two equal frequencies in a row) would divide by zero:
  // the curve is split there into independent natural splines, so it steps at that
  // frequency and a run of two points is a straight line.
  uint32_t first = 0;
  for (uint32_t i = 1; i <= count_; ++i) {
    if (i == count_ || !(points_[i].frequency > points_[i - 1].frequency)) {
      if (i - 1 > first) BuildRun(points_, first, i - 1, second_.data(), u.data());
      first = i;
    }
  }
}

float TSpline::Evaluate(float x) const {
  if (count_ < 2 || second_.empty()) return 0.f;
  uint32_t lo = 0;
  uint32_t hi = count_ - 1;
  while (hi - lo > 1) {
    const uint32_t k = (hi + lo) >> 1;
    if (points_[k].frequency > x) {
      hi = k;
    } else {
      lo = k;
    }
  }
  const CurvePoint& a0 = points_[lo];
  const CurvePoint& b0 = points_[hi];
  const float h = b0.frequency - a0.frequency;
  if (h == 0.f) return x < a0.frequency ? a0.value : b0.value;
  const float a = (b0.frequency - x) / h;
  const float b = (x - a0.frequency) / h;
  return a * a0.value + b * b0.value +
         ((a * a * a - a) * second_[lo] + (b * b * b - b) * second_[hi]) * (h * h) / 6.f;
}

}  // namespace orvanix
