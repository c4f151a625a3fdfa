// What subsystems that make or edit documents (import, merge, the edit commands) use to hand
// their results to the core.
#include <algorithm>

#include "app/core/AnalyzerCore.h"
#include "app/core/CoreState.h"

namespace orvanix {

bool TAnalyzerCore::AdoptDocument(std::unique_ptr<TWaveFile> wave) {
  Impl& d = *impl_;
  if (!wave || d.document) return false;
  Stop();
  wave->Seek(0);
  d.document = std::move(wave);
  d.pendingUntitled = false;
  d.TakeDocumentFormat();
  d.ApplyFullScale();
  if (d.settings.opMode == kModeRealTime) {
    d.settings.opMode = kModePostProcessing;
    d.Notify([](TAnalyzerObserver& o) { o.StateChanged(); });
  }
  d.Rebuild();
  d.Notify([](TAnalyzerObserver& o) { o.SettingsChanged(); });
  d.DocumentChanged();
  d.PositionChanged(0.0);
  d.StatusChanged();
  return true;
}

void TAnalyzerCore::FollowPlayback(double seconds) {
  Impl& d = *impl_;
  if (!d.document) return;
  d.document->Seek(static_cast<uint32_t>(std::max(0.0, seconds) * d.document->Format().sampleRate));
  d.PositionChanged(d.document->PositionSeconds());
}

void TAnalyzerCore::PlaybackStateChanged() {
  impl_->Notify([](TAnalyzerObserver& o) { o.StateChanged(); });
}

void TAnalyzerCore::DocumentEdited(double fromSecs) {
  Impl& d = *impl_;
  d.Notify([fromSecs](TAnalyzerObserver& o) { o.DocumentEdited(fromSecs); });
  d.DocumentChanged();
  if (d.document) {
    // The selection stays inside a document that became shorter.
    const TTimeSelection selection = d.selection;
    SetSelection(selection.startSecs, selection.endSecs);
    d.PositionChanged(d.document->PositionSeconds());
  }
  d.StatusChanged();
}

void TAnalyzerCore::ShowTransientTitle(const std::string& title) {
  impl_->NotifyTransientTitle(title);
}

const TUiContext& TAnalyzerCore::UiContext() const {
  return impl_->ui;
}

}  // namespace orvanix
