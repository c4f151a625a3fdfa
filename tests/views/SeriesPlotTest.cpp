// The time-series view on documents of known content: a 100 Hz sine's periods and amplitude,
// sums and differences formed sample by sample (zoomed in and out), X/Y plots, full scale at
// the top edge, 24-bit samples near full scale, empty and one-sample documents, the update
// gate, and the min/max summary against a brute-force scan.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <random>

#include "PlotViewHelpers.h"
#include "views/SeriesPlot.h"
#include "views/WaveSummary.h"

namespace orvanix {
namespace {

double Sine100(uint32_t n, uint16_t, uint32_t rate) {
  return 0.5 * std::sin(2.0 * M_PI * 100.0 * n / rate);
}
double SineAndInverse(uint32_t n, uint16_t c, uint32_t rate) {
  return (c == 0 ? 0.4 : -0.4) * std::sin(2.0 * M_PI * 50.0 * n / rate);
}
double SameBoth(uint32_t n, uint16_t, uint32_t rate) {
  return 0.3 * std::sin(2.0 * M_PI * 70.0 * n / rate);
}

struct Fixture {
  test::TFakeViewSource source{test::MakeProcessing(1, 1024, kLeftOnly), test::MakeScaling(0)};
  TSeriesPlot view{&source};
};

// Upward zero crossings of a per-sample trace, interpolated, in seconds.
std::vector<double> UpwardCrossings(const std::vector<TSeriesPlot::TPoint>& points) {
  std::vector<double> times;
  for (size_t i = 1; i < points.size(); ++i) {
    const double a = points[i - 1].low, b = points[i].low;
    if (a < 0.0 && b >= 0.0) {
      const double f = -a / (b - a);
      times.push_back(points[i - 1].timeSecs + f * (points[i].timeSecs - points[i - 1].timeSecs));
    }
  }
  return times;
}

TEST(SeriesPlot, SineOf100HzHasTenMillisecondPeriodsAndItsAmplitude) {
  Fixture f;
  f.source.document = test::MakeDocument(48000, 1, 48000, Sine100);
  ASSERT_NE(f.source.document, nullptr);
  f.view.resize(1000, 400);
  ASSERT_TRUE(f.view.ShowSpan(0.0, 0.05));
  // 2400 samples on about 900 columns: min/max columns; the extremes are +-50 % of full scale.
  const std::vector<TSeriesPlot::TPoint> columns = f.view.Trace(0, 900);
  ASSERT_GT(columns.size(), 800u);
  double low = 0, high = 0;
  for (const auto& p : columns) low = std::min(low, p.low), high = std::max(high, p.high);
  EXPECT_NEAR(high, 50.0, 0.01);
  EXPECT_NEAR(low, -50.0, 0.01);
  // One point per sample on a wide enough trace: crossings every 10 ms.
  const std::vector<TSeriesPlot::TPoint> samples = f.view.Trace(0, 5000);
  ASSERT_EQ(samples.size(), 2400u);
  const std::vector<double> up = UpwardCrossings(samples);
  ASSERT_GE(up.size(), 4u);
  for (size_t i = 1; i < up.size(); ++i) EXPECT_NEAR(up[i] - up[i - 1], 0.010, 2e-5);
  // The picture: with a plot top of 100 the trace's peaks lie a quarter of the pane below its
  // top edge (zero on the centre line, +-100 on the edges).
  TSeriesOptions o;
  o.gridEnabled = 0;
  o.lineColor = 0x0000FF;  // red
  f.view.SetOptions(o);
  f.view.ShowSpan(0.0, 0.05);
  const QImage image = f.view.RenderImage(QSize(1000, 400));
  const QRect pane = f.view.PaneRect(QRect(0, 0, 1000, 400), 0);
  const int top =
      test::TopmostRowOfColor(image, pane.left() + 2, pane.right() - 2, qRgb(255, 0, 0));
  EXPECT_NEAR(top, pane.top() + 0.25 * pane.height(), 2.0);
}

TEST(SeriesPlot, DifferencesAndSumsAreFormedSampleBySample) {
  for (double seconds : {0.05, 200.0}) {  // per sample; per column from the summary
    Fixture f;
    TSeriesOptions o;
    o.maxZoomOutTime = 1000.0f;
    f.source.document =
        test::MakeDocument(8000, 2, static_cast<uint32_t>(seconds * 8000), SineAndInverse);
    ASSERT_NE(f.source.document, nullptr);
    f.view.resize(800, 300);
    struct Case {
      int32_t choice;
      double peak;
    };
    // L = 0.4 s, R = -0.4 s: L - R = 0.8 s, R - L = -0.8 s, L + R = 0.
    for (const Case c : {Case{3, 80.0}, Case{4, 80.0}, Case{5, 0.0}, Case{1, 40.0}}) {
      o.plotChannel = c.choice;
      f.view.SetOptions(o);
      f.view.ShowSpan(0.0, seconds);
      double low = 0, high = 0;
      for (const auto& p : f.view.Trace(0, 700))
        low = std::min(low, p.low), high = std::max(high, p.high);
      EXPECT_NEAR(high, c.peak, 0.05) << c.choice << " over " << seconds << " s";
      EXPECT_NEAR(low, -c.peak, 0.05) << c.choice << " over " << seconds << " s";
    }
  }
  // Two identical channels: "Left minus Right" is a flat line at zero; X/Y a diagonal.
  Fixture f;
  f.source.document = test::MakeDocument(8000, 2, 4000, SameBoth);
  TSeriesOptions o;
  o.plotChannel = 3;
  f.view.SetOptions(o);
  f.view.resize(600, 300);
  for (const auto& p : f.view.Trace(0, 500)) {
    EXPECT_EQ(p.low, 0.0);
    EXPECT_EQ(p.high, 0.0);
  }
  o.plotChannel = 6;
  f.view.SetOptions(o);
  const auto xy = f.view.Trace(0, 500);
  ASSERT_EQ(xy.size(), 4000u);
  for (const auto& p : xy) EXPECT_EQ(p.low, p.high);
  EXPECT_EQ(f.view.TraceLabel(0), "Left versus Right");
}

TEST(SeriesPlot, FullScaleSampleReadsHundredAndNearFullScale24Bit) {
  Fixture f;
  f.source.document = test::MakeDocument(
      8000, 2, 100,
      [](uint32_t n, uint16_t c, uint32_t) { return n == 10 ? 1.0 : (c == 0 ? 0.9999 : -0.9999); },
      3);
  ASSERT_NE(f.source.document, nullptr);
  TSeriesOptions o;
  f.view.SetOptions(o);
  f.view.resize(600, 300);
  f.view.ShowSpan(0.0, 100.0 / 8000);
  const auto left = f.view.Trace(0, 500);
  ASSERT_EQ(left.size(), 100u);
  EXPECT_NEAR(left[10].low, 100.0, 1e-3);
  EXPECT_NEAR(left[0].low, 99.99, 1e-3);
  // The sum of two near-full-scale channels of opposite sign is about 0; the difference
  // about 200 % (no overflow in the raw sums).
  o.plotChannel = 3;
  f.view.SetOptions(o);
  const auto diff = f.view.Trace(0, 500);
  EXPECT_NEAR(diff[0].low, 199.98, 1e-2);
  // A full-scale sample lies on the top edge with a plot top of 100.
  EXPECT_NEAR(f.view.AxisTop(), 100.0, 1e-9);
}

TEST(SeriesPlot, EmptyAndOneSampleDocumentsAndTinySizes) {
  for (uint32_t frames : {0u, 1u}) {
    Fixture f;
    f.source.document = test::MakeDocument(8000, 1, frames, Sine100);
    ASSERT_NE(f.source.document, nullptr);
    for (QSize size : {QSize(1, 1), QSize(3, 2), QSize(50, 40), QSize(400, 300)}) {
      f.view.resize(size);
      EXPECT_EQ(f.view.RenderImage(size, 2.0).size(), size * 2);
      EXPECT_LE(f.view.Trace(0, std::max(1, size.width())).size(), frames);
    }
    f.view.SetCursorSecs(0.5);
    EXPECT_NE(f.view.CursorClipboardText().find("Time=\t0.5000\r\nLevel=\t"), std::string::npos);
    f.view.PeakSearch(false);
    f.view.Autoscale();
    EXPECT_FALSE(f.view.CsvText().empty());
  }
}

TEST(SeriesPlot, BlockModeAndTheUpdateGate) {
  Fixture f;
  ASSERT_TRUE(f.source.Ok());
  f.source.Feed({{1000.0, 0.25}}, 1, 0.0);
  f.view.resize(600, 300);
  EXPECT_FALSE(f.view.DocumentMode());
  EXPECT_NEAR(f.view.StopSecs(), 1024.0 / 44100.0, 1e-9);
  double high = 0;
  for (const auto& p : f.view.Trace(0, 500)) high = std::max(high, p.high);
  EXPECT_NEAR(high, 25.0, 0.05);
  // Interval 0.1 s: 0.00 (never gated), 0.05 skipped, 0.10 drawn, 0.12 skipped; then 0.05
  // is skipped and resets the last time, so 0.10 is drawn again.
  TSeriesOptions o;
  o.intervalFlag = 1;
  o.intervalSecs = 0.1f;
  f.view.SetOptions(o);
  EXPECT_TRUE(f.view.Notify(0.0));
  EXPECT_FALSE(f.view.Notify(0.05));
  EXPECT_TRUE(f.view.Notify(0.10));
  EXPECT_FALSE(f.view.Notify(0.12));
  EXPECT_FALSE(f.view.Notify(0.05));
  EXPECT_TRUE(f.view.Notify(0.10));
}

TEST(SeriesPlot, SelectionGoesToTheSourceAndTheSpanStaysInTheDocument) {
  Fixture f;
  f.source.document = test::MakeDocument(8000, 1, 8000 * 20, Sine100);
  TSeriesOptions o;
  o.maxZoomOutTime = 5.0f;
  f.view.SetOptions(o);
  f.view.resize(600, 300);
  f.view.ShowAll();
  EXPECT_NEAR(f.view.StopSecs() - f.view.StartSecs(), 5.0, 1e-9);  // the zoom-out limit
  EXPECT_TRUE(f.view.ShowSpan(18.0, 25.0));
  EXPECT_NEAR(f.view.StopSecs(), 20.0, 1e-9);
  EXPECT_NEAR(f.view.StartSecs(), 15.0, 1e-9);
  f.view.ZoomAbout({0.5, 0.5}, 2.0, true, false);
  EXPECT_NEAR(f.view.StopSecs() - f.view.StartSecs(), 2.5, 1e-9);
  f.view.ResetZoom();
  EXPECT_NEAR(f.view.StartSecs(), 0.0, 1e-9);
  EXPECT_NEAR(f.view.StopSecs(), 1.0, 1e-9);  // the options' span
}

TEST(SeriesPlot, AComputedSeriesTakesOverFromTheDocumentOnItsOwnTimeAxis) {
  Fixture f;
  f.source.document = test::MakeDocument(48000, 2, 48000, SameBoth);
  f.view.resize(800, 300);
  ASSERT_TRUE(f.view.DocumentMode());
  // 8 samples at 1 kHz from 2.5 s, offset-binary like an 8-bit recording, the right channel
  // at half the left's scale.
  const std::vector<int32_t> left = {128, 138, 148, 158, 118, 108, 128, 228};
  const std::vector<int32_t> right = {128, 129, 130, 131, 132, 133, 134, 135};
  TSeriesView series;
  series.channels = 2;
  series.count = left.size();
  series.rateHz = 1000.0;
  series.startSecs = 2.5;
  series.zero = 128;
  series.samples[0] = left.data();
  series.samples[1] = right.data();
  series.scale[0] = 1.0 / 128;
  series.scale[1] = 0.5 / 128;
  f.source.computed = series;
  EXPECT_TRUE(f.view.ComputedMode());
  EXPECT_FALSE(f.view.DocumentMode());
  f.view.ResetZoom();
  EXPECT_DOUBLE_EQ(f.view.StartSecs(), 2.5);
  EXPECT_DOUBLE_EQ(f.view.StopSecs(), 2.508);
  TSeriesOptions o;
  o.plotChannel = 3;  // left minus right
  f.view.SetOptions(o);
  const std::vector<TSeriesPlot::TPoint> points = f.view.Trace(0, 100);
  ASSERT_EQ(points.size(), left.size());
  for (size_t i = 0; i < left.size(); ++i) {
    EXPECT_NEAR(points[i].timeSecs, 2.5 + i * 0.001, 1e-12) << i;
    const double expected = 100.0 * ((left[i] - 128) / 128.0 - 0.5 * (right[i] - 128) / 128.0);
    EXPECT_NEAR(points[i].low, expected, 1e-9) << i;
  }
  // The cursor reads the sample at its own time.
  f.view.SetCursorSecs(2.507);
  o.plotChannel = 0;
  f.view.SetOptions(o);
  EXPECT_NEAR(f.view.CursorValue(), 100.0 * 100 / 128, 1e-9);
  // Dropped: the document again, at the stretch the options give.
  f.source.computed.reset();
  EXPECT_TRUE(f.view.DocumentMode());
  EXPECT_DOUBLE_EQ(f.view.StartSecs(), 0.0);
}

TEST(WaveSummary, MatchesABruteForceScanAndGrowsWithTheDocument) {
  std::mt19937 random(5);
  std::uniform_int_distribution<int> sample(-32768, 32767);
  const WaveFormat format = MakeWaveFormat(2, 8000, 2);
  TWaveData doc(10000, format);
  ASSERT_FALSE(doc.Error());
  std::vector<int32_t> l(10000), r(10000);
  for (uint32_t i = 0; i < 10000; ++i) {
    l[i] = sample(random);
    r[i] = sample(random);
    doc.PutSample(l[i], i, 0);
    doc.PutSample(r[i], i, 1);
  }
  TWaveSummary summary;
  ASSERT_TRUE(summary.Update(&doc, 1));
  for (auto [from, to] : {std::pair{0u, 256u}, std::pair{256u, 1024u}, std::pair{9728u, 10000u},
                          std::pair{0u, 10000u}}) {
    int32_t lo = 0, hi = 0;
    ASSERT_TRUE(summary.MinMax(SummaryTrace::LeftMinusRight, from, to, lo, hi));
    int32_t elo = INT32_MAX, ehi = INT32_MIN;
    for (uint32_t i = from; i < to; ++i)
      elo = std::min(elo, l[i] - r[i]), ehi = std::max(ehi, l[i] - r[i]);
    EXPECT_EQ(lo, elo);
    EXPECT_EQ(hi, ehi);
  }
  int32_t lo = 0, hi = 0;
  EXPECT_FALSE(summary.MinMax(SummaryTrace::Left, 500, 500, lo, hi));
  // Appending frames extends the summary from its last partial block.
  ASSERT_TRUE(doc.Resize(10001));
  doc.SeekToEnd();
  doc.PutSample(32767, 10000, 0);
  ASSERT_TRUE(summary.Update(&doc, 1));
  ASSERT_TRUE(summary.MinMax(SummaryTrace::Left, 9990, 10001, lo, hi));
  EXPECT_EQ(hi, 32767);
  EXPECT_EQ(summary.Frames(), 10001u);
  // Mono documents have no right channel, sum or difference.
  TWaveData mono(300, MakeWaveFormat(1, 8000, 2));
  ASSERT_TRUE(summary.Update(&mono, 2));
  EXPECT_FALSE(summary.MinMax(SummaryTrace::Right, 0, 300, lo, hi));
  EXPECT_TRUE(summary.MinMax(SummaryTrace::Left, 0, 300, lo, hi));
}

}  // namespace
}  // namespace orvanix
