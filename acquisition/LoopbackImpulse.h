// Reading an impulse response for the Loopback device from a wave file: one channel of
// integer PCM (8, 16 or 24 bits), its samples in full-scale units (the largest positive
// sample is 1.0, so a 16-bit sample of 32767 at position d is a pure delay of d samples).
// The taps apply at the input's rate whatever rate the file names.
#pragma once

#include <string>
#include <vector>

namespace orvanix {

// False, with a message for the user naming the file, when the file is missing, malformed,
// not mono, empty or longer than TLoopbackConvolver::kMaxTaps samples.
bool ReadLoopbackImpulse(const std::string& path, std::vector<float>& taps, std::string& error);

}  // namespace orvanix
