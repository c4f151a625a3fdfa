// The core's construction, its listeners, the engine objects and the status.
#include "app/core/AnalyzerCore.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <ctime>

#include "app/core/CoreState.h"
#include "app/core/CoreTexts.h"
#include "engine/Messages.h"

namespace orvanix {

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string THeadlessDialogs::SaveWaveFileName(const std::string& folder) {
  const std::string target = waveFolder_ ? waveFolder_() : folder;
  EnsureFolder(target, false);
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return RecordingFileName(target, local);
}

// ---------------------------------------------------------------------------- Impl

TAnalyzerCore::Impl::Impl(TAnalyzerCore& core, const TCoreOptions& coreOptions)
    : owner(core), options(coreOptions), headlessDialogs([this] { return Folder(kFolderWave); }) {
  programPath = options.programSettingsPath.empty() ? ::orvanix::ProgramSettingsPath()
                                                    : options.programSettingsPath;
  if (options.loadProgramSettings) {
    programRefused =
        LoadProgramSettingsFile(program, settings, programPath) == ProfileLoad::kRefused;
  }
  if (!IsValidMode(settings.opMode)) settings.opMode = kModeRealTime;
  for (int i = 0; i < kFolderKindCount; ++i) lastFolders[i] = settings.paths.folders[i];
  headlessConsumer = options.headless;
  Rebuild();
  runLoop = std::make_unique<TRunLoop>(*this);
}

TAnalyzerCore::Impl::~Impl() {
  runLoop.reset();  // closes the devices if a run was still going
}

std::string TAnalyzerCore::Impl::Folder(FolderKind kind) const {
  const std::string& folder = settings.paths.folders[kind];
  return folder.empty() ? std::string(".") : folder;
}

std::string TAnalyzerCore::Impl::EnsuredFolder(FolderKind kind) const {
  const std::string folder = Folder(kind);
  EnsureFolder(folder, true);
  return folder;
}

void TAnalyzerCore::Impl::EnsurePorts() {
  if (!portsCreated) CreatePorts();
}

void TAnalyzerCore::Impl::CreatePorts() {
  portsCreated = true;
  input.reset();
  output.reset();
  ClampDeviceIds(settings.devices, TSoundPort::DeviceCount(TSoundDirection::Input),
                 TSoundPort::DeviceCount(TSoundDirection::Output));
  input = std::make_unique<TSoundInput>(
      TSoundPort::ClampDeviceId(TSoundDirection::Input, settings.devices.inputDeviceId));
  output = std::make_unique<TSoundOutput>(
      TSoundPort::ClampDeviceId(TSoundDirection::Output, settings.devices.outputDeviceId));
}

void TAnalyzerCore::Impl::TakeDocumentFormat() {
  if (!document) return;
  ProcessingSettings& p = settings.processing;
  p.format = document->Format();
  if (p.format.channels == 1) {
    p.channelProcessing = kLeftOnly;
  } else if (p.channelProcessing == kLeftOnly) {
    p.channelProcessing = kBothChannels;
  }
}

bool TAnalyzerCore::Impl::Rebuild() {
  // A document outside Real-Time mode is read in its own format whatever the settings
  // say: reading it in another would misread every sample.
  if (document && settings.opMode != kModeRealTime &&
      !(document->Format() == settings.processing.format)) {
    settings.processing.format = document->Format();
  }
  settings.processing.UpdateDerived();
  const bool built = BuildEngineObjects(settings.processing, settings.scaling, engine);
  ApplyCalibration(CalibrationOn() ? &settings.calibration : nullptr, engine);
  Notify([](TAnalyzerObserver& o) { o.EngineRebuilt(); });
  return built;
}

void TAnalyzerCore::Impl::ApplyFullScale() {
  if (!document) return;
  if (CalibrationOn()) {
    document->SetFullScale(settings.calibration.calRatioLeft, settings.calibration.calRatioRight);
  } else {
    document->SetFullScale(1.0f, 1.0f);
  }
}

void TAnalyzerCore::Impl::NotifyTransientTitle(const std::string& title) {
  Notify([&](TAnalyzerObserver& o) { o.TransientTitle(title); });
}

std::vector<TAnalyzerObserver*> TAnalyzerCore::Impl::Listeners() const {
  static constexpr WindowKind kViews[] = {kWindowSpectrogram, kWindowSurface, kWindowTimeSeries,
                                          kWindowSpectrum, kWindowPhase};
  static constexpr WindowKind kMeasurements[] = {
      kWindowThd,           kWindowThdN,       kWindowImd,         kWindowSnr,
      kWindowSinad,         kWindowSfdr,       kWindowNoiseFigure, kWindowPeakFrequency,
      kWindowPeakAmplitude, kWindowTotalPower, kWindowDelayFinder};
  static constexpr WindowKind kOthers[] = {kWindowSignalGenerator, kWindowReverb, kWindowMacro};
  std::vector<TAnalyzerObserver*> list;
  list.reserve(kWindowKindCount + observers.size());
  auto addRole = [&](ObserverRole role) {
    for (const auto& [observer, r] : observers) {
      if (r == role) list.push_back(observer);
    }
    for (const auto& module : modules) {
      if (module->Role() == role) list.push_back(module.get());
    }
  };
  for (WindowKind kind : kViews) {
    if (windows[kind]) list.push_back(windows[kind]);
  }
  addRole(kRoleDataLogger);
  for (WindowKind kind : kMeasurements) {
    if (windows[kind]) list.push_back(windows[kind]);
  }
  for (WindowKind kind : kOthers) {
    if (windows[kind]) list.push_back(windows[kind]);
  }
  addRole(kRoleUtility);
  addRole(kRoleAutomation);
  addRole(kRoleFrame);
  return list;
}

bool TAnalyzerCore::Impl::HasSpectrumConsumers() const {
  if (headlessConsumer) return true;
  for (int kind = 0; kind < kWindowKindCount; ++kind) {
    if (!windows[kind]) continue;
    // The time series shows samples, the generator, reverberation and macro windows read
    // no spectra.
    if (kind == kWindowTimeSeries || kind == kWindowSignalGenerator || kind == kWindowReverb ||
        kind == kWindowMacro) {
      continue;
    }
    return true;
  }
  for (const auto& [observer, role] : observers) {
    if (role == kRoleDataLogger || role == kRoleAutomation) return true;
  }
  for (const auto& module : modules) {
    if (module->ConsumesSpectra()) return true;
  }
  return false;
}

void TAnalyzerCore::Impl::BlockProcessed(double time) {
  DropComputedSeries();
  Notify([time](TAnalyzerObserver& o) { o.BlockProcessed(time); });
}
void TAnalyzerCore::Impl::SeriesRefreshed() {
  DropComputedSeries();
  Notify([](TAnalyzerObserver& o) { o.SeriesRefreshed(); });
}
void TAnalyzerCore::Impl::RunStateChanged() {
  Notify([](TAnalyzerObserver& o) { o.StateChanged(); });
  if (stopWaiter && runLoop && !runLoop->Running()) stopWaiter();
}
void TAnalyzerCore::Impl::StatusChanged() {
  Notify([](TAnalyzerObserver& o) { o.StatusChanged(); });
}
void TAnalyzerCore::Impl::PositionChanged(double position) {
  Notify([position](TAnalyzerObserver& o) { o.PositionChanged(position); });
}
void TAnalyzerCore::Impl::DocumentChanged() {
  if (document) pendingUntitled = false;
  if (computed && document.get() != computedDocument) DropComputedSeries();
  Notify([](TAnalyzerObserver& o) { o.DocumentChanged(); });
  if (document.get() != selectionDocument) {
    selectionDocument = document.get();
    if (!selection.Empty()) {
      selection = {};
      Notify([](TAnalyzerObserver& o) { o.SelectionChanged(); });
    }
  }
}
void TAnalyzerCore::Impl::SpectraReset() {
  DropComputedSeries();
  Notify([](TAnalyzerObserver& o) { o.SpectraReset(); });
}
void TAnalyzerCore::Impl::TimeAxisShifted(double shift) {
  Notify([shift](TAnalyzerObserver& o) { o.TimeAxisShifted(shift); });
}
void TAnalyzerCore::Impl::StartGeneratorOutput() {
  for (const auto& module : modules) module->AnalyzerInputStarted();
}

void TAnalyzerCore::Impl::StopGeneratorOutput() {
  for (const auto& module : modules) module->AnalyzerStopped();
}

void TAnalyzerCore::Impl::RecordingSaved(const std::string& path) {
  // The document slot holds the next file already (DocumentChanged told the windows). The
  // saved one is shown in the status bar; a headless run, which has none, says it.
  savedRecording = path;
  StatusChanged();
  if (options.headless) {
    ReportError(Format(kMsgRecordingContinues, path.c_str()), MessageIcon::Information);
  }
}

// ---------------------------------------------------------------------------- core

TAnalyzerCore::TAnalyzerCore(const TCoreOptions& options)
    : impl_(std::make_unique<Impl>(*this, options)) {}

TAnalyzerCore::~TAnalyzerCore() {
  // Modules go first, newest first, while the rest of the core is whole: they may still
  // stop what they run or detach.
  while (!impl_->modules.empty()) impl_->modules.pop_back();
}

const std::string& TAnalyzerCore::ProgramSettingsPath() const {
  return impl_->programPath;
}
TProfile& TAnalyzerCore::ProgramProfile() {
  return impl_->program;
}

int32_t TAnalyzerCore::Mode() const {
  return impl_->settings.opMode;
}
RunState TAnalyzerCore::State() const {
  return impl_->runLoop->State();
}
uint64_t TAnalyzerCore::BlockCount() const {
  return impl_->runLoop->BlockCount();
}
double TAnalyzerCore::AnalysisTime() const {
  return impl_->runLoop->AnalysisTime();
}
TRunLoop& TAnalyzerCore::RunLoop() {
  return *impl_->runLoop;
}

void TAnalyzerCore::SetBlockLimit(bool enabled, uint64_t blocks) {
  impl_->runLoop->SetBlockLimit(enabled, blocks);
}
void TAnalyzerCore::SetInputFrameLimit(uint64_t frames) {
  impl_->runLoop->SetInputFrameLimit(frames);
}
void TAnalyzerCore::ForceTrigger() {
  impl_->runLoop->ForceTrigger();
}

bool TAnalyzerCore::WaitUntilStopped(int timeoutMsec) {
  if (!IsRunning()) return true;
  if (!QCoreApplication::instance()) return false;
  QEventLoop loop;
  QTimer timeout;
  timeout.setSingleShot(true);
  QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
  timeout.start(std::max(0, timeoutMsec));
  impl_->stopWaiter = [&loop] { loop.quit(); };
  loop.exec();
  impl_->stopWaiter = nullptr;
  return !IsRunning();
}

const TAnalyzerSettings& TAnalyzerCore::Settings() const {
  return impl_->settings;
}
const TCalibration& TAnalyzerCore::Calibration() const {
  return impl_->settings.calibration;
}
const TEngineObjects& TAnalyzerCore::Engine() const {
  return impl_->engine;
}
TEngineObjects& TAnalyzerCore::EngineForAnalysis() {
  return impl_->engine;
}
void TAnalyzerCore::SpectraComputed(double analysisTimeSecs) {
  // Not the run loop's block: a computed time series stays.
  impl_->Notify([analysisTimeSecs](TAnalyzerObserver& o) { o.BlockProcessed(analysisTimeSecs); });
}

bool TAnalyzerCore::HasDocument() const {
  return impl_->document != nullptr;
}
TWaveFile* TAnalyzerCore::Document() {
  return impl_->document.get();
}
const TWaveFile* TAnalyzerCore::Document() const {
  return impl_->document.get();
}

void TAnalyzerCore::AttachWindow(WindowKind kind, TAnalyzerObserver* observer) {
  if (kind < 0 || kind >= kWindowKindCount) return;
  impl_->windows[kind] = observer;
  impl_->settings.viewStatus.open[kind] = observer ? 1 : 0;
}

bool TAnalyzerCore::IsWindowOpen(WindowKind kind) const {
  return kind >= 0 && kind < kWindowKindCount && impl_->windows[kind] != nullptr;
}

std::array<bool, kWindowKindCount> TAnalyzerCore::ViewStatusFlags() const {
  std::array<bool, kWindowKindCount> flags{};
  for (int i = 0; i < kWindowKindCount; ++i) flags[i] = impl_->settings.viewStatus.open[i] == 1;
  return flags;
}

void TAnalyzerCore::AddObserver(TAnalyzerObserver* observer, ObserverRole role) {
  if (!observer) return;
  RemoveObserver(observer);
  impl_->observers.emplace_back(observer, role);
}

void TAnalyzerCore::RemoveObserver(TAnalyzerObserver* observer) {
  auto& list = impl_->observers;
  list.erase(std::remove_if(list.begin(), list.end(),
                            [observer](const auto& entry) { return entry.first == observer; }),
             list.end());
  for (int kind = 0; kind < kWindowKindCount; ++kind) {
    if (impl_->windows[kind] == observer) AttachWindow(static_cast<WindowKind>(kind), nullptr);
  }
}

void TAnalyzerCore::SetHeadlessConsumer(bool consumer) {
  impl_->headlessConsumer = consumer;
}
void TAnalyzerCore::SetDialogs(TCoreDialogs* dialogs) {
  impl_->dialogs = dialogs;
}
void TAnalyzerCore::SetMacroHost(TMacroHost* host) {
  impl_->macro = host;
}
void TAnalyzerCore::SetUiContext(const TUiContext& context) {
  impl_->ui = context;
}

bool TAnalyzerCore::DataLogging() const {
  return impl_->dataLogging;
}
void TAnalyzerCore::SetDataLogging(bool on) {
  if (impl_->dataLogging == on) return;
  impl_->dataLogging = on;
  impl_->StatusChanged();
}

void TAnalyzerCore::SetNoiseFigurePolarity(int32_t polarity) {
  if (polarity != 6 && polarity != 7) return;
  if (impl_->settings.viewStatus.noiseFigurePolarity == polarity) return;
  impl_->settings.viewStatus.noiseFigurePolarity = polarity;
  impl_->Notify([](TAnalyzerObserver& o) { o.SettingsChanged(); });
}

std::string TAnalyzerCore::LastFolder(FolderKind kind) const {
  if (kind < 0 || kind >= kFolderKindCount) return ".";
  return impl_->lastFolders[kind].empty() ? impl_->Folder(kind) : impl_->lastFolders[kind];
}

void TAnalyzerCore::SetLastFolder(FolderKind kind, const std::string& folder) {
  if (kind < 0 || kind >= kFolderKindCount) return;
  impl_->lastFolders[kind] = folder;
}

void TAnalyzerCore::SetMacroFilename(const std::string& path) {
  impl_->settings.macro.macroFilename = path;
}

TSoundInput* TAnalyzerCore::Input() {
  impl_->EnsurePorts();
  return impl_->input.get();
}
TSoundOutput* TAnalyzerCore::Output() {
  impl_->EnsurePorts();
  return impl_->output.get();
}

void TAnalyzerCore::RecreatePorts() {
  Stop();
  impl_->CreatePorts();
  impl_->StatusChanged();
}

TStatusInfo TAnalyzerCore::Status() const {
  const Impl& d = *impl_;
  const TRunLoop& loop = *d.runLoop;
  const ProcessingSettings& p = d.engine.settings;
  TStatusInfo s;
  s.progressPercent = d.progressPercent;
  s.channels = p.format.channels;
  s.peakLevelLeft = loop.PeakLevelLeft();
  s.peakLevelRight = loop.PeakLevelRight();
  if (loop.Overloaded()) {
    s.field = TStatusInfo::StateField::Overload;
    s.stateText = kTextOverload;
    s.stateRed = true;
  } else if (!loop.Running()) {
    s.field = TStatusInfo::StateField::Stopped;
    s.stateText = kTextStopped;
  } else if (d.settings.trigger.enable && loop.TriggerArmed()) {
    s.field = TStatusInfo::StateField::WaitingForTrigger;
    s.stateText = kTextWaitingForTrigger;
    s.stateRed = true;
  } else if (d.settings.opMode == kModeRealTime && loop.AwaitingFirstBlock()) {
    s.field = TStatusInfo::StateField::Acquiring;
    s.stateText = kTextAcquiring;
  } else if (p.overloadDetection) {
    s.field = TStatusInfo::StateField::LevelMeter;
  } else {
    s.field = TStatusInfo::StateField::RunState;
  }
  switch (loop.State()) {
    case kStateRunning:
      s.runStateText = kTextRunning;
      break;
    case kStateRecording:
      s.runStateText = kTextRecording;
      break;
    case kStatePlaying:
      s.runStateText = kTextPlaying;
      break;
    default:
      // Playback of the selection runs without the analyzer.
      s.runStateText = std::any_of(d.modules.begin(), d.modules.end(),
                                   [](const auto& m) { return m->PlaysWithoutAnalyzer(); })
                           ? kTextPlaying
                           : kTextStopped;
      break;
  }
  // Without overload detection no level is measured: the field says what is going on.
  if (s.field == TStatusInfo::StateField::RunState) s.stateText = s.runStateText;
  switch (d.settings.opMode) {
    case kModeRealTime:
      s.modeText = kTextModeRealTime;
      break;
    case kModePostProcessing:
      s.modeText = kTextModePostProcess;
      break;
    default:
      s.modeText = kTextModeRecorder;
      break;
  }
  s.rateText = Format(kStatusRate, static_cast<int>(p.format.sampleRate));
  s.bitsText = Format(kStatusBits, static_cast<int>(p.format.bitsPerSample));
  s.channelsText = p.format.channels == 2 ? kStatusStereo : kStatusMono;
  s.fftText = Format(kStatusFft, static_cast<long>(p.fftSize));
  s.windowText = TSmoothing::TypeName(p.smoothingWindow);
  s.overloadCount = loop.OverloadCount();
  s.blockCount = loop.BlockCount();
  s.overrunCount = loop.OverrunCount();
  s.underrunCount = loop.UnderrunCount();
  s.savedRecording = d.savedRecording;
  s.analysisTimeSecs = loop.AnalysisTime();
  return s;
}

}  // namespace orvanix
