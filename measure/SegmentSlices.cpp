// The segment commands that fill the slice views and the time series from the recording: the
// spectrogram and 3-D surface rebuilt from the selection (and computed again over their own
// slices after a change of scaling), the time series of a stretch, and a click in a slice
// view showing the spectrum and the time series at that moment.
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "engine/Messages.h"
#include "engine/ProcessingStep.h"
#include "files/Configuration.h"
#include "files/WaveFile.h"
#include "measure/MeasureKinds.h"
#include "measure/SegmentModule.h"

namespace orvanix {

namespace {

constexpr const char* kRebuildCaption = "Rebuilding display... press <Esc> to cancel.";
constexpr const char* kResolutionNote =
    "Note: You have reached the maximum time resolution that can be produced with the current "
    "sampling rate";

// Stands in for a slice view in headless runs: keeps each slice's time and the peak of its
// primary spectrum.
class THeadlessSliceView : public TAnalyzerObserver {
 public:
  struct Slice {
    bool valid = false;
    double timeSecs = 0;
    float peakHz = 0;
    float peakValue = 0;
  };
  explicit THeadlessSliceView(int count) : slices(static_cast<size_t>(std::max(count, 0))) {}
  int SliceCount() const override { return static_cast<int>(slices.size()); }
  void ClearSlices() override { std::fill(slices.begin(), slices.end(), Slice{}); }
  void TakeSlice(int n, double timeSecs, const TSpectralData* primary,
                 const TSpectralData*) override {
    if (n < 0 || n >= SliceCount() || !primary) return;
    const uint32_t bin = primary->PeakBin();
    slices[static_cast<size_t>(n)] = {true, timeSecs, primary->BinFrequency(bin),
                                      primary->Value(bin)};
  }
  std::vector<Slice> slices;
};

}  // namespace

// One rebuild or redisplay, carried from pass to pass of the event loop.
struct TSegmentModule::SliceRun {
  WindowKind kind = kWindowSpectrogram;
  TAnalyzerObserver* target = nullptr;
  bool ownTarget = false;  // the headless stand-in, not a window in a slot
  TWaveFile* wave = nullptr;
  ProcessingSettings settings;
  TEngineObjects engine;  // temporary objects: the analyzer's own spectra stay as they are
  int slices = 0;
  int n = 0;                  // the next slice, counting down to 0
  std::vector<double> times;  // redisplay: the time of each slice; rebuild: empty
  int64_t position = 0;       // rebuild: the next block's first frame
  uint32_t step = 1;          // rebuild: frames between slices
  double rate = 1;
  double halfBlockSecs = 0;
  bool note = false;
};

TAnalyzerObserver* TSegmentModule::LiveTarget(const SliceRun& run) const {
  if (run.ownTarget) return run.target;
  // A window closed while the run went on takes no more slices.
  return Core().Window(run.kind) == run.target ? run.target : nullptr;
}

bool TSegmentModule::StartSliceRun(const std::shared_ptr<SliceRun>& run) {
  Core().ShowTransientTitle(kRebuildCaption);
  const bool started = Core().RunLongOperation(
      [this, run] {
        TAnalyzerObserver* target = LiveTarget(*run);
        if (run->n < 0 || !target || Core().Document() != run->wave || Core().IsRunning()) {
          return false;
        }
        Core().SetProgress((run->slices - run->n) * 100 / run->slices);
        ResetSpectra(run->engine);
        const int64_t frame =
            run->times.empty()
                ? run->position
                : static_cast<int64_t>(std::floor(
                      (run->times[static_cast<size_t>(run->n)] - run->halfBlockSecs) * run->rate));
        ProcessBlockAt(*run->wave, run->engine, run->settings, std::max<int64_t>(frame, 0));
        const TDisplaySpectra shown = DisplaySpectra(run->engine);
        const double time =
            run->times.empty() ? static_cast<double>(run->position) / run->rate + run->halfBlockSecs
                               : run->times[static_cast<size_t>(run->n)];
        target->TakeSlice(run->n, time, shown.first,
                          TwoChannelMode(EffectiveMode(run->settings)) ? shown.second : nullptr);
        run->position += run->step;
        return --run->n >= 0;
      },
      [this, run](bool) {
        // Cancelled or complete, the slices made so far stay.
        Core().ShowTransientTitle({});
        if (TAnalyzerObserver* target = LiveTarget(*run)) target->SlicesDone();
        if (run->note) ReportError(kResolutionNote, MessageIcon::Information);
      });
  if (!started) Core().ShowTransientTitle({});
  return started;
}

namespace {

// Temporary spectrum objects like the analyzer's, with its calibration when that is on.
bool MakeEngine(const TAnalyzerCore& core, TEngineObjects& engine) {
  if (!BuildEngineObjects(core.Engine().settings, core.Engine().scaling, engine)) return false;
  const TCalibration& calibration = core.Calibration();
  ApplyCalibration(calibration.enabled ? &calibration : nullptr, engine);
  return engine.seriesLeft != nullptr;
}

}  // namespace

bool TSegmentModule::RebuildSlices(WindowKind kind, TAnalyzerObserver* target) {
  TWaveFile* wave = Core().Document();
  if (!wave || Core().LongOperationRunning()) return false;
  Core().Stop();
  if (!target) {
    Core().ShowWindow(kind);
    target = Core().Window(kind);
  }
  if (!target) return false;
  const int slices = target->SliceCount();
  if (slices < 1) return false;
  auto run = std::make_shared<SliceRun>();
  run->kind = kind;
  run->target = target;
  run->ownTarget = target != Core().Window(kind);
  run->wave = wave;
  run->settings = Core().Engine().settings;
  if (!MakeEngine(Core(), run->engine)) return false;
  const ProcessingSettings& p = run->settings;
  run->rate = std::max<uint32_t>(1, wave->Format().sampleRate);
  run->halfBlockSecs = 0.5 * p.fftSize * std::max<int>(1, p.decimationRatio) / run->rate;
  const TTimeSelection selection = Core().Selection();
  const TBlockSpan span = BlockSpan(p, selection.startSecs, selection.endSecs);
  const auto frames = [&](double secs) {
    return std::floor(std::max(0.0, secs) * run->rate + 0.5);
  };
  const double samples = std::max(1.0, frames(selection.endSecs) - frames(selection.startSecs));
  run->step = static_cast<uint32_t>(samples / slices);
  if (run->step == 0) {
    run->step = 1;
    run->note = true;
  }
  run->position = static_cast<int64_t>(frames(span.t0));
  run->slices = slices;
  run->n = slices - 1;
  target->ClearSlices();
  return StartSliceRun(run);
}

void TSegmentModule::RedisplaySlices(int32_t windowKind) {
  const WindowKind kind = static_cast<WindowKind>(windowKind);
  TWaveFile* wave = Core().Document();
  TAnalyzerObserver* target = Core().Window(kind);
  if (!wave || !target || Core().IsRunning() || Core().LongOperationRunning()) return;
  double first = 0, last = 0;
  const int slices = target->SliceCount();
  if (slices < 1 || !target->SliceTimes(first, last)) return;
  if (last < first) std::swap(first, last);
  auto run = std::make_shared<SliceRun>();
  run->kind = kind;
  run->target = target;
  run->wave = wave;
  run->settings = Core().Engine().settings;
  if (!MakeEngine(Core(), run->engine)) return;
  run->rate = std::max<uint32_t>(1, wave->Format().sampleRate);
  run->halfBlockSecs =
      0.5 * run->settings.fftSize * std::max<int>(1, run->settings.decimationRatio) / run->rate;
  // The slices keep their places: the earliest at the view's start time, the latest at its
  // end, evenly between.
  run->times.resize(static_cast<size_t>(slices));
  for (int n = 0; n < slices; ++n) {
    run->times[static_cast<size_t>(n)] =
        slices > 1 ? last - (last - first) * n / (slices - 1) : last;
  }
  run->slices = slices;
  run->n = slices - 1;
  target->ClearSlices();
  StartSliceRun(run);
}

void TSegmentModule::EngineRebuilt() {
  if (Core().IsRunning() || Core().LinkedData()) return;
  for (WindowKind kind : {kWindowSpectrogram, kWindowSurface}) {
    double first = 0, last = 0;
    TAnalyzerObserver* view = Core().Window(kind);
    if (view && view->SliceTimes(first, last)) Core().RedisplaySlices(kind);
  }
}

bool TSegmentModule::DisplayTimeSeries(double startSecs, double endSecs) {
  TWaveFile* wave = Core().Document();
  if (!wave) return false;
  // The document's stretch is asked for: a computed series would hide it.
  Core().ClearComputedSeries();
  if (!(endSecs > startSecs)) {
    const ProcessingSettings& p = Core().Engine().settings;
    endSecs = startSecs + static_cast<double>(p.fftSize) * std::max<int>(1, p.decimationRatio) /
                              std::max<uint32_t>(1, wave->Format().sampleRate);
  }
  Core().ShowWindow(kWindowTimeSeries);
  if (TAnalyzerObserver* series = Core().Window(kWindowTimeSeries)) {
    series->ShowTimeRange(startSecs, endSecs);
  }
  return true;
}

void TSegmentModule::ShowAtTime(int32_t windowKind, double timeSecs) {
  TWaveFile* wave = Core().Document();
  // While the analyzer runs its next block would replace what the click showed at once.
  if (!wave || Core().IsRunning() || Core().LongOperationRunning()) return;
  Core().ShowWindow(kWindowSpectrum);
  TEngineObjects& engine = Core().EngineForAnalysis();
  const ProcessingSettings settings = engine.settings;
  const double rate = std::max<uint32_t>(1, wave->Format().sampleRate);
  const double halfBlock = 0.5 * settings.fftSize * std::max<int>(1, settings.decimationRatio);
  const int64_t frame =
      std::max<int64_t>(0, static_cast<int64_t>(std::floor(timeSecs * rate - halfBlock + 0.5)));
  // Each spectrum holds this one block alone (peak hold aside), then averages as set again.
  for (auto* s : {engine.left.get(), engine.right.get(), engine.dual.get(), engine.dual2.get()}) {
    if (s && !s->Error()) s->SetAveraging(1, kAverageExponential);
  }
  ProcessBlockAt(*wave, engine, settings, frame);
  Core().SpectraComputed(timeSecs);
  for (auto* s : {engine.left.get(), engine.right.get(), engine.dual.get(), engine.dual2.get()}) {
    if (s && !s->Error()) s->SetAveraging(settings.averageBlocks, settings.averageType);
  }
  DisplayTimeSeries(timeSecs, timeSecs);
  Core().ShowWindow(static_cast<WindowKind>(windowKind));
}

void TSegmentModule::PrintSlices(int count) {
  THeadlessSliceView view(count);
  if (!RebuildSlices(kWindowSpectrogram, &view)) {
    std::fprintf(stderr, "tessiva: no slices: the segment holds no block\n");
    return;
  }
  // Earliest first, as a spectrogram reads from its old edge to its new one.
  for (int n = view.SliceCount() - 1; n >= 0; --n) {
    const THeadlessSliceView::Slice& s = view.slices[static_cast<size_t>(n)];
    if (!s.valid) continue;
    std::printf("Slice %d\t%.4f s\t%.2f Hz\t%.2f\n", view.SliceCount() - 1 - n, s.timeSecs,
                s.peakHz, s.peakValue);
  }
}

}  // namespace orvanix
