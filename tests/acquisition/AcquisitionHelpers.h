// Shared by the acquisition tests: a QCoreApplication for the whole test program, waiting on
// the event loop without spinning, sample decoding written independently of the engine, and a
// recorder that requeues its buffers the way the run loop does.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "acquisition/SoundInput.h"
#include "acquisition/SoundOutput.h"
#include "engine/WaveFormat.h"

namespace orvanix::test {

// Runs the Qt event loop until `condition` holds or `timeoutMs` passes; returns the condition.
// Generous timeouts keep the tests steady on a loaded machine; nothing here measures speed.
bool WaitUntil(const std::function<bool()>& condition, int timeoutMs = 20000);
// Runs the event loop for about `ms` milliseconds.
void RunEventsFor(int ms);

int LoopbackInputId();
int LoopbackOutputId();

// One little-endian sample of 1 (unsigned), 2 or 3 bytes, sign-extended.
int32_t ReadSample(const uint8_t* p, uint32_t bytes);
// Channel `channel` of interleaved frames in `format`.
std::vector<int32_t> ChannelOf(const std::vector<uint8_t>& bytes, const WaveFormat& format,
                               uint32_t channel);
// Interleaved frames of one or two channels as bytes.
std::vector<uint8_t> FramesOf(const std::vector<int32_t>& left, const std::vector<int32_t>& right,
                              const WaveFormat& format);

// Records from an input port into `data` in the order the buffers come back, requeueing each
// returned slot (unless `requeue` is off), as the run loop does.
class TRecorder {
 public:
  TRecorder(int deviceId, const WaveFormat& format, uint32_t framesPerBuffer, int buffers = 2);
  // Closes the input before its buffers go: the device writes into them until then.
  ~TRecorder() { input.Close(); }
  bool Open();  // SetFormat, Open, queue every buffer
  bool Start() { return input.Start(); }
  bool OpenAndStart() { return Open() && Start(); }
  uint64_t Frames() const { return data.size() / format.BlockAlign(); }
  bool WaitFrames(uint64_t frames) {
    return WaitUntil([&] { return Frames() >= frames; });
  }
  std::vector<int32_t> Channel(uint32_t channel) const { return ChannelOf(data, format, channel); }

  WaveFormat format;
  TSoundInput input;
  std::vector<std::vector<uint8_t>> buffers;
  std::vector<uint8_t> data;  // every returned buffer, in order
  std::vector<int> order;     // the slots in the order they came back
  bool requeue = true;
  std::function<void()> afterEach;  // runs in the handler after each returned buffer
};

}  // namespace orvanix::test
