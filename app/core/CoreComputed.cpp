// What the core shows besides the run loop's results: a computed time series, the windows a
// result opens, the slice views' data link, and long operations that the user can cancel.
#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>

#include "app/core/AnalyzerCore.h"
#include "app/core/CoreState.h"

namespace orvanix {

namespace {

// A long operation with windows runs this long per pass of the event loop: the frame stays
// responsive to Esc and clicks without slowing the work much.
constexpr auto kStepBudget = std::chrono::milliseconds(20);

}  // namespace

int32_t TComputedSeries::Raw(double countsFromZero) const {
  const double raw = std::clamp(static_cast<double>(zeroValue) + countsFromZero,
                                static_cast<double>(minValue), static_cast<double>(maxValue));
  return static_cast<int32_t>(std::trunc(raw));
}

struct TAnalyzerCore::Impl::LongOperation {
  std::function<bool()> step;
  std::function<void(bool)> done;
  bool cancel = false;
};

void TAnalyzerCore::Impl::DropComputedSeries() {
  if (!computed) return;
  computed.reset();
  computedDocument = nullptr;
  Notify([](TAnalyzerObserver& o) { o.ComputedSeriesChanged(); });
}

void TAnalyzerCore::ShowComputedSeries(TComputedSeries series) {
  Impl& d = *impl_;
  series.channels =
      series.channels == 2 && series.samples[1].size() == series.samples[0].size() ? 2 : 1;
  if (!(series.rateHz > 0)) series.rateHz = 1.0;
  d.computed = std::make_unique<TComputedSeries>(std::move(series));
  d.computedDocument = d.document.get();
  d.Notify([](TAnalyzerObserver& o) { o.ComputedSeriesChanged(); });
}

const TComputedSeries* TAnalyzerCore::ComputedSeries() const {
  return impl_->computed.get();
}

void TAnalyzerCore::ClearComputedSeries() {
  impl_->DropComputedSeries();
}

bool TAnalyzerCore::ShowWindow(WindowKind kind) {
  return impl_->windowShower ? impl_->windowShower(kind) : false;
}

void TAnalyzerCore::SetWindowShower(std::function<bool(WindowKind)> show) {
  impl_->windowShower = std::move(show);
}

TAnalyzerObserver* TAnalyzerCore::Window(WindowKind kind) const {
  return kind >= 0 && kind < kWindowKindCount ? impl_->windows[kind] : nullptr;
}

void TAnalyzerCore::SetLinkedData(TSliceSource* link) {
  impl_->linkedData = link;
}

TSliceSource* TAnalyzerCore::LinkedData() const {
  return impl_->linkedData;
}

void TAnalyzerCore::SetRecordingSlices(TSliceSource* source) {
  impl_->recordingSlices = source;
}

void TAnalyzerCore::RedisplaySlices(WindowKind kind) {
  if (kind != kWindowSpectrogram && kind != kWindowSurface) return;
  if (TSliceSource* source = impl_->linkedData ? impl_->linkedData : impl_->recordingSlices) {
    source->RedisplaySlices(kind);
  }
}

void TAnalyzerCore::ShowAtTime(WindowKind kind, double timeSecs) {
  if (kind != kWindowSpectrogram && kind != kWindowSurface) return;
  if (TSliceSource* source = impl_->linkedData ? impl_->linkedData : impl_->recordingSlices) {
    source->ShowAtTime(kind, timeSecs);
  }
}

void TAnalyzerCore::ShowAtFrequency(double frequencyHz) {
  if (!std::isfinite(frequencyHz)) return;
  if (impl_->linkedData) impl_->linkedData->ShowAtFrequency(frequencyHz);
}

void TAnalyzerCore::Impl::FinishLong(const std::shared_ptr<LongOperation>& op) {
  if (longOperation == op) longOperation.reset();
  owner.SetProgress(-1);
  if (op->done) op->done(op->cancel);
}

void TAnalyzerCore::Impl::LongPass(const std::shared_ptr<LongOperation>& op) {
  const auto until = std::chrono::steady_clock::now() + kStepBudget;
  bool more = true;
  while (!op->cancel && (more = op->step()) && std::chrono::steady_clock::now() < until) {
  }
  if (op->cancel || !more) {
    FinishLong(op);
    return;
  }
  // The core may be gone by the next pass: the operation then is too.
  std::weak_ptr<LongOperation> next = op;
  QTimer::singleShot(0, [this, next] {
    if (auto live = next.lock()) LongPass(live);
  });
}

bool TAnalyzerCore::RunLongOperation(std::function<bool()> step,
                                     std::function<void(bool cancelled)> done) {
  Impl& d = *impl_;
  if (d.longOperation) return false;
  auto op = std::make_shared<Impl::LongOperation>();
  op->step = std::move(step);
  op->done = std::move(done);
  d.longOperation = op;
  if (d.options.headless || !QCoreApplication::instance()) {
    while (!op->cancel && op->step()) {
    }
    d.FinishLong(op);
    return true;
  }
  // With windows: a pass at a time from the event loop, never a nested loop.
  std::weak_ptr<Impl::LongOperation> first = op;
  QTimer::singleShot(0, [&d, first] {
    if (auto live = first.lock()) d.LongPass(live);
  });
  return true;
}

bool TAnalyzerCore::LongOperationRunning() const {
  return impl_->longOperation != nullptr;
}

void TAnalyzerCore::RequestCancel() {
  if (impl_->longOperation) impl_->longOperation->cancel = true;
}

void TAnalyzerCore::SetProgress(int percent) {
  percent = percent < 0 ? -1 : std::min(percent, 100);
  if (percent == impl_->progressPercent) return;
  impl_->progressPercent = percent;
  impl_->StatusChanged();
}

}  // namespace orvanix
