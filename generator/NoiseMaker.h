// Makes the two noise resources, deterministically (the same bytes on every build and
// platform): used at build time by tools/MakeNoiseWaves.cpp, whose output is compiled into
// the program.
//
// Each noise is one period of a periodic signal whose period is the resource's loop length,
// built in the frequency domain: every DFT bin of the period gets its exact magnitude and a
// random phase, and an inverse DFT gives the samples. So the loop plays without a seam, and
// the spectrum over any whole number of loops is exactly the designed one:
//  - white: every bin from the first up to the one below Nyquist at the same magnitude;
//  - pink: magnitude 1/sqrt(f) (power falling 3.01 dB per octave) from kPinkLowHz up, no
//    content below it (at 44100 Hz).
// The samples after the loop (the resource holds S samples, the loop S - 21) continue the
// period. The peak is set to kNoisePeakDb re full scale and rounded to 16 bits.
#pragma once

#include <cstdint>
#include <vector>

namespace orvanix {

inline constexpr double kPinkLowHz = 10.0;
inline constexpr double kNoisePeakDb = -1.0;

enum class NoiseColour { White, Pink };

// The resource's 16-bit samples (kWhiteNoiseSamples or kPinkNoiseSamples of them).
std::vector<int16_t> MakeNoiseSamples(NoiseColour colour);
// The complete wave file: 44-byte header (PCM, mono, 44100 Hz, 16 bits) and the samples.
std::vector<uint8_t> MakeNoiseWave(NoiseColour colour);

}  // namespace orvanix
