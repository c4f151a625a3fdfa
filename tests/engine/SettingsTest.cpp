// Processing and scaling settings: derived values, list rules, validation, texts, reports.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/Messages.h"
#include "engine/ProcessingSettings.h"
#include "engine/SettingsTexts.h"
#include "engine/Smoothing.h"

namespace orvanix {
namespace {

TEST(SettingsDerived, HopSizeTruncatesAndNeverReachesZero) {
  EXPECT_EQ(HopSizeOf(4096, 99), 40);  // 40.96 truncated
  EXPECT_EQ(HopSizeOf(4096, 0), 4096);
  EXPECT_EQ(HopSizeOf(4096, 50), 2048);
  EXPECT_EQ(HopSizeOf(32, 99), 1);  // 0.32 truncated to 0, then raised to 1
  EXPECT_EQ(HopSizeOf(4096, 100), 1);
  // Every list size with no overlap hops a whole block.
  for (int32_t n = kMinFftSize; n <= kMaxFftSize; n *= 2) EXPECT_EQ(HopSizeOf(n, 0), n) << n;
}

TEST(SettingsDerived, DelayRoundsToNearestSampleWithinRange) {
  EXPECT_EQ(DelaySamplesOf(44100, 0.01f), 0);
  EXPECT_EQ(DelaySamplesOf(44100, 1000.f), 44100);
  EXPECT_EQ(DelaySamplesOf(44100, 0.0114f), 1);  // 0.503 samples
  EXPECT_EQ(DelaySamplesOf(48000, 2.5f), 120);
  // Stored values outside the dialog's range cannot reach outside the buffers.
  EXPECT_EQ(DelaySamplesOf(44100, -5.f), 0);
  EXPECT_EQ(DelaySamplesOf(44100, 5000.f), 44100);
  EXPECT_EQ(DelaySamplesOf(44100, std::numeric_limits<float>::quiet_NaN()), 0);
}

TEST(SettingsDerived, UpdateDerivedForcesLeftChannelForMonoAndUnknownModes) {
  ProcessingSettings s;
  s.format = MakeWaveFormat(1, 44100, 2);
  s.channelProcessing = kCoherence;
  s.overlapPercent = 99;
  s.delayTimeMsec = 1000.f;
  s.UpdateDerived();
  EXPECT_EQ(s.channelProcessing, kLeftOnly);
  EXPECT_EQ(s.hopSize, 40);
  EXPECT_EQ(s.delaySamples, 44100);

  s.format = MakeWaveFormat(2, 44100, 2);
  s.channelProcessing = kCoherence;
  s.UpdateDerived();
  EXPECT_EQ(s.channelProcessing, kCoherence);
  s.channelProcessing = 13;
  s.UpdateDerived();
  EXPECT_EQ(s.channelProcessing, kLeftOnly);
}

TEST(SettingsDerived, CorrectionFactorAndDecimationMoveFrequencies) {
  ProcessingSettings s;
  s.format = MakeWaveFormat(1, 48000, 2);
  s.fftSize = 4096;
  EXPECT_FLOAT_EQ(s.Nyquist(), 24000.f);
  EXPECT_FLOAT_EQ(100 * s.BinWidth(), 1171.875f);
  s.rateCorrection = 1.001f;
  EXPECT_NEAR(100 * s.BinWidth(), 1173.047, 0.0005);
  s.rateCorrection = 1.f;
  s.decimationRatio = 4;
  EXPECT_FLOAT_EQ(s.Nyquist(), 6000.f);
  EXPECT_FLOAT_EQ(s.BinWidth(), 6000.f / 2048.f);
}

TEST(SettingsLists, OctaveNumberFallsBackToThird) {
  ScalingSettings s;
  for (uint16_t n : {1, 3, 6, 9, 12, 24, 48, 96}) {
    s.octaveNumber = n;
    EXPECT_EQ(s.EffectiveOctaveNumber(), n);
  }
  for (uint16_t n : {0, 2, 5, 97, 65535}) {
    s.octaveNumber = n;
    EXPECT_EQ(s.EffectiveOctaveNumber(), 3) << n;
  }
}

TEST(SettingsLists, AveragingAndFftListIndices) {
  const std::vector<int32_t>& choices = AverageBlockChoices();
  ASSERT_EQ(choices.size(), 30u);
  EXPECT_EQ(choices.back(), kInfiniteAverages);
  EXPECT_EQ(AverageBlockIndex(1), 0u);
  EXPECT_EQ(AverageBlockIndex(15), 10u);
  EXPECT_EQ(AverageBlockIndex(1000), 28u);
  EXPECT_EQ(AverageBlockIndex(kInfiniteAverages), 29u);
  EXPECT_EQ(AverageBlockIndex(11), 29u);  // not in the list: "Infinite"
  EXPECT_EQ(AverageBlockIndex(0), 29u);

  EXPECT_EQ(FftSizeIndex(32), 0u);
  EXPECT_EQ(FftSizeIndex(4096), 7u);
  EXPECT_EQ(FftSizeIndex(kMaxFftSize), 15u);
  EXPECT_EQ(FftSizeIndex(1000), 0u);
  EXPECT_EQ(FftSizeIndex(16), 0u);
  EXPECT_EQ(FftSizeIndex(2 * kMaxFftSize), 0u);
  EXPECT_TRUE(IsValidFftSize(32));
  EXPECT_FALSE(IsValidFftSize(48));
  EXPECT_FALSE(IsValidFftSize(-32));
}

TEST(SettingsDefaults, DefaultsButton) {
  const ProcessingSettings s = DefaultsButtonSettings();
  EXPECT_EQ(s.format.sampleRate, 44100u);
  EXPECT_EQ(s.format.bitsPerSample, 16);
  EXPECT_EQ(s.format.channels, 1);
  EXPECT_EQ(s.fftSize, 4096);
  EXPECT_EQ(s.decimationRatio, 1);
  EXPECT_EQ(s.lowPassFilter, 1);
  EXPECT_EQ(s.averageBlocks, 1);
  EXPECT_EQ(s.averageType, kAverageExponential);
  EXPECT_EQ(s.peakHold, 0);
  EXPECT_EQ(s.smoothingWindow, kWindowHanning);
  EXPECT_EQ(s.overlapPercent, 50);
  EXPECT_EQ(s.hopSize, 2048);
  EXPECT_EQ(s.channelProcessing, kLeftOnly);
  EXPECT_EQ(s.delayChannel, 0);
  EXPECT_EQ(s.delayTimeMsec, 0.f);
  EXPECT_EQ(s.overloadDetection, 1);
  EXPECT_EQ(s.excludeOverloaded, 0);
}

TEST(SettingsValidation, RangesAtAndBeyondTheirLimits) {
  const std::string decimation = "Decimation Ratio must be between 1 and 50";
  EXPECT_EQ(CheckDecimationRatio(0), decimation);
  EXPECT_EQ(CheckDecimationRatio(1), "");
  EXPECT_EQ(CheckDecimationRatio(50), "");
  EXPECT_EQ(CheckDecimationRatio(51), decimation);

  EXPECT_EQ(CheckOverlapPercent(-1), kOverlapRangeMessage);
  EXPECT_EQ(CheckOverlapPercent(0), "");
  EXPECT_EQ(CheckOverlapPercent(99), "");
  EXPECT_EQ(CheckOverlapPercent(100), "Overlap Percentage must be between 0 and 99%");

  const std::string delay = "Delay must be between 0 and 1,000 milliseconds";
  EXPECT_EQ(CheckDelayTime(-0.001), delay);
  EXPECT_EQ(CheckDelayTime(0.0), "");
  EXPECT_EQ(CheckDelayTime(1000.0), "");
  EXPECT_EQ(CheckDelayTime(1000.001), delay);
  EXPECT_EQ(CheckDelayTime(std::nan("")), delay);
}

TEST(SettingsValidation, SamplingRateAgainstDeviceLimits) {
  const RateLimits range{8000, 96000, false};
  const std::string message =
      "The Sound Board does not support the selected Sampling Rate.  Rate must be between 8000 "
      "Hz and 96000 Hz.";
  EXPECT_EQ(CheckSamplingRate(7999, range), message);
  EXPECT_EQ(CheckSamplingRate(8000, range), "");
  EXPECT_EQ(CheckSamplingRate(96000, range), "");
  EXPECT_EQ(CheckSamplingRate(96001, range), message);

  const RateLimits low{11025, 11025, true};
  EXPECT_EQ(CheckSamplingRate(11025, low), "");
  EXPECT_EQ(CheckSamplingRate(22050, low), "Sampling Rate must be 11025 Hz");
  const RateLimits middle{11025, 22050, true};
  EXPECT_EQ(CheckSamplingRate(22050, middle), "");
  EXPECT_EQ(CheckSamplingRate(16000, middle), "Sampling Rate must be either 11025 or 22050 Hz");
  EXPECT_EQ(CheckSamplingRate(44100, middle), "Sampling Rate must be either 11025 or 22050 Hz");
  const RateLimits high{11025, 44100, true};
  EXPECT_EQ(CheckSamplingRate(44100, high), "");
  EXPECT_EQ(CheckSamplingRate(11025, high), "");
  EXPECT_EQ(CheckSamplingRate(48000, high),
            "Sampling Rate must be either 11025, 22050 or 44100 Hz");
}

TEST(SettingsValidation, MemoryCheckOnlyAboveSixtyFourK) {
  ProcessingSettings current;
  ProcessingSettings proposed;
  proposed.fftSize = 65536;
  EXPECT_EQ(CheckMemory(current, proposed, 0), "");  // not checked at 65536
  proposed.fftSize = kMaxFftSize;
  const uint64_t grow = EstimateEngineMemory(proposed) - EstimateEngineMemory(current);
  EXPECT_GT(EstimateEngineMemory(proposed), EstimateEngineMemory(current));
  EXPECT_EQ(CheckMemory(current, proposed, grow - 1), kInsufficientMemory);
  EXPECT_EQ(CheckMemory(current, proposed, grow), "");
  EXPECT_EQ(CheckMemory(proposed, proposed, 0), "");  // nothing more needed

  // Linear averaging keeps a ring of blocks per spectrum: the estimate must see it.
  ProcessingSettings linear = proposed;
  linear.averageType = kAverageLinear;
  linear.averageBlocks = 1000;
  EXPECT_GT(EstimateEngineMemory(linear), 1000ull * kMaxFftSize * 6 / 2);
  // Dual-channel modes add spectra.
  ProcessingSettings dual = proposed;
  dual.format = MakeWaveFormat(2, 44100, 2);
  const uint64_t both = EstimateEngineMemory(dual);
  dual.channelProcessing = kTransferAndCoherenceLR;
  EXPECT_GT(EstimateEngineMemory(dual), both);
}

TEST(SettingsTexts, FrequencyRangeAndResolution) {
  ProcessingSettings s;
  s.format = MakeWaveFormat(1, 44100, 2);
  s.fftSize = 4096;
  s.overlapPercent = 50;
  s.rateCorrection = 1.01f;  // the dialog shows nominal values
  EXPECT_EQ(SpectralLineResolutionText(s), "10.767 Hz");
  EXPECT_EQ(FrequencyLimitText(s), "22050.000 Hz");
  EXPECT_EQ(TimeResolutionText(s, false), "92.88 (msecs)");
  EXPECT_EQ(TimeResolutionText(s, true), "46.44 (msecs)");
  s.decimationRatio = 4;
  s.fftSize = 32;
  EXPECT_EQ(SpectralLineResolutionText(s), "344.531 Hz");
  EXPECT_EQ(FrequencyLimitText(s), "5512.500 Hz");
  EXPECT_EQ(TimeResolutionText(s, false), " 2.90 (msecs)");
}

TEST(SettingsReport, MonoProcessingLines) {
  ProcessingSettings s;
  s.format = MakeWaveFormat(1, 44100, 2);
  s.fftSize = 8192;
  s.decimationRatio = 2;
  s.averageType = kAverageLinear;
  s.averageBlocks = 10;
  s.smoothingWindow = kWindowHanning;
  s.peakHold = 1;
  s.overlapPercent = 25;
  s.channelProcessing = kCoherence;  // stored, but mono runs the left channel
  s.delayTimeMsec = 12.f;
  s.overloadDetection = 1;
  s.excludeOverloaded = 1;
  const std::vector<std::string> expected = {
      "\tSampling Rate:\t44100 Hz",
      "\tSampling Precision:\t16 bits",
      "\tChannels:\t1",
      "\tFFT size:\t8192 pts",
      "\tDecimation Ratio:\t2",
      "\tAveraging Type:\tLinear",
      "\tAveraging Block Size:\t10",
      "\tSmoothing Window:\t" + TSmoothing::TypeName(kWindowHanning),
      "\tPeak Hold Status:\tOn",
      "\tOverlap Percentage:\t25",
      "\tChannel Processing:\tLeft channel only",
      "\tOverload Detection:\tOn",
      "\tExclude Overloaded data:\tYes",
  };
  EXPECT_EQ(ProcessingReportLines(s), expected);
  EXPECT_FALSE(TSmoothing::TypeName(kWindowHanning).empty());
}

TEST(SettingsReport, StereoProcessingLines) {
  ProcessingSettings s;
  s.format = MakeWaveFormat(2, 48000, 3);
  s.averageType = kAverageVector;
  s.averageBlocks = kInfiniteAverages;
  s.channelProcessing = kTransferAndCoherenceRL;
  s.delayChannel = 1;
  s.delayTimeMsec = 2.9f;
  s.overloadDetection = 0;
  const std::vector<std::string> lines = ProcessingReportLines(s);
  ASSERT_EQ(lines.size(), 14u);
  EXPECT_EQ(lines[1], "\tSampling Precision:\t24 bits");
  EXPECT_EQ(lines[2], "\tChannels:\t2");
  EXPECT_EQ(lines[5], "\tAveraging Type:\tVector");
  EXPECT_EQ(lines[6], "\tAveraging Block Size:\t1000000");
  EXPECT_EQ(lines[8], "\tPeak Hold Status:\tOff");
  EXPECT_EQ(lines[10], "\tChannel Processing:\tComplex Transfer (R/L) and Coherence");
  EXPECT_EQ(lines[11], "\tDelay Channel:\tRight");
  EXPECT_EQ(lines[12], "\tDelay time\t2 milliseconds");
  EXPECT_EQ(lines[13], "\tOverload Detection:\tOff");  // no exclusion line without detection

  EXPECT_EQ(ChannelProcessingReportText(4),
            "\tChannel Processing:\tReal Transfer Function (Left / Right)");
  EXPECT_EQ(ChannelProcessingReportText(13), "");
}

TEST(SettingsReport, ScalingLines) {
  ScalingSettings s;
  s.ampScale = 0;
  s.freqScale = 2;
  s.octaveNumber = 5;
  s.spectralDensity = 1;
  s.weighting = 1;
  s.micCompensation = 1;
  s.micFileLeft = "/home/a/left.mic";
  s.micFileRight = "/home/a/right.mic";
  const std::vector<std::string> mono = {
      "\tAmplitude Axis:\tLinear",
      "\tFrequency Axis:\t1/3 Octave",
      "\tPower Spectral Density:\tEnabled",
      "\tSpectral Weighting:\tA",
      "\tMicrophone Compensation - left:\t/home/a/left.mic",
  };
  EXPECT_EQ(ScalingReportLines(s, 1), mono);
  std::vector<std::string> stereo = mono;
  stereo.push_back("\tMicrophone Compensation - right:\t/home/a/right.mic");
  EXPECT_EQ(ScalingReportLines(s, 2), stereo);

  ScalingSettings plain;  // defaults: logarithmic axes, flat, no compensation
  const std::vector<std::string> expected = {
      "\tAmplitude Axis:\tLogarithmic",
      "\tFrequency Axis:\tLogarithmic",
      "\tPower Spectral Density:\tDisabled",
      "\tSpectral Weighting:\tFlat",
  };
  EXPECT_EQ(ScalingReportLines(plain, 2), expected);
  plain.freqScale = 0;
  plain.weighting = 3;
  EXPECT_EQ(ScalingReportLines(plain, 2)[1], "\tFrequency Axis:\tLinear");
  EXPECT_EQ(ScalingReportLines(plain, 2)[3], "\tSpectral Weighting:\tC");
}

}  // namespace
}  // namespace orvanix
