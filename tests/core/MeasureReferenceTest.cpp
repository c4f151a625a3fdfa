// Measuring the calibration reference through a temporary input port, fed a known tone by
// the Loopback device.
#include <gtest/gtest.h>

#include "app/core/AnalyzerCore.h"
#include "app/core/CoreTexts.h"
#include "tests/core/CoreTestSupport.h"

namespace orvanix {
namespace {

class MeasureReferenceTest : public test::CoreFixture {
 protected:
  void SetUp() override {
    CoreFixture::SetUp();
    UseLoopback();
    core_->ChangeSettings(
        [](TAnalyzerSettings& s) { s.processing.format = MakeWaveFormat(2, 22050, 2); },
        SettingsOrigin::Dialog);
  }
};

TEST_F(MeasureReferenceTest, MeasuresTheFractionOfFullScaleAndTheRatios) {
  // 0.25 of full scale on both channels, 1.0 V rms reference: ratio = sqrt(2) / 0.25.
  FeedTone(997.0, 0.25);
  TCalibration record = DefaultsButtonCalibration();
  record.enabled = 0;
  record.refLevel = 1.0f;
  record.refType = kRefRms;
  record.refUnits = kUnitVolts;
  ASSERT_TRUE(core_->MeasureReference(record));
  EXPECT_NEAR(record.pctFullScaleLeft, 0.25, 0.0025);
  EXPECT_NEAR(record.pctFullScaleRight, 0.25, 0.0025);
  EXPECT_NEAR(record.calRatioLeft, 1.41421356 / record.pctFullScaleLeft, 1e-4);
  EXPECT_EQ(record.enabled, 1);
  // The analyzer's own record is not touched: the dialog edits a copy.
  EXPECT_EQ(core_->Calibration().pctFullScaleLeft, DefaultCalibration().pctFullScaleLeft);
  EXPECT_FALSE(core_->IsRunning());
}

TEST_F(MeasureReferenceTest, ClippedOrSilentReferenceIsRefused) {
  FeedTone(997.0, 1.2);  // clipped at full scale
  TCalibration record = DefaultsButtonCalibration();
  record.enabled = 0;
  EXPECT_FALSE(core_->MeasureReference(record));
  EXPECT_TRUE(sink_.Contains(kMsgCalibrationOverload));
  EXPECT_EQ(record.pctFullScaleLeft, 1.0f);
  EXPECT_EQ(record.enabled, 0);

  FeedTone(997.0, 0.00001);
  sink_.Clear();
  EXPECT_FALSE(core_->MeasureReference(record));
  EXPECT_TRUE(sink_.Contains(kMsgCalibrationTooLow));
}

}  // namespace
}  // namespace orvanix
