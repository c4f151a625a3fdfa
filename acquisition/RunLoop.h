// The analyzer run loop: moves blocks of samples from the mode's source (the sound input,
// the open wave document, or the document playing through the sound output) into the
// engine, records the input into a wave document, keeps the Real-Time history, and tells
// the owner that new results exist.
//
// Threading: main thread only. The sound ports call BuffersDone() on the main thread when
// the device returns buffers; the loop's step runs from a single-shot timer that is armed
// only while there is work (a running analysis), so nothing spins while waiting:
//  - Post-Processing: the step runs again at once (a zero timer), processing blocks for a
//    few milliseconds per pass so that the event loop stays responsive;
//  - Real-Time, recording and playback: the step runs once per block duration, but at least
//    40 times a second (every 10 ... 25 ms), and takes the newest block each time, so long
//    blocks overlap (each counts in the average) and the views move at that rate; a step
//    with no new input since the last block does nothing. Buffer-done events recycle buffers
//    and write recordings.
// Recordings that reach their size limit are saved by a worker thread (TRecordingFinisher)
// while recording goes on in the next file.
//
// Re-entry. Neither the step nor the buffers-done handler shows a message box or runs any
// other nested event loop: what they report waits in TReportQueue until they have returned,
// and failures stop the run before they are reported. A nested event loop started by someone
// else (an observer, say) still cannot run them inside themselves: a nested step does nothing,
// and a buffers-done notice that arrives while buffers or the recording are being handled is
// taken up as soon as that is done.
//
// The loop owns its I/O buffers, the trigger buffers and the loop state; everything else
// (settings, engine objects, ports, the document slot) belongs to the owner and is reached
// through TRunLoopHost.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "acquisition/RecordingFinisher.h"
#include "acquisition/RunLoopTypes.h"
#include "engine/ProcessingStep.h"
#include "files/SettingsRecords.h"

class QTimer;

namespace orvanix {

class TSoundInput;
class TSoundOutput;
class TWaveData;
class TWaveFile;

// What the run loop reads from, and tells, its owner (the analyzer core; tests use their
// own). Every call is on the main thread.
class TRunLoopHost {
 public:
  virtual ~TRunLoopHost() = default;

  // ---- what the loop reads ----
  virtual int32_t Mode() const = 0;
  // The engine objects; their `settings` are the processing settings in force.
  virtual TEngineObjects& Engine() = 0;
  // Rebuilds the block buffers and spectra from the current settings (start of a run that
  // is not a single step) and applies the calibration; false when that failed (reported).
  virtual bool RebuildEngine() = 0;
  virtual const TTriggerSettings& Trigger() const = 0;
  virtual const TFileIoSettings& FileIo() const = 0;
  // Folders for automatically named recordings and for temporary working files.
  virtual std::string WaveFolder() const = 0;
  virtual std::string TempFolder() const = 0;
  // The calibration record when calibration is on, else nullptr.
  virtual const TCalibration* ActiveCalibration() const = 0;
  // The open document: the Post-Processing file, the recording or the Real-Time history.
  virtual std::unique_ptr<TWaveFile>& DocumentSlot() = 0;
  virtual TSoundInput* Input() = 0;
  virtual TSoundOutput* Output() = 0;
  // Whether any window, logger or link reads spectra. Without one the processing step is
  // skipped (the block is still fetched, counted and announced).
  virtual bool HasSpectrumConsumers() const = 0;
  // Points of an active data link (buffers are sized for it); 0 without one.
  virtual uint32_t DataLinkPoints() const { return 0; }

  // ---- what the loop tells ----
  // A block went through the processing step (or would have, without consumers).
  virtual void BlockProcessed(double analysisTimeSecs) = 0;
  // New samples in the block buffers without a new spectrum.
  virtual void SeriesRefreshed() = 0;
  virtual void RunStateChanged() = 0;
  // Overload flag, peak levels, counters.
  virtual void StatusChanged() = 0;
  virtual void PositionChanged(double positionSecs) = 0;
  // The document slot changed (recording created or finished, history rebuilt or dropped).
  virtual void DocumentChanged() = 0;
  virtual void SpectraReset() = 0;
  virtual void TimeAxisShifted(double shiftSecs) = 0;
  // A recording that reached its size limit has been saved under `path` (recording went on in
  // a new file when it was handed over). Comes from the event loop, after the save.
  virtual void RecordingSaved(const std::string& path) { (void)path; }
  // The signal generator's output (when a generator exists and is open).
  virtual void StartGeneratorOutput() {}
  virtual void StopGeneratorOutput() {}
};

class TRunLoop {
 public:
  explicit TRunLoop(TRunLoopHost& host);
  ~TRunLoop();
  TRunLoop(const TRunLoop&) = delete;
  TRunLoop& operator=(const TRunLoop&) = delete;

  // ---- commands ----
  // Starts in the host's mode. `playing`: Recorder mode plays the document instead of
  // recording. False when nothing started (the reason was reported; state stopped).
  bool Start(bool playing = false);
  void Stop();
  // One pass: fetch a block from the source, process it, advance. Returns whether more
  // passes are wanted. The timer calls it; tests may call it directly.
  bool Step();
  // The ports' buffers-done handler: recycles input buffers, writes the recording and the
  // history, feeds playback.
  void BuffersDone();
  // Computes the frames per I/O buffer for the current settings and mode and allocates
  // both buffers in `format`. False (reported) when they cannot be had.
  bool SizeBuffers(const WaveFormat& format);
  // Fills the processing (or, with triggering, the trigger) buffers from the mode's source
  // with the channel delay, decimates them and measures overload. False when no block is
  // available yet.
  bool FetchBlock();
  // Runs the processing step (when spectra are consumed) and announces the block.
  void ProcessBlock();

  // ---- flags set by commands and automation ----
  // The next start keeps the engine objects (averaging continues) and the next processed
  // block stops the run.
  void SetSingleStep(bool on) { singleStep_ = on; }
  bool SingleStepPending() const { return singleStep_; }
  void SetBlockLimit(bool enabled, uint64_t blocks) {
    blockLimitEnabled_ = enabled;
    blockLimit_ = blocks;
  }
  void ForceTrigger() { forceTrigger_ = true; }
  // Automation's "[Reset Overload]": overload status and count back to 0.
  void ResetOverload() {
    overload_ = false;
    overloadCount_ = 0;
  }
  // Timed runs: Real-Time and recording stop once the input has delivered `frames` frames
  // (0: no limit), and a recording or history holds exactly that many. Kept across starts.
  void SetInputFrameLimit(uint64_t frames) { inputFrameLimit_ = frames; }
  uint64_t InputFrameLimit() const { return inputFrameLimit_; }
  // Whether the timer drives Step(); tests that step by hand turn it off.
  void SetAutoStep(bool on) { autoStep_ = on; }

  // ---- state ----
  RunState State() const { return state_; }
  bool Running() const { return state_ != kStateStopped; }
  bool Overloaded() const { return overload_; }
  uint32_t OverloadCount() const { return overloadCount_; }
  int PeakLevelLeft() const { return peakLeft_; }
  int PeakLevelRight() const { return peakRight_; }
  uint64_t BlockCount() const { return blockCount_; }
  double AnalysisTime() const { return analysisTime_; }
  bool TriggerArmed() const { return armed_; }
  // True from a Real-Time start until the first block.
  bool AwaitingFirstBlock() const { return awaitingFirstBlock_; }
  // Times the input device lost samples since the last start (0 outside Real-Time and
  // recording), and the frames it dropped for want of a buffer.
  uint64_t OverrunCount() const;
  uint64_t DroppedFrames() const;
  // Times playback ran dry since the last start (0 outside playback), and the frames of
  // silence played in those gaps.
  uint64_t UnderrunCount() const;
  uint64_t SilenceFrames() const;
  // Whether a step or the buffers-done handler is running (on the stack).
  bool Busy() const { return stepping_ || busy_ > 0; }
  // Recordings that reached their size limit and are still being saved in the background.
  size_t RecordingsBeingSaved() const;
  // Waits until they are saved and announces them (RecordingSaved, reports).
  void WaitForSavedRecordings();
  TRecordingFinisher& Finisher() { return *finisher_; }
  // Frames per I/O buffer (0 before the first start).
  uint32_t BufferFrames() const { return bufferFrames_; }
  // The Real-Time history: frames per ring pass, and whether it has wrapped.
  uint32_t HistoryRingFrames() const { return historyRingFrames_; }
  bool HistoryWrapped() const { return historyWrapEnd_ > 0; }

 private:
  // Start, by mode (RunLoop.cpp).
  bool StartRealTime();
  bool StartPostProcessing();
  bool StartRecording();
  bool StartPlaying();
  bool OpenInput(bool recording);
  bool PrepareRecordingWave();
  bool CreateHistoryWave();
  void ArmTimer();
  void OnTimer();
  int StepIntervalMsec() const;
  void SetState(RunState state);
  void ClearLoopState();

  // Fetching (RunLoopFetch.cpp).
  bool FetchFromInput(TSeriesData* left, TSeriesData* right);
  bool FetchFromWave(TWaveData& wave, uint32_t position, TSeriesData* left, TSeriesData* right,
                     bool requireDelayMargin);
  void CopyChannelFromInput(uint64_t first, uint32_t count, uint32_t channel, TSeriesData& target);
  // The input position, held at the frame limit of a timed run.
  uint64_t InputEnd() const;
  bool MeasureOverload(TSeriesData* left, TSeriesData* right);
  bool BuildTriggerBuffers();
  bool SearchTrigger(uint32_t& start);
  uint32_t ChannelDelay(uint32_t channel) const;
  uint32_t TriggerDelayDecimated() const;
  uint32_t BlockFrames() const;

  // Step and processing (RunLoopStep.cpp).
  bool Pass();
  bool FetchAndProcess();
  bool CheckSource();
  void AfterBlock(bool handled);
  double HalfBlockSecs() const;

  // Recording, history and playback (RunLoopRecord.cpp).
  void DrainInput();
  void FinishTriggeredRecording();
  // Takes every input buffer the device has returned: a triggered recording keeps those in
  // which the trigger fires; each keeps its last frames for the next fetch and, unless
  // `requeue` is off or the run is stopping, goes back to the device.
  void CollectInputBuffers(bool requeue);
  bool AppendToRecording(const uint8_t* data, uint32_t frames);
  void AppendToHistory(const uint8_t* data, uint32_t frames);
  bool RollOverRecording();
  void RecordingFinished(const TRecordingFinisher::TResult& result);
  void RebuildHistory();
  void FeedPlayback();
  bool QueueInputBuffer(int slot);
  void RecordingFailed(const std::string& reason);

  // Reports (RunLoopReports.cpp): input lost or output run dry since they were last told,
  // with the status; and what the whole run lost, at its end.
  void NoteDeviceLosses();
  std::string OverrunText() const;

  // Marks a stretch where buffers and the recording are being handled; a buffers-done notice
  // that arrives inside one (from a nested event loop) is handled when the outermost ends.
  class TBusyScope {
   public:
    explicit TBusyScope(TRunLoop& loop) : loop_(loop) { ++loop_.busy_; }
    ~TBusyScope();
    TBusyScope(const TBusyScope&) = delete;
    TBusyScope& operator=(const TBusyScope&) = delete;

   private:
    TRunLoop& loop_;
  };

  TRunLoopHost& host_;
  RunState state_ = kStateStopped;
  std::unique_ptr<QTimer> timer_;
  bool autoStep_ = true;
  bool stepping_ = false;
  int busy_ = 0;
  bool buffersDonePending_ = false;
  std::unique_ptr<TRecordingFinisher> finisher_;

  // Loop state.
  bool overload_ = false;
  uint32_t overloadCount_ = 0;
  int peakLeft_ = 0;
  int peakRight_ = 0;
  uint64_t blockCount_ = 0;
  bool blockLimitEnabled_ = false;
  uint64_t blockLimit_ = 0;
  bool singleStep_ = false;
  bool forceTrigger_ = false;
  bool armed_ = false;
  bool awaitingFirstBlock_ = false;
  double analysisTime_ = 0;
  double startOffsetSecs_ = 0;
  double stopWallTime_ = 0;
  bool usedInput_ = false;   // the last start opened the input
  bool usedOutput_ = false;  // the last start opened the output (playback)
  uint64_t inputFrameLimit_ = 0;
  // Device losses already reported (and shown in the status) during this run.
  uint64_t toldOverruns_ = 0;
  uint64_t toldUnderruns_ = 0;

  // The two I/O buffers (frames of the port's format). The input device fills them in
  // turn; input frame k (counted from the device's start) lies in buffer (k / v) mod 2 at
  // k mod v, the buffer of turn k / v. `appendedFrames_` counts the input frames already
  // written to the recording or the history.
  std::unique_ptr<TWaveData> io_[2];
  uint32_t bufferFrames_ = 0;
  uint64_t appendedFrames_ = 0;
  // Turns the device has returned and we have taken back (and requeued): the buffers of turns
  // below this one may be written by the device again and are never read. The last
  // `tailFrames_` frames of the last one taken are kept in `tail_` (interleaved), which is
  // where a block that reaches back before the current buffer finds its older part.
  uint64_t collectedTurns_ = 0;
  uint32_t tailFrames_ = 0;
  std::vector<uint8_t> tail_;
  // Real-Time: the input position of the last block fetched (no new frames, no new block).
  uint64_t lastFetchEnd_ = 0;
  // Trigger mode: the input position after the block used last.
  uint64_t lastTriggerEnd_ = 0;
  // Set where stopping at once is not possible (inside Stop's own drain, say); the loop
  // stops as soon as the current operation returns.
  bool stopRequested_ = false;

  // Disk-mode documents: the interleaved frames of one block, read at once.
  std::vector<uint8_t> readScratch_;

  // Trigger buffers: 2 blocks plus the trigger delay, decimated in place.
  std::unique_ptr<TSeriesData> triggerLeft_, triggerRight_;

  // Real-Time history ring: frames per pass and the end of the older data after a wrap.
  uint32_t historyRingFrames_ = 0;
  uint32_t historyWrapEnd_ = 0;

  // Playback: the document frame playback began at and the next frame to queue.
  uint32_t playStartFrame_ = 0;
  uint32_t playFeedFrame_ = 0;
  bool outputPrimed_ = false;
};

// Copies `count` samples of `bytes` bytes each, `stride` bytes apart in `src` (one channel of
// interleaved frames), packed into `dst`.
void CopySamples(uint8_t* dst, const uint8_t* src, uint32_t count, uint32_t bytes, uint32_t stride);

// The wave-document form of the trigger settings (recording and playback search whole
// buffers with it).
struct WaveTrigger;
WaveTrigger WaveTriggerOf(const TTriggerSettings& trigger);

// Seconds since local midnight: the time stamp of Real-Time blocks without a history.
double WallClockSeconds();

}  // namespace orvanix
