// How a waveform value becomes a sample. The synthesised types (tones, sweeps, bursts of
// tone, IMD, DTMF) use the common rule with triangular dither; the noises, the classic
// waves and the pulse compute integer samples of their own.
#pragma once

#include <cstdint>

#include "engine/WaveFormat.h"

namespace orvanix {

// The dither's random numbers: the classic C library generator, whose rand() gives
// 0 ... 32767 (RAND_MAX 32767). glibc's rand() runs to 2^31 - 1, which would make
// rand() / 32767 far larger than 1, so the generator is ours; it also makes a build
// repeatable: every BuildSignal starts it from seed 1, as a program start would.
class TClassicRand {
 public:
  explicit TClassicRand(uint32_t seed = 1) : state_(seed) {}
  // 0 ... 32767.
  int Next() {
    state_ = state_ * 214013u + 2531011u;
    return static_cast<int>((state_ >> 16) & 0x7FFF);
  }

 private:
  uint32_t state_;
};

// The output format's sample values: largest (max), smallest (min) and silence (mid).
struct TSampleRange {
  int32_t max = 32767;
  int32_t min = -32767;
  int32_t mid = 0;
  explicit TSampleRange(const WaveFormat& format)
      : max(format.maxValue), min(format.minValue), mid(format.zeroValue) {}
  // Keeps a computed value inside the format (8-bit output of the noises and the classic
  // waves could otherwise reach -1).
  int32_t Clamp(int64_t value) const {
    return static_cast<int32_t>(value > max ? max : value < min ? min : value);
  }
};

// The common sample rule: w in -1 ... 1 becomes f x 0.99 x (max - mid) x w + mid + d with
// the triangular dither d = (u1 - 0.5) + (u2 - 0.5), u = rand() / 32767; then 0.5 is added
// and the result truncated toward zero. The 0.99 keeps the largest sample one percent below
// full scale, so the dither can never wrap a sample.
class TSampleRule {
 public:
  TSampleRule(const WaveFormat& format, double factor, TClassicRand& rand)
      : range_(format), scale_(factor * 0.99 * (format.maxValue - format.zeroValue)), rand_(rand) {}

  int32_t operator()(double w) {
    const double u1 = rand_.Next() / 32767.0;
    const double u2 = rand_.Next() / 32767.0;
    const double d = (u1 - 0.5) + (u2 - 0.5);
    const double v = scale_ * w + range_.mid + d + 0.5;
    return range_.Clamp(static_cast<int64_t>(v));  // the cast truncates toward zero
  }
  // The sample of silence (mid), for the quiet parts of bursts.
  int32_t Silence() const { return range_.mid; }

 private:
  TSampleRange range_;
  double scale_;
  TClassicRand& rand_;
};

}  // namespace orvanix
