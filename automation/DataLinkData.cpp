// What the links deliver: samples of a plain link, the RPM and the spectra of a multi-link,
// the analyzer configured for them, and the RPM traces read back for the views.
#include <algorithm>
#include <cmath>

#include "app/core/AnalyzerCore.h"
#include "automation/AutomationTexts.h"
#include "automation/DataLinks.h"
#include "engine/Calibration.h"
#include "engine/Messages.h"
#include "engine/ProcessingStep.h"
#include "files/Configuration.h"

namespace orvanix {

bool TDataLinks::Busy() const {
  return core_.IsRunning() || core_.Mode() != kModeRealTime;
}

void TDataLinks::AdviseData(int index, const std::string& text) {
  if (!multi_) {
    if (phase_ != Phase::Active) return;
    if (Busy()) {
      ++busyDrops_;
      return;
    }
    std::string error;
    samples_(text, error);
    if (!error.empty()) Fail(Format(kLinkEndedSamples, plain_.server.c_str(), error.c_str()));
    return;
  }
  if (index == 0) {
    // The RPM counts from the moment its link stands, before the channels are linked.
    if (const std::optional<double> rpm = ParseLinkReal(text)) lastRpm_ = *rpm;
    return;
  }
  if (phase_ != Phase::Active || !frequencyData_) return;
  if (Busy()) {
    ++busyDrops_;
    return;
  }
  SpectrumData(index - 1, text);
}

void TDataLinks::SpectrumData(int channel, const std::string& text) {
  TEngineObjects& engine = core_.EngineForAnalysis();
  TSpectralData* spectrum = channel == 0 ? engine.left.get() : engine.right.get();
  // Two channels linked but the analyzer has no right spectrum: refused.
  if (!spectrum || spectrum->Error()) return;
  std::vector<float> lines = ParseSpectrumText(text, spectrum->BinCount());
  spectrum->LoadLineValues(lines.data(), static_cast<uint32_t>(lines.size()));
  if (orderTracking_) {
    traces_.Store(channel, TraceRpm(sweep_, lastRpm_, traces_.Count()), std::move(lines));
  }
  const bool complete = channel + 1 == config_.channels;
  if (!complete) return;
  ++setsTaken_;
  if (orderTracking_) {
    // The RPM the set was stored with (a set beyond the last trace has its own).
    linkTimeSecs_ = TraceTime(TraceRpm(sweep_, lastRpm_, traces_.Count()));
    traces_.Complete();
    core_.SetLinkedData(this);
  } else {
    const double rate = engine.settings.format.sampleRate;
    linkTimeSecs_ += rate > 0 ? engine.settings.fftSize / rate : 0;
  }
  core_.SpectraComputed(linkTimeSecs_);
  SetTaken();
}

void TDataLinks::ConfigureAnalyzer() {
  if (core_.IsRunning() || core_.Mode() != kModeRealTime || !core_.Engine().seriesLeft) return;
  // A wave file kept open in Real-Time mode goes first (offered for saving when changed);
  // cancelled, the analyzer keeps its settings.
  if (core_.HasDocument() && !core_.CloseDocument()) return;
  const int channels = config_.channels;
  const TLinkedBlock block = block_;
  const bool tracking = orderTracking_;
  const std::string yLabel = yLabel_, yUnits = tracking ? std::string() : yUnits_;
  core_.ChangeSettings(
      [&](TAnalyzerSettings& s) {
        if (s.scaling.freqScale == 2) s.scaling.freqScale = 0;
        s.scaling.ampScale = 0;
        ProcessingSettings& p = s.processing;
        p.fftSize = LinkedFftSize(block.blockLength);
        p.format.Set(static_cast<uint32_t>(channels), block.sampleRateHz, 2);
        p.decimationRatio = 1;
        p.averageBlocks = 1;
        p.averageType = kAverageLinear;
        p.peakHold = 0;
        p.smoothingWindow = 4;  // Hanning
        p.channelProcessing = channels == 2 ? kBothChannels : kLeftOnly;
        p.UpdateDerived();
        TCalibration& c = s.calibration;
        c.enabled = 1;
        c.refLevel = 1.0f;
        // The spectra arrive in their own unit: no unit's dB offset or conversion applies.
        c.refUnits = kUnitCustom;
        c.conversionType = 0;
        c.integrationType = 0;
        c.calRatioLeft = c.calRatioRight = 1.0f;
        c.pctFullScaleLeft = c.pctFullScaleRight = 1.0f;
        const bool units = !yUnits.empty();
        SetField(c.labelLinear, units ? Format("%s (%s)", yLabel.c_str(), yUnits.c_str())
                                      : Format("%s", yLabel.c_str()));
        SetField(c.labelLog, units ? Format("%s (%s dB)", yLabel.c_str(), yUnits.c_str())
                                   : Format("%s (dB)", yLabel.c_str()));
      },
      SettingsOrigin::Outside);
}

bool TDataLinks::LoadTrace(size_t index, TSpectralData* left, TSpectralData* right) const {
  const TRpmTrace* first = traces_.Trace(0, index);
  if (!first) return false;
  if (left) left->LoadLineValues(first->amplitudes.data(), uint32_t(first->amplitudes.size()));
  if (right && config_.channels == 2) {
    if (const TRpmTrace* second = traces_.Trace(1, index)) {
      right->LoadLineValues(second->amplitudes.data(), uint32_t(second->amplitudes.size()));
    }
  }
  return true;
}

bool TDataLinks::ShowNearestTrace(double rpm) {
  const std::optional<size_t> index = traces_.Nearest(rpm);
  if (!index || Busy()) return false;
  TEngineObjects& engine = core_.EngineForAnalysis();
  if (!LoadTrace(*index, engine.left.get(), engine.right.get())) return false;
  const TRpmTrace* trace = traces_.Trace(0, *index);
  lastShown_ = Format(kLinkTraceDiagnostic, trace->rpm, static_cast<int>(*index));
  core_.SpectraComputed(linkTimeSecs_);
  return true;
}

bool TDataLinks::BuildTrack(double frequencyHz, TRpmTrack& track) {
  trackFrequency_ = frequencyHz;
  if (!orderTracking_) return false;
  const TSpectralData* left = core_.Engine().left.get();
  if (!left || left->Error()) return false;
  return BuildRpmTrack(traces_, sweep_, left->FrequencyBin(static_cast<float>(frequencyHz)),
                       config_.channels, track);
}

}  // namespace orvanix
