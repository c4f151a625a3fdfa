// Paint time of the spectrum view on a 1600 x 900 image: FFT 4096 and 65536 on linear and
// logarithmic frequency axes, line graphs, and a 1/3-octave bar graph. The spectrum holds
// tones over white noise, so the trace is dense everywhere.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <chrono>
#include <cmath>
#include <ctime>
#include <memory>
#include <string>

#include "engine/ProcessingStep.h"
#include "engine/SpectrumTexts.h"
#include "views/OrvanePlot.h"
#include "views/SpectrumSource.h"

namespace {

using namespace orvanix;

class TBenchSource : public TSpectrumSource {
 public:
  TBenchSource(int32_t fftSize, uint16_t freqScale) {
    ProcessingSettings p;
    p.format = MakeWaveFormat(1, 44100, 2);
    p.fftSize = fftSize;
    p.UpdateDerived();
    ScalingSettings s;
    s.freqScale = freqScale;
    ok_ = BuildEngineObjects(p, s, objects_);
    if (!ok_) return;
    // Two blocks of tones and noise.
    uint64_t state = 99;
    for (int block = 0; block < 2; ++block) {
      for (int32_t i = 0; i < fftSize; ++i) {
        const double t = (double(block) * fftSize + i) / 44100.0;
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        const double noise = double(state >> 40) / double(1ull << 24) - 0.5;
        const double v = 0.4 * std::sin(2 * M_PI * 1000.0 * t) +
                         0.1 * std::sin(2 * M_PI * 5000.0 * t) + 1e-3 * noise;
        objects_.seriesLeft->PutSample(uint32_t(i), int32_t(std::lround(v * 32767.0)));
      }
      ProcessBlock(objects_);
    }
  }
  bool Ok() const { return ok_; }
  const TSpectralData* Primary() const override { return objects_.left.get(); }
  const TSpectralData* Secondary() const override { return nullptr; }
  std::string PrimaryLabel() const override { return kLabelLeftChannel; }
  std::string SecondaryLabel() const override { return std::string(); }
  const ProcessingSettings& Processing() const override { return objects_.settings; }
  const ScalingSettings& Scaling() const override { return objects_.scaling; }
  bool PostProcessing() const override { return false; }

 private:
  TEngineObjects objects_;
  bool ok_ = false;
};

double ProcessCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

// With ORVANIX_BENCH_PICTURES=<folder>, the last picture of each case is saved there as PNG
// (to compare what two builds draw).
void SavePicture(const QImage& image, const std::string& name) {
  const QByteArray folder = qgetenv("ORVANIX_BENCH_PICTURES");
  if (folder.isEmpty()) return;
  image.save(QString::fromLocal8Bit(folder) + QLatin1Char('/') + QString::fromStdString(name) +
             QStringLiteral(".png"));
}

// Arguments: FFT size, frequency scale (0 linear, 1 logarithmic, 2 1/3 octave), plot type,
// device pixel ratio (2: a HiDPI screen, 3200 x 1800 device pixels).
void BM_PaintSpectrum(benchmark::State& state) {
  TBenchSource source(int32_t(state.range(0)), uint16_t(state.range(1)));
  if (!source.Ok()) {
    state.SkipWithError("engine objects could not be built");
    return;
  }
  TOrvanePlot plot(&source);
  TSpectrumPlotOptions options;
  options.startFreqHz = state.range(1) == 0 ? 0.0f : 20.0f;
  options.stopFreqHz = 22050.0f;
  options.plotType = int32_t(state.range(2));
  TMarkerSettings markers;
  markers.enable[0] = 1;
  plot.SetOptions(options);
  plot.SetMarkers(markers);
  const QRect area(0, 0, 1600, 900);
  const int ratio = int(state.range(3));
  QImage image(area.size() * ratio, QImage::Format_ARGB32_Premultiplied);
  image.setDevicePixelRatio(ratio);
  auto paint = [&] {
    QPainter painter(&image);
    plot.Paint(painter, area);
    painter.end();
    benchmark::DoNotOptimize(image.constBits());
  };
  // The first paint also pictures the still parts and rasterises the fonts at this pixel
  // ratio; a view repaints far more often than it is first shown, so it is reported apart
  // and the repaints are timed (a short run would otherwise time little else).
  const auto firstStart = std::chrono::steady_clock::now();
  paint();
  state.counters["first_ms"] =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - firstStart)
          .count();
  const double cpuBefore = ProcessCpuSeconds();
  for (auto _ : state) paint();
  // The process's processor time, the raster engine's worker threads included (the
  // benchmark's own CPU column counts only this thread).
  state.counters["cpu_ms"] = 1e3 * (ProcessCpuSeconds() - cpuBefore) / double(state.iterations());
  SavePicture(image, "spectrum_fft" + std::to_string(state.range(0)) + "_axis" +
                         std::to_string(state.range(1)) + "_bars" + std::to_string(state.range(2)) +
                         "_dpr" + std::to_string(ratio));
  state.counters["fps"] =
      benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_PaintSpectrum)
    ->ArgNames({"fft", "axis", "bars", "dpr"})
    ->Args({4096, 0, 0, 1})
    ->Args({4096, 1, 0, 1})
    ->Args({65536, 0, 0, 1})
    ->Args({65536, 1, 0, 1})
    ->Args({4096, 0, 1, 1})
    ->Args({8192, 2, 1, 1})
    ->Args({4096, 1, 0, 2})
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  // Painting needs an application object; the offscreen platform needs no display.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
