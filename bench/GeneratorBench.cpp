// BuildSignal (the buffer of both channels' records) for every signal type at 48 kHz, 16-bit
// mono, with each type's default settings; and the longest buffer the dialogs allow, a
// 600-second logarithmic sweep. "x_realtime" is how many seconds of signal one second of
// CPU builds: the buffer is built once per change and then looped by the device, so it only
// has to be well above 1 for a change to feel immediate.
#include <benchmark/benchmark.h>

#include "engine/WaveFormat.h"
#include "files/WaveData.h"
#include "generator/NoiseResource.h"
#include "generator/SignalBuilder.h"
#include "generator/SignalTypes.h"

namespace {

using namespace orvanix;

constexpr uint32_t kRate = 48000;

const TNoiseResources& Noise() {
  static const TNoiseResources resources = [] {
    TNoiseResources r;
    LoadNoiseResources(r);
    return r;
  }();
  return resources;
}

void Run(benchmark::State& state, TGeneratorSettings settings) {
  uint32_t frames = 0;
  for (auto _ : state) {
    TGeneratorSettings g = settings;
    TBuildRequest request;
    request.settings = &g;
    request.analyzerFormat = MakeWaveFormat(1, kRate, 2);
    request.noise = &Noise();
    TBuildResult result = BuildSignalBuffer(request);
    if (!result.buffer) {
      state.SkipWithError("nothing was built");
      return;
    }
    frames = result.buffer->CapacityFrames();
    benchmark::DoNotOptimize(result.buffer->Memory());
  }
  state.counters["frames"] = frames;
  state.counters["x_realtime"] = benchmark::Counter(
      static_cast<double>(frames) / kRate * static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate);
}

void BM_BuildSignal(benchmark::State& state) {
  TGeneratorSettings g;
  g.left.type = static_cast<int32_t>(state.range(0));
  state.SetLabel(SignalTypeName(g.left.type));
  Run(state, g);
}
BENCHMARK(BM_BuildSignal)->DenseRange(0, kSignalTypeCount - 1)->Unit(benchmark::kMillisecond);

void BM_BuildLongestSweep(benchmark::State& state) {
  TGeneratorSettings g;
  g.left.type = kSignalFreqSweep;
  g.left.freqSweep = {20.0f, 20000.0f, 600000, 2};
  state.SetLabel("Freq Sweep, logarithmic, 600 s");
  Run(state, g);
}
BENCHMARK(BM_BuildLongestSweep)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
