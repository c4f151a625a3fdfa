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

enum WindowCorrection : uint16_t { kCorrectionNone = 0, kCorrectionEnergy = 1, kCorrectionAmplitude = 2 };

class TSmoothing {
 public:
  TSmoothing(uint32_t size, uint16_t type, uint16_t correction);

  bool Error() const { return error_; }
  void Rebuild(uint32_t size, uint16_t type, uint16_t correction);
  void SetSize(uint32_t size);
  void SetType(uint16_t type);
  uint32_t Size() const { return size_; }
  uint16_t Type() const { return type_; }
  uint16_t Correction() const { return correction_; }
  // The table (empty for Uniform or after an error).
  const std::vector<float>& Table() const { return table_; }

  // Display text of a window type; empty for an out-of-range type.
  static std::string TypeName(uint16_t type);

  void Apply(const float* source, float* destination) const;
  void ApplyInPlace(float* values) const;
  void Remove(const float* source, float* destination) const;
  void RemoveInPlace(float* values) const;

 private:
  void Build();

  bool error_ = false;
  uint32_t size_ = 0;
  uint16_t type_ = kWindowHanning;
  std::vector<float> table_;
  uint16_t correction_ = kCorrectionNone;
};

}  // namespace orvanix
