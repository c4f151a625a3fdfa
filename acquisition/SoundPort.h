// Sound ports: one device of the program's device list, opened in one sample format, moving
// samples between the device and buffers that belong to the caller (the run loop, the signal
// generator, the calibration). `TSoundInput` records, `TSoundOutput` plays.
//
// The device list of each direction numbers the real PortAudio devices that have channels in
// that direction first (in PortAudio's order), then the virtual devices ("Loopback"); these are
// the numbers the configuration stores as "InputDeviceID" and "OutputDeviceID".
//
// Buffers. A port has three buffer slots (0, 1, 2). The caller queues a slot with its own
// memory (AddBuffer / Write); the device works through queued slots in queue order and returns
// each one when it is full (input) or played (output). The memory must stay valid and
// untouched until the slot is returned or the port is closed. The run loop queues its two I/O
// buffers as slots 0 and 1 and requeues each as it comes back, so the device records into a
// ring of two buffers.
//
// Threads. Every operation is for the main thread (the thread of the QCoreApplication), except
// the two marked "device side". The device's own thread (PortAudio's callback, or the Loopback
// clock) only copies samples between the device and the queued slots, publishes positions
// through atomics, counts overruns and wakes the main thread through a pipe; it never
// allocates, locks or logs. The main thread then calls the buffers-done handler given to
// Open(), which checks IsDone / TakeDone and requeues.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "acquisition/DeviceStream.h"
#include "engine/WaveFormat.h"

class QSocketNotifier;

namespace orvanix {

// Called on the main thread after the device has returned one or more buffers. It may call
// any port operation (requeue, Close) but must not destroy the port.
using TBuffersDoneHandler = std::function<void()>;

class TSoundPort {
 public:
  static constexpr int kSlotCount = 3;
  // The rates any device is asked about. Outside this range every format is refused.
  static constexpr uint32_t kMinRateHz = 1000;
  static constexpr uint32_t kMaxRateHz = 384000;

  // ---- The device list (main thread) ----
  // Number of devices of the direction, virtual ones included (so at least 1).
  static int DeviceCount(TSoundDirection direction);
  // The device's name; empty for a number outside the list.
  static std::string DeviceName(TSoundDirection direction, int deviceId);
  // A stored device number brought into the list: below 0 gives 0, past the end the last.
  static int ClampDeviceId(TSoundDirection direction, int deviceId);
  // The number of the first device named `name`, or -1.
  static int FindDevice(TSoundDirection direction, std::string_view name);
  // Whether PortAudio started (when not, the list holds only the virtual devices).
  static bool AudioSystemAvailable();

  virtual ~TSoundPort();
  TSoundPort(const TSoundPort&) = delete;
  TSoundPort& operator=(const TSoundPort&) = delete;

  // Set when construction failed (the device could not be probed); the port refuses everything.
  bool Error() const { return error_; }
  TSoundDirection Direction() const { return direction_; }
  // The device number, or -1 when the port has no device (every operation then fails quietly).
  int DeviceId() const { return deviceId_; }
  bool HasDevice() const { return kind_ != Kind::None; }
  bool IsVirtual() const { return kind_ == Kind::Loopback; }
  const std::string& Name() const { return name_; }

  // ---- Capabilities, probed at construction ----
  uint32_t LowestRate() const { return lowest_.sampleRate; }
  uint32_t HighestRate() const { return highest_.sampleRate; }
  uint16_t MaxChannels() const { return highest_.channels; }
  // Whether samples of `bytes` (1, 2 or 3) are accepted at all.
  bool SupportsBytes(uint32_t bytes) const;
  // True when the device accepts only the rates of Rates(), not every rate in the range.
  bool DiscreteRates() const { return discreteRates_; }
  const std::vector<uint32_t>& Rates() const { return rates_; }
  // Lowest: lowest rate, mono, the narrowest width; highest: highest rate, most channels (at
  // most 2), the widest width.
  const WaveFormat& LowestFormat() const { return lowest_; }
  const WaveFormat& HighestFormat() const { return highest_; }
  // Every device here can play and record at the same time (separate streams), so the
  // generator may run while the input records.
  bool IsDuplex() const { return HasDevice(); }
  // The old drivers' workarounds (settling pause, duplex scratch buffer, 4800-byte buffer
  // alignment, position margins) are never needed with PortAudio.
  bool NeedsSettlingPause() const { return false; }
  bool NeedsBufferAlignment() const { return false; }

  // ---- Format ----
  // Stores the format (normalised as WaveFormat) and returns whether the device accepts it.
  bool SetFormat(uint32_t rateHz, uint32_t channels, uint32_t bytesPerSample);
  const WaveFormat& Format() const { return format_; }
  // The format the device was opened in (Format() may have changed since; it applies at the
  // next Open).
  const WaveFormat& StreamFormat() const { return streamFormat_; }
  // Whether the device accepts the format, without opening it: channels 1 or 2, bytes 1 to 3,
  // rate kMinRateHz ... kMaxRateHz, then the device's own answer.
  bool TestFormat(uint32_t rateHz, uint32_t bytesPerSample, uint32_t channels) const;
  // Empty when the device accepts `rateHz` in the current channels and width; else the
  // message for the settings dialog (kSoundRateRange and its discrete forms).
  std::string RateRefusalText(uint32_t rateHz) const;

  // ---- Lifecycle ----
  // Opens the device in the current format (closing it first if open). `onBuffersDone` is
  // called on the main thread when buffers come back (needs a QCoreApplication; without a
  // handler the caller polls IsDone). An output opens paused. On failure the user is told
  // (kSoundFormatRefused or kSoundDeviceBusy with the device and the reason) and false is
  // returned; a port without a device fails quietly.
  bool Open(TBuffersDoneHandler onBuffersDone = {});
  // Stops the device, forgets every queued buffer (their memory is no longer used when this
  // returns) and closes the device. Safe to call when closed.
  virtual void Close();
  bool IsOpen() const { return stream_ != nullptr; }
  // Input: recording since Start; output: Restart has been called since Open.
  bool IsStarted() const { return started_; }

  // ---- Buffers and positions ----
  // Whether the device has returned the buffer in `slot` (false for an invalid slot).
  bool IsDone(int slot) const;
  // The returned slot that came back first and has not been taken yet, now marked idle;
  // -1 when none. Lets the caller requeue in the order the device returned them.
  int TakeDone();
  // Bytes recorded into (input) or played from (output) the slot's buffer since it was queued.
  uint32_t BytesDone(int slot) const;
  // Input: frames written into buffers since Start (frames dropped in an overrun are not
  // counted, so positions map onto the ring of buffers exactly). Output: frames taken from
  // buffers since Open (a looped buffer counts every pass).
  uint64_t Position() const { return position_.load(std::memory_order_acquire); }
  // Position in seconds at the current rate.
  double PositionTime() const;

  // ---- Device side (the device's thread; also the Loopback clock) ----
  // Moves `frames` frames between the device and the queued buffers: `input` holds recorded
  // frames (input ports), `output` receives frames to play (output ports), both in the current
  // format, interleaved. `inputOverflow`: the device lost input before this call.
  // No allocation, no lock, no logging.
  virtual void DeviceCallback(const uint8_t* input, uint8_t* output, uint32_t frames,
                              bool inputOverflow) noexcept = 0;
  // The device stopped by itself (unplugged, driver error); the main thread then reports
  // kSoundDeviceFailure and closes the port.
  void DeviceFailed() noexcept;

 protected:
  TSoundPort(int deviceId, TSoundDirection direction);

  enum SlotState : int { kSlotIdle = 0, kSlotQueued = 1, kSlotDone = 2 };
  struct TSlot {
    uint8_t* data = nullptr;  // the caller's memory; written before queueing, then read-only
    uint32_t bytes = 0;       // whole frames only
    bool loop = false;        // output: play again from the start when the end is reached
    std::atomic<uint32_t> doneBytes{0};
    std::atomic<int> state{kSlotIdle};
    std::atomic<uint64_t> sequence{0};  // order of return, for TakeDone
  };

  // Main thread: queues `slot` for the device. Refuses (with kSoundDeviceFailure, then Close)
  // a slot out of range, no memory, less than one frame, or a slot still queued.
  bool QueueSlot(int slot, uint8_t* data, uint32_t bytes, bool loop);
  // Main thread: starts the stream; reports and closes on failure.
  bool StartStream();
  // Main thread: closes the port, then tells the user about the failure (kSoundDeviceFailure
  // with the device and `detail`) through TReportQueue, once the code that failed has returned.
  void Fail(std::string_view detail);

  // Main thread: called by Open after the stream exists, before any callback can run, to
  // clear the direction's own counters.
  virtual void ResetCounters() {}

  // Device side: the next queued slot (now being worked on), or -1.
  int PopQueued() noexcept;
  // Device side: marks the slot returned and wakes the main thread.
  void ReturnSlot(int slot) noexcept;
  void Wake() noexcept;

  TSlot slots_[kSlotCount];
  // The slot the device is working on and the byte offset in it; device side while open,
  // main thread only while closed.
  int current_ = -1;
  uint32_t offset_ = 0;
  // Bytes per frame of the open stream; fixed from Open to Close (SetFormat while open only
  // takes effect at the next Open).
  uint32_t frameBytes_ = 0;
  WaveFormat streamFormat_;
  std::atomic<uint64_t> position_{0};
  bool started_ = false;
  std::chrono::steady_clock::time_point startTime_{};

 private:
  enum class Kind { None, PortAudio, Loopback };

  void ProbePortAudio();
  // TestFormat, with the audio system's reason for a refusal in `reason` (when it gives one).
  bool CheckFormat(uint32_t rateHz, uint32_t bytesPerSample, uint32_t channels,
                   std::string* reason) const;
  void OnWake();
  void ResetSlots();

  bool error_ = false;
  TSoundDirection direction_;
  int deviceId_ = -1;
  Kind kind_ = Kind::None;
  int paIndex_ = -1;
  double latencySecs_ = 0;
  std::string name_;
  WaveFormat lowest_;
  WaveFormat highest_;
  WaveFormat format_;
  bool has8_ = false, has16_ = false, has24_ = false;
  bool discreteRates_ = false;
  std::vector<uint32_t> rates_;

  std::unique_ptr<TDeviceStream> stream_;
  TBuffersDoneHandler handler_;

  // Single-producer/single-consumer queue of slot numbers, main thread to device. Never
  // holds more than kSlotCount entries, since a queued slot cannot be queued again.
  static constexpr uint32_t kQueueSize = 4;
  int queue_[kQueueSize] = {};
  std::atomic<uint32_t> queueHead_{0};  // advanced by the device side
  std::atomic<uint32_t> queueTail_{0};  // advanced by the main thread
  uint64_t returnCounter_ = 0;          // device side

  // Wake-up channel: the device side writes one byte when wakePending_ goes false -> true.
  int wakeRead_ = -1;
  int wakeWrite_ = -1;
  std::atomic<bool> wakePending_{false};
  std::atomic<bool> deviceFailed_{false};
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace orvanix
