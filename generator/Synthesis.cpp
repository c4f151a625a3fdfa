// The dispatch, the channel writer, and the two types that only copy or hold a value:
// User Defined and Digital Zero.
#include "generator/Synthesis.h"

#include "files/WaveData.h"
#include "generator/SignalTypes.h"
#include "generator/UserWave.h"

namespace orvanix {

TChannelOut::TChannelOut(TWaveData& buffer, uint32_t channel)
    : base_(buffer.Memory()),
      stride_(buffer.BlockAlign()),
      bytes_(buffer.Format().bytesPerSample),
      length_(buffer.Memory() ? buffer.CapacityFrames() : 0),
      format_(buffer.Format()) {
  if (base_) base_ += size_t{buffer.Format().ChannelIndex(channel)} * bytes_;
}

void Synthesize(const TSignalRecord& r, TSynthesis& s) {
  switch (r.type) {
    case kSignalWhiteNoise:
    case kSignalPinkNoise:
      SynthesizeNoise(r, s);
      break;
    case kSignalNoiseBurst:
      SynthesizeNoiseBurst(r.noiseBurst, s);
      break;
    case kSignalTone1k:
      SynthesizeTone1k(s);
      break;
    case kSignalMultipleTones:
      SynthesizeMultipleTones(r.tones, s);
      break;
    case kSignalToneBurst:
      SynthesizeToneBurst(r.toneBurst, s);
      break;
    case kSignalImd:
      SynthesizeImd(r.imd, s);
      break;
    case kSignalFreqSweep:
      SynthesizeFreqSweep(r.freqSweep, s);
      break;
    case kSignalLevelSweep:
      SynthesizeLevelSweep(r.levelSweep, s);
      break;
    case kSignalSawtooth:
      SynthesizeSawtooth(r.sawtooth, s);
      break;
    case kSignalTriangular:
      SynthesizeTriangular(r.triangular, s);
      break;
    case kSignalSquare:
      SynthesizeSquare(r.square, s);
      break;
    case kSignalPulse:
      SynthesizePulse(r.pulse, s);
      break;
    case kSignalUserDefined:
      SynthesizeUserDefined(s);
      break;
    case kSignalDtmf:
      SynthesizeDtmf(r.dtmf, s);
      break;
    default:
      SynthesizeDigitalZero(s);
      break;
  }
}

void SynthesizeUserDefined(TSynthesis& s) {
  const TUserWave* file = s.userWave;
  if (!file || !file->IsOpen() || file->Frames() == 0) return;  // no samples from it
  const TSampleRange out(s.out.Format());
  const WaveFormat& in = file->Format();
  // The file's samples in the output format: the same value when the formats agree (the
  // output took the file's format), else rescaled from the file's range to the output's
  // (a second file of another width).
  const double scale = static_cast<double>(int64_t{out.max} - out.mid) /
                       static_cast<double>(int64_t{in.maxValue} - in.zeroValue);
  const uint32_t frames = file->Frames();
  const uint32_t channel = s.out.Format().channels == 2 ? s.channel : 0;
  uint32_t e = 0;
  for (uint32_t i = 0; i < s.out.Length(); ++i) {
    s.Tick(i);
    const double v = s.factor * (file->Sample(e, channel) - in.zeroValue) * scale;
    s.out.Put(i, out.Clamp(out.mid + static_cast<int64_t>(v)));
    if (++e >= frames) e = 0;
  }
}

void SynthesizeDigitalZero(TSynthesis& s) {
  s.out.Fill(s.out.Format().zeroValue);
}

}  // namespace orvanix
