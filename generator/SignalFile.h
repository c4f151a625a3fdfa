// Writing the generator's buffer to a wave file ("Save Signal To Wave File...", the headless
// --generate ... --output). The file is the buffer's format with our 44-byte header and no
// calibration chunk, and replaces any file at the path all-or-nothing: a failed save leaves
// the old file as it was.
#pragma once

#include <cstdint>
#include <string>

namespace orvanix {

class TWaveData;

// Frames that "Save Signal" writes: the buffer once, or rate / length + 1 whole buffers for
// the left types Sawtooth, Triangular, Pulse and Square (about a second of the wave).
uint64_t SavedSignalFrames(const TWaveData& buffer, int32_t leftType);

// Writes exactly `frames` frames: the buffer over and over (`loop`), or once followed by
// silence. Failures are reported through Messages() and return false.
bool WriteSignalWave(const std::string& path, const TWaveData& buffer, uint64_t frames, bool loop);

}  // namespace orvanix
