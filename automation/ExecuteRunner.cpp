// The run, mode and settings commands.
#include "automation/ExecuteRunner.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "acquisition/RunLoop.h"
#include "app/core/AnalyzerCore.h"
#include "automation/ExecuteCommands.h"
#include "automation/ItemAnswers.h"
#include "engine/ProcessingSettings.h"
#include "files/Configuration.h"
#include "files/WaveFile.h"

namespace orvanix {

namespace {

constexpr ExecuteResult kDone = ExecuteResult::Processed;
constexpr ExecuteResult kRefused = ExecuteResult::NotProcessed;

// The channel-processing names of "[Set Channel" and their modes.
struct TChannelName {
  std::string_view name;
  uint16_t mode;
};
constexpr TChannelName kChannelNames[] = {
    {"Left", kLeftOnly},
    {"Right", kRightOnly},
    {"Both", kBothChannels},
    {"Average", kAverageChannels},
    {"Coherence", kCoherence},
    {"Transfer LR", kRealTransferLR},
    {"Transfer RL", kRealTransferRL},
    {"Transfer LR+C", kTransferAndCoherenceLR},
    {"Transfer RL+C", kTransferAndCoherenceRL},
};

int32_t Clamp(int64_t value, int32_t low, int32_t high) {
  return static_cast<int32_t>(std::clamp<int64_t>(value, low, high));
}

}  // namespace

TExecuteRunner::TExecuteRunner(TAnalyzerCore& core, TItemAnswers& items)
    : core_(core), items_(items) {}

ExecuteResult TExecuteRunner::Execute(std::string_view text) {
  const std::optional<TExecuteMatch> match = MatchExecuteCommand(text);
  if (!match) return kRefused;
  return Run(match->id, match->argument);
}

ExecuteResult TExecuteRunner::Run(int32_t id, const std::string& argument) {
  switch (id) {
    case kExRun:
      core_.SetBlockLimit(false, 0);
      if (core_.Mode() != kModeRecorder) core_.Execute(kCmdRun);
      return kDone;
    case kExRunCount: {
      const int64_t n = LeadingInteger(argument);
      if (n < 1) {
        core_.SetBlockLimit(false, 0);
        return kRefused;
      }
      // The run loop stops once its count passes the limit.
      core_.SetBlockLimit(true, static_cast<uint64_t>(n) - 1);
      if (core_.Mode() != kModeRecorder) core_.Execute(kCmdRun);
      return kDone;
    }
    case kExSingleStep:
      core_.Execute(kCmdSingleStep);
      return kDone;
    case kExStop:
      core_.Execute(kCmdStop);
      return kDone;
    case kExRewind:
      core_.Execute(kCmdRewind);
      return kDone;
    case kExFastForward:
      // The transport's fast forward: to the end of the document.
      if (core_.Document() && core_.Mode() != kModeRealTime && !core_.IsRunning()) {
        core_.SeekTo(core_.Document()->LengthSeconds());
      }
      return kDone;
    case kExRecord:
      if (core_.Mode() == kModeRecorder) core_.Execute(kCmdRun);
      return kDone;
    case kExPlay:
      core_.Execute(kCmdPlayDocument);
      return kDone;
    case kExGoTo: {
      const double t = LeadingReal(argument);
      if (t < 0 || !core_.Document()) return kRefused;
      core_.SeekTo(t);
      return kDone;
    }
    case kExResetAverage:
      core_.Execute(kCmdClearAllViews);
      return kDone;
    case kExTrigger:
      core_.ForceTrigger();
      return kDone;
    case kExResetOverload:
      core_.RunLoop().ResetOverload();
      return kDone;
    case kExModeRealTime:
      core_.Execute(kCmdModeRealTime);
      return kDone;
    case kExModeRecorder:
      core_.Execute(kCmdModeRecorder);
      return kDone;
    case kExModePostProcessing:
      core_.Execute(kCmdModePostProcess);
      return kDone;
    default:
      return Settings(id, argument);
  }
}

ExecuteResult TExecuteRunner::Settings(int32_t id, const std::string& argument) {
  auto change = [this](auto&& edit) {
    core_.ChangeSettings([&](TAnalyzerSettings& s) { edit(s); }, SettingsOrigin::Outside);
    return kDone;
  };
  const int64_t n = LeadingInteger(argument);
  if (id >= kExWindowBartlett && id <= kExWindowUniform) {
    return change([id](TAnalyzerSettings& s) {
      s.processing.smoothingWindow = static_cast<uint16_t>(id - kExWindowBartlett);
    });
  }
  switch (id) {
    case kExPeakHoldOn:
    case kExEnablePeakHold:
      return change([](TAnalyzerSettings& s) { s.processing.peakHold = 1; });
    case kExPeakHoldOff:
    case kExDisablePeakHold:
      return change([](TAnalyzerSettings& s) { s.processing.peakHold = 0; });
    case kExAverageSize:
    case kExSetAverageSize: {
      const int32_t blocks = n > 1000 ? kInfiniteAverages : Clamp(n, 0, 1000);
      return change([blocks](TAnalyzerSettings& s) { s.processing.averageBlocks = blocks; });
    }
    case kExSetAverageType: {
      const uint16_t type = argument == "Linear"   ? kAverageLinear
                            : argument == "Vector" ? kAverageVector
                                                   : kAverageExponential;
      return change([type](TAnalyzerSettings& s) { s.processing.averageType = type; });
    }
    case kExSetChannel: {
      const TChannelName* found = nullptr;
      for (const TChannelName& name : kChannelNames) {
        if (argument == name.name) found = &name;
      }
      if (!found) return kDone;
      const bool free = !core_.Document() || core_.Mode() == kModeRealTime;
      const bool stereoFile = core_.Document() && core_.Settings().processing.format.channels == 2;
      if (!free && !stereoFile) return kDone;
      const uint16_t mode = found->mode;
      return change([mode, free](TAnalyzerSettings& s) {
        ProcessingSettings& p = s.processing;
        if (free) {
          p.format.Set(mode == kLeftOnly ? 1 : 2, static_cast<int>(p.format.sampleRate),
                       p.format.bytesPerSample);
        }
        p.channelProcessing = mode;
      });
    }
    case kExFftOverlap:
    case kExSetFftOverlap: {
      const uint16_t overlap = static_cast<uint16_t>(Clamp(n, 0, 99));
      return change([overlap](TAnalyzerSettings& s) { s.processing.overlapPercent = overlap; });
    }
    case kExFftSize:
    case kExSetFftSize: {
      if (n < kMinFftSize || n > kMaxFftSize || !IsValidFftSize(static_cast<int32_t>(n))) {
        return kRefused;
      }
      return change([n](TAnalyzerSettings& s) { s.processing.fftSize = static_cast<int32_t>(n); });
    }
    case kExSetSamplingRate: {
      const ProcessingSettings& p = core_.Settings().processing;
      if (n == static_cast<int64_t>(p.format.sampleRate)) return kDone;
      if (n < 1000 || n > 1000000) return kRefused;
      if (core_.Document() && core_.Mode() != kModeRealTime) return kRefused;
      return change([n](TAnalyzerSettings& s) {
        s.processing.format.Set(s.processing.format.channels, static_cast<int>(n),
                                s.processing.format.bytesPerSample);
      });
    }
    case kExSetDecimationRatio:
      if (n < 1 || n > kMaxDecimationRatio) return kRefused;
      return change(
          [n](TAnalyzerSettings& s) { s.processing.decimationRatio = static_cast<uint16_t>(n); });
    case kExSetDelay: {
      const double ms = std::clamp(LeadingReal(argument), -1000.0, 1000.0);
      return change([ms](TAnalyzerSettings& s) {
        s.processing.delayChannel = ms >= 0 ? 1 : 0;
        s.processing.delayTimeMsec = static_cast<float>(std::fabs(ms));
      });
    }
    case kExMarker1:
    case kExMarker2:
    case kExMarker3:
    case kExMarker4:
    case kExMarker5:
    case kExMarker6: {
      const double f = LeadingReal(argument);
      const double nyquist = core_.Settings().processing.format.sampleRate / 2.0;
      if (!(f > 0 && f < nyquist)) return kDone;
      const size_t marker = static_cast<size_t>(id - kExMarker1);
      return change(
          [f, marker](TAnalyzerSettings& s) { s.markers.freqHz[marker] = static_cast<float>(f); });
    }
    case kExSetAmplitudeScaling:
      return change([&](TAnalyzerSettings& s) { s.scaling.ampScale = argument == "Log" ? 1 : 0; });
    case kExSetFrequencyScaling:
      return change([&](TAnalyzerSettings& s) {
        s.scaling.freqScale = argument == "Log" ? 1 : argument == "Octave" ? 2 : 0;
      });
    case kExSetOctave: {
      static constexpr int64_t kOctaves[] = {1, 3, 6, 9, 12, 24, 48, 96};
      if (std::find(std::begin(kOctaves), std::end(kOctaves), n) == std::end(kOctaves)) {
        return kDone;
      }
      return change(
          [n](TAnalyzerSettings& s) { s.scaling.octaveNumber = static_cast<uint16_t>(n); });
    }
    case kExSetSpectrumWeighting: {
      static constexpr std::string_view kWeightings[] = {"Flat", "A", "B", "C"};
      for (uint16_t w = 0; w < 4; ++w) {
        if (argument == kWeightings[w]) {
          return change([w](TAnalyzerSettings& s) { s.scaling.weighting = w; });
        }
      }
      return kDone;
    }
    case kExSetPsdType:
      if (argument != "0" && argument != "1") return kDone;
      return change(
          [&](TAnalyzerSettings& s) { s.scaling.spectralDensityType = argument == "1" ? 1 : 0; });
    case kExEnablePsd:
    case kExDisablePsd:
      return change([id](TAnalyzerSettings& s) { s.scaling.spectralDensity = id == kExEnablePsd; });
    case kExSetMicFile:
    case kExSetLeftMicFile:
    case kExSetRightMicFile:
      return change([&](TAnalyzerSettings& s) {
        if (id != kExSetRightMicFile) s.scaling.micFileLeft = argument.substr(0, kPathLength);
        if (id != kExSetLeftMicFile) s.scaling.micFileRight = argument.substr(0, kPathLength);
      });
    case kExEnableMic:
    case kExDisableMic:
      return change([id](TAnalyzerSettings& s) { s.scaling.micCompensation = id == kExEnableMic; });
    case kExMicEnableNoRestart:
    case kExMicDisableNoRestart: {
      core_.Stop();
      TAnalyzerSettings s = core_.Settings();
      s.scaling.micCompensation = id == kExMicEnableNoRestart;
      core_.ApplySettings(s, SettingsOrigin::Dialog);
      return kDone;
    }
    case kExTriggerOn:
    case kExTriggerOff:
      return change([id](TAnalyzerSettings& s) { s.trigger.enable = id == kExTriggerOn; });
    case kExTriggerReArmOn:
    case kExTriggerReArmOff:
      return change([id](TAnalyzerSettings& s) { s.trigger.autoReset = id == kExTriggerReArmOn; });
    case kExTriggerThreshold:
      return change([n](TAnalyzerSettings& s) { s.trigger.thresholdPct = Clamp(n, 0, 100); });
    default:
      return Files(id, argument);
  }
}

}  // namespace orvanix
