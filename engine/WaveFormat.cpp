#include "engine/WaveFormat.h"

namespace orvanix {

void WaveFormat::Set(uint32_t channelCount, uint32_t rateHz, uint32_t bytes) {
  channels = static_cast<uint16_t>((channelCount == 0 || channelCount > 2) ? 1 : channelCount);
  bytesPerSample = static_cast<uint16_t>((bytes == 0 || bytes > 4) ? 2 : bytes);
  sampleRate = rateHz == 0 ? 44100 : rateHz;
  bitsPerSample = static_cast<uint16_t>(bytesPerSample * 8);
  switch (bytesPerSample) {
    case 1:
      maxValue = 255;
      minValue = 0;
      zeroValue = 127;  // not 128: kept for compatibility with stored files and peers
      break;
    case 2:
      maxValue = 32767;
      minValue = -32767;
      zeroValue = 0;
      break;
    case 3:
      maxValue = 8388607;
      minValue = -8388607;
      zeroValue = 0;
      break;
    default:
      maxValue = 1073741824;
      minValue = -1073741824;
      zeroValue = 0;
      break;
  }
}

uint32_t WaveFormat::FramesOf(double seconds) const {
  const double frames = static_cast<double>(sampleRate) * seconds;
  if (!(frames > 0.0)) return 0;
  if (frames >= 4294967295.0) return 4294967295u;
  return static_cast<uint32_t>(frames);
}

WaveFormat MakeWaveFormat(uint32_t channels, uint32_t rateHz, uint32_t bytesPerSample) {
  WaveFormat format;
  format.Set(channels, rateHz, bytesPerSample);
  return format;
}

}  // namespace orvanix
