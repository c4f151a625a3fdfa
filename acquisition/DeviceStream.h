// What a sound port needs from an open device, real (PortAudio) or virtual (Loopback).
#pragma once

#include <string>

namespace orvanix {

// Numbered as the platform's wave interface numbered them.
enum class TSoundDirection : int { Output = 1, Input = 2 };

// One open stream of one device in one format, feeding one port. Created and used on the
// main thread only; its callbacks run on the device's own thread.
class TDeviceStream {
 public:
  virtual ~TDeviceStream() = default;  // stops the stream and releases the device
  // Begins calling the port. On failure returns false with the reason in `error`.
  virtual bool Start(std::string& error) = 0;
  // When this returns, no callback is running and none will run until the next Start.
  virtual void Stop() = 0;
  virtual bool Started() const = 0;
};

}  // namespace orvanix
