// Where blocks come from: the I/O buffers, the ring of input buffers and the wave document;
// the channel delay, decimation, overload detection and the trigger search.
#include <algorithm>
#include <cstring>

#include "acquisition/RunLoop.h"
#include "acquisition/SoundInput.h"
#include "acquisition/SoundOutput.h"
#include "engine/Messages.h"
#include "files/WaveFile.h"

namespace orvanix {

namespace {
// The largest I/O buffer we allocate, in frames (about 1.5 hours at 192 kHz); anything
// larger comes from a setting that makes no sense.
constexpr uint64_t kMaxBufferFrames = uint64_t{1} << 30;
}  // namespace

void CopySamples(uint8_t* dst, const uint8_t* src, uint32_t count, uint32_t bytes,
                 uint32_t stride) {
  if (bytes == stride) {
    std::memcpy(dst, src, uint64_t{count} * bytes);
  } else if (bytes == 2) {
    for (uint32_t i = 0; i < count; ++i, src += stride, dst += 2) {
      dst[0] = src[0];
      dst[1] = src[1];
    }
  } else {
    for (uint32_t i = 0; i < count; ++i, src += stride, dst += bytes) {
      for (uint32_t b = 0; b < bytes; ++b) dst[b] = src[b];
    }
  }
}

uint32_t TRunLoop::ChannelDelay(uint32_t channel) const {
  const ProcessingSettings& s = host_.Engine().settings;
  if (s.format.channels < 2 || s.delaySamples <= 0) return 0;
  return s.delayChannel == channel ? static_cast<uint32_t>(s.delaySamples) : 0;
}

uint32_t TRunLoop::TriggerDelayDecimated() const {
  // The trigger buffers hold decimated samples, rate / D of them per second, so a delay of
  // t milliseconds spans rate x t / 1000 / D of them.
  const ProcessingSettings& s = host_.Engine().settings;
  const double delay = std::max(0.0f, host_.Trigger().delayMsec);
  const double raw = s.format.sampleRate * delay * 0.001;
  return static_cast<uint32_t>(raw / std::max<uint32_t>(1, s.decimationRatio));
}

bool TRunLoop::SizeBuffers(const WaveFormat& format) {
  const ProcessingSettings& s = host_.Engine().settings;
  const TFileIoSettings& io = host_.FileIo();
  const TTriggerSettings& trigger = host_.Trigger();
  const uint64_t rate = format.sampleRate;
  const uint64_t delay = static_cast<uint64_t>(std::max(0, s.delaySamples));

  uint64_t v = uint64_t{std::max<uint32_t>(1, s.decimationRatio)} *
                   static_cast<uint64_t>(std::max(1, s.fftSize)) +
               4 * delay;
  if (io.allowSplitBuffers == 0) v *= 10;
  if (trigger.enable) {
    v = 2 * v + static_cast<uint64_t>(rate * std::max(0.0f, trigger.delayMsec) * 0.001);
  }
  const uint64_t realTimeFrames =
      rate *
      static_cast<uint64_t>(io.realTimeIoBufferSizeSecs > 0 ? io.realTimeIoBufferSizeSecs : 1);
  if (host_.Mode() == kModeRealTime) {
    v = std::max(v, realTimeFrames);
  } else if (host_.Mode() == kModeRecorder && v < realTimeFrames) {
    v = rate *
            static_cast<uint64_t>(io.recordIoBufferSizeSecs > 0 ? io.recordIoBufferSizeSecs : 1) +
        4 * delay;
  }
  if (const uint32_t points = host_.DataLinkPoints(); points > 0) v = 10ull * points;
  if (v % 16384 == 0) v += 1000;
  if (v % 2 == 1) ++v;
  if (v > kMaxBufferFrames) {
    ReportError(kInsufficientMemory);
    return false;
  }

  const uint32_t frames = static_cast<uint32_t>(v);
  // The most a fetch reaches back from the newest frame: a block (or the longer trigger
  // buffers) and the channel delay.
  const TEngineObjects& engine = host_.Engine();
  uint64_t reach = engine.seriesLeft ? engine.seriesLeft->Count() : 0;
  if (triggerLeft_) reach = std::max<uint64_t>(reach, triggerLeft_->Count());
  reach += std::max(ChannelDelay(0), ChannelDelay(1));
  const uint32_t tailFrames = static_cast<uint32_t>(std::min<uint64_t>(reach, frames));
  bool allocated = true;
  for (auto& buffer : io_) {
    buffer = std::make_unique<TWaveData>(frames, format);
    allocated = allocated && !buffer->Error() && buffer->Memory() != nullptr;
  }
  if (allocated) {
    tail_.clear();
    tail_.shrink_to_fit();
    tail_.resize(uint64_t{tailFrames} * format.BlockAlign());
  }
  if (!allocated) {
    io_[0].reset();
    io_[1].reset();
    bufferFrames_ = 0;
    tailFrames_ = 0;
    ReportError(kInsufficientMemory);
    return false;
  }
  bufferFrames_ = frames;
  tailFrames_ = tailFrames;
  return true;
}

bool TRunLoop::BuildTriggerBuffers() {
  const TEngineObjects& engine = host_.Engine();
  const ProcessingSettings& s = engine.settings;
  const uint32_t decimation = std::max<uint32_t>(1, s.decimationRatio);
  const uint64_t raw =
      2ull * s.fftSize * decimation + uint64_t{TriggerDelayDecimated()} * decimation;
  if (raw >= kMaxSeriesSamples) {
    ReportError(kInsufficientMemory);
    return false;
  }
  const bool lowPass = s.lowPassFilter != 0;
  triggerLeft_ =
      std::make_unique<TSeriesData>(static_cast<uint32_t>(raw), s.format, decimation, lowPass);
  if (s.format.channels == 2) {
    triggerRight_ =
        std::make_unique<TSeriesData>(static_cast<uint32_t>(raw), s.format, decimation, lowPass);
  }
  if (triggerLeft_->Error() || (triggerRight_ && triggerRight_->Error())) {
    triggerLeft_.reset();
    triggerRight_.reset();
    ReportError(kInsufficientMemory);
    return false;
  }
  return true;
}

bool TRunLoop::FetchBlock() {
  TEngineObjects& engine = host_.Engine();
  const bool triggering = host_.Trigger().enable != 0 && triggerLeft_ != nullptr;
  TSeriesData* left = triggering ? triggerLeft_.get() : engine.seriesLeft.get();
  TSeriesData* right = triggering ? triggerRight_.get() : engine.seriesRight.get();
  if (!left) return false;
  if (engine.settings.format.channels < 2) right = nullptr;

  bool fetched = false;
  switch (state_) {
    case kStateRunning:
      if (host_.Mode() == kModePostProcessing) {
        TWaveFile* doc = host_.DocumentSlot().get();
        fetched = doc && FetchFromWave(*doc, doc->Position(), left, right, true);
      } else {
        fetched = FetchFromInput(left, right);
      }
      break;
    case kStateRecording:
      fetched = FetchFromInput(left, right);
      break;
    case kStatePlaying: {
      TWaveFile* doc = host_.DocumentSlot().get();
      const TSoundOutput* out = host_.Output();
      if (doc && out) {
        const uint64_t played = playStartFrame_ + out->Position();
        const uint64_t end = std::min<uint64_t>(played, doc->Length());
        // The block that has just been heard ends at the output position.
        const uint64_t block = left->Count();
        const uint32_t start = end > block ? static_cast<uint32_t>(end - block) : 0;
        fetched = FetchFromWave(*doc, start, left, right, false);
      }
      break;
    }
    default:
      break;
  }
  if (!fetched) return false;

  left->Decimate();
  if (right) right->Decimate();
  MeasureOverload(left, right);
  return true;
}

bool TRunLoop::MeasureOverload(TSeriesData* left, TSeriesData* right) {
  if (!host_.Engine().settings.overloadDetection) {
    overload_ = false;
    return false;
  }
  const bool wasOverloaded = overload_;
  const int oldLeft = peakLeft_;
  const int oldRight = peakRight_;
  peakLeft_ = left->PeakLevel();
  overload_ = peakLeft_ >= 10;
  if (right && !overload_) {
    peakRight_ = right->PeakLevel();
    overload_ = peakRight_ >= 10;
  }
  if (overload_) ++overloadCount_;
  if (overload_ != wasOverloaded || peakLeft_ != oldLeft || peakRight_ != oldRight) {
    host_.StatusChanged();
  }
  return overload_;
}

bool TRunLoop::FetchFromWave(TWaveData& wave, uint32_t position, TSeriesData* left,
                             TSeriesData* right, bool requireDelayMargin) {
  const uint32_t a = left->Count();
  const uint32_t delayLeft = ChannelDelay(0);
  const uint32_t delayRight = right ? ChannelDelay(1) : 0;
  const uint64_t length = wave.Length();
  const uint64_t needed = uint64_t{a} + (requireDelayMargin ? uint64_t{delayLeft} + delayRight : 0);
  if (position > length || length - position < needed) return false;
  const WaveFormat& format = wave.Format();
  // The block buffers were built for this format; anything else would be misread.
  if (format.bytesPerSample != left->Format().bytesPerSample || (right && format.channels < 2)) {
    return false;
  }

  // One read of the interleaved frames both channels need (the delayed one starts earlier),
  // straight from memory in RAM mode: no per-sample calls on this path.
  const uint32_t align = format.BlockAlign();
  const uint32_t earliest =
      position > std::max(delayLeft, delayRight) ? position - std::max(delayLeft, delayRight) : 0;
  const uint32_t frames = position + a - earliest;
  const uint8_t* block = nullptr;
  if (const uint8_t* memory = wave.Memory()) {
    block = memory + uint64_t{earliest} * align;
  } else {
    readScratch_.resize(uint64_t{frames} * align);
    const uint32_t saved = wave.Position();
    const bool read =
        wave.Seek(earliest) && wave.ReadBlock(readScratch_.data(), readScratch_.size());
    wave.Seek(saved);
    if (!read) return false;
    block = readScratch_.data();
  }

  auto fill = [&](TSeriesData& target, uint32_t channel, uint32_t delay) {
    // Before the start of the file there is nothing to read: that part of the block is
    // silence, not whatever the buffer held before.
    const int64_t start = int64_t{position} - delay;
    const uint32_t skip = start < 0 ? static_cast<uint32_t>(std::min<int64_t>(-start, a)) : 0;
    if (skip > 0) target.Clear(0, skip);
    if (skip >= a) return;
    const uint64_t first = static_cast<uint64_t>(start + skip) - earliest;
    CopySamples(target.SampleAddress(skip),
                block + first * align + format.ChannelIndex(channel) * format.bytesPerSample,
                a - skip, format.bytesPerSample, align);
  };
  fill(*left, 0, delayLeft);
  if (right) fill(*right, 1, delayRight);
  return true;
}

// Reading the input ring without racing the device. The device writes a buffer only while
// it is queued; we requeue a returned buffer only after taking from it what we need, on this
// thread. So a fetch reads from three places, none of which the device can be writing:
//  - the buffer being filled, up to the position the device has published (it writes only
//    beyond it, and publishes with release after each copy);
//  - a buffer the device has returned and we have not taken back yet (turn collectedTurns_
//    or later): it is not queued;
//  - for anything older, the copy of the last taken buffer's tail (tail_), made before it was
//    requeued.
// Frames older than that tail cannot be read at all; a block that needs them waits for the
// next pass (the fetch fails). No check after the copy is needed: nothing can tear it.
void TRunLoop::CopyChannelFromInput(uint64_t first, uint32_t count, uint32_t channel,
                                    TSeriesData& target) {
  const uint64_t v = bufferFrames_;
  const WaveFormat& format = io_[0]->Format();
  const uint32_t align = format.BlockAlign();
  const uint32_t bytes = format.bytesPerSample;
  const uint32_t offset = format.ChannelIndex(channel) * bytes;
  const uint64_t collectedEnd = collectedTurns_ * v;  // frames before this are in the tail
  const uint64_t tailStart = collectedEnd - tailFrames_;
  uint32_t written = 0;
  uint64_t k = first;
  const uint64_t end = first + count;
  while (k < end) {
    const uint8_t* from = nullptr;
    uint64_t run = 0;
    if (k < collectedEnd) {
      from = tail_.data() + (k - tailStart) * align;
      run = std::min(end, collectedEnd) - k;
    } else {
      const uint64_t index = k % v;
      from = io_[(k / v) % 2]->Memory() + index * align;
      run = std::min(end - k, v - index);
    }
    CopySamples(target.SampleAddress(written), from + offset, static_cast<uint32_t>(run), bytes,
                align);
    written += static_cast<uint32_t>(run);
    k += run;
  }
}

bool TRunLoop::FetchFromInput(TSeriesData* left, TSeriesData* right) {
  TSoundInput* in = host_.Input();
  if (!in || !in->IsOpen() || bufferFrames_ == 0 || !io_[0] || !io_[1]) return false;
  const uint32_t a = left->Count();
  const uint32_t delayLeft = ChannelDelay(0);
  const uint32_t delayRight = right ? ChannelDelay(1) : 0;
  const uint64_t needed = uint64_t{a} + std::max(delayLeft, delayRight);
  const uint64_t v = bufferFrames_;
  if (needed > v || needed > tailFrames_) return false;

  // The device's position counts exactly the frames written into the ring, so it names the
  // newest frame's place there.
  const uint64_t position = InputEnd();
  if (position < needed) return false;
  const bool triggering = host_.Trigger().enable != 0;
  if (triggering && position < lastTriggerEnd_ + needed) return false;
  // Without new frames there is no new block (a step may come sooner than the device).
  if (!triggering && position == lastFetchEnd_) return false;
  const uint64_t first = position - needed;
  const uint64_t collectedEnd = collectedTurns_ * v;
  if (collectedTurns_ > 0 && first < collectedEnd - tailFrames_) return false;
  // One buffer or two: refused when split buffers are not allowed.
  if (host_.FileIo().allowSplitBuffers == 0 && first / v != (position - 1) / v) return false;

  CopyChannelFromInput(position - delayLeft - a, a, 0, *left);
  if (right) CopyChannelFromInput(position - delayRight - a, a, 1, *right);
  lastFetchEnd_ = position;
  if (triggering) lastTriggerEnd_ = position;
  return true;
}

bool TRunLoop::SearchTrigger(uint32_t& start) {
  const TTriggerSettings& t = host_.Trigger();
  const uint32_t n = static_cast<uint32_t>(host_.Engine().settings.fftSize);
  const uint32_t delay = TriggerDelayDecimated();
  const bool postTrigger = t.delayType == 1;
  const uint32_t from = postTrigger ? 0 : delay;
  TSeriesData* source =
      (t.channel == 1 && triggerRight_) ? triggerRight_.get() : triggerLeft_.get();
  uint32_t index = from;
  bool found = false;
  if (forceTrigger_) {
    forceTrigger_ = false;
    found = true;
  } else {
    found = source->FindTrigger(from, n, static_cast<uint16_t>(t.triggerType),
                                static_cast<uint16_t>(t.slope), static_cast<float>(t.thresholdPct),
                                index);
  }
  if (!found) return false;
  start = index + (postTrigger ? delay : 0) - from;
  return start + n <= source->DecimatedCount();
}

}  // namespace orvanix
