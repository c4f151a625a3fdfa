// Buffers coming back from the devices: the recording, the Real-Time history and playback.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <vector>

#include "acquisition/ReportQueue.h"
#include "acquisition/RunLoop.h"
#include "acquisition/SoundInput.h"
#include "acquisition/SoundOutput.h"
#include "engine/Messages.h"
#include "files/Configuration.h"
#include "files/WaveFile.h"

namespace orvanix {

namespace {

// Frames moved at a time when the history is rebuilt or playback reads a disk file.
constexpr uint32_t kCopyFrames = 65536;

// Reads frames [from, from + count) of `wave` into `dest` as interleaved frames.
bool ReadFrames(TWaveData& wave, uint32_t from, uint32_t count, uint8_t* dest) {
  const WaveFormat& format = wave.Format();
  const uint32_t align = format.BlockAlign();
  if (const uint8_t* memory = wave.Memory()) {
    if (uint64_t{from} + count > wave.Length()) return false;
    std::memcpy(dest, memory + uint64_t{from} * align, uint64_t{count} * align);
    return true;
  }
  if (format.channels == 1) return wave.ReadChannel(dest, from, count, 0);
  const uint32_t bytes = format.bytesPerSample;
  std::vector<uint8_t> channel(uint64_t{count} * bytes);
  for (uint32_t c = 0; c < format.channels; ++c) {
    if (!wave.ReadChannel(channel.data(), from, count, c)) return false;
    for (uint32_t i = 0; i < count; ++i) {
      std::memcpy(dest + uint64_t{i} * align + c * bytes, channel.data() + uint64_t{i} * bytes,
                  bytes);
    }
  }
  return true;
}

}  // namespace

WaveTrigger WaveTriggerOf(const TTriggerSettings& t) {
  WaveTrigger trigger;
  trigger.type = static_cast<uint16_t>(t.triggerType);
  trigger.slope = static_cast<uint16_t>(t.slope);
  trigger.thresholdPercent = static_cast<float>(t.thresholdPct);
  return trigger;
}

namespace {

bool FileExists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

}  // namespace

void TRunLoop::BuffersDone() {
  if (!Running()) return;
  if (busy_ > 0) {
    // A nested event loop delivered this while buffers or the recording are being handled:
    // it is taken up as soon as that is done (TBusyScope).
    buffersDonePending_ = true;
    return;
  }
  TDeferredReports deferred;
  {
    TBusyScope busy(*this);
    if (state_ == kStatePlaying) {
      FeedPlayback();
    } else {
      TSoundInput* in = host_.Input();
      if (!in || !in->IsOpen()) {
        // The device failed and has closed itself (it told the user why). What it recorded
        // before is still in our buffers: Stop writes it to the recording.
        Stop();
        return;
      }
      if (host_.Trigger().enable && !armed_) {
        Stop();
        return;
      }
      if (state_ == kStateRecording && host_.Trigger().enable) {
        CollectInputBuffers(true);
      } else {
        // Every frame of a returned buffer is written before the buffer goes back.
        DrainInput();
        CollectInputBuffers(!stopRequested_);
      }
      if (!stopRequested_ && inputFrameLimit_ > 0 && in->Position() >= inputFrameLimit_) {
        stopRequested_ = true;
      }
    }
  }
  if (stopRequested_) Stop();
  if (Running()) NoteDeviceLosses();
}

void TRunLoop::FinishTriggeredRecording() {
  // The device has stopped. Of the frames it recorded after the last returned buffer, each
  // buffer's worth is kept when the trigger fires in it.
  TSoundInput* in = host_.Input();
  if (!in || bufferFrames_ == 0 || !io_[0] || !io_[1]) return;
  const uint64_t position = InputEnd();
  const TTriggerSettings& t = host_.Trigger();
  while (appendedFrames_ < position && !stopRequested_) {
    const uint64_t index = appendedFrames_ % bufferFrames_;
    const uint32_t count = static_cast<uint32_t>(
        std::min<uint64_t>(bufferFrames_ - index, position - appendedFrames_));
    const int buffer = static_cast<int>((appendedFrames_ / bufferFrames_) % 2);
    bool found = forceTrigger_;
    forceTrigger_ = false;
    if (!found) {
      found = io_[buffer]->FindTrigger(WaveTriggerOf(t), static_cast<uint32_t>(index),
                                       static_cast<uint32_t>(index + count),
                                       static_cast<uint32_t>(t.channel));
    }
    appendedFrames_ += count;
    if (found) AppendToRecording(io_[buffer]->Memory() + index * io_[buffer]->BlockAlign(), count);
  }
}

void TRunLoop::CollectInputBuffers(bool requeue) {
  TSoundInput* in = host_.Input();
  const bool triggeredRecording = state_ == kStateRecording && host_.Trigger().enable;
  const TTriggerSettings& t = host_.Trigger();
  for (int slot; (slot = in->TakeDone()) >= 0;) {
    if (slot > 1 || !io_[slot]) continue;
    if (triggeredRecording && !stopRequested_) {
      // A triggered recording keeps only the buffers in which the trigger fires.
      bool found = forceTrigger_;
      forceTrigger_ = false;
      if (!found) {
        found = io_[slot]->FindTrigger(WaveTriggerOf(t), 0, bufferFrames_,
                                       static_cast<uint32_t>(t.channel));
      }
      uint32_t frames = bufferFrames_;
      if (inputFrameLimit_ > 0) {
        frames = static_cast<uint32_t>(std::min<uint64_t>(
            frames, inputFrameLimit_ - std::min(inputFrameLimit_, appendedFrames_)));
      }
      appendedFrames_ += bufferFrames_;
      if (found && frames > 0) AppendToRecording(io_[slot]->Memory(), frames);
    }
    // Once requeued, the device may write into the buffer at any time: what a fetch may still
    // need of it is copied first.
    if (tailFrames_ > 0 && tail_.size() >= uint64_t{tailFrames_} * io_[slot]->BlockAlign()) {
      const uint32_t align = io_[slot]->BlockAlign();
      std::memcpy(tail_.data(), io_[slot]->Memory() + uint64_t{bufferFrames_ - tailFrames_} * align,
                  uint64_t{tailFrames_} * align);
    }
    ++collectedTurns_;
    if (requeue && !stopRequested_) QueueInputBuffer(slot);
  }
}

uint64_t TRunLoop::InputEnd() const {
  const TSoundInput* in = host_.Input();
  const uint64_t position = in ? in->Position() : 0;
  return inputFrameLimit_ > 0 ? std::min(position, inputFrameLimit_) : position;
}

void TRunLoop::DrainInput() {
  TSoundInput* in = host_.Input();
  TWaveFile* doc = host_.DocumentSlot().get();
  if (!in || !doc || bufferFrames_ == 0 || !io_[0] || !io_[1]) return;
  const bool recording = state_ == kStateRecording;
  if (!recording && historyRingFrames_ == 0) return;
  // Frames are numbered from the device's start; frame k lies in buffer (k / v) mod 2 at
  // k mod v. Buffers are requeued only after this has copied them, so none of these
  // frames can have been overwritten yet.
  const uint64_t position = InputEnd();
  const uint64_t v = bufferFrames_;
  const uint32_t align = io_[0]->BlockAlign();
  while (appendedFrames_ < position && !stopRequested_) {
    const uint64_t k = appendedFrames_;
    const int buffer = static_cast<int>((k / v) % 2);
    const uint64_t index = k % v;
    const uint32_t count = static_cast<uint32_t>(std::min(v - index, position - k));
    const uint8_t* data = io_[buffer]->Memory() + index * align;
    // Counted before the write: whatever runs while it is written starts after these frames.
    appendedFrames_ += count;
    if (recording) {
      if (!AppendToRecording(data, count)) break;
    } else {
      AppendToHistory(data, count);
    }
  }
}

bool TRunLoop::AppendToRecording(const uint8_t* data, uint32_t frames) {
  TWaveFile* doc = host_.DocumentSlot().get();
  if (!doc) return false;
  const uint32_t align = doc->BlockAlign();
  uint32_t count = frames;
  if (doc->Mode() == StorageMode::Ram) {
    // A RAM recording ends when its memory is full: that is its "Max Recording Time".
    const uint32_t room =
        doc->CapacityFrames() > doc->Position() ? doc->CapacityFrames() - doc->Position() : 0;
    if (count > room) {
      count = room;
      stopRequested_ = true;
    }
  }
  if (count > 0) {
    errno = 0;
    if (!doc->WriteBlock(data, uint64_t{count} * align)) {
      const int error = errno;
      RecordingFailed(error ? std::strerror(error) : "write error");
      return false;
    }
  }
  const int64_t limit = host_.FileIo().maxDiskRecordingSizeBytes;
  if (doc->Mode() == StorageMode::Disk && limit > 0 &&
      uint64_t{doc->Position()} * align > static_cast<uint64_t>(limit)) {
    return RollOverRecording();
  }
  return !stopRequested_;
}

void TRunLoop::RecordingFailed(const std::string& reason) {
  // Stop first, report after: the run ends at the end of this step, and nothing tries the
  // failing write again before the user has been told.
  stopRequested_ = true;
  TReportQueue::Instance().Post(Format(kMsgRecordingWriteFailed, reason.c_str()),
                                MessageIcon::Error);
}

bool TRunLoop::RollOverRecording() {
  std::unique_ptr<TWaveFile>& slot = host_.DocumentSlot();
  const TFileIoSettings& io = host_.FileIo();
  // The next file first: if it cannot be made, the recording stops and stays the document,
  // untouched, for the user to save.
  std::unique_ptr<TWaveFile> next =
      NewRecording(StorageMode::Disk, slot->Format(), 0, io.makeBackup != 0, host_.TempFolder());
  if (!next) {
    stopRequested_ = true;
    return false;
  }
  TWaveFile* doc = slot.get();
  if (doc->Untitled()) {
    const std::string folder = host_.WaveFolder();
    EnsureFolder(folder, false);
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const std::string base = RecordingFileName(folder, local);
    std::string path = base;
    // Two files finished within the same second must not overwrite each other, whether the
    // first is on the disk already or still being saved.
    for (int n = 2; (FileExists(path) || finisher_->IsPending(path)) && n < 1000; ++n) {
      path = base.substr(0, base.size() - 4) + "_" + std::to_string(n) + ".wav";
    }
    doc->SetFileName(path);
  }
  if (const TCalibration* cal = host_.ActiveCalibration(); cal && io.includeCalibrationData) {
    doc->SetCalibration(*cal);
  }
  const TCalibration* cal = host_.ActiveCalibration();
  next->SetFullScale(cal ? cal->calRatioLeft : 1.0f, cal ? cal->calRatioRight : 1.0f);
  std::unique_ptr<TWaveFile> finished = std::move(slot);
  slot = std::move(next);
  finisher_->Finish(std::move(finished));
  host_.DocumentChanged();
  return true;
}

void TRunLoop::RecordingFinished(const TRecordingFinisher::TResult& result) {
  // The messages of a failed save say what went wrong and where the data was kept. A
  // successful one is no failure: the owner shows it without stopping anyone (a box at
  // every file boundary would hold the user up for as long as the recording runs).
  for (const auto& [text, icon] : result.messages) TReportQueue::Instance().Post(text, icon);
  if (result.saved) host_.RecordingSaved(result.path);
}

void TRunLoop::AppendToHistory(const uint8_t* data, uint32_t frames) {
  TWaveFile* history = host_.DocumentSlot().get();
  if (!history || historyRingFrames_ == 0) return;
  if (!history->WriteBlock(data, uint64_t{frames} * history->BlockAlign())) {
    // The history is a convenience: when it cannot be written (disk full) it stops
    // growing, the analysis goes on.
    return;
  }
  if (history->Position() >= historyRingFrames_) {
    historyWrapEnd_ = history->Position();
    history->Seek(0);
  }
}

void TRunLoop::RebuildHistory() {
  std::unique_ptr<TWaveFile>& slot = host_.DocumentSlot();
  TWaveFile* old = slot.get();
  const uint32_t newest = std::min(old->Position(), historyWrapEnd_);
  const uint32_t end = historyWrapEnd_;
  const WaveFormat format = old->Format();
  const uint32_t align = format.BlockAlign();
  std::unique_ptr<TWaveFile> rebuilt;
  if (old->Mode() == StorageMode::Ram) {
    rebuilt = std::make_unique<TWaveFile>(end, format, host_.TempFolder());
  } else {
    rebuilt = std::make_unique<TWaveFile>(format, old->MakeBackup(), host_.TempFolder());
  }
  if (rebuilt->Error()) return;  // reported; the ring stays as it is
  std::vector<uint8_t> piece(uint64_t{kCopyFrames} * align);
  // The older part runs from the newest frame to the wrap point, the newer part from the
  // ring's start to the newest frame.
  auto copy = [&](uint32_t from, uint32_t to) {
    for (uint32_t frame = from; frame < to;) {
      const uint32_t count = std::min(kCopyFrames, to - frame);
      if (!ReadFrames(*old, frame, count, piece.data())) return false;
      if (!rebuilt->WriteBlock(piece.data(), uint64_t{count} * align)) return false;
      frame += count;
    }
    return true;
  };
  if (!copy(newest, end) || !copy(0, newest)) return;
  const TCalibration* cal = host_.ActiveCalibration();
  rebuilt->SetFullScale(cal ? cal->calRatioLeft : 1.0f, cal ? cal->calRatioRight : 1.0f);
  rebuilt->Rewind();
  if (rebuilt->Mode() == StorageMode::Disk) rebuilt->Seek(0);
  historyWrapEnd_ = 0;
  slot = std::move(rebuilt);
  host_.TimeAxisShifted(analysisTime_ - slot->LengthSeconds());
  host_.DocumentChanged();
}

void TRunLoop::FeedPlayback() {
  TSoundOutput* out = host_.Output();
  TWaveFile* doc = host_.DocumentSlot().get();
  if (!out || !doc || bufferFrames_ == 0) return;
  if (!out->IsOpen()) {
    Stop();
    return;
  }
  const uint32_t align = doc->BlockAlign();
  const uint32_t length = doc->Length();
  const TTriggerSettings& t = host_.Trigger();
  const WaveTrigger trigger = WaveTriggerOf(t);

  auto fill = [&](int slot) {
    // With triggering only a buffer in which the trigger fires is played; the others are
    // skipped (the time series still sees them).
    while (playFeedFrame_ < length) {
      const uint32_t count = std::min(bufferFrames_, length - playFeedFrame_);
      const uint32_t from = playFeedFrame_;
      playFeedFrame_ += count;
      if (t.enable) {
        bool found = forceTrigger_;
        forceTrigger_ = false;
        if (!found) {
          found = doc->FindTrigger(trigger, from, from + count, static_cast<uint32_t>(t.channel));
        }
        if (!found) {
          host_.SeriesRefreshed();
          continue;
        }
      }
      if (!ReadFrames(*doc, from, count, io_[slot]->Memory())) return false;
      return out->Write(io_[slot]->Memory(), count * align, slot);
    }
    return false;
  };

  if (!outputPrimed_) {
    outputPrimed_ = true;
    for (int slot = 0; slot < 2; ++slot) fill(slot);
  } else {
    for (int slot; (slot = out->TakeDone()) >= 0;) {
      if (slot <= 1) fill(slot);
    }
  }
  if (playFeedFrame_ >= length && out->AllDone()) Stop();
}

}  // namespace orvanix
