// The analyzer core's state and the glue between it and the run loop. Private to
// app/core: the public interface is AnalyzerCore.h.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "acquisition/RunLoop.h"
#include "acquisition/SoundInput.h"
#include "acquisition/SoundOutput.h"
#include "app/core/AnalyzerCore.h"
#include "app/core/CoreModule.h"
#include "engine/ProcessingStep.h"
#include "files/Configuration.h"
#include "files/Profile.h"
#include "files/WaveFile.h"

namespace orvanix {

// Default answers for dialogs when none are installed: never lose data. An untitled
// document that must be saved gets an automatic name in the wave folder (the name a
// recording that reaches its size limit gets), so a headless run never drops a recording.
class THeadlessDialogs : public TCoreDialogs {
 public:
  explicit THeadlessDialogs(const std::function<std::string()>& waveFolder)
      : waveFolder_(waveFolder) {}
  std::string SaveWaveFileName(const std::string& folder) override;

 private:
  std::function<std::string()> waveFolder_;
};

struct TAnalyzerCore::Impl final : public TRunLoopHost {
  Impl(TAnalyzerCore& owner, const TCoreOptions& options);
  ~Impl() override;

  TAnalyzerCore& owner;
  TCoreOptions options;
  std::string programPath;
  TProfile program;  // the program settings file's lines, written back at exit
  // The program settings file existed but was refused at start-up (unreadable, too large):
  // it is moved aside at exit rather than overwritten, so nothing the user had is lost.
  bool programRefused = false;
  TAnalyzerSettings settings;
  TEngineObjects engine;
  std::unique_ptr<TWaveFile> document;
  // New was chosen: the title reads "Untitled" although the wave object is made only
  // when recording starts.
  bool pendingUntitled = false;
  std::unique_ptr<TSoundInput> input;
  std::unique_ptr<TSoundOutput> output;
  std::unique_ptr<TRunLoop> runLoop;

  std::array<TAnalyzerObserver*, kWindowKindCount> windows{};
  std::vector<std::pair<TAnalyzerObserver*, ObserverRole>> observers;
  // Subsystems (app/core/CoreModule.h), in registration order. They are listeners at their
  // role too; they say themselves whether they consume spectra.
  std::vector<std::unique_ptr<TCoreModule>> modules;
  bool headlessConsumer = false;
  bool dataLogging = false;
  THeadlessDialogs headlessDialogs;
  TCoreDialogs* dialogs = nullptr;
  TMacroHost* macro = nullptr;
  TUiContext ui;
  std::array<std::string, kFolderKindCount> lastFolders;
  TTimeSelection selection;
  // The document the selection belongs to: another one (or none) clears it.
  const TWaveFile* selectionDocument = nullptr;
  std::function<void()> stopWaiter;
  // The last recording saved at its size limit in this run (the status bar shows it).
  std::string savedRecording;
  // What the time series shows instead of the run loop's block (app/core/CoreComputed.cpp),
  // and the document it was computed from (another one drops it).
  std::unique_ptr<TComputedSeries> computed;
  const TWaveFile* computedDocument = nullptr;
  std::function<bool(WindowKind)> windowShower;
  TSliceSource* linkedData = nullptr;
  TSliceSource* recordingSlices = nullptr;
  struct LongOperation;
  std::shared_ptr<LongOperation> longOperation;
  int progressPercent = -1;
  // The run loop reset what the time series shows.
  void DropComputedSeries();
  // One pass of the long operation from the event loop, and its end.
  void LongPass(const std::shared_ptr<LongOperation>& op);
  void FinishLong(const std::shared_ptr<LongOperation>& op);

  TCoreDialogs& Dialogs() { return dialogs ? *dialogs : headlessDialogs; }
  int32_t CurrentMode() const { return settings.opMode; }
  bool CalibrationOn() const { return settings.calibration.enabled != 0; }

  // Every listener in notification order: the views that take a time stamp, the data
  // logger, the measurement windows, the delay finder, the other windows, automation,
  // the frame. A copy, so that a listener may detach while being told.
  std::vector<TAnalyzerObserver*> Listeners() const;
  template <typename Call>
  void Notify(Call&& call) {
    for (TAnalyzerObserver* listener : Listeners()) call(*listener);
  }
  void NotifyTransientTitle(const std::string& title);

  // Builds the engine objects from the settings (the document's format first, when one is
  // open outside Real-Time mode) and applies the calibration.
  bool Rebuild();
  void ApplyFullScale();
  // Copies the document's format into the processing settings, with the channel-mode rules
  // of opening a file.
  void TakeDocumentFormat();
  // The sound ports are made when first needed: opening a device list starts the audio
  // system, which a file analysis never needs.
  void CreatePorts();
  void EnsurePorts();
  bool portsCreated = false;
  std::string Folder(FolderKind kind) const;
  // The folder, created (owner-only) when it does not exist yet.
  std::string EnsuredFolder(FolderKind kind) const;

  // ---- TRunLoopHost ----
  int32_t Mode() const override { return settings.opMode; }
  TEngineObjects& Engine() override { return engine; }
  bool RebuildEngine() override { return Rebuild(); }
  const TTriggerSettings& Trigger() const override { return settings.trigger; }
  const TFileIoSettings& FileIo() const override { return settings.fileIo; }
  std::string WaveFolder() const override { return EnsuredFolder(kFolderWave); }
  std::string TempFolder() const override { return EnsuredFolder(kFolderTemp); }
  const TCalibration* ActiveCalibration() const override {
    return settings.calibration.enabled ? &settings.calibration : nullptr;
  }
  std::unique_ptr<TWaveFile>& DocumentSlot() override { return document; }
  TSoundInput* Input() override { return input.get(); }
  TSoundOutput* Output() override { return output.get(); }
  bool HasSpectrumConsumers() const override;
  void BlockProcessed(double analysisTimeSecs) override;
  void SeriesRefreshed() override;
  void RunStateChanged() override;
  void StatusChanged() override;
  void PositionChanged(double positionSecs) override;
  void DocumentChanged() override;
  void SpectraReset() override;
  void TimeAxisShifted(double shiftSecs) override;
  void RecordingSaved(const std::string& path) override;
  // The run loop's moments for output that plays alongside the input: the modules are told.
  void StartGeneratorOutput() override;
  void StopGeneratorOutput() override;
};

// Folder part of a path ("." when it has none).
std::string FolderOf(const std::string& path);

}  // namespace orvanix
