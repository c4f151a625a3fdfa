#include "utilities/DtmfSegment.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "engine/ProcessingStep.h"
#include "engine/SeriesData.h"
#include "engine/SpectralData.h"
#include "files/WaveData.h"
#include "utilities/DTMFData.h"

namespace orvanix {

uint32_t DtmfBlockLength(uint32_t rateHz) {
  if (rateHz <= 8000) return 512;
  if (rateHz <= 16000) return 1024;
  if (rateHz <= 34000) return 2048;
  if (rateHz <= 50000) return 4096;
  return 8192;
}

std::string DtmfResultText(const TDtmfSegmentResult& result) {
  if (result.channels < 2) return "DTMF keys = " + result.keys[0];
  return "DTMF keys (Left)  = " + result.keys[0] + "\rDTMF keys (right) = " + result.keys[1];
}

namespace {

// One block of each channel from `frame` into the engine's buffers, then its spectra.
bool LoadBlock(TWaveData& wave, uint32_t frame, TEngineObjects& engine,
               std::vector<uint8_t>& bytes) {
  const WaveFormat& format = wave.Format();
  const uint32_t n = engine.seriesLeft->Count();
  TSeriesData* series[2] = {engine.seriesLeft.get(), engine.seriesRight.get()};
  for (uint32_t channel = 0; channel < 2; ++channel) {
    if (!series[channel]) continue;
    // Beyond the end of the data the block reads silence.
    wave.ReadChannel(bytes.data(), frame, n, channel);
    for (uint32_t i = 0; i < n; ++i) {
      series[channel]->PutSample(i, DecodeSample(bytes.data() + size_t{i} * format.bytesPerSample,
                                                 format.bytesPerSample, format.zeroValue));
    }
  }
  ProcessBlock(engine);
  return true;
}

}  // namespace

bool DecodeDtmfSegment(TWaveData& wave, uint32_t startFrame, uint32_t endFrame,
                       const ProcessingSettings& base, TDtmfSegmentResult& result,
                       const TDtmfProgress& progress, bool frequencyCheck) {
  result = TDtmfSegmentResult{};
  if (endFrame <= startFrame) return false;
  const WaveFormat& format = wave.Format();
  ProcessingSettings settings = base;
  settings.format = format;
  settings.fftSize = static_cast<int32_t>(DtmfBlockLength(format.sampleRate));
  settings.decimationRatio = 1;
  settings.averageBlocks = 1;
  settings.averageType = kAverageExponential;
  settings.peakHold = 0;
  settings.smoothingWindow = 4;  // Hanning
  settings.channelProcessing = format.channels == 2 ? kBothChannels : kLeftOnly;
  settings.delayTimeMsec = 0.0f;
  settings.overloadDetection = 0;
  settings.UpdateDerived();
  // dB on a narrow-band axis, nothing weighted: the threshold is relative to the loudest line.
  ScalingSettings scaling;
  scaling.ampScale = 1;
  scaling.freqScale = 0;
  TEngineObjects engine;
  if (!BuildEngineObjects(settings, scaling, engine)) return false;
  ApplyCalibration(nullptr, engine);
  result.channels = format.channels == 2 ? 2 : 1;
  TSpectralData* spectra[2] = {engine.left.get(), engine.right.get()};

  const uint32_t d = static_cast<uint32_t>(settings.fftSize);
  const uint32_t frames = endFrame - startFrame;
  std::vector<uint8_t> bytes(size_t{d} * 4);

  // Pass 1: the loudest line from 600 to 1700 Hz over blocks at half-block steps.
  const uint32_t firstLine = engine.left->FrequencyBin(600.0f);
  const uint32_t lastLine = engine.left->FrequencyBin(1700.0f);
  const uint32_t half = d / 2;
  const uint32_t blocks1 = std::max(1u, frames / half);
  bool seen[2] = {false, false};
  for (uint32_t b = 0; b < blocks1; ++b) {
    if (progress && !progress(1, static_cast<int>(uint64_t{b} * 100 / blocks1))) {
      result.cancelled = true;
      break;
    }
    LoadBlock(wave, startFrame + b * half, engine, bytes);
    for (uint32_t c = 0; c < result.channels; ++c) {
      for (uint32_t k = firstLine; k <= lastLine; ++k) {
        const float v = spectra[c]->Value(k);
        if (!seen[c] || v > result.levelDb[c]) result.levelDb[c] = v, seen[c] = true;
      }
    }
  }

  // Pass 2: the detectors, a spectrum every hundredth of a block.
  TDTMFData detectors[2] = {TDTMFData(result.levelDb[0] - 20.0f, 20, 20),
                            TDTMFData(result.levelDb[1] - 20.0f, 20, 20)};
  for (TDTMFData& detector : detectors) detector.SetFrequencyCheck(frequencyCheck);
  const uint32_t step = std::max(1u, static_cast<uint32_t>(d * 0.00999999));
  const uint32_t blocks2 = std::max(1u, frames / step);
  for (uint32_t b = 0; b < blocks2 && !result.cancelled; ++b) {
    if (progress && !progress(2, static_cast<int>(uint64_t{b} * 100 / blocks2))) {
      result.cancelled = true;
      break;
    }
    const uint32_t frame = startFrame + b * step;
    LoadBlock(wave, frame, engine, bytes);
    const int32_t t = static_cast<int32_t>(uint64_t{frame} * 1000 / format.sampleRate);
    for (uint32_t c = 0; c < result.channels; ++c) detectors[c].Feed(*spectra[c], t);
  }
  for (uint32_t c = 0; c < result.channels; ++c) result.keys[c] = detectors[c].Keys();
  return true;
}

}  // namespace orvanix
