#include "utilities/ReverbAnalysis.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/ProcessingStep.h"
#include "engine/SeriesData.h"
#include "engine/SpectralData.h"
#include "measure/Measurements.h"
#include "measure/Schroeder.h"

namespace orvanix {

namespace {

constexpr uint32_t kBlock = 4096;

ProcessingSettings MeasurementSettings(uint16_t window, int32_t averageBlocks) {
  ProcessingSettings p;
  p.format = MakeWaveFormat(1, kReverbRateHz, 2);
  p.fftSize = kBlock;
  p.decimationRatio = 1;
  p.averageBlocks = averageBlocks;
  p.averageType = kAverageExponential;
  p.peakHold = 0;
  p.smoothingWindow = window;
  p.channelProcessing = kLeftOnly;
  p.overloadDetection = 0;
  p.UpdateDerived();
  return p;
}

ScalingSettings BandScaling() {
  ScalingSettings s;
  s.ampScale = 1;
  s.freqScale = 2;
  s.octaveNumber = 3;
  return s;
}

// The block of the recording from `start` (silence beyond its ends) through the engine.
void Process(std::span<const int16_t> recording, int64_t start, TEngineObjects& engine) {
  TSeriesData& series = *engine.seriesLeft;
  for (uint32_t i = 0; i < kBlock; ++i) {
    const int64_t at = start + i;
    series.PutSample(i, at >= 0 && at < int64_t(recording.size()) ? recording[at] : 0);
  }
  ProcessBlock(engine);
}

// The bands the frames keep: from the first valid band, at most 30.
void BandRange(const TSpectralData& s, uint32_t& first, uint32_t& count) {
  first = s.FirstValidBand();
  const uint32_t last = s.LastBand();
  count = last >= first ? std::min(last - first + 1, kReverbSlots - 1) : 0;
}

void StoreBands(const TSpectralData& s, ReverbFrame& frame, uint32_t& bandCount) {
  uint32_t first = 0, count = 0;
  BandRange(s, first, count);
  double total = 0;
  for (uint32_t b = 0; b < count; ++b) {
    frame.frequency[b] = s.BandCentre(first + b);
    frame.level[b] = s.BandValue(first + b);
    total += std::pow(10.0, frame.level[b] / 10.0);
  }
  frame.frequency[count] = kReverbWideband;
  frame.level[count] = total > 0 ? static_cast<float>(10.0 * std::log10(total)) : kReverbEmpty;
  bandCount = count + 1;
}

}  // namespace

std::vector<int16_t> BuildExcitation(const TReverbTiming& timing, std::span<const int16_t> pink,
                                     size_t pinkOffset) {
  const double rate = kReverbRateHz;
  std::vector<int16_t> out(static_cast<size_t>(1.1 * timing.total * rate), 0);
  const size_t burstAt = static_cast<size_t>(timing.leadIn * rate);
  const size_t burstLength = static_cast<size_t>(timing.burst * rate);
  for (size_t n = 0; n <= burstLength && burstAt + n < out.size(); ++n) {
    const double v = 0.25 * 32767.0 * std::sin(2.0 * std::numbers::pi * 1000.0 * n / rate);
    out[burstAt + n] = static_cast<int16_t>(v);
  }
  if (pink.empty()) return out;
  const size_t noiseAt = static_cast<size_t>((timing.leadIn + timing.burst + timing.gap) * rate);
  const size_t noiseLength = static_cast<size_t>(timing.noise * rate);
  for (size_t n = 0; n < noiseLength && noiseAt + n < out.size(); ++n) {
    out[noiseAt + n] = pink[(n + pinkOffset) % pink.size()];
  }
  return out;
}

double FindSyncTime(std::span<const int16_t> recording) {
  TEngineObjects engine;
  ScalingSettings scaling;
  scaling.ampScale = 1;
  scaling.freqScale = 0;
  if (!BuildEngineObjects(MeasurementSettings(4, 1), scaling, engine)) return 0.8;
  ApplyCalibration(nullptr, engine);
  const int64_t end = static_cast<int64_t>(1.2 * kReverbRateHz);
  double sync = 0;
  float bestSnr = 0;
  bool found = false;
  for (int64_t start = 0; start + kBlock <= end; start += kBlock / 2) {
    Process(recording, start, engine);
    const float peak = PeakFrequency(engine.left.get());
    if (!(peak > 900.0f && peak < 1100.0f)) continue;
    const float snr = ComputeSnr(engine.left.get());
    if (!found || snr > bestSnr) {
      found = true;
      bestSnr = snr;
      sync = double(start) / kReverbRateHz;
    }
  }
  if (std::fabs(sync - 0.8) > 0.5) sync = 0.8;
  return sync;
}

ReverbLevel EvaluateLevels(std::span<const int16_t> recording, double syncTime,
                           const TReverbTiming& timing, TReverbData& data, double* peakDb) {
  TEngineObjects engine;
  if (!BuildEngineObjects(MeasurementSettings(2, kInfiniteAverages), BandScaling(), engine)) {
    return ReverbLevel::TooLow;
  }
  ApplyCalibration(nullptr, engine);
  const double rate = kReverbRateHz;
  const int64_t from = static_cast<int64_t>((syncTime + 0.5 + timing.noise / 2) * rate);
  const int64_t to = static_cast<int64_t>((syncTime + 0.5 + timing.noise) * rate);
  int32_t largest = 0;
  for (int64_t start = from; start + kBlock <= to; start += kBlock / 2) {
    Process(recording, start, engine);
    for (uint32_t i = 0; i < kBlock; ++i) {
      const int64_t at = start + i;
      if (at >= 0 && at < int64_t(recording.size())) {
        largest = std::max(largest, std::abs(int32_t{recording[at]}));
      }
    }
  }
  uint32_t bands = 0;
  StoreBands(*engine.left, data.Frames()[0], bands);
  data.SetBandCount(bands);
  const double peak = largest > 0 ? 20.0 * std::log10(largest / 32767.0) : -999.9;
  if (peakDb) *peakDb = peak;
  if (largest >= 32767) return ReverbLevel::Clipping;
  if (peak < -40.0) return ReverbLevel::TooLow;
  return ReverbLevel::Ok;
}

void AnalyseDecay(std::span<const int16_t> recording, double syncTime, const TReverbTiming& timing,
                  TReverbData& data, const std::function<bool()>& cancel) {
  TEngineObjects engine;
  if (!BuildEngineObjects(MeasurementSettings(2, 1), BandScaling(), engine)) return;
  ApplyCalibration(nullptr, engine);
  const uint32_t hop = static_cast<uint32_t>(0.1 * kBlock);  // 409: 90 % overlap
  const int64_t start = static_cast<int64_t>(
      (syncTime - 0.06 + timing.burst + timing.gap + timing.noise) * kReverbRateHz);
  std::vector<ReverbFrame>& frames = data.Frames();
  uint32_t count = 0;
  for (int64_t at = start; at + kBlock <= int64_t(recording.size()) && count < frames.size();
       at += hop) {
    if (count % 10 == 0 && cancel && cancel()) break;
    const double time = double(at - start) / kReverbRateHz;
    if (time > timing.maxDecay + 0.1) break;
    Process(recording, at, engine);
    uint32_t bands = 0;
    StoreBands(*engine.left, frames[count], bands);
    frames[count].time = static_cast<float>(time);
    ++count;
  }
  data.SetFrameCount(count);
  data.SetFrameStep(double(hop) / kReverbRateHz);
}

ReverbLevel AnalyseRecording(std::span<const int16_t> recording, const TReverbTiming& timing,
                             int32_t smoothing, int32_t extrapolation, TReverbData& data) {
  data.Reset(timing);
  const double sync = FindSyncTime(recording);
  const ReverbLevel level = EvaluateLevels(recording, sync, timing, data);
  if (level != ReverbLevel::Ok) {
    data.SetFrameCount(0);
    return level;
  }
  AnalyseDecay(recording, sync, timing, data);
  data.Normalise();
  data.Smooth(smoothing, extrapolation);
  return level;
}

std::vector<double> AveragedDecayTimes(const std::vector<const TReverbData*>& decays,
                                       double rangeDb) {
  std::vector<double> result(kReverbSlots, -1.0);
  if (decays.empty()) return result;
  uint32_t frames = decays[0]->FrameCount();
  uint32_t bands = decays[0]->BandCount();
  for (const TReverbData* d : decays) {
    frames = std::min(frames, d->FrameCount());
    bands = std::min(bands, d->BandCount());
  }
  if (frames < 4) return result;
  const double step = decays[0]->FrameStep();
  std::vector<double> energy(frames), curve(frames);
  for (uint32_t b = 0; b < bands; ++b) {
    for (uint32_t k = 0; k < frames; ++k) {
      double sum = 0;
      for (const TReverbData* d : decays) sum += std::pow(10.0, d->Frames()[k].level[b] / 10.0);
      energy[k] = sum / double(decays.size());
    }
    // The floor (the last quarter's mean) is no part of the decay: taken off before the
    // integration, which stops where the decay meets it.
    double floor = 0;
    const uint32_t tail = std::max(1u, frames / 4);
    for (uint32_t k = frames - tail; k < frames; ++k) floor += energy[k];
    floor /= tail;
    uint32_t end = frames;
    for (uint32_t k = 0; k < frames; ++k) {
      if (energy[k] <= 2.0 * floor) {
        end = k;
        break;
      }
    }
    if (end < 4) continue;
    for (uint32_t k = 0; k < end; ++k) energy[k] = std::max(0.0, energy[k] - floor);
    std::vector<double> terms(energy.begin(), energy.begin() + end), ratio(end);
    if (!SchroederRatio(terms, ratio)) continue;
    std::vector<double> db(end);
    for (uint32_t k = 0; k < end; ++k) {
      db[k] = ratio[k] > 0 ? 10.0 * std::log10(ratio[k]) : kSchroederFloorDb;
    }
    result[b] = DecayTimeFromCurve(db, step, 5.0, rangeDb);
  }
  return result;
}

bool AverageDecays(const std::vector<const TReverbData*>& decays, int32_t smoothing,
                   int32_t extrapolation, TReverbData& out) {
  if (decays.empty()) return false;
  uint32_t frames = decays[0]->FrameCount();
  uint32_t bands = decays[0]->BandCount();
  for (const TReverbData* d : decays) {
    frames = std::min(frames, d->FrameCount());
    bands = std::min(bands, d->BandCount());
  }
  TReverbData mean = *decays[0];
  for (uint32_t k = 0; k < frames; ++k) {
    for (uint32_t b = 0; b < bands; ++b) {
      double sum = 0;
      for (const TReverbData* d : decays) sum += std::pow(10.0, d->Frames()[k].level[b] / 10.0);
      const double energy = sum / double(decays.size());
      mean.Frames()[k].level[b] =
          energy > 0 ? static_cast<float>(10.0 * std::log10(energy)) : kReverbEmpty;
    }
  }
  mean.SetFrameCount(frames);
  mean.SetBandCount(bands);
  mean.Smooth(smoothing, extrapolation);
  out = std::move(mean);
  return true;
}

}  // namespace orvanix
