#include "files/WaveData.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "engine/Messages.h"
#include "files/WaveFileFormat.h"
#include "files/WaveTexts.h"

namespace orvanix {

namespace {

// A long recording in memory is touched page by page when it is loaded and analysed; with
// 4 KiB pages that is hundreds of faults per second of stereo audio, and on a virtual
// machine each one is dear (a ten-minute file loaded three times slower than with 2 MiB
// pages). Large buffers therefore ask for huge pages, where the system offers them; the
// whole pages inside the block only.
void AdviseHugePages(uint8_t* block, uint64_t bytes) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  constexpr uint64_t kHugePage = uint64_t{2} << 20;
  if (bytes < 2 * kHugePage) return;
  const long pageSize = ::sysconf(_SC_PAGESIZE);
  if (pageSize <= 0) return;
  const uintptr_t page = static_cast<uintptr_t>(pageSize);
  const uintptr_t start = (reinterpret_cast<uintptr_t>(block) + page - 1) & ~(page - 1);
  const uintptr_t end = (reinterpret_cast<uintptr_t>(block) + bytes) & ~(page - 1);
  // Advice only: where it is refused the buffer works as before.
  if (end > start) (void)::madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
#else
  (void)block;
  (void)bytes;
#endif
}

uint64_t g_sampleMemoryLimit = 0;

// Largest block align of a format: 2 channels x 4 bytes.
constexpr uint32_t kMaxBlockAlign = 8;

bool FitsSampleWidth(int32_t value, uint32_t bytes) {
  switch (bytes) {
    case 1:
      return value >= 0 && value <= 255;
    case 2:
      return value >= -32768 && value <= 32767;
    case 3:
      return value >= -8388608 && value <= 8388607;
    default:
      return false;  // 4-byte samples are not encoded by the sample accessors
  }
}

void PutSilentSample(uint8_t* p, uint32_t bytes, int32_t zero) {
  if (bytes == 1) {
    p[0] = static_cast<uint8_t>(zero);
  } else {
    std::memset(p, 0, bytes);
  }
}

}  // namespace

void SetSampleMemoryLimitForTesting(uint64_t bytes) {
  g_sampleMemoryLimit = bytes;
}

void TWaveData::FreeDeleter::operator()(uint8_t* p) const {
  std::free(p);
}

TWaveData::TWaveData() {
  format_.Normalise();
}

TWaveData::TWaveData(uint32_t capacityFrames, const WaveFormat& format) : format_(format) {
  format_.Normalise();
  SetFullScale(1.f, 1.f);
  if (!AllocateFrames(capacityFrames)) {
    error_ = true;
    return;
  }
  length_ = capacity_;
}

TWaveData::~TWaveData() = default;

bool TWaveData::AllocateFrames(uint32_t frames) {
  const uint64_t bytes = uint64_t{frames} * BlockAlign();
  if (frames == 0) {
    ReleaseMemory();
    return true;
  }
  if (bytes > std::numeric_limits<size_t>::max()) return false;
  if (g_sampleMemoryLimit != 0 && bytes > g_sampleMemoryLimit) return false;
  const uint64_t oldBytes = memory_ ? bufferBytes_ : 0;
  uint8_t* block = memory_ ? static_cast<uint8_t*>(std::realloc(memory_.get(), bytes))
                           : static_cast<uint8_t*>(std::calloc(bytes, 1));
  if (!block) return false;  // realloc keeps the old block on failure
  (void)memory_.release();
  memory_.reset(block);
  AdviseHugePages(block, bytes);
  if (bytes > oldBytes) {
    if (oldBytes > 0 || format_.bytesPerSample == 1) {
      FillSilenceBytes(block + oldBytes, static_cast<uint32_t>((bytes - oldBytes) / BlockAlign()));
    }
  }
  bufferBytes_ = bytes;
  capacity_ = frames;
  return true;
}

void TWaveData::ReleaseMemory() {
  memory_.reset();
  bufferBytes_ = 0;
  capacity_ = 0;
}

void TWaveData::FillSilenceBytes(uint8_t* dest, uint32_t frames) const {
  const size_t bytes = size_t{frames} * BlockAlign();
  std::memset(dest, format_.bytesPerSample == 1 ? format_.zeroValue : 0, bytes);
}

bool TWaveData::Seek(uint32_t frame) {
  if (frame > length_) return false;
  position_ = frame;
  return true;
}

void TWaveData::Advance(uint32_t frames) {
  const uint64_t target = uint64_t{position_} + frames;
  const uint32_t last = length_ ? length_ - 1 : 0;
  position_ = target > last ? last : static_cast<uint32_t>(target);
}

bool TWaveData::LoadFrames(uint32_t frame, uint32_t count, uint8_t* dest) const {
  if (!memory_ || uint64_t{frame} + count > capacity_) return false;
  std::memcpy(dest, memory_.get() + size_t{frame} * BlockAlign(), size_t{count} * BlockAlign());
  return true;
}

uint32_t TWaveData::StoreFrames(uint32_t frame, uint32_t count, const uint8_t* src) {
  if (!memory_ || uint64_t{frame} + count > capacity_) return 0;
  std::memmove(memory_.get() + size_t{frame} * BlockAlign(), src, size_t{count} * BlockAlign());
  return count;
}

bool TWaveData::ReadChannel(uint8_t* dest, uint32_t start, uint32_t count, uint32_t channel) {
  if (count > length_) return false;
  const uint32_t bytes = format_.bytesPerSample;
  const uint32_t align = BlockAlign();
  const uint32_t offset = format_.ChannelIndex(channel) * bytes;
  const uint32_t available = start < length_ ? std::min(count, length_ - start) : 0;
  uint8_t piece[kPieceFrames * kMaxBlockAlign];
  uint32_t done = 0;
  while (done < available) {
    const uint32_t n = std::min(kPieceFrames, available - done);
    if (!LoadFrames(start + done, n, piece)) break;
    for (uint32_t i = 0; i < n; ++i) {
      std::memcpy(dest + size_t{done + i} * bytes, piece + size_t{i} * align + offset, bytes);
    }
    done += n;
  }
  for (uint32_t i = done; i < count; ++i) {
    PutSilentSample(dest + size_t{i} * bytes, bytes, format_.zeroValue);
  }
  return done == count;
}

bool TWaveData::WriteChannel(const uint8_t* src, uint32_t start, uint32_t count, uint32_t channel) {
  const uint32_t bytes = format_.bytesPerSample;
  const uint32_t align = BlockAlign();
  const uint32_t offset = format_.ChannelIndex(channel) * bytes;
  const uint32_t writable = start < length_ ? std::min(count, length_ - start) : 0;
  uint8_t piece[kPieceFrames * kMaxBlockAlign];
  uint32_t done = 0;
  bool ok = true;
  while (done < writable) {
    const uint32_t n = std::min(kPieceFrames, writable - done);
    const uint8_t* from = src + size_t{done} * bytes;
    if (format_.channels == 2) {
      if (!LoadFrames(start + done, n, piece)) {
        ok = false;
        break;
      }
      for (uint32_t i = 0; i < n; ++i) {
        std::memcpy(piece + size_t{i} * align + offset, from + size_t{i} * bytes, bytes);
      }
      from = piece;
    }
    if (StoreFrames(start + done, n, from) != n) {
      ok = false;
      break;
    }
    done += n;
  }
  if (done > 0) NoteWrite();
  return ok && done == count;
}

bool TWaveData::ReadBlock(uint8_t* dest, size_t bytes, uint32_t* framesRead) {
  if (framesRead) *framesRead = 0;
  if (length_ == 0 || position_ >= length_ - 1) return false;
  const uint32_t align = BlockAlign();
  const uint64_t wanted = bytes / align;
  const uint32_t available = length_ - position_;
  const uint32_t n = wanted < available ? static_cast<uint32_t>(wanted) : available;
  if (n > 0 && !LoadFrames(position_, n, dest)) return false;
  if (n < wanted) {
    FillSilenceBytes(dest + size_t{n} * align, static_cast<uint32_t>(wanted - n));
  }
  const size_t tail = bytes % align;  // a partial last frame gets silence too
  if (tail) {
    std::memset(dest + bytes - tail, format_.bytesPerSample == 1 ? format_.zeroValue : 0, tail);
  }
  if (framesRead) *framesRead = n;
  position_ = n < wanted ? length_ - 1 : position_ + n;
  return true;
}

bool TWaveData::WriteBlock(const uint8_t* src, size_t bytes) {
  const uint32_t align = BlockAlign();
  if (bytes % align != 0) return false;
  const uint64_t frames = bytes / align;
  if (frames == 0) return true;
  if (uint64_t{position_} + frames > FrameLimit()) {
    RefuseWriteBeyondLimit();
    return false;
  }
  const uint32_t count = static_cast<uint32_t>(frames);
  const uint32_t stored = StoreFrames(position_, count, src);
  if (stored > 0) {
    NoteWrite();
    position_ += stored;
    length_ = std::max(length_, position_);
    validLength_ = std::max(validLength_, position_);
  }
  return stored == count;
}

float TWaveData::GetSample(uint32_t frame, uint32_t channel, bool scaled) const {
  const int32_t zero = format_.zeroValue;
  const float none = scaled ? 0.f : static_cast<float>(zero);
  if (frame >= length_ || format_.bytesPerSample > 3) return none;
  uint8_t bytes[kMaxBlockAlign];
  if (!LoadFrames(frame, 1, bytes)) return none;
  const uint32_t index = format_.ChannelIndex(channel);
  const int32_t raw =
      DecodeSample(bytes + index * format_.bytesPerSample, format_.bytesPerSample, zero);
  if (!scaled) return static_cast<float>(raw);
  return static_cast<float>(raw - zero) * factor_[index];
}

bool TWaveData::PutSample(int32_t value, uint32_t frame, uint32_t channel) {
  const uint32_t bytes = format_.bytesPerSample;
  if (!FitsSampleWidth(value, bytes)) return false;
  uint8_t bytesOfFrame[kMaxBlockAlign];
  if (frame < length_) {
    if (!LoadFrames(frame, 1, bytesOfFrame)) return false;
  } else if (frame == length_ && uint64_t{frame} < FrameLimit()) {
    FillSilenceBytes(bytesOfFrame, 1);
  } else {
    return false;
  }
  EncodeSample(bytesOfFrame + format_.ChannelIndex(channel) * bytes, bytes, value);
  if (StoreFrames(frame, 1, bytesOfFrame) != 1) return false;
  NoteWrite();
  position_ = frame + 1;
  length_ = std::max(length_, position_);
  validLength_ = std::max(validLength_, position_);
  return true;
}

bool TWaveData::FillSilence(uint32_t from, uint32_t to) {
  to = std::min(to, length_);
  if (from >= to) return true;
  uint8_t piece[kPieceFrames * kMaxBlockAlign];
  FillSilenceBytes(piece, kPieceFrames);
  for (uint32_t frame = from; frame < to;) {
    const uint32_t n = std::min(kPieceFrames, to - frame);
    if (StoreFrames(frame, n, piece) != n) return false;
    frame += n;
  }
  NoteWrite();
  return true;
}

bool TWaveData::Resize(uint32_t frames) {
  if (!AllocateFrames(frames)) return false;
  length_ = capacity_;
  validLength_ = std::min(validLength_, length_);
  position_ = std::min(position_, length_);
  NoteWrite();
  return true;
}

void TWaveData::SetFullScale(float left, float right) {
  const float values[2] = {left, right};
  const float counts = format_.FullScale();
  for (int i = 0; i < 2; ++i) {
    float value = values[i];
    if (!std::isfinite(value)) value = 1.f;
    if (value == 0.f) value = 2.f;
    fullScale_[i] = value;
    factor_[i] = counts > 0.f ? value / counts : 0.f;
  }
}

template <typename Visit>
bool TWaveData::VisitSamples(uint32_t from, uint32_t to, uint32_t channel, Visit&& visit) {
  to = std::min(to, length_);
  const uint32_t bytes = format_.bytesPerSample;
  const uint32_t align = BlockAlign();
  const uint32_t offset = format_.ChannelIndex(channel) * bytes;
  uint8_t piece[kPieceFrames * kMaxBlockAlign];
  for (uint32_t frame = from; frame < to;) {
    const uint32_t n = std::min(kPieceFrames, to - frame);
    if (!LoadFrames(frame, n, piece)) return false;
    for (uint32_t i = 0; i < n; ++i) {
      const int32_t raw =
          DecodeSample(piece + size_t{i} * align + offset, bytes, format_.zeroValue);
      if (!visit(frame + i, raw)) return true;
    }
    frame += n;
  }
  return true;
}

SampleExtremes TWaveData::MinMax(uint32_t from, uint32_t to, uint32_t channel, bool scaled,
                                 bool rms) {
  const int32_t zero = format_.zeroValue;
  const double factor = factor_[format_.ChannelIndex(channel)];
  double high = 0, low = 0, sumAbove = 0, sumBelow = 0;
  uint64_t above = 0, below = 0, seen = 0;
  VisitSamples(from, to, channel, [&](uint32_t, int32_t raw) {
    if (rms) {
      const double x = scaled ? (raw - zero) * factor : static_cast<double>(raw) - zero;
      if (x > 0) sumAbove += x * x, ++above;
      if (x < 0) sumBelow += x * x, ++below;
    } else {
      const double x = scaled ? (raw - zero) * factor : static_cast<double>(raw);
      if (seen == 0 || x > high) high = x;
      if (seen == 0 || x < low) low = x;
    }
    ++seen;
    return true;
  });
  SampleExtremes result;
  if (rms) {
    result.high = above ? static_cast<float>(std::sqrt(sumAbove / above)) : 0.f;
    result.low = below ? -static_cast<float>(std::sqrt(sumBelow / below)) : 0.f;
  } else {
    result.high = static_cast<float>(high);
    result.low = static_cast<float>(low);
  }
  return result;
}

double TWaveData::MeanSquare(uint32_t from, uint32_t to, uint32_t channel) {
  const int32_t zero = format_.zeroValue;
  const double factor = factor_[format_.ChannelIndex(channel)];
  double sum = 0;
  uint64_t count = 0;
  VisitSamples(from, to, channel, [&](uint32_t, int32_t raw) {
    const double x = (raw - zero) * factor;
    sum += x * x;
    ++count;
    return true;
  });
  return count ? sum / static_cast<double>(count) : 0.0;
}

bool TWaveData::FindTrigger(const WaveTrigger& trigger, uint32_t from, uint32_t to,
                            uint32_t channel, uint32_t* frame) {
  const double zero = format_.zeroValue;
  const double step = double{trigger.thresholdPercent} * (format_.maxValue - zero) / 100.0;
  const bool positive = trigger.slope == kSlopePositive;
  const bool level = trigger.type == kTriggerLevel;
  bool fired = false;
  bool havePrevious = false;
  double previous = 0;
  VisitSamples(from, to, channel, [&](uint32_t at, int32_t raw) {
    const double current = raw;
    if (level) {
      fired = positive ? current >= zero + step : current <= zero - step;
    } else if (havePrevious) {
      // A positive slope trigger fires on a falling step, unlike the block buffer's search.
      fired = positive ? previous - current >= step : current - previous >= step;
    }
    previous = current;
    havePrevious = true;
    if (fired && frame) *frame = at;
    return !fired;
  });
  return fired;
}

bool TWaveData::GrowForRecording() {
  const uint64_t oneSecond = format_.sampleRate;
  if (uint64_t{capacity_} - std::min(position_, capacity_) >= oneSecond) return true;
  const uint64_t maxFrames = std::min<uint64_t>(0xFFFFFFFFull, kMaxWaveDataBytes / BlockAlign());
  uint64_t step = 60 * oneSecond;
  for (int attempt = 0; attempt < 11; ++attempt) {
    const uint64_t target = std::min(uint64_t{capacity_} + step, maxFrames);
    if (target <= capacity_) {
      ReportError(kWaveTooLarge);
      return false;
    }
    if (Resize(static_cast<uint32_t>(target))) return true;
    step = std::max<uint64_t>(step / 2, 1);
  }
  ReportError(kInsufficientMemory);
  return false;
}

}  // namespace orvanix
