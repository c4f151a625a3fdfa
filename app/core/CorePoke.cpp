// Samples handed over by automation, processed as an acquired block.
#include "app/core/AnalyzerCore.h"
#include "app/core/CoreState.h"

namespace orvanix {

bool TAnalyzerCore::Headless() const {
  return impl_->options.headless;
}

bool TAnalyzerCore::ProcessSamples(const std::vector<int32_t>& samples) {
  Impl& d = *impl_;
  if (IsRunning() || d.settings.opMode != kModeRealTime) return false;
  TEngineObjects& engine = d.engine;
  TSeriesData* left = engine.seriesLeft.get();
  if (!left || left->Error()) return false;
  const uint32_t length = static_cast<uint32_t>(engine.settings.fftSize) *
                          std::max<uint32_t>(1, engine.settings.decimationRatio);
  left->Clear(0, left->Count());
  for (uint32_t i = 0; i < length && i < samples.size(); ++i) left->PutSample(i, samples[i]);
  left->Decimate();
  ResetSpectra(engine);
  d.SpectraReset();
  orvanix::ProcessBlock(engine);
  d.BlockProcessed(AnalysisTime());
  return true;
}

}  // namespace orvanix
