// The two noise resources "WHITEWAVE" and "PINKWAVE": complete RIFF wave files (44-byte
// header, PCM, mono, 44100 Hz, 16 bits) made at build time by our own deterministic code
// (generator/NoiseMaker.h, tools/MakeNoiseWaves.cpp) and compiled into the program. The
// generator plays their sample values at whatever output rate is set; it does not resample.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace orvanix {

// Sample counts of the two resources.
inline constexpr uint32_t kWhiteNoiseSamples = 44423;  // 88846 data bytes, about 1 s
inline constexpr uint32_t kPinkNoiseSamples = 181245;  // 362490 data bytes, about 4.1 s

// The loop length of a resource of S samples: S - 20, made even (white 44402, pink 181224).
inline constexpr uint32_t NoiseLoopLength(uint32_t samples) {
  const uint32_t n = samples > 20 ? samples - 20 : 0;
  return n & ~1u;
}

// One resource, parsed.
class TNoiseResource {
 public:
  // Parses a resource's bytes: exactly our 44-byte header (PCM, mono, 44100 Hz, 16 bits)
  // and its data. False (nothing kept) for anything else.
  bool Load(std::span<const uint8_t> wave);
  bool Loaded() const { return !samples_.empty(); }
  const std::vector<int16_t>& Samples() const { return samples_; }
  uint32_t SampleCount() const { return static_cast<uint32_t>(samples_.size()); }
  // Playback wraps at this sample; 0 when not loaded.
  uint32_t LoopLength() const { return NoiseLoopLength(SampleCount()); }
  // S - 20: the natural length of Pink Noise (one loop and one sample more than a loop).
  uint32_t UnevenLength() const { return SampleCount() > 20 ? SampleCount() - 20 : 0; }

 private:
  std::vector<int16_t> samples_;
};

class TNoiseResources {
 public:
  TNoiseResource white;
  TNoiseResource pink;
  bool Loaded() const { return white.Loaded() && pink.Loaded(); }
};

// The program's two resources, parsed from the bytes compiled in. False when either is
// missing or malformed: the noise types then produce nothing.
bool LoadNoiseResources(TNoiseResources& resources);

// The bytes compiled into the program (generated source of the build).
std::span<const uint8_t> WhiteWaveResource();
std::span<const uint8_t> PinkWaveResource();

}  // namespace orvanix
