// The RPM traces of an order-tracking link in the views: a click in a slice view, the
// redisplay of a slice view from the traces, and the RPM track in the time series.
#include <gtest/gtest.h>

#include <cmath>

#include "DataLinkFixture.h"
#include "engine/SpectralData.h"

namespace orvanix::test {
namespace {

// A slice view as the core sees one: its slices' time range, and what each row was given.
class TSliceViewProbe : public TAnalyzerObserver {
 public:
  struct Row {
    double timeSecs = -1;
    std::vector<float> primary, secondary;
  };
  explicit TSliceViewProbe(int count, double first, double last)
      : rows(static_cast<size_t>(count)), first_(first), last_(last) {}
  int SliceCount() const override { return static_cast<int>(rows.size()); }
  bool SliceTimes(double& first, double& last) const override {
    first = first_;
    last = last_;
    return true;
  }
  void ClearSlices() override { rows.assign(rows.size(), Row{}); }
  void TakeSlice(int n, double timeSecs, const TSpectralData* primary,
                 const TSpectralData* secondary) override {
    Row& row = rows.at(static_cast<size_t>(n));
    row.timeSecs = timeSecs;
    for (uint32_t i = 0; primary && i < primary->BinCount(); ++i) {
      row.primary.push_back(primary->Value(i));
    }
    for (uint32_t i = 0; secondary && i < secondary->BinCount(); ++i) {
      row.secondary.push_back(secondary->Value(i));
    }
  }
  void SlicesDone() override { ++done; }
  std::vector<Row> rows;
  int done = 0;

 private:
  double first_, last_;
};

class LinkViewsTest : public DataLinkTest {
 protected:
  // A multi-link with `steps` spectra taken (600, 700, ... rpm).
  void Traces(int steps) {
    StartPublisher();
    ASSERT_TRUE(PasteMulti());
    for (int i = 0; i < steps; ++i) Step();
    ASSERT_EQ(Links().Traces().Count(), size_t(steps));
  }
  uint32_t Line(double hz) const { return core_->Engine().left->FrequencyBin(float(hz)); }
};

TEST_F(LinkViewsTest, AClickInASliceViewShowsTheTraceNearestItsRpm) {
  Traces(5);
  // Linked spectra are stamped with their RPM / 1000: 751 rpm is 0.751 s.
  core_->ShowAtTime(kWindowSpectrogram, 0.751);
  EXPECT_EQ(Links().LastShown(), "rpm = 800.000000, trace = 2");
  EXPECT_NEAR(core_->Engine().left->Value(Line(10 * 800 / 60.0)), 1.0, 1e-6);
  core_->ShowAtTime(kWindowSurface, 0.1);
  EXPECT_EQ(Links().LastShown(), "rpm = 600.000000, trace = 0");
}

TEST_F(LinkViewsTest, ARedisplayDrawsEveryRowFromTheNearestTrace) {
  Traces(5);
  // Nine rows from 600 to 1000 rpm: 600, 650, 700, ... 1000.
  TSliceViewProbe view(9, 0.6, 1.0);
  core_->AttachWindow(kWindowSpectrogram, &view);
  core_->RedisplaySlices(kWindowSpectrogram);
  EXPECT_EQ(view.done, 1);
  for (int n = 0; n < 9; ++n) {
    const TSliceViewProbe::Row& row = view.rows[size_t(n)];
    const double rpm = 1000 - 50.0 * n;
    EXPECT_NEAR(row.timeSecs * 1000, rpm, 1e-6) << n;
    // Halfway between two traces the earlier (lower) one is drawn.
    const double nearest = 600 + 100 * std::floor((rpm - 600) / 100 + 0.5 - 1e-9);
    ASSERT_EQ(row.primary.size(), 512u) << n;
    ASSERT_EQ(row.secondary.size(), 512u) << n;
    EXPECT_NEAR(row.primary[Line(10 * nearest / 60)], 1.0, 1e-6) << n;
    EXPECT_NEAR(row.primary[Line(5000)], 0.2, 1e-6) << n;
    EXPECT_NEAR(row.secondary[Line(20 * nearest / 60)], 0.5, 1e-6) << n;
  }
  // The analyzer's own spectra are not touched by a redisplay.
  EXPECT_NEAR(core_->Engine().left->Value(Line(10 * 1000 / 60.0)), 1.0, 1e-6);
  core_->AttachWindow(kWindowSpectrogram, nullptr);
}

TEST_F(LinkViewsTest, TheTimeSeriesFollowsTheRpmTrackOfTheLastFrequency) {
  TSliceViewProbe series(0, 0, 0);
  core_->AttachWindow(kWindowTimeSeries, &series);
  Traces(2);
  ASSERT_TRUE(Links().ShowRpmTrack(5000));
  Step();  // a third trace: the track is drawn again at 5 kHz
  const TComputedSeries* track = core_->ComputedSeries();
  ASSERT_NE(track, nullptr);
  EXPECT_EQ(track->rateHz, 10);  // 1000 / 100: the millisecond axis reads RPM
  EXPECT_EQ(track->channels, 2);
  ASSERT_EQ(track->Count(), 10u);  // 1.25 x 800 / 100
  for (size_t i = 6; i < 9; ++i) {
    EXPECT_NEAR(track->Value(0, i), 0.2, 1e-6) << i;
    EXPECT_NEAR(track->Value(1, i), 0.0, 1e-6) << i;
  }
  EXPECT_EQ(track->Value(0, 9), 0.0);
  // Order 20 of 700 rpm on the right.
  ASSERT_TRUE(Links().ShowRpmTrack(20 * 700 / 60.0));
  EXPECT_NEAR(core_->ComputedSeries()->Value(1, 7), 0.5, 1e-6);
  core_->AttachWindow(kWindowTimeSeries, nullptr);
}

TEST_F(LinkViewsTest, AClickInTheSpectrumViewMovesTheTrackToItsFrequency) {
  TSliceViewProbe series(0, 0, 0);
  core_->AttachWindow(kWindowTimeSeries, &series);
  Traces(3);
  // Order 20 of 800 rpm (266.7 Hz, line 6) on the right; order 20 of 600 and 700 rpm lies
  // on line 5, and nothing on the left reaches line 6 in this sweep.
  core_->ShowAtFrequency(20 * 800 / 60.0);
  const TComputedSeries* track = core_->ComputedSeries();
  ASSERT_NE(track, nullptr);
  ASSERT_EQ(track->Count(), 10u);  // 1.25 x 800 / 100
  auto expectTrack = [&](const TComputedSeries& t, size_t peak) {
    for (size_t i = 0; i < t.Count(); ++i) {
      EXPECT_NEAR(t.Value(1, i), i == peak ? 0.5 : 0.0, 1e-6) << i;
      EXPECT_NEAR(t.Value(0, i), 0.0, 1e-6) << i;
    }
  };
  expectTrack(*track, 8);
  // The next set (900 rpm: order 20 on line 7) draws the track at the clicked frequency again.
  Step();
  track = core_->ComputedSeries();
  ASSERT_NE(track, nullptr);
  ASSERT_EQ(track->Count(), 11u);
  expectTrack(*track, 8);
  core_->AttachWindow(kWindowTimeSeries, nullptr);
}

TEST_F(LinkViewsTest, ANewPasteLinkDropsTheOldTraces) {
  Traces(2);
  EXPECT_EQ(core_->LinkedData(), &Links());
  Links().PasteLink({"ZAVO", "Signals", "Sine"}, {});
  EXPECT_EQ(core_->LinkedData(), nullptr);
  EXPECT_EQ(Links().Traces().Count(), 0u);
}

}  // namespace
}  // namespace orvanix::test
