// The output level: the factor of every unit, and the level dialog's checks with their
// messages and ranges.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/Messages.h"
#include "generator/GeneratorTexts.h"
#include "generator/OutputLevel.h"
#include "generator/SignalTypes.h"

namespace orvanix {
namespace {

double Factor(int units, float level, float fs = 2.0f, int channel = 0) {
  TGeneratorLevel l;
  l.outputUnits = units;
  l.outputLevel = channel == 0 ? level : -96.0f;
  l.outputLevelR = channel == 1 ? level : -96.0f;
  l.fsLevelVolts = fs;
  return LevelFactor(l, channel);
}

TEST(OutputLevelTest, FactorOfEveryUnit) {
  EXPECT_NEAR(Factor(kUnitsDbFs, -20.0f), 0.1, 1e-7);
  EXPECT_NEAR(Factor(kUnitsDbFs, -20.0f, 2.0f, 1), 0.1, 1e-7);  // the right level
  EXPECT_NEAR(Factor(kUnitsPercent, 25.0f), 0.25, 1e-7);
  EXPECT_NEAR(Factor(kUnitsVolts, 0.5f), 0.25, 1e-7);
  EXPECT_NEAR(Factor(kUnitsMillivolts, 500.0f), 0.25, 1e-7);
  EXPECT_NEAR(Factor(kUnitsDbV, 0.0f), 0.5, 1e-7);
  EXPECT_NEAR(Factor(kUnitsDbMv, 40.0f), 0.05, 1e-7);
  EXPECT_NEAR(Factor(kUnitsDbU, 0.0f), 0.775 / 2.0, 1e-7);
  EXPECT_EQ(Factor(17, 0.5f), 1.0);            // unknown units
  EXPECT_EQ(Factor(kUnitsDbFs, 6.0f), 1.0);    // above full scale
  EXPECT_EQ(Factor(kUnitsVolts, -1.0f), 1.0);  // not above 0
  EXPECT_EQ(Factor(kUnitsDbFs, NAN), 1.0);
}

TEST(OutputLevelTest, FullScaleOfZeroBecomesOneVoltAndIsKept) {
  TGeneratorLevel l;
  l.outputUnits = kUnitsVolts;
  l.outputLevel = 0.5f;
  l.fsLevelVolts = 0.0f;
  EXPECT_NEAR(LevelFactor(l, 0), 0.5, 1e-7);
  EXPECT_EQ(l.fsLevelVolts, 1.0f);
  // Units that need no full scale leave it alone.
  l.outputUnits = kUnitsDbFs;
  l.fsLevelVolts = -3.0f;
  LevelFactor(l, 0);
  EXPECT_EQ(l.fsLevelVolts, -3.0f);
}

TEST(OutputLevelTest, DialogChecksEachUnitsRangeWithItsMessage) {
  using namespace gentext;
  const int unknown = kFullScaleUnknown, entered = kFullScaleEntered;
  EXPECT_EQ(CheckOutputLevel(0.0, -96.0, kUnitsDbFs, 0.0, unknown), "");
  EXPECT_EQ(CheckOutputLevel(0.1, -6.0, kUnitsDbFs, 0.0, unknown), kLevelDbFs);
  EXPECT_EQ(CheckOutputLevel(-6.0, -96.5, kUnitsDbFs, 0.0, unknown), kLevelDbFs);  // the right one
  EXPECT_EQ(CheckOutputLevel(100.0, 50.0, kUnitsPercent, 0.0, unknown), "");
  EXPECT_EQ(CheckOutputLevel(0.0, 50.0, kUnitsPercent, 0.0, unknown), kLevelPercent);
  EXPECT_EQ(CheckOutputLevel(2.0, 1.0, kUnitsVolts, 2.0, entered), "");
  EXPECT_EQ(CheckOutputLevel(2.1, 1.0, kUnitsVolts, 2.0, entered), Format(kLevelVolts, 2.0));
  EXPECT_EQ(CheckOutputLevel(1.0, 2001.0, kUnitsMillivolts, 2.0, entered),
            Format(kLevelMillivolts, 2000.0));
  EXPECT_EQ(CheckOutputLevel(1.0, 1.0, kUnitsVolts, 0.0, entered), kFullScaleNotPositive);
  EXPECT_EQ(CheckOutputLevel(1.0, 1.0, kUnitsVolts, -1.0, kFullScaleCard), kFullScaleNotPositive);
  // dBu with FS = 1 V allows 2.21395 down to (but not reaching) -93.78605.
  EXPECT_EQ(CheckOutputLevel(2.21395, -93.786, kUnitsDbU, 1.0, entered), "");
  EXPECT_EQ(CheckOutputLevel(2.214, 0.0, kUnitsDbU, 1.0, entered),
            Format(kLevelDbU, 2.21395, 2.21395 - 96.0));
  EXPECT_NE(CheckOutputLevel(0.0, -93.78605, kUnitsDbU, 1.0, entered), "");
  EXPECT_EQ(CheckOutputLevel(0.0, -96.0, kUnitsDbV, 1.0, entered), Format(kLevelDbV, 0.0, -96.0));
  EXPECT_EQ(CheckOutputLevel(61.0, 0.0, kUnitsDbMv, 1.0, entered), Format(kLevelDbMv, 60.0, -36.0));
  EXPECT_EQ(CheckOutputLevel(NAN, 0.0, kUnitsDbFs, 1.0, entered), kLevelDbFs);
}

TEST(OutputLevelTest, ScrollRangesFollowTheUnits) {
  EXPECT_EQ(LevelRange(kUnitsDbFs, 1.0).low, -96.0);
  EXPECT_EQ(LevelRange(kUnitsVolts, 2.13).high, 2.13);
  EXPECT_NEAR(LevelRange(kUnitsDbU, 1.0).high, 2.21395, 1e-9);
  EXPECT_NEAR(LevelRange(kUnitsDbMv, 1.0).low, -36.0, 1e-9);
}

TEST(SignalTypesTest, NamesAndTheTypesThatHaveDetails) {
  EXPECT_EQ(FindSignalType("Freq Sweep"), kSignalFreqSweep);
  EXPECT_EQ(FindSignalType("Noise"), kSignalWhiteNoise);
  EXPECT_EQ(FindSignalType("freq sweep"), -1);  // an exact match
  EXPECT_EQ(FindSignalType("Noise "), -1);
  EXPECT_STREQ(SignalTypeName(kSignalDigitalZero), "Digital Zero");
  EXPECT_STREQ(SignalTypeName(16), "");
  int withDetails = 0;
  for (int t = 0; t < kSignalTypeCount; ++t) withDetails += HasDetails(t) ? 1 : 0;
  EXPECT_EQ(withDetails, 12);
  EXPECT_FALSE(HasDetails(kSignalTone1k));
  TSignalRecord r;
  r.type = kSignalPulse;
  r.pulse.oneShot = 1;
  EXPECT_TRUE(PlaysOnce(r));
  r.type = kSignalDtmf;
  EXPECT_TRUE(PlaysOnce(r));
  r.dtmf.repeat = 1;
  EXPECT_FALSE(PlaysOnce(r));
}

}  // namespace
}  // namespace orvanix
