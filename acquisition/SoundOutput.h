// The playing port. See SoundPort.h for the device list, the buffer slots and threads.
//
// Typical use: SetFormat, Open(handler) (the port opens paused), Write the buffers, Restart;
// the handler refills and rewrites returned slots (playback in two halves: the two halves of
// one block of memory as slots 0 and 1); Pause / Restart; Close.
#pragma once

#include <atomic>
#include <cstdint>

#include "acquisition/SoundPort.h"

namespace orvanix {

class TSoundOutput : public TSoundPort {
 public:
  // Write flag: play the buffer over and over until BreakLoop or Close.
  static constexpr uint32_t kWriteLoop = 1;
  // Volume per channel: 0 silent ... 0xFFFF unchanged (linear).
  static constexpr uint16_t kFullVolume = 0xFFFF;

  // `deviceId` numbers the output list (TSoundPort::DeviceCount(TSoundDirection::Output));
  // outside it the port has no device and every operation fails quietly.
  explicit TSoundOutput(int deviceId);
  ~TSoundOutput() override;

  // Queues `bytes` of the caller's samples (rounded down to whole frames of the open format)
  // in `slot` 0 ... 2, played after the slots queued before it. The memory is read until the
  // slot is returned or the port closes. Bad arguments or a slot still queued are a device
  // failure: the port closes and kSoundDeviceFailure
  // is reported after.
  bool Write(const void* data, uint32_t bytes, int slot, uint32_t flags = 0);
  // Pause holds playback where it is (the device plays silence, the position stands still);
  // Restart starts or resumes it. Both false when the port is not open.
  bool Pause();
  bool Restart();
  bool IsPaused() const { return paused_.load(std::memory_order_acquire); }
  // Ends a looping buffer after the pass now playing; it is then returned as usual.
  void BreakLoop() { breakLoop_.store(true, std::memory_order_release); }
  // True when no buffer is queued or playing.
  bool AllDone() const;

  // Underruns since Open: times the device found no buffer to play although playback went on
  // afterwards (a buffer was queued late), and the frames of silence it played meanwhile.
  // Running dry at the end of what was queued is not counted until more is queued.
  uint64_t UnderrunCount() const { return underruns_.load(std::memory_order_relaxed); }
  uint64_t SilenceFrames() const { return silenceFrames_.load(std::memory_order_relaxed); }

  // Software gain (PortAudio devices offer none), applied as samples are handed to the device.
  // A mono format uses `left`.
  void SetVolume(uint16_t left, uint16_t right);
  uint16_t VolumeLeft() const { return static_cast<uint16_t>(volume_.load() >> 16); }
  uint16_t VolumeRight() const { return static_cast<uint16_t>(volume_.load() & 0xFFFF); }

  void Close() override;

  // Device side: fills `output` with `frames` frames from the queued buffers (see TSoundPort);
  // silence where none is queued or while paused.
  void DeviceCallback(const uint8_t* input, uint8_t* output, uint32_t frames,
                      bool inputOverflow) noexcept override;

 protected:
  void ResetCounters() override;

 private:
  void CopyWithVolume(uint8_t* to, const uint8_t* from, uint32_t frames, uint32_t volume) const;

  std::atomic<uint64_t> underruns_{0};
  std::atomic<uint64_t> silenceFrames_{0};
  // Device side: the device ran dry and these frames of silence have been played since.
  bool starving_ = false;
  uint64_t starvedFrames_ = 0;
  std::atomic<bool> paused_{true};
  std::atomic<bool> breakLoop_{false};
  std::atomic<uint32_t> volume_{0xFFFFFFFFu};  // left << 16 | right
};

}  // namespace orvanix
