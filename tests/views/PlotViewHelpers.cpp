#include "PlotViewHelpers.h"

#include <algorithm>
#include <cmath>

namespace orvanix::test {

const TSeriesData* TFakeViewSource::BlockSeries(int channel) const {
  TEngineObjects& e = const_cast<TFakeSource&>(spectra_).Objects();
  return channel == 0 ? e.seriesLeft.get() : channel == 1 ? e.seriesRight.get() : nullptr;
}

std::unique_ptr<TWaveData> MakeDocument(uint32_t rate, uint16_t channels, uint32_t frames,
                                        double (*value)(uint32_t, uint16_t, uint32_t),
                                        uint16_t bytes) {
  const WaveFormat format = MakeWaveFormat(channels, rate, bytes);
  auto doc = std::make_unique<TWaveData>(frames, format);
  if (doc->Error()) return nullptr;
  const double full = format.maxValue;
  for (uint32_t f = 0; f < frames; ++f) {
    for (uint16_t c = 0; c < channels; ++c) {
      const double v = std::clamp(value(f, c, rate), -1.0, 1.0);
      doc->PutSample(static_cast<int32_t>(std::lround(v * full)) + format.zeroValue, f, c);
    }
  }
  return doc;
}

}  // namespace orvanix::test
