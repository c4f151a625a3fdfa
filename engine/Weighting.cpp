#include "engine/Weighting.h"

#include <cmath>

#include "engine/Smoothing.h"

namespace orvanix {

namespace {

// Frequencies shared by the A and C tables, Hz.
constexpr float kAcFrequencies[37] = {
    10.f,    12.59f,  15.85f,  19.95f,  25.12f,  31.62f,  39.81f, 50.12f, 63.1f,  79.43f,
    100.f,   125.9f,  158.5f,  199.5f,  251.2f,  316.2f,  398.1f, 501.2f, 631.f,  794.3f,
    1000.f,  1259.f,  1585.f,  1995.f,  2512.f,  3162.f,  3981.f, 5012.f, 6310.f, 7943.f,
    10000.f, 12590.f, 15850.f, 19950.f, 25120.f, 31620.f, 39810.f};

constexpr float kADb[37] = {-70.4f, -63.4f, -56.7f, -50.5f, -44.7f, -39.4f, -34.6f, -30.2f,
                            -26.2f, -22.5f, -19.1f, -16.1f, -13.4f, -10.9f, -8.6f,  -6.6f,
                            -4.8f,  -3.2f,  -1.9f,  -0.8f,  0.0f,   0.6f,   1.0f,   1.2f,
                            1.3f,   1.2f,   1.0f,   0.5f,   -0.1f,  -1.1f,  -2.5f,  -4.3f,
                            -6.6f,  -9.3f,  -10.0f, -15.0f, -20.0f};

constexpr float kCDb[37] = {
    -14.3f, -11.2f, -8.5f, -6.2f, -4.4f, -3.0f, -2.0f, -1.3f,  -0.8f,  -0.5f,  -0.3f, -0.2f, -0.1f,
    0.0f,   0.0f,   0.0f,  0.0f,  0.0f,  0.0f,  0.0f,  0.0f,   0.0f,   -0.1f,  -0.2f, -0.3f, -0.5f,
    -0.8f,  -1.3f,  -2.0f, -3.0f, -4.4f, -6.2f, -8.5f, -11.2f, -15.0f, -18.0f, -20.0f};

constexpr CurvePoint kBTable[25] = {
    {10.f, -37.0f},  {20.f, -24.0f},  {30.f, -17.0f},  {40.f, -13.0f},   {50.f, -11.5f},
    {60.f, -10.0f},  {70.f, -8.5f},   {80.f, -7.2f},   {90.f, -6.3f},    {100.f, -5.4f},
    {200.f, -2.0f},  {300.f, -0.8f},  {400.f, -0.5f},  {500.f, 0.0f},    {700.f, 0.0f},
    {1000.f, 0.0f},  {2000.f, 0.0f},  {3000.f, 0.0f},  {4000.f, -0.5f},  {5000.f, -0.8f},
    {6000.f, -1.2f}, {7000.f, -2.0f}, {8000.f, -3.0f}, {10000.f, -5.0f}, {20000.f, -10.0f}};

std::vector<CurvePoint> Zip(const float* frequencies, const float* values, size_t count) {
  std::vector<CurvePoint> points(count);
  for (size_t i = 0; i < count; ++i) points[i] = {frequencies[i], values[i]};
  return points;
}

constexpr float kMaxCurveDb = 120.f;

// (energy factor / amplitude factor)^2 = (mean / rms)^2 of the window table: how much a
// sum of amplitude-corrected bin powers overstates the power of the signal. Any table
// size gives the same figure to well within a float's precision at this length.
float ComputedPowerFactor(uint16_t windowType) {
  TSmoothing window(8192, windowType, kCorrectionNone);
  const std::vector<float>& table = window.Table();
  if (window.Error() || table.empty()) return 1.f;
  double sum = 0.0;
  double sumSquares = 0.0;
  for (float w : table) {
    sum += w;
    sumSquares += static_cast<double>(w) * w;
  }
  if (!(sumSquares > 0.0)) return 1.f;
  const double mean = sum / static_cast<double>(table.size());
  return static_cast<float>(mean * mean / (sumSquares / static_cast<double>(table.size())));
}

}  // namespace

const std::vector<CurvePoint>& WeightingTable(int type) {
  static const std::vector<CurvePoint> a = Zip(kAcFrequencies, kADb, 37);
  static const std::vector<CurvePoint> b(std::begin(kBTable), std::end(kBTable));
  static const std::vector<CurvePoint> c = Zip(kAcFrequencies, kCDb, 37);
  static const std::vector<CurvePoint> none;
  switch (type) {
    case kWeightA:
      return a;
    case kWeightB:
      return b;
    case kWeightC:
      return c;
    default:
      return none;
  }
}

void CurveOntoBins(const std::vector<CurvePoint>& points, const FrequencyGrid& grid,
                   float* factors) {
  const uint32_t bins = grid.bins;
  if (bins == 0 || factors == nullptr) return;
  if (points.empty()) {
    for (uint32_t i = 0; i < bins; ++i) factors[i] = 1.f;
    return;
  }
  const uint32_t count = static_cast<uint32_t>(points.size());
  const TSpline spline(points.data(), count);
  const uint32_t b0 = grid.FrequencyBin(points.front().frequency);
  const uint32_t b1 = grid.FrequencyBin(points.back().frequency);
  for (uint32_t i = 0; i < bins; ++i) {
    float db;
    if (i <= b0) {
      db = points.front().value;
    } else if (i >= b1) {
      db = points.back().value;
    } else {
      db = spline.Evaluate(grid.BinFrequency(i));
      if (db > kMaxCurveDb) db = kMaxCurveDb;
      if (db < -kMaxCurveDb) db = -kMaxCurveDb;
      if (db != db) db = 0.f;  // NaN from a malformed curve: leave the bin unchanged
    }
    float factor = static_cast<float>(std::pow(10.0, static_cast<double>(db) * 0.05));
    // A factor of 0 would blank a weighted bin and divide a compensated one by zero.
    if (factor == 0.f || factor != factor) factor = 1.f;
    factors[i] = factor;
  }
}

float WindowPowerFactor(uint16_t windowType) {
  double exponent;
  switch (windowType) {
    case kWindowBartlett:
      exponent = -0.158;
      break;
    case kWindowBlackman:
      exponent = -0.258;
      break;
    case kWindowFlatTop:
      exponent = -0.535;
      break;
    case kWindowHamming:
      exponent = -0.169;
      break;
    case kWindowHanning:
      exponent = -0.204;
      break;
    case kWindowKaiser:
      exponent = -0.241;
      break;
    case kWindowTriangular:
      exponent = -0.16;
      break;
    case kWindowParzen: {
      static const float parzen = ComputedPowerFactor(kWindowParzen);
      return parzen;
    }
    case kWindowGaussian: {
      static const float gaussian = ComputedPowerFactor(kWindowGaussian);
      return gaussian;
    }
    default:
      return 1.f;  // Uniform and unknown types
  }
  return static_cast<float>(std::pow(10.0, exponent));
}

}  // namespace orvanix
