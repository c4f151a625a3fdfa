// The spectrum view drawn into images: traces land where a known signal puts them (also
// when many bins share a pixel column), two panes, bars, markers, the power readout, the
// visible range, zoom, autoscale and update pacing.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <map>

#include "ViewTestHelpers.h"
#include "views/OrvanePlot.h"

namespace orvanix {
namespace {

constexpr QRgb kYellow = qRgb(255, 255, 0);  // the default trace colour
constexpr double kRate = 44100.0;

double BinCentre(int bin, int fftSize) {
  return bin * kRate / fftSize;
}

TSpectrumPlotOptions LinearRange(float startHz, float stopHz) {
  TSpectrumPlotOptions o;
  o.startFreqHz = startHz;
  o.stopFreqHz = stopHz;
  o.plotTop = 0.0f;
  o.plotRange = 100.0f;
  return o;
}

// Expected y of a level in dB in a pane for top 0 dB, range 100 dB.
double ExpectedY(const QRect& pane, double db) {
  return pane.top() + pane.height() * (-db / 100.0);
}

TEST(SpectrumRender, TonePeakIsWhereTheLevelPutsIt) {
  test::TFakeSource source(test::MakeProcessing(1, 4096, 0), test::MakeScaling(0));
  ASSERT_TRUE(source.Ok());
  const double hz = BinCentre(464, 4096);  // 4995.7 Hz, on a bin centre
  source.Feed({{hz, 0.5}}, 2, 1e-5);
  TOrvanePlot plot(&source);
  plot.SetOptions(LinearRange(0.0f, 22050.0f));
  const QRect area(0, 0, 900, 500);
  const QImage image = plot.RenderImage(area.size(), 1.0);
  const QRect pane = plot.PaneRect(area, 0);

  const int x = int(pane.left() + pane.width() * hz / 22050.0);
  // A half-scale sine reads -6.02 dB; the Hanning window's amplitude correction adds 0.28 dB
  // on a bin centre.
  const double level = 20.0 * std::log10(0.5) + 0.28;
  const int top = test::TopmostRowOfColor(image, x - 2, x + 2, kYellow);
  EXPECT_NEAR(top, ExpectedY(pane, level), 3.0);
  // Far from the tone the trace lies near the noise floor (or under the pane's bottom
  // edge), well below the peak.
  const int quiet = test::TopmostRowOfColor(image, pane.left() + pane.width() * 3 / 4 - 2,
                                            pane.left() + pane.width() * 3 / 4 + 2, kYellow);
  EXPECT_TRUE(quiet < 0 || quiet > ExpectedY(pane, -60.0)) << quiet;
}

TEST(SpectrumRender, SingleBinSpikeSurvivesManyBinsPerColumn) {
  // 32768 bins on a few hundred columns: a tone in one bin must still reach its level.
  ProcessingSettings p = test::MakeProcessing(1, 65536, 0);
  p.smoothingWindow = kWindowUniform;
  test::TFakeSource source(p, test::MakeScaling(0));
  ASSERT_TRUE(source.Ok());
  const double hz = BinCentre(20000, 65536);  // 13458 Hz
  source.Feed({{hz, 0.1}}, 1, 0.0);
  TOrvanePlot plot(&source);
  plot.SetOptions(LinearRange(0.0f, 22050.0f));
  const QRect area(0, 0, 640, 400);
  const QImage image = plot.RenderImage(area.size(), 1.0);
  const QRect pane = plot.PaneRect(area, 0);
  const int x = int(pane.left() + pane.width() * hz / 22050.0);
  const int top = test::TopmostRowOfColor(image, x - 2, x + 2, kYellow);
  EXPECT_NEAR(top, ExpectedY(pane, -20.0), 3.0);
}

TEST(SpectrumRender, HighDpiImageKeepsTheGeometry) {
  test::TFakeSource source(test::MakeProcessing(1, 4096, 0), test::MakeScaling(0));
  ASSERT_TRUE(source.Ok());
  const double hz = BinCentre(464, 4096);
  source.Feed({{hz, 0.5}}, 2, 1e-5);
  TOrvanePlot plot(&source);
  plot.SetOptions(LinearRange(0.0f, 22050.0f));
  const QRect area(0, 0, 600, 400);
  const QImage image = plot.RenderImage(area.size(), 2.0);
  ASSERT_EQ(image.width(), 1200);
  const QRect pane = plot.PaneRect(area, 0);
  const int x = int(2.0 * (pane.left() + pane.width() * hz / 22050.0));
  const int top = test::TopmostRowOfColor(image, x - 3, x + 3, kYellow);
  EXPECT_NEAR(top / 2.0, ExpectedY(pane, 20.0 * std::log10(0.5) + 0.28), 3.0);
}

// The rows of a column that the trace covers (any mostly yellow pixel: antialiased edges
// count), in logical pixels; false when the column shows no trace.
bool TraceExtent(const QImage& image, int column, int ratio, double& top, double& bottom) {
  int first = -1, last = -1;
  for (int dx = 0; dx < ratio; ++dx) {
    for (int y = 0; y < image.height(); ++y) {
      const QRgb p = image.pixel(column * ratio + dx, y);
      if (qRed(p) > 100 && qGreen(p) > 100 && qBlue(p) < 80) {
        if (first < 0 || y < first) first = y;
        last = std::max(last, y);
      }
    }
  }
  if (first < 0) return false;
  top = double(first) / ratio;
  bottom = double(last + 1) / ratio;
  return true;
}

TEST(SpectrumRender, HighDpiTraceGoesThroughEveryBinAndNowhereElse) {
  // Noise dense enough that every column holds several bins: the wide trace of a
  // high-density screen passes through the point of every bin, and no column shows the
  // trace beyond the values of its own bins and its neighbours' (the joins).
  test::TFakeSource source(test::MakeProcessing(1, 4096, 0), test::MakeScaling(0));
  ASSERT_TRUE(source.Ok());
  source.Feed({{BinCentre(300, 4096), 0.5}}, 2, 3e-3);
  TOrvanePlot plot(&source);
  plot.SetOptions(LinearRange(0.0f, 22050.0f));
  const QRect area(0, 0, 600, 400);
  const QImage image = plot.RenderImage(area.size(), 2.0);
  const QRect pane = plot.PaneRect(area, 0);
  const TSpectralData& s = *source.Primary();
  const TIndexRange range = plot.VisibleRange(s);
  ASSERT_TRUE(range.valid);
  // Highest and lowest point of the bins of each column.
  std::map<int, std::pair<double, double>> columns;
  for (uint32_t i = range.first; i <= range.last; ++i) {
    const int x = int(std::floor(pane.left() + pane.width() * s.BinFrequency(i) / 22050.0));
    const double y = ExpectedY(pane, s.Value(i));
    auto [it, fresh] = columns.emplace(x, std::make_pair(y, y));
    if (!fresh) {
      it->second.first = std::min(it->second.first, y);
      it->second.second = std::max(it->second.second, y);
    }
    if (y < pane.top() + 2 || y > pane.bottom() - 2) continue;
    if (x <= pane.left() + 1 || x >= pane.right() - 1) continue;  // under the frame
    double top = 0, bottom = 0;
    ASSERT_TRUE(TraceExtent(image, x, 2, top, bottom)) << "bin " << i;
    EXPECT_LE(top, y + 1.0) << "bin " << i;
    EXPECT_GE(bottom, y - 1.0) << "bin " << i;
  }
  for (const auto& [x, span] : columns) {
    if (x <= pane.left() + 1 || x >= pane.right() - 1) continue;
    double high = span.first, low = span.second;
    for (int n : {x - 1, x + 1}) {
      const auto it = columns.find(n);
      if (it == columns.end()) continue;
      high = std::min(high, it->second.first);
      low = std::max(low, it->second.second);
    }
    double top = 0, bottom = 0;
    if (!TraceExtent(image, x, 2, top, bottom)) continue;
    EXPECT_GE(top, std::max<double>(high, pane.top() + 1) - 1.5) << "column " << x;
    EXPECT_LE(bottom, std::min<double>(low, pane.bottom()) + 1.5) << "column " << x;
    // Joined to the next column: their rows meet.
    double nextTop = 0, nextBottom = 0;
    if (columns.count(x + 1) && TraceExtent(image, x + 1, 2, nextTop, nextBottom)) {
      EXPECT_LE(std::max(top, nextTop), std::min(bottom, nextBottom) + 0.5) << "column " << x;
    }
  }
}

TEST(SpectrumRender, SecondChannelInTheLowerPane) {
  test::TFakeSource source(test::MakeProcessing(2, 4096, kBothChannels), test::MakeScaling(0));
  ASSERT_TRUE(source.Ok());
  const double hz = BinCentre(186, 4096);  // 2002.6 Hz, right channel only
  source.Feed({{hz, 0.5, 1}}, 2, 1e-5);
  TOrvanePlot plot(&source);
  plot.SetOptions(LinearRange(0.0f, 22050.0f));
  const QRect area(0, 0, 900, 700);
  const QImage image = plot.RenderImage(area.size(), 1.0);
  EXPECT_EQ(plot.PaneMode(), 2);
  const QRect upper = plot.PaneRect(area, 0);
  const QRect lower = plot.PaneRect(area, 1);
  const int x = int(lower.left() + lower.width() * hz / 22050.0);
  const QImage upperImage = image.copy(upper);
  const QImage lowerImage = image.copy(lower);
  const int xi = x - lower.left();
  const int lowerTop = test::TopmostRowOfColor(lowerImage, xi - 2, xi + 2, kYellow);
  EXPECT_NEAR(lowerTop + lower.top(), ExpectedY(lower, -5.74), 3.0);
  const int upperTop = test::TopmostRowOfColor(upperImage, xi - 2, xi + 2, kYellow);
  EXPECT_TRUE(upperTop < 0 || upperTop + upper.top() > ExpectedY(upper, -60.0)) << upperTop;
}

TEST(SpectrumRender, ThirdOctaveBarOfATone) {
  test::TFakeSource source(test::MakeProcessing(1, 8192, 0), test::MakeScaling(2, 1, 3));
  ASSERT_TRUE(source.Ok());
  source.Feed({{1000.0, 0.5}}, 2, 1e-5);
  TOrvanePlot plot(&source);
  TSpectrumPlotOptions o = LinearRange(20.0f, 20000.0f);
  o.plotType = 1;
  plot.SetOptions(o);
  const QRect area(0, 0, 900, 500);
  const QImage image = plot.RenderImage(area.size(), 1.0);
  const QRect pane = plot.PaneRect(area, 0);
  const TSpectralData* s = source.Primary();
  const uint32_t band = s->BandOfFrequency(1000.0f);
  auto x = [&](double f) {
    return pane.left() + pane.width() * std::log(f / 20.0) / std::log(1000.0);
  };
  const int x0 = int(x(s->BandLower(band))) + 3;
  const int x1 = int(x(s->BandUpper(band))) - 3;
  // The band holds the tone's power: about -6 dB (energy-corrected window).
  const int top = test::TopmostRowOfColor(image, x0, x1, kYellow);
  EXPECT_NEAR(top, ExpectedY(pane, s->Value(band)), 2.0);
  EXPECT_NEAR(s->Value(band), -6.0, 0.5);
  // The bar is filled down to the pane bottom.
  const QRgb bottom = image.pixel((x0 + x1) / 2, pane.bottom() - 2);
  EXPECT_EQ(bottom, kYellow);
}

// Pixels of the axis-label text (light grey on the default black) in a box.
int LabelPixels(const QImage& image, int x0, int x1, int y0, int y1) {
  int count = 0;
  for (int y = std::max(0, y0); y <= std::min(image.height() - 1, y1); ++y) {
    for (int x = std::max(0, x0); x <= std::min(image.width() - 1, x1); ++x) {
      const QRgb p = image.pixel(x, y);
      if (qRed(p) > 150 && qGreen(p) > 150 && qBlue(p) > 150) ++count;
    }
  }
  return count;
}

TEST(SpectrumRender, LogAxisZoomedBelowADecadeLabelsTicksAboveTheDecade) {
  test::TFakeSource source(test::MakeProcessing(1, 4096, 0), test::MakeScaling(1));
  ASSERT_TRUE(source.Ok());
  TOrvanePlot plot(&source);
  plot.SetOptions(LinearRange(600.0f, 1600.0f));
  const QRect area(0, 0, 900, 500);
  const QImage image = plot.RenderImage(area.size(), 1.0);
  const QRect pane = plot.PaneRect(area, 0);
  auto x = [&](double f) {
    return int(pane.left() + pane.width() * std::log(f / 600.0) / std::log(1600.0 / 600.0));
  };
  // The tick labels stand in the strip just under the pane, above the axis title.
  const int y0 = pane.bottom() + 3, y1 = pane.bottom() + 19;
  // "1.2k", "1.4k" and "1.6k" right of the 1 kHz label, one at each tick.
  for (double hz : {1200.0, 1400.0, 1600.0}) {
    EXPECT_GT(LabelPixels(image, x(hz) - 25, x(hz) + 25, y0, y1), 15) << hz;
  }
  // Nothing between the ticks where no label belongs (1.1k, 1.3k).
  EXPECT_EQ(LabelPixels(image, x(1100.0) - 2, x(1100.0) + 2, y0, y1), 0);
}

TEST(SpectrumRender, MarkerLabels) {
  EXPECT_EQ(TOrvanePlot::MarkerLabel(kLabelFrequencyAmplitude, 1000.0, -20.456, true, ""),
            "1000.00 Hz/-20.46 dB");
  EXPECT_EQ(TOrvanePlot::MarkerLabel(kLabelFrequencyAmplitude, 1000.0, 12.5, false, ""),
            "1000.00 Hz/12.50");
  EXPECT_EQ(TOrvanePlot::MarkerLabel(kLabelFrequency, 2500.0, 0.0, true, ""), "2500.00 Hz");
  EXPECT_EQ(TOrvanePlot::MarkerLabel(kLabelAmplitude, 2500.0, -3.0, true, ""), "-3.00 dB");
  EXPECT_EQ(TOrvanePlot::MarkerLabel(kLabelAmplitude, 2500.0, 3.0, false, ""), "3.00");
  EXPECT_EQ(TOrvanePlot::MarkerLabel(kLabelCustom, 0.0, 0.0, true, "Hum"), "Hum");
  EXPECT_EQ(TOrvanePlot::MarkerLabel(kLabelNone, 1.0, 1.0, true, "x"), "");
}

TEST(SpectrumRender, MarkerIndexFollowsTheAxis) {
  test::TFakeSource narrow(test::MakeProcessing(1, 4096, 0), test::MakeScaling(1));
  ASSERT_TRUE(narrow.Ok());
  EXPECT_EQ(TOrvanePlot::MarkerIndex(*narrow.Primary(), 1000.0f), 93u);  // 1000 / 10.77 Hz
  test::TFakeSource octave(test::MakeProcessing(1, 4096, 0), test::MakeScaling(2, 1, 3));
  ASSERT_TRUE(octave.Ok());
  const TSpectralData* s = octave.Primary();
  const uint32_t band = TOrvanePlot::MarkerIndex(*s, 1000.0f);
  EXPECT_FLOAT_EQ(s->BandCentre(band), 1000.0f);
}

TEST(SpectrumRender, PowerReadoutOfATone) {
  test::TFakeSource source(test::MakeProcessing(1, 4096, 0), test::MakeScaling(0));
  ASSERT_TRUE(source.Ok());
  source.Feed({{BinCentre(300, 4096), 0.5}}, 2, 0.0);
  TOrvanePlot plot(&source);
  plot.SetOptions(LinearRange(0.0f, 22050.0f));
  const std::string text = plot.PowerReadout(0);
  ASSERT_EQ(text.rfind("Pwr=", 0), 0u) << text;
  // The power of a half-scale sine, relative to a full-scale one.
  EXPECT_NEAR(std::stod(text.substr(4)), 20.0 * std::log10(0.5), 0.05) << text;
}

TEST(SpectrumRange, VisibleIndices) {
  test::TFakeSource source(test::MakeProcessing(1, 4096, 0), test::MakeScaling(1));
  ASSERT_TRUE(source.Ok());
  TOrvanePlot plot(&source);
  const TSpectralData& s = *source.Primary();
  plot.SetOptions(LinearRange(0.0f, 30000.0f));
  TIndexRange r = plot.VisibleRange(s);
  ASSERT_TRUE(r.valid);
  EXPECT_EQ(r.first, 1u);               // no 0 Hz on a logarithmic axis
  EXPECT_EQ(r.last, s.BinCount() - 2);  // the never-averaged last bin is left out
  plot.SetOptions(LinearRange(100.0f, 200.0f));
  r = plot.VisibleRange(s);
  EXPECT_GE(s.BinFrequency(r.first), 100.0f);
  EXPECT_LT(s.BinFrequency(r.first - 1), 100.0f);
  EXPECT_LE(s.BinFrequency(r.last), 200.0f);
  EXPECT_GT(s.BinFrequency(r.last + 1), 200.0f);
}

TEST(SpectrumRange, ZoomAndZoomOut) {
  test::TFakeSource source(test::MakeProcessing(1, 4096, 0), test::MakeScaling(0));
  ASSERT_TRUE(source.Ok());
  TOrvanePlot plot(&source);
  plot.SetOptions(LinearRange(10.0f, 22000.0f));
  EXPECT_FALSE(plot.ZoomTo(500.0, 500.5));      // under 1 Hz
  EXPECT_FALSE(plot.ZoomTo(30000.0, 40000.0));  // beyond the Nyquist frequency
  EXPECT_FALSE(plot.Zoomed());
  ASSERT_TRUE(plot.ZoomTo(1100.0, 900.0));  // either order
  EXPECT_TRUE(plot.Zoomed());
  EXPECT_DOUBLE_EQ(plot.StartHz(), 900.0);
  EXPECT_DOUBLE_EQ(plot.StopHz(), 1100.0);
  const TIndexRange r = plot.VisibleRange(*source.Primary());
  EXPECT_EQ(r.last - r.first + 1, 19u);  // 200 Hz of 10.77 Hz bins
  plot.ZoomOut();
  EXPECT_DOUBLE_EQ(plot.StartHz(), 10.0);
  EXPECT_DOUBLE_EQ(plot.StopHz(), 22000.0);
}

TEST(SpectrumRange, Autoscale) {
  test::TFakeSource source(test::MakeProcessing(1, 4096, 0), test::MakeScaling(0));
  ASSERT_TRUE(source.Ok());
  source.Feed({{BinCentre(100, 4096), 0.01}}, 2, 1e-5);  // -40 dB over a low floor
  TOrvanePlot plot(&source);
  int changes = 0;
  QObject::connect(&plot, &TOrvanePlot::OptionsChanged, [&] { ++changes; });
  plot.SetOptions(LinearRange(0.0f, 22050.0f));
  plot.Autoscale();
  EXPECT_EQ(changes, 1);
  EXPECT_FLOAT_EQ(plot.Options().plotTop, -30.0f);
  EXPECT_GE(plot.Options().plotRange, 20.0f);
  EXPECT_LE(plot.Options().plotRange, 200.0f);

  test::TFakeSource linear(test::MakeProcessing(1, 4096, 0), test::MakeScaling(0, 0));
  ASSERT_TRUE(linear.Ok());
  linear.Feed({{BinCentre(100, 4096), 0.3}}, 2, 1e-5);  // about 31 percent
  TOrvanePlot linearPlot(&linear);
  linearPlot.SetOptions(LinearRange(0.0f, 22050.0f));
  linearPlot.Autoscale();
  EXPECT_FLOAT_EQ(linearPlot.Options().plotTop, 50.0f);
}

TEST(SpectrumUpdates, SpecificIntervalsLimitRepaints) {
  test::TFakeSource source(test::MakeProcessing(1, 4096, 0), test::MakeScaling(0));
  ASSERT_TRUE(source.Ok());
  TOrvanePlot plot(&source);
  TSpectrumPlotOptions o;
  o.intervalFlag = 1;
  o.intervalSecs = 1.0f;
  plot.SetOptions(o);
  EXPECT_TRUE(plot.Notify(0.0));
  EXPECT_FALSE(plot.Notify(0.5));
  EXPECT_TRUE(plot.Notify(1.0));
  EXPECT_FALSE(plot.Notify(1.9));
  EXPECT_TRUE(plot.Notify(0.2));  // rewound: counting starts again
  o.intervalFlag = 0;
  plot.SetOptions(o);
  for (int i = 0; i < 5; ++i) EXPECT_TRUE(plot.Notify(0.2 + i * 0.001));
}

}  // namespace
}  // namespace orvanix
