// The ten measurements of one spectrum against the processing step of one block at the
// same FFT size. The measurement windows recompute at every repaint, after every block, so
// all ten together must cost less than the step that made the spectrum.
//
// The spectrum: 48 kHz 16-bit stereo, Hanning window, exponential averaging of 8 blocks,
// logarithmic amplitude; a 1 kHz tone with harmonics, a 7 kHz tone and noise. The step is
// timed in mode 0 (one channel); the measurements read the left channel (and the right for
// the noise figure).
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

#include "engine/ProcessingStep.h"
#include "measure/Measurements.h"

namespace {

using namespace orvanix;

bool Prepare(int fftSize, uint16_t channels, TEngineObjects& engine) {
  ProcessingSettings settings;
  settings.format = MakeWaveFormat(channels, 48000, 2);
  settings.fftSize = fftSize;
  settings.smoothingWindow = kWindowHanning;
  settings.averageType = kAverageExponential;
  settings.averageBlocks = 8;
  settings.channelProcessing = channels == 2 ? kBothChannels : kLeftOnly;
  ScalingSettings scaling;
  scaling.ampScale = 1;
  if (!BuildEngineObjects(settings, scaling, engine)) return false;
  std::mt19937 rng(1);
  std::normal_distribution<double> noise(0.0, 30.0);
  for (TSeriesData* series : {engine.seriesLeft.get(), engine.seriesRight.get()}) {
    if (!series) continue;
    for (uint32_t i = 0; i < series->Count(); ++i) {
      const double t = i / 48000.0;
      double v = 0;
      for (int h = 1; h <= 5; ++h) v += 12000.0 / (h * h * h) * std::sin(2 * M_PI * 1000.0 * h * t);
      v += 3000.0 * std::sin(2 * M_PI * 7000.0 * t) + noise(rng);
      series->PutSample(i, static_cast<int32_t>(std::lround(v)));
    }
  }
  for (int block = 0; block < 8; ++block) ProcessBlock(engine);
  return true;
}

void BM_ProcessBlock(benchmark::State& state) {
  TEngineObjects engine;
  if (!Prepare(static_cast<int>(state.range(0)), 1, engine)) {
    state.SkipWithError("engine objects could not be built");
    return;
  }
  for (auto _ : state) {
    ProcessBlock(engine);
    benchmark::DoNotOptimize(engine.left->AveragePower(100));
  }
}

void BM_TenMeasurements(benchmark::State& state) {
  TEngineObjects engine;
  if (!Prepare(static_cast<int>(state.range(0)), 2, engine)) {
    state.SkipWithError("engine objects could not be built");
    return;
  }
  const TSpectralData* s = engine.left.get();
  const TSpectralData* r = engine.right.get();
  for (auto _ : state) {
    float sum = ComputeThd(s) + ComputeThdPlusNoise(s) + ComputeImd(s) + ComputeSnr(s) +
                ComputeSinad(s) + ComputeSfdr(s) +
                ComputeNoiseFigure(s, r, kNoiseFigureLeftVsRight) + PeakFrequency(s) +
                PeakAmplitude(s) + TotalPower(s);
    benchmark::DoNotOptimize(sum);
  }
}

BENCHMARK(BM_ProcessBlock)->Arg(4096)->Arg(32768)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TenMeasurements)->Arg(4096)->Arg(32768)->Unit(benchmark::kMicrosecond);

}  // namespace
