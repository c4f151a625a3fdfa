#include "measure/Schroeder.h"

#include <algorithm>
#include <cmath>

namespace orvanix {

void SchroederIntegrate(std::span<const double> terms, std::span<double> out) {
  const size_t n = std::min(terms.size(), out.size());
  double sum = 0.0;
  for (size_t k = n; k-- > 0;) {
    sum += terms[k];
    out[k] = sum;
  }
}

bool SchroederRatio(std::span<const double> terms, std::span<double> ratio) {
  const size_t n = std::min(terms.size(), ratio.size());
  SchroederIntegrate(terms.first(n), ratio.first(n));
  const double total = n > 0 ? ratio[0] : 0.0;
  if (!(total > 0.0) || !std::isfinite(total)) {
    std::fill_n(ratio.begin(), n, 0.0);
    return false;
  }
  for (size_t k = 0; k < n; ++k) ratio[k] /= total;
  return true;
}

std::vector<double> EnergyDecayCurveDb(std::span<const float> response) {
  std::vector<double> curve(response.size());
  for (size_t k = 0; k < response.size(); ++k) {
    const double h = response[k];
    curve[k] = h * h;
  }
  if (!SchroederRatio(curve, curve)) return {};
  for (double& value : curve) value = value > 0.0 ? 10.0 * std::log10(value) : kSchroederFloorDb;
  return curve;
}

double DecayTimeFromCurve(std::span<const double> curveDb, double stepSeconds, double startDb,
                          double rangeDb) {
  if (!(stepSeconds > 0.0) || !(rangeDb > 0.0)) return -1.0;
  const double top = -startDb;
  const double bottom = -(startDb + rangeDb);
  // The fit takes every point from the first at or below the top to the last before the
  // curve first passes the bottom; a curve that never reaches the bottom has no reading.
  size_t first = curveDb.size();
  size_t last = curveDb.size();
  for (size_t k = 0; k < curveDb.size(); ++k) {
    if (first == curveDb.size() && curveDb[k] <= top) first = k;
    if (curveDb[k] < bottom) {
      last = k;
      break;
    }
  }
  if (first >= last || last == curveDb.size() || last - first < 2) return -1.0;
  double st = 0, sy = 0, stt = 0, sty = 0;
  const double count = static_cast<double>(last - first);
  for (size_t k = first; k < last; ++k) {
    const double t = static_cast<double>(k) * stepSeconds;
    st += t;
    sy += curveDb[k];
    stt += t * t;
    sty += t * curveDb[k];
  }
  const double denominator = count * stt - st * st;
  if (!(denominator > 0.0)) return -1.0;
  const double slope = (count * sty - st * sy) / denominator;  // dB per second
  if (!(slope < 0.0)) return -1.0;
  return -60.0 / slope;
}

}  // namespace orvanix
