// The pixel map of the spectrogram and the 3-D surface: for every pixel along the frequency
// axis its frequency and the spectrum index (bin, or band on a fractional-octave axis) it
// shows, and the per-pixel levels of one spectrum read through it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace orvanix {

class TSpectralData;

namespace views {

class TPixelMap {
 public:
  // Pixel k = 0 ... pixels - 1 of start ... stop Hz: linear f = start + k (stop - start) / P;
  // logarithmic f = 10^(Ls + k (Le - Ls) / P) with L = log10 (0 for a frequency at or below
  // 0), and there the last pixel's index is raised by one. `indexOf` gives a frequency's
  // index. Fewer than one pixel gives an empty map.
  void Build(int pixels, double startHz, double stopHz, bool logarithmic,
             const std::function<uint32_t(float)>& indexOf);
  // The map for a spectrum: its nearest bin, or on a fractional-octave axis the band that
  // holds the frequency (the index Value() reads).
  void Build(int pixels, double startHz, double stopHz, bool logarithmic,
             const TSpectralData& spectrum);

  int Pixels() const { return static_cast<int>(index_.size()); }
  bool Empty() const { return index_.empty(); }
  float Frequency(int k) const { return freq_[static_cast<size_t>(k)]; }
  uint32_t Index(int k) const { return index_[static_cast<size_t>(k)]; }

  // The level of every pixel: where a pixel's index differs from the previous pixel's,
  // maxValue(previous index, index) (the first pixel reads its own index alone), else the
  // previous level again; with `everyPixel` each pixel is read anew. `out` holds Pixels()
  // values.
  template <class MaxValue>
  void Levels(MaxValue&& maxValue, float* out, bool everyPixel = false) const {
    const size_t n = index_.size();
    float v = 0.0f;
    for (size_t k = 0; k < n; ++k) {
      if (k == 0) {
        v = maxValue(index_[0], index_[0]);
      } else if (everyPixel || index_[k] != index_[k - 1]) {
        const uint32_t a = index_[k - 1] < index_[k] ? index_[k - 1] : index_[k];
        const uint32_t b = index_[k - 1] < index_[k] ? index_[k] : index_[k - 1];
        v = maxValue(a, b);
      }
      out[k] = v;
    }
  }
  // Levels of a spectrum (MaxValue of the spectrum).
  void Levels(const TSpectralData& spectrum, float* out, bool everyPixel = false) const;

 private:
  std::vector<float> freq_;
  std::vector<uint32_t> index_;
};

}  // namespace views
}  // namespace orvanix
