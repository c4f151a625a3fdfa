// The file, window, generator, macro and frame commands.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <sstream>

#include "app/core/AnalyzerCore.h"
#include "automation/AutomationFrame.h"
#include "automation/ExecuteCommands.h"
#include "automation/ExecuteRunner.h"
#include "automation/ItemAnswers.h"
#include "engine/ProcessingSettings.h"
#include "files/CalibrationFile.h"
#include "files/Configuration.h"
#include "files/WaveFile.h"
#include "generator/GeneratorModule.h"

namespace orvanix {

namespace {

constexpr ExecuteResult kDone = ExecuteResult::Processed;
constexpr ExecuteResult kRefused = ExecuteResult::NotProcessed;

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

bool EndsWith(const std::string& text, std::string_view tail) {
  return text.size() >= tail.size() && Lower(text.substr(text.size() - tail.size())) == tail;
}

// A relative name (4 or more characters, no drive) goes into `folder`.
std::string InFolder(const std::string& name, const std::string& folder) {
  if (name.size() >= 4 && name[1] != ':' && name[0] != '/' && !folder.empty()) {
    return folder + "/" + name;
  }
  return name;
}

// The view of a command in the Open/Close/Restore/Maximize block.
WindowKind ViewOf(int32_t offset) {
  static constexpr WindowKind kViews[] = {kWindowTimeSeries, kWindowSpectrum, kWindowPhase,
                                          kWindowSpectrogram, kWindowSurface};
  return kViews[offset];
}

}  // namespace

ExecuteResult TExecuteRunner::Files(int32_t id, const std::string& argument) {
  switch (id) {
    case kExFileOpen: {
      core_.Stop();
      if (EndsWith(argument, ".wav")) {
        core_.OpenWave(argument);
      } else if (EndsWith(argument, ".cfg")) {
        core_.LoadConfiguration(argument);
      } else if (EndsWith(argument, ".cal")) {
        TCalibration record = core_.Calibration();
        if (LoadCalibration(argument, record) == CalibrationLoad::kLoaded) {
          SetField(record.fileName, argument);
          core_.SetCalibration(record);
        }
      } else if (EndsWith(argument, ".mic") || EndsWith(argument, ".ovl")) {
        const bool both = EndsWith(argument, ".mic");
        core_.ChangeSettings(
            [&](TAnalyzerSettings& s) {
              s.scaling.micCompensation = 1;
              s.scaling.micFileLeft = argument.substr(0, kPathLength);
              s.scaling.micFileRight = both ? s.scaling.micFileLeft : std::string();
            },
            SettingsOrigin::Dialog);
      } else if (EndsWith(argument, ".mac") && macro_) {
        if (macroWindow_.show) macroWindow_.show(true);
        macro_->LoadAndRun(argument);
      }
      return kDone;
    }
    case kExFileSave: {
      if (core_.Mode() == kModeRealTime || !core_.Document()) return kDone;
      core_.SaveDocumentAs(InFolder(argument, core_.LastFolder(kFolderWave)));
      return kDone;
    }
    case kExFileClose: {
      if (core_.Mode() == kModeRealTime || !core_.Document()) return kDone;
      core_.CloseDocument();
      return kDone;
    }
    case kExFileDelete:
      core_.DeleteWave(argument);
      return kDone;
    case kExExitApplication:
      if (exit_) exit_();
      return kDone;
    case kExSetDataLoggingFile:
      if (core_.DataLogging()) return kDone;
      core_.ChangeSettings(
          [&](TAnalyzerSettings& s) { s.logging.logFileName = argument.substr(0, kPathLength); },
          SettingsOrigin::Dialog);
      return kDone;
    case kExEnableDataLogging:
    case kExLoggingOn:
      core_.Execute(kCmdLoggingOn);
      return kDone;
    case kExDisableDataLogging:
    case kExLoggingOff:
      core_.Execute(kCmdLoggingOff);
      return kDone;
    case kExSpectrumSpan:
    case kExPhaseSpan:
    case kExSpectrogramSpan:
    case kExSurfaceSpan: {
      std::istringstream in(argument);
      long long a = 0, b = 0;
      in >> a >> b;
      a = std::max(0LL, a);
      b = std::max(0LL, b);
      if (a >= b) return kDone;
      core_.ChangeSettings(
          [&](TAnalyzerSettings& s) {
            float* start = id == kExSpectrumSpan  ? &s.spectrumPlot.startFreqHz
                           : id == kExPhaseSpan   ? &s.phasePlot.startFreqHz
                           : id == kExSurfaceSpan ? &s.surface.startFreqHz
                                                  : &s.spectrogram.startFreqHz;
            float* stop = id == kExSpectrumSpan  ? &s.spectrumPlot.stopFreqHz
                          : id == kExPhaseSpan   ? &s.phasePlot.stopFreqHz
                          : id == kExSurfaceSpan ? &s.surface.stopFreqHz
                                                 : &s.spectrogram.stopFreqHz;
            *start = static_cast<float>(a);
            *stop = static_cast<float>(b);
          },
          SettingsOrigin::Outside);
      return kDone;
    }
    case kExSetTimeSegment: {
      std::istringstream in(argument);
      double a = 0, b = 0;
      in >> a >> b;
      a = std::max(0.0, a);
      b = std::max(0.0, b);
      if (b > a) {
        core_.SetSelection(a, b);
        items_.SetTimeSegment(a, b);
      }
      return kDone;
    }
    case kExSaveCalibration:
      SaveCalibration(argument, core_.Calibration());
      return kDone;
    case kExCalibrate: {
      TCalibration record = core_.Calibration();
      if (core_.MeasureReference(record)) {
        record.enabled = 1;
        core_.SetCalibration(record);
      }
      return kDone;
    }
    case kExAnnotation1:
    case kExAnnotation2:
      core_.ChangeSettings(
          [&](TAnalyzerSettings& s) {
            (id == kExAnnotation1 ? s.print.annotation1 : s.print.annotation2) =
                argument.substr(0, 79);
          },
          SettingsOrigin::Dialog);
      return kDone;
    case kExUseTempFile: {
      std::vector<std::string> fields;
      std::string field;
      std::istringstream in(argument);
      while (std::getline(in, field, ',')) fields.push_back(field);
      if (fields.size() < 5) return kRefused;
      core_.Stop();
      if (core_.Mode() == kModeRealTime) core_.SetMode(kModePostProcessing);
      auto ratio = [](const std::string& text) {
        const double v = LeadingReal(text);
        return static_cast<float>(v == 1.0 ? 0.999 : v <= 0 ? 0.00001 : v);
      };
      auto label = [](std::string text) {
        if (!text.empty() && text[0] == ' ') text.erase(0, 1);
        return text;
      };
      TCalibration record = core_.Calibration();
      record.enabled = 1;
      record.calRatioLeft = ratio(fields[1]);
      record.calRatioRight = ratio(fields[2]);
      record.refLevel = 1.0f;
      SetField(record.leftChannelName, label(fields[3]));
      SetField(record.rightChannelName, label(fields[4]));
      core_.SetCalibration(record);
      core_.OpenWave(fields[0]);
      return kDone;
    }
    default:
      return Windows(id, argument);
  }
}

ExecuteResult TExecuteRunner::Windows(int32_t id, const std::string& argument) {
  using View = TAutomationFrame::ViewAction;
  using Frame = TAutomationFrame::FrameAction;
  if (id >= kExOpenTimeSeries && id <= kExMaximizeSurface) {
    const int32_t offset = id - kExOpenTimeSeries;
    static constexpr View kActions[] = {View::Open, View::Close, View::Restore, View::Maximize};
    if (frame_) frame_->WindowAction(ViewOf(offset / 4), kActions[offset % 4]);
    return kDone;
  }
  if (id >= kExPrintTimeSeries && id <= kExPrintSurface) {
    if (frame_) frame_->WindowAction(ViewOf(id - kExPrintTimeSeries), View::Print);
    return kDone;
  }
  if (id >= kExHideWindow && id <= kExTileHorizontal) {
    static constexpr Frame kFrame[] = {Frame::Hide,         Frame::Show,          Frame::Minimize,
                                       Frame::Restore,      Frame::Maximize,      Frame::Cascade,
                                       Frame::TileVertical, Frame::TileHorizontal};
    if (frame_) frame_->Frame(kFrame[id - kExHideWindow]);
    return kDone;
  }
  if (id >= kExHideMenu && id <= kExShowPlotToolbars) {
    if (frame_)
      frame_->Frame(static_cast<Frame>(static_cast<int>(Frame::HideMenu) + id - kExHideMenu));
    return kDone;
  }
  switch (id) {
    case kExCopyBitmap:
      if (frame_) frame_->Frame(Frame::CopyBitmap);
      return kDone;
    case kExSetOverlay:
    case kExShowOverlay:
    case kExHideOverlay: {
      const int64_t n = LeadingInteger(argument);
      if (n < 1 || n > 4) return kDone;
      const auto action = id == kExSetOverlay    ? TAutomationFrame::OverlayAction::Store
                          : id == kExShowOverlay ? TAutomationFrame::OverlayAction::Show
                                                 : TAutomationFrame::OverlayAction::Hide;
      if (frame_) frame_->Overlay(static_cast<int>(n), action);
      return kDone;
    }
    case kExOpenGenerator:
    case kExCloseGenerator:
      if (frame_) {
        frame_->WindowAction(kWindowSignalGenerator,
                             id == kExOpenGenerator ? View::Open : View::Close);
      }
      return kDone;
    case kExOpenDelayFinder:
    case kExCloseDelayFinder:
      if (frame_) {
        frame_->WindowAction(kWindowDelayFinder,
                             id == kExOpenDelayFinder ? View::Open : View::Close);
      }
      return kDone;
    case kExOpenReverb:
    case kExCloseReverb:
      if (frame_)
        frame_->WindowAction(kWindowReverb, id == kExOpenReverb ? View::Open : View::Close);
      return kDone;
    default:
      return Utilities(id, argument);
  }
}

ExecuteResult TExecuteRunner::Utilities(int32_t id, const std::string& argument) {
  auto* generator = core_.FindModule<TGeneratorModule>(TGeneratorModule::kName);
  switch (id) {
    case kExSaveGeneratorSignal:
      if (generator) generator->SaveSignalCommand(argument);
      return kDone;
    case kExOpenMacro:
    case kExCloseMacro:
      if (id == kExCloseMacro && macroWindow_.stop) macroWindow_.stop();
      if (macroWindow_.show) macroWindow_.show(id == kExOpenMacro);
      return kDone;
    case kExOpenMacroFile:
      if (argument.find(".mac") == std::string::npos &&
          argument.find(".MAC") == std::string::npos) {
        return kDone;
      }
      if (macro_) {
        if (macroWindow_.show) macroWindow_.show(true);
        macro_->LoadAndRun(argument);
      }
      return kDone;
    case kExStartMacro:
      if (macroWindow_.start) macroWindow_.start();
      return kDone;
    case kExStopMacro:
      if (macroWindow_.stop) macroWindow_.stop();
      return kDone;
    default:
      // The generator's run and type commands, the delay finder's apply, reverberation,
      // the device numbers, file decimation and merge: their subsystems' operations.
      return kDone;
  }
}

}  // namespace orvanix
