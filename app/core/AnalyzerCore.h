// The analyzer core: the one object that owns the whole analyzer state (mode, run state,
// every setting, the calibration record, the engine objects, the sound ports, the run
// loop, the open wave document, the file history and the window slots) and implements
// every command. The GUI main window, the automation server, the macro processor, the
// command line and the tests all drive this object; it has no widgets.
//
// Windows are observers: they attach to a slot, are told when something changed, and
// then read what they need from the core (its spectra through Engine(), the document,
// the status). They keep no copies of spectra.
//
// Threading: everything here runs on the one main thread (the thread of the
// QCoreApplication). The audio callback threads never call the core.
//
// Dialogs belong to the GUI: every operation that needs a file name takes it as a
// parameter. Questions (save prompts, mode-change questions) go through Messages().Ask,
// which the GUI answers with message boxes and headless runs with the default answer.
// The few choices that need more than a message box go through TCoreDialogs.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "acquisition/RunLoopTypes.h"
#include "app/core/Commands.h"
#include "app/core/ComputedSeries.h"

namespace orvanix {

struct TAnalyzerSettings;  // files/Configuration.h: every setting of the program
struct TEngineObjects;     // engine/ProcessingStep.h: window, block buffers, spectra
struct TCalibration;       // engine/Calibration.h
class TWaveFile;           // files/WaveFile.h
class TSoundInput;         // acquisition/SoundInput.h
class TSoundOutput;        // acquisition/SoundOutput.h
class TRunLoop;            // acquisition/RunLoop.h
class TProfile;            // files/Profile.h
class TCoreModule;         // app/core/CoreModule.h

// Window slots, in the order of the `ViewStatus` flags (and of reopening at start-up).
enum WindowKind : int32_t {
  kWindowTimeSeries = 0,
  kWindowSpectrum,
  kWindowPhase,
  kWindowSpectrogram,
  kWindowSurface,
  kWindowSignalGenerator,
  kWindowThd,
  kWindowThdN,
  kWindowImd,
  kWindowSnr,
  kWindowSinad,
  kWindowSfdr,
  kWindowNoiseFigure,
  kWindowPeakFrequency,
  kWindowPeakAmplitude,
  kWindowTotalPower,
  kWindowDelayFinder,
  kWindowReverb,
  kWindowMacro,
  kWindowKindCount
};
inline bool IsView(WindowKind kind) {
  return kind <= kWindowSurface;
}

// Listeners that are not windows, notified after the windows in this order.
enum ObserverRole : int32_t {
  kRoleDataLogger = 0,  // after the views, before the measurement windows
  kRoleAutomation,      // advise links: after every window and utility
  kRoleFrame,           // the main window's status bar, toolbar and title: last
  kRoleUtility,         // subsystems without a window slot: after the windows, before automation
};

// Everything a window or listener may be told. All default to doing nothing; every call
// comes on the main thread, after the core's state is consistent, and the observer reads
// what it needs from the core (never keeps a copy of a spectrum).
class TAnalyzerObserver {
 public:
  virtual ~TAnalyzerObserver() = default;
  // A block went through the processing step; the spectra hold the new average.
  // `analysisTimeSecs` is the time stamp of the block (views plot against it).
  virtual void BlockProcessed(double analysisTimeSecs) { (void)analysisTimeSecs; }
  // New samples are in the block buffers but the spectra did not change (an excluded
  // overloaded block, a block without a trigger, a playback buffer not played).
  virtual void SeriesRefreshed() {}
  // The engine objects were rebuilt from new settings (sizes, scales may differ).
  virtual void EngineRebuilt() {}
  // The averages were cleared (start, rewind, go-to, "Clear All Views").
  virtual void SpectraReset() {}
  // Run state or mode changed.
  virtual void StateChanged() {}
  // A status-bar field changed (overload, peak levels, counters, texts).
  virtual void StatusChanged() {}
  // Any setting changed (also those that do not rebuild the engine).
  virtual void SettingsChanged() {}
  // The document was opened, created, closed, saved or renamed; the title may differ.
  virtual void DocumentChanged() {}
  // The position in the document (Post-Processing, Recorder), in seconds.
  virtual void PositionChanged(double positionSecs) { (void)positionSecs; }
  // The time selection changed (TAnalyzerCore::Selection).
  virtual void SelectionChanged() {}
  // The document's samples changed from `fromSecs` on (an edit, its undo): views showing
  // them redraw, a spectrogram recomputes from there. DocumentChanged() follows.
  virtual void DocumentEdited(double fromSecs) { (void)fromSecs; }
  // The Real-Time history was rebuilt in time order: time axes move by `shiftSecs`.
  virtual void TimeAxisShifted(double shiftSecs) { (void)shiftSecs; }
  // A configuration was loaded from `config`: the frame closes every view and utility,
  // reopens those whose `ViewStatus` flag is set at their placements from `config`, and
  // applies `Placement`/"Special".
  virtual void ConfigurationLoaded(const TProfile& config) { (void)config; }
  // A configuration is being saved into `config` (not yet written): windows add their
  // placements, the macro processor its options.
  virtual void SavingConfiguration(TProfile& config) { (void)config; }
  // A transient frame title ("Opening Wave file...", "Saving Wave file...") or, when empty,
  // the end of it: the title is FrameTitle() again.
  virtual void TransientTitle(const std::string& title) { (void)title; }

  // ---- results computed outside the run loop (app/core/ComputedSeries.h) ----
  // The computed time series was set or dropped (TAnalyzerCore::ComputedSeries).
  virtual void ComputedSeriesChanged() {}
  // The time series is asked to show startSecs ... stopSecs of the document.
  virtual void ShowTimeRange(double startSecs, double stopSecs) {
    (void)startSecs;
    (void)stopSecs;
  }
  // Slice views (spectrogram, 3-D surface): how many slices they hold (0: not a slice view).
  virtual int SliceCount() const { return 0; }
  // The time of every filled slice, from the earliest to the latest (none: false).
  virtual bool SliceTimes(double& firstSecs, double& lastSecs) const {
    (void)firstSecs;
    (void)lastSecs;
    return false;
  }
  // A rebuild begins: every slice is emptied.
  virtual void ClearSlices() {}
  // Slice n (0 the latest ... SliceCount() - 1 the earliest) takes the spectra as they
  // display now, stamped `timeSecs`; `secondary` is nullptr when the mode shows one result.
  virtual void TakeSlice(int n, double timeSecs, const TSpectralData* primary,
                         const TSpectralData* secondary) {
    (void)n;
    (void)timeSecs;
    (void)primary;
    (void)secondary;
  }
  // The rebuild ended (complete or cancelled): repaint.
  virtual void SlicesDone() {}
};

// The status bar's content, as data. The GUI draws it; headless prints parts of it.
struct TStatusInfo {
  // RunState: running without overload detection, so without a level to show: the run
  // state's text.
  enum class StateField { Overload, Stopped, WaitingForTrigger, Acquiring, LevelMeter, RunState };
  StateField field = StateField::Stopped;
  std::string stateText;       // "OVERLOAD!", "Stopped", "Waiting for Trigger...",
                               // "Acquiring Data...", the run state's text, or empty for the
                               // level meter
  bool stateRed = false;       // overload (white on red) and waiting (red text)
  int32_t peakLevelLeft = 0;   // 0 ... 10; meter segments 2 up to this
  int32_t peakLevelRight = 0;  // stereo only
  uint16_t channels = 1;
  std::string runStateText;  // "Running...", "Recording...", "Playing...", "Stopped"
  std::string modeText;      // "Real Time", "Post Process", "Recorder"
  std::string rateText;      // "%d Hz"
  std::string bitsText;      // "%d Bit"
  std::string channelsText;  // "Mono" or "Stereo"
  std::string fftText;       // "FFT %ld pts"
  std::string windowText;    // the smoothing window's display text
  uint32_t overloadCount = 0;
  uint64_t blockCount = 0;     // blocks processed since the last start
  uint64_t overrunCount = 0;   // times the sound device lost input since the start
  uint64_t underrunCount = 0;  // times playback ran dry since the start
  // The last file a disk recording was saved in when it reached its size limit (recording
  // went on in a new one) during the current or last run; empty when none.
  std::string savedRecording;
  double analysisTimeSecs = 0;  // current analysis time
  int progressPercent = -1;     // a long operation's progress, 0 ... 100; -1 none
};

// A stretch of the document, in seconds from its start: what the edit operations, the
// segment analyses and selection playback act on. Equal ends: nothing is selected.
struct TTimeSelection {
  double startSecs = 0;
  double endSecs = 0;
  bool Empty() const { return !(endSecs > startSecs); }
  bool operator==(const TTimeSelection&) const = default;
};

// What only the GUI knows, used by IsEnabled.
struct TUiContext {
  bool clipboardHasWave = false;        // "audio/wav" on the clipboard
  bool clipboardHasLink = false;        // a format named "Link" on the clipboard
  int32_t activeWindow = -1;            // WindowKind of the active MDI child, or -1
  bool activeViewHasSelection = false;  // the active view has a time or frequency selection
  bool activeViewAcceptsPaste = false;
};

// Choices that need a dialog. The GUI installs an implementation; without one (headless,
// tests) each answers its default, which never destroys data.
class TCoreDialogs {
 public:
  virtual ~TCoreDialogs() = default;
  // "Save Wave File" for an untitled document; empty = cancelled.
  virtual std::string SaveWaveFileName(const std::string& folder) {
    (void)folder;
    return {};
  }
  // `DIALOG_QUERY_CALIBRATION` after opening a file without calibration while calibration
  // is on.
  enum class CalibrationChoice { KeepCurrent, SelectOther, Disable };
  virtual CalibrationChoice QueryCalibration(const std::string& calibrationFile) {
    (void)calibrationFile;
    return CalibrationChoice::KeepCurrent;
  }
  // "Open Calibration File"; empty = cancelled.
  virtual std::string OpenCalibrationFileName(const std::string& folder) {
    (void)folder;
    return {};
  }
};

// The macro processor, when one exists: the core calls Step() once per idle pass before
// the run loop's step, and Load/Run for a .mac on the command line.
class TMacroHost {
 public:
  virtual ~TMacroHost() = default;
  virtual bool LoadAndRun(const std::string& path) = 0;
  virtual bool Active() const = 0;
  // One macro step; returns whether more steps are wanted.
  virtual bool Step() = 0;
};

// The nine folders of `Paths`, in their order.
enum FolderKind : int32_t {
  kFolderWave = 0,
  kFolderTemp,
  kFolderConfig,
  kFolderCalibration,
  kFolderMicrophone,
  kFolderOverlay,
  kFolderLog,
  kFolderReverb,
  kFolderMacro,
  kFolderKindCount
};

struct TCoreOptions {
  // The program settings file; empty = the per-user default
  // ($XDG_CONFIG_HOME/orvanix/tessiva.ini).
  std::string programSettingsPath;
  // Headless runs (and tests): no windows; questions get default answers through the
  // installed message sink; the run loop counts the program itself as a consumer of
  // spectra.
  bool headless = false;
  // Whether to read the program settings file at construction (tests may start from the
  // defaults and keep the user's file untouched).
  bool loadProgramSettings = true;
  // Whether Shutdown() writes the program settings file.
  bool saveProgramSettings = true;
};

// How a settings change reaches the core.
enum class SettingsOrigin {
  Dialog,   // a settings dialog: the caller stopped the analyzer before showing it
  Outside,  // automation, macro, utility buttons: stop, apply, restart if it was running
};

class TAnalyzerCore {
 public:
  explicit TAnalyzerCore(const TCoreOptions& options = {});
  ~TAnalyzerCore();
  TAnalyzerCore(const TAnalyzerCore&) = delete;
  TAnalyzerCore& operator=(const TAnalyzerCore&) = delete;

  // ---- start-up and exit ----
  // After the windows exist: reopen nothing itself (the GUI reopens windows from
  // ViewStatusFlags()), then handle the command-line argument (.mac runs the macro, .wav
  // opens it, .cfg loads it; without an argument the file of `OpenFileName` opens), then
  // `RunOnLaunch` starts Real-Time analysis.
  void StartUp(const std::string& commandLineArgument);
  // The frame is asked to close: stop, write `OpenFileName`, close the document with the
  // save prompt. False when the user cancelled (the program keeps running).
  bool RequestExit();
  // Destruction of the frame: stop and save every setting to the program settings file.
  void Shutdown();
  const std::string& ProgramSettingsPath() const;
  // The program settings file's contents, written at Shutdown. The GUI writes window
  // placements into it before that.
  TProfile& ProgramProfile();

  // ---- mode and run state ----
  int32_t Mode() const;
  // The mode-change commands 121-123 with their prompts; false when cancelled.
  bool SetMode(int32_t mode);
  RunState State() const;
  bool IsRunning() const { return State() != kStateStopped; }
  // 901: run (Real-Time, Post-Processing) or record (Recorder). False when it did not start
  // (the reason was reported).
  bool Start();
  // 902.
  void Stop();
  // 903: play the document (Recorder mode).
  bool Play();
  // 904: Recorder, or Post-Processing with a document: stop, seek to 0, reset spectra.
  bool Rewind();
  // 906: process exactly one block (Post-Processing, or Real-Time while stopped).
  bool SingleStep();
  // Moves the document position (Post-Processing and Recorder) and resets the spectra.
  bool SeekTo(double seconds);
  // Automation: stop after `blocks` processed blocks (disabled: no limit).
  void SetBlockLimit(bool enabled, uint64_t blocks);
  // Timed runs: Real-Time analysis and recording stop once the sound input has delivered
  // `frames` frames (0: no limit), and a recording then holds exactly that many.
  void SetInputFrameLimit(uint64_t frames);
  // Automation: the next trigger search succeeds at once.
  void ForceTrigger();
  // Automation's poke: `samples` (raw integer values of the format) fill the left block
  // from its start (the rest is silence), the averages are reset and the block is processed
  // and announced as an acquired one. Only while stopped in Real-Time mode: false (busy)
  // otherwise, and nothing changes.
  bool ProcessSamples(const std::vector<int32_t>& samples);
  // Whether the core runs without windows (`tessiva --headless`, tests).
  bool Headless() const;
  uint64_t BlockCount() const;
  double AnalysisTime() const;
  // Lets events be processed until the run stops or `timeoutMsec` passes (headless runs,
  // tests, automation "wait"). Returns whether the run stopped.
  bool WaitUntilStopped(int timeoutMsec);

  // ---- commands ----
  // Runs a command that needs no parameter. Returns false when the command is not the
  // core's to run (it needs a dialog or a window) or was refused or cancelled.
  bool Execute(int32_t command);
  bool IsEnabled(int32_t command) const;
  bool IsChecked(int32_t command) const;
  void SetUiContext(const TUiContext& context);

  // ---- the document ----
  // The Open command with its chosen file: refused in Real-Time mode, else opens by path,
  // enters the history and asks about calibration.
  bool OpenWaveCommand(const std::string& path);
  // Opening by path (history, configuration, automation, command line): Real-Time
  // changes to Post-Processing.
  bool OpenWave(const std::string& path);
  bool NewDocument();
  // With the save prompt; false when cancelled (the document stays open).
  bool CloseDocument();
  bool SaveDocument();
  bool SaveDocumentAs(const std::string& path);
  // Asks "Are you sure you want to delete: %s"; refused while a document is open.
  bool DeleteWave(const std::string& path);
  // A file dropped on the frame (only the first of several counts).
  bool OpenDroppedFile(const std::string& path);
  // Commands 171-174 (index 0 ... 3).
  bool OpenHistoryItem(int index);
  bool HasDocument() const;
  TWaveFile* Document();
  const TWaveFile* Document() const;
  // For subsystems that make documents (import, merge, a paste with nothing open): makes
  // `wave` the open document as it is (untitled and modified when new), takes its format
  // into the processing settings with the channel rules of opening a file, sets its full
  // scale from the calibration and rewinds it. Real-Time mode changes to Post-Processing.
  // False (and `wave` dropped) when a document is still open.
  bool AdoptDocument(std::unique_ptr<TWaveFile> wave);
  // For subsystems that edit the document: tells every listener (DocumentEdited, then
  // DocumentChanged and the position) and keeps the selection inside the document.
  void DocumentEdited(double fromSecs);
  // Playback without the analyzer (the selection, app/edit): the document's position moves
  // to what is being heard, so the position readouts and the time-series cursor follow it
  // (the spectra stay); PlaybackStateChanged when it starts or ends (Stop's enabling).
  void FollowPlayback(double seconds);
  void PlaybackStateChanged();
  // A transient frame title ("Adjusting Signal Gain..."), or the normal one when empty.
  void ShowTransientTitle(const std::string& title);
  // What the GUI last said about the clipboard and the active window.
  const TUiContext& UiContext() const;
  // The document's path, "Untitled" for an untitled one, empty without a document.
  std::string DocumentName() const;
  std::string FrameTitle() const;
  // The file-history paths, newest first (up to four).
  std::vector<std::string> FileHistory() const;

  // ---- the time selection ----
  // Set by the time-series, spectrogram and 3-D surface views from the mouse, and by
  // automation, macros and headless runs. Negative times count as 0, the ends are put in
  // order and, with a document open, kept inside it. A new or closed document clears it.
  TTimeSelection Selection() const;
  void SetSelection(double startSecs, double endSecs);
  void ClearSelection() { SetSelection(0, 0); }

  // ---- configuration ----
  bool LoadConfiguration(const std::string& path);
  bool SaveConfiguration(const std::string& path);
  std::vector<std::string> ConfigurationReport() const;

  // ---- settings ----
  const TAnalyzerSettings& Settings() const;
  // Replaces every setting and applies it: engine objects rebuilt, calibration applied.
  // From outside a dialog a running analysis is stopped and restarted.
  bool ApplySettings(const TAnalyzerSettings& settings, SettingsOrigin origin);
  // Edits the current settings in place and applies them (automation, macros).
  bool ChangeSettings(const std::function<void(TAnalyzerSettings&)>& edit, SettingsOrigin origin);
  // The File I/O Options dialog may open: refused with the message while a document is
  // open outside Real-Time mode; in Real-Time mode the history is dropped.
  bool PrepareFileIoOptions();
  const TCalibration& Calibration() const;
  // Replaces the calibration record (dialog OK, automation) and applies it everywhere.
  void SetCalibration(const TCalibration& record);
  // Records the reference signal through a temporary input port and sets the measured
  // fractions and ratios of `record` (which the calibration dialog edits). False when the
  // measurement failed (the message was shown; the fractions are unchanged).
  bool MeasureReference(TCalibration& record);

  // ---- engine objects (read by the views) ----
  const TEngineObjects& Engine() const;
  // For an analysis that computes the spectra itself (a segment average, with the analyzer
  // stopped): the engine objects to work on, and then the notice every listener gets after
  // a processed block, stamped `analysisTimeSecs`.
  TEngineObjects& EngineForAnalysis();
  void SpectraComputed(double analysisTimeSecs);

  // ---- results computed outside the run loop ----
  // The time series shows `series` instead of the document or the current block until the
  // run loop processes or refreshes a block, resets the spectra (start, rewind, go-to) or
  // another document opens.
  void ShowComputedSeries(TComputedSeries series);
  const TComputedSeries* ComputedSeries() const;
  void ClearComputedSeries();
  // Opens a window if needed and makes it the active one, as the GUI installs it; false
  // (nothing opens) without one (headless, tests).
  bool ShowWindow(WindowKind kind);
  void SetWindowShower(std::function<bool(WindowKind)> show);
  // The listener in a window slot, nullptr while the window is closed.
  TAnalyzerObserver* Window(WindowKind kind) const;
  // The slice views' data. While an external program's data link drives the views it sets
  // itself here (nullptr when it ends) and takes precedence; otherwise the recording's source
  // (the segment analyses install it) answers.
  void SetLinkedData(TSliceSource* link);
  TSliceSource* LinkedData() const;
  void SetRecordingSlices(TSliceSource* source);
  // A slice view's time range, frequency span or scaling changed (or automation asked for it):
  // its slices are computed again by the link or from the recording.
  void RedisplaySlices(WindowKind kind);
  // A left click at `timeSecs` inside a slice view's plot area: the spectrum and the time
  // series at that time.
  void ShowAtTime(WindowKind kind, double timeSecs);
  // A plain left click at `frequencyHz` in the spectrum view's plot: a data link that keeps
  // RPM traces draws their track at that frequency; otherwise nothing happens.
  void ShowAtFrequency(double frequencyHz);

  // ---- long operations (segment rebuilds) ----
  // Runs `step` until it returns false or a cancel is requested, then `done(cancelled)`.
  // With windows the steps run from the event loop (a few milliseconds at a time), so Esc
  // and clicks reach the frame, which calls RequestCancel; headless they run at once.
  // Returns false when another operation is running (nothing starts).
  bool RunLongOperation(std::function<bool()> step, std::function<void(bool cancelled)> done);
  bool LongOperationRunning() const;
  void RequestCancel();
  // Progress in the status bar (0 ... 100; -1 clears it).
  void SetProgress(int percent);

  // ---- windows and listeners ----
  // Puts an observer into a window slot (the GUI opened the window) or clears it
  // (nullptr: closed). The `ViewStatus` flag follows.
  void AttachWindow(WindowKind kind, TAnalyzerObserver* observer);
  bool IsWindowOpen(WindowKind kind) const;
  // The `ViewStatus` flags as loaded (the GUI reopens these windows at start-up).
  std::array<bool, kWindowKindCount> ViewStatusFlags() const;
  void AddObserver(TAnalyzerObserver* observer, ObserverRole role);
  void RemoveObserver(TAnalyzerObserver* observer);
  // Headless runs count as a consumer of spectra (the processing step is skipped while
  // no window, logger or automation link consumes them).
  void SetHeadlessConsumer(bool consumer);
  void SetDialogs(TCoreDialogs* dialogs);
  void SetMacroHost(TMacroHost* host);

  // ---- status ----
  TStatusInfo Status() const;

  // ---- folders ----
  // The last-used folder of a kind (starts as the configured folder).
  std::string LastFolder(FolderKind kind) const;
  void SetLastFolder(FolderKind kind, const std::string& folder);
  // The macro file the macro window opened or saved as last (`MacroFilename`): remembered for
  // the configuration and the window's next start, nothing else changes.
  void SetMacroFilename(const std::string& path);

  // ---- sound ports ----
  TSoundInput* Input();
  TSoundOutput* Output();
  // Recreates the ports for `InputDeviceID` / `OutputDeviceID` (after the device dialog).
  void RecreatePorts();
  // Looks again for sound devices (plugged in or removed since start-up). Refused (false)
  // while the analysis runs or any device is open. The configured devices keep their names
  // where they are still there, though their numbers may move; the ports are made anew.
  bool RescanDevices();

  // Data logging on or off (commands 159 and 160; Recorder mode switches it off).
  bool DataLogging() const;
  void SetDataLogging(bool on);
  // The noise figure's polarity, `NoiseFigurePolarity`: 6 Left vs Right, 7 Right vs Left
  // (other values are ignored). Only the readout changes: the analyzer is not stopped.
  void SetNoiseFigurePolarity(int32_t polarity);

  // The run loop itself (tests and automation inspect it).
  TRunLoop& RunLoop();

  // ---- modules (app/core/CoreModule.h) ----
  // Takes a subsystem: it joins the listeners at its role, reads its sections of the program
  // settings file, and is asked first about the commands it owns. Modules live as long as
  // the core.
  void AddModule(std::unique_ptr<TCoreModule> module);
  // The module registered under `name`, or nullptr.
  TCoreModule* FindModule(std::string_view name) const;
  template <class T>
  T* FindModule(std::string_view name) const {
    return dynamic_cast<T*>(FindModule(name));
  }
  std::vector<TCoreModule*> Modules() const;
  // The module that runs `command`, or nullptr (the core's own or the GUI's).
  TCoreModule* CommandOwner(int32_t command) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace orvanix
