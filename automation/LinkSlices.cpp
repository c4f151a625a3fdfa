// The RPM traces in the views: while an order-tracking link supplies the data, a click in the
// spectrogram or 3-D surface shows the trace nearest the clicked RPM, a redisplay of either
// view draws every row from the trace nearest its RPM, and the time series shows the RPM
// track of the last frequency asked for (a click in the spectrum view asks). Linked spectra are
// stamped with their RPM / 1000 as their time, so that a slice view's millisecond axis reads RPM,
// as the track's does.
#include <algorithm>
#include <cmath>
#include <memory>

#include "app/core/AnalyzerCore.h"
#include "automation/DataLinks.h"
#include "engine/ProcessingStep.h"
#include "files/Configuration.h"

namespace orvanix {

namespace {

constexpr const char* kRebuildCaption = "Rebuilding display... press <Esc> to cancel.";

}  // namespace

double TDataLinks::TraceTime(double rpm) {
  return rpm / kRpmTrackScale;
}

void TDataLinks::ShowAtTime(int32_t windowKind, double timeSecs) {
  (void)windowKind;
  if (ShowNearestTrace(timeSecs * kRpmTrackScale)) core_.ShowWindow(kWindowSpectrum);
}

void TDataLinks::ShowAtFrequency(double frequencyHz) {
  if (!orderTracking_ || !std::isfinite(frequencyHz) || frequencyHz < 0) return;
  // Remembered even when nothing can be drawn now: the next set draws it.
  trackFrequency_ = frequencyHz;
  if (!Busy()) ShowRpmTrack(frequencyHz);
}

void TDataLinks::RedisplaySlices(int32_t windowKind) {
  const WindowKind kind = static_cast<WindowKind>(windowKind);
  TAnalyzerObserver* target = core_.Window(kind);
  if (!target || traces_.Count() == 0 || Busy() || core_.LongOperationRunning()) return;
  double first = 0, last = 0;
  const int slices = target->SliceCount();
  if (slices < 1 || !target->SliceTimes(first, last)) return;
  if (last < first) std::swap(first, last);
  // Temporary spectra like the analyzer's, with its calibration: its own stay as they are.
  auto engine = std::make_shared<TEngineObjects>();
  if (!BuildEngineObjects(core_.Engine().settings, core_.Engine().scaling, *engine)) return;
  const TCalibration& calibration = core_.Calibration();
  ApplyCalibration(calibration.enabled ? &calibration : nullptr, *engine);
  if (!engine->left) return;
  auto n = std::make_shared<int>(slices - 1);
  target->ClearSlices();
  core_.ShowTransientTitle(kRebuildCaption);
  const bool started = core_.RunLongOperation(
      [=, this] {
        // A view closed meanwhile takes no more rows.
        if (*n < 0 || core_.Window(kind) != target || Busy()) return false;
        core_.SetProgress((slices - *n) * 100 / slices);
        const double time = slices > 1 ? last - (last - first) * *n / (slices - 1) : last;
        const std::optional<size_t> index = traces_.Nearest(time * kRpmTrackScale);
        if (index && LoadTrace(*index, engine->left.get(), engine->right.get())) {
          const bool two = config_.channels == 2 && engine->right;
          target->TakeSlice(*n, time, engine->left.get(), two ? engine->right.get() : nullptr);
        }
        return --*n >= 0;
      },
      [=, this](bool) {
        core_.ShowTransientTitle({});
        if (core_.Window(kind) == target) target->SlicesDone();
      });
  if (!started) core_.ShowTransientTitle({});
}

bool TDataLinks::ShowRpmTrack(double frequencyHz) {
  TRpmTrack track;
  if (!BuildTrack(frequencyHz, track)) return false;
  TComputedSeries series;
  series.kind = TComputedSeries::Kind::External;
  series.channels = track.channels;
  series.rateHz = track.sampleRateHz;
  series.startSecs = 0;
  // 3-byte samples; a stored 1000 x amplitude reads back as the amplitude.
  series.zeroValue = 0;
  series.maxValue = 8388607;
  series.minValue = -8388607;
  series.scale[0] = series.scale[1] = static_cast<float>(1.0 / kRpmTrackScale);
  series.samples[0] = std::move(track.samples[0]);
  series.samples[1] = std::move(track.samples[1]);
  core_.ShowComputedSeries(std::move(series));
  // An open view is redrawn where it is: raising it with every set, or at every click in
  // the spectrum view, would take the front from whatever window the user works in.
  if (!core_.IsWindowOpen(kWindowTimeSeries)) core_.ShowWindow(kWindowTimeSeries);
  return true;
}

void TDataLinks::SetTaken() {
  if (orderTracking_ && core_.IsWindowOpen(kWindowTimeSeries)) ShowRpmTrack(trackFrequency_);
  if (onSetTaken_) onSetTaken_();
}

}  // namespace orvanix
