// Settings of the virtual Loopback device: what the virtual output plays arrives at the
// virtual input, changed by these. The configuration layer fills the record from the program
// settings file (section kLoopbackSection, one key per field) and calls Normalise().
#pragma once

#include <cmath>
#include <cstdint>
#include <string>

namespace orvanix {

inline constexpr const char* kLoopbackSection = "Loopback";
inline constexpr const char* kLoopbackKeyDelayChannel = "DelayChannel";
inline constexpr const char* kLoopbackKeyDelaySamples = "DelaySamples";
inline constexpr const char* kLoopbackKeyGain = "Gain";
inline constexpr const char* kLoopbackKeyNoiseLevel = "NoiseLevel";
inline constexpr const char* kLoopbackKeyNoiseSeed = "NoiseSeed";
inline constexpr const char* kLoopbackKeyImpulseLeft = "ImpulseResponseLeft";
inline constexpr const char* kLoopbackKeyImpulseRight = "ImpulseResponseRight";

struct TLoopbackSettings {
  // About 21 s at 48 kHz: a room-sized delay with margin, and a bounded delay line.
  static constexpr uint32_t kMaxDelaySamples = 1u << 20;
  static constexpr float kMaxGain = 1000.0f;

  uint32_t delayChannel = 1;  // the channel that arrives late: 0 left, 1 right
  uint32_t delaySamples = 0;  // frames at the input's rate, 0 ... kMaxDelaySamples
  float gain = 1.0f;          // linear factor from output to input, 0 ... kMaxGain
  float noiseLevel = 0.0f;    // RMS of added white Gaussian noise, fraction of full scale, 0 ... 1
  uint32_t noiseSeed = 1;     // the noise restarts from this seed whenever the input starts
  // Mono wave files (LoopbackImpulse.h) convolved with each channel on its way, before the
  // gain, the delay and the noise; empty for none.
  std::string impulseLeft;
  std::string impulseRight;

  // Clamps every field into its range; a NaN gain or noise level becomes its default.
  void Normalise() {
    delayChannel = delayChannel ? 1 : 0;
    if (delaySamples > kMaxDelaySamples) delaySamples = kMaxDelaySamples;
    if (std::isnan(gain)) gain = 1.0f;
    gain = std::fmin(std::fmax(gain, 0.0f), kMaxGain);
    if (std::isnan(noiseLevel)) noiseLevel = 0.0f;
    noiseLevel = std::fmin(std::fmax(noiseLevel, 0.0f), 1.0f);
    if (noiseSeed == 0) noiseSeed = 1;  // the generator's state must never be zero
  }
};

}  // namespace orvanix
