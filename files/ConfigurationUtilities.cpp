// The keys of the utility sections (filter, logging, delay finder, Leq, reverberation,
// macro) and of the file history, in the order they are read.
#include <string>

#include "files/Configuration.h"
#include "files/ConfigurationIo.h"

namespace orvanix {

namespace {
constexpr size_t kPathChars = 260;
}  // namespace

void VisitFilter(TSettingsIo& io, TAnalyzerSettings& s) {
  const char* k = kSectionFilter;
  TFilterSettings& v = s.filter;
  io.Int(k, "Type", v.type, 0);
  io.Int(k, "NumTaps", v.numTaps, 81);
  io.Int(k, "HPCutoffHz", v.hpCutoffHz, 1000);
  io.Int(k, "LPCutoffHz", v.lpCutoffHz, 2000);
  io.Int(k, "BPCenterHz", v.bpCenterHz, 2000);
  io.Int(k, "BPWidthHz", v.bpWidthHz, 1000);
  io.Int(k, "NCenterHz", v.notchCenterHz, 2000);
  io.Int(k, "NWidthHz", v.notchWidthHz, 1000);
  io.Int(k, "DoLeft", v.doLeft, 1);
  io.Int(k, "DoRight", v.doRight, 1);
}

void VisitLogging(TSettingsIo& io, TAnalyzerSettings& s) {
  const char* k = kSectionLogging;
  TLoggingSettings& v = s.logging;
  io.Int(k, "IntervalFlag", v.intervalFlag, 1);
  io.Real(k, "IntervalSecs", v.intervalSecs, 1.0f);
  io.Int(k, "UseFullSpan", v.useFullSpan, 1);
  io.Real(k, "StartFreq", v.startFreqHz, 0.0f);
  io.Real(k, "StopFreq", v.stopFreqHz, 1000.0f);
  io.Real(k, "Threshold", v.threshold, -999.0f);
  io.Int(k, "DataType", v.dataType, 0);
  io.Text(k, "LogFileName", v.logFileName, "datalog.txt", kPathChars, TextKind::kPath);
  io.Text(k, "LogViewerProgram", v.logViewerProgram, "notepad.exe", kPathChars, TextKind::kPath);
  io.Int(k, "OverwriteFlag", v.overwrite, 1);
  io.Int(k, "VarekFlag", v.varekFlag, 0, KeyHome::kProgram);
}

void VisitDelayFinder(TSettingsIo& io, TAnalyzerSettings& s) {
  const char* k = kSectionDelayFinderOpts;
  io.Int(k, "DisplayUnits", s.delayFinder.displayUnits, 0);
  io.Real(k, "SpeedOfSound", s.delayFinder.speedOfSound, 1130.0f);
  io.Int(k, "MaxDelayMsec", s.delayFinder.maxDelayMsec, 500);
}

void VisitLeq(TSettingsIo& io, TAnalyzerSettings& s) {
  io.Int(kSectionLeq, "ReferenceTimePeriod", s.leq.referenceTimePeriodSecs, 3600);
  io.Int(kSectionLeq, "WeightingType", s.leq.weightingType, 1);
}

void VisitReverb(TSettingsIo& io, TAnalyzerSettings& s) {
  const char* k = kSectionReverbOpts;
  TReverbOptions& v = s.reverb;
  io.Int(k, "SmoothingMethod", v.smoothingMethod, 1);
  io.Real(k, "SmoothingAverageTime", v.smoothingAverageTime, 0.1f);
  io.Int(k, "ExtrapolationMethod", v.extrapolationMethod, 1);
  io.Int(k, "MaxDecayTime", v.maxDecayTime, 10);
  io.Int(k, "DisplayedDecayTime", v.displayedDecayTime, 10);
  io.Int(k, "DisplayedRTTime", v.displayedRtTime, 5);
  io.Int(k, "DisplayedDecayBand", v.displayedDecayBand, 10);
  io.Colour(k, "BarColor", v.barColor, 16711680);
  io.Colour(k, "BackgroundColor", v.backgroundColor, 12910591);
  io.Colour(k, "DecayColor", v.decayColor, 128);
  io.Colour(k, "SurfaceColor", v.surfaceColor, 16711680);
  io.Colour(k, "GridColor", v.gridColor, 8421504);
}

void VisitMacro(TSettingsIo& io, TAnalyzerSettings& s) {
  const char* k = kSectionMacroOpts;
  TMacroOptions& v = s.macro;
  io.Text(k, "MacroFilename", v.macroFilename, "", 256, TextKind::kPath);
  io.Int(k, "OverwriteFlag", v.overwrite, 1);
  io.Text(k, "OutputViewerProgram", v.outputViewerProgram, "notepad.exe", kPathChars,
          TextKind::kPath);
  io.Text(k, "OutputFilename", v.outputFilename, "", 256, TextKind::kPath);
}

void VisitFileHistory(TSettingsIo& io, TAnalyzerSettings& s) {
  const char* k = kSectionFileHistory;
  for (size_t i = 0; i < kFileHistoryCount; ++i) {
    const std::string key = std::to_string(i + 1);
    io.Text(k, key.c_str(), s.fileHistory.recent[i], "", kPathChars, TextKind::kPath,
            KeyHome::kProgram);
  }
  io.Text(k, kKeyOpenFileName, s.fileHistory.openFileName, "", kPathChars, TextKind::kPath);
}

}  // namespace orvanix
