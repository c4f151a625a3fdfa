#include "acquisition/PortAudioStream.h"

#include <portaudio.h>

#include "acquisition/PortAudioHost.h"
#include "acquisition/SoundPort.h"

namespace orvanix {

namespace {

std::string ErrorText(PaError err) {
  std::string text = std::string("PortAudio: ") + Pa_GetErrorText(err);
  if (err == paUnanticipatedHostError) {
    const PaHostErrorInfo* info = Pa_GetLastHostErrorInfo();
    if (info && info->errorText && *info->errorText) {
      text += ": ";
      text += info->errorText;
    }
  }
  return text;
}

}  // namespace

struct TPortAudioCallbacks {
  // Called on the audio thread. Hands the frames to the port and returns at once.
  static int Process(const void* input, void* output, unsigned long frames,
                     const PaStreamCallbackTimeInfo* /*time*/, PaStreamCallbackFlags status,
                     void* user) {
    auto* self = static_cast<TPortAudioStream*>(user);
    self->port_.DeviceCallback(static_cast<const uint8_t*>(input), static_cast<uint8_t*>(output),
                               static_cast<uint32_t>(frames), (status & paInputOverflow) != 0);
    return paContinue;
  }
  // Called when the stream has become inactive; unless we stopped it, the device failed.
  static void Finished(void* user) {
    auto* self = static_cast<TPortAudioStream*>(user);
    if (!self->stopping_.load(std::memory_order_acquire)) self->port_.DeviceFailed();
  }
};

std::unique_ptr<TPortAudioStream> TPortAudioStream::Open(TSoundPort& port, int paIndex,
                                                         TSoundDirection direction,
                                                         const WaveFormat& format,
                                                         double latencySecs, std::string& error) {
  TPortAudioHost& host = TPortAudioHost::Instance();
  if (!host.Available()) {
    error = host.InitError();
    return nullptr;
  }
  PaStreamParameters params{};
  params.device = paIndex;
  params.channelCount = format.channels;
  params.sampleFormat = PortAudioSampleFormat(format.bytesPerSample);
  params.suggestedLatency = latencySecs;
  const bool input = direction == TSoundDirection::Input;

  std::unique_ptr<TPortAudioStream> stream(new TPortAudioStream(port));
  PaStream* handle = nullptr;
  // Samples pass through untouched: we hand over exact integers, so no clipping or dither.
  const PaError err =
      Pa_OpenStream(&handle, input ? &params : nullptr, input ? nullptr : &params,
                    static_cast<double>(format.sampleRate), paFramesPerBufferUnspecified,
                    paClipOff | paDitherOff, &TPortAudioCallbacks::Process, stream.get());
  if (err != paNoError) {
    error = ErrorText(err);
    return nullptr;
  }
  stream->stream_ = handle;
  Pa_SetStreamFinishedCallback(handle, &TPortAudioCallbacks::Finished);
  host.StreamOpened();
  return stream;
}

TPortAudioStream::~TPortAudioStream() {
  Stop();
  if (stream_) {
    stopping_.store(true, std::memory_order_release);
    Pa_CloseStream(static_cast<PaStream*>(stream_));
    TPortAudioHost::Instance().StreamClosed();
  }
}

bool TPortAudioStream::Start(std::string& error) {
  if (started_) return true;
  stopping_.store(false, std::memory_order_release);
  const PaError err = Pa_StartStream(static_cast<PaStream*>(stream_));
  if (err != paNoError) {
    error = ErrorText(err);
    return false;
  }
  started_ = true;
  return true;
}

void TPortAudioStream::Stop() {
  if (!started_) return;
  stopping_.store(true, std::memory_order_release);
  // Abort, not stop: closing a port drops what is queued, as a device reset does.
  Pa_AbortStream(static_cast<PaStream*>(stream_));
  started_ = false;
}

}  // namespace orvanix
