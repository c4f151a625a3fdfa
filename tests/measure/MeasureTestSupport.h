// Shared pieces of the measurement tests (standard C++ only, so that they run under the
// sanitizer build): spectra with chosen bin powers, signals analysed by the engine the way
// a Post-Processing run does it, and a scratch folder.
#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "engine/ProcessingStep.h"
#include "engine/SpectralData.h"

namespace orvanix::test {

inline ProcessingSettings SettingsFor(uint32_t fftSize, uint32_t rate = 48000,
                                      uint16_t channels = 1) {
  ProcessingSettings p;
  p.format.Set(channels, rate, 2);
  p.fftSize = static_cast<int32_t>(fftSize);
  p.averageBlocks = 1;
  p.averageType = kAverageExponential;
  p.smoothingWindow = 8;  // Uniform
  p.channelProcessing = channels == 2 ? kBothChannels : kLeftOnly;
  p.UpdateDerived();
  return p;
}

// Makes `spectrum` hold exactly the given power per bin: the block is filled with the bins'
// complex values (magnitude sqrt(P), phase 0) and averaged once, without a transform. The
// last bin is never averaged and stays 0, as in every spectrum.
inline void SetPowers(TSpectralData& spectrum, const std::vector<float>& powers) {
  float* block = spectrum.BlockData();
  const uint32_t bins = spectrum.BinCount();
  for (uint32_t i = 0; i < bins; ++i) {
    block[2 * i] = i < powers.size() ? std::sqrt(std::max(powers[i], 0.f)) : 0.f;
    block[2 * i + 1] = 0.f;
  }
  spectrum.Average();
}

inline std::unique_ptr<TSpectralData> SpectrumWithPowers(const std::vector<float>& powers,
                                                         uint32_t rate = 48000,
                                                         const ScalingSettings& scaling = {}) {
  auto spectrum = std::make_unique<TSpectralData>(
      SettingsFor(static_cast<uint32_t>(2 * powers.size()), rate), scaling, 0);
  EXPECT_FALSE(spectrum->Error());
  SetPowers(*spectrum, powers);
  return spectrum;
}

// A signal in [-1, 1] per frame and channel.
using TSignal = std::function<double(uint64_t frame, uint32_t channel)>;

// Runs `frames` frames of a signal through fresh engine objects block by block, hopping as
// a Post-Processing run does (hop = N x (100 - overlap) / 100, whole blocks only), with
// 16-bit samples (rounded, clipped). Returns the engine with its averaged spectra.
inline std::unique_ptr<TEngineObjects> Analyse(const ProcessingSettings& settings,
                                               const ScalingSettings& scaling, uint64_t frames,
                                               const TSignal& signal) {
  auto engine = std::make_unique<TEngineObjects>();
  EXPECT_TRUE(BuildEngineObjects(settings, scaling, *engine));
  ApplyCalibration(nullptr, *engine);
  const ProcessingSettings& p = engine->settings;
  const uint32_t block = engine->seriesLeft->Count();
  const uint32_t hop = static_cast<uint32_t>(p.hopSize) * p.decimationRatio;
  const auto raw = [](double v) {
    return static_cast<int32_t>(std::lround(std::clamp(v, -1.0, 1.0) * 32767.0));
  };
  for (uint64_t start = 0; start + block <= frames; start += hop) {
    for (uint32_t i = 0; i < block; ++i) {
      engine->seriesLeft->PutSample(i, raw(signal(start + i, 0)));
      if (engine->seriesRight) engine->seriesRight->PutSample(i, raw(signal(start + i, 1)));
    }
    if (p.decimationRatio > 1) {
      engine->seriesLeft->Decimate();
      if (engine->seriesRight) engine->seriesRight->Decimate();
    }
    ProcessBlock(*engine);
  }
  return engine;
}

inline double Sine(double hz, double rate, uint64_t frame, double phase = 0) {
  return std::sin(2.0 * std::numbers::pi * hz * static_cast<double>(frame) / rate + phase);
}

class TScratch {
 public:
  TScratch() {
    char pattern[] = "/tmp/orvanix-measure-XXXXXX";
    const char* made = ::mkdtemp(pattern);
    path_ = made ? made : "/tmp";
  }
  ~TScratch() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

}  // namespace orvanix::test
