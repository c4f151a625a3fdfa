#include "engine/TimeText.h"

#include <gtest/gtest.h>

#include <cmath>

namespace orvanix {
namespace {

TEST(TimeTextTest, ShowsHoursMinutesSecondsAndMilliseconds) {
  EXPECT_EQ(TimeText(0.0), "0.000");
  EXPECT_EQ(TimeText(1.5), "1.500");
  EXPECT_EQ(TimeText(1.001), "1.001");     // not 1.000 from 1.000999...
  EXPECT_EQ(TimeText(59.9999), "59.999");  // truncated, not rounded
  EXPECT_EQ(TimeText(61.25), "1:01.250");
  EXPECT_EQ(TimeText(3661.007), "1:01:01.007");
  EXPECT_EQ(TimeText(-2.5), "-2.500");
  EXPECT_EQ(TimeText(-3661.0), "-1:01:01.000");
  EXPECT_EQ(TimeText(86400.0 + 5.0), "5.000");  // a day wraps
  EXPECT_EQ(TimeText(86400.0), "24:00:00.000");
  EXPECT_EQ(TimeText(3661.9, false), "1:01:01");
  EXPECT_EQ(TimeText(125.7, false), "2:05");
  EXPECT_EQ(TimeText(9.99, false), "9");
  EXPECT_EQ(TimeText(std::nan(""), true), "0.000");
}

}  // namespace
}  // namespace orvanix
