// The 3-D surface: trace heights, the shift of older traces, hidden lines, the staircase of
// an octave axis, gradient colouring, and the view on tones, tiny sizes and its trace store.
#include <gtest/gtest.h>

#include <QImage>

#include "PlotViewHelpers.h"
#include "views/ColorTable.h"
#include "views/PixelMap.h"
#include "views/SurfaceImage.h"
#include "views/SurfacePlot.h"

namespace orvanix {
namespace {

using namespace views;

TEST(SurfaceImage, TraceHeightsOnDbAndLinearAxes) {
  TSurfaceImage image;
  ASSERT_TRUE(image.Resize(QSize(50, 90), qRgb(255, 255, 255)));
  EXPECT_EQ(image.TraceHeight(), 30);  // a 90-pixel plot: traces at most 30 high
  TSurfaceStyle style;                 // dB, top 0, range 60
  EXPECT_EQ(TraceLevelHeight(-80.0f, 30, style), 0);
  EXPECT_EQ(TraceLevelHeight(-60.0f, 30, style), 0);
  EXPECT_EQ(TraceLevelHeight(-30.0f, 30, style), 15);
  EXPECT_EQ(TraceLevelHeight(0.0f, 30, style), 30);
  EXPECT_EQ(TraceLevelHeight(6.0f, 30, style), 30);
  style.logAmplitude = false;
  style.top = 100.0f;
  EXPECT_EQ(TraceLevelHeight(50.0f, 30, style), 15);
  style.top = -1.0f;  // taken as 1
  EXPECT_EQ(TraceLevelHeight(0.5f, 30, style), 15);
  EXPECT_FALSE(image.Resize(QSize(0, 10), qRgb(0, 0, 0)));
  EXPECT_FALSE(image.Resize(QSize(10, 3001), qRgb(0, 0, 0)));
}

TEST(SurfaceImage, OlderTracesMoveAndTheNewestHidesThem) {
  const QRgb white = qRgb(255, 255, 255), blue = qRgb(0, 0, 255);
  TSurfaceImage image;
  ASSERT_TRUE(image.Resize(QSize(40, 60), white));
  TPixelMap map;
  map.Build(40, 0.0, 40.0, false, [](float f) { return static_cast<uint32_t>(f); });
  TSurfaceStyle style;
  style.line = blue;
  std::vector<float> loud(40, -60.0f);
  for (int x = 15; x < 25; ++x) loud[static_cast<size_t>(x)] = 0.0f;  // a plateau 20 high
  image.AddTrace(map, loud.data(), style);
  const int bottom = 59;
  // The plateau's top edge at y = bottom - 20 - 1.
  EXPECT_EQ(image.Image().pixel(20, bottom - 21), blue);
  // A silent trace: the older one moved one right and three up; the new flat outline lies on
  // the baseline and the fill hides nothing of the plateau above it.
  std::vector<float> silent(40, -90.0f);
  image.AddTrace(map, silent.data(), style);
  EXPECT_EQ(image.Image().pixel(21, bottom - 24), blue);
  EXPECT_EQ(image.Image().pixel(30, bottom - 1), blue);
  // A loud trace in front hides the plateau's lower edge behind its fill.
  std::vector<float> front(40, 0.0f);
  image.AddTrace(map, front.data(), style);
  for (int y = bottom - 19; y < bottom - 1; ++y) EXPECT_EQ(image.Image().pixel(20, y), white) << y;
}

TEST(SurfaceImage, OctaveAxisIsAStaircaseAndGradientColoursByHeight) {
  TSurfaceImage image;
  ASSERT_TRUE(image.Resize(QSize(30, 90), qRgb(255, 255, 255)));
  TPixelMap bands;
  bands.Build(30, 0.0, 30.0, false, [](float f) { return static_cast<uint32_t>(f / 10.0f); });
  TSurfaceStyle style;
  style.octave = true;
  std::vector<float> levels(30);
  for (int x = 0; x < 30; ++x) levels[static_cast<size_t>(x)] = -60.0f + 20.0f * (x / 10);
  image.AddTrace(bands, levels.data(), style);
  // Each band change is a step: two vertices at the same x.
  const QPolygon& v = image.Vertices();
  int steps = 0;
  for (int i = 1; i < v.size(); ++i) steps += v[i].x() == v[i - 1].x() && v[i].y() != v[i - 1].y();
  EXPECT_GE(steps, 2);

  const std::vector<QRgb> table = BuildColorTable(kFullColor, 0, 0);
  TSurfaceImage gradient;
  ASSERT_TRUE(gradient.Resize(QSize(30, 90), qRgb(255, 255, 255)));
  TPixelMap map;
  map.Build(30, 0.0, 30.0, false, [](float f) { return static_cast<uint32_t>(f); });
  style = TSurfaceStyle();
  style.gradient = true;
  style.colors = &table;
  std::vector<float> peak(30, -60.0f);
  peak[15] = 0.0f;
  gradient.AddTrace(map, peak.data(), style);
  // The outline at the top of the peak (height 30 of 30) takes the last colour; on the
  // baseline, one pixel above the bottom, entry 1 x 200 / 30.
  const int bottom = 89;
  bool top = false;
  for (int x = 13; x <= 17; ++x)
    top = top || gradient.Image().pixel(x, bottom - 31) == table.back();
  EXPECT_TRUE(top);
  EXPECT_EQ(gradient.Image().pixel(2, bottom - 1), table[200 / 30]);
}

TEST(SurfacePlot, ToneTracesTinySizesAndReplay) {
  test::TFakeViewSource source(test::MakeProcessing(1, 2048, kLeftOnly), test::MakeScaling(0));
  ASSERT_TRUE(source.Ok());
  source.Feed({{4000.0, 0.9}}, 1, 1e-5);
  TSurfacePlot view(&source);
  TSurfaceOptions o;
  o.colorMode = 1;  // solid
  view.SetOptions(o);
  view.resize(500, 300);
  ASSERT_TRUE(view.Notify(0.1));
  // The newest trace's highest vertex is over 4 kHz.
  const QPolygon& v = view.Image(0).Vertices();
  QPoint highest = v[1];
  for (const QPoint& p : v) {
    if (p.y() < highest.y()) highest = p;
  }
  const double pixelHz = view.Map(0).Frequency(1) - view.Map(0).Frequency(0);
  EXPECT_NEAR(view.Map(0).Frequency(highest.x()), 4000.0, 3 * pixelHz);
  // About -1.5 dB (a tone between bins): about 58.5 / 60 of the trace height.
  const int t = view.Image(0).TraceHeight();
  EXPECT_NEAR(view.Image(0).Size().height() - 1 - highest.y() - 1, t * 58.5 / 60.0, 2.0);

  for (QSize size : {QSize(1, 1), QSize(4, 3), QSize(60, 40)}) {
    view.resize(size);
    view.Notify(0.2);
    EXPECT_EQ(view.RenderImage(size, 2.0).size(), size * 2);
  }
  view.resize(400, 300);
  view.EnsureLayout();
  view.Store().Reset(view.Slices());
  for (int n = view.Slices() - 1; n >= 0; --n) {
    ASSERT_TRUE(view.Store().Set(n, n * 0.1, source.Primary(), nullptr));
  }
  view.ReplayStore();
  EXPECT_FALSE(view.CsvText().empty());
  EXPECT_TRUE(view.PeakSearch(false));
}

}  // namespace
}  // namespace orvanix
