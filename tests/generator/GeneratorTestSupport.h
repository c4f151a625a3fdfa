// Shared pieces of the generator's computing tests: building one channel, reading samples
// back, and measuring tones independently of the synthesis (a least-squares fit at a known
// frequency, and a fine search for a tone's frequency).
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "engine/Messages.h"
#include "engine/WaveFormat.h"
#include "files/WaveData.h"
#include "generator/NoiseResource.h"
#include "generator/SignalBuilder.h"
#include "generator/SignalTypes.h"

namespace orvanix::test {

inline const TNoiseResources& Noise() {
  static const TNoiseResources resources = [] {
    TNoiseResources r;
    LoadNoiseResources(r);
    return r;
  }();
  return resources;
}

// Builds with `g` for an analyzer format; the result keeps its messages.
inline TBuildResult Build(TGeneratorSettings g, uint32_t rate, uint32_t channels = 1,
                          uint32_t bytes = 2) {
  TBuildRequest request;
  request.settings = &g;
  request.analyzerFormat = MakeWaveFormat(channels, rate, bytes);
  request.noise = &Noise();
  return BuildSignalBuffer(request);
}

// One channel of the left type, everything else default.
inline TGeneratorSettings Settings(int32_t leftType) {
  TGeneratorSettings g;
  g.left.type = leftType;
  g.right.type = kSignalDigitalZero;
  return g;
}

// The samples of one channel, minus the zero value.
inline std::vector<double> Channel(const TWaveData& buffer, uint32_t channel = 0) {
  std::vector<double> x(buffer.CapacityFrames());
  const WaveFormat& f = buffer.Format();
  const uint8_t* base = buffer.Memory() + f.ChannelIndex(channel) * f.bytesPerSample;
  for (size_t i = 0; i < x.size(); ++i) {
    const uint8_t* p = base + i * f.BlockAlign();
    int32_t v = 0;
    if (f.bytesPerSample == 4) {
      v = static_cast<int32_t>(uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) |
                               (uint32_t{p[3]} << 24));
    } else {
      v = DecodeSample(p, f.bytesPerSample, f.zeroValue);
    }
    x[i] = v - f.zeroValue;
  }
  return x;
}

// Amplitude of the component at `hz` over samples from ... from + count - 1 (a whole number
// of its periods gives the exact value): least squares against sin and cos.
inline double Amplitude(const std::vector<double>& x, double hz, double rate, size_t from = 0,
                        size_t count = 0) {
  if (count == 0) count = x.size() - from;
  std::complex<double> sum = 0;
  for (size_t i = from; i < from + count; ++i) {
    sum += x[i] * std::polar(1.0, -2.0 * std::numbers::pi * hz * static_cast<double>(i) / rate);
  }
  return 2.0 * std::abs(sum) / static_cast<double>(count);
}

// The same with a Hann window (normalised to its sum): for telling a weak component beside
// strong ones, not for exact levels.
inline double WindowedAmplitude(const std::vector<double>& x, double hz, double rate, size_t from,
                                size_t count) {
  std::complex<double> sum = 0;
  double weights = 0;
  for (size_t i = 0; i < count; ++i) {
    const double w = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / (count - 1.0));
    weights += w;
    sum += w * x[from + i] *
           std::polar(1.0, -2.0 * std::numbers::pi * hz * static_cast<double>(from + i) / rate);
  }
  return 2.0 * std::abs(sum) / weights;
}

// The frequency of the strongest tone near `guess` (within +-range Hz): golden-section search
// for the maximum of the windowed DTFT magnitude.
inline double ToneFrequency(const std::vector<double>& x, double rate, double guess,
                            double range = 1.0) {
  const size_t n = x.size();
  auto magnitude = [&](double hz) {
    std::complex<double> sum = 0;
    for (size_t i = 0; i < n; ++i) {
      const double w = 0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * i / (n - 1.0));
      sum +=
          w * x[i] * std::polar(1.0, -2.0 * std::numbers::pi * hz * static_cast<double>(i) / rate);
    }
    return std::abs(sum);
  };
  double a = guess - range, b = guess + range;
  const double r = (std::sqrt(5.0) - 1.0) / 2.0;
  double c = b - r * (b - a), d = a + r * (b - a);
  double fc = magnitude(c), fd = magnitude(d);
  while (b - a > 1e-4) {
    if (fc > fd) {
      b = d;
      d = c;
      fd = fc;
      c = b - r * (b - a);
      fc = magnitude(c);
    } else {
      a = c;
      c = d;
      fc = fd;
      d = a + r * (b - a);
      fd = magnitude(d);
    }
  }
  return (a + b) / 2.0;
}

// Mean frequency over samples from ... to - 1, from the linearly interpolated upward zero
// crossings.
inline double CrossingFrequency(const std::vector<double>& x, double rate, size_t from, size_t to) {
  std::vector<double> crossings;
  for (size_t i = from + 1; i < to; ++i) {
    if (x[i - 1] < 0.0 && x[i] >= 0.0) {
      crossings.push_back(static_cast<double>(i - 1) + (-x[i - 1]) / (x[i] - x[i - 1]));
    }
  }
  if (crossings.size() < 2) return 0.0;
  return (crossings.size() - 1) * rate / (crossings.back() - crossings.front());
}

inline double Db(double ratio) {
  return 20.0 * std::log10(ratio);
}

class TScratch {
 public:
  TScratch() {
    char pattern[] = "/tmp/orvanix-generator-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    path_ = made ? made : "/tmp";
  }
  ~TScratch() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// A PCM wave file written by hand (not by our wave code): `bytes` per sample, raw values.
inline void WritePcm(const std::string& path, uint32_t rate, uint16_t channels, uint16_t bytes,
                     uint32_t frames, const std::function<int32_t(uint32_t, uint32_t)>& sample) {
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  auto u32 = [f](uint32_t v) {
    for (int i = 0; i < 4; ++i) std::fputc(static_cast<int>((v >> (8 * i)) & 0xFF), f);
  };
  auto u16 = [f](uint32_t v) {
    std::fputc(static_cast<int>(v & 0xFF), f);
    std::fputc(static_cast<int>((v >> 8) & 0xFF), f);
  };
  const uint32_t data = frames * channels * bytes;
  std::fputs("RIFF", f);
  u32(36 + data + (data & 1));
  std::fputs("WAVEfmt ", f);
  u32(16);
  u16(1);
  u16(channels);
  u32(rate);
  u32(rate * channels * bytes);
  u16(channels * bytes);
  u16(8 * bytes);
  std::fputs("data", f);
  u32(data);
  for (uint32_t i = 0; i < frames; ++i) {
    for (uint32_t c = 0; c < channels; ++c) {
      const uint32_t v = static_cast<uint32_t>(sample(i, c));
      for (int b = 0; b < bytes; ++b) std::fputc(static_cast<int>((v >> (8 * b)) & 0xFF), f);
    }
  }
  if (data & 1) std::fputc(0, f);
  std::fclose(f);
}

}  // namespace orvanix::test
