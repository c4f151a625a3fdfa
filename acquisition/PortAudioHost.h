// The process's one connection to PortAudio. Initialised on first use and kept until exit,
// so that the device list (and with it the configured device numbers) stays stable while the
// program runs; Rescan() rebuilds it when no stream is open.
// Main thread only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "acquisition/DeviceStream.h"

namespace orvanix {

struct TPortAudioDevice {
  int paIndex = -1;          // PortAudio's device index
  std::string name;          // as PortAudio reports it, e.g. "default" or "HDA Intel: ... (hw:0,0)"
  std::string hostApi;       // e.g. "ALSA", "JACK Audio Connection Kit"
  int maxChannels = 0;       // of the direction the list was made for
  double defaultRateHz = 0;  // the device's preferred rate
  double latencySecs = 0;    // the device's default high latency in this direction
  double lowLatencySecs = 0;  // and its default low latency
};

class TPortAudioHost {
 public:
  static TPortAudioHost& Instance();

  // Initialises PortAudio on the first call. False when it could not start; InitError() says
  // why, and kSoundNoDriver has been reported once.
  bool Available();
  const std::string& InitError() const { return initError_; }

  // The devices that have channels in `direction`, in PortAudio's order (empty when PortAudio
  // is unavailable).
  const std::vector<TPortAudioDevice>& Devices(TSoundDirection direction);

  // Terminates and reinitialises PortAudio to see devices plugged in since. Refused (false)
  // while a stream is open, since PortAudio would close it underneath its port. Ports made
  // before a rescan must be made anew: device numbers may have changed.
  bool Rescan();

  // Whether the device accepts the format, without opening a stream. `bytes` 1 (unsigned),
  // 2 or 3 (packed); `reason` (optional) receives PortAudio's error text on refusal.
  bool IsFormatSupported(int paIndex, TSoundDirection direction, uint32_t rateHz, uint32_t channels,
                         uint32_t bytes, std::string* reason = nullptr);

  // Changes whenever PortAudio is (re)initialised; device indexes and anything learnt about
  // the devices belong to one session.
  uint32_t Session() const { return session_; }

  // Kept by the streams so that Rescan knows when it is safe.
  void StreamOpened() { ++openStreams_; }
  void StreamClosed() {
    if (openStreams_ > 0) --openStreams_;
  }

  ~TPortAudioHost();
  TPortAudioHost(const TPortAudioHost&) = delete;
  TPortAudioHost& operator=(const TPortAudioHost&) = delete;

 private:
  TPortAudioHost() = default;
  void Initialise();
  void Terminate();

  bool tried_ = false;
  bool initialised_ = false;
  bool reported_ = false;
  std::string initError_;
  int openStreams_ = 0;
  uint32_t session_ = 0;
  std::vector<TPortAudioDevice> inputs_;
  std::vector<TPortAudioDevice> outputs_;
};

// PortAudio's sample format for 1 (unsigned), 2 or 3 (packed) bytes per sample; 0 otherwise.
unsigned long PortAudioSampleFormat(uint32_t bytesPerSample);

}  // namespace orvanix
