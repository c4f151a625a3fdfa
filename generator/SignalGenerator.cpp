#include "generator/SignalGenerator.h"

#include <algorithm>

#include "acquisition/PortAudioHost.h"
#include "acquisition/RunLoopTypes.h"
#include "acquisition/SoundOutput.h"
#include "app/core/AnalyzerCore.h"
#include "engine/Messages.h"
#include "files/Configuration.h"
#include "files/WaveData.h"
#include "generator/GeneratorTexts.h"
#include "generator/SignalBuilder.h"
#include "generator/SignalFile.h"
#include "generator/SignalTypes.h"

namespace orvanix {

TSignalGenerator::TSignalGenerator(TAnalyzerCore& core, const TGeneratorSettings& settings)
    : core_(core), settings_(settings), deviceId_(core.Settings().devices.outputDeviceId) {
  if (!LoadNoiseResources(noise_)) {
    Messages().Report(gentext::kResourcesFailed, gentext::kWindowTitle, MessageIcon::Error);
  }
}

TSignalGenerator::~TSignalGenerator() {
  if (output_) output_->Close();
}

WaveFormat TSignalGenerator::AnalyzerFormat() const {
  return core_.Settings().processing.format;
}

bool TSignalGenerator::Stereo() const {
  return AnalyzerFormat().channels == 2;
}

long TSignalGenerator::Nyquist() const {
  const uint32_t rate = built_ ? format_.sampleRate : AnalyzerFormat().sampleRate;
  return static_cast<long>(rate / 2);
}

bool TSignalGenerator::NeedsRebuild() const {
  return !built_ || !(AnalyzerFormat() == builtFrom_) ||
         deviceId_ != core_.Settings().devices.outputDeviceId;
}

void TSignalGenerator::SetSettings(const TGeneratorSettings& settings) {
  const bool wasPlaying = playing_;
  Stop();
  settings_ = settings;
  if (BuildSignal() && wasPlaying) Start();
}

bool TSignalGenerator::BuildSignal(bool stopAnalyzer) {
  const RunState state = core_.State();
  const bool wasRunning = stopAnalyzer && core_.IsRunning();
  if (wasRunning) core_.Stop();
  if (busy_) busy_(true);
  core_.ShowTransientTitle(gentext::kBuilding);
  Stop();
  buffer_.reset();

  TBuildRequest request;
  request.settings = &settings_;
  request.analyzerFormat = AnalyzerFormat();
  request.noise = &noise_;
  TBuildResult result = BuildSignalBuffer(request);
  buffer_ = std::move(result.buffer);
  format_ = result.format;
  builtFrom_ = request.analyzerFormat;
  built_ = true;
  if (output_) output_->SetFormat(format_.sampleRate, format_.channels, format_.bytesPerSample);

  core_.ShowTransientTitle({});
  if (busy_) busy_(false);
  for (const std::string& message : result.messages) ReportError(message);
  if (wasRunning) {
    if (state == kStatePlaying) {
      core_.Play();
    } else {
      core_.Start();
    }
  }
  Changed();
  return buffer_ != nullptr;
}

void TSignalGenerator::CreateOutput(int deviceId) {
  deviceId_ = deviceId;
  output_ =
      std::make_unique<TSoundOutput>(TSoundPort::ClampDeviceId(TSoundDirection::Output, deviceId));
  outputSession_ = TPortAudioHost::Instance().Session();
  output_->SetFormat(format_.sampleRate, format_.channels, format_.bytesPerSample);
  SetVolume(volume_);
}

bool TSignalGenerator::Start() {
  if (playing_) Stop();
  if (NeedsRebuild()) {
    // Called from the run loop's start too: build without stopping the analyzer.
    if (deviceId_ != core_.Settings().devices.outputDeviceId) output_.reset();
    deviceId_ = core_.Settings().devices.outputDeviceId;
    BuildSignal(false);
  }
  if (!buffer_) return false;
  // The output object is made when first needed: building and saving never start the audio
  // system.
  // Devices looked for again since the output was made may have moved to other numbers.
  if (output_ && outputSession_ != TPortAudioHost::Instance().Session()) output_.reset();
  if (!output_) CreateOutput(deviceId_);
  if (!output_->HasDevice()) {
    ReportError(kMsgNoSoundCards);
    return false;
  }
  if (!output_->Open([this] { OnBuffersDone(); })) return false;  // the port said why
  const bool once = PlaysOnce(settings_.left);
  const uint32_t bytes = buffer_->CapacityFrames() * buffer_->BlockAlign();
  if (!output_->Write(buffer_->Memory(), bytes, 0, once ? 0 : TSoundOutput::kWriteLoop) ||
      !output_->Restart()) {
    output_->Close();
    return false;
  }
  playing_ = true;
  Changed();
  return true;
}

void TSignalGenerator::Stop() {
  if (output_) output_->Close();
  if (!playing_) return;
  playing_ = false;
  Changed();
}

void TSignalGenerator::StartOutput() {
  if (!playing_) Start();
}

void TSignalGenerator::OnBuffersDone() {
  // The port closed itself after a device failure (and said so), or a buffer that plays once
  // came back: playback is over; the analyzer is not touched.
  if (!output_) return;
  if (!output_->IsOpen() || (output_->TakeDone() >= 0 && output_->AllDone())) {
    output_->Close();
    if (playing_) {
      playing_ = false;
      Changed();
    }
  }
}

bool TSignalGenerator::SetSignalType(const std::string& name, int channel) {
  const int32_t type = FindSignalType(name);
  if (type < 0) return false;
  const bool wasPlaying = playing_;
  Stop();
  (channel == 1 ? settings_.right : settings_.left).type = type;
  if (BuildSignal() && wasPlaying) Start();
  return true;
}

bool TSignalGenerator::SetTone(double hz, double levelDb, int channel) {
  TTonesParams& tones = (channel == 1 ? settings_.right : settings_.left).tones;
  const double nyquist = AnalyzerFormat().sampleRate / 2.0;
  tones.enable.fill(0);
  tones.enable[0] = 1;
  tones.freqHz[0] = static_cast<float>(std::clamp(hz, 0.0, nyquist));
  tones.powerDb[0] = static_cast<float>(std::clamp(levelDb, -96.0, 0.0));
  return SetSignalType(SignalTypeName(kSignalMultipleTones), channel);
}

bool TSignalGenerator::SetUserWaveFile(const std::string& path, int channel) {
  Stop();
  (channel == 1 ? settings_.right : settings_.left).userDefined.waveFileName = path;
  return SetSignalType(SignalTypeName(kSignalUserDefined), channel);
}

void TSignalGenerator::SetOutputDevice(int deviceId) {
  const bool wasPlaying = playing_;
  if (deviceId == deviceId_ && built_) {
    if (AnalyzerFormat() == builtFrom_) return;
  } else {
    Stop();
    output_.reset();
    buffer_.reset();
    deviceId_ = deviceId;
  }
  if (BuildSignal() && wasPlaying) Start();
}

bool TSignalGenerator::SaveSignal(const std::string& path) {
  if (NeedsRebuild()) BuildSignal();
  if (!buffer_) {
    ReportError(gentext::kNoSignal);
    return false;
  }
  return WriteSignalWave(path, *buffer_, SavedSignalFrames(*buffer_, settings_.left.type), true);
}

void TSignalGenerator::SetVolume(int volume) {
  volume_ = std::clamp(volume, 0, 99);
  if (output_) {
    const auto v = static_cast<uint16_t>(TSoundOutput::kFullVolume * volume_ / 99);
    output_->SetVolume(v, v);
  }
}

}  // namespace orvanix
