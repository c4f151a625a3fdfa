// Modes and the transport commands: run, stop, play, rewind, single step, go-to.
#include <algorithm>

#include "app/core/AnalyzerCore.h"
#include "app/core/CoreState.h"
#include "app/core/CoreTexts.h"
#include "engine/Messages.h"

namespace orvanix {

bool TAnalyzerCore::SetMode(int32_t mode) {
  Impl& d = *impl_;
  if (mode == d.settings.opMode) return true;  // nothing, not even a stop
  if (!IsValidMode(mode)) return false;
  Stop();
  if (mode == kModeRealTime) {
    if (!CloseDocument()) return false;
  } else if (d.settings.opMode == kModeRealTime && d.document) {
    // The Real-Time history may become the untitled document.
    const bool hasData = d.document->Length() > 0;
    const MessageAnswer answer =
        hasData ? Messages().Ask(kMsgConvertHistory, kProgramTitle, MessageButtons::YesNo,
                                 MessageAnswer::Yes, MessageIcon::Question)
                : MessageAnswer::No;
    if (answer == MessageAnswer::Yes) {
      d.document->Seek(0);
      d.document->SetModified(true);
    } else {
      d.document.reset();
    }
    d.pendingUntitled = false;
  }
  d.settings.opMode = mode;
  if (mode == kModeRecorder) d.dataLogging = false;
  if (d.document) d.TakeDocumentFormat();
  d.Rebuild();
  d.DocumentChanged();
  d.Notify([](TAnalyzerObserver& o) { o.StateChanged(); });
  d.StatusChanged();
  return true;
}

bool TAnalyzerCore::Start() {
  Impl& d = *impl_;
  if (IsRunning()) return true;
  for (const auto& module : d.modules) module->StopPlayback();
  if (d.settings.opMode != kModePostProcessing) d.EnsurePorts();
  d.savedRecording.clear();
  return d.runLoop->Start(false);
}

void TAnalyzerCore::Stop() {
  impl_->runLoop->Stop();
  for (const auto& module : impl_->modules) module->StopPlayback();
}

bool TAnalyzerCore::Play() {
  Impl& d = *impl_;
  if (d.settings.opMode != kModeRecorder || !d.document) return false;
  Stop();
  d.EnsurePorts();
  return d.runLoop->Start(true);
}

bool TAnalyzerCore::Rewind() {
  Impl& d = *impl_;
  const int32_t mode = d.settings.opMode;
  if (!(mode == kModeRecorder || (mode == kModePostProcessing && d.document))) return false;
  Stop();
  if (d.document) d.document->Seek(0);
  ResetSpectra(d.engine);
  d.SpectraReset();
  d.SeriesRefreshed();
  d.PositionChanged(0.0);
  return true;
}

bool TAnalyzerCore::SingleStep() {
  Impl& d = *impl_;
  const int32_t mode = d.settings.opMode;
  if (mode == kModePostProcessing) {
    d.runLoop->SetSingleStep(true);
    if (IsRunning()) return true;
    if (d.runLoop->Start(false)) return true;
    d.runLoop->SetSingleStep(false);
    return false;
  }
  if (mode == kModeRealTime && !IsRunning()) {
    d.EnsurePorts();
    d.runLoop->SetSingleStep(true);
    if (d.runLoop->Start(false)) return true;
    d.runLoop->SetSingleStep(false);
    return false;
  }
  return false;
}

bool TAnalyzerCore::SeekTo(double seconds) {
  Impl& d = *impl_;
  if (d.settings.opMode == kModeRealTime || !d.document) return false;
  if (State() == kStateRecording || State() == kStatePlaying) return false;
  const WaveFormat& format = d.document->Format();
  const double frames = std::max(0.0, seconds) * format.sampleRate;
  const uint32_t frame = static_cast<uint32_t>(std::min<double>(frames, d.document->Length()));
  if (!d.document->Seek(frame)) return false;
  ResetSpectra(d.engine);
  d.SpectraReset();
  d.PositionChanged(d.document->PositionSeconds());
  return true;
}

}  // namespace orvanix
