// White Noise, Pink Noise and Noise Burst: the resource's 16-bit values played at the output
// rate, scaled by the level factor; no dither, no 0.99.
#include "files/WaveData.h"
#include "generator/NaturalLength.h"
#include "generator/NoiseResource.h"
#include "generator/SignalTypes.h"
#include "generator/Synthesis.h"

namespace orvanix {

namespace {

// f x max x s / 32768, truncated toward zero. Formats with a zero value (8-bit) scale
// around it: mid + f x (max - mid) x s / 32768, the same value for the signed formats.
class TNoiseScale {
 public:
  TNoiseScale(const WaveFormat& format, double factor)
      : range_(format), scale_(factor * (format.maxValue - format.zeroValue) / 32768.0) {}
  int32_t operator()(int16_t s) const {
    return range_.Clamp(range_.mid + static_cast<int64_t>(scale_ * s));
  }

 private:
  TSampleRange range_;
  double scale_;
};

const TNoiseResource* Resource(const TNoiseResources* noise, bool pink) {
  if (!noise) return nullptr;
  const TNoiseResource& r = pink ? noise->pink : noise->white;
  return r.Loaded() && r.LoopLength() > 0 ? &r : nullptr;
}

}  // namespace

void SynthesizeNoise(const TSignalRecord& record, TSynthesis& s) {
  // A missing resource produces nothing: the channel keeps its silence.
  const TNoiseResource* resource = Resource(s.noise, record.type == kSignalPinkNoise);
  if (!resource) return;
  const TNoiseScale scale(s.out.Format(), s.factor);
  const int16_t* samples = resource->Samples().data();
  const uint32_t loop = resource->LoopLength();
  uint32_t k = 0;
  for (uint32_t i = 0; i < s.out.Length(); ++i) {
    s.Tick(i);
    s.out.Put(i, scale(samples[k]));
    if (++k >= loop) k = 0;
  }
}

void SynthesizeNoiseBurst(const TNoiseBurstParams& p, TSynthesis& s) {
  const TNoiseResource* resource = Resource(s.noise, p.type != 0);
  const uint32_t rate = s.Rate();
  const int64_t cycle = WholeSamples(p.cycleTimeMsec * static_cast<double>(rate) * 0.001);
  const int64_t burst = WholeSamples(p.burstTimeMsec * static_cast<double>(rate) * 0.001);
  const int32_t mid = s.out.Format().zeroValue;
  if (cycle <= 0) {
    s.out.Fill(mid);
    return;
  }
  // Each cycle begins with its silence and ends with its burst; the resource index and the
  // cycle position wrap independently.
  const int64_t silence = cycle - burst;
  const TNoiseScale scale(s.out.Format(), s.factor);
  const uint32_t loop = resource ? resource->LoopLength() : 0;
  uint32_t k = 0;
  int64_t position = 0;
  for (uint32_t i = 0; i < s.out.Length(); ++i) {
    s.Tick(i);
    if (position < silence || !resource) {
      s.out.Put(i, mid);
    } else {
      s.out.Put(i, scale(resource->Samples()[k]));
    }
    if (loop && ++k >= loop) k = 0;
    if (++position >= cycle) position = 0;
  }
}

}  // namespace orvanix
