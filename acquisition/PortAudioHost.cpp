#include "acquisition/PortAudioHost.h"

#include <portaudio.h>

#include <cstdlib>

#include "acquisition/SoundTexts.h"
#include "engine/Messages.h"

namespace orvanix {

TPortAudioHost& TPortAudioHost::Instance() {
  static TPortAudioHost host;
  return host;
}

TPortAudioHost::~TPortAudioHost() {
  Terminate();
}

unsigned long PortAudioSampleFormat(uint32_t bytesPerSample) {
  switch (bytesPerSample) {
    case 1:
      return paUInt8;  // 8-bit samples are unsigned, as in wave files
    case 2:
      return paInt16;
    case 3:
      return paInt24;  // packed little-endian, as in wave files
    default:
      return 0;
  }
}

bool TPortAudioHost::Available() {
  if (!tried_) Initialise();
  return initialised_;
}

void TPortAudioHost::Initialise() {
  tried_ = true;
  // Probing the JACK host API must never launch a JACK server on the user's machine.
  setenv("JACK_NO_START_SERVER", "1", 0);
  const PaError err = Pa_Initialize();
  if (err != paNoError) {
    initError_ = Pa_GetErrorText(err);
    if (!reported_) {
      reported_ = true;
      ReportError(Format(kSoundDetailFormat, kSoundNoDriver, "PortAudio", initError_.c_str()));
    }
    return;
  }
  initialised_ = true;
  ++session_;
  initError_.clear();
  inputs_.clear();
  outputs_.clear();
  const int count = Pa_GetDeviceCount();
  for (int i = 0; i < count; ++i) {
    const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
    if (!info) continue;
    const PaHostApiInfo* api = Pa_GetHostApiInfo(info->hostApi);
    TPortAudioDevice device;
    device.paIndex = i;
    device.name = info->name ? info->name : "";
    device.hostApi = api && api->name ? api->name : "";
    device.defaultRateHz = info->defaultSampleRate;
    if (info->maxInputChannels > 0) {
      device.maxChannels = info->maxInputChannels;
      device.latencySecs = info->defaultHighInputLatency;
      device.lowLatencySecs = info->defaultLowInputLatency;
      inputs_.push_back(device);
    }
    if (info->maxOutputChannels > 0) {
      device.maxChannels = info->maxOutputChannels;
      device.latencySecs = info->defaultHighOutputLatency;
      device.lowLatencySecs = info->defaultLowOutputLatency;
      outputs_.push_back(device);
    }
  }
}

void TPortAudioHost::Terminate() {
  if (initialised_) Pa_Terminate();
  initialised_ = false;
  tried_ = false;
  inputs_.clear();
  outputs_.clear();
}

const std::vector<TPortAudioDevice>& TPortAudioHost::Devices(TSoundDirection direction) {
  Available();
  return direction == TSoundDirection::Input ? inputs_ : outputs_;
}

bool TPortAudioHost::Rescan() {
  if (openStreams_ > 0) return false;
  Terminate();
  return Available();
}

bool TPortAudioHost::IsFormatSupported(int paIndex, TSoundDirection direction, uint32_t rateHz,
                                       uint32_t channels, uint32_t bytes, std::string* reason) {
  if (!Available()) {
    if (reason) *reason = initError_;
    return false;
  }
  const PaSampleFormat format = PortAudioSampleFormat(bytes);
  const PaDeviceInfo* info = paIndex >= 0 ? Pa_GetDeviceInfo(paIndex) : nullptr;
  if (format == 0 || !info || channels == 0 || rateHz == 0) {
    if (reason)
      *reason = Pa_GetErrorText(format == 0 ? paSampleFormatNotSupported : paInvalidDevice);
    return false;
  }
  PaStreamParameters params{};
  params.device = paIndex;
  params.channelCount = static_cast<int>(channels);
  params.sampleFormat = format;
  const bool input = direction == TSoundDirection::Input;
  params.suggestedLatency = input ? info->defaultHighInputLatency : info->defaultHighOutputLatency;
  const PaError err = Pa_IsFormatSupported(input ? &params : nullptr, input ? nullptr : &params,
                                           static_cast<double>(rateHz));
  if (err == paFormatIsSupported) return true;
  if (reason) *reason = Pa_GetErrorText(err);
  return false;
}

}  // namespace orvanix
