// Building the generator's sample buffer from both channels' records and the output level:
// the computing part of BuildSignal. The generator (generator/SignalGenerator.h) stops the
// analyzer, shows the wait state and reports the messages around it.
//
// Bound. A channel may ask for at most kMaxSignalSeconds of samples at the output rate (the
// longest sweep the details dialogs accept); longer signals (long bursts, DTMF strings of
// long pulses, user files, values from configuration files that no dialog checked) are
// refused with kSignalTooLong and nothing is built. With the one-second rule and the even
// length, the largest buffer at 192 kHz is 600 x 192000 = 115,200,000 frames: 691 MB in
// stereo with 3-byte samples, 922 MB with 4-byte ones. A buffer that cannot be allocated is
// reported with the common insufficient-memory message, and there is no buffer.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/WaveFormat.h"
#include "files/SettingsRecordsGenerator.h"

namespace orvanix {

class TNoiseResources;
class TWaveData;

inline constexpr uint32_t kMaxSignalSeconds = 600;
// Rates the generator accepts for "GeneratorSamplingRate"; others mean the analyzer's rate.
inline constexpr uint32_t kMinGeneratorRateHz = 1000;
inline constexpr uint32_t kMaxGeneratorRateHz = 384000;

struct TBuildRequest {
  // Both records, the level (an FS of 0 or less for units in volts is stored as 1 here)
  // and "GeneratorSamplingRate".
  TGeneratorSettings* settings = nullptr;
  // The analyzer's format: its rate (unless the generator has its own), channels and width.
  WaveFormat analyzerFormat;
  const TNoiseResources* noise = nullptr;
  // Percent of the channel being built, every 1000 samples.
  std::function<void(int channel, int percent)> progress;
};

struct TBuildResult {
  // The interleaved samples in `format`; null when nothing was built.
  std::unique_ptr<TWaveData> buffer;
  WaveFormat format;
  // Each channel's natural length and its length after the one-second rule.
  int64_t natural[2] = {0, 0};
  int64_t lengths[2] = {0, 0};
  // Messages for the user, in order (the user file failures, a refusal): shown by the caller
  // once the build is over.
  std::vector<std::string> messages;
};

// The output format: the generator's own rate or the analyzer's, the analyzer's channels
// and width; a User Defined file that opens lends its rate and width (two files: the larger
// of each). Then each channel's length, the buffer, and each channel's samples.
TBuildResult BuildSignalBuffer(const TBuildRequest& request);

}  // namespace orvanix
