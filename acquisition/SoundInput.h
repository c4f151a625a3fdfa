// The recording port. See SoundPort.h for the device list, the buffer slots and threads.
//
// Typical use by the run loop: SetFormat, Open(handler), AddBuffer(slot 0), AddBuffer(slot 1),
// Start; in the handler requeue every returned slot (TakeDone, AddBuffer); on each step ask
// Newest where the most recent sample is; Close.
#pragma once

#include <atomic>
#include <cstdint>

#include "acquisition/SoundPort.h"

namespace orvanix {

class TSoundInput : public TSoundPort {
 public:
  // `deviceId` numbers the input list (TSoundPort::DeviceCount(TSoundDirection::Input));
  // outside it the port has no device and every operation fails quietly.
  explicit TSoundInput(int deviceId);
  ~TSoundInput() override;

  // Queues `bytes` of the caller's memory (rounded down to whole frames of the open format)
  // in `slot` 0 ... 2 for recording. A bad slot, null memory, less than one frame or a slot
  // still queued is a device failure: the port closes and kSoundDeviceFailure
  // is reported after.
  bool AddBuffer(void* data, uint32_t bytes, int slot);
  // Starts recording (the position counts from here). True if already recording.
  bool Start();

  // Where the newest recorded sample is, for Real-Time analysis. False while fewer than
  // `neededSamples` frames (at least 1) have been recorded since Start. In trigger mode also
  // false until the newest sample lies at least `neededSamples` frames past the end of the
  // block handed out last (which this call then remembers). On true, `buffer` is the slot
  // holding the newest frame and `index` that frame's index in it; the frames before it are
  // the earlier ones of that buffer, then the end of the buffer returned before it. That other
  // buffer may be read only until it is queued again (the device writes into it as soon as the
  // current one is full): keep a copy of its end before requeueing it, as the run loop does.
  bool Newest(uint32_t neededSamples, bool triggerMode, int& buffer, uint32_t& index);
  // The slot holding the newest recorded frame (the one being filled, or just filled), or -1.
  int CurrentBuffer() const;
  // Index of the newest frame recorded into `slot` since it was queued, or -1 when none.
  int64_t NewestInBuffer(int slot) const;

  // Overruns since Open: callbacks in which input was lost, because no buffer was queued or
  // the device itself reported an overflow. DroppedFrames counts the frames the port had to
  // throw away for want of a buffer (the device's own losses are not counted in frames).
  uint64_t OverrunCount() const { return overruns_.load(std::memory_order_relaxed); }
  uint64_t DroppedFrames() const { return dropped_.load(std::memory_order_relaxed); }

  void Close() override;

  // Device side: copies recorded frames into the queued buffers (see TSoundPort).
  void DeviceCallback(const uint8_t* input, uint8_t* output, uint32_t frames,
                      bool inputOverflow) noexcept override;

 protected:
  void ResetCounters() override;

 private:
  // Published after each copy: slot + 1 (bits 62-63, 0 = nothing yet), frames in that slot
  // (bits 32-61) and the low 32 bits of the position after the copy (bits 0-31), so that a
  // reader gets slot, index and position from one consistent snapshot.
  std::atomic<uint64_t> cursor_{0};
  std::atomic<uint64_t> overruns_{0};
  std::atomic<uint64_t> dropped_{0};
  uint64_t lastBlockEnd_ = 0;  // trigger mode: position after the block handed out last
};

}  // namespace orvanix
