// One pass of the run loop: check the source, fetch, trigger, process, advance.
#include <algorithm>
#include <cstring>

#include "acquisition/ReportQueue.h"
#include "acquisition/RunLoop.h"
#include "acquisition/SoundInput.h"
#include "acquisition/SoundOutput.h"
#include "engine/Messages.h"
#include "files/WaveFile.h"

namespace orvanix {

namespace {
// The input position is reported a little ahead of what the ear hears of a block: the
// time stamp is moved back by this much.
constexpr double kInputLatencySecs = 0.2;
}  // namespace

double TRunLoop::HalfBlockSecs() const {
  const ProcessingSettings& s = host_.Engine().settings;
  return s.format.sampleRate ? 0.5 * BlockFrames() / s.format.sampleRate : 0.0;
}

bool TRunLoop::CheckSource() {
  const uint32_t f = BlockFrames();
  TWaveFile* doc = host_.DocumentSlot().get();
  TSoundInput* in = host_.Input();
  switch (state_) {
    case kStateRunning:
      if (host_.Mode() == kModePostProcessing) {
        if (!doc) {
          Stop();
          return false;
        }
        const uint32_t length = doc->Length();
        const uint32_t position = doc->Position();
        if (position > length || length - position < f) {
          doc->SeekToEnd();
          analysisTime_ = doc->LengthSeconds();
          Stop();
          host_.PositionChanged(doc->PositionSeconds());
          return false;
        }
        analysisTime_ = doc->PositionSeconds() + HalfBlockSecs();
        return true;
      }
      // Real-Time.
      if (!in || !in->IsOpen()) {
        Stop();
        return false;
      }
      if (in->Position() < f) return false;
      analysisTime_ = in->PositionTime() + startOffsetSecs_ - kInputLatencySecs;
      if (doc) analysisTime_ -= HalfBlockSecs();
      return true;
    case kStateRecording:
      if (!in || !in->IsOpen()) {
        Stop();
        return false;
      }
      // Write what has arrived so far, so that a crash loses at most one pass of audio.
      if (host_.Trigger().enable == 0) DrainInput();
      if (stopRequested_) {
        Stop();
        return false;
      }
      doc = host_.DocumentSlot().get();
      if (host_.Trigger().enable && doc) {
        analysisTime_ = doc->PositionSeconds();
      } else {
        analysisTime_ = in->PositionTime() + startOffsetSecs_;
      }
      if (doc) host_.PositionChanged(doc->PositionSeconds());
      if (doc && doc->Mode() == StorageMode::Ram &&
          analysisTime_ >= static_cast<double>(doc->CapacityFrames()) /
                               std::max<uint32_t>(1, doc->Format().sampleRate)) {
        Stop();
        return false;
      }
      return in->Position() >= f;
    case kStatePlaying: {
      TSoundOutput* out = host_.Output();
      if (!out || !out->IsOpen() || !doc) {
        Stop();
        return false;
      }
      analysisTime_ = out->PositionTime() + startOffsetSecs_;
      if (analysisTime_ > doc->LengthSeconds()) {
        analysisTime_ = doc->LengthSeconds();
        Stop();
        return false;
      }
      // The document's position follows what has been heard, for the position display and
      // for where the next play or go-to starts.
      const uint64_t played = playStartFrame_ + out->Position();
      doc->Seek(static_cast<uint32_t>(std::min<uint64_t>(played, doc->Length())));
      host_.PositionChanged(doc->PositionSeconds());
      return played >= f;
    }
    default:
      return false;
  }
}

bool TRunLoop::Step() {
  if (!Running()) return false;
  // Delivered again by a nested event loop (a dialog an observer opened, say) while a pass is
  // under way: that pass goes on, and the next comes after it.
  if (Busy()) return true;
  TDeferredReports deferred;
  stepping_ = true;
  const bool more = Pass();
  stepping_ = false;
  if (Running()) NoteDeviceLosses();
  return more && Running();
}

bool TRunLoop::Pass() {
  // A timed run ends with the block that reaches its last frame.
  const TSoundInput* in = host_.Input();
  const bool live =
      state_ == kStateRecording || (state_ == kStateRunning && host_.Mode() == kModeRealTime);
  const bool atLimit = live && inputFrameLimit_ > 0 && in && in->Position() >= inputFrameLimit_;
  const bool more = FetchAndProcess();
  if (atLimit && Running()) Stop();
  return more;
}

bool TRunLoop::FetchAndProcess() {
  const bool triggering = host_.Trigger().enable != 0 && triggerLeft_ != nullptr;
  bool fetched = false;
  {
    TBusyScope busy(*this);
    if (!CheckSource()) return Running();
    fetched = FetchBlock();
  }
  if (!fetched) {
    // In Post-Processing a block that cannot be read now never can be (the channel delay
    // or the filter's run-out reach past the end): the file is done.
    if (host_.Mode() == kModePostProcessing && state_ == kStateRunning) {
      if (TWaveFile* doc = host_.DocumentSlot().get()) {
        doc->SeekToEnd();
        analysisTime_ = doc->LengthSeconds();
        Stop();
        host_.PositionChanged(doc->PositionSeconds());
      } else {
        Stop();
      }
      return false;
    }
    return true;
  }

  bool processed = false;
  bool handled = false;
  if (!triggering) {
    handled = true;
    if (overload_ && host_.Engine().settings.excludeOverloaded) {
      host_.SeriesRefreshed();
    } else {
      ProcessBlock();
      processed = true;
    }
  } else if (armed_) {
    uint32_t start = 0;
    if (SearchTrigger(start)) {
      TEngineObjects& engine = host_.Engine();
      const uint32_t n = static_cast<uint32_t>(engine.settings.fftSize);
      const uint32_t bytes = engine.settings.format.bytesPerSample;
      // The trigger buffers are decimated already; the block goes to the start of the
      // processing buffers, where the processing step reads it.
      std::memcpy(engine.seriesLeft->SampleAddress(0), triggerLeft_->SampleAddress(start),
                  uint64_t{n} * bytes);
      if (triggerRight_ && engine.seriesRight) {
        std::memcpy(engine.seriesRight->SampleAddress(0), triggerRight_->SampleAddress(start),
                    uint64_t{n} * bytes);
      }
      handled = true;
      if (overload_ && engine.settings.excludeOverloaded) {
        host_.SeriesRefreshed();
      } else {
        ProcessBlock();
        processed = true;
      }
      if (host_.Trigger().autoReset == 0) {
        armed_ = false;
        host_.StatusChanged();
      }
    } else {
      host_.SeriesRefreshed();
    }
  }
  AfterBlock(handled);
  (void)processed;
  return Running();
}

void TRunLoop::ProcessBlock() {
  TEngineObjects& engine = host_.Engine();
  if (host_.HasSpectrumConsumers()) orvanix::ProcessBlock(engine);
  host_.BlockProcessed(analysisTime_);
}

void TRunLoop::AfterBlock(bool handled) {
  const int32_t mode = host_.Mode();
  TWaveFile* doc = host_.DocumentSlot().get();
  if (handled && singleStep_) {
    singleStep_ = false;
    Stop();
  }
  if (Running() && host_.Trigger().enable && !armed_) Stop();
  // Post-Processing moves on whether or not a trigger fired, so a file without one is
  // still read to its end.
  if (mode == kModePostProcessing && doc) {
    const ProcessingSettings& s = host_.Engine().settings;
    const uint64_t step = uint64_t{std::max<uint32_t>(1, s.decimationRatio)} *
                          static_cast<uint64_t>(std::max(1, s.hopSize));
    const uint64_t target = uint64_t{doc->Position()} + step;
    if (target >= doc->Length()) {
      doc->SeekToEnd();
    } else {
      doc->Seek(static_cast<uint32_t>(target));
    }
  }
  if (mode != kModeRealTime && doc) host_.PositionChanged(doc->PositionSeconds());
  if (!handled) return;
  ++blockCount_;
  if (blockCount_ == 1 || awaitingFirstBlock_) {
    awaitingFirstBlock_ = false;
    host_.StatusChanged();
  }
  if (blockLimitEnabled_ && blockCount_ > blockLimit_) Stop();
}

}  // namespace orvanix
