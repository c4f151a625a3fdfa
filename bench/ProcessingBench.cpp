// The work of one block of a file analysis, as the run loop does it after reading the
// samples (decimation, peak level, the processing step: copy, window, transform, scale,
// average, two-channel results), for the settings that cost the most per sample. Every
// case is 48 kHz 16-bit stereo, Hanning, exponential "Infinite" averaging, logarithmic
// amplitude; items are the samples a block analyses (N x D for each channel the mode
// analyses), so that the items-per-second of two cases compare their cost per analysed
// sample:
//   BM_Block/plain          FFT 4096, mode 0, linear axis (the base of every ratio)
//   BM_Block/decimation10   decimation 10 with its low-pass filter
//   BM_Block/both           FFT 4096, mode 2: both channels transformed and averaged
//   BM_Block/mode10         coherence
//   BM_Block/mode11octave   transfer function and coherence on 1/3-octave bands
//   BM_Block/fft65536log    FFT 65536 on the logarithmic axis
// scripts/bench.sh prints each case's cost per analysed sample against the plain one.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/ProcessingStep.h"

namespace {

using namespace orvanix;

struct BlockCase {
  const char* name;
  int fftSize;
  uint16_t decimation;
  uint16_t mode;
  uint16_t freqScale;
  int channels;  // analysed by the mode
};

constexpr BlockCase kCases[] = {
    {"plain", 4096, 1, kLeftOnly, 0, 1},
    {"both", 4096, 1, kBothChannels, 0, 2},
    {"decimation10", 4096, 10, kLeftOnly, 0, 1},
    {"mode10", 4096, 1, kCoherence, 0, 2},
    {"mode11octave", 4096, 1, kTransferAndCoherenceLR, 2, 2},
    {"fft65536log", 65536, 1, kLeftOnly, 1, 1},
};

bool Prepare(const BlockCase& c, TEngineObjects& engine) {
  ProcessingSettings settings;
  settings.format = MakeWaveFormat(2, 48000, 2);
  settings.fftSize = c.fftSize;
  settings.decimationRatio = c.decimation;
  settings.lowPassFilter = 1;
  settings.smoothingWindow = kWindowHanning;
  settings.averageType = kAverageExponential;
  settings.averageBlocks = kInfiniteAverages;
  settings.channelProcessing = c.mode;
  ScalingSettings scaling;
  scaling.ampScale = 1;
  scaling.freqScale = c.freqScale;
  scaling.octaveNumber = 3;
  return BuildEngineObjects(settings, scaling, engine);
}

// A tone in noise, as the raw bytes of one channel's block.
std::vector<uint8_t> Samples(const TSeriesData& series, uint32_t seed) {
  std::vector<uint8_t> bytes(size_t{series.Count()} * 2);
  std::mt19937 rng(seed);
  std::normal_distribution<double> noise(0.0, 2000.0);
  for (uint32_t i = 0; i < series.Count(); ++i) {
    const double tone = 8000.0 * std::sin(0.1 * i);
    const auto v = static_cast<int16_t>(std::lround(tone + noise(rng)));
    std::memcpy(&bytes[size_t{i} * 2], &v, 2);
  }
  return bytes;
}

void BM_Block(benchmark::State& state, const BlockCase& c) {
  TEngineObjects engine;
  if (!Prepare(c, engine)) {
    state.SkipWithError("engine objects could not be built");
    return;
  }
  TSeriesData* series[2] = {engine.seriesLeft.get(), engine.seriesRight.get()};
  const std::vector<uint8_t> input[2] = {Samples(*series[0], 1), Samples(*series[1], 2)};
  // Both channels of a stereo file are read, decimated and measured, whatever the mode.
  int level = 0;
  for (auto _ : state) {
    for (int ch = 0; ch < 2; ++ch) {
      std::memcpy(series[ch]->SampleAddress(0), input[ch].data(), input[ch].size());
      series[ch]->Decimate();
      level += series[ch]->PeakLevel();
    }
    ProcessBlock(engine);
    benchmark::DoNotOptimize(engine.left->AveragePower(100));
  }
  benchmark::DoNotOptimize(level);
  state.SetItemsProcessed(state.iterations() * int64_t{c.fftSize} * c.decimation * c.channels);
}

const bool kRegistered = [] {
  for (const BlockCase& c : kCases) {
    benchmark::RegisterBenchmark((std::string("BM_Block/") + c.name).c_str(), BM_Block, c)
        ->Unit(benchmark::kMicrosecond);
  }
  return true;
}();

}  // namespace
