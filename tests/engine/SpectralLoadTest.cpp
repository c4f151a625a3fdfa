// Spectra made elsewhere (a data link's lines) loaded into a spectrum read back as given.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/Calibration.h"
#include "engine/Decibels.h"
#include "engine/SpectralData.h"

namespace orvanix {
namespace {

ProcessingSettings Settings() {
  ProcessingSettings s;
  s.format = MakeWaveFormat(1, 44138, 2);
  s.fftSize = 1024;
  return s;
}

ScalingSettings Scaling(uint16_t amp, uint16_t freq = 0) {
  ScalingSettings c;
  c.ampScale = amp;
  c.freqScale = freq;
  return c;
}

TCalibration UnitCalibration() {
  TCalibration c = ClearedCalibration();
  c.enabled = 1;
  return c;
}

TEST(SpectralLoad, LinesReadBackOnTheLinearAxis) {
  TSpectralData spectrum(Settings(), Scaling(0), 0);
  spectrum.SetCalibration(nullptr, 0);
  const std::vector<float> lines = {0.f, 0.25f, 3.f, -2.f, 50.f};
  spectrum.LoadLineValues(lines.data(), uint32_t(lines.size()));
  EXPECT_FLOAT_EQ(spectrum.Value(1), 0.25f);  // uncalibrated: read as percent, as given
  EXPECT_FLOAT_EQ(spectrum.Value(2), 3.f);
  EXPECT_FLOAT_EQ(spectrum.Value(3), 0.f);  // negative amplitudes as 0
  EXPECT_FLOAT_EQ(spectrum.Value(100), 0.f);
  EXPECT_EQ(spectrum.AverageCount(), 1u);
  // The peak follows every load.
  std::vector<float> peaked(12, 0.5f);
  peaked[10] = 9.f;
  spectrum.LoadLineValues(peaked.data(), uint32_t(peaked.size()));
  EXPECT_EQ(spectrum.PeakBin(), 10u);
  peaked[10] = 0.f;
  peaked[7] = 2.f;
  spectrum.LoadLineValues(peaked.data(), uint32_t(peaked.size()));
  EXPECT_EQ(spectrum.PeakBin(), 7u);

  const TCalibration unit = UnitCalibration();
  spectrum.SetCalibration(&unit, 0);
  spectrum.LoadLineValues(lines.data(), uint32_t(lines.size()));
  EXPECT_FLOAT_EQ(spectrum.Value(2), 3.f);
  // A second load replaces the first entirely.
  const float one = 7.f;
  spectrum.LoadLineValues(&one, 1);
  EXPECT_FLOAT_EQ(spectrum.Value(0), 7.f);
  EXPECT_FLOAT_EQ(spectrum.Value(2), 0.f);
}

TEST(SpectralLoad, DecibelsOfTheLoadedAmplitudes) {
  TSpectralData spectrum(Settings(), Scaling(1), 0);
  const TCalibration unit = UnitCalibration();
  spectrum.SetCalibration(&unit, 0);
  const std::vector<float> lines = {0.f, 0.1f, 1.f};
  spectrum.LoadLineValues(lines.data(), uint32_t(lines.size()));
  EXPECT_NEAR(spectrum.Value(1), -20.0, 1e-4);
  EXPECT_NEAR(spectrum.Value(2), 0.0, 1e-4);
  EXPECT_FLOAT_EQ(spectrum.Value(0), kNoDb);
}

TEST(SpectralLoad, DensityInUnitsSquaredReadsThePowerAsGiven) {
  ScalingSettings scaling = Scaling(0);
  scaling.spectralDensity = 1;
  scaling.spectralDensityType = 0;
  TSpectralData spectrum(Settings(), scaling, 0);
  const TCalibration unit = UnitCalibration();
  spectrum.SetCalibration(&unit, 0);
  const float line = 0.5f;
  spectrum.LoadLineValues(&line, 1);
  EXPECT_FLOAT_EQ(spectrum.Value(0), 0.5f);
}

}  // namespace
}  // namespace orvanix
