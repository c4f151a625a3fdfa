#include "engine/ProcessingStep.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdlib>
#include <new>
#include <random>

#include "engine/Messages.h"
#include "engine/SpectrumTexts.h"

// Every allocation in this program is counted, so that a test can prove the processing step
// allocates nothing.
namespace {
size_t g_allocations = 0;
}
// The replacements pair malloc with free themselves; GCC cannot see that through `new`.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
  ++g_allocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
  return operator new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  ++g_allocations;
  return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete[](void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
  std::free(p);
}

namespace orvanix {
namespace {

constexpr double kPi = 3.141592653589793;
constexpr uint32_t kN = 1024;

ProcessingSettings Stereo(uint16_t mode, uint16_t type = kAverageExponential, int blocks = 1000) {
  ProcessingSettings s;
  s.format = MakeWaveFormat(2, 48000, 2);
  s.fftSize = kN;
  s.channelProcessing = mode;
  s.averageType = type;
  s.averageBlocks = blocks;
  s.smoothingWindow = kWindowHanning;
  return s;
}

ScalingSettings LogScaling(uint16_t freqScale = 0) {
  ScalingSettings c;
  c.ampScale = 1;
  c.freqScale = freqScale;
  return c;
}

void Load(TSeriesData& series, const std::vector<double>& samples, size_t offset) {
  for (uint32_t i = 0; i < series.Count(); ++i) {
    series.PutSample(i, static_cast<int32_t>(std::lround(samples[offset + i])));
  }
}

// A known linear system: the right channel carries the input x (white noise), the left the
// output y = FIR(x) delayed by two samples plus independent noise.
class LinearSystem {
 public:
  static constexpr double kTaps[3] = {0.5, 0.3, -0.2};
  static constexpr int kDelay = 2;
  static constexpr double kInputRms = 4000.0;
  static constexpr double kNoiseRms = 1000.0;
  static constexpr int kBlocks = 300;

  LinearSystem() : x_(kBlocks * kN + 8), y_(x_.size()) {
    std::mt19937 rng(1234);
    std::normal_distribution<double> input(0.0, kInputRms), noise(0.0, kNoiseRms);
    for (double& v : x_) v = input(rng);
    for (size_t i = 0; i < x_.size(); ++i) {
      double v = noise(rng);
      for (int j = 0; j < 3; ++j) {
        const long at = static_cast<long>(i) - kDelay - j;
        if (at >= 0) v += kTaps[j] * x_[at];
      }
      y_[i] = v;
    }
  }

  // H at bin k: the FIR's and the delay's discrete-time Fourier transform.
  static std::complex<double> H(uint32_t k) {
    const double w = 2 * kPi * k / kN;
    std::complex<double> h = 0.0;
    for (int j = 0; j < 3; ++j) h += kTaps[j] * std::polar(1.0, -w * (j + kDelay));
    return h;
  }
  // Squared coherence of the output with the input at bin k (white input and noise).
  static double Coherence(uint32_t k) {
    const double signal = std::norm(H(k)) * kInputRms * kInputRms;
    return signal / (signal + kNoiseRms * kNoiseRms);
  }

  void Run(TEngineObjects& objects) const {
    for (int b = 0; b < kBlocks; ++b) {
      Load(*objects.seriesLeft, y_, static_cast<size_t>(b) * kN);
      Load(*objects.seriesRight, x_, static_cast<size_t>(b) * kN);
      ProcessBlock(objects);
    }
  }

 private:
  std::vector<double> x_, y_;
};

TEngineObjects Build(const ProcessingSettings& p, const ScalingSettings& c = LogScaling()) {
  TEngineObjects objects;
  EXPECT_TRUE(BuildEngineObjects(p, c, objects));
  return objects;
}

double PhaseDifference(double a, double b) {
  return std::remainder(a - b, 360.0);
}

const uint32_t kCheckedBins[] = {40, 120, 200, 300, 400};

TEST(ProcessingStepTest, ComplexTransferFunctionOfAKnownSystem) {
  LinearSystem system;
  TEngineObjects lr = Build(Stereo(kComplexTransferLR));
  TEngineObjects rl = Build(Stereo(kComplexTransferRL));
  system.Run(lr);
  system.Run(rl);
  const double snr = LinearSystem::kNoiseRms * LinearSystem::kNoiseRms /
                     (LinearSystem::kInputRms * LinearSystem::kInputRms);
  for (uint32_t k : kCheckedBins) {
    const std::complex<double> h = LinearSystem::H(k);
    const double hDeg = std::arg(h) * 180 / kPi;
    // L/R: the output over the input is H itself.
    EXPECT_NEAR(lr.dual->Value(k), 10 * std::log10(std::norm(h)), 0.3) << k;
    EXPECT_NEAR(PhaseDifference(lr.dual->Phase(k), hDeg), 0.0, 3.0) << k;
    // R/L: conj(H) Sxx / Syy with Syy = (|H|^2 + noise/input) Sxx.
    const double inverse = std::norm(h) / std::pow(std::norm(h) + snr, 2);
    EXPECT_NEAR(rl.dual->Value(k), 10 * std::log10(inverse), 0.3) << k;
    EXPECT_NEAR(PhaseDifference(rl.dual->Phase(k), -hDeg), 0.0, 3.0) << k;
  }
  EXPECT_TRUE(lr.dual->IsComplexTransfer());
}

TEST(ProcessingStepTest, CoherenceAndRealTransferOfAKnownSystem) {
  LinearSystem system;
  TEngineObjects coherence = Build(Stereo(kCoherence));
  TEngineObjects real = Build(Stereo(kRealTransferLR));
  TEngineObjects both = Build(Stereo(kTransferAndCoherenceLR));
  system.Run(coherence);
  system.Run(real);
  system.Run(both);
  const double snr = LinearSystem::kNoiseRms * LinearSystem::kNoiseRms /
                     (LinearSystem::kInputRms * LinearSystem::kInputRms);
  for (uint32_t k : kCheckedBins) {
    const double gamma = std::sqrt(LinearSystem::Coherence(k));
    // Shown as sqrt(gamma^2) on a 0 ... 1 scale even on the logarithmic axis.
    EXPECT_NEAR(coherence.dual->Value(k), gamma, 0.02) << k;
    EXPECT_NEAR(both.dual2->Value(k), gamma, 0.02) << k;
    const std::complex<double> h = LinearSystem::H(k);
    EXPECT_NEAR(both.dual->Value(k), 10 * std::log10(std::norm(h)), 0.3) << k;
    // Real transfer: output power over input power.
    EXPECT_NEAR(real.dual->Value(k), 10 * std::log10(std::norm(h) + snr), 0.3) << k;
    EXPECT_NEAR(PhaseDifference(real.dual->Phase(k), std::arg(h) * 180 / kPi), 0.0, 3.0) << k;
  }
}

TEST(ProcessingStepTest, CoherenceOfIdenticalChannelsIsOne) {
  // Vector averaging is asked for: the channels must still average power.
  TEngineObjects objects = Build(Stereo(kCoherence, kAverageVector, 20));
  std::mt19937 rng(2);
  std::normal_distribution<double> noise(0.0, 3000.0);
  std::vector<double> x(kN);
  for (int b = 0; b < 10; ++b) {
    for (double& v : x) v = noise(rng);
    Load(*objects.seriesLeft, x, 0);
    Load(*objects.seriesRight, x, 0);
    ProcessBlock(objects);
  }
  EXPECT_EQ(objects.left->AveragingType(), kAverageExponential);
  EXPECT_EQ(objects.right->AveragingType(), kAverageExponential);
  EXPECT_EQ(objects.dual->AveragingType(), kAverageVector);
  for (uint32_t k = 5; k < kN / 2 - 1; ++k) ASSERT_NEAR(objects.dual->Value(k), 1.f, 1e-3) << k;
}

TEST(ProcessingStepTest, PeakHoldKeepsRatioResultsMeaningful) {
  // Identical channels: every block's coherence is 1 and its transfer function 0 dB. Peak
  // hold must not freeze the cross spectrum behind them or compare it with the ratio.
  ProcessingSettings p = Stereo(kTransferAndCoherenceLR, kAverageExponential, 1);
  p.peakHold = 1;
  TEngineObjects objects = Build(p);
  std::mt19937 rng(4);
  std::normal_distribution<double> noise(0.0, 3000.0);
  std::vector<double> x(kN);
  for (int b = 0; b < 4; ++b) {
    for (double& v : x) v = noise(rng) * (b % 2 ? 0.1 : 1.0);  // loud, quiet, loud, quiet
    Load(*objects.seriesLeft, x, 0);
    Load(*objects.seriesRight, x, 0);
    ProcessBlock(objects);
  }
  for (uint32_t k = 5; k < kN / 2 - 1; ++k) {
    ASSERT_NEAR(objects.dual2->Value(k), 1.f, 1e-3) << k;
    ASSERT_NEAR(objects.dual->Value(k), 0.f, 0.01f) << k;
  }
}

TEST(ProcessingStepTest, AverageAndCrossSpectrumOfTheChannels) {
  TEngineObjects average = Build(Stereo(kAverageChannels, kAverageExponential, 8));
  TEngineObjects cross = Build(Stereo(kCrossSpectrumRL, kAverageExponential, 8));
  std::mt19937 rng(3);
  std::normal_distribution<double> noise(0.0, 3000.0);
  std::vector<double> l(kN), r(kN);
  for (int b = 0; b < 12; ++b) {
    for (size_t i = 0; i < kN; ++i) {
      l[i] = noise(rng);
      r[i] = 0.5 * l[i] + 0.3 * noise(rng);
    }
    for (TEngineObjects* o : {&average, &cross}) {
      Load(*o->seriesLeft, l, 0);
      Load(*o->seriesRight, r, 0);
      ProcessBlock(*o);
    }
  }
  for (uint32_t k : kCheckedBins) {
    const float expected = (average.left->AveragePower(k) + average.right->AveragePower(k)) / 2;
    EXPECT_NEAR(average.dual->AveragePower(k), expected, 1e-4 * expected) << k;
  }
  // Cross spectra leave the channels unaveraged.
  EXPECT_EQ(cross.left->AverageCount(), 0u);
  EXPECT_EQ(cross.dual->AverageCount(), 8u);
  EXPECT_TRUE(cross.dual->IsCrossSpectrum());
}

TEST(ProcessingStepTest, MonoConfigurationRunsTheLeftChannelOnly) {
  ProcessingSettings p = Stereo(kCoherence);
  p.format = MakeWaveFormat(1, 48000, 2);
  TEngineObjects objects = Build(p);
  EXPECT_EQ(objects.settings.channelProcessing, kLeftOnly);
  EXPECT_EQ(EffectiveMode(p), kLeftOnly);
  ASSERT_TRUE(objects.left && objects.seriesLeft);
  EXPECT_FALSE(objects.right || objects.seriesRight || objects.dual || objects.dual2);
  std::vector<double> tone(kN);
  for (uint32_t i = 0; i < kN; ++i) tone[i] = 16000 * std::sin(2 * kPi * 100 * i / kN);
  Load(*objects.seriesLeft, tone, 0);
  ProcessBlock(objects);
  EXPECT_EQ(objects.left->AverageCount(), 1u);
  EXPECT_EQ(objects.left->PeakBin(), 100u);
}

TEST(ProcessingStepTest, SingleChannelModesAverageOnlyTheirChannels) {
  TEngineObjects right = Build(Stereo(kRightOnly));
  TEngineObjects both = Build(Stereo(kBothChannels));
  EXPECT_FALSE(right.dual);
  for (TEngineObjects* o : {&right, &both}) ProcessBlock(*o);
  EXPECT_EQ(right.left->AverageCount(), 0u);
  EXPECT_EQ(right.right->AverageCount(), 1u);
  EXPECT_EQ(both.left->AverageCount(), 1u);
  EXPECT_EQ(both.right->AverageCount(), 1u);
  // Without its right spectrum a stereo step does nothing at all.
  both.right.reset();
  ProcessBlock(both);
  EXPECT_EQ(both.left->AverageCount(), 1u);
}

TEST(ProcessingStepTest, BuildChoosesTheWindowCorrectionAndBuffersBySettings) {
  ProcessingSettings p = Stereo(kTransferAndCoherenceRL);
  p.decimationRatio = 4;
  TEngineObjects linear = Build(p, LogScaling(0));
  TEngineObjects bands = Build(p, LogScaling(2));
  EXPECT_EQ(linear.window->Correction(), kCorrectionAmplitude);
  EXPECT_EQ(bands.window->Correction(), kCorrectionEnergy);
  EXPECT_EQ(linear.window->Size(), kN);
  EXPECT_EQ(linear.seriesLeft->Count(), kN * 4 + kDecimationTaps);
  EXPECT_EQ(linear.seriesLeft->DecimatedCount(), kN);
  EXPECT_TRUE(linear.dual && linear.dual2);
  EXPECT_GT(bands.left->BandCount(), 0u);
}

TEST(ProcessingStepTest, InvalidSettingsAreReportedAndBuildNothing) {
  TRecordingSink sink;
  TScopedMessageSink scoped(&sink);
  ProcessingSettings p = Stereo(kLeftOnly);
  p.fftSize = 3000;
  TEngineObjects objects;
  EXPECT_FALSE(BuildEngineObjects(p, LogScaling(), objects));
  EXPECT_TRUE(sink.Contains(Format(kInvalidFftSize, 3000)));
  EXPECT_FALSE(objects.left || objects.window);
  ProcessBlock(objects);  // harmless
  p.fftSize = 1024;
  p.decimationRatio = 60;
  EXPECT_FALSE(BuildEngineObjects(p, LogScaling(), objects));
  EXPECT_TRUE(sink.Contains(Format(kInvalidDecimation, 60)));
}

TEST(ProcessingStepTest, CalibrationReachesBuffersAndSpectraByChannel) {
  TEngineObjects objects = Build(Stereo(kComplexTransferLR));
  TCalibration c = ClearedCalibration();
  c.enabled = 1;
  c.calRatioLeft = 2.f;
  c.calRatioRight = 4.f;
  ApplyCalibration(&c, objects);
  EXPECT_FLOAT_EQ(objects.seriesLeft->ScaleFactor(), 2.f / 32767.f);
  EXPECT_FLOAT_EQ(objects.seriesRight->ScaleFactor(), 4.f / 32767.f);
  EXPECT_FLOAT_EQ(objects.left->CalibrationFactor(), 2.f);
  EXPECT_FLOAT_EQ(objects.right->CalibrationFactor(), 4.f);
  EXPECT_FLOAT_EQ(objects.dual->CalibrationFactor(), 1.f);
  EXPECT_TRUE(objects.dual->Calibrated());
  ApplyCalibration(nullptr, objects);
  EXPECT_FLOAT_EQ(objects.seriesLeft->ScaleFactor(), 1.f / 32767.f);
  EXPECT_FALSE(objects.left->Calibrated());
}

TEST(ProcessingStepTest, TheStepAllocatesNothing) {
  const size_t start = g_allocations;
  TEngineObjects probe = Build(Stereo(kLeftOnly));
  ASSERT_GT(g_allocations, start) << "the allocation counter is not in use";
  for (uint16_t mode = 0; mode < kChannelProcessingModes; ++mode) {
    for (uint16_t freqScale : {0, 2}) {
      for (uint16_t type : {kAverageExponential, kAverageLinear, kAverageVector}) {
        TEngineObjects objects = Build(Stereo(mode, type, 4), LogScaling(freqScale));
        ProcessBlock(objects);  // the transform may build its tables on first use
        const size_t before = g_allocations;
        for (int b = 0; b < 3; ++b) ProcessBlock(objects);
        EXPECT_EQ(g_allocations, before)
            << "mode " << mode << " axis " << freqScale << " averaging " << type;
      }
    }
  }
}

}  // namespace
}  // namespace orvanix
