#include "utilities/RoomHelpers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>

#include "engine/Fft.h"
#include "utilities/ReverbData.h"

namespace orvanix::test {

double RoomT60(double hz) {
  const double x = std::clamp(std::log2(hz / 100.0) / std::log2(160.0), 0.0, 1.0);
  return 2.0 - 1.7 * x;
}

std::vector<float> RoomResponse(uint32_t seed, double energy) {
  const uint32_t n = 1u << 17;
  const double rate = kReverbRateHz;
  std::mt19937 random(seed);
  std::normal_distribution<double> gauss(0.0, 1.0);
  std::vector<float> white(n);
  for (float& v : white) v = static_cast<float>(gauss(random));
  RealFft(white.data(), n, 1);
  std::vector<double> room(n, 0.0);
  std::vector<float> band(n);
  for (int k = -20; k <= 22; ++k) {  // centres 10 Hz ... 16 kHz
    const double centre = 1000.0 * std::pow(2.0, k / 3.0);
    const double lo = centre * std::pow(2.0, -1.0 / 6), hi = centre * std::pow(2.0, 1.0 / 6);
    std::fill(band.begin(), band.end(), 0.0f);
    for (uint32_t bin = 1; bin < n / 2; ++bin) {
      const double f = bin * rate / n;
      if (f >= lo && f < hi) band[2 * bin] = white[2 * bin], band[2 * bin + 1] = white[2 * bin + 1];
    }
    RealFft(band.data(), n, -1);
    const double decay = 3.0 * std::log(10.0) / RoomT60(centre);  // amplitude: 60 dB in T60
    for (uint32_t i = 0; i < n; ++i) room[i] += band[i] * std::exp(-decay * i / rate);
  }
  const size_t length = static_cast<size_t>(2.6 * rate);
  double sum = 0;
  for (size_t i = 0; i < length; ++i) sum += room[i] * room[i];
  std::vector<float> taps(length);
  for (size_t i = 0; i < length; ++i)
    taps[i] = static_cast<float>(room[i] * std::sqrt(energy / sum));
  return taps;
}

bool WriteRoomWave(const std::string& path, const std::vector<float>& taps) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  auto u32 = [f](uint32_t v) {
    for (int i = 0; i < 4; ++i) std::fputc(static_cast<int>((v >> (8 * i)) & 0xFF), f);
  };
  auto u16 = [f](uint32_t v) {
    std::fputc(static_cast<int>(v & 0xFF), f);
    std::fputc(static_cast<int>((v >> 8) & 0xFF), f);
  };
  const uint32_t data = static_cast<uint32_t>(taps.size() * 3);
  std::fputs("RIFF", f);
  u32(36 + data);
  std::fputs("WAVEfmt ", f);
  u32(16);
  u16(1);
  u16(1);
  u32(44100);
  u32(44100 * 3);
  u16(3);
  u16(24);
  std::fputs("data", f);
  u32(data);
  for (float t : taps) {
    const long v = std::lround(std::clamp(double(t), -1.0, 1.0) * 8388607.0);
    const uint32_t u = static_cast<uint32_t>(v);
    for (int i = 0; i < 3; ++i) std::fputc(static_cast<int>((u >> (8 * i)) & 0xFF), f);
  }
  return std::fclose(f) == 0;
}

}  // namespace orvanix::test
