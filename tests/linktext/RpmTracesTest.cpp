// RPM traces: the tables, the nearest trace, and the RPM track of one line.
#include "automation/RpmTraces.h"

#include <gtest/gtest.h>

#include <cmath>

namespace orvanix {
namespace {

// Traces at the given RPMs, line 0 of each holding its RPM / 1000 (channel 0) and twice
// that (channel 1).
TRpmTraces Traces(std::initializer_list<double> rpms) {
  TRpmTraces traces;
  for (const double rpm : rpms) {
    traces.Store(0, rpm, {float(rpm / 1000), 0.f});
    traces.Store(1, rpm, {float(rpm / 500), 0.f});
    traces.Complete();
  }
  return traces;
}

TEST(RpmTraces, NearestWithTheFirstWinningATie) {
  const TRpmTraces traces = Traces({600, 800, 700, 900});
  EXPECT_EQ(traces.Nearest(790), 1u);
  EXPECT_EQ(traces.Nearest(10000), 3u);
  EXPECT_EQ(traces.Nearest(0), 0u);
  // 750 lies as far from 800 (trace 1) as from 700 (trace 2).
  EXPECT_EQ(traces.Nearest(750), 1u);
  EXPECT_EQ(Traces({700, 800}).Nearest(750), 0u);
  EXPECT_FALSE(TRpmTraces().Nearest(750));
  EXPECT_FALSE(traces.Nearest(std::nan("")));
}

TEST(RpmTraces, OnlyStoredTracesAreSearched) {
  TRpmTraces traces = Traces({600});
  // A set begun but not complete is not a trace yet.
  traces.Store(0, 5000, {1.f});
  EXPECT_EQ(traces.Nearest(5000), 0u);
  EXPECT_EQ(traces.Trace(0, 1), nullptr);
  traces.Complete();
  EXPECT_EQ(traces.Nearest(5000), 1u);
}

TEST(RpmTraces, TheThousandAndFirstIsNotStored) {
  TRpmTraces traces;
  for (size_t i = 0; i < kMaxRpmTraces; ++i) {
    ASSERT_TRUE(traces.Store(0, 600 + double(i), {1.f}));
    traces.Complete();
  }
  EXPECT_FALSE(traces.Store(0, 99999, {2.f}));
  traces.Complete();
  EXPECT_EQ(traces.Count(), kMaxRpmTraces);
  EXPECT_EQ(traces.Nearest(99999), kMaxRpmTraces - 1);
  EXPECT_FLOAT_EQ(traces.Trace(0, kMaxRpmTraces - 1)->amplitudes[0], 1.f);
  traces.Clear();
  EXPECT_EQ(traces.Count(), 0u);
  EXPECT_FALSE(traces.Nearest(600));
}

TEST(RpmTrack, OneSamplePerStepFromTheStart) {
  TRpmTraces traces = Traces({600, 700, 800});
  TRpmTrack track;
  ASSERT_TRUE(BuildRpmTrack(traces, {600, 100}, 0, 2, track));
  EXPECT_EQ(track.sampleRateHz, 10u);  // 1000 / 100: the millisecond axis reads RPM
  // 1.25 x 800 / 100 = 10 samples; trace t at t + 600 / 100.
  ASSERT_EQ(track.samples[0].size(), 10u);
  EXPECT_EQ(track.samples[0][5], 0);
  EXPECT_EQ(track.samples[0][6], 600);  // 1000 x 0.6
  EXPECT_EQ(track.samples[0][7], 700);
  EXPECT_EQ(track.samples[0][8], 800);
  EXPECT_EQ(track.samples[0][9], 0);
  EXPECT_EQ(track.samples[1][8], 1600);
  EXPECT_EQ(track.channels, 2);
}

TEST(RpmTrack, NegativeAmplitudesAsZeroAndNoWritePastTheEnd) {
  TRpmTraces traces;
  traces.Store(0, 100, {-1.f});
  traces.Complete();
  traces.Store(0, 40, {2.f});  // the last trace's RPM sets a length of 1.25 x 40 / 10 = 5
  traces.Complete();
  TRpmTrack track;
  // Offset 100 / 10 = 10: both traces land beyond the 5 samples and are left out.
  ASSERT_TRUE(BuildRpmTrack(traces, {100, 10}, 0, 1, track));
  EXPECT_EQ(track.samples[0], std::vector<int32_t>(5, 0));
  ASSERT_TRUE(BuildRpmTrack(traces, {0, 10}, 0, 1, track));
  EXPECT_EQ(track.samples[0], (std::vector<int32_t>{0, 2000, 0, 0, 0}));
  EXPECT_TRUE(track.samples[1].empty());
}

TEST(RpmTrack, NothingToDraw) {
  TRpmTrack track;
  EXPECT_FALSE(BuildRpmTrack(TRpmTraces(), {600, 100}, 0, 1, track));
  EXPECT_FALSE(BuildRpmTrack(Traces({600}), {600, 0}, 0, 1, track));
  EXPECT_FALSE(BuildRpmTrack(Traces({600}), {600, -100}, 0, 1, track));
  EXPECT_FALSE(BuildRpmTrack(Traces({600}), {600, 2000}, 0, 1, track));  // below 1 Hz
  // A line beyond the traces' lines leaves the track silent.
  ASSERT_TRUE(BuildRpmTrack(Traces({600}), {600, 100}, 7, 1, track));
  EXPECT_EQ(track.samples[0], std::vector<int32_t>(7, 0));
}

}  // namespace
}  // namespace orvanix
