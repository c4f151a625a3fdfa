// The window, frame, generator, delay finder, reverberation, device, file utility and macro
// commands. A command that cannot act here (no such window or utility in this program,
// nothing open to act on, no frame in a headless run) answers not processed.
#include <algorithm>
#include <cctype>
#include <fstream>

#include "acquisition/SoundPort.h"
#include "app/core/AnalyzerCore.h"
#include "app/edit/EditModule.h"
#include "automation/AutomationFrame.h"
#include "automation/ExecuteCommands.h"
#include "automation/ExecuteRunner.h"
#include "files/Configuration.h"
#include "generator/GeneratorModule.h"
#include "generator/SignalGenerator.h"
#include "utilities/UtilitiesModule.h"

namespace orvanix {

namespace {

constexpr ExecuteResult kDone = ExecuteResult::Processed;
constexpr ExecuteResult kRefused = ExecuteResult::NotProcessed;

ExecuteResult Result(bool done) {
  return done ? kDone : kRefused;
}

// The view of a command in the Open/Close/Restore/Maximize block.
WindowKind ViewOf(int32_t offset) {
  static constexpr WindowKind kViews[] = {kWindowTimeSeries, kWindowSpectrum, kWindowPhase,
                                          kWindowSpectrogram, kWindowSurface};
  return kViews[offset];
}

// The first word and the rest after one blank ("%s %s"); the rest keeps its blanks.
std::pair<std::string, std::string> SplitFirst(const std::string& text) {
  const size_t blank = text.find(' ');
  if (blank == std::string::npos) return {text, {}};
  return {text.substr(0, blank), text.substr(blank + 1)};
}

// Everything before the last blank and the last word: a path that holds blanks, then a
// number.
std::pair<std::string, std::string> SplitLast(const std::string& text) {
  const size_t blank = text.rfind(' ');
  if (blank == std::string::npos) return {text, {}};
  return {text.substr(0, blank), text.substr(blank + 1)};
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

ExecuteResult TExecuteRunner::Windows(int32_t id, const std::string& argument) {
  using View = TAutomationFrame::ViewAction;
  using Frame = TAutomationFrame::FrameAction;
  if (id >= kExOpenTimeSeries && id <= kExMaximizeSurface) {
    const int32_t offset = id - kExOpenTimeSeries;
    static constexpr View kActions[] = {View::Open, View::Close, View::Restore, View::Maximize};
    return Result(frame_ && frame_->WindowAction(ViewOf(offset / 4), kActions[offset % 4]));
  }
  if (id >= kExPrintTimeSeries && id <= kExPrintSurface) {
    return Result(frame_ && frame_->WindowAction(ViewOf(id - kExPrintTimeSeries), View::Print));
  }
  if (id >= kExHideWindow && id <= kExTileHorizontal) {
    static constexpr Frame kFrame[] = {Frame::Hide,         Frame::Show,          Frame::Minimize,
                                       Frame::Restore,      Frame::Maximize,      Frame::Cascade,
                                       Frame::TileVertical, Frame::TileHorizontal};
    return Result(frame_ && frame_->Frame(kFrame[id - kExHideWindow]));
  }
  if (id >= kExHideMenu && id <= kExShowPlotToolbars) {
    const auto action = static_cast<Frame>(static_cast<int>(Frame::HideMenu) + id - kExHideMenu);
    return Result(frame_ && frame_->Frame(action));
  }
  switch (id) {
    case kExCopyBitmap:
      return Result(frame_ && frame_->Frame(Frame::CopyBitmap));
    case kExSetOverlay:
    case kExShowOverlay:
    case kExHideOverlay: {
      const int64_t n = LeadingInteger(argument);
      if (n < 1 || n > 4) return kDone;  // ignored, as a marker outside the span is
      const auto action = id == kExSetOverlay    ? TAutomationFrame::OverlayAction::Store
                          : id == kExShowOverlay ? TAutomationFrame::OverlayAction::Show
                                                 : TAutomationFrame::OverlayAction::Hide;
      return Result(frame_ && frame_->Overlay(static_cast<int>(n), action));
    }
    case kExOpenReverb:
    case kExCloseReverb:
      return Result(frame_ && frame_->WindowAction(kWindowReverb,
                                                   id == kExOpenReverb ? View::Open : View::Close));
    default:
      return Utilities(id, argument);
  }
}

ExecuteResult TExecuteRunner::Utilities(int32_t id, const std::string& argument) {
  using View = TAutomationFrame::ViewAction;
  auto* generatorModule = core_.FindModule<TGeneratorModule>(TGeneratorModule::kName);
  TSignalGenerator* generator = generatorModule ? generatorModule->Generator() : nullptr;
  auto* utilities = core_.FindModule<TUtilitiesModule>(TUtilitiesModule::kName);
  switch (id) {
    case kExOpenGenerator:
    case kExCloseGenerator: {
      const bool open = id == kExOpenGenerator;
      if (frame_) {
        return Result(
            frame_->WindowAction(kWindowSignalGenerator, open ? View::Open : View::Close));
      }
      // Without windows the generator still plays (on the Loopback, say).
      if (!generatorModule) return kRefused;
      if (open) {
        generatorModule->Open();
      } else {
        generatorModule->Close();
      }
      return kDone;
    }
    case kExStartGenerator:
      // Start reports its own failures; without a signal it has nothing to start.
      return Result(generator && generator->Buffer() && generator->Start());
    case kExStopGenerator:
      if (!generator) return kRefused;
      generator->Stop();
      return kDone;
    case kExSaveGeneratorSignal:
      return Result(generatorModule && generator && generatorModule->SaveSignalCommand(argument));
    case kExSetGeneratorType: {
      if (!generator) return kRefused;
      const auto [channel, name] = SplitFirst(argument);
      const std::string which = Lower(channel);
      if (which != "left" && which != "right") return kRefused;
      return Result(generator->SetSignalType(name, which == "right" ? 1 : 0));
    }
    case kExSetGeneratorTone: {
      if (!generator) return kRefused;
      const auto [channel, rest] = SplitFirst(argument);
      const auto [hz, level] = SplitFirst(rest);
      if (hz.empty() || level.empty()) return kRefused;
      return Result(
          generator->SetTone(LeadingReal(hz), LeadingReal(level), Lower(channel) == "right"));
    }
    case kExSetGeneratorWaveFile: {
      if (!generator) return kRefused;
      const auto [channel, path] = SplitFirst(argument);
      if (path.empty()) return kRefused;
      return Result(generator->SetUserWaveFile(path, Lower(channel) == "right"));
    }
    case kExOpenDelayFinder:
    case kExCloseDelayFinder: {
      const bool open = id == kExOpenDelayFinder;
      // The delay finder compares the two channels; with one it would only say so and close.
      if (open && core_.Settings().processing.format.channels != 2) return kRefused;
      if (frame_) {
        return Result(frame_->WindowAction(kWindowDelayFinder, open ? View::Open : View::Close));
      }
      if (!utilities) return kRefused;
      if (open) return Result(utilities->DelayFinderOpen() || utilities->OpenDelayFinder());
      utilities->CloseDelayFinder();
      return kDone;
    }
    case kExApplyDelayFinder: {
      // Only a delay the finder trusts is applied (its button says why otherwise).
      const TDelayFinder* finder = utilities ? utilities->DelayFinder() : nullptr;
      if (!finder || finder->Status() != DelayStatus::Found) return kRefused;
      return Result(utilities->ApplyDelay());
    }
    case kExSetInputDevice:
    case kExSetOutputDevice: {
      const TSoundDirection direction =
          id == kExSetInputDevice ? TSoundDirection::Input : TSoundDirection::Output;
      if (TSoundPort::DeviceCount(direction) <= 0) return kRefused;
      const int device = TSoundPort::ClampDeviceId(
          direction,
          static_cast<int>(std::clamp<int64_t>(LeadingInteger(argument) - 1, -1, 1 << 20)));
      core_.ChangeSettings(
          [&](TAnalyzerSettings& s) {
            (direction == TSoundDirection::Input ? s.devices.inputDeviceId
                                                 : s.devices.outputDeviceId) = device;
          },
          SettingsOrigin::Outside);
      return kDone;
    }
    case kExFileDecimate:
    case kExFileMerge:
      return FileUtility(id, argument);
    case kExStartReverb:
      // As the window's Start button: the excitation plays while the input records; the
      // level checks speak when it ends, long after this answer.
      return Result(utilities && !utilities->ReverbMeasuring() && utilities->StartReverb());
    case kExSaveReverb:
      // Nothing measured or loaded, or a file that cannot be written: not processed.
      if (!utilities || argument.empty()) return kRefused;
      return Result(utilities->Reverb().HasData() && utilities->SaveReverb(argument));
    case kExOpenMacro:
    case kExCloseMacro:
      if (id == kExCloseMacro && macroWindow_.stop) macroWindow_.stop();
      // Headless there is no macro window to open; closing it stops the macro.
      if (!frame_) return Result(id == kExCloseMacro && macroWindow_.stop);
      return Result(
          frame_->WindowAction(kWindowMacro, id == kExOpenMacro ? View::Open : View::Close));
    case kExOpenMacroFile:
      if (argument.find(".mac") == std::string::npos &&
          argument.find(".MAC") == std::string::npos) {
        return kDone;
      }
      return OpenMacroFile(argument);
    case kExStartMacro:
      if (!macroWindow_.start) return kRefused;
      macroWindow_.start();
      return kDone;
    case kExStopMacro:
      if (!macroWindow_.stop) return kRefused;
      macroWindow_.stop();
      return kDone;
    default:
      return kRefused;
  }
}

ExecuteResult TExecuteRunner::OpenMacroFile(const std::string& path) {
  if (!macro_) return kRefused;
  if (!frame_) return Result(macro_->LoadAndRun(path));
  // The window shows the file as it runs. Loading may report a failure: not inside this
  // command, so a file that cannot be read is refused here first.
  if (!std::ifstream(path).good()) return kRefused;
  frame_->WindowAction(kWindowMacro, TAutomationFrame::ViewAction::Open);
  TMacroHost* macro = macro_;
  frame_->Post([macro, path] { macro->LoadAndRun(path); });
  return kDone;
}

ExecuteResult TExecuteRunner::FileUtility(int32_t id, const std::string& argument) {
  auto* edit = core_.FindModule<TEditModule>("edit");
  if (!edit) return kRefused;
  std::function<bool()> run;
  if (id == kExFileDecimate) {
    const auto [path, ratioText] = SplitLast(argument);
    const int64_t ratio = LeadingInteger(ratioText);
    if (!core_.Document() || path.empty() || ratio < 1) return kRefused;
    run = [edit, path, ratio] {
      return edit->Decimate(static_cast<uint32_t>(ratio), edit->DecimateLowPass(), path);
    };
  } else {
    const auto [left, right] = SplitFirst(argument);
    if (core_.Document() || core_.Mode() == kModeRealTime || right.empty()) return kRefused;
    run = [edit, left, right] { return edit->Merge(left, right); };
  }
  if (!frame_) return Result(run());
  // The windowed program shows these with a progress box: not inside a socket handler or a
  // macro step, so they run once control is back in the event loop.
  frame_->Post([run] { run(); });
  return kDone;
}

}  // namespace orvanix
