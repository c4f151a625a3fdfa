// The utilities module's reverberation time: the measurement on the configured devices, the
// decays it leaves, their options, .rvb files and the clipboard text.
#include <algorithm>
#include <cstdio>

#include "acquisition/LoopbackDevice.h"
#include "engine/Messages.h"
#include "files/Configuration.h"
#include "files/Profile.h"
#include "utilities/UtilitiesModule.h"

namespace orvanix {

namespace {

constexpr const char* kReverbSection = "ReverbOpts";
// Beyond the design's keys: how many excitations a measurement averages.
constexpr const char* kReverbExcitationsKey = "Excitations";

void AppendLine(std::string& text, const char* format, double a, double b) {
  char line[96];
  std::snprintf(line, sizeof line, format, a, b);
  text += line;
}

}  // namespace

bool TUtilitiesModule::StartReverb() {
  if (measurement_.Running()) return false;
  Core().Stop();
  const TAnalyzerSettings& s = Core().Settings();
  TReverbRequest request;
  request.inputDeviceId = s.devices.inputDeviceId;
  request.outputDeviceId = s.devices.outputDeviceId;
  request.maxDecaySecs = std::clamp(s.reverb.maxDecayTime, 1, 30);
  request.smoothing = s.reverb.smoothingMethod;
  request.extrapolation = s.reverb.extrapolationMethod;
  request.excitations = reverbExcitations_;
  // The previous results go as the measurement starts: a cancelled one leaves no data.
  reverb_ = TReverbData{};
  averagedT60_.clear();
  reverbChanged_ = false;
  reverbFile_.clear();
  measurement_.SetProgressHandler([this](int percent, const std::string& stage, double db) {
    if (reverbProgress_) reverbProgress_(percent, stage, db);
  });
  measurement_.SetFinishedHandler([this](const TReverbResult& r) { ReverbFinished(r); });
  return measurement_.Start(request);
}

void TUtilitiesModule::CancelReverb() {
  measurement_.Cancel();
}

void TUtilitiesModule::ReverbFinished(const TReverbResult& result) {
  if (result.outcome == ReverbOutcome::Measured) {
    reverb_ = result.data;
    reverbChanged_ = true;
    averagedT60_.clear();
    if (result.decays.size() > 1) {
      std::vector<const TReverbData*> decays;
      for (const TReverbData& d : result.decays) decays.push_back(&d);
      averagedT60_ = AveragedDecayTimes(decays, 30.0);
    }
    const int32_t maxDecay = result.timing.maxDecay;
    Core().ChangeSettings(
        [maxDecay](TAnalyzerSettings& s) { s.reverb.displayedDecayTime = maxDecay; },
        SettingsOrigin::Outside);
  }
  // Told once the devices are closed and the measurement is idle.
  if (!result.message.empty()) ReportError(result.message, MessageIcon::Warning);
  if (reverbFinished_) reverbFinished_(result.outcome);
}

bool TUtilitiesModule::SaveReverb(const std::string& path) {
  if (!reverb_.HasData()) return false;
  const std::string error = reverb_.Save(path);
  if (!error.empty()) {
    ReportError(error);
    return false;
  }
  reverbChanged_ = false;
  reverbFile_ = path;
  return true;
}

bool TUtilitiesModule::LoadReverb(const std::string& path) {
  reverb_ = TReverbData{};
  averagedT60_.clear();
  reverbChanged_ = false;
  reverbFile_.clear();
  TReverbData loaded;
  const std::string error = loaded.Load(path);
  if (!error.empty()) {
    ReportError(error);
    return false;
  }
  const TReverbOptions& o = Core().Settings().reverb;
  loaded.Smooth(o.smoothingMethod, o.extrapolationMethod);
  reverb_ = std::move(loaded);
  reverbFile_ = path;
  const int32_t maxDecay = reverb_.MaxDecay();
  Core().ChangeSettings(
      [maxDecay](TAnalyzerSettings& s) { s.reverb.displayedDecayTime = maxDecay; },
      SettingsOrigin::Outside);
  return true;
}

void TUtilitiesModule::SetReverbOptions(const TReverbOptions& options) {
  Core().ChangeSettings([&options](TAnalyzerSettings& s) { s.reverb = options; },
                        SettingsOrigin::Outside);
  if (reverb_.HasData()) reverb_.Smooth(options.smoothingMethod, options.extrapolationMethod);
}

void TUtilitiesModule::SetReverbExcitations(int count) {
  reverbExcitations_ = std::clamp(count, 1, 16);
}

std::string TUtilitiesModule::ReverbText(int view) const {
  std::string text;
  if (!reverb_.HasData()) return text;
  const TReverbOptions& o = Core().Settings().reverb;
  const uint32_t bands = reverb_.BandCount();
  const auto& frames = reverb_.Frames();
  if (view == 1) {
    const int rt = std::clamp(o.displayedRtTime, 0, 5);
    for (uint32_t b = 0; b < bands; ++b) {
      const TBandDecayTimes& t = reverb_.DecayTimes()[b];
      if (frames[0].frequency[b] == kReverbWideband) {
        AppendLine(text, "Wideband\t%f\r\n", t.seconds[rt], 0);
      } else {
        AppendLine(text, "%f\t%f\r\n", frames[0].frequency[b], t.seconds[rt]);
      }
    }
  } else if (view == 2) {
    const uint32_t band = static_cast<uint32_t>(
        std::clamp<int32_t>(o.displayedDecayBand, 0, static_cast<int32_t>(bands) - 1));
    for (uint32_t k = 0; k < reverb_.FrameCount(); ++k) {
      AppendLine(text, "%f\t%f\r\n", frames[k].time, frames[k].smoothed[band]);
    }
  } else if (view == 3) {
    for (uint32_t k = 0; k < reverb_.FrameCount(); ++k) {
      AppendLine(text, "%f\t", frames[k].time, 0);
      for (uint32_t b = 0; b < bands; ++b) AppendLine(text, "%f\t", frames[k].smoothed[b], 0);
      text += "\r\n";
    }
  }
  return text;
}

void TUtilitiesModule::LoadReverbSettings(const TProfile& program) {
  SetReverbExcitations(program.GetInt(kReverbSection, kReverbExcitationsKey, 1));
  // The Loopback's room (and delay, gain, noise) as the settings file describes it, so that
  // the measurement runs without hardware from the window too.
  if (!program.HasSection(kLoopbackSection)) return;
  TLoopbackSettings loopback = TLoopbackDevice::Instance().Settings();
  loopback.delayChannel = static_cast<uint32_t>(
      program.GetInt(kLoopbackSection, kLoopbackKeyDelayChannel, int32_t(loopback.delayChannel)));
  loopback.delaySamples =
      static_cast<uint32_t>(std::max(0, program.GetInt(kLoopbackSection, kLoopbackKeyDelaySamples,
                                                       int32_t(loopback.delaySamples))));
  loopback.gain = program.GetFloat(kLoopbackSection, kLoopbackKeyGain, loopback.gain);
  loopback.noiseLevel =
      program.GetFloat(kLoopbackSection, kLoopbackKeyNoiseLevel, loopback.noiseLevel);
  loopback.impulseLeft =
      program.GetString(kLoopbackSection, kLoopbackKeyImpulseLeft, loopback.impulseLeft);
  loopback.impulseRight =
      program.GetString(kLoopbackSection, kLoopbackKeyImpulseRight, loopback.impulseRight);
  std::string error;
  if (!TLoopbackDevice::Instance().SetSettings(loopback, &error)) ReportError(error);
}

void TUtilitiesModule::SaveReverbSettings(TProfile& program) const {
  program.WriteInt(kReverbSection, kReverbExcitationsKey, reverbExcitations_);
}

}  // namespace orvanix
