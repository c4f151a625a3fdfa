// The vector scans against plain loops, on random arrays with NaN, negative and equal values
// and every range end, so that the lanes and the tails agree and nothing reads past `to`
// (the sanitizer build checks the reads: each array ends exactly at the range's end).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "measure/PowerScan.h"

namespace orvanix {
namespace {

TEST(PowerScanTest, VectorScansAgreeWithPlainLoops) {
  std::mt19937 random(7);
  std::uniform_int_distribution<int> kind(0, 19);
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (int trial = 0; trial < 3000; ++trial) {
    const uint32_t size = 1 + trial % 37;
    std::vector<float> data(size);
    for (float& v : data) {
      const int k = kind(random);
      v = k == 0 ? nan : k == 1 ? -1.f : k < 5 ? 0.f : static_cast<float>(k % 6);
    }
    const uint32_t from = static_cast<uint32_t>(random() % size);
    const uint32_t to = from + static_cast<uint32_t>(random() % (size - from));
    // Only from ... to is handed over: a copy that ends at `to`.
    std::vector<float> exact(data.begin(), data.begin() + to + 1);
    const float threshold = static_cast<float>(trial % 5) - 0.5f;

    uint32_t next = to + 1;
    for (uint32_t i = from; i <= to; ++i) {
      if (exact[i] > threshold) {
        next = i;
        break;
      }
    }
    EXPECT_EQ(NextAbove(exact.data(), from, to, threshold), next);

    float largest = -5.f;
    for (uint32_t i = from; i <= to; ++i) largest = exact[i] > largest ? exact[i] : largest;
    EXPECT_EQ(LargestPower(exact.data(), from, to, -5.f), largest);

    double sum = 0;
    uint32_t notPositive = 0;
    for (uint32_t i = from; i <= to; ++i) {
      if (exact[i] > 0.f) {
        sum += exact[i];
      } else {
        ++notPositive;
      }
    }
    uint32_t counted = 99;
    EXPECT_EQ(PositivePowerSum(exact.data(), from, to, counted), sum);
    EXPECT_EQ(counted, notPositive);
  }
  // Empty ranges.
  const float one = 1.f;
  uint32_t counted = 9;
  EXPECT_EQ(NextAbove(&one, 1, 0, 0.f), 1u);
  EXPECT_EQ(LargestPower(&one, 1, 0, -3.f), -3.f);
  EXPECT_EQ(PositivePowerSum(&one, 1, 0, counted), 0.0);
  EXPECT_EQ(counted, 0u);
}

}  // namespace
}  // namespace orvanix
