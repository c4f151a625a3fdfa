// The segment commands that fill the time series with a computed series: the impulse
// response of the displayed spectra, and the Hilbert envelope and Schroeder integration of
// the selection (or, when a computed series is already shown, of that series, in place).
#include <algorithm>
#include <cmath>

#include "engine/Messages.h"
#include "engine/ProcessingStep.h"
#include "files/WaveFile.h"
#include "measure/MeasureKinds.h"
#include "measure/SegmentModule.h"

namespace orvanix {

namespace {

constexpr const char* kHilbertCaption = "Computing Hilbert Transform... press <Esc> to cancel.";
constexpr const char* kSchroederCaption =
    "Computing Schroeder Integration... press <Esc> to cancel.";

// The engine's own object behind a display spectrum (the inverse transform writes into it).
TSpectralData* Writable(TEngineObjects& engine, const TSpectralData* shown) {
  for (auto* s : {engine.left.get(), engine.right.get(), engine.dual.get(), engine.dual2.get()}) {
    if (s && s == shown) return s;
  }
  return nullptr;
}

}  // namespace

bool TSegmentModule::InverseFft() {
  Core().Stop();
  TEngineObjects& engine = Core().EngineForAnalysis();
  const TDisplaySpectra shown = DisplaySpectra(engine);
  TSpectralData* spectra[2] = {Writable(engine, shown.first), Writable(engine, shown.second)};
  if (!spectra[0] || spectra[0]->Error() || !engine.seriesLeft) return false;
  const ProcessingSettings& p = engine.settings;
  TComputedSeries series;
  series.kind = TComputedSeries::Kind::InverseFft;
  series.rateHz = static_cast<double>(p.format.sampleRate) / std::max<int>(1, p.decimationRatio);
  series.zeroValue = p.format.zeroValue;
  series.maxValue = p.format.maxValue;
  series.minValue = p.format.minValue;
  const TSeriesData* buffers[2] = {engine.seriesLeft.get(), engine.seriesRight
                                                                ? engine.seriesRight.get()
                                                                : engine.seriesLeft.get()};
  const int channels = spectra[1] && !spectra[1]->Error() ? 2 : 1;
  for (int c = 0; c < channels; ++c) {
    const std::vector<float> h = ImpulseResponse(*spectra[c], engine.window.get());
    if (h.empty()) return false;  // the inverse could not be had (reported)
    // The response comes in counts from the zero value, as the block was transformed.
    series.scale[c] = buffers[c]->ScaleFactor();
    series.samples[c].resize(h.size());
    for (size_t i = 0; i < h.size(); ++i) series.samples[c][i] = series.Raw(h[i]);
  }
  series.channels = channels;
  Core().ShowComputedSeries(std::move(series));
  Core().ShowWindow(kWindowTimeSeries);
  return true;
}

bool TSegmentModule::SegmentSeries(TComputedSeries::Kind kind, TComputedSeries& series) {
  TWaveFile* wave = Core().Document();
  if (!wave) return false;
  const WaveFormat& f = wave->Format();
  const double rate = std::max<uint32_t>(1, f.sampleRate);
  const TTimeSelection s = Core().Selection();
  const auto frame = [&](double secs) {
    return static_cast<uint32_t>(
        std::min<double>(std::floor(std::max(0.0, secs) * rate + 0.5), wave->Length()));
  };
  const uint32_t a = frame(s.startSecs);
  const uint32_t b = frame(s.endSecs);
  if (b <= a) return false;
  series.kind = kind;
  series.channels = f.channels >= 2 ? 2 : 1;
  series.rateHz = rate;
  series.startSecs = a / rate;
  series.zeroValue = f.zeroValue;
  series.maxValue = f.maxValue;
  series.minValue = f.minValue;
  for (int c = 0; c < series.channels; ++c) {
    series.scale[c] = wave->CountFactor(static_cast<uint32_t>(c));
    if (!ReadRawSegment(*wave, a, b, static_cast<uint32_t>(c), series.samples[c])) {
      ReportError(kInsufficientMemory, MessageIcon::Error);
      return false;
    }
  }
  return true;
}

bool TSegmentModule::TransformSeries(
    TComputedSeries::Kind kind, const char* caption,
    const std::function<void(std::vector<int32_t>&, const TComputedSeries&)>& transform) {
  Core().Stop();
  TComputedSeries series;
  if (const TComputedSeries* shown = Core().ComputedSeries()) {
    series = *shown;
    series.kind = kind;
  } else if (!SegmentCheck(true) || !SegmentSeries(kind, series)) {
    return false;
  }
  Core().ShowTransientTitle(caption);
  for (int c = 0; c < series.channels; ++c) transform(series.samples[c], series);
  Core().ShowTransientTitle({});
  Core().ShowComputedSeries(std::move(series));
  Core().ShowWindow(kWindowTimeSeries);
  return true;
}

bool TSegmentModule::Envelope() {
  return TransformSeries(TComputedSeries::Kind::Envelope, kHilbertCaption,
                         [](std::vector<int32_t>& samples, const TComputedSeries& s) {
                           HilbertEnvelope(samples, s.zeroValue);
                         });
}

bool TSegmentModule::Schroeder() {
  return TransformSeries(TComputedSeries::Kind::Schroeder, kSchroederCaption,
                         [](std::vector<int32_t>& samples, const TComputedSeries& s) {
                           SchroederCurve(samples, s.zeroValue, s.maxValue);
                         });
}

}  // namespace orvanix
