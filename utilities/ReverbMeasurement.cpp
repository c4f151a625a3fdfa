#include "utilities/ReverbMeasurement.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <span>

#include "acquisition/SoundInput.h"
#include "acquisition/SoundOutput.h"
#include "generator/NoiseResource.h"

namespace orvanix {

namespace {

constexpr int kTickMsec = 100;
// The input keeps recording this long after the playback has finished: the last decay
// frame reaches 0.13 s past the end of the excitation, and a real device's output latency
// comes on top.
constexpr int kLingerTicks = 4;
constexpr int kMostExcitations = 16;

bool AnyBandDecayed(const TReverbData& data) {
  for (uint32_t b = 0; b < data.BandCount(); ++b) {
    if (data.DecayTimes()[b].notMeasured[0] == 0) return true;
  }
  return false;
}

}  // namespace

TReverbMeasurement::TReverbMeasurement() {
  timer_.setInterval(kTickMsec);
  QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
}

TReverbMeasurement::~TReverbMeasurement() {
  timer_.stop();
  CloseDevices();
}

void TReverbMeasurement::Report(int percent, const std::string& stage, double levelDb) {
  if (progress_) progress_(std::clamp(percent, 0, 100), stage, levelDb);
}

bool TReverbMeasurement::Start(const TReverbRequest& request) {
  if (running_) return false;
  request_ = request;
  request_.excitations = std::clamp(request_.excitations, 1, kMostExcitations);
  result_ = TReverbResult{};
  result_.timing = TReverbTiming::For(request_.maxDecaySecs);
  running_ = true;
  cancel_ = false;
  excitationIndex_ = 0;
  if (pink_.empty()) {
    TNoiseResources resources;
    if (LoadNoiseResources(resources)) {
      const auto& s = resources.pink.Samples();
      pink_.assign(s.begin(), s.begin() + resources.pink.LoopLength());
    }
  }
  if (pink_.empty()) {
    Finish(ReverbOutcome::Memory, kReverbNoPinkNoise);
    return false;
  }
  return StartExcitation();
}

bool TReverbMeasurement::StartExcitation() {
  const TReverbTiming& timing = result_.timing;
  // Each excitation plays another stretch of the noise, so that averaging also averages the
  // excitation's own fluctuation.
  const size_t offset = pink_.size() * excitationIndex_ / request_.excitations;
  excitation_ = BuildExcitation(timing, pink_, offset);
  recording_.assign(excitation_.size(), 0);
  input_ = std::make_unique<TSoundInput>(request_.inputDeviceId);
  output_ = std::make_unique<TSoundOutput>(request_.outputDeviceId);
  if (!input_->HasDevice() || !output_->HasDevice() || !input_->IsDuplex() ||
      !output_->IsDuplex()) {
    Finish(ReverbOutcome::NoDuplex, kReverbNoDuplex);
    return false;
  }
  input_->SetFormat(kReverbRateHz, 1, 2);
  output_->SetFormat(kReverbRateHz, 1, 2);
  // Open tells the user why a device refused: nothing more to say here.
  if (!input_->Open() || !output_->Open()) {
    Finish(ReverbOutcome::DeviceFailed, {});
    return false;
  }
  const uint32_t bytes = static_cast<uint32_t>(excitation_.size() * sizeof(int16_t));
  if (!input_->AddBuffer(recording_.data(), bytes, 0) ||
      !output_->Write(excitation_.data(), bytes, 0) || !input_->Start() || !output_->Restart()) {
    Finish(ReverbOutcome::DeviceFailed, {});
    return false;
  }
  lingerTicks_ = 0;
  pollTicks_ = 0;
  Report(100 * excitationIndex_ / request_.excitations, kReverbAcquiring);
  timer_.start();
  return true;
}

void TReverbMeasurement::Poll() {
  if (!running_) return;
  ++pollTicks_;
  const TReverbTiming& timing = result_.timing;
  // A port closes itself when its device fails (and says so).
  if (!input_ || !output_ || !input_->IsOpen() || !output_->IsOpen()) {
    Finish(ReverbOutcome::DeviceFailed, kReverbDeviceStopped);
    return;
  }
  const uint64_t recorded = std::min<uint64_t>(input_->Position(), recording_.size());
  double levelDb = -999.0;
  if (recorded > 2048) {
    int32_t peak = 0;
    for (uint64_t i = recorded - 2048; i < recorded; ++i) {
      peak = std::max(peak, std::abs(int32_t{recording_[i]}));
    }
    levelDb = peak > 0 ? 20.0 * std::log10(peak / 32767.0) : -999.0;
  }
  const double seconds = double(recorded) / kReverbRateHz;
  const double done =
      (excitationIndex_ + std::min(1.0, seconds / timing.total)) / request_.excitations;
  Report(static_cast<int>(done * 100.0), kReverbAcquiring, levelDb);
  const bool played = output_->IsStarted() && output_->AllDone();
  if (played || recorded >= recording_.size()) ++lingerTicks_;
  if (lingerTicks_ >= kLingerTicks || recorded >= recording_.size()) {
    timer_.stop();
    AnalyseExcitation();
    return;
  }
  // A device that stops delivering without failing: given up after the excitation's length
  // and ten seconds more.
  if (pollTicks_ > static_cast<int>((1.1 * timing.total + 10.0) * 1000 / kTickMsec)) {
    Finish(ReverbOutcome::DeviceFailed, kReverbDeviceStopped);
  }
}

void TReverbMeasurement::CloseDevices() {
  if (output_) output_->Close();
  if (input_) input_->Close();
  output_.reset();
  input_.reset();
}

void TReverbMeasurement::AnalyseExcitation() {
  const size_t recorded =
      input_ ? std::min<size_t>(input_->Position(), recording_.size()) : recording_.size();
  CloseDevices();
  if (cancel_) return;
  // The acquisition took this excitation's share of the gauge; the analysis ends it.
  const int base = 100 * (excitationIndex_ + 1) / request_.excitations;
  Report(base, kReverbSyncing);
  TReverbData data;
  const ReverbLevel level =
      AnalyseRecording(std::span<const int16_t>(recording_.data(), recorded), result_.timing,
                       request_.smoothing, request_.extrapolation, data);
  Report(base, kReverbAnalysing);
  if (level == ReverbLevel::Clipping) {
    Finish(ReverbOutcome::Clipping, kReverbClipping);
    return;
  }
  if (level == ReverbLevel::TooLow) {
    Finish(ReverbOutcome::TooLow, kReverbTooLow);
    return;
  }
  if (!AnyBandDecayed(data)) {
    Finish(ReverbOutcome::NoDecay, kReverbNoDecay);
    return;
  }
  result_.decays.push_back(std::move(data));
  ++excitationIndex_;
  if (excitationIndex_ < request_.excitations) {
    StartExcitation();
    return;
  }
  if (result_.decays.size() == 1) {
    result_.data = result_.decays[0];
  } else {
    std::vector<const TReverbData*> decays;
    for (const TReverbData& d : result_.decays) decays.push_back(&d);
    AverageDecays(decays, request_.smoothing, request_.extrapolation, result_.data);
  }
  Report(100, kReverbAnalysing);
  Finish(ReverbOutcome::Measured, {});
}

void TReverbMeasurement::Cancel() {
  if (!running_) return;
  cancel_ = true;
  Finish(ReverbOutcome::Cancelled, {});
}

void TReverbMeasurement::Finish(ReverbOutcome outcome, const std::string& message) {
  timer_.stop();
  CloseDevices();
  running_ = false;
  result_.outcome = outcome;
  result_.message = message;
  if (outcome != ReverbOutcome::Measured) {
    result_.decays.clear();
    result_.data = TReverbData{};
  }
  excitation_ = {};
  recording_ = {};
  const TReverbResult result = std::move(result_);
  result_ = TReverbResult{};
  // The handler may start a new measurement: everything here is settled first.
  if (finished_) finished_(result);
}

}  // namespace orvanix
