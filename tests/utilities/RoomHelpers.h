// Synthetic rooms for the reverberation tests: impulse responses with a known 60 dB time per
// 1/3-octave band, made here independently of the analysis.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvanix::test {

// The room's T60 in seconds: 2.0 s at 100 Hz falling with log frequency to 0.3 s at 16 kHz.
double RoomT60(double hz);

// White noise split into 1/3-octave bands in the frequency domain, each band under its own
// exponential envelope (RoomT60), summed: 2.6 s at 44.1 kHz, scaled to `energy`.
std::vector<float> RoomResponse(uint32_t seed, double energy);

// The taps as a mono 24-bit 44100 Hz wave file (written byte by byte). False on failure.
bool WriteRoomWave(const std::string& path, const std::vector<float>& taps);

}  // namespace orvanix::test
