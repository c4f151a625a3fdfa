// The edit module's commands, their enabling rules and its surroundings.
#include "app/edit/EditModule.h"

#include "app/edit/EditHeadless.h"
#include "app/edit/SelectionPlayer.h"
#include "files/Configuration.h"
#include "files/WaveFile.h"

namespace orvanix {

namespace {

constexpr int32_t kOwned[] = {
    kCmdImport,     kCmdExport,      kCmdDecimate,       kCmdMerge,     kCmdUndoEdit,
    kCmdCut,        kCmdCopy,        kCmdPasteInsert,    kCmdPasteOver, kCmdMute,
    kCmdGainAdjust, kCmdFilter,      kCmdSelectAll,      kCmdPlay,      kCmdLoop,
    kCmdHalfSpeed,  kCmdDoubleSpeed, kCmdArbitrarySpeed,
};

bool ShowsTime(int32_t window) {
  return window == kWindowTimeSeries || window == kWindowSpectrogram || window == kWindowSurface;
}

}  // namespace

TEditModule::TEditModule(TAnalyzerCore& core) : TCoreModule(core), services_(MakeEditServices()) {
  clipboard_ = services_.clipboard.get();
  runner_ = services_.runner.get();
  dialogs_ = services_.dialogs.get();
  player_ = MakePlayer();
}

TEditModule::~TEditModule() = default;

bool TEditModule::OwnsCommand(int32_t command) const {
  for (int32_t owned : kOwned) {
    if (owned == command) return true;
  }
  return false;
}

bool TEditModule::IsEnabled(int32_t command) const {
  const TAnalyzerCore& core = Core();
  const TUiContext& ui = core.UiContext();
  const bool realTime = core.Mode() == kModeRealTime;
  const TWaveFile* document = core.Document();
  switch (command) {
    case kCmdExport:
    case kCmdDecimate:
      return !realTime && document;
    case kCmdImport:
    case kCmdMerge:
      return !realTime && !document;
    case kCmdUndoEdit:
      return document && document->UndoAvailable();
    case kCmdSelectAll:
      return document &&
             (core.IsWindowOpen(kWindowTimeSeries) || core.IsWindowOpen(kWindowSpectrogram) ||
              core.IsWindowOpen(kWindowSurface));
    case kCmdPasteInsert:
    case kCmdPasteOver:
      // The views that show the document take a paste; with nothing open a paste makes the
      // document (Paste Insert only).
      return !realTime && (ui.clipboardHasWave || Clipboard().HasWave()) &&
             (ui.activeViewAcceptsPaste || ShowsTime(ui.activeWindow)) &&
             (document || command == kCmdPasteInsert);
    case kCmdCopy:
      // The spectrum and phase views copy their own data.
      if (ui.activeWindow == kWindowSpectrum || ui.activeWindow == kWindowPhase) {
        return ui.activeViewHasSelection;
      }
      [[fallthrough]];
    case kCmdCut:
    case kCmdMute:
    case kCmdGainAdjust:
    case kCmdFilter:
    case kCmdPlay:
    case kCmdLoop:
    case kCmdHalfSpeed:
    case kCmdDoubleSpeed:
    case kCmdArbitrarySpeed:
      return ShowsTime(ui.activeWindow) && document && HasSegment();
    default:
      return true;
  }
}

bool TEditModule::IsChecked(int32_t command) const {
  return command == kCmdLoop && player_->Looping();
}

bool TEditModule::Execute(int32_t command) {
  switch (command) {
    case kCmdUndoEdit:
      return UndoEdit();
    case kCmdCut:
      return Cut();
    case kCmdCopy:
      if (Core().UiContext().activeWindow == kWindowSpectrum ||
          Core().UiContext().activeWindow == kWindowPhase) {
        return false;  // the view's own copy
      }
      return Copy();
    case kCmdPasteInsert:
      return PasteInsert();
    case kCmdPasteOver:
      return PasteOver();
    case kCmdMute:
      return Mute();
    case kCmdSelectAll:
      return SelectAll();
    case kCmdPlay:
      return PlaySelection(1.0, false);
    case kCmdLoop:
      return PlaySelection(1.0, true);
    case kCmdHalfSpeed:
      return PlaySelection(0.5, false);
    case kCmdDoubleSpeed:
      return PlaySelection(2.0, false);
    case kCmdArbitrarySpeed:
      return ArbitrarySpeedCommand();
    default:
      return false;  // needs a dialog
  }
}

bool TEditModule::HasSegment() const {
  return !Core().Selection().Empty();
}

void TEditModule::SetClipboard(TWaveClipboard* clipboard) {
  clipboard_ = clipboard;
}

void TEditModule::SetJobRunner(TJobRunner* runner) {
  runner_ = runner;
}

void TEditModule::SetDialogs(TEditDialogs* dialogs) {
  dialogs_ = dialogs;
}

TWaveClipboard& TEditModule::Clipboard() const {
  return clipboard_ ? *clipboard_ : ProcessClipboard();
}

TJobRunner& TEditModule::Runner() {
  return runner_ ? *runner_ : plainRunner_;
}

TEditDialogs& TEditModule::Dialogs() {
  return dialogs_ ? *dialogs_ : defaultDialogs_;
}

void TEditModule::Shutdown() {
  player_->Stop();
}

void TEditModule::DocumentChanged() {
  // A closed or replaced document stops its playback (edits stop it before they begin).
  if (player_->Playing() && !Core().Document()) StopPlayback();
}

TModuleInfo EditModuleInfo() {
  return {"edit",
          [](TAnalyzerCore& core) -> std::unique_ptr<TCoreModule> {
            return std::make_unique<TEditModule>(core);
          },
          EditHeadlessOptions()};
}

}  // namespace orvanix
