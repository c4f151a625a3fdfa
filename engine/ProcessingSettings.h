// The two records every engine object is built from: how samples become spectra
// (ProcessingSettings) and how spectra are scaled and shown (ScalingSettings).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/WaveFormat.h"

namespace orvanix {

inline constexpr int32_t kMinFftSize = 32;
inline constexpr int32_t kMaxFftSize = 1048576;
inline constexpr uint16_t kMaxDecimationRatio = 50;
inline constexpr int32_t kInfiniteAverages = 1000000;
inline constexpr int kChannelProcessingModes = 13;
inline constexpr size_t kPathLength = 260;
inline constexpr float kMaxDelayMsec = 1000.0f;
// The overlap field's value after an out-of-range entry was refused.
inline constexpr int kOverlapResetPercent = 50;

enum AveragingType : uint16_t { kAverageExponential = 0, kAverageLinear = 1, kAverageVector = 2 };

enum ChannelProcessing : uint16_t {
  kLeftOnly = 0,
  kRightOnly = 1,
  kBothChannels = 2,
  kAverageChannels = 3,
  kRealTransferLR = 4,
  kRealTransferRL = 5,
  kCrossSpectrumLR = 6,
  kCrossSpectrumRL = 7,
  kComplexTransferLR = 8,
  kComplexTransferRL = 9,
  kCoherence = 10,
  kTransferAndCoherenceLR = 11,
  kTransferAndCoherenceRL = 12,
};

struct ProcessingSettings {
  WaveFormat format;             // "NumChannels", "SamplingRate", "BytesPerSample"
  int32_t fftSize = 4096;        // "FFTsize": power of two 32 ... 2^20
  uint16_t decimationRatio = 1;  // "DecimationRatio": 1 ... 50
  int32_t lowPassFilter = 1;     // "ApplyLowPassFilter"
  int32_t averageBlocks = 1;     // "AverageBlocks": list value or 1,000,000 ("Infinite")
  uint16_t averageType = kAverageExponential;  // "AverageType"
  int32_t peakHold = 0;                        // "PeakHold"
  uint16_t smoothingWindow = 4;                // "SmoothingWindow": Hanning
  uint16_t overlapPercent = 0;                 // "OverlapPercent": 0 ... 99
  int32_t hopSize = 4096;                      // derived, see UpdateDerived()
  uint16_t channelProcessing = kLeftOnly;      // "ChannelProcessing": 0 ... 12
  uint16_t delayChannel = 0;                   // "DelayChannel": 0 left, 1 right
  float delayTimeMsec = 0.0f;                  // "DelayTimeMsec": 0 ... 1000
  int32_t delaySamples = 0;                    // derived, see UpdateDerived()
  int32_t overloadDetection = 1;               // "EnableOverloadDetection"
  int32_t excludeOverloaded = 0;               // "ExcludeOverloadFlag"
  float rateCorrection = 1.0f;  // "SamplingRateCorrectionFactor" (program settings only)

  // Recomputes hop size and delay in samples, and forces mode 0 for a mono format or a
  // mode outside 0 ... 12.
  void UpdateDerived();
  bool operator==(const ProcessingSettings&) const = default;
  // Nyquist frequency in Hz including decimation and the rate correction factor.
  float Nyquist() const;
  // Bin width in Hz: Nyquist / (N / 2).
  float BinWidth() const;
};

struct ScalingSettings {
  uint16_t ampScale = 1;        // "AmpScaleType": 0 linear, 1 logarithmic
  uint16_t freqScale = 1;       // "FreqScaleType": 0 linear, 1 logarithmic, 2 fractional octave
  uint16_t octaveNumber = 3;    // "OctaveNumber": 1, 3, 6, 9, 12, 24, 48, 96
  int32_t spectralDensity = 0;  // "SpectralDensityFlag"
  uint16_t spectralDensityType = 0;  // "SpectralDensityType": 0 Units^2/Hz, 1 Units/sqrt(Hz)
  uint16_t weighting = 0;            // "StandardWeighting": 0 flat, 1 A, 2 B, 3 C
  int32_t micCompensation = 0;       // "MicCompEnable"
  std::string micFileLeft;           // "MicCompFilenameLeft" (at most 260 characters)
  std::string micFileRight;          // "MicCompFilenameRight"

  // n of 1/n octave, with unsupported values treated as 3.
  uint16_t EffectiveOctaveNumber() const;
  bool operator==(const ScalingSettings&) const = default;
};

// Derived values in hop/delay terms, usable without a record.
// Hop in samples: truncate((100 - overlap) x N / 100), at least 1.
int32_t HopSizeOf(int32_t fftSize, uint16_t overlapPercent);
// Delay in samples: truncate(rate x delay x 0.001 + 0.5), the delay taken within
// 0 ... kMaxDelayMsec (NaN as 0) so that a bad stored value cannot reach outside the buffers.
int32_t DelaySamplesOf(uint32_t rateHz, float delayTimeMsec);

bool IsValidFftSize(int32_t n);
// The averaging-block list of the settings dialog, "Infinite" last.
const std::vector<int32_t>& AverageBlockChoices();
// Index into AverageBlockChoices(); a value not in the list selects the last entry.
size_t AverageBlockIndex(int32_t blocks);
// Index into the FFT size list 32 ... 2^20; a value not in the list selects the first.
size_t FftSizeIndex(int32_t fftSize);

// The values of the settings dialog's "Defaults" button, derived values updated. The
// rate correction factor is 1.0: it belongs to the program settings, so the caller keeps
// its current one.
ProcessingSettings DefaultsButtonSettings();

// Validation of the settings dialog, in its order. Each returns the exact message,
// or an empty string when the value is acceptable.
std::string CheckDecimationRatio(int value);
std::string CheckOverlapPercent(int value);
std::string CheckDelayTime(double delayMsec);
// Device limits for the sampling-rate check. Devices limited to the three standard
// rates report standardRatesOnly with their highest rate in maxRateHz.
struct RateLimits {
  uint32_t minRateHz = 0;
  uint32_t maxRateHz = 0;
  bool standardRatesOnly = false;
};
// Standard-rate devices accept 11025 Hz, plus 22050 Hz when maxRateHz >= 22050, plus
// 44100 Hz when maxRateHz >= 44100; other devices accept minRateHz ... maxRateHz.
std::string CheckSamplingRate(uint32_t rateHz, const RateLimits& limits);
// Memory estimate in bytes of the engine objects for a configuration (block buffers,
// spectra with their curves and linear-averaging rings, window); used to refuse FFT sizes
// above 65536 that would not fit in physical memory.
uint64_t EstimateEngineMemory(const ProcessingSettings& settings);
// kInsufficientMemory when the proposed FFT size is above 65536 and its estimate exceeds
// the current one by more than `availableBytes` (the old objects are freed first).
std::string CheckMemory(const ProcessingSettings& current, const ProcessingSettings& proposed,
                        uint64_t availableBytes);

// "Frequency Range and Resolution" texts from the nominal rate (no correction factor):
// line resolution r / N / D and limit r / 2 / D as "%5.3f Hz"; time resolution
// D x 1000 x (100 - v)% x N / r as "%5.2f (msecs)", where the overlap v counts only in
// Post-Processing mode.
std::string SpectralLineResolutionText(const ProcessingSettings& s);
std::string FrequencyLimitText(const ProcessingSettings& s);
std::string TimeResolutionText(const ProcessingSettings& s, bool postProcessing);

// Report lines of the configuration report, each starting with a tab as stored. Only the
// field lines: the headings (kProcessingReportHeading, kScalingReportHeading in
// SettingsTexts.h) are the report writer's. Mono reports channel processing as mode 0 and
// leaves out the delay lines; the octave line shows the effective octave number; the
// microphone lines appear only with compensation on, the right one only in stereo.
std::vector<std::string> ProcessingReportLines(const ProcessingSettings& s);
std::vector<std::string> ScalingReportLines(const ScalingSettings& s, uint16_t channels);
// The channel-processing line of a mode; empty for a mode outside 0 ... 12.
std::string ChannelProcessingReportText(uint16_t mode);

}  // namespace orvanix
