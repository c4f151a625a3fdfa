// The file, logging, span, calibration and annotation commands.
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

}  // namespace

ExecuteResult TExecuteRunner::Files(int32_t id, const std::string& argument) {
  switch (id) {
    case kExFileOpen: {
      core_.Stop();
      // A file that would not open or load was told to the user; the client hears it too,
      // rather than "processed" for an analyzer left as it was.
      if (EndsWith(argument, ".wav")) {
        if (!core_.OpenWave(argument)) return kRefused;
      } else if (EndsWith(argument, ".cfg")) {
        if (!core_.LoadConfiguration(argument)) return kRefused;
      } else if (EndsWith(argument, ".cal")) {
        TCalibration record = core_.Calibration();
        if (LoadCalibration(argument, record) != CalibrationLoad::kLoaded) return kRefused;
        SetField(record.fileName, argument);
        core_.SetCalibration(record);
      } else if (EndsWith(argument, ".mic") || EndsWith(argument, ".ovl")) {
        const bool both = EndsWith(argument, ".mic");
        core_.ChangeSettings(
            [&](TAnalyzerSettings& s) {
              s.scaling.micCompensation = 1;
              s.scaling.micFileLeft = argument.substr(0, kPathLength);
              s.scaling.micFileRight = both ? s.scaling.micFileLeft : std::string();
            },
            SettingsOrigin::Dialog);
      } else if (EndsWith(argument, ".mac")) {
        return OpenMacroFile(argument);
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
      // A macro that sent it goes no further; the windowed program then closes as its close
      // button closes it (save prompts included), once this command has been answered.
      if (!frame_ && !exit_) return kRefused;
      if (macroWindow_.stop) macroWindow_.stop();
      if (frame_) {
        frame_->Close();
      } else {
        exit_();
      }
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

}  // namespace orvanix
