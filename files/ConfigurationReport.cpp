// The configuration report of "View Configuration" and "Print Configuration".
#include <string>
#include <vector>

#include "engine/Messages.h"
#include "files/Configuration.h"

namespace orvanix {

namespace {

const char* ModeLine(int32_t mode) {
  switch (mode) {
    case kModePostProcessing:
      return kReportModePostProcessing;
    case kModeRecorder:
      return kReportModeRecorder;
    default:
      return kReportModeRealTime;
  }
}

void AddTriggerLines(const TTriggerSettings& t, std::vector<std::string>& lines) {
  lines.emplace_back(kReportTriggerHeading);
  lines.emplace_back(t.enable ? kReportTriggerEnabled : kReportTriggerDisabled);
  lines.emplace_back(t.autoReset ? kReportRearmEnabled : kReportRearmDisabled);
  lines.emplace_back(t.channel ? kReportSourceRight : kReportSourceLeft);
  lines.emplace_back(t.triggerType ? kReportTriggerEdge : kReportTriggerLevel);
  lines.emplace_back(t.slope ? kReportSlopeNegative : kReportSlopePositive);
  lines.push_back(Format(kReportThreshold, t.thresholdPct));
  lines.emplace_back(t.delayType ? kReportPostTrigger : kReportPreTrigger);
  // "%3.1f", with '.' whatever the locale.
  lines.push_back(std::string(kReportTriggerDelayPrefix) + FormatFixed(t.delayMsec, 3, 1) +
                  kReportTriggerDelaySuffix);
}

}  // namespace

std::vector<std::string> ConfigurationReportLines(const TAnalyzerSettings& s,
                                                  const TReportContext& context) {
  std::vector<std::string> lines;
  lines.emplace_back(ModeLine(s.opMode));
  if (!context.waveFilePath.empty()) {
    lines.push_back(Format(kReportWaveFile, context.waveFilePath.c_str()));
  }

  lines.emplace_back(kReportProcessingHeading);
  for (std::string& line : ProcessingReportLines(s.processing)) lines.push_back(std::move(line));
  lines.emplace_back(kReportScalingHeading);
  for (std::string& line : ScalingReportLines(s.scaling, s.processing.format.channels)) {
    lines.push_back(std::move(line));
  }

  AddTriggerLines(s.trigger, lines);

  if (s.calibration.enabled) {
    lines.push_back(Format(kReportCalibrationFile, FieldText(s.calibration.fileName).c_str()));
  } else {
    lines.emplace_back(kReportCalibrationDisabled);
  }
  lines.push_back(context.inputDeviceName.empty()
                      ? std::string(kReportInputDeviceNone)
                      : Format(kReportInputDevice, context.inputDeviceName.c_str()));
  lines.push_back(context.outputDeviceName.empty()
                      ? std::string(kReportOutputDeviceNone)
                      : Format(kReportOutputDevice, context.outputDeviceName.c_str()));

  lines.emplace_back(kReportActiveViews);
  for (size_t i = 0; i < kReportViewCount; ++i) {
    if (s.viewStatus.open[i]) lines.emplace_back(kReportViews[i]);
  }
  lines.emplace_back(kReportActiveUtilities);
  for (const ReportUtility& utility : kReportUtilities) {
    if (s.viewStatus.open[utility.window]) lines.emplace_back(utility.text);
  }
  if (s.viewStatus.open[kSignalGeneratorWindow]) {
    lines.push_back(Format(kReportSignalGenerator, context.generatorSignalName.c_str()));
  }
  return lines;
}

}  // namespace orvanix
