#include "views/PeakSearch.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <mutex>

#include "engine/Smoothing.h"
#include "engine/SpectralData.h"

namespace orvanix {

namespace {

// The kernel is tabulated over -kSpan ... kSpan bins in steps of 1/kSteps, from the window
// sampled at kPoints points: the shape of a window's main lobe does not depend on its length
// once it has a few hundred points.
constexpr int kSpan = 4;
constexpr int kSteps = 128;
constexpr int kPoints = 512;
constexpr int kTable = 2 * kSpan * kSteps + 1;

struct TKernel {
  std::array<double, kTable> magnitude{};
};

TKernel BuildKernel(uint16_t type) {
  TSmoothing window(kPoints, type, kCorrectionNone);
  std::vector<double> w(kPoints, 1.0);
  if (!window.Error() && window.Table().size() == kPoints) {
    for (int n = 0; n < kPoints; ++n)
      w[static_cast<size_t>(n)] = window.Table()[static_cast<size_t>(n)];
  }
  TKernel kernel;
  double peak = 0.0;
  for (int i = 0; i < kTable; ++i) {
    const double offset = static_cast<double>(i - kSpan * kSteps) / kSteps;
    std::complex<double> sum = 0.0;
    const double step = -2.0 * M_PI * offset / kPoints;
    // Centred phase so that the sum stays well conditioned.
    for (int n = 0; n < kPoints; ++n)
      sum += w[static_cast<size_t>(n)] * std::polar(1.0, step * (n - kPoints / 2));
    kernel.magnitude[static_cast<size_t>(i)] = std::abs(sum);
    if (i == kSpan * kSteps) peak = std::abs(sum);
  }
  if (peak > 0.0) {
    for (double& m : kernel.magnitude) m /= peak;
  }
  return kernel;
}

const TKernel& Kernel(uint16_t type) {
  static std::array<TKernel, kWindowTypeCount> kernels;
  static std::array<std::once_flag, kWindowTypeCount> once;
  if (type >= kWindowTypeCount) type = kWindowHanning;
  std::call_once(once[type], [type] { kernels[type] = BuildKernel(type); });
  return kernels[type];
}

double Linear(float value, bool logAxis) {
  if (!logAxis) return std::fabs(static_cast<double>(value));
  if (value <= -999.0f) return 0.0;
  return std::pow(10.0, value / 20.0);
}

}  // namespace

double WindowKernel(uint16_t windowType, double offsetBins) {
  const TKernel& k = Kernel(windowType);
  const double x = (offsetBins + kSpan) * kSteps;
  if (!(x >= 0.0) || x >= kTable - 1) return 0.0;
  const int i = static_cast<int>(x);
  const double f = x - i;
  return k.magnitude[static_cast<size_t>(i)] * (1.0 - f) +
         k.magnitude[static_cast<size_t>(i + 1)] * f;
}

TPeak InterpolatePeak(const TSpectralData& spectrum, uint32_t bin, uint16_t windowType,
                      bool logAxis) {
  TPeak peak;
  peak.index = bin;
  const uint32_t count = spectrum.ValueCount();
  if (count == 0) return peak;
  if (bin >= count) bin = peak.index = count - 1;
  peak.level = spectrum.Value(bin);
  if (spectrum.BandCount() > 0) {
    peak.hz = spectrum.BandCentre(bin);
    return peak;
  }
  peak.hz = spectrum.BinFrequency(bin);
  const int span = windowType == kWindowFlatTop ? 3 : 1;
  if (bin < static_cast<uint32_t>(span) || bin + static_cast<uint32_t>(span) >= count) return peak;
  double m[7] = {};
  for (int j = -span; j <= span; ++j) m[j + span] = Linear(spectrum.Value(bin + j), logAxis);
  if (!(m[span] > 0.0)) return peak;

  // Least squares of m_j against A W(j - d): for a given d the best A is
  // sum(m W) / sum(W^2) and the residual sum(m^2) - sum(m W)^2 / sum(W^2).
  auto fit = [&](double d, double& amplitude) {
    double mw = 0.0;
    double ww = 0.0;
    for (int j = -span; j <= span; ++j) {
      const double w = WindowKernel(windowType, j - d);
      mw += m[j + span] * w;
      ww += w * w;
    }
    amplitude = ww > 0.0 ? mw / ww : 0.0;
    return ww > 0.0 ? -mw * mw / ww : 0.0;
  };
  double best = 0.0;
  double bestCost = 1e300;
  double amplitude = 0.0;
  for (int i = -10; i <= 10; ++i) {
    const double d = i * 0.05;
    const double cost = fit(d, amplitude);
    if (cost < bestCost) {
      bestCost = cost;
      best = d;
    }
  }
  // Golden-section refinement around the best grid point.
  double lo = std::max(-0.5, best - 0.05);
  double hi = std::min(0.5, best + 0.05);
  const double g = 0.5 * (std::sqrt(5.0) - 1.0);
  double x1 = hi - g * (hi - lo);
  double x2 = lo + g * (hi - lo);
  double f1 = fit(x1, amplitude);
  double f2 = fit(x2, amplitude);
  for (int it = 0; it < 40; ++it) {
    if (f1 < f2) {
      hi = x2;
      x2 = x1;
      f2 = f1;
      x1 = hi - g * (hi - lo);
      f1 = fit(x1, amplitude);
    } else {
      lo = x1;
      x1 = x2;
      f1 = f2;
      x2 = lo + g * (hi - lo);
      f2 = fit(x2, amplitude);
    }
  }
  const double d = 0.5 * (lo + hi);
  fit(d, amplitude);
  peak.offset = d;
  peak.hz = (bin + d) * spectrum.BinWidth();
  if (amplitude > 0.0) peak.level = logAxis ? 20.0 * std::log10(amplitude) : amplitude;
  return peak;
}

std::vector<TPeak> FindPeaks(const TSpectralData& spectrum, uint32_t from, uint32_t to,
                             size_t count, uint16_t windowType, bool logAxis) {
  std::vector<TPeak> peaks;
  const uint32_t n = spectrum.ValueCount();
  if (n == 0 || count == 0) return peaks;
  to = std::min(to, n - 1);
  if (from > to) return peaks;
  const uint32_t reach = spectrum.BandCount() > 0 ? 1 : 2;
  std::vector<std::pair<float, uint32_t>> candidates;
  for (uint32_t i = from; i <= to; ++i) {
    const float v = spectrum.Value(i);
    bool top = true;
    for (uint32_t j = (i > reach ? i - reach : 0); j <= std::min(n - 1, i + reach) && top; ++j) {
      if (j == i) continue;
      const float u = spectrum.Value(j);
      // Ties go to the lower index so that a flat top yields one peak.
      if (u > v || (u == v && j < i)) top = false;
    }
    if (top) candidates.emplace_back(v, i);
  }
  std::sort(candidates.begin(), candidates.end(),
            [](const auto& a, const auto& b) { return a.first > b.first; });
  for (size_t i = 0; i < candidates.size() && peaks.size() < count; ++i) {
    peaks.push_back(InterpolatePeak(spectrum, candidates[i].second, windowType, logAxis));
  }
  return peaks;
}

}  // namespace orvanix
