// Costs of the spectrogram, 3-D surface, time-series and phase views at 1600 x 900, offscreen:
// adding one spectrogram line (FFT 4096 and 65536), adding one surface trace, repainting the
// time series of a one-hour 48 kHz stereo document zoomed out to the whole file (its min/max
// summary built beforehand, as the view keeps it), and repainting the phase view at FFT
// 65536.
//
//   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVANIX_BUILD_BENCH=ON
//   cmake --build build-bench --target orvanix_views_bench
//   build-bench/bench/orvanix_views_bench
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cmath>
#include <cstring>
#include <ctime>
#include <memory>

#include "engine/ProcessingStep.h"
#include "engine/SpectrumTexts.h"
#include "files/WaveData.h"
#include "views/PhasePlot.h"
#include "views/SeriesPlot.h"
#include "views/Spectrogram.h"
#include "views/SurfacePlot.h"
#include "views/ViewSource.h"

namespace {

using namespace orvanix;

class TBenchViewSource : public TViewSource {
 public:
  TBenchViewSource(int32_t fftSize, uint16_t channels, uint16_t mode) {
    ProcessingSettings p;
    p.format = MakeWaveFormat(channels, 48000, 2);
    p.fftSize = fftSize;
    p.channelProcessing = mode;
    p.UpdateDerived();
    ScalingSettings s;
    s.freqScale = 1;
    ok_ = BuildEngineObjects(p, s, objects_);
    if (!ok_) return;
    uint64_t state = 99;
    for (int block = 0; block < 2; ++block) {
      for (int32_t i = 0; i < fftSize; ++i) {
        const double t = (double(block) * fftSize + i) / 48000.0;
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        const double noise = double(state >> 40) / double(1ull << 24) - 0.5;
        const double v = 0.4 * std::sin(2 * M_PI * 1000.0 * t) + 1e-3 * noise;
        objects_.seriesLeft->PutSample(uint32_t(i), int32_t(std::lround(v * 32767.0)));
        if (objects_.seriesRight) {
          objects_.seriesRight->PutSample(uint32_t(i), int32_t(std::lround(0.5 * v * 32767.0)));
        }
      }
      ProcessBlock(objects_);
    }
  }
  bool Ok() const { return ok_; }
  const TSpectralData* Primary() const override {
    return SpectraForMode(objects_.settings.channelProcessing, objects_.left.get(),
                          objects_.right.get(), objects_.dual.get(), objects_.dual2.get())
        .primary;
  }
  const TSpectralData* Secondary() const override {
    return SpectraForMode(objects_.settings.channelProcessing, objects_.left.get(),
                          objects_.right.get(), objects_.dual.get(), objects_.dual2.get())
        .secondary;
  }
  std::string PrimaryLabel() const override { return kLabelLeftChannel; }
  std::string SecondaryLabel() const override { return {}; }
  const ProcessingSettings& Processing() const override { return objects_.settings; }
  const ScalingSettings& Scaling() const override { return objects_.scaling; }
  bool PostProcessing() const override { return false; }
  const TSeriesData* BlockSeries(int c) const override {
    return c == 0 ? objects_.seriesLeft.get() : c == 1 ? objects_.seriesRight.get() : nullptr;
  }
  TWaveData* SeriesDocument() const override { return document.get(); }
  uint64_t DocumentRevision() const override { return 1; }

  std::unique_ptr<TWaveData> document;

 private:
  TEngineObjects objects_;
  bool ok_ = false;
};

double ProcessCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

constexpr int kWidth = 1600;
constexpr int kHeight = 900;

void BM_SpectrogramLine(benchmark::State& state) {
  TBenchViewSource source(static_cast<int32_t>(state.range(0)), 1, kLeftOnly);
  if (!source.Ok()) return state.SkipWithError("engine objects");
  TSpectrogram view(&source);
  view.resize(kWidth, kHeight);
  view.EnsureLayout();
  double t = 0.0;
  for (auto _ : state) {
    view.Notify(t);
    t += 0.01;
  }
  state.counters["lines"] = view.Image(0).LineCount();
}
BENCHMARK(BM_SpectrogramLine)->Arg(4096)->Arg(65536)->Unit(benchmark::kMicrosecond);

void BM_SurfaceTrace(benchmark::State& state) {
  TBenchViewSource source(static_cast<int32_t>(state.range(0)), 1, kLeftOnly);
  if (!source.Ok()) return state.SkipWithError("engine objects");
  TSurfacePlot view(&source);
  TSurfaceOptions o;
  o.colorMode = static_cast<int32_t>(state.range(1));
  view.SetOptions(o);
  view.resize(kWidth, kHeight);
  view.EnsureLayout();
  double t = 0.0;
  for (auto _ : state) {
    view.Notify(t);
    t += 0.01;
  }
}
// Gradient (0, the default) and solid (1) colouring.
BENCHMARK(BM_SurfaceTrace)
    ->Args({4096, 0})
    ->Args({4096, 1})
    ->Args({65536, 0})
    ->Unit(benchmark::kMicrosecond);

void BM_SeriesHourZoomedOut(benchmark::State& state) {
  TBenchViewSource source(4096, 2, kBothChannels);
  const uint32_t frames = 3600u * 48000u;
  source.document = std::make_unique<TWaveData>(frames, MakeWaveFormat(2, 48000, 2));
  if (source.document->Error()) return state.SkipWithError("no memory for the document");
  // A 997 Hz tone (left) and half of it (right), written straight into the samples.
  int16_t* samples = reinterpret_cast<int16_t*>(source.document->Memory());
  for (uint32_t n = 0; n < 48000; ++n) {
    const int16_t v = static_cast<int16_t>(16000 * std::sin(2 * M_PI * 997.0 * n / 48000.0));
    samples[2 * n] = v;
    samples[2 * n + 1] = static_cast<int16_t>(v / 2);
  }
  for (uint32_t second = 1; second < 3600; ++second) {
    std::memcpy(samples + 2ull * second * 48000, samples, 48000 * 4);
  }
  TSeriesPlot view(&source);
  TSeriesOptions o;
  o.plotChannel = 2;  // both channels, two panes
  view.SetOptions(o);
  view.resize(kWidth, kHeight);
  view.ShowAll();
  QImage image(kWidth, kHeight, QImage::Format_RGB32);
  {
    QPainter painter(&image);
    view.Paint(painter, QRect(0, 0, kWidth, kHeight));  // builds the summary once
  }
  for (auto _ : state) {
    QPainter painter(&image);
    view.Paint(painter, QRect(0, 0, kWidth, kHeight));
  }
  state.counters["shown_s"] = view.StopSecs() - view.StartSecs();
}
BENCHMARK(BM_SeriesHourZoomedOut)->Unit(benchmark::kMicrosecond)->Iterations(200);

void BM_PhasePaint(benchmark::State& state) {
  TBenchViewSource source(static_cast<int32_t>(state.range(0)), 1, kLeftOnly);
  if (!source.Ok()) return state.SkipWithError("engine objects");
  TPhasePlot view(&source);
  view.resize(kWidth, kHeight);
  const int ratio = static_cast<int>(state.range(1));
  QImage image(QSize(kWidth, kHeight) * ratio, QImage::Format_RGB32);
  image.setDevicePixelRatio(ratio);
  const double cpuBefore = ProcessCpuSeconds();
  for (auto _ : state) {
    QPainter painter(&image);
    view.Paint(painter, QRect(0, 0, kWidth, kHeight));
  }
  // The process's processor time, the raster engine's worker threads included.
  state.counters["cpu_us"] = 1e6 * (ProcessCpuSeconds() - cpuBefore) / double(state.iterations());
  const QByteArray folder = qgetenv("ORVANIX_BENCH_PICTURES");
  if (!folder.isEmpty()) {
    image.save(QStringLiteral("%1/phase_fft%2_dpr%3.png")
                   .arg(QString::fromLocal8Bit(folder))
                   .arg(state.range(0))
                   .arg(ratio));
  }
}
// FFT size, device pixel ratio; ORVANIX_BENCH_PICTURES=<folder> saves the last picture.
BENCHMARK(BM_PhasePaint)
    ->ArgNames({"fft", "dpr"})
    ->Args({4096, 1})
    ->Args({65536, 1})
    ->Args({65536, 2})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
