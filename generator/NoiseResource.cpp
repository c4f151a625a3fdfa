#include "generator/NoiseResource.h"

#include <cstring>

namespace orvanix {

namespace {

uint32_t Read32(const uint8_t* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}
uint16_t Read16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

}  // namespace

bool TNoiseResource::Load(std::span<const uint8_t> wave) {
  samples_.clear();
  constexpr size_t kHeader = 44;
  if (wave.size() < kHeader) return false;
  const uint8_t* p = wave.data();
  const bool header = std::memcmp(p, "RIFF", 4) == 0 && std::memcmp(p + 8, "WAVE", 4) == 0 &&
                      std::memcmp(p + 12, "fmt ", 4) == 0 && Read32(p + 16) == 16 &&
                      Read16(p + 20) == 1 && Read16(p + 22) == 1 && Read32(p + 24) == 44100 &&
                      Read32(p + 28) == 88200 && Read16(p + 32) == 2 && Read16(p + 34) == 16 &&
                      std::memcmp(p + 36, "data", 4) == 0;
  if (!header) return false;
  const uint32_t dataBytes = Read32(p + 40);
  if (dataBytes == 0 || dataBytes % 2 != 0 || dataBytes > wave.size() - kHeader) return false;
  samples_.resize(dataBytes / 2);
  for (size_t i = 0; i < samples_.size(); ++i) {
    samples_[i] = static_cast<int16_t>(Read16(p + kHeader + 2 * i));
  }
  return true;
}

bool LoadNoiseResources(TNoiseResources& resources) {
  const bool white = resources.white.Load(WhiteWaveResource());
  const bool pink = resources.pink.Load(PinkWaveResource());
  return white && pink;
}

}  // namespace orvanix
