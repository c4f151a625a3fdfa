// The sample format shared by settings, wave documents, sound ports and block buffers.
// Samples are frames of interleaved channels, left (channel 0) first.
#pragma once

#include <cstdint>

namespace orvanix {

struct WaveFormat {
  uint16_t channels = 1;         // 1 mono, 2 stereo
  uint32_t sampleRate = 44100;   // frames per second
  uint16_t bytesPerSample = 2;   // 1, 2, 3 or 4
  uint16_t bitsPerSample = 16;   // always 8 x bytesPerSample
  int32_t maxValue = 32767;      // largest sample value
  int32_t minValue = -32767;     // smallest sample value (symmetric on purpose)
  int32_t zeroValue = 0;         // value of silence (127 for unsigned 8-bit)

  // Sets and normalises: channels 0 or > 2 become 1, bytes 0 or > 4 become 2,
  // rate 0 becomes 44100; the derived fields follow from bytes per sample.
  void Set(uint32_t channelCount, uint32_t rateHz, uint32_t bytes);
  // Re-derives bits, max, min and zero and normalises the stored fields.
  void Normalise() { Set(channels, sampleRate, bytesPerSample); }

  uint32_t BlockAlign() const { return uint32_t{channels} * bytesPerSample; }
  // Half the peak-to-peak range: the amplitude of a full-scale sine.
  // Computed in 64 bits: max - min of the 4-byte format does not fit in 32.
  float FullScale() const {
    return static_cast<float>((int64_t{maxValue} - int64_t{minValue}) / 2.0);
  }
  // A channel argument of 1 on a mono format means channel 0.
  uint32_t ChannelIndex(uint32_t channel) const { return channels == 1 ? 0 : (channel ? 1 : 0); }
  // Seconds to frames, truncated toward zero.
  uint32_t FramesOf(double seconds) const;

  // Equal when channels, rate and bytes per sample are equal.
  bool operator==(const WaveFormat& other) const {
    return channels == other.channels && sampleRate == other.sampleRate &&
           bytesPerSample == other.bytesPerSample;
  }
};

WaveFormat MakeWaveFormat(uint32_t channels, uint32_t rateHz, uint32_t bytesPerSample);

// 24-bit samples: a raw 3-byte value with bit 23 set is negative.
inline int32_t Widen24(uint32_t raw) {
  raw &= 0xFFFFFFu;
  return (raw & 0x800000u) ? static_cast<int32_t>(raw) - 0x1000000 : static_cast<int32_t>(raw);
}
inline uint32_t Narrow24(int32_t value) {
  if (value < 0) return (static_cast<uint32_t>(value + 0x1000000) | 0x800000u) & 0xFFFFFFu;
  return static_cast<uint32_t>(value) & 0xFFFFFFu;
}

// Decodes one little-endian sample of 1, 2 or 3 bytes; other widths give `zero`.
inline int32_t DecodeSample(const uint8_t* p, uint32_t bytes, int32_t zero) {
  switch (bytes) {
    case 1: return p[0];
    case 2: return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
    case 3: return Widen24(uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16));
    default: return zero;
  }
}
// Encodes one sample of 1, 2 or 3 bytes; other widths are ignored.
inline void EncodeSample(uint8_t* p, uint32_t bytes, int32_t value) {
  switch (bytes) {
    case 1: p[0] = static_cast<uint8_t>(value); break;
    case 2:
      p[0] = static_cast<uint8_t>(value & 0xFF);
      p[1] = static_cast<uint8_t>((value >> 8) & 0xFF);
      break;
    case 3: {
      const uint32_t raw = Narrow24(value);
      p[0] = static_cast<uint8_t>(raw & 0xFF);
      p[1] = static_cast<uint8_t>((raw >> 8) & 0xFF);
      p[2] = static_cast<uint8_t>((raw >> 16) & 0xFF);
      break;
    }
    default: break;
  }
}

}  // namespace orvanix
