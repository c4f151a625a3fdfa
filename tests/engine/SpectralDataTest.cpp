#include "engine/SpectralData.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <random>

#include "engine/Decibels.h"
#include "engine/Messages.h"
#include "engine/Smoothing.h"
#include "engine/SpectrumTexts.h"
#include "engine/Weighting.h"

namespace orvanix {
namespace {

constexpr double kPi = 3.141592653589793;
constexpr float kFullScale16 = 32767.f;

ProcessingSettings Settings(int n = 1024, int blocks = 1, uint16_t type = kAverageExponential,
                            uint32_t rate = 48000) {
  ProcessingSettings s;
  s.format = MakeWaveFormat(1, rate, 2);
  s.fftSize = n;
  s.averageBlocks = blocks;
  s.averageType = type;
  s.smoothingWindow = kWindowUniform;
  return s;
}

ScalingSettings Scaling(uint16_t amp = 1, uint16_t freq = 0) {
  ScalingSettings c;
  c.ampScale = amp;
  c.freqScale = freq;
  return c;
}

// Block = sum of tones: amplitude in counts (fraction of full scale x 32767), `cycles` per
// block, phase in radians (cosine phase).
struct Tone {
  double cycles;
  double amplitude;
  double phase = 0.0;
};
void Fill(TSpectralData& s, std::initializer_list<Tone> tones) {
  float* b = s.BlockData();
  for (uint32_t i = 0; i < s.FftSize(); ++i) {
    double v = 0.0;
    for (const Tone& t : tones) {
      v += t.amplitude * kFullScale16 * std::cos(2 * kPi * t.cycles * i / s.FftSize() + t.phase);
    }
    b[i] = static_cast<float>(v);
  }
}
void RunBlock(TSpectralData& s, std::initializer_list<Tone> tones,
              const TSmoothing* window = nullptr) {
  Fill(s, tones);
  if (window) window->ApplyInPlace(s.BlockData());
  s.Transform();
  s.Average();
}

TCalibration Calibrated(int32_t unit, float ratio, int32_t labelType) {
  TCalibration c = ClearedCalibration();
  c.enabled = 1;
  c.refUnits = unit;
  c.labelType = labelType;
  c.calRatioLeft = c.calRatioRight = ratio;
  return c;
}

TEST(SpectralDataTest, GridFollowsRateDecimationAndCorrection) {
  ProcessingSettings p = Settings(4096);
  p.decimationRatio = 2;
  TSpectralData s(p, Scaling(), 0);
  ASSERT_FALSE(s.Error());
  EXPECT_EQ(s.FftSize(), 4096u);
  EXPECT_EQ(s.BinCount(), 2048u);
  EXPECT_FLOAT_EQ(s.Nyquist(), 12000.f);
  EXPECT_FLOAT_EQ(s.BinWidth(), 12000.f / 2048);
  EXPECT_FLOAT_EQ(s.LowLimit(), 2 * 12000.f / 2048);
  EXPECT_FLOAT_EQ(s.HighLimit(), 11880.f);
  EXPECT_EQ(s.FrequencyBin(-5.f), 0u);
  EXPECT_EQ(s.FrequencyBin(1000.f), static_cast<uint32_t>(1000.0 / (12000.0 / 2048) + 0.5));
  EXPECT_EQ(s.FrequencyBin(20000.f), 2047u);
  EXPECT_FLOAT_EQ(s.BinFrequency(5000), 12000.f);

  p = Settings(4096);
  p.rateCorrection = 1.001f;
  TSpectralData corrected(p, Scaling(), 0);
  EXPECT_NEAR(corrected.BinFrequency(100), 1173.047f, 0.001f);
}

TEST(SpectralDataTest, InvalidSettingsSetTheErrorFlagAndStayHarmless) {
  ProcessingSettings p = Settings(1000);
  TSpectralData s(p, Scaling(), 0);
  EXPECT_TRUE(s.Error());
  EXPECT_EQ(s.BlockData(), nullptr);
  s.SetBlockSample(0, 1.f);
  s.Transform();
  s.Average();
  s.Reset();
  EXPECT_EQ(s.Value(0), 0.f);
  EXPECT_FALSE(s.Inverse());
  p = Settings(1024);
  p.decimationRatio = 0;
  EXPECT_TRUE(TSpectralData(p, Scaling(), 0).Error());
}

TEST(SpectralDataTest, FullScaleSineOnABinCentreReadsOneHundredPercentAndZeroDb) {
  TSpectralData log(Settings(), Scaling(1), 0);
  TSpectralData lin(Settings(), Scaling(0), 0);
  RunBlock(log, {{64, 1.0}});
  RunBlock(lin, {{64, 1.0}});
  EXPECT_NEAR(log.AveragePower(64), 1.0f, 1e-5);
  EXPECT_NEAR(log.Value(64), 0.f, 1e-4);
  EXPECT_NEAR(lin.Value(64), 100.f, 1e-3);
  EXPECT_LT(log.AveragePower(63), 1e-9f);
  EXPECT_EQ(log.PeakBin(), 64u);
  EXPECT_FLOAT_EQ(log.PeakFrequency(), 64 * 48000.f / 1024);
  EXPECT_NEAR(log.Phase(64), 0.f, 1e-3);
  // Half scale: -6.02 dB, 50 %.
  RunBlock(log, {{64, 0.5, kPi / 2}});
  EXPECT_NEAR(log.Value(64), -6.0206f, 1e-3);
  EXPECT_NEAR(log.Phase(64), 90.f, 1e-3);
}

TEST(SpectralDataTest, HanningWithAmplitudeCorrectionReadsAbout103Percent) {
  const uint32_t n = 4096;
  ProcessingSettings p = Settings(n);
  p.smoothingWindow = kWindowHanning;
  TSmoothing window(n, kWindowHanning, kCorrectionAmplitude);
  ASSERT_FALSE(window.Error());
  TSpectralData log(p, Scaling(1), 0), lin(p, Scaling(0), 0);
  RunBlock(log, {{256, 1.0}}, &window);
  RunBlock(lin, {{256, 1.0}}, &window);
  // A bin-centred tone reads the window's mean times its amplitude factor 10^0.315.
  double mean = 0.0;
  for (uint32_t i = 0; i < n; ++i) mean += 0.5 + 0.5 * std::cos(kPi * (2.0 * i / (n - 1) - 1.0));
  mean /= n;
  const double expected = 100.0 * std::pow(10.0, 0.315) * mean;
  EXPECT_NEAR(lin.Value(256), expected, 1e-3 * expected);
  EXPECT_NEAR(lin.Value(256), 103.3f, 0.1f);
  EXPECT_NEAR(log.Value(256), 0.28f, 0.01f);
}

TEST(SpectralDataTest, TheLastBinIsNeverAveraged) {
  TSpectralData log(Settings(256, 4), Scaling(1), 0);
  TSpectralData lin(Settings(256, 4, kAverageLinear), Scaling(0), 0);
  std::mt19937 rng(3);
  std::normal_distribution<float> noise(0.f, 5000.f);
  for (int block = 0; block < 6; ++block) {
    for (TSpectralData* s : {&log, &lin}) {
      for (uint32_t i = 0; i < 256; ++i) s->SetBlockSample(i, noise(rng));
      s->Transform();
      s->Average();
    }
  }
  EXPECT_GT(log.AveragePower(126), 0.f);
  EXPECT_EQ(log.AveragePower(127), 0.f);
  EXPECT_EQ(log.Value(127), kNoDb);
  EXPECT_EQ(lin.Value(127), 0.f);
}

TEST(SpectralDataTest, OneBlockReplacesTheAverageInEveryType) {
  for (uint16_t type : {kAverageExponential, kAverageLinear, kAverageVector}) {
    TSpectralData s(Settings(1024, 1, type), Scaling(), 0);
    RunBlock(s, {{64, 1.0}});
    RunBlock(s, {{64, 0.25, 1.0}});
    EXPECT_NEAR(s.AveragePower(64), 0.0625f, 1e-6) << type;
    EXPECT_NEAR(s.Phase(64), 1.0 * kDegreesPerRadian, 1e-3) << type;
    EXPECT_EQ(s.AverageCount(), 1u);
  }
}

TEST(SpectralDataTest, LinearAveragingDividesByTheBlocksSoFarThenSlides) {
  TSpectralData s(Settings(1024, 4, kAverageLinear), Scaling(), 0);
  const double a[] = {0.1, 0.2, 0.3, 0.4, 0.5, 0.6};
  RunBlock(s, {{64, a[0]}});
  RunBlock(s, {{64, a[1]}});
  // Two blocks of K = 4: the sum over two, not over four.
  EXPECT_NEAR(s.AveragePower(64), (0.01 + 0.04) / 2, 1e-7);
  EXPECT_EQ(s.AverageCount(), 2u);
  for (int k = 2; k < 6; ++k) RunBlock(s, {{64, a[k]}});
  // The ring holds the newest four.
  EXPECT_NEAR(s.AveragePower(64), (0.09 + 0.16 + 0.25 + 0.36) / 4, 1e-6);
  EXPECT_NEAR(s.AverageReal(64), (0.3 + 0.4 + 0.5 + 0.6) / 4, 1e-6);
  EXPECT_EQ(s.AverageCount(), 4u);
}

TEST(SpectralDataTest, ExponentialAveragingIsARunningMeanThenFirstOrder) {
  TSpectralData s(Settings(1024, 4), Scaling(), 0);
  double expected = 0.0;
  for (int k = 1; k <= 9; ++k) {
    const double amplitude = 0.1 * k;
    RunBlock(s, {{64, amplitude}});
    const double n = std::min(k, 4);
    expected = ((n - 1) * expected + amplitude * amplitude) / n;
    EXPECT_NEAR(s.AveragePower(64), expected, 1e-5 * expected) << "block " << k;
  }
}

TEST(SpectralDataTest, LinearAveragingBeyondTheRingBehavesExactlyAsExponential) {
  TSpectralData linear(Settings(256, 2000, kAverageLinear), Scaling(), 0);
  TSpectralData exponential(Settings(256, 2000, kAverageExponential), Scaling(), 0);
  std::mt19937 rng(11);
  std::normal_distribution<float> noise(0.f, 3000.f);
  for (int block = 0; block < 20; ++block) {
    for (uint32_t i = 0; i < 256; ++i) {
      const float v = noise(rng);
      linear.SetBlockSample(i, v);
      exponential.SetBlockSample(i, v);
    }
    for (TSpectralData* s : {&linear, &exponential}) {
      s->Transform();
      s->Average();
    }
  }
  for (uint32_t i = 0; i < 128; ++i) {
    ASSERT_EQ(linear.AveragePower(i), exponential.AveragePower(i)) << i;
    ASSERT_EQ(linear.AverageReal(i), exponential.AverageReal(i)) << i;
  }
}

TEST(SpectralDataTest, VectorAveragingCancelsARandomPhaseTone) {
  TSpectralData vector(Settings(1024, 1000, kAverageVector), Scaling(), 0);
  TSpectralData power(Settings(1024, 1000, kAverageExponential), Scaling(), 0);
  std::mt19937 rng(5);
  std::uniform_real_distribution<double> phase(0.0, 2 * kPi);
  for (int block = 0; block < 400; ++block) {
    const double p = phase(rng);
    RunBlock(vector, {{64, 1.0, p}});
    RunBlock(power, {{64, 1.0, p}});
  }
  // |mean of 400 random unit phasors|^2 is about 1/400.
  EXPECT_LT(vector.AveragePower(64), 0.02f);
  EXPECT_NEAR(power.AveragePower(64), 1.0f, 1e-3);
}

TEST(SpectralDataTest, PeakHoldKeepsTheLoudestUntilReset) {
  ProcessingSettings p = Settings(1024, 1);
  p.peakHold = 1;
  TSpectralData s(p, Scaling(1), 0);
  RunBlock(s, {{64, 1.0}});
  RunBlock(s, {{64, 0.1}, {100, 0.5}});
  EXPECT_NEAR(s.Value(64), 0.f, 1e-4);        // held
  EXPECT_NEAR(s.Value(100), -6.0206f, 1e-3);  // larger than before: replaced
  s.Reset();
  EXPECT_EQ(s.AverageCount(), 0u);
  EXPECT_EQ(s.AveragePower(64), 0.f);
  EXPECT_EQ(s.Value(64), kNoDb);
  EXPECT_EQ(s.BlockData()[10], 0.f);
  RunBlock(s, {{64, 0.1}});
  EXPECT_NEAR(s.Value(64), -20.f, 1e-3);
}

TEST(SpectralDataTest, RmsAndCalibratedVoltsReadTheirLevels) {
  TSpectralData log(Settings(), Scaling(1), 0), lin(Settings(), Scaling(0), 0);
  // Uncalibrated spectra show "percent of full scale" with the peak reading.
  TCalibration rms = Calibrated(kUnitVolts, 1.f, kRefRms);
  log.SetCalibration(&rms, 0);
  RunBlock(log, {{64, 1.0}});
  EXPECT_NEAR(log.Value(64), -3.0103f, 1e-3);

  // 1 V rms measured at half of full scale: full scale is 2 sqrt(2) V peak.
  const float ratio = static_cast<float>(1.0 * std::sqrt(2.0) / 0.5);
  TCalibration volts = Calibrated(kUnitVolts, ratio, kRefPeak);
  lin.SetCalibration(&volts, 0);
  RunBlock(lin, {{64, 1.0}});
  EXPECT_NEAR(lin.Value(64), 2.8284f, 1e-3);
  volts.labelType = kRefRms;
  lin.SetCalibration(&volts, 0);
  RunBlock(lin, {{64, 1.0}});
  EXPECT_NEAR(lin.Value(64), 2.0f, 1e-4);
  volts.labelType = kRefPeakToPeak;
  lin.SetCalibration(&volts, 0);
  RunBlock(lin, {{64, 1.0}});
  EXPECT_NEAR(lin.Value(64), 5.6569f, 1e-3);
  // The right channel's ratio goes to channel 1; a dual spectrum keeps factor 1.
  volts.calRatioRight = 3.f;
  lin.SetCalibration(&volts, 1);
  EXPECT_FLOAT_EQ(lin.CalibrationFactor(), 3.f);
  lin.SetCalibration(&volts, kDualChannel);
  EXPECT_FLOAT_EQ(lin.CalibrationFactor(), 1.f);
  // A damaged record with a ratio of 0 or below reads as uncalibrated amplitude.
  volts.calRatioLeft = 0.f;
  lin.SetCalibration(&volts, 0);
  EXPECT_FLOAT_EQ(lin.CalibrationFactor(), 1.f);
  // Off: back to percent of full scale.
  lin.SetCalibration(nullptr, 0);
  RunBlock(lin, {{64, 1.0}});
  EXPECT_FALSE(lin.Calibrated());
  EXPECT_NEAR(lin.Value(64), 100.f, 1e-3);
}

TEST(SpectralDataTest, SoundPressureReadsInDbSplWithTheUnitOffset) {
  // 94 dB SPL (1.0024 Pa peak) measured at 0.1 of full scale.
  const double pascals = 20e-6 * std::pow(10.0, 94.0 / 20);
  const float ratio = static_cast<float>(pascals / 0.1);
  TSpectralData log(Settings(), Scaling(1), 0);
  TCalibration spl = Calibrated(kUnitSplAir, ratio, kRefPeak);
  log.SetCalibration(&spl, 0);
  RunBlock(log, {{64, 0.1}});
  EXPECT_NEAR(log.Value(64), 94.f, 0.01f);
  spl.labelType = kRefRms;
  log.SetCalibration(&spl, 0);
  RunBlock(log, {{64, 0.1}});
  EXPECT_NEAR(log.Value(64), 94.f - 3.0103f, 0.01f);
  // An empty bin stays "no value" rather than becoming -905.9 dB SPL.
  EXPECT_EQ(log.Value(511), kNoDb);

  // On a fractional-octave axis the linear display converts back to pascals.
  TSpectralData bands(Settings(), Scaling(0, 2), 0);
  spl.labelType = kRefPeak;
  bands.SetCalibration(&spl, 0);
  RunBlock(bands, {{64, 0.1}});
  const uint32_t band = bands.BandOfFrequency(bands.BinFrequency(64));
  EXPECT_NEAR(bands.Value(band), pascals, 1e-3 * pascals);
}

TEST(SpectralDataTest, VelocityAndDisplacementDivideByAngularFrequency) {
  TSpectralData lin(Settings(), Scaling(0), 0);
  TCalibration accel = Calibrated(kUnitAccelerationG, 1.f, kRefPeak);
  accel.conversionType = 3;  // "Velocity (mm/sec)"
  accel.integrationType = 1;
  lin.SetCalibration(&accel, 0);
  RunBlock(lin, {{64, 1.0}});
  const double f = 64 * 48000.0 / 1024;
  EXPECT_NEAR(lin.Value(64), 9806.6352 / (2 * kPi * f), 1e-4 * 9806.6352 / (2 * kPi * f));
  accel.conversionType = 6;  // "Displacement (mm)"
  accel.integrationType = 2;
  lin.SetCalibration(&accel, 0);
  RunBlock(lin, {{64, 1.0}});
  const double w = 2 * kPi * f;
  EXPECT_NEAR(lin.Value(64), 9806.6352 / (w * w), 1e-4 * 9806.6352 / (w * w));
  // DC is not divided by zero.
  EXPECT_TRUE(std::isfinite(lin.ScaleFactor(0)));
}

TEST(SpectralDataTest, SpectralDensityDividesByTheBinWidth) {
  ScalingSettings c = Scaling(0);
  c.spectralDensity = 1;
  c.spectralDensityType = 0;  // Units^2/Hz: the power itself
  TSpectralData power(Settings(), c, 0);
  c.spectralDensityType = 1;  // Units/sqrt(Hz)
  TSpectralData amplitude(Settings(), c, 0);
  RunBlock(power, {{64, 1.0}});
  RunBlock(amplitude, {{64, 1.0}});
  const double binWidth = 48000.0 / 1024;
  EXPECT_NEAR(power.Value(64), 100.0 / binWidth, 1e-4);
  EXPECT_NEAR(amplitude.Value(64), 100.0 / std::sqrt(binWidth), 1e-3);
  // Bands already integrate over their width: no density divisor there.
  c.freqScale = 2;
  c.ampScale = 1;
  TSpectralData bands(Settings(), c, 0);
  RunBlock(bands, {{64, 1.0}});
  EXPECT_NEAR(bands.Value(bands.PeakBin()), 0.f, 1e-3);
}

TEST(SpectralDataTest, ThirdOctaveBandOfAToneLandsInItsBand) {
  // 996.1 Hz = bin 85 at 48 kHz, N = 4096: all its power in the 1 kHz band.
  TSpectralData s(Settings(4096), Scaling(1, 2), 0);
  ASSERT_FALSE(s.Error());
  RunBlock(s, {{85, 1.0}});
  const uint32_t band = s.PeakBin();
  EXPECT_EQ(band, s.BandOfFrequency(996.f));
  EXPECT_FLOAT_EQ(s.BandCentre(band), 1000.f);
  EXPECT_LT(s.BandLower(band), 996.f);
  EXPECT_GT(s.BandUpper(band), 996.f);
  EXPECT_NEAR(s.Value(band), 0.f, 1e-3);
  EXPECT_LT(s.Value(band + 1), -100.f);
  EXPECT_NEAR(s.PeakFrequency(), 1000.f, 1e-3);
  EXPECT_EQ(s.ValueCount(), s.BandCount());
  EXPECT_EQ(s.LastBand(), s.BandCount() - 1);
  EXPECT_NEAR(s.Phase(band), 0.f, 1e-2);
  // Linear amplitude: percent of full scale.
  TSpectralData lin(Settings(4096), Scaling(0, 2), 0);
  RunBlock(lin, {{85, 0.5}});
  EXPECT_NEAR(lin.Value(lin.PeakBin()), 50.f, 1e-3);
}

TEST(SpectralDataTest, PeakHoldOnBandsHoldsBandValuesOnly) {
  ProcessingSettings p = Settings(4096);
  p.peakHold = 1;
  TSpectralData s(p, Scaling(1, 2), 0);
  RunBlock(s, {{85, 1.0}});
  const uint32_t band = s.PeakBin();
  RunBlock(s, {{85, 0.1}});
  EXPECT_NEAR(s.Value(band), 0.f, 1e-3);         // the band holds
  EXPECT_NEAR(s.AveragePower(85), 0.01f, 1e-6);  // the bins follow
}

TEST(SpectralDataTest, StandardWeightingOfA100HzTone) {
  // 51200 Hz, N = 4096: 12.5 Hz bins, 100 Hz on bin 8.
  TSpectralData flat(Settings(4096, 1, kAverageExponential, 51200), Scaling(1), 0);
  RunBlock(flat, {{8, 1.0}});
  EXPECT_NEAR(flat.BandPower(0, 4095, kWeightFlat, true), 0.f, 1e-3);
  EXPECT_NEAR(flat.BandPower(0, 4095, kWeightA, true), -19.1f, 0.01f);
  EXPECT_NEAR(flat.BandPower(0, 4095, kWeightC, true), -0.3f, 0.01f);
  EXPECT_NEAR(flat.BandPower(0, 4095, -1, true), 0.f, 1e-3);
  EXPECT_NEAR(flat.BandPower(0, 4095, kWeightFlat, false), 1.f, 1e-4);

  // An A-weighted display shows the weighted level; flat band power takes it out again.
  ScalingSettings c = Scaling(1);
  c.weighting = kWeightA;
  TSpectralData a(Settings(4096, 1, kAverageExponential, 51200), c, 0);
  RunBlock(a, {{8, 1.0}});
  EXPECT_NEAR(a.Value(8), -19.1f, 0.01f);
  EXPECT_NEAR(a.BandPower(0, 4095, -1, true), -19.1f, 0.01f);
  EXPECT_NEAR(a.BandPower(0, 4095, kWeightFlat, true), 0.f, 0.01f);
  EXPECT_NEAR(a.BandPower(0, 4095, kWeightB, true), -5.4f, 0.01f);
}

TEST(SpectralDataTest, BandPowerOfAHannedToneIsItsPower) {
  ProcessingSettings p = Settings(4096);
  p.smoothingWindow = kWindowHanning;
  TSmoothing window(4096, kWindowHanning, kCorrectionAmplitude);
  TSpectralData s(p, Scaling(1), 0);
  RunBlock(s, {{300.37, 0.5}}, &window);
  // The window power factor turns the amplitude-corrected bins back into power.
  EXPECT_NEAR(s.BandPower(0, 2047, kWeightFlat, true), -6.0206f, 0.05f);
  EXPECT_NEAR(s.BandPower(0, 2047, -1, true), -6.0206f, 0.05f);
}

TEST(SpectralDataTest, BandPowerWithNothingToSumIsTheEmptyValueInEveryForm) {
  // Every axis and amplitude scale, fresh and after a block of silence.
  for (uint16_t amp : {0, 1}) {
    for (uint16_t freq : {0, 1, 2}) {
      TSpectralData s(Settings(4096, 1, kAverageExponential, 51200), Scaling(amp, freq), 0);
      ASSERT_FALSE(s.Error());
      for (int pass = 0; pass < 2; ++pass) {
        if (pass == 1) RunBlock(s, {});
        for (int weighting = -1; weighting <= kWeightC; ++weighting) {
          SCOPED_TRACE(testing::Message() << "amp " << amp << " freq " << freq << " pass " << pass
                                          << " weighting " << weighting);
          EXPECT_EQ(s.BandPower(0, 4095, weighting, true), kNoDb);
          EXPECT_EQ(s.BandPower(0, 4095, weighting, false), 0.f);
        }
      }
    }
  }
  // Empty ranges of a spectrum that holds a tone: reversed, below bin 3, a bad weighting.
  TSpectralData tone(Settings(4096, 1, kAverageExponential, 51200), Scaling(1), 0);
  RunBlock(tone, {{8, 1.0}});
  for (int weighting = -1; weighting <= kWeightC; ++weighting) {
    EXPECT_EQ(tone.BandPower(900, 800, weighting, true), kNoDb) << weighting;
    EXPECT_EQ(tone.BandPower(0, 2, weighting, true), kNoDb) << weighting;
    EXPECT_EQ(tone.BandPower(0, 2, weighting, false), 0.f) << weighting;
  }
  EXPECT_EQ(tone.BandPower(0, 4095, 4, true), kNoDb);
  EXPECT_EQ(tone.BandPower(0, 4095, 4, false), 0.f);
  // Silent bins beside the tone add nothing: the total is the tone's.
  EXPECT_NEAR(tone.BandPower(0, 4095, -1, true), 0.f, 1e-3);
}

TEST(SpectralDataTest, PeaksArePickedLargestFirst) {
  TSpectralData s(Settings(), Scaling(1), 0);
  RunBlock(s, {{40, 1.0}, {100, 0.5}, {200, 0.25}});
  SpectrumPoint peak;
  const uint32_t expected[] = {40, 100, 200};
  for (uint32_t n = 0; n < 3; ++n) {
    ASSERT_TRUE(s.Peaks(0, 511, n, peak));
    EXPECT_EQ(peak.index, expected[n]) << n;
    EXPECT_FLOAT_EQ(peak.frequency, s.BinFrequency(expected[n]));
  }
  ASSERT_TRUE(s.Peaks(0, 511, 1, peak));
  EXPECT_NEAR(peak.value, -6.0206f, 1e-3);
  ASSERT_TRUE(s.Peaks(50, 150, 0, peak));
  EXPECT_EQ(peak.index, 100u);
  // An n beyond 10 does nothing.
  peak.index = 77;
  EXPECT_FALSE(s.Peaks(0, 511, 11, peak));
  EXPECT_EQ(peak.index, 77u);
  // Nothing qualifies in a silent spectrum: bin 0.
  TSpectralData silent(Settings(), Scaling(1), 0);
  ASSERT_TRUE(silent.Peaks(0, 511, 0, peak));
  EXPECT_EQ(peak.index, 0u);

  EXPECT_NEAR(s.MaxValue(0, 511), 0.f, 1e-4);
  EXPECT_NEAR(s.MaxValue(60, 150), -6.0206f, 1e-3);
  EXPECT_NEAR(s.MaxValue(90, 100000), -6.0206f, 1e-3);  // clamped to the last bin
}

TEST(SpectralDataTest, MinValueSearchesFromBinThreeInclusive) {
  TSpectralData lin(Settings(), Scaling(0), 0);
  std::mt19937 rng(9);
  std::normal_distribution<float> noise(0.f, 3000.f);
  for (uint32_t i = 0; i < 1024; ++i) lin.SetBlockSample(i, noise(rng));
  lin.Transform();
  lin.Average();
  for (uint32_t to : {20u, 200u}) {
    uint32_t best = 3;
    for (uint32_t i = 4; i <= to; ++i) {
      if (lin.Value(i) < lin.Value(best)) best = i;
    }
    const SpectrumPoint low = lin.MinValue(0, to);
    EXPECT_EQ(low.index, best) << to;
    EXPECT_EQ(low.value, lin.Value(best));
    EXPECT_FLOAT_EQ(low.frequency, lin.BinFrequency(best));
  }
}

TEST(SpectralDataTest, InverseOfATransformedDiracIsTheDirac) {
  const uint32_t n = 256;
  TSpectralData s(Settings(n), Scaling(0), 0);
  const double a = 1000.0;
  const uint32_t at = 7;
  s.SetBlockSample(at, static_cast<float>(a));
  s.Transform();
  s.Average();
  ASSERT_TRUE(s.Inverse());
  // The last bin is never averaged, so the result lacks its cosine.
  const uint32_t last = n / 2 - 1;
  for (uint32_t i = 0; i < n; ++i) {
    const double expected =
        (i == at ? a : 0.0) - 2.0 * a / n * std::cos(2 * kPi * last * (double(i) - at) / n);
    ASSERT_NEAR(s.InverseSample(i), expected, 1e-3 * a) << i;
  }
  EXPECT_EQ(s.InverseSample(n), 0.f);
  // A new transform invalidates the result.
  s.Transform();
  EXPECT_EQ(s.InverseSample(at), 0.f);
}

TEST(SpectralDataTest, CrossSpectrumAndAverageOfChannelsFromTwoBlocks) {
  TSpectralData x(Settings(), Scaling(1), 0), y(Settings(), Scaling(1), 1);
  TSpectralData cross(Settings(), Scaling(1), kDualChannel);
  TSpectralData mean(Settings(), Scaling(1), kDualChannel);
  Fill(x, {{64, 1.0}});
  Fill(y, {{64, 0.5, kPi / 3}});
  x.Transform();
  y.Transform();
  cross.CrossSpectrum(x, y);  // y conj(x)
  cross.Average();
  EXPECT_TRUE(cross.IsCrossSpectrum());
  EXPECT_NEAR(cross.AveragePower(64), 0.5f, 1e-5);  // magnitude, not squared
  EXPECT_NEAR(cross.Phase(64), 60.f, 1e-3);
  mean.AverageOfChannels(x, y);
  mean.Average();
  EXPECT_NEAR(mean.AveragePower(64), (1.0 + 0.25) / 2, 1e-5);
  EXPECT_NEAR(mean.Phase(64), 30.f, 1e-3);
}

TEST(SpectralDataTest, RatioResultsKeepOrReuseValuesWhereTheDenominatorIsZero) {
  TSpectralData x(Settings(), Scaling(1), 0), y(Settings(), Scaling(1), 1);
  TSpectralData dual(Settings(), Scaling(1), kDualChannel);
  TSpectralData h(Settings(), Scaling(1), kDualChannel);
  TSpectralData g(Settings(), Scaling(1), kDualChannel);
  RunBlock(x, {{64, 1.0}});
  RunBlock(y, {{64, 0.5}});
  for (TSpectralData* d : {&dual, &h, &g}) {
    d->CrossSpectrum(y, x);  // x conj(y)
    d->Average();
  }
  dual.RealTransfer(x, y);
  h.ComplexTransfer(y);  // x / y
  g.Coherence(x, y);
  EXPECT_TRUE(dual.IsRatio() && h.IsRatio() && g.IsRatio());
  EXPECT_NEAR(dual.AveragePower(64), 4.f, 1e-4);
  EXPECT_NEAR(dual.Value(64), 6.0206f, 1e-3);
  EXPECT_NEAR(h.AveragePower(64), 4.f, 1e-4);
  EXPECT_NEAR(g.Value(64), 1.f, 1e-4);  // one block: fully coherent, on a 0 ... 1 scale

  // Zero denominators: the real transfer keeps its values, the others reuse the bin below
  // (0 below bin 0).
  y.Reset();
  dual.RealTransfer(x, y);
  h.ComplexTransfer(y);
  g.Coherence(x, y);
  EXPECT_NEAR(dual.AveragePower(64), 4.f, 1e-4);
  EXPECT_EQ(h.AveragePower(64), 0.f);
  EXPECT_EQ(g.AveragePower(64), 0.f);
  EXPECT_EQ(g.Value(64), 0.f);  // coherence stays on its 0 ... 1 scale, not -999.9
}

TEST(SpectralDataTest, LinearRingTooLargeIsRefusedWithItsMessage) {
  TRecordingSink sink;
  TScopedMessageSink scoped(&sink);
  TSpectralData s(Settings(1 << 20, 1000, kAverageLinear), Scaling(), 0);
  EXPECT_TRUE(s.Error());
  ASSERT_EQ(sink.Entries().size(), 1u);
  EXPECT_EQ(sink.Entries()[0].text, kLinearAveragingMemory);
  EXPECT_EQ(sink.Entries()[0].caption, kErrorCaption);
  // Within bounds the same request is fine.
  sink.Clear();
  TSpectralData small(Settings(1024, 1000, kAverageLinear), Scaling(), 0);
  EXPECT_FALSE(small.Error());
  EXPECT_TRUE(sink.Entries().empty());
}

TEST(SpectralDataTest, MicrophoneCurveCompensatesTheLeftChannelOnly) {
  const std::string path = ::testing::TempDir() + "h3_flat6db.mic";
  {
    std::ofstream f(path);
    f << "; a microphone 6 dB hot everywhere\n10\t6\n1000\t6\n30000\t6\n";
  }
  ScalingSettings c = Scaling(1);
  c.micCompensation = 1;
  c.micFileLeft = path;
  c.micFileRight = path + ".missing";
  TSpectralData left(Settings(), c, 0), dual(Settings(), c, kDualChannel);
  TRecordingSink sink;
  {
    TScopedMessageSink scoped(&sink);
    TSpectralData right(Settings(), c, 1);  // unreadable file: reported, no compensation
    EXPECT_FALSE(right.Error());
    RunBlock(right, {{64, 1.0}});
    EXPECT_NEAR(right.Value(64), 0.f, 1e-3);
  }
  EXPECT_EQ(sink.Entries().size(), 1u);
  RunBlock(left, {{64, 1.0}});
  RunBlock(dual, {{64, 1.0}});
  EXPECT_NEAR(left.Value(64), -6.f, 1e-3);
  EXPECT_NEAR(dual.Value(64), 0.f, 1e-3);
  left.LoadMicrophoneCurve(path, false);
  RunBlock(left, {{64, 1.0}});
  EXPECT_NEAR(left.Value(64), 0.f, 1e-3);
  std::remove(path.c_str());
}

TEST(SpectralDataTest, TraceLabelsPerModeWithAndWithoutCalibration) {
  EXPECT_EQ(TraceLabelsFor(0, nullptr).primary, "Left Channel");
  EXPECT_EQ(TraceLabelsFor(2, nullptr).secondary, "Right Channel");
  EXPECT_EQ(TraceLabelsFor(5, nullptr).primary, "Real Transfer Function (Right/Left)");
  const TraceLabels t11 = TraceLabelsFor(11, nullptr);
  EXPECT_EQ(t11.primary, "Complex Transfer Function (Left/Right)");
  EXPECT_EQ(t11.secondary, "Coherence Function");

  TCalibration c = Calibrated(kUnitVolts, 1.f, kRefPeak);
  SetField(c.leftChannelName, "Mic");
  SetField(c.rightChannelName, "Speaker");
  EXPECT_EQ(TraceLabelsFor(1, &c).primary, "Speaker");
  EXPECT_EQ(TraceLabelsFor(3, &c).primary, "Average of Mic and Speaker");
  EXPECT_EQ(TraceLabelsFor(7, &c).primary, "Cross Spectrum (Speaker*Mic)");
  EXPECT_EQ(TraceLabelsFor(12, &c).primary, "Complex Transfer Function (Speaker/Mic)");
  EXPECT_EQ(TraceLabelsFor(12, &c).secondary, "Coherence Function");
  EXPECT_EQ(TraceLabelsFor(10, &c).primary, "Coherence Function");
  c.enabled = 0;
  EXPECT_EQ(TraceLabelsFor(3, &c).primary, "Average of Left and Right");
}

}  // namespace
}  // namespace orvanix
