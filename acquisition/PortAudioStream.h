// One open PortAudio stream feeding one sound port. Main thread, except the callbacks, which
// run on PortAudio's audio thread and only hand the frames to the port.
#pragma once

#include <atomic>
#include <memory>
#include <string>

#include "acquisition/DeviceStream.h"
#include "engine/WaveFormat.h"

namespace orvanix {

class TSoundPort;

class TPortAudioStream : public TDeviceStream {
 public:
  // Opens device `paIndex` (PortAudio's index) for `direction` in `format` with the suggested
  // latency in seconds, not yet started. Null on failure, with PortAudio's reason in `error`.
  static std::unique_ptr<TPortAudioStream> Open(TSoundPort& port, int paIndex,
                                                TSoundDirection direction, const WaveFormat& format,
                                                double latencySecs, std::string& error);
  ~TPortAudioStream() override;

  bool Start(std::string& error) override;
  void Stop() override;
  bool Started() const override { return started_; }

 private:
  explicit TPortAudioStream(TSoundPort& port) : port_(port) {}

  TSoundPort& port_;
  void* stream_ = nullptr;  // PaStream
  bool started_ = false;
  // Set before we stop the stream ourselves, so that PortAudio's finished notice is not taken
  // for a device failure.
  std::atomic<bool> stopping_{false};

  friend struct TPortAudioCallbacks;
};

}  // namespace orvanix
