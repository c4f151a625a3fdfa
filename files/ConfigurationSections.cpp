// The keys of the machine, calibration, processing and scaling sections, in the order they
// are read, with their defaults and the file they live in.
#include <cmath>
#include <string>

#include "files/Configuration.h"
#include "files/ConfigurationIo.h"

namespace orvanix {

namespace {
constexpr size_t kPathChars = 260;
constexpr KeyHome kProgram = KeyHome::kProgram;
constexpr KeyHome kReadOnly = KeyHome::kProgramReadOnly;

std::string Numbered(const char* stem, size_t number) {
  return stem + std::to_string(number);
}
}  // namespace

void VisitPaths(TSettingsIo& io, TAnalyzerSettings& s) {
  for (size_t i = 0; i < kFolderCount; ++i) {
    io.Text(kSectionPaths, kPathKeys[i], s.paths.folders[i], kPathDefaults[i], kPathChars,
            TextKind::kPath, kProgram);
  }
}

void VisitFileIo(TSettingsIo& io, TAnalyzerSettings& s) {
  const char* f = kSectionFileIo;
  TFileIoSettings& v = s.fileIo;
  io.Int(f, "WaveFileMode", v.waveFileMode, 1, kProgram);
  io.Int(f, "MaxRamRecordingTimeSecs", v.maxRamRecordingTimeSecs, 300, kProgram);
  io.Int(f, "MakeBackup", v.makeBackup, 1, kProgram);
  io.Int(f, "IncludeCalibrationData", v.includeCalibrationData, 1, kProgram);
  io.Int(f, "RecordIOBufferSizeSecs", v.recordIoBufferSizeSecs, 1, kProgram);
  io.Int(f, "RealTimeIOBufferSizeSecs", v.realTimeIoBufferSizeSecs, 1, kProgram);
  io.Int(f, "MaxDiskRecordingSizeBytes", v.maxDiskRecordingSizeBytes, kMaxDiskRecordingBytes,
         kProgram);
  io.Int(f, "RealTimeWaveBufferEnableFlag", v.realTimeWaveBufferEnable, 1, kProgram);
  io.Int(f, "RealTimeWaveBufferLengthSecs", v.realTimeWaveBufferLengthSecs, 60, kProgram);
  io.Int(f, "AllowSplitBuffers", v.allowSplitBuffers, 1, kProgram);
  io.Int(f, "DALSelfMonitor", v.dalSelfMonitor, 0, kProgram);
  io.Int(f, "DarlaDelay", v.darlaDelayMsec, 100, kProgram);
  io.Int(f, "DuplexDelay", v.duplexDelay, 50, kReadOnly);
  io.Switch(f, "AdjustImportRescaling", v.adjustImportRescaling, false, kReadOnly);
  io.Int(f, kKeyRunOnLaunch, v.runOnLaunch, 0, kReadOnly);
}

void VisitCalibration(TSettingsIo& io, TAnalyzerSettings& s) {
  const char* c = kSectionCalibration;
  TCalibration& r = s.calibration;
  io.Int(c, "IsEnabled", r.enabled, 0);
  io.Field(c, kKeyCalibrationFilename, r.fileName, "default.cal", TextKind::kPath);
  io.Real(c, "RefLevel", r.refLevel, 1.0f);
  io.Int(c, "RefUnits", r.refUnits, 0);
  io.Int(c, "ConversionType", r.conversionType, 0);
  io.Int(c, "IntegrationType", r.integrationType, 0);
  io.Int(c, "RefType", r.refType, 0);
  io.Field(c, "LabelLinear", r.labelLinear, "Volts rms");
  io.Field(c, "LabelLog", r.labelLog, "dBV rms");
  io.Int(c, "LabelType", r.labelType, 1);
  io.Real(c, "PctFullScaleLeft", r.pctFullScaleLeft, 0.5f);
  io.Real(c, "PctFullScaleRight", r.pctFullScaleRight, 0.5f);
  io.Real(c, "CalRatioLeft", r.calRatioLeft, 1.0f);
  io.Real(c, "CalRatioRight", r.calRatioRight, 1.0f);
  io.Field(c, "LeftChannelName", r.leftChannelName, "Left");
  io.Field(c, "RightChannelName", r.rightChannelName, "Right");
}

void VisitPrintOptions(TSettingsIo& io, TAnalyzerSettings& s) {
  const char* p = kSectionPrintOpts;
  TPrintOptions& v = s.print;
  io.Text(p, "Annotation1", v.annotation1, "", 80);
  io.Text(p, "Annotation2", v.annotation2, "", 80);
  io.Real(p, "MarginLeft", v.marginLeft, 0.5f);
  io.Real(p, "MarginRight", v.marginRight, 0.5f);
  io.Real(p, "MarginTop", v.marginTop, 0.5f);
  io.Real(p, "MarginBottom", v.marginBottom, 0.5f);
  io.Int(p, "EnableCommentBlock", v.enableCommentBlock, 0);
  for (size_t i = 0; i < kPrintCommentCount; ++i) {
    io.Text(p, Numbered("Comment", i + 1).c_str(), v.comments[i], "", 256);
  }
}

void VisitDevice(TSettingsIo& io, TAnalyzerSettings& s) {
  io.Int(kSectionDevice, "InputDeviceID", s.devices.inputDeviceId, 0);
  io.Int(kSectionDevice, "OutputDeviceID", s.devices.outputDeviceId, 0);
}

void VisitMode(TSettingsIo& io, TAnalyzerSettings& s) {
  io.Int(kSectionMode, "OpMode", s.opMode, kModeRealTime);
}

void VisitProcessing(TSettingsIo& io, TAnalyzerSettings& s) {
  const char* k = kSectionSettings;
  ProcessingSettings& p = s.processing;
  // Rate, channels and bytes per sample become one normalised format; negative numbers
  // from a file count as 0, which the format replaces by its default.
  int32_t rate =
      p.format.sampleRate > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int32_t>(p.format.sampleRate);
  int32_t channels = p.format.channels;
  int32_t bytes = p.format.bytesPerSample;
  io.Int(k, "SamplingRate", rate, 44100);
  io.Int(k, "NumChannels", channels, 1);
  io.Int(k, "BytesPerSample", bytes, 2);
  p.format.Set(channels > 0 ? static_cast<uint32_t>(channels) : 0,
               rate > 0 ? static_cast<uint32_t>(rate) : 0,
               bytes > 0 ? static_cast<uint32_t>(bytes) : 0);
  io.Int(k, "FFTsize", p.fftSize, 4096);
  io.Int(k, "AverageBlocks", p.averageBlocks, 1);
  io.U16(k, "AverageType", p.averageType, kAverageExponential);
  io.Int(k, "PeakHold", p.peakHold, 0);
  io.U16(k, "DecimationRatio", p.decimationRatio, 1);
  io.Int(k, "ApplyLowPassFilter", p.lowPassFilter, 1);
  io.U16(k, "SmoothingWindow", p.smoothingWindow, 4);
  io.U16(k, "OverlapPercent", p.overlapPercent, 0);
  io.U16(k, "ChannelProcessing", p.channelProcessing, kLeftOnly);
  io.U16(k, "DelayChannel", p.delayChannel, 0);
  // Stored as whole milliseconds.
  const float delay = p.delayTimeMsec;
  int32_t delayMsec =
      std::isfinite(delay) && std::fabs(delay) < 2.0e9f ? static_cast<int32_t>(delay) : 0;
  io.Int(k, "DelayTimeMsec", delayMsec, 0);
  p.delayTimeMsec = static_cast<float>(delayMsec);
  io.Int(k, "EnableOverloadDetection", p.overloadDetection, 1);
  io.Int(k, "ExcludeOverloadFlag", p.excludeOverloaded, 0);
  io.Real(k, kKeyRateCorrection, p.rateCorrection, 1.0f, kProgram);
}

void VisitScaling(TSettingsIo& io, TAnalyzerSettings& s) {
  const char* k = kSectionScaling;
  ScalingSettings& v = s.scaling;
  io.U16(k, "AmpScaleType", v.ampScale, 1);
  io.U16(k, "FreqScaleType", v.freqScale, 1);
  io.U16(k, "OctaveNumber", v.octaveNumber, 3);
  io.Int(k, "SpectralDensityFlag", v.spectralDensity, 0);
  io.U16(k, "SpectralDensityType", v.spectralDensityType, 0);
  io.U16(k, "StandardWeighting", v.weighting, 0);
  io.Int(k, "MicCompEnable", v.micCompensation, 0);
  io.Text(k, "MicCompFilenameLeft", v.micFileLeft, "", kPathChars, TextKind::kPath);
  io.Text(k, "MicCompFilenameRight", v.micFileRight, "", kPathChars, TextKind::kPath);
}

void VisitMarkers(TSettingsIo& io, TAnalyzerSettings& s) {
  const char* k = kSectionMarkers;
  TMarkerSettings& v = s.markers;
  for (size_t i = 0; i < kMarkerCount; ++i) {
    io.Int(k, Numbered("MarkerEnable", i).c_str(), v.enable[i], 0);
  }
  for (size_t i = 0; i < kMarkerCount; ++i) {
    io.Real(k, Numbered("MarkerFreq", i).c_str(), v.freqHz[i], 1000.0f * static_cast<float>(i + 1));
  }
  for (size_t i = 0; i < kMarkerCount; ++i) {
    io.Int(k, Numbered("LabelType", i).c_str(), v.labelType[i], 1);
  }
  for (size_t i = 0; i < kMarkerCount; ++i) {
    io.Text(k, Numbered("CustomLabel", i).c_str(), v.customLabel[i], Numbered("Marker ", i + 1),
            30);
  }
}

void VisitViewStatus(TSettingsIo& io, TAnalyzerSettings& s) {
  const char* k = kSectionViewStatus;
  TViewStatus& v = s.viewStatus;
  for (size_t i = 0; i < kWindowCount; ++i) {
    io.Int(k, kViewStatusKeys[i], v.open[i], i == 1 ? 1 : 0);  // the spectrum view is open
  }
  io.Int(k, "NoiseFigurePolarity", v.noiseFigurePolarity, 6);
  io.Int(k, kKeyHideApplicationWindow, v.hideApplicationWindow, 0, kProgram);
}

void VisitTrigger(TSettingsIo& io, TAnalyzerSettings& s) {
  const char* k = kSectionTrigger;
  TTriggerSettings& v = s.trigger;
  io.Int(k, "Enable", v.enable, 0);
  io.Int(k, "AutoReset", v.autoReset, 1);
  io.Int(k, "Channel", v.channel, 0);
  io.Int(k, "Threshold", v.thresholdPct, 25);
  io.Int(k, "DelayType", v.delayType, 0);
  io.Real(k, "DelayMsec", v.delayMsec, 0.0f);
  io.Int(k, "TriggerType", v.triggerType, 0);
  io.Int(k, "TriggerSlope", v.slope, 0);
}

}  // namespace orvanix
