#include "app/gui/PostProcessPacer.h"

#include <algorithm>

#include "acquisition/RunLoop.h"
#include "engine/ProcessingStep.h"

namespace orvanix {

TPostProcessPacer::TPostProcessPacer(TAnalyzerCore& core, QObject* parent)
    : QObject(parent), core_(core) {
  stepTimer_.setTimerType(Qt::PreciseTimer);
  connect(&stepTimer_, &QTimer::timeout, this, &TPostProcessPacer::OnStep);
  restartTimer_.setSingleShot(true);
  connect(&restartTimer_, &QTimer::timeout, this, &TPostProcessPacer::Restart);
  core_.AddObserver(this, kRoleFrame);
}

TPostProcessPacer::~TPostProcessPacer() {
  core_.RemoveObserver(this);
  core_.RunLoop().SetAutoStep(true);
}

void TPostProcessPacer::SetEnabled(bool enabled, bool loop) {
  // A paced run cannot be handed back to the run loop's own timer halfway; it stops.
  if (!enabled && enabled_ && core_.IsRunning() && core_.Mode() == kModePostProcessing) {
    core_.Stop();
  }
  enabled_ = enabled;
  loop_ = loop;
  if (!enabled_) CancelRestart();
  Apply();
}

int TPostProcessPacer::StepMsec() const {
  const ProcessingSettings& p = core_.Engine().settings;
  if (p.format.sampleRate == 0) return kMaxStepMsec;
  const double msec =
      1000.0 * p.hopSize * std::max<int>(1, p.decimationRatio) / p.format.sampleRate;
  return static_cast<int>(std::clamp(msec, double{kMinStepMsec}, double{kMaxStepMsec}));
}

void TPostProcessPacer::CancelRestart() {
  restartTimer_.stop();
}

void TPostProcessPacer::Apply() {
  const bool paced = enabled_ && core_.Mode() == kModePostProcessing;
  // Called from the run state notification inside Start, before the run loop arms its own
  // timer: with auto stepping off it does not.
  core_.RunLoop().SetAutoStep(!paced);
  if (paced && core_.IsRunning()) {
    stepTimer_.start(StepMsec());
  } else {
    stepTimer_.stop();
  }
}

void TPostProcessPacer::OnStep() {
  if (!core_.IsRunning()) {
    stepTimer_.stop();
    return;
  }
  stepping_ = true;
  core_.RunLoop().Step();
  stepping_ = false;
  if (!core_.IsRunning() && loop_ && enabled_ && core_.Mode() == kModePostProcessing) {
    restartTimer_.start(kLoopPauseMsec);
  }
}

void TPostProcessPacer::Restart() {
  if (!enabled_ || core_.IsRunning() || !core_.HasDocument() ||
      core_.Mode() != kModePostProcessing) {
    return;
  }
  ++loops_;
  core_.Rewind();
  core_.Start();
}

void TPostProcessPacer::StateChanged() {
  // A stop that did not come from the pacer's own step is the user's (or a command's): no
  // restart then.
  if (!stepping_ && !core_.IsRunning()) CancelRestart();
  Apply();
}

void TPostProcessPacer::DocumentChanged() {
  CancelRestart();
}

}  // namespace orvanix
