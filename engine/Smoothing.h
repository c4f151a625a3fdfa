// A smoothing (data) window of a given length and type, with optional correction.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvanix {

enum WindowType : uint16_t {
  kWindowBartlett = 0,
  kWindowBlackman = 1,
  kWindowFlatTop = 2,
  kWindowHamming = 3,
  kWindowHanning = 4,
  kWindowKaiser = 5,
  kWindowParzen = 6,
  kWindowTriangular = 7,
  kWindowUniform = 8,
  kWindowGaussian = 9,
};
inline constexpr uint16_t kWindowTypeCount = 10;

enum WindowCorrection : uint16_t {
  kCorrectionNone = 0,
  kCorrectionEnergy = 1,
  kCorrectionAmplitude = 2
};

// The window's own texts.
inline constexpr const char* kWindowTypeNames[kWindowTypeCount] = {
    "Bartlett", "Blackman", "Flat top",   "Hamming", "Hanning",
    "Kaiser",   "Parzen",   "Triangular", "Uniform", "Gaussian"};
inline constexpr const char* kInvalidWindowTypeMessage = "TSmoothing: Invalid Window Type";
inline constexpr const char* kInvalidWindowTypeCaption = "Error";

// Longest window built, in points (64 MB of table). Far above the largest FFT; a larger
// size is treated like a failed allocation.
inline constexpr uint32_t kMaxWindowSize = 1u << 24;

// The window is a table of Size() floats, w[i] for i = 0 .. Size()-1, multiplied by the
// correction factor 10^c of its type and correction mode (energy correction brings the
// window's RMS to about 1, amplitude correction its mean). Its operations work on arrays of
// Size() floats. A one-point window is {1} and a zero-point window is empty.
//
// Failures: an invalid type reports kInvalidWindowTypeMessage (caption
// kInvalidWindowTypeCaption) and an allocation failure reports kInsufficientMemory, both
// through Messages(); either sets the error flag, empties the table and makes every
// Apply/Remove operation do nothing until a later Rebuild, SetSize or SetType succeeds.
class TSmoothing {
 public:
  TSmoothing(uint32_t size, uint16_t type, uint16_t correction);

  bool Error() const { return error_; }
  // Each of these stores what it is given, then validates and rebuilds the table.
  void Rebuild(uint32_t size, uint16_t type, uint16_t correction);
  void SetSize(uint32_t size);
  void SetType(uint16_t type);
  uint32_t Size() const { return size_; }
  uint16_t Type() const { return type_; }
  // kCorrectionNone, kCorrectionEnergy or kCorrectionAmplitude; other values correct nothing.
  uint16_t Correction() const { return correction_; }
  // The table (empty for Uniform or after an error).
  const std::vector<float>& Table() const { return table_; }
  // The factor the table was multiplied by (1 without correction, for Uniform and Gaussian).
  double Factor() const { return factor_; }

  // Display text of a window type (at most 12 characters); empty for an out-of-range type.
  static std::string TypeName(uint16_t type);

  // destination[i] = source[i] * w[i]; Uniform copies.
  void Apply(const float* source, float* destination) const;
  // values[i] *= w[i]; Uniform leaves the values alone.
  void ApplyInPlace(float* values) const;
  // destination[i] = source[i] / w[i] where |w[i]| > 1e-7, other elements left untouched;
  // Uniform copies.
  void Remove(const float* source, float* destination) const;
  // values[i] /= w[i] where |w[i]| > 1e-11; Uniform leaves the values alone.
  void RemoveInPlace(float* values) const;

 private:
  void Build();
  // False when the table could not be applied or removed (error, no table, null arrays).
  bool Usable(const void* a, const void* b) const;

  bool error_ = false;
  uint32_t size_ = 0;
  uint16_t type_ = kWindowHanning;
  std::vector<float> table_;
  uint16_t correction_ = kCorrectionNone;
  double factor_ = 1.0;
};

}  // namespace orvanix
