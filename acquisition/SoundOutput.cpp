#include "acquisition/SoundOutput.h"

#include <algorithm>
#include <cstring>

namespace orvanix {

namespace {

void FillSilence(uint8_t* to, uint32_t bytes, uint32_t bytesPerSample) {
  // 8-bit samples are unsigned; 127 is the zero value the program uses for them.
  std::memset(to, bytesPerSample == 1 ? 127 : 0, bytes);
}

}  // namespace

TSoundOutput::TSoundOutput(int deviceId) : TSoundPort(deviceId, TSoundDirection::Output) {}

TSoundOutput::~TSoundOutput() {
  // Stop the device while this object is whole: its callback lands in DeviceCallback.
  Close();
}

void TSoundOutput::ResetCounters() {
  paused_.store(true, std::memory_order_release);  // an output opens paused
  breakLoop_.store(false, std::memory_order_release);
  underruns_.store(0, std::memory_order_relaxed);
  silenceFrames_.store(0, std::memory_order_relaxed);
  starving_ = false;
  starvedFrames_ = 0;
}

void TSoundOutput::Close() {
  TSoundPort::Close();
  paused_.store(true, std::memory_order_release);
}

bool TSoundOutput::Write(const void* data, uint32_t bytes, int slot, uint32_t flags) {
  const bool loop = (flags & kWriteLoop) != 0;
  if (loop) breakLoop_.store(false, std::memory_order_release);
  // The port never writes through this pointer; slots share one type for both directions.
  return QueueSlot(slot, static_cast<uint8_t*>(const_cast<void*>(data)), bytes, loop);
}

bool TSoundOutput::Pause() {
  if (Error() || !IsOpen()) return false;
  paused_.store(true, std::memory_order_release);
  return true;
}

bool TSoundOutput::Restart() {
  if (Error() || !IsOpen()) return false;
  if (!StartStream()) return false;
  paused_.store(false, std::memory_order_release);
  return true;
}

bool TSoundOutput::AllDone() const {
  for (const TSlot& slot : slots_) {
    if (slot.state.load(std::memory_order_acquire) == kSlotQueued) return false;
  }
  return true;
}

void TSoundOutput::SetVolume(uint16_t left, uint16_t right) {
  volume_.store((uint32_t{left} << 16) | right, std::memory_order_relaxed);
}

void TSoundOutput::CopyWithVolume(uint8_t* to, const uint8_t* from, uint32_t frames,
                                  uint32_t volume) const {
  const uint32_t width = streamFormat_.bytesPerSample;
  if (volume == 0xFFFFFFFFu) {
    std::memcpy(to, from, size_t{frames} * frameBytes_);
    return;
  }
  const int64_t gains[2] = {static_cast<int64_t>(volume >> 16),
                            static_cast<int64_t>(volume & 0xFFFF)};
  const int32_t zero = streamFormat_.zeroValue;
  const uint32_t channels = streamFormat_.channels;
  for (uint32_t i = 0; i < frames; ++i) {
    for (uint32_t c = 0; c < channels; ++c) {
      const int32_t sample = DecodeSample(from, width, zero);
      // Scaling toward the zero value keeps 8-bit silence silent; |gain| <= 1 cannot overflow.
      const int64_t scaled = (static_cast<int64_t>(sample) - zero) * gains[c] / 0xFFFF + zero;
      EncodeSample(to, width, static_cast<int32_t>(scaled));
      from += width;
      to += width;
    }
  }
}

void TSoundOutput::DeviceCallback(const uint8_t* /*input*/, uint8_t* output, uint32_t frames,
                                  bool /*inputOverflow*/) noexcept {
  if (!output) return;
  const uint32_t frameBytes = frameBytes_;
  const uint32_t width = streamFormat_.bytesPerSample;
  if (paused_.load(std::memory_order_acquire)) {
    FillSilence(output, frames * frameBytes, width);
    return;
  }
  const uint32_t volume = volume_.load(std::memory_order_relaxed);
  uint32_t left = frames;
  while (left > 0) {
    if (current_ < 0) {
      current_ = PopQueued();
      offset_ = 0;
      if (current_ < 0) {
        FillSilence(output, left * frameBytes, width);
        // Before anything was played this is the wait for the first buffer, not a gap.
        if (position_.load(std::memory_order_relaxed) > 0) {
          starving_ = true;
          starvedFrames_ += left;
        }
        return;
      }
      if (starving_) {
        // More came after the device had run dry: that silence was a gap in playback.
        starving_ = false;
        silenceFrames_.fetch_add(starvedFrames_, std::memory_order_relaxed);
        starvedFrames_ = 0;
        underruns_.fetch_add(1, std::memory_order_relaxed);
      }
    }
    TSlot& slot = slots_[current_];
    const uint32_t count = std::min((slot.bytes - offset_) / frameBytes, left);
    CopyWithVolume(output, slot.data + offset_, count, volume);
    output += count * frameBytes;
    offset_ += count * frameBytes;
    left -= count;
    slot.doneBytes.store(offset_, std::memory_order_release);
    position_.store(position_.load(std::memory_order_relaxed) + count, std::memory_order_release);
    if (offset_ >= slot.bytes) {
      if (slot.loop && !breakLoop_.exchange(false, std::memory_order_acq_rel)) {
        offset_ = 0;  // another pass of a looping buffer
      } else {
        ReturnSlot(current_);
        current_ = -1;
      }
    }
  }
}

}  // namespace orvanix
