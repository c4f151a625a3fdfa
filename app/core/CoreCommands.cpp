// Commands without parameters, and the enabling and check rules of the menus.
#include <algorithm>

#include "app/core/AnalyzerCore.h"
#include "app/core/CoreState.h"

namespace orvanix {

int32_t WindowForCommand(int32_t command) {
  switch (command) {
    case kCmdViewTimeSeries:
      return kWindowTimeSeries;
    case kCmdViewSpectrum:
      return kWindowSpectrum;
    case kCmdViewPhase:
      return kWindowPhase;
    case kCmdViewSpectrogram:
      return kWindowSpectrogram;
    case kCmdViewSurface:
      return kWindowSurface;
    case kCmdSignalGenerator:
      return kWindowSignalGenerator;
    case kCmdThd:
      return kWindowThd;
    case kCmdThdN:
      return kWindowThdN;
    case kCmdImd:
      return kWindowImd;
    case kCmdSnr:
      return kWindowSnr;
    case kCmdSinad:
      return kWindowSinad;
    case kCmdSfdr:
      return kWindowSfdr;
    case kCmdNoiseFigureLR:
    case kCmdNoiseFigureRL:
      return kWindowNoiseFigure;
    case kCmdPeakFrequency:
      return kWindowPeakFrequency;
    case kCmdPeakAmplitude:
      return kWindowPeakAmplitude;
    case kCmdTotalPower:
      return kWindowTotalPower;
    case kCmdDelayFinder:
      return kWindowDelayFinder;
    case kCmdReverberation:
      return kWindowReverb;
    case kCmdMacroWindow:
      return kWindowMacro;
    default:
      return -1;
  }
}

bool TAnalyzerCore::Execute(int32_t command) {
  Impl& d = *impl_;
  if (!IsEnabled(command)) return false;
  if (TCoreModule* owner = CommandOwner(command)) return owner->Execute(command);
  switch (command) {
    case kCmdNew:
      return NewDocument();
    case kCmdClose:
      return CloseDocument();
    case kCmdSave:
      return SaveDocument();
    case kCmdModeRealTime:
    case kCmdModePostProcess:
    case kCmdModeRecorder:
      return SetMode(command == kCmdModeRealTime      ? kModeRealTime
                     : command == kCmdModePostProcess ? kModePostProcessing
                                                      : kModeRecorder);
    case kCmdRun:
      return Start();
    case kCmdStop:
      Stop();
      return true;
    case kCmdPlayDocument:
      return Play();
    case kCmdRewind:
      return Rewind();
    case kCmdSingleStep:
      return SingleStep();
    case kCmdHistory1:
    case kCmdHistory2:
    case kCmdHistory3:
    case kCmdHistory4:
      return OpenHistoryItem(command - kCmdHistory1);
    case kCmdClearAllViews:
      ResetSpectra(d.engine);
      d.SpectraReset();
      return true;
    case kCmdLoggingOn:
      SetDataLogging(true);
      return true;
    case kCmdLoggingOff:
      SetDataLogging(false);
      return true;
    default:
      return false;  // needs a dialog or a window: the GUI's to run
  }
}

bool TAnalyzerCore::IsEnabled(int32_t command) const {
  const Impl& d = *impl_;
  if (const TCoreModule* owner = CommandOwner(command)) return owner->IsEnabled(command);
  const int32_t mode = d.settings.opMode;
  const bool realTime = mode == kModeRealTime;
  const bool document = d.document != nullptr;
  const bool running = IsRunning();
  const TUiContext& ui = d.ui;
  const bool activeIsView = ui.activeWindow >= 0 && ui.activeWindow <= kWindowSurface;
  const bool activeNeedsDocument = ui.activeWindow == kWindowTimeSeries ||
                                   ui.activeWindow == kWindowSpectrogram ||
                                   ui.activeWindow == kWindowSurface;
  switch (command) {
    case kCmdNew:
      return !realTime;
    case kCmdOpen:
    case kCmdFileIoOptions:
      return true;
    case kCmdClose:
    case kCmdSave:
    case kCmdSaveAs:
    case kCmdExport:
    case kCmdDecimate:
      return !realTime && document;
    case kCmdDelete:
      return !document;
    case kCmdImport:
    case kCmdMerge:
      return !realTime && !document;
    case kCmdUndoEdit:
      return document && d.document->UndoAvailable();
    case kCmdSelectAll:
      return document && (d.windows[kWindowTimeSeries] || d.windows[kWindowSpectrogram] ||
                          d.windows[kWindowSurface]);
    case kCmdPasteInsert:
    case kCmdPasteOver:
      return !realTime && ui.clipboardHasWave && ui.activeViewAcceptsPaste;
    case kCmdPasteLink:
      return realTime && ui.clipboardHasLink;
    case kCmdCut:
    case kCmdCopy:
    case kCmdMute:
    case kCmdGainAdjust:
    case kCmdFilter:
    case kCmdPlay:
    case kCmdLoop:
    case kCmdHalfSpeed:
    case kCmdDoubleSpeed:
    case kCmdArbitrarySpeed:
      return activeIsView && ui.activeViewHasSelection && (!activeNeedsDocument || document);
    case kCmdRun:
      return !running && (mode != kModePostProcessing || document);
    case kCmdStop:
      return running || std::any_of(d.modules.begin(), d.modules.end(),
                                    [](const auto& m) { return m->PlaysWithoutAnalyzer(); });
    case kCmdPlayDocument:
      return mode == kModeRecorder && document && !running;
    case kCmdRewind:
      return mode == kModeRecorder || (mode == kModePostProcessing && document);
    case kCmdSingleStep:
      return (mode == kModePostProcessing && document) || (realTime && !running);
    case kCmdHistory1:
    case kCmdHistory2:
    case kCmdHistory3:
    case kCmdHistory4:
      return !d.settings.fileHistory.recent[command - kCmdHistory1].empty();
    case kCmdLoggingOn:
      return !d.dataLogging;
    case kCmdLoggingOff:
      return d.dataLogging;
    default:
      return true;
  }
}

bool TAnalyzerCore::IsChecked(int32_t command) const {
  const Impl& d = *impl_;
  if (const TCoreModule* owner = CommandOwner(command)) return owner->IsChecked(command);
  switch (command) {
    case kCmdModeRealTime:
      return d.settings.opMode == kModeRealTime;
    case kCmdModePostProcess:
      return d.settings.opMode == kModePostProcessing;
    case kCmdModeRecorder:
      return d.settings.opMode == kModeRecorder;
    case kCmdLoggingOn:
      return d.dataLogging;
    case kCmdLoggingOff:
      return !d.dataLogging;
    default:
      break;
  }
  const int32_t window = WindowForCommand(command);
  return window >= 0 && d.windows[window] != nullptr;
}

}  // namespace orvanix
