// The whole processing step per block (copy, window, transform, scale, average, two-channel
// results) at N = 4096, 48 kHz 16-bit, Hanning window, exponential averaging of 8 blocks,
// logarithmic amplitude.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

#include "engine/ProcessingStep.h"

namespace {

using namespace orvanix;

constexpr int kBenchFftSize = 4096;

// Engine objects for a mode and frequency axis, with the buffers full of noise and a tone.
bool Prepare(uint16_t channels, uint16_t mode, uint16_t freqScale, TEngineObjects& engine) {
  ProcessingSettings settings;
  settings.format = MakeWaveFormat(channels, 48000, 2);
  settings.fftSize = kBenchFftSize;
  settings.smoothingWindow = kWindowHanning;
  settings.averageType = kAverageExponential;
  settings.averageBlocks = 8;
  settings.channelProcessing = mode;
  ScalingSettings scaling;
  scaling.ampScale = 1;
  scaling.freqScale = freqScale;
  scaling.octaveNumber = 3;
  if (!BuildEngineObjects(settings, scaling, engine)) return false;
  std::mt19937 rng(1);
  std::normal_distribution<double> noise(0.0, 2000.0);
  for (TSeriesData* series : {engine.seriesLeft.get(), engine.seriesRight.get()}) {
    if (!series) continue;
    for (uint32_t i = 0; i < series->Count(); ++i) {
      const double tone = 8000.0 * std::sin(0.1 * i);
      series->PutSample(i, static_cast<int32_t>(std::lround(tone + noise(rng))));
    }
  }
  return true;
}

void RunStep(benchmark::State& state, uint16_t channels, uint16_t mode, uint16_t freqScale) {
  TEngineObjects engine;
  if (!Prepare(channels, mode, freqScale, engine)) {
    state.SkipWithError("engine objects could not be built");
    return;
  }
  for (auto _ : state) {
    ProcessBlock(engine);
    benchmark::DoNotOptimize(engine.left->AveragePower(100));
  }
  state.SetItemsProcessed(state.iterations());
}

// Mode 0, mono, linear frequency axis.
void BM_ProcessBlock_Mode0(benchmark::State& state) {
  RunStep(state, 1, kLeftOnly, 0);
}
// Mode 10 (coherence), stereo, linear frequency axis.
void BM_ProcessBlock_Mode10Coherence(benchmark::State& state) {
  RunStep(state, 2, kCoherence, 0);
}
// Mode 0, mono, 1/3-octave axis (band values updated every block).
void BM_ProcessBlock_Mode0ThirdOctave(benchmark::State& state) {
  RunStep(state, 1, kLeftOnly, 2);
}

BENCHMARK(BM_ProcessBlock_Mode0)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ProcessBlock_Mode10Coherence)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ProcessBlock_Mode0ThirdOctave)->Unit(benchmark::kMicrosecond);

}  // namespace
