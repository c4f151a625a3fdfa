#include "acquisition/SoundPort.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <utility>

#include "acquisition/LoopbackDevice.h"
#include "acquisition/PortAudioHost.h"
#include "acquisition/PortAudioStream.h"
#include "acquisition/ReportQueue.h"
#include "acquisition/SoundTexts.h"
#include "engine/Messages.h"

namespace orvanix {

namespace {

// The virtual devices, listed after the real ones in both directions.
const char* const kVirtualDevices[] = {kLoopbackDeviceName};
constexpr int kVirtualCount =
    static_cast<int>(sizeof(kVirtualDevices) / sizeof(kVirtualDevices[0]));

// The rates a real device is probed at; together they decide the lowest and highest rate.
constexpr uint32_t kProbeRates[] = {8000,  11025, 16000, 22050,  32000, 44100,
                                    48000, 88200, 96000, 176400, 192000};

int RealCount(TSoundDirection direction) {
  return static_cast<int>(TPortAudioHost::Instance().Devices(direction).size());
}

}  // namespace

// ---------------------------------------------------------------- the device list

int TSoundPort::DeviceCount(TSoundDirection direction) {
  return RealCount(direction) + kVirtualCount;
}

std::string TSoundPort::DeviceName(TSoundDirection direction, int deviceId) {
  if (deviceId < 0) return {};
  const auto& real = TPortAudioHost::Instance().Devices(direction);
  if (deviceId < static_cast<int>(real.size())) return real[static_cast<size_t>(deviceId)].name;
  const int virtualId = deviceId - static_cast<int>(real.size());
  if (virtualId < kVirtualCount) return kVirtualDevices[virtualId];
  return {};
}

int TSoundPort::ClampDeviceId(TSoundDirection direction, int deviceId) {
  const int count = DeviceCount(direction);
  return std::clamp(deviceId, 0, count - 1);
}

int TSoundPort::FindDevice(TSoundDirection direction, std::string_view name) {
  const int count = DeviceCount(direction);
  for (int id = 0; id < count; ++id) {
    if (DeviceName(direction, id) == name) return id;
  }
  return -1;
}

bool TSoundPort::AudioSystemAvailable() {
  return TPortAudioHost::Instance().Available();
}

// ---------------------------------------------------------------- construction and probing

TSoundPort::TSoundPort(int deviceId, TSoundDirection direction) : direction_(direction) {
  lowest_.Set(1, 11025, 1);
  highest_.Set(2, 44100, 2);
  format_.Set(1, 44100, 2);
  streamFormat_ = format_;

  int fds[2];
  if (pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0) {
    wakeRead_ = fds[0];
    wakeWrite_ = fds[1];
  }

  const int realCount = RealCount(direction);
  if (deviceId < 0 || deviceId >= realCount + kVirtualCount) return;  // no device: fail quietly
  deviceId_ = deviceId;
  if (wakeRead_ < 0) {
    error_ = true;
    ReportError(orvanix::Format(kSoundDetailFormat, kSoundDeviceFailure,
                                DeviceName(direction, deviceId).c_str(),
                                orvanix::Format(kSoundDetailNotify, std::strerror(errno)).c_str()));
    return;
  }
  if (deviceId >= realCount) {
    kind_ = Kind::Loopback;
    name_ = kVirtualDevices[deviceId - realCount];
    // A cable in software: every rate, width and channel count within our limits.
    lowest_.Set(1, kMinRateHz, 1);
    highest_.Set(2, kMaxRateHz, 3);
    has8_ = has16_ = has24_ = true;
    return;
  }
  const TPortAudioDevice& device =
      TPortAudioHost::Instance().Devices(direction)[static_cast<size_t>(deviceId)];
  kind_ = Kind::PortAudio;
  paIndex_ = device.paIndex;
  name_ = device.name;
  latencySecs_ = device.latencySecs;
  ProbePortAudio();
}

void TSoundPort::ProbePortAudio() {
  // Each probe opens the device, which is slow through some ALSA plugins; the answers are kept
  // for the PortAudio session, so recreating a port (the calibration's temporary input) is
  // instant. Failures are not kept: a busy device may be free next time.
  struct TProbe {
    bool has8, has16, has24, discrete;
    std::vector<uint32_t> rates;
    WaveFormat lowest, highest;
  };
  static std::map<std::pair<int, int>, TProbe> cache;
  static uint32_t cacheSession = 0;
  TPortAudioHost& host = TPortAudioHost::Instance();
  if (cacheSession != host.Session()) {
    cache.clear();
    cacheSession = host.Session();
  }
  const auto key = std::make_pair(static_cast<int>(direction_), paIndex_);
  if (const auto found = cache.find(key); found != cache.end()) {
    const TProbe& probe = found->second;
    has8_ = probe.has8, has16_ = probe.has16, has24_ = probe.has24;
    discreteRates_ = probe.discrete;
    rates_ = probe.rates;
    lowest_ = probe.lowest;
    highest_ = probe.highest;
    return;
  }

  const TPortAudioDevice& device = host.Devices(direction_)[static_cast<size_t>(deviceId_)];
  std::string reason;
  uint32_t channels = 1;
  auto accepts = [&](uint32_t rate, uint32_t bytes) {
    return host.IsFormatSupported(paIndex_, direction_, rate, channels, bytes, &reason);
  };

  // Widths at the device's own rate first (the one it surely runs at), then at the common
  // rates; mono first, then stereo, since some hardware devices take two channels only.
  uint32_t probeRate = static_cast<uint32_t>(device.defaultRateHz + 0.5);
  if (probeRate < kMinRateHz || probeRate > kMaxRateHz) probeRate = 44100;
  const uint32_t candidates[] = {probeRate, 48000, 44100};
  bool anyWidth = false;
  for (uint32_t tryChannels = 1;
       tryChannels <= static_cast<uint32_t>(std::min(device.maxChannels, 2)) && !anyWidth;
       ++tryChannels) {
    channels = tryChannels;
    for (uint32_t rate : candidates) {
      has8_ = accepts(rate, 1);
      has16_ = accepts(rate, 2);
      has24_ = accepts(rate, 3);
      if (has8_ || has16_ || has24_) {
        probeRate = rate;
        anyWidth = true;
        break;
      }
    }
  }
  if (!anyWidth) {
    error_ = true;
    ReportError(
        orvanix::Format(kSoundDetailFormat, kSoundDeviceFailure, name_.c_str(),
                        (std::string(kSoundDetailNoFormat) + "\nPortAudio: " + reason).c_str()));
    return;
  }
  const uint32_t narrow = has8_ ? 1 : (has16_ ? 2 : 3);
  const uint32_t wide = has24_ ? 3 : (has16_ ? 2 : 1);
  const uint32_t common = has16_ ? 2 : wide;
  const uint32_t fewestChannels = channels;
  uint32_t mostChannels = channels;
  if (channels == 1 && device.maxChannels >= 2) {
    channels = 2;
    if (accepts(probeRate, common)) mostChannels = 2;
    channels = 1;
  }

  rates_.clear();
  for (uint32_t rate : kProbeRates) {
    if (rate == probeRate || accepts(rate, common)) rates_.push_back(rate);
  }
  if (std::find(rates_.begin(), rates_.end(), probeRate) == rates_.end()) {
    rates_.push_back(probeRate);
    std::sort(rates_.begin(), rates_.end());
  }
  // A rate no card lists: accepted only by devices that take any rate in their range (or
  // resample, as ALSA's plug layer does).
  discreteRates_ = true;
  if (rates_.size() >= 2) {
    const uint32_t odd = (rates_.front() + rates_.back()) / 2 + 7;
    discreteRates_ = !accepts(odd, common);
  }
  lowest_.Set(fewestChannels, rates_.front(), narrow);
  highest_.Set(mostChannels, rates_.back(), wide);
  cache[key] = TProbe{has8_, has16_, has24_, discreteRates_, rates_, lowest_, highest_};
}

TSoundPort::~TSoundPort() {
  Close();
  notifier_.reset();
  if (wakeRead_ >= 0) ::close(wakeRead_);
  if (wakeWrite_ >= 0) ::close(wakeWrite_);
}

bool TSoundPort::SupportsBytes(uint32_t bytes) const {
  switch (bytes) {
    case 1:
      return has8_;
    case 2:
      return has16_;
    case 3:
      return has24_;
    default:
      return false;
  }
}

// ---------------------------------------------------------------- format

bool TSoundPort::SetFormat(uint32_t rateHz, uint32_t channels, uint32_t bytesPerSample) {
  format_.Set(channels, rateHz, bytesPerSample);
  // The request as made is tested, not its normalised form: three channels must not be
  // answered "accepted" because the record turned them into one.
  return TestFormat(rateHz, bytesPerSample, channels) &&
         TestFormat(format_.sampleRate, format_.bytesPerSample, format_.channels);
}

bool TSoundPort::TestFormat(uint32_t rateHz, uint32_t bytesPerSample, uint32_t channels) const {
  return CheckFormat(rateHz, bytesPerSample, channels, nullptr);
}

bool TSoundPort::CheckFormat(uint32_t rateHz, uint32_t bytesPerSample, uint32_t channels,
                             std::string* reason) const {
  if (error_ || kind_ == Kind::None) return false;
  if (channels < 1 || channels > 2 || bytesPerSample < 1 || bytesPerSample > 3) return false;
  if (rateHz < kMinRateHz || rateHz > kMaxRateHz) return false;
  if (kind_ == Kind::Loopback) return true;
  if (channels > highest_.channels || !SupportsBytes(bytesPerSample)) return false;
  return TPortAudioHost::Instance().IsFormatSupported(paIndex_, direction_, rateHz, channels,
                                                      bytesPerSample, reason);
}

std::string TSoundPort::RateRefusalText(uint32_t rateHz) const {
  if (TestFormat(rateHz, format_.bytesPerSample, format_.channels)) return {};
  if (!discreteRates_) {
    return orvanix::Format(kSoundRateRange, static_cast<long>(LowestRate()),
                           static_cast<long>(HighestRate()));
  }
  // The classic cards offered 11025, 22050 and 44100 in that order; their texts fit only
  // exactly those sets.
  static const std::vector<uint32_t> k11 = {11025}, k22 = {11025, 22050},
                                     k44 = {11025, 22050, 44100};
  if (rates_ == k11) return kSoundRate11025Only;
  if (rates_ == k22) return kSoundRateUpTo22050;
  if (rates_ == k44) return kSoundRateUpTo44100;
  std::string list;
  for (uint32_t rate : rates_) {
    if (!list.empty()) list += ", ";
    list += std::to_string(rate);
  }
  return orvanix::Format(kSoundRateOneOf, list.c_str());
}

// ---------------------------------------------------------------- lifecycle

bool TSoundPort::Open(TBuffersDoneHandler onBuffersDone) {
  if (error_ || kind_ == Kind::None) return false;
  if (IsOpen()) Close();
  ResetSlots();
  std::string reason;
  if (!CheckFormat(format_.sampleRate, format_.bytesPerSample, format_.channels, &reason)) {
    std::string detail = orvanix::Format(
        kSoundDetailFormatRefused, static_cast<unsigned>(format_.sampleRate),
        static_cast<unsigned>(format_.channels), static_cast<unsigned>(format_.bitsPerSample));
    if (!reason.empty()) detail += "\nPortAudio: " + reason;
    Messages().Report(
        orvanix::Format(kSoundDetailFormat, kSoundFormatRefused, name_.c_str(), detail.c_str()),
        kSoundFormatRefusedCaption, MessageIcon::Error);
    return false;
  }
  streamFormat_ = format_;
  frameBytes_ = format_.BlockAlign();
  position_.store(0, std::memory_order_release);
  started_ = false;
  ResetCounters();

  std::string error;
  if (kind_ == Kind::Loopback) {
    stream_ = TLoopbackDevice::Instance().Attach(*this, error);
  } else {
    stream_ = TPortAudioStream::Open(*this, paIndex_, direction_, format_, latencySecs_, error);
  }
  if (!stream_) {
    ReportError(
        orvanix::Format(kSoundDetailFormat, kSoundDeviceBusy, name_.c_str(), error.c_str()));
    return false;
  }

  handler_ = std::move(onBuffersDone);
  if (handler_ && !notifier_ && QCoreApplication::instance()) {
    // Kept for the port's lifetime: a handler that closes the port runs inside the
    // notifier's own signal, where deleting it would be unsafe.
    notifier_ = std::make_unique<QSocketNotifier>(wakeRead_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { OnWake(); });
  }
  return true;
}

void TSoundPort::Close() {
  if (stream_) {
    stream_->Stop();  // no callback runs after this
    stream_.reset();
  }
  ResetSlots();
  started_ = false;
  deviceFailed_.store(false);
  if (wakeRead_ >= 0) {
    char sink[64];
    while (::read(wakeRead_, sink, sizeof sink) > 0) {
    }
  }
  wakePending_.store(false);
}

void TSoundPort::ResetSlots() {
  for (TSlot& slot : slots_) {
    slot.state.store(kSlotIdle);
    slot.doneBytes.store(0);
    slot.sequence.store(0);
  }
  queueHead_.store(0);
  queueTail_.store(0);
  current_ = -1;
  offset_ = 0;
}

bool TSoundPort::StartStream() {
  if (!stream_) return false;
  if (stream_->Started()) return true;
  std::string error;
  if (!stream_->Start(error)) {
    Fail(error);
    return false;
  }
  startTime_ = std::chrono::steady_clock::now();
  started_ = true;
  return true;
}

void TSoundPort::Fail(std::string_view detail) {
  // Closed first, told after: this runs inside buffer handling and device notices, where a
  // message box's event loop would deliver the next notice to a port still open.
  const std::string text = orvanix::Format(kSoundDetailFormat, kSoundDeviceFailure, name_.c_str(),
                                           std::string(detail).c_str());
  Close();
  TReportQueue::Instance().Post(text, MessageIcon::Error);
}

// ---------------------------------------------------------------- buffers

bool TSoundPort::QueueSlot(int slot, uint8_t* data, uint32_t bytes, bool loop) {
  if (error_ || !IsOpen()) return false;
  if (slot < 0 || slot >= kSlotCount || data == nullptr || bytes < frameBytes_) {
    Fail(kSoundDetailBadBuffer);
    return false;
  }
  if (bytes / frameBytes_ >= (1u << 30)) {
    Fail(kSoundDetailBufferTooLarge);
    return false;
  }
  TSlot& s = slots_[slot];
  if (s.state.load(std::memory_order_acquire) == kSlotQueued) {
    Fail(kSoundDetailSlotBusy);
    return false;
  }
  s.data = data;
  s.bytes = bytes - bytes % frameBytes_;
  s.loop = loop;
  s.doneBytes.store(0, std::memory_order_relaxed);
  s.state.store(kSlotQueued, std::memory_order_release);
  const uint32_t tail = queueTail_.load(std::memory_order_relaxed);
  queue_[tail % kQueueSize] = slot;
  queueTail_.store(tail + 1, std::memory_order_release);  // publishes the slot's fields too
  return true;
}

bool TSoundPort::IsDone(int slot) const {
  if (slot < 0 || slot >= kSlotCount) return false;
  return slots_[slot].state.load(std::memory_order_acquire) == kSlotDone;
}

int TSoundPort::TakeDone() {
  int oldest = -1;
  uint64_t oldestSequence = 0;
  for (int i = 0; i < kSlotCount; ++i) {
    if (slots_[i].state.load(std::memory_order_acquire) != kSlotDone) continue;
    const uint64_t sequence = slots_[i].sequence.load(std::memory_order_relaxed);
    if (oldest < 0 || sequence < oldestSequence) {
      oldest = i;
      oldestSequence = sequence;
    }
  }
  if (oldest >= 0) slots_[oldest].state.store(kSlotIdle, std::memory_order_release);
  return oldest;
}

uint32_t TSoundPort::BytesDone(int slot) const {
  if (slot < 0 || slot >= kSlotCount) return 0;
  return slots_[slot].doneBytes.load(std::memory_order_acquire);
}

double TSoundPort::PositionTime() const {
  return static_cast<double>(Position()) / static_cast<double>(streamFormat_.sampleRate);
}

// ---------------------------------------------------------------- device side

int TSoundPort::PopQueued() noexcept {
  const uint32_t head = queueHead_.load(std::memory_order_relaxed);
  if (head == queueTail_.load(std::memory_order_acquire)) return -1;
  const int slot = queue_[head % kQueueSize];
  queueHead_.store(head + 1, std::memory_order_release);
  return slot;
}

void TSoundPort::ReturnSlot(int slot) noexcept {
  TSlot& s = slots_[slot];
  s.sequence.store(++returnCounter_, std::memory_order_relaxed);
  s.state.store(kSlotDone, std::memory_order_release);
  Wake();
}

void TSoundPort::Wake() noexcept {
  // One byte per batch: the main thread clears the flag only after draining the pipe, so a
  // wake-up can never be lost and the pipe never fills.
  if (!wakePending_.exchange(true, std::memory_order_acq_rel) && wakeWrite_ >= 0) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeWrite_, &byte, 1);
  }
}

void TSoundPort::DeviceFailed() noexcept {
  deviceFailed_.store(true, std::memory_order_release);
  Wake();
}

void TSoundPort::OnWake() {
  char sink[64];
  while (::read(wakeRead_, sink, sizeof sink) > 0) {
  }
  // An exchange, not a store: it reads the device's latest `true`, so everything the device
  // did before it (returning a slot) is visible to the handler below; a slot returned after
  // it finds the flag clear and wakes us again.
  wakePending_.exchange(false, std::memory_order_acq_rel);
  if (deviceFailed_.exchange(false) && IsOpen()) Fail(kSoundDetailStreamStopped);
  if (handler_) {
    // A copy: the handler may reopen the port with another handler.
    const TBuffersDoneHandler handler = handler_;
    handler();
  }
}

}  // namespace orvanix
