#include "engine/Smoothing.h"

#include <cmath>
#include <cstring>
#include <new>

#include "engine/Messages.h"

namespace orvanix {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Exponents c of the correction factor 10^c. The energy ones are log10(1 / RMS) of each
// window; the amplitude ones are a little above log10(1 / mean). Parzen's and Gaussian's are
// computed from the table by that rule, and a zero here means no factor. (Left at 1, the
// Gaussian window would read a full-scale tone about 12 dB low.)
constexpr double kEnergyExponents[kWindowTypeCount] = {0.24,  0.2585, -0.2675, 0.2005, 0.213,
                                                       0.248, 0.0,    0.239,   0.0,    0.0};
constexpr double kAmplitudeExponents[kWindowTypeCount] = {0.319,  0.3875, 0.0,   0.285, 0.315,
                                                          0.3685, 0.0,    0.319, 0.0,   0.0};

// x = |2i/(n-1) - 1|: 1 at both ends, 0 in the middle of a symmetric window.
inline double CentreDistance(uint32_t i, uint32_t n) {
  return std::fabs(2.0 * i / static_cast<double>(n - 1) - 1.0);
}

void FillBartlett(float* w, uint32_t n) {
  for (uint32_t i = 0; i < n; ++i) w[i] = static_cast<float>(1.0 - CentreDistance(i, n));
}

void FillBlackman(float* w, uint32_t n) {
  const double step = 8.0 * std::atan(1.0) / (n - 1);
  for (uint32_t i = 0; i < n; ++i) {
    w[i] = static_cast<float>(0.42 - 0.5 * std::cos(step * i) + 0.08 * std::cos(2.0 * step * i));
  }
}

// A four-term cosine sum about the centre n/2 whose centre is about 4.17 and whose mean is
// about 1, so amplitudes read true without a correction factor.
void FillFlatTop(float* w, uint32_t n) {
  constexpr double a0 = 0.9994484, a1 = 0.955728, a2 = 0.539289, a3 = 0.091581;
  const uint32_t half = n / 2;
  for (uint32_t i = 0; i < half; ++i) {
    const double t = 6.283185308 * i / n;
    const double v =
        a0 + 2.0 * (a1 * std::cos(t) + a2 * std::cos(2.0 * t) + a3 * std::cos(3.0 * t));
    w[half + i] = static_cast<float>(v);
    w[half - i] = static_cast<float>(v);
  }
  // The loop fills positions 1 ... n-1 of an even size; the first point copies its
  // neighbour. An odd size leaves the last point out as well, and it does the same.
  w[0] = w[1];
  if (n % 2 == 1 && n >= 3) w[n - 1] = w[n - 2];
}

void FillRaisedCosine(float* w, uint32_t n, double a, double b) {
  for (uint32_t i = 0; i < n; ++i) {
    w[i] = static_cast<float>(a + b * std::cos(kPi * (2.0 * i / static_cast<double>(n - 1) - 1.0)));
  }
}

// Modified Bessel function of order 0 by its power series, summed until a term adds no
// more than 1e-4 of the sum (or the sum stops being a number).
double BesselI0(double x) {
  const double b = (x / 2.0) * (x / 2.0);
  double sum = 1.0;
  double term = 1.0;
  for (int k = 1; k < 1000; ++k) {
    term = term * b / k / k;
    sum += term;
    if (!(term / sum > 0.0001)) break;
  }
  return sum;
}

void FillKaiser(float* w, uint32_t n) {
  constexpr double kAlphaPi = 2.5 * 3.1415926535;
  const uint32_t c = n / 2;
  // The centre point, where a = 0: every value is divided by it.
  const double centre = BesselI0(kAlphaPi);
  for (uint32_t i = 0; i < n; ++i) {
    const double a = (static_cast<double>(i) - c) / c;
    w[i] = static_cast<float>(BesselI0(kAlphaPi * std::sqrt(std::fmax(0.0, 1.0 - a * a))) / centre);
  }
}

void FillParzen(float* w, uint32_t n) {
  for (uint32_t i = 0; i < n; ++i) {
    const double x = CentreDistance(i, n);
    const double y = 1.0 - x;
    w[i] = static_cast<float>(x >= 0.5 ? 2.0 * y * y * y : 1.0 - 6.0 * x * x + 6.0 * x * x * x);
  }
}

// Rises by the float step 2/(n-1) up to the integer half of n-1, then falls from 2 by the
// same step: for an even n the peak is 1 + 1/(n-1), one point before the centre.
void FillTriangular(float* w, uint32_t n) {
  const float step = static_cast<float>(2.0 / (n - 1));
  const uint32_t middle = (n - 1) / 2;
  for (uint32_t i = 0; i < middle; ++i) w[i] = static_cast<float>(i) * step;
  for (uint32_t i = middle; i < n; ++i) w[i] = 2.0f - static_cast<float>(i) * step;
}

// Block edges five standard deviations from the centre. An odd size has a middle point,
// which gets exp(0) = 1.
void FillGaussian(float* w, uint32_t n) {
  const uint32_t d = n / 2;
  const uint32_t last = n % 2 == 1 ? d : d - 1;
  for (uint32_t i = 0; i <= last; ++i) {
    const float f = 5.0f * static_cast<float>(d - i) / static_cast<float>(d);
    w[i] = std::exp(-f * f / 2.0f);
    w[n - 1 - i] = w[i];
  }
}

void Fill(float* w, uint32_t n, uint16_t type) {
  switch (type) {
    case kWindowBartlett:
      FillBartlett(w, n);
      break;
    case kWindowBlackman:
      FillBlackman(w, n);
      break;
    case kWindowFlatTop:
      FillFlatTop(w, n);
      break;
    case kWindowHamming:
      FillRaisedCosine(w, n, 0.54, 0.46);
      break;
    case kWindowHanning:
      FillRaisedCosine(w, n, 0.5, 0.5);
      break;
    case kWindowKaiser:
      FillKaiser(w, n);
      break;
    case kWindowParzen:
      FillParzen(w, n);
      break;
    case kWindowTriangular:
      FillTriangular(w, n);
      break;
    case kWindowGaussian:
      FillGaussian(w, n);
      break;
    default:
      break;
  }
}

double CorrectionFactor(const std::vector<float>& table, uint16_t type, uint16_t correction) {
  if (correction != kCorrectionEnergy && correction != kCorrectionAmplitude) return 1.0;
  if (type == kWindowParzen || type == kWindowGaussian) {
    double sum = 0.0, sumSquares = 0.0;
    for (float v : table) {
      sum += v;
      sumSquares += static_cast<double>(v) * v;
    }
    const double count = static_cast<double>(table.size());
    const double level =
        correction == kCorrectionEnergy ? std::sqrt(sumSquares / count) : sum / count;
    return level > 0.0 ? 1.0 / level : 1.0;
  }
  const double exponent =
      correction == kCorrectionEnergy ? kEnergyExponents[type] : kAmplitudeExponents[type];
  return exponent == 0.0 ? 1.0 : std::pow(10.0, exponent);
}

}  // namespace

TSmoothing::TSmoothing(uint32_t size, uint16_t type, uint16_t correction) {
  Rebuild(size, type, correction);
}

void TSmoothing::Rebuild(uint32_t size, uint16_t type, uint16_t correction) {
  size_ = size;
  type_ = type;
  correction_ = correction;
  Build();
}

void TSmoothing::SetSize(uint32_t size) {
  size_ = size;
  Build();
}

void TSmoothing::SetType(uint16_t type) {
  type_ = type;
  Build();
}

std::string TSmoothing::TypeName(uint16_t type) {
  return type < kWindowTypeCount ? kWindowTypeNames[type] : "";
}

void TSmoothing::Build() {
  error_ = false;
  factor_ = 1.0;
  if (type_ >= kWindowTypeCount) {
    table_.clear();
    error_ = true;
    Messages().Report(kInvalidWindowTypeMessage, kInvalidWindowTypeCaption, MessageIcon::Error);
    return;
  }
  if (type_ == kWindowUniform) {
    table_.clear();
    return;
  }
  bool allocated = size_ <= kMaxWindowSize;
  if (allocated) {
    try {
      table_.assign(size_, 0.0f);
    } catch (const std::bad_alloc&) {
      allocated = false;
    }
  }
  if (!allocated) {
    table_.clear();
    table_.shrink_to_fit();
    error_ = true;
    ReportError(kInsufficientMemory);
    return;
  }
  if (size_ == 0) return;
  // Every formula divides by n - 1; a single point is left unshaped.
  if (size_ == 1) {
    table_[0] = 1.0f;
    return;
  }
  Fill(table_.data(), size_, type_);
  factor_ = CorrectionFactor(table_, type_, correction_);
  if (factor_ != 1.0) {
    for (float& v : table_) v = static_cast<float>(v * factor_);
  }
}

bool TSmoothing::Usable(const void* a, const void* b) const {
  return !error_ && a != nullptr && b != nullptr;
}

void TSmoothing::Apply(const float* source, float* destination) const {
  if (!Usable(source, destination)) return;
  if (type_ == kWindowUniform) {
    if (source != destination) std::memmove(destination, source, size_t{size_} * sizeof(float));
    return;
  }
  const float* w = table_.data();
  for (size_t i = 0; i < table_.size(); ++i) destination[i] = source[i] * w[i];
}

void TSmoothing::ApplyInPlace(float* values) const {
  if (!Usable(values, values) || type_ == kWindowUniform) return;
  const float* w = table_.data();
  for (size_t i = 0; i < table_.size(); ++i) values[i] *= w[i];
}

void TSmoothing::Remove(const float* source, float* destination) const {
  if (!Usable(source, destination)) return;
  if (type_ == kWindowUniform) {
    if (source != destination) std::memmove(destination, source, size_t{size_} * sizeof(float));
    return;
  }
  const float* w = table_.data();
  for (size_t i = 0; i < table_.size(); ++i) {
    if (std::fabs(w[i]) > 1e-7f) destination[i] = source[i] / w[i];
  }
}

void TSmoothing::RemoveInPlace(float* values) const {
  if (!Usable(values, values) || type_ == kWindowUniform) return;
  const float* w = table_.data();
  for (size_t i = 0; i < table_.size(); ++i) {
    if (std::fabs(w[i]) > 1e-11f) values[i] /= w[i];
  }
}

}  // namespace orvanix
