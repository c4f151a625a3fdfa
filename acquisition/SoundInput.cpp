#include "acquisition/SoundInput.h"

#include <algorithm>
#include <cstring>

namespace orvanix {

namespace {

constexpr uint64_t kPositionMask = 0xFFFFFFFFull;
constexpr uint64_t kFramesMask = (1ull << 30) - 1;

uint64_t PackCursor(int slot, uint64_t framesInSlot, uint64_t position) {
  return (static_cast<uint64_t>(slot + 1) << 62) | ((framesInSlot & kFramesMask) << 32) |
         (position & kPositionMask);
}

}  // namespace

TSoundInput::TSoundInput(int deviceId) : TSoundPort(deviceId, TSoundDirection::Input) {}

TSoundInput::~TSoundInput() {
  // Stop the device while this object is whole: its callback lands in DeviceCallback.
  Close();
}

bool TSoundInput::AddBuffer(void* data, uint32_t bytes, int slot) {
  return QueueSlot(slot, static_cast<uint8_t*>(data), bytes, false);
}

bool TSoundInput::Start() {
  if (Error() || !IsOpen()) return false;
  if (IsStarted()) return true;
  lastBlockEnd_ = 0;
  return StartStream();
}

void TSoundInput::ResetCounters() {
  cursor_.store(0, std::memory_order_release);
  overruns_.store(0, std::memory_order_relaxed);
  dropped_.store(0, std::memory_order_relaxed);
  lastBlockEnd_ = 0;
}

void TSoundInput::Close() {
  TSoundPort::Close();
  lastBlockEnd_ = 0;
}

bool TSoundInput::Newest(uint32_t neededSamples, bool triggerMode, int& buffer, uint32_t& index) {
  if (!IsOpen() || !IsStarted()) return false;
  const uint64_t needed = std::max<uint32_t>(neededSamples, 1);
  const uint64_t approximate = Position();
  const uint64_t cursor = cursor_.load(std::memory_order_acquire);
  if (cursor == 0) return false;
  // The cursor may be a callback newer or older than the position read before it; the low 32
  // bits place it exactly.
  const int32_t delta = static_cast<int32_t>(static_cast<uint32_t>(cursor & kPositionMask) -
                                             static_cast<uint32_t>(approximate));
  const uint64_t position = approximate + static_cast<int64_t>(delta);
  if (position < needed) return false;
  if (triggerMode) {
    if (position < lastBlockEnd_ + needed) return false;
    lastBlockEnd_ = position;
  }
  const uint64_t framesInSlot = (cursor >> 32) & kFramesMask;
  if (framesInSlot == 0) return false;
  buffer = static_cast<int>(cursor >> 62) - 1;
  index = static_cast<uint32_t>(framesInSlot - 1);
  return true;
}

int TSoundInput::CurrentBuffer() const {
  const uint64_t cursor = cursor_.load(std::memory_order_acquire);
  return static_cast<int>(cursor >> 62) - 1;
}

int64_t TSoundInput::NewestInBuffer(int slot) const {
  if (frameBytes_ == 0) return -1;
  return static_cast<int64_t>(BytesDone(slot) / frameBytes_) - 1;
}

void TSoundInput::DeviceCallback(const uint8_t* input, uint8_t* /*output*/, uint32_t frames,
                                 bool inputOverflow) noexcept {
  if (inputOverflow) overruns_.fetch_add(1, std::memory_order_relaxed);
  const uint32_t frameBytes = frameBytes_;
  uint32_t left = frames;
  while (left > 0) {
    if (current_ < 0) {
      current_ = PopQueued();
      offset_ = 0;
      if (current_ < 0) {
        // No buffer to record into: these frames are lost, and that is counted.
        dropped_.fetch_add(left, std::memory_order_relaxed);
        overruns_.fetch_add(1, std::memory_order_relaxed);
        return;
      }
    }
    TSlot& slot = slots_[current_];
    const uint32_t room = (slot.bytes - offset_) / frameBytes;
    const uint32_t count = std::min(room, left);
    const uint32_t bytes = count * frameBytes;
    if (input) {
      std::memcpy(slot.data + offset_, input, bytes);
      input += bytes;
    } else {
      // PortAudio hands no input only on a device fault; record silence in its place.
      const uint8_t silence = streamFormat_.bytesPerSample == 1 ? 127 : 0;
      std::memset(slot.data + offset_, silence, bytes);
    }
    offset_ += bytes;
    left -= count;
    slot.doneBytes.store(offset_, std::memory_order_release);
    const uint64_t position = position_.load(std::memory_order_relaxed) + count;
    position_.store(position, std::memory_order_release);
    cursor_.store(PackCursor(current_, offset_ / frameBytes, position), std::memory_order_release);
    if (offset_ >= slot.bytes) {
      ReturnSlot(current_);
      current_ = -1;
    }
  }
}

}  // namespace orvanix
