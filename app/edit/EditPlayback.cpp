// The Edit menu's playback of the selection: Play, Loop, Half Speed, Double Speed and
// Arbitrary Speed.
#include "app/edit/EditModule.h"
#include "app/edit/SelectionPlayer.h"
#include "engine/Messages.h"
#include "files/Configuration.h"
#include "files/EditTexts.h"
#include "files/WaveFile.h"

namespace orvanix {

std::string TEditModule::CheckSpeed(double speed) {
  if (!(speed >= kMinSpeed && speed <= kMaxSpeed)) return Format(kSpeedRange, kMinSpeed, kMaxSpeed);
  return {};
}

bool TEditModule::PlaySelection(double speed, bool loop) {
  // Stops the analyzer and whatever played before.
  Core().Stop();
  const TWaveFile* document = Core().Document();
  if (!document) return false;
  if (const std::string refusal = CheckSpeed(speed); !refusal.empty()) {
    ReportError(refusal);
    return false;
  }
  const TTimeSelection selection = Core().Selection();
  if (selection.Empty()) {
    ReportError(kSelectSegmentFirst);
    return false;
  }
  const double rate = document->Format().sampleRate;
  TPlaybackRequest request;
  request.startFrame = static_cast<uint32_t>(selection.startSecs * rate);
  request.endFrame = static_cast<uint32_t>(selection.endSecs * rate);
  request.speed = speed;
  request.loop = loop;
  request.deviceId = Core().Settings().devices.outputDeviceId;
  request.allowRateChange = allowRateChange_;
  const bool playing = player_->Start(*document, request);
  if (playing) Core().FollowPlayback(selection.startSecs);
  Core().PlaybackStateChanged();
  return playing;
}

bool TEditModule::PlayingSelection() const {
  return player_->Playing();
}

bool TEditModule::PlaysWithoutAnalyzer() const {
  return player_->Playing();
}

void TEditModule::StopPlayback() {
  if (!player_->Playing()) return;
  player_->Stop();
  Core().PlaybackStateChanged();
}

bool TEditModule::ArbitrarySpeedCommand() {
  double speed = arbitrarySpeed_;
  if (!Dialogs().AskSpeed(speed)) return false;
  if (const std::string refusal = CheckSpeed(speed); !refusal.empty()) {
    ReportError(refusal);
    return false;
  }
  arbitrarySpeed_ = speed;
  return PlaySelection(speed, false);
}

std::unique_ptr<TSelectionPlayer> TEditModule::MakePlayer() {
  return std::make_unique<TSelectionPlayer>(
      [this](double seconds) { Core().FollowPlayback(seconds); },
      [this] { Core().PlaybackStateChanged(); });
}

}  // namespace orvanix
