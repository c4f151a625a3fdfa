// The details dialogs' checks: the order of the checks, their bounds and their exact texts.
#include <gtest/gtest.h>

#include <cmath>

#include "generator/DetailsChecks.h"
#include "generator/GeneratorTexts.h"

namespace orvanix {
namespace {

using namespace gentext;
constexpr long kM = 22050;

TEST(DetailsChecksTest, Bursts) {
  EXPECT_TRUE(CheckBurst(1000, 2000).Ok());
  EXPECT_EQ(CheckBurst(0, 2000).message, kBurstNotPositive);
  EXPECT_EQ(CheckBurst(NAN, 2000).message, kBurstNotPositive);
  EXPECT_EQ(CheckBurst(10, -1).message, kCycleNotPositive);
  EXPECT_EQ(CheckBurst(2000, 2000).message, kBurstNotShorter);
  EXPECT_EQ(CheckToneBurst(0, 1, 2, kM).message, Format(kToneFrequencyRange, kM));
  EXPECT_EQ(CheckToneBurst(22051, 1, 2, kM).message, Format(kToneFrequencyRange, kM));
  const TDetailsCheck cycle = CheckToneBurst(22050, 1, 0, kM);
  EXPECT_EQ(cycle.message, kCycleNotPositive);
  EXPECT_EQ(cycle.field, 2);
}

TEST(DetailsChecksTest, ToneRows) {
  EXPECT_TRUE(CheckToneRow(0, -96, kM).Ok());
  EXPECT_TRUE(CheckToneRow(22050, 0, kM).Ok());
  EXPECT_EQ(CheckToneRow(22050.5, 0, kM).message, "Frequency must be between 0 and 22050 Hz.");
  const TDetailsCheck power = CheckToneRow(1000, 0.5, kM);
  EXPECT_EQ(power.message, "Power must be between -96 and 0 dB.");
  EXPECT_EQ(power.field, 1);
}

TEST(DetailsChecksTest, ImdCustomTones) {
  EXPECT_TRUE(CheckImdCustom(100, 5000, 4, kM).Ok());
  EXPECT_EQ(CheckImdCustom(0, 5000, 4, kM).message, Format(kImdLowRange, kM));
  EXPECT_EQ(CheckImdCustom(22050, 5000, 4, kM).message, Format(kImdLowRange, kM));
  EXPECT_EQ(CheckImdCustom(100, 1000, 4, kM).message, Format(kImdHighRange, kM));
  EXPECT_EQ(CheckImdCustom(3000, 2000, 4, kM).message, kImdHighNotAbove);
  const TDetailsCheck ratio = CheckImdCustom(100, 5000, 10.5, kM);
  EXPECT_EQ(ratio.message, kImdRatioRange);
  EXPECT_EQ(ratio.icon, MessageIcon::Error);
  EXPECT_TRUE(CheckImdCustom(100, 5000, 1, kM).Ok());
}

TEST(DetailsChecksTest, Sweeps) {
  EXPECT_TRUE(CheckFreqSweep(0, 22050, 600000, kM).Ok());
  EXPECT_EQ(CheckFreqSweep(-1, 100, 1000, kM).message,
            "Start Frequency must be between   0.00 and 22050.00 Hz.");
  EXPECT_EQ(CheckFreqSweep(10, 30000, 1000, kM).message,
            "Stop Frequency must be between   0.00 and 22050.00 Hz.");
  EXPECT_EQ(CheckFreqSweep(10, 100, 600001, kM).message,
            "Sweep time must be between 1 and 600000 Milliseconds.");
  EXPECT_EQ(CheckFreqSweep(10, 100, 0.5, kM).field, 2);
  EXPECT_TRUE(CheckLevelSweep(-96, 0, 1000, 1, kM).Ok());
  EXPECT_EQ(CheckLevelSweep(-97, 0, 1000, 1, kM).message,
            "Start Level must be between   0.00 and -96.00 dB.");
  EXPECT_EQ(CheckLevelSweep(-20, 1, 1000, 1, kM).message,
            "Stop Level must be between   0.00 and -96.00 dB.");
  EXPECT_EQ(CheckLevelSweep(-20, 0, 22051, 1, kM).message,
            "Signal Frequency must be between   0.00 and 22050.00 Hz.");
  EXPECT_EQ(CheckLevelSweep(-20, 0, 1000, 0, kM).field, 3);
}

TEST(DetailsChecksTest, WavesAndPulse) {
  EXPECT_TRUE(CheckWaveFrequency(22050, kM).Ok());
  EXPECT_EQ(CheckWaveFrequency(0, kM).message, "Frequency must be between   0.00 and 22050.00 Hz.");
  EXPECT_EQ(CheckSquare(1000, 0, kM).message, "Duty cycle must be between 1 and 99 Percent.");
  EXPECT_EQ(CheckSquare(1000, 100, kM).field, 1);
  EXPECT_TRUE(CheckSquare(1000, 99, kM).Ok());

  // Wmin = 1000000 / 44100 = 22 us, Wmax = 2200000 us, intervals up to 220000000 us.
  const TPulseLimits l = PulseLimits(kM);
  EXPECT_EQ(l.minUsec, 22);
  EXPECT_EQ(l.maxWidthUsec, 2200000);
  EXPECT_EQ(l.maxIntervalUsec, 220000000);
  EXPECT_EQ(PulseLimits(0).minUsec, 200);
  EXPECT_EQ(PulseLimits(0).maxWidthUsec, 20000000);
  EXPECT_TRUE(CheckPulse(200, 10000, kM).Ok());
  EXPECT_EQ(CheckPulse(21, 10000, kM).message, Format(kPulseWidthRange, 22L, 2200000L));
  EXPECT_EQ(CheckPulse(200, 220000001, kM).message, Format(kPulseIntervalRange, 22L, 220000000L));
  EXPECT_EQ(CheckPulse(10000, 10000, kM).message, kPulseWidthNotShorter);
}

TEST(DetailsChecksTest, Dtmf) {
  EXPECT_TRUE(CheckDtmf(1, 10000, -30).Ok());
  EXPECT_EQ(CheckDtmf(0, 100, 0).message, "Pulse Width must be between 1 and 10000 Milliseconds.");
  EXPECT_EQ(CheckDtmf(100, 10001, 0).message,
            "Interpulse Spacing Width must be between 1 and 10000 Milliseconds.");
  EXPECT_EQ(CheckDtmf(100, 100, 30.5).message, kDtmfTwistRange);
}

}  // namespace
}  // namespace orvanix
