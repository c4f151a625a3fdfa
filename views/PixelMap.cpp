#include "views/PixelMap.h"

#include <cmath>

#include "engine/SpectralData.h"

namespace orvanix::views {

void TPixelMap::Build(int pixels, double startHz, double stopHz, bool logarithmic,
                      const std::function<uint32_t(float)>& indexOf) {
  freq_.clear();
  index_.clear();
  if (pixels < 1) return;
  freq_.resize(static_cast<size_t>(pixels));
  index_.resize(static_cast<size_t>(pixels));
  const double ls = startHz > 0.0 ? std::log10(startHz) : 0.0;
  const double le = stopHz > 0.0 ? std::log10(stopHz) : 0.0;
  for (int k = 0; k < pixels; ++k) {
    const double f = logarithmic ? std::pow(10.0, ls + k * (le - ls) / pixels)
                                 : startHz + k * (stopHz - startHz) / pixels;
    freq_[static_cast<size_t>(k)] = static_cast<float>(f);
    index_[static_cast<size_t>(k)] = indexOf(static_cast<float>(f));
  }
  if (logarithmic) ++index_.back();
}

void TPixelMap::Build(int pixels, double startHz, double stopHz, bool logarithmic,
                      const TSpectralData& spectrum) {
  const uint32_t count = spectrum.ValueCount();
  if (spectrum.BandCount() > 0) {
    Build(pixels, startHz, stopHz, logarithmic,
          [&spectrum](float f) { return spectrum.BandOfFrequency(f); });
  } else {
    Build(pixels, startHz, stopHz, logarithmic,
          [&spectrum](float f) { return spectrum.FrequencyBin(f); });
  }
  // The raised last index must still name a value.
  if (!index_.empty() && count > 0 && index_.back() >= count) index_.back() = count - 1;
}

void TPixelMap::Levels(const TSpectralData& spectrum, float* out, bool everyPixel) const {
  Levels([&spectrum](uint32_t a, uint32_t b) { return spectrum.MaxValue(a, b); }, out, everyPixel);
}

}  // namespace orvanix::views
