// One synthesis operation per signal type. BuildSignal (SignalBuilder.h) calls the one of a
// channel's type once per channel with the channel's level factor f; it fills that channel
// of the interleaved buffer, samples 0 ... L - 1, L the buffer's length.
//
// Counters: unless a type says otherwise its own counter n runs 1, 2, 3, ... over the
// output samples (n = i + 1 for output sample i) and is not reset at the buffer's end, so a
// type whose cycle does not divide L is cut where the buffer ends.
//
// Parameters come from the dialogs (checked) or from configuration files (not checked). A
// value that leaves a type without a cycle to repeat (a frequency of 0 or less, a cycle or
// sweep shorter than one sample) makes that channel silent rather than dividing by zero.
#pragma once

#include <cstdint>
#include <functional>

#include "engine/WaveFormat.h"
#include "files/SettingsRecordsGenerator.h"
#include "generator/SampleRule.h"

namespace orvanix {

class TWaveData;
class TNoiseResources;
class TUserWave;

// One channel of the sample buffer, written in place.
class TChannelOut {
 public:
  TChannelOut(TWaveData& buffer, uint32_t channel);
  uint32_t Length() const { return length_; }
  const WaveFormat& Format() const { return format_; }
  // Stores a sample value of the format (4-byte samples as 32-bit little-endian).
  void Put(uint32_t frame, int32_t value) {
    uint8_t* p = base_ + static_cast<size_t>(frame) * stride_;
    if (bytes_ == 4) {
      const uint32_t raw = static_cast<uint32_t>(value);
      p[0] = static_cast<uint8_t>(raw & 0xFF);
      p[1] = static_cast<uint8_t>((raw >> 8) & 0xFF);
      p[2] = static_cast<uint8_t>((raw >> 16) & 0xFF);
      p[3] = static_cast<uint8_t>(raw >> 24);
    } else {
      EncodeSample(p, bytes_, value);
    }
  }
  void Fill(int32_t value) {
    for (uint32_t i = 0; i < length_; ++i) Put(i, value);
  }

 private:
  uint8_t* base_ = nullptr;
  uint32_t stride_ = 0;
  uint32_t bytes_ = 2;
  uint32_t length_ = 0;
  WaveFormat format_;
};

// Everything a synthesis operation is given.
struct TSynthesis {
  TChannelOut& out;
  uint32_t channel = 0;  // 0 left, 1 right
  double factor = 1.0;   // f, 0 < f <= 1
  TClassicRand& rand;    // the dither's generator, shared by both channels of a build
  const TNoiseResources* noise = nullptr;
  const TUserWave* userWave = nullptr;  // this channel's User Defined file, when it opened
  // Progress in percent of the channel (sample x 100 / length), every 1000 samples.
  std::function<void(int percent)> progress;

  uint32_t Rate() const { return out.Format().sampleRate; }
  void Tick(uint32_t i) const {
    if (progress && i % 1000 == 0 && out.Length() > 0) {
      progress(static_cast<int>(uint64_t{i} * 100 / out.Length()));
    }
  }
};

// Dispatches to the type's operation; an unknown type leaves the channel silent.
void Synthesize(const TSignalRecord& record, TSynthesis& s);

void SynthesizeNoise(const TSignalRecord& record, TSynthesis& s);  // White and Pink Noise
void SynthesizeNoiseBurst(const TNoiseBurstParams& p, TSynthesis& s);
void SynthesizeTone1k(TSynthesis& s);
void SynthesizeMultipleTones(const TTonesParams& p, TSynthesis& s);
void SynthesizeToneBurst(const TToneBurstParams& p, TSynthesis& s);
void SynthesizeImd(const TImdParams& p, TSynthesis& s);
void SynthesizeFreqSweep(const TFreqSweepParams& p, TSynthesis& s);
void SynthesizeLevelSweep(const TLevelSweepParams& p, TSynthesis& s);
void SynthesizeSawtooth(const TSawtoothParams& p, TSynthesis& s);
void SynthesizeTriangular(const TTriangularParams& p, TSynthesis& s);
void SynthesizeSquare(const TSquareParams& p, TSynthesis& s);
void SynthesizePulse(const TPulseParams& p, TSynthesis& s);
void SynthesizeUserDefined(TSynthesis& s);
void SynthesizeDtmf(const TDtmfSignalParams& p, TSynthesis& s);
void SynthesizeDigitalZero(TSynthesis& s);

// The log sweep's step (log10 of the frequency ratio per sample) after the correction that
// makes the sweep's measured end frequency reach the stop frequency; exposed for tests.
// `f0` and `f1` are the start and stop frequencies after the limits and the division by
// 10, f0 <= f1; `n` the sweep length in samples.
double LogSweepStep(double f0, double f1, int64_t n, uint32_t rate);

}  // namespace orvanix
