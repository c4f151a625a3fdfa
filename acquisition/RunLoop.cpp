// Start, stop and the timer that paces the run loop.
#include "acquisition/RunLoop.h"

#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>

#include "acquisition/ReportQueue.h"
#include "acquisition/SoundInput.h"
#include "acquisition/SoundOutput.h"
#include "engine/Messages.h"
#include "files/WaveFile.h"

namespace orvanix {

namespace {
// Post-Processing works through blocks for this long before it lets other events in.
constexpr auto kPostProcessingSlice = std::chrono::milliseconds(8);
// Live modes take the newest block at every step: a step per block when blocks are short
// (no more often than every 10 ms), else a steady 40 a second, so that a long block
// (4096 points and more) is analysed again as it slides on and the views move smoothly.
constexpr int kMinStepMsec = 10;
constexpr int kLiveStepMsec = 25;
}  // namespace

double WallClockSeconds() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec;
}

TRunLoop::TRunLoop(TRunLoopHost& host)
    : host_(host),
      timer_(std::make_unique<QTimer>()),
      finisher_(std::make_unique<TRecordingFinisher>(
          [this](const TRecordingFinisher::TResult& result) { RecordingFinished(result); })) {
  timer_->setSingleShot(true);
  QObject::connect(timer_.get(), &QTimer::timeout, [this] { OnTimer(); });
}

TRunLoop::~TRunLoop() {
  timer_->stop();
  if (Running()) {
    // The owner is going away: close the devices without touching the document slot,
    // which the owner is releasing itself.
    if (TSoundInput* in = host_.Input()) in->Close();
    if (TSoundOutput* out = host_.Output()) out->Close();
    state_ = kStateStopped;
  }
  // Recordings handed to the finisher are saved before we go, and what happened is told.
  finisher_->WaitAll();
  TReportQueue::Instance().Flush();
}

TRunLoop::TBusyScope::~TBusyScope() {
  if (--loop_.busy_ > 0 || !loop_.buffersDonePending_) return;
  loop_.buffersDonePending_ = false;
  loop_.BuffersDone();
}

size_t TRunLoop::RecordingsBeingSaved() const {
  return finisher_->Pending();
}

void TRunLoop::WaitForSavedRecordings() {
  finisher_->WaitAll();
}

// The input port counts from its last Open, which is the start of our last run.
uint64_t TRunLoop::OverrunCount() const {
  const TSoundInput* in = host_.Input();
  return in && usedInput_ ? in->OverrunCount() : 0;
}

uint64_t TRunLoop::DroppedFrames() const {
  const TSoundInput* in = host_.Input();
  return in && usedInput_ ? in->DroppedFrames() : 0;
}

// The output port counts from its last Open too; only playback opens it here.
uint64_t TRunLoop::UnderrunCount() const {
  const TSoundOutput* out = host_.Output();
  return out && usedOutput_ ? out->UnderrunCount() : 0;
}

uint64_t TRunLoop::SilenceFrames() const {
  const TSoundOutput* out = host_.Output();
  return out && usedOutput_ ? out->SilenceFrames() : 0;
}

uint32_t TRunLoop::BlockFrames() const {
  const ProcessingSettings& s = host_.Engine().settings;
  return static_cast<uint32_t>(s.fftSize) * std::max<uint32_t>(1, s.decimationRatio);
}

void TRunLoop::SetState(RunState state) {
  if (state_ == state) return;
  state_ = state;
  host_.RunStateChanged();
}

void TRunLoop::ClearLoopState() {
  overload_ = false;
  overloadCount_ = 0;
  peakLeft_ = 0;
  peakRight_ = 0;
  blockCount_ = 0;
  lastTriggerEnd_ = 0;
  appendedFrames_ = 0;
  collectedTurns_ = 0;
  lastFetchEnd_ = 0;
  stopRequested_ = false;
  outputPrimed_ = false;
  usedInput_ = false;
  usedOutput_ = false;
  toldOverruns_ = 0;
  toldUnderruns_ = 0;
  historyWrapEnd_ = 0;
  historyRingFrames_ = 0;
}

bool TRunLoop::Start(bool playing) {
  if (Running()) return true;
  TEngineObjects& engine = host_.Engine();
  const int32_t mode = host_.Mode();

  ClearLoopState();
  if (!singleStep_) {
    if (!host_.RebuildEngine()) {
      singleStep_ = false;
      return false;
    }
    ResetSpectra(engine);
    host_.SpectraReset();
  }
  if (!engine.seriesLeft || engine.seriesLeft->Error()) {
    singleStep_ = false;
    return false;
  }
  triggerLeft_.reset();
  triggerRight_.reset();
  if (host_.Trigger().enable && !BuildTriggerBuffers()) {
    singleStep_ = false;
    return false;
  }

  bool started = false;
  switch (mode) {
    case kModeRealTime:
      started = StartRealTime();
      break;
    case kModePostProcessing:
      started = StartPostProcessing();
      break;
    case kModeRecorder:
      started = playing ? StartPlaying() : StartRecording();
      break;
    default:
      break;
  }
  if (!started) {
    singleStep_ = false;
    if (TSoundInput* in = host_.Input()) in->Close();
    if (TSoundOutput* out = host_.Output()) out->Close();
    SetState(kStateStopped);
    host_.StatusChanged();
    return false;
  }

  armed_ = true;
  host_.StatusChanged();
  if (state_ == kStateRunning || state_ == kStateRecording) {
    if (mode != kModePostProcessing) {
      TSoundInput* in = host_.Input();
      if (!in || !in->Start()) {
        Stop();
        return false;
      }
      host_.StartGeneratorOutput();
    }
  }
  ArmTimer();
  return true;
}

bool TRunLoop::StartRealTime() {
  if (!OpenInput(false)) return false;
  awaitingFirstBlock_ = true;
  SetState(kStateRunning);
  return true;
}

bool TRunLoop::StartPostProcessing() {
  std::unique_ptr<TWaveFile>& doc = host_.DocumentSlot();
  if (!doc) {
    ReportError(kMsgOpenWaveFirst, MessageIcon::Information);
    return false;
  }
  TEngineObjects& engine = host_.Engine();
  const uint32_t block = engine.seriesLeft->Count();
  const uint32_t length = doc->Length();
  const uint32_t position = std::min(doc->Position(), length);
  if (length - position >= block) {
    awaitingFirstBlock_ = false;
    SetState(kStateRunning);
    return true;
  }
  if (position >= length || (length > 0 && position >= length - 1)) {
    ReportError(kMsgEndOfFile, MessageIcon::Information);
  } else if (position > 0) {
    ReportError(kMsgCloseToEnd, MessageIcon::Information);
  } else {
    ReportError(kMsgFileTooShort, MessageIcon::Information);
  }
  return false;
}

bool TRunLoop::StartRecording() {
  if (!OpenInput(true)) return false;
  awaitingFirstBlock_ = false;
  SetState(kStateRecording);
  return true;
}

bool TRunLoop::StartPlaying() {
  std::unique_ptr<TWaveFile>& doc = host_.DocumentSlot();
  TSoundOutput* out = host_.Output();
  if (!doc) {
    ReportError(kMsgOpenWaveFirst, MessageIcon::Information);
    return false;
  }
  if (!out || !out->HasDevice()) {
    ReportError(kMsgNoSoundCards);
    return false;
  }
  if (doc->Length() == 0) return false;
  if (doc->Position() + 1 >= doc->Length()) doc->Rewind();
  const WaveFormat& format = doc->Format();
  if (!out->SetFormat(format.sampleRate, format.channels, format.bytesPerSample)) {
    ReportError(kMsgFormatNotSupported);
    return false;
  }
  if (!out->Open([this] { BuffersDone(); })) return false;
  usedOutput_ = true;
  if (!SizeBuffers(format)) return false;
  playStartFrame_ = doc->Position();
  playFeedFrame_ = playStartFrame_;
  startOffsetSecs_ = doc->PositionSeconds();
  analysisTime_ = startOffsetSecs_;
  awaitingFirstBlock_ = false;
  SetState(kStatePlaying);
  // Fill both buffers and let the output go.
  FeedPlayback();
  out->Restart();
  return true;
}

bool TRunLoop::OpenInput(bool recording) {
  TSoundInput* in = host_.Input();
  if (!in || !in->HasDevice() || in->Error()) {
    ReportError(kMsgNoSoundCards);
    return false;
  }
  const WaveFormat& format = host_.Engine().settings.format;
  if (!in->SetFormat(format.sampleRate, format.channels, format.bytesPerSample)) {
    ReportError(kMsgFormatNotSupported);
    return false;
  }
  if (!in->Open([this] { BuffersDone(); })) return false;
  usedInput_ = true;

  if (!recording) {
    if (!SizeBuffers(format)) return false;
    if (!CreateHistoryWave()) return false;
  } else {
    if (!PrepareRecordingWave()) return false;
    if (!SizeBuffers(format)) return false;
  }
  for (int slot = 0; slot < 2; ++slot) {
    if (!QueueInputBuffer(slot)) return false;
  }
  return true;
}

bool TRunLoop::CreateHistoryWave() {
  std::unique_ptr<TWaveFile>& slot = host_.DocumentSlot();
  if (slot) {
    slot.reset();
    host_.DocumentChanged();
  }
  const TFileIoSettings& io = host_.FileIo();
  const WaveFormat& format = host_.Engine().settings.format;
  if (io.realTimeWaveBufferEnable == 1) {
    const int32_t secs = std::max(2, io.realTimeWaveBufferLengthSecs) - 1;
    historyRingFrames_ = static_cast<uint32_t>(
        std::min<uint64_t>(uint64_t{format.sampleRate} * secs, uint64_t{1} << 30));
    std::unique_ptr<TWaveFile> history;
    if (io.waveFileMode == 0) {
      // Room for the ring plus a tenth: the buffer that crosses the ring's end is written
      // whole before the ring wraps.
      const uint64_t capacity = static_cast<uint64_t>(historyRingFrames_ * 1.1) + bufferFrames_;
      if (capacity > (uint64_t{1} << 30)) {
        ReportError(kInsufficientMemory);
        return false;
      }
      history =
          std::make_unique<TWaveFile>(static_cast<uint32_t>(capacity), format, host_.TempFolder());
    } else {
      history = std::make_unique<TWaveFile>(format, io.makeBackup != 0, host_.TempFolder());
    }
    if (!history || history->Error()) return false;
    const TCalibration* cal = host_.ActiveCalibration();
    history->SetFullScale(cal ? cal->calRatioLeft : 1.0f, cal ? cal->calRatioRight : 1.0f);
    startOffsetSecs_ = history->PositionSeconds();
    slot = std::move(history);
    host_.DocumentChanged();
  } else {
    historyRingFrames_ = 0;
    startOffsetSecs_ = WallClockSeconds();
  }
  return true;
}

bool TRunLoop::PrepareRecordingWave() {
  std::unique_ptr<TWaveFile>& doc = host_.DocumentSlot();
  const TFileIoSettings& io = host_.FileIo();
  const WaveFormat& format = host_.Engine().settings.format;
  if (!doc) {
    doc = NewRecording(io.waveFileMode == 0 ? StorageMode::Ram : StorageMode::Disk, format,
                       static_cast<uint32_t>(std::max(1, io.maxRamRecordingTimeSecs)),
                       io.makeBackup != 0, host_.TempFolder());
    if (!doc) return false;
    host_.DocumentChanged();
  } else {
    if (!(doc->Format() == format)) {
      ReportError(kMsgFormatNotSupported);
      return false;
    }
    // Recording appends: whatever the position (a rewind, a go-to), nothing already in the
    // document is overwritten.
    doc->Seek(doc->Length());
    if (doc->Mode() == StorageMode::Ram) {
      if (!doc->GrowForRecording()) return false;
    } else if (!doc->MakeBackup()) {
      if (Messages().Ask(kMsgModifyWithoutBackup, kProgramTitle, MessageButtons::YesNo,
                         MessageAnswer::Yes, MessageIcon::Question) != MessageAnswer::Yes) {
        return false;
      }
    }
    doc->SetModified(true);
  }
  const TCalibration* cal = host_.ActiveCalibration();
  doc->SetFullScale(cal ? cal->calRatioLeft : 1.0f, cal ? cal->calRatioRight : 1.0f);
  startOffsetSecs_ = doc->PositionSeconds();
  analysisTime_ = startOffsetSecs_;
  return true;
}

bool TRunLoop::QueueInputBuffer(int slot) {
  TSoundInput* in = host_.Input();
  if (!in || !io_[slot]) return false;
  return in->AddBuffer(io_[slot]->Memory(),
                       static_cast<uint32_t>(uint64_t{bufferFrames_} * io_[slot]->BlockAlign()),
                       slot);
}

void TRunLoop::Stop() {
  if (!Running()) return;
  timer_->stop();
  const int32_t mode = host_.Mode();
  std::unique_ptr<TWaveFile>& doc = host_.DocumentSlot();
  TSoundInput* in = host_.Input();

  // Whatever the device recorded since the last buffer came back goes into the recording
  // or the history. The device is stopped first, so that nothing arrives after the last
  // frame is written; its position and our buffers stay as they were.
  const bool keepInput = in && (state_ == kStateRecording || (mode == kModeRealTime && doc));
  const bool triggered = state_ == kStateRecording && host_.Trigger().enable;
  {
    TBusyScope busy(*this);
    if (keepInput && triggered) CollectInputBuffers(false);
    if (in) in->Close();
    if (keepInput) {
      if (triggered) {
        FinishTriggeredRecording();
      } else {
        DrainInput();
      }
    }
  }
  // Losses not told yet (the last moments of the run) are told now, after the devices stop.
  NoteDeviceLosses();
  const RunState was = state_;
  TSoundOutput* out = host_.Output();
  if (was == kStatePlaying && doc && out && out->IsOpen()) {
    // Playback stops where it was heard to; at the end that is the end of the document.
    const uint64_t played = playStartFrame_ + out->Position();
    doc->Seek(static_cast<uint32_t>(std::min<uint64_t>(played, doc->Length())));
  }
  state_ = kStateStopped;
  stopRequested_ = false;
  stopWallTime_ = WallClockSeconds();
  if (out) out->Close();
  host_.StopGeneratorOutput();

  if (mode == kModeRealTime && doc && historyWrapEnd_ > 0) RebuildHistory();
  // A RAM recording or history holds its whole capacity; what was recorded is the valid
  // part, and that is what the document should be from now on.
  if (TWaveFile* wave = doc.get(); wave && wave->Mode() == StorageMode::Ram &&
                                   (was == kStateRecording || mode == kModeRealTime) &&
                                   wave->ValidLength() > 0 &&
                                   wave->ValidLength() < wave->Length()) {
    const uint32_t position = wave->Position();
    wave->Resize(wave->ValidLength());
    wave->Seek(std::min(position, wave->Length()));
  }
  if (was == kStateRecording && doc) {
    doc->SetModified(true);
    host_.DocumentChanged();
  }
  if (was == kStatePlaying && doc) host_.PositionChanged(doc->PositionSeconds());
  host_.RunStateChanged();
  host_.StatusChanged();
}

int TRunLoop::StepIntervalMsec() const {
  const ProcessingSettings& s = host_.Engine().settings;
  if (s.format.sampleRate == 0) return kLiveStepMsec;
  const double blockMsec = 1000.0 * BlockFrames() / s.format.sampleRate;
  return static_cast<int>(std::clamp(blockMsec, double{kMinStepMsec}, double{kLiveStepMsec}));
}

void TRunLoop::ArmTimer() {
  if (!autoStep_ || !Running()) return;
  timer_->start(host_.Mode() == kModePostProcessing ? 0 : StepIntervalMsec());
}

void TRunLoop::OnTimer() {
  if (!Running()) return;
  if (host_.Mode() == kModePostProcessing) {
    const auto until = std::chrono::steady_clock::now() + kPostProcessingSlice;
    while (Running() && Step() && std::chrono::steady_clock::now() < until) {
    }
  } else {
    Step();
  }
  ArmTimer();
}

}  // namespace orvanix
