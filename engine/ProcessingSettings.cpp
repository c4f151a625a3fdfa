#include "engine/ProcessingSettings.h"

#include <cmath>

#include "engine/Messages.h"
#include "engine/SettingsTexts.h"
#include "engine/Smoothing.h"

namespace orvanix {

namespace {

constexpr uint16_t kOctaveNumbers[] = {1, 3, 6, 9, 12, 24, 48, 96};
constexpr uint16_t kDefaultOctaveNumber = 3;
constexpr int32_t kLargeFftSize = 65536;
constexpr int32_t kMaxLinearRing = 1000;  // linear averaging keeps at most this many blocks
constexpr int32_t kDecimationFilterTaps = 39;

// The divisor of a rate, never 0, so that a record not yet checked cannot divide by zero.
double Decimation(const ProcessingSettings& s) {
  return s.decimationRatio == 0 ? 1.0 : static_cast<double>(s.decimationRatio);
}

// Spectra built for a configuration: left, right, and the dual ones of modes 3 ... 12.
uint64_t SpectrumCount(const ProcessingSettings& s) {
  if (s.format.channels < 2) return 1;
  const uint16_t mode = s.channelProcessing;
  if (mode >= kTransferAndCoherenceLR && mode < kChannelProcessingModes) return 4;
  if (mode >= kAverageChannels && mode < kChannelProcessingModes) return 3;
  return 2;
}

}  // namespace

void ProcessingSettings::UpdateDerived() {
  hopSize = HopSizeOf(fftSize, overlapPercent);
  delaySamples = DelaySamplesOf(format.sampleRate, delayTimeMsec);
  if (format.channels < 2 || channelProcessing >= kChannelProcessingModes) {
    channelProcessing = kLeftOnly;
  }
}

float ProcessingSettings::Nyquist() const {
  return static_cast<float>(format.sampleRate) * rateCorrection * 0.5f /
         static_cast<float>(Decimation(*this));
}

float ProcessingSettings::BinWidth() const {
  if (fftSize < 2) return 0.f;
  return Nyquist() / static_cast<float>(fftSize / 2);
}

uint16_t ScalingSettings::EffectiveOctaveNumber() const {
  for (uint16_t n : kOctaveNumbers) {
    if (octaveNumber == n) return n;
  }
  return kDefaultOctaveNumber;
}

int32_t HopSizeOf(int32_t fftSize, uint16_t overlapPercent) {
  // Integer arithmetic: in floating point 0.01 is not exact and a 0% overlap could give
  // a hop one short of N.
  const int64_t kept = 100 - static_cast<int64_t>(overlapPercent);
  const int64_t hop = kept * static_cast<int64_t>(fftSize) / 100;
  if (hop < 1) return 1;
  if (hop > fftSize) return fftSize;
  return static_cast<int32_t>(hop);
}

int32_t DelaySamplesOf(uint32_t rateHz, float delayTimeMsec) {
  double msec = static_cast<double>(delayTimeMsec);
  if (!(msec > 0.0)) return 0;
  if (msec > kMaxDelayMsec) msec = kMaxDelayMsec;
  return static_cast<int32_t>(static_cast<double>(rateHz) * msec * 0.001 + 0.5);
}

bool IsValidFftSize(int32_t n) {
  return n >= kMinFftSize && n <= kMaxFftSize && (n & (n - 1)) == 0;
}

const std::vector<int32_t>& AverageBlockChoices() {
  static const std::vector<int32_t> choices = {
      1,  2,  3,  4,  5,   6,   7,   8,   9,   10,  15,  20,  30,  40,   50,
      60, 70, 80, 90, 100, 200, 300, 400, 500, 600, 700, 800, 900, 1000, kInfiniteAverages};
  return choices;
}

size_t AverageBlockIndex(int32_t blocks) {
  const std::vector<int32_t>& choices = AverageBlockChoices();
  for (size_t i = 0; i < choices.size(); ++i) {
    if (choices[i] == blocks) return i;
  }
  return choices.size() - 1;
}

size_t FftSizeIndex(int32_t fftSize) {
  if (!IsValidFftSize(fftSize)) return 0;
  size_t index = 0;
  for (int32_t n = kMinFftSize; n < fftSize; n *= 2) ++index;
  return index;
}

ProcessingSettings DefaultsButtonSettings() {
  ProcessingSettings s;
  s.format = MakeWaveFormat(1, 44100, 2);
  s.fftSize = 4096;
  s.decimationRatio = 1;
  s.lowPassFilter = 1;
  s.averageBlocks = 1;
  s.averageType = kAverageExponential;
  s.peakHold = 0;
  s.smoothingWindow = kWindowHanning;
  s.overlapPercent = 50;
  s.channelProcessing = kLeftOnly;
  s.delayChannel = 0;
  s.delayTimeMsec = 0.0f;
  s.overloadDetection = 1;
  s.excludeOverloaded = 0;
  s.rateCorrection = 1.0f;
  s.UpdateDerived();
  return s;
}

std::string CheckDecimationRatio(int value) {
  if (value >= 1 && value <= kMaxDecimationRatio) return std::string();
  return Format(kDecimationRangeMessage, static_cast<int>(kMaxDecimationRatio));
}

std::string CheckOverlapPercent(int value) {
  if (value >= 0 && value <= 99) return std::string();
  return kOverlapRangeMessage;
}

std::string CheckDelayTime(double delayMsec) {
  if (delayMsec >= 0.0 && delayMsec <= kMaxDelayMsec) return std::string();
  return kDelayRangeMessage;  // also for NaN
}

std::string CheckSamplingRate(uint32_t rateHz, const RateLimits& limits) {
  if (limits.standardRatesOnly) {
    if (limits.maxRateHz >= 44100) {
      if (rateHz == 11025 || rateHz == 22050 || rateHz == 44100) return std::string();
      return kRate44100Message;
    }
    if (limits.maxRateHz >= 22050) {
      if (rateHz == 11025 || rateHz == 22050) return std::string();
      return kRate22050Message;
    }
    if (rateHz == 11025) return std::string();
    return kRate11025Message;
  }
  if (rateHz >= limits.minRateHz && rateHz <= limits.maxRateHz) return std::string();
  return Format(kRateRangeMessage, static_cast<long>(limits.minRateHz),
                static_cast<long>(limits.maxRateHz));
}

uint64_t EstimateEngineMemory(const ProcessingSettings& s) {
  const uint64_t n = IsValidFftSize(s.fftSize) ? static_cast<uint64_t>(s.fftSize) : kMaxFftSize;
  const uint64_t bins = n / 2;
  const uint64_t channels = s.format.channels < 2 ? 1 : 2;
  const uint64_t bytes = s.format.bytesPerSample == 0 ? 2 : s.format.bytesPerSample;
  const uint64_t decimation = s.decimationRatio == 0 ? 1 : s.decimationRatio;
  constexpr uint64_t kFloat = sizeof(float);

  // Block buffers: the processing pair (N x D samples plus the filter's run-out) and the
  // time-series pair, which holds twice as much.
  const uint64_t blockSamples = n * decimation + kDecimationFilterTaps;
  const uint64_t blockBuffers = channels * blockSamples * bytes * 3;
  // Per spectrum: block, complex average, inverse buffer (N floats each); power, dB,
  // scale factor, weighting and microphone curves and the three band-power curves
  // (B floats each).
  uint64_t perSpectrum = (3 * n + 8 * bins) * kFloat;
  if (s.averageType == kAverageLinear && s.averageBlocks > 0 && s.averageBlocks <= kMaxLinearRing) {
    // The ring: one power and one complex array per block.
    perSpectrum += static_cast<uint64_t>(s.averageBlocks) * 3 * bins * kFloat;
  }
  // The window table and the transform's tables.
  const uint64_t shared = 2 * n * kFloat;
  return blockBuffers + SpectrumCount(s) * perSpectrum + shared;
}

std::string CheckMemory(const ProcessingSettings& current, const ProcessingSettings& proposed,
                        uint64_t availableBytes) {
  if (proposed.fftSize <= kLargeFftSize) return std::string();
  const uint64_t before = EstimateEngineMemory(current);
  const uint64_t after = EstimateEngineMemory(proposed);
  if (after <= before || after - before <= availableBytes) return std::string();
  return kInsufficientMemory;
}

std::string SpectralLineResolutionText(const ProcessingSettings& s) {
  const double n = s.fftSize > 0 ? static_cast<double>(s.fftSize) : 1.0;
  return Format(kHertzFormat, static_cast<double>(s.format.sampleRate) / n / Decimation(s));
}

std::string FrequencyLimitText(const ProcessingSettings& s) {
  return Format(kHertzFormat, static_cast<double>(s.format.sampleRate) * 0.5 / Decimation(s));
}

std::string TimeResolutionText(const ProcessingSettings& s, bool postProcessing) {
  const double overlap = postProcessing ? static_cast<double>(s.overlapPercent) : 0.0;
  const double rate = s.format.sampleRate > 0 ? static_cast<double>(s.format.sampleRate) : 1.0;
  const double msec =
      Decimation(s) * 1000.0 * (100.0 - overlap) * 0.01 * static_cast<double>(s.fftSize) / rate;
  return Format(kTimeResolutionFormat, msec, kMsecsUnit);
}

std::string ChannelProcessingReportText(uint16_t mode) {
  if (mode >= kChannelProcessingModes) return std::string();
  return kReportChannelProcessing[mode];
}

std::vector<std::string> ProcessingReportLines(const ProcessingSettings& s) {
  std::vector<std::string> lines;
  const bool stereo = s.format.channels >= 2;
  lines.push_back(Format(kReportSamplingRate, static_cast<int>(s.format.sampleRate)));
  lines.push_back(Format(kReportPrecision, static_cast<int>(s.format.bitsPerSample)));
  lines.push_back(Format(kReportChannels, static_cast<int>(s.format.channels)));
  lines.push_back(Format(kReportFftSize, static_cast<int>(s.fftSize)));
  lines.push_back(Format(kReportDecimation, static_cast<int>(s.decimationRatio)));
  switch (s.averageType) {
    case kAverageLinear:
      lines.push_back(kReportAveragingLinear);
      break;
    case kAverageVector:
      lines.push_back(kReportAveragingVector);
      break;
    default:
      lines.push_back(kReportAveragingExponential);
      break;
  }
  lines.push_back(Format(kReportAveragingBlocks, static_cast<int>(s.averageBlocks)));
  lines.push_back(Format(kReportWindow, TSmoothing::TypeName(s.smoothingWindow).c_str()));
  lines.push_back(s.peakHold ? kReportPeakHoldOn : kReportPeakHoldOff);
  lines.push_back(Format(kReportOverlap, static_cast<int>(s.overlapPercent)));
  // What runs, not what is stored: mono and unknown modes process the left channel.
  uint16_t mode = kLeftOnly;
  if (stereo && s.channelProcessing < kChannelProcessingModes) mode = s.channelProcessing;
  lines.push_back(ChannelProcessingReportText(mode));
  if (stereo) {
    lines.push_back(s.delayChannel ? kReportDelayRight : kReportDelayLeft);
    lines.push_back(Format(kReportDelayTime, static_cast<int>(s.delayTimeMsec)));
  }
  if (s.overloadDetection) {
    lines.push_back(kReportOverloadOn);
    lines.push_back(s.excludeOverloaded ? kReportExcludeYes : kReportExcludeNo);
  } else {
    lines.push_back(kReportOverloadOff);
  }
  return lines;
}

std::vector<std::string> ScalingReportLines(const ScalingSettings& s, uint16_t channels) {
  std::vector<std::string> lines;
  lines.push_back(s.ampScale ? kReportAmplitudeLog : kReportAmplitudeLinear);
  switch (s.freqScale) {
    case 0:
      lines.push_back(kReportFrequencyLinear);
      break;
    case 2:
      lines.push_back(Format(kReportFrequencyOctave, static_cast<int>(s.EffectiveOctaveNumber())));
      break;
    default:
      lines.push_back(kReportFrequencyLog);
      break;
  }
  lines.push_back(s.spectralDensity ? kReportDensityOn : kReportDensityOff);
  lines.push_back(kReportWeighting[s.weighting < 4 ? s.weighting : 0]);
  if (s.micCompensation) {
    lines.push_back(Format(kReportMicLeft, s.micFileLeft.c_str()));
    if (channels >= 2) lines.push_back(Format(kReportMicRight, s.micFileRight.c_str()));
  }
  return lines;
}

}  // namespace orvanix
