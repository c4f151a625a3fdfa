// Which spectra the windows measure in each channel mode, how many lines they show, and
// their unit labels and readout texts.
#include <gtest/gtest.h>

#include "engine/Calibration.h"
#include "measure/MeasureKinds.h"
#include "measure/Measurements.h"
#include "tests/measure/MeasureTestSupport.h"

namespace orvanix {
namespace {

TEngineObjects Engine(uint16_t channels, uint16_t mode, const ScalingSettings& scaling = {}) {
  ProcessingSettings p = test::SettingsFor(1024, 48000, channels);
  p.channelProcessing = mode;
  p.UpdateDerived();
  TEngineObjects engine;
  EXPECT_TRUE(BuildEngineObjects(p, scaling, engine));
  return engine;
}

TEST(MeasureKindsTest, DisplaySpectraFollowTheChannelProcessing) {
  for (uint16_t mode = 0; mode < kChannelProcessingModes; ++mode) {
    const TEngineObjects engine = Engine(2, mode);
    const TDisplaySpectra d = DisplaySpectra(engine);
    switch (mode) {
      case kLeftOnly:
        EXPECT_EQ(d.first, engine.left.get());
        EXPECT_EQ(d.second, nullptr);
        break;
      case kRightOnly:
        EXPECT_EQ(d.first, engine.right.get());
        EXPECT_EQ(d.second, nullptr);
        break;
      case kBothChannels:
        EXPECT_EQ(d.first, engine.left.get());
        EXPECT_EQ(d.second, engine.right.get());
        break;
      case kTransferAndCoherenceLR:
      case kTransferAndCoherenceRL:
        EXPECT_EQ(d.first, engine.dual.get());
        EXPECT_EQ(d.second, engine.dual2.get());
        EXPECT_NE(d.second, nullptr);
        break;
      default:
        EXPECT_EQ(d.first, engine.dual.get()) << "mode " << mode;
        EXPECT_NE(d.first, nullptr);
        EXPECT_EQ(d.second, nullptr);
        break;
    }
  }
  // A mono configuration runs mode 0 whatever it asks for.
  const TEngineObjects mono = Engine(1, kBothChannels);
  EXPECT_EQ(DisplaySpectra(mono).first, mono.left.get());
  EXPECT_EQ(DisplaySpectra(mono).second, nullptr);
}

TEST(MeasureKindsTest, TwoLinesWithBothChannelsExceptNoiseFigureAndAlwaysWithCoherence) {
  for (int k = 0; k < kAnalysisTypeCount; ++k) {
    const auto kind = static_cast<AnalysisType>(k);
    EXPECT_EQ(LineCount(kind, kLeftOnly), 1);
    EXPECT_EQ(LineCount(kind, kCoherence), 1);
    EXPECT_EQ(LineCount(kind, kBothChannels), kind == kAnalysisNoiseFigure ? 1 : 2);
    EXPECT_EQ(LineCount(kind, kTransferAndCoherenceLR), 2);
    EXPECT_EQ(LineCount(kind, kTransferAndCoherenceRL), 2);
  }
  EXPECT_TRUE(TwoChannelMode(kBothChannels));
  EXPECT_FALSE(TwoChannelMode(kAverageChannels));
}

TEST(MeasureKindsTest, LabelsCarryTheWeightingAndTheCalibratedUnit) {
  ScalingSettings scaling;
  EXPECT_EQ(DbLabel(scaling), "dB");
  const char* suffixes[] = {"", " A", " B", " C"};
  for (uint16_t w = 0; w < 4; ++w) {
    scaling.weighting = w;
    EXPECT_EQ(DbLabel(scaling), std::string("dB") + suffixes[w]);
  }
  scaling.weighting = 1;
  scaling.ampScale = 0;
  TEngineObjects engine = Engine(1, kLeftOnly, scaling);
  EXPECT_EQ(AmplitudeLabel(engine), "% A");
  TCalibration cal = DefaultCalibration();
  cal.enabled = 1;
  SetField(cal.labelLinear, "Pascals");
  SetField(cal.labelLog, "dB SPL");
  ApplyCalibration(&cal, engine);
  EXPECT_EQ(AmplitudeLabel(engine), "Pascals A");
  scaling.ampScale = 1;
  scaling.weighting = 0;
  engine = Engine(1, kLeftOnly, scaling);
  EXPECT_EQ(AmplitudeLabel(engine), "dB");
  ApplyCalibration(&cal, engine);
  EXPECT_EQ(AmplitudeLabel(engine), "dB SPL");
}

TEST(MeasureKindsTest, ReadoutsUseEachKindsFormat) {
  ScalingSettings scaling;
  scaling.weighting = 1;
  const TEngineObjects engine = Engine(1, kLeftOnly, scaling);
  EXPECT_EQ(Readout(kAnalysisThd, 1.118034f, engine), "1.11803 %");
  EXPECT_EQ(Readout(kAnalysisThdN, 12.5f, engine), "12.50000 %");
  EXPECT_EQ(Readout(kAnalysisImd, 1.58114f, engine), "1.5811 %");
  EXPECT_EQ(Readout(kAnalysisSnr, 60.2059f, engine), "60.206 dB A");
  EXPECT_EQ(Readout(kAnalysisSinad, -3.5f, engine), "-3.500 dB A");
  EXPECT_EQ(Readout(kAnalysisSfdr, 90.0f, engine), "90.000 dB A");
  EXPECT_EQ(Readout(kAnalysisNoiseFigure, 3.0f, engine), "3.000 dB");
  EXPECT_EQ(Readout(kAnalysisPeakFrequency, 1001.2939f, engine), "1001.29 Hz");
  EXPECT_EQ(Readout(kAnalysisPeakAmplitude, -6.0206f, engine), "-6.02 dB A");
  EXPECT_EQ(Readout(kAnalysisTotalPower, -3.0f, engine), "-3.00 dB A");
  EXPECT_EQ(AnalysisOfName("sinad"), kAnalysisSinad);
  EXPECT_EQ(AnalysisOfName("power"), kAnalysisTotalPower);
  EXPECT_EQ(AnalysisOfName("THD"), kAnalysisTypeCount);
  EXPECT_STREQ(AnalysisInfo(kAnalysisTotalPower).title, "Total Pwr");
  EXPECT_STREQ(AnalysisInfo(kAnalysisNoiseFigure).title, "Noise Figure");
}

TEST(MeasureKindsTest, WindowLinesMeasureTheFirstAndSecondDisplaySpectra) {
  TEngineObjects engine = Engine(2, kBothChannels);
  std::vector<float> left(512, 0.f), right(512, 0.f);
  left[100] = 1.f;
  left[200] = 1e-4f;  // THD 1 %
  right[50] = 1.f;
  right[100] = 4e-4f;  // THD 2 %
  test::SetPowers(*engine.left, left);
  test::SetPowers(*engine.right, right);
  TReadoutLines lines = ReadoutLines(kAnalysisThd, engine, kNoiseFigureLeftVsRight);
  EXPECT_EQ(lines.count, 2);
  EXPECT_EQ(lines.line[0], "1.00000 %");
  EXPECT_EQ(lines.line[1], "2.00000 %");
  lines = ReadoutLines(kAnalysisNoiseFigure, engine, kNoiseFigureLeftVsRight);
  EXPECT_EQ(lines.count, 1);
  EXPECT_EQ(lines.line[1], "0.0");

  // Transfer and coherence: two lines for every kind; the noise figure's second stays 0.0.
  engine = Engine(2, kTransferAndCoherenceLR);
  lines = ReadoutLines(kAnalysisNoiseFigure, engine, kNoiseFigureLeftVsRight);
  EXPECT_EQ(lines.count, 2);
  EXPECT_EQ(lines.line[0], "0.000 dB");  // silent spectra: SNR 0 - 0
  EXPECT_EQ(lines.line[1], "0.0");
  lines = ReadoutLines(kAnalysisPeakFrequency, engine, kNoiseFigureLeftVsRight);
  EXPECT_EQ(lines.count, 2);
  EXPECT_NE(lines.line[1], "0.0");
}

}  // namespace
}  // namespace orvanix
