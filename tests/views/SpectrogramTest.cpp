// The spectrogram: its colour table, pixel map, image ring and update rules, and the picture
// of a frequency sweep read back from the view's pixels and its CSV export.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>

#include "PlotViewHelpers.h"
#include "views/ColorTable.h"
#include "views/PixelMap.h"
#include "views/Spectrogram.h"
#include "views/SpectrogramImage.h"

namespace orvanix {
namespace {

using namespace views;

// The colour table entry of a pixel's colour (-1: not in the table).
int IndexOfColor(const TSpectrogram& view, QRgb color) {
  const std::vector<QRgb>& table = view.Colors();
  for (size_t i = 0; i < table.size(); ++i) {
    if (table[i] == color) return static_cast<int>(i);
  }
  return -1;
}

// The frequency pixel with the highest colour in column x of a pane image (frequency up).
int LoudestPixel(const TSpectrogram& view, const QImage& image, int x) {
  int best = 0;
  for (int k = 1; k < image.height(); ++k) {
    if (IndexOfColor(view, image.pixel(x, image.height() - 1 - k)) >
        IndexOfColor(view, image.pixel(x, image.height() - 1 - best))) {
      best = k;
    }
  }
  return best;
}

TEST(SpectrogramColors, TableEntriesAndIndices) {
  const std::vector<QRgb> full = BuildColorTable(kFullColor, 0, 0);
  ASSERT_EQ(full.size(), 200u);
  EXPECT_EQ(full[0], qRgb(0, 0, 0));
  EXPECT_EQ(full[40], qRgb(0, 0, 255));
  EXPECT_EQ(full[80], qRgb(0, 255, 255));
  EXPECT_EQ(full[120], qRgb(0, 255, 0));
  EXPECT_EQ(full[160], qRgb(255, 255, 0));
  EXPECT_EQ(full[199], qRgb(255, 5, 0));
  const std::vector<QRgb> gray = BuildColorTable(kGrayScale, 0, 0);
  ASSERT_EQ(gray.size(), 200u);
  EXPECT_EQ(gray[0], qRgb(255, 255, 255));
  EXPECT_EQ(gray[199], qRgb(0, 0, 0));  // 255 - 1.28 x 199 = 0.28
  // Custom: 0x00BBGGRR ends; equal ends leave one usable entry.
  const std::vector<QRgb> custom = BuildColorTable(kCustomColors, 0x0000FF /*red*/, 0xFF0000);
  EXPECT_EQ(custom.front(), qRgb(255, 0, 0));
  EXPECT_EQ(custom[100], qRgb(127, 0, 127));
  EXPECT_EQ(BuildColorTable(kCustomColors, 0x00FF00, 0x00FF00).size(), 1u);

  // Top 0, range 60 dB, n = 200: -60 dB and below colour 0, -30 dB colour 100, 0 dB and above 199.
  EXPECT_EQ(ColorIndex(-75.0f, 0.0f, 60.0f, true, 200), 0);
  EXPECT_EQ(ColorIndex(-60.0f, 0.0f, 60.0f, true, 200), 0);
  EXPECT_EQ(ColorIndex(-30.0f, 0.0f, 60.0f, true, 200), 100);
  EXPECT_EQ(ColorIndex(0.0f, 0.0f, 60.0f, true, 200), 199);
  EXPECT_EQ(ColorIndex(12.0f, 0.0f, 60.0f, true, 200), 199);
  EXPECT_EQ(ColorIndex(NAN, 0.0f, 60.0f, true, 200), 0);
  // Linear axis: v / top, a top that is not positive taken as 1.
  EXPECT_EQ(ColorIndex(50.0f, 100.0f, 60.0f, false, 200), 100);
  EXPECT_EQ(ColorIndex(0.5f, -3.0f, 60.0f, false, 200), 100);
}

TEST(SpectrogramPixelMap, LogarithmicAxisAndSharedBins) {
  TPixelMap map;
  // 100 ... 10000 Hz over 200 pixels: pixel 100 shows 1000 Hz.
  map.Build(200, 100.0, 10000.0, true, [](float f) { return static_cast<uint32_t>(f / 10.0f); });
  ASSERT_EQ(map.Pixels(), 200);
  EXPECT_NEAR(map.Frequency(100), 1000.0, 1e-2);
  EXPECT_NEAR(map.Frequency(0), 100.0, 1e-3);
  // The last pixel's index is raised by one on a logarithmic axis.
  EXPECT_EQ(map.Index(199), static_cast<uint32_t>(map.Frequency(199) / 10.0f) + 1);

  // Several pixels in one bin all show that bin; one pixel over several bins shows their
  // maximum (including the previous pixel's bin).
  TPixelMap linear;
  linear.Build(4, 0.0, 8.0, false,
               [](float f) { return static_cast<uint32_t>(f); });  // bins 0 2 4 6
  const float values[8] = {1, 9, 2, 3, 7, 1, 4, 0};
  float out[4];
  linear.Levels(
      [&](uint32_t a, uint32_t b) {
        float m = values[a];
        for (uint32_t i = a; i <= b; ++i) m = std::max(m, values[i]);
        return m;
      },
      out);
  EXPECT_EQ(out[0], 1.0f);
  EXPECT_EQ(out[1], 9.0f);  // bins 0 ... 2
  EXPECT_EQ(out[2], 7.0f);  // bins 2 ... 4
  EXPECT_EQ(out[3], 7.0f);  // bins 4 ... 6
  TPixelMap fine;
  fine.Build(8, 0.0, 2.0, false,
             [](float f) { return static_cast<uint32_t>(f); });  // 4 pixels per bin
  float fineOut[8];
  fine.Levels([&](uint32_t a, uint32_t b) { return values[a] + values[b]; }, fineOut);
  EXPECT_EQ(fineOut[0], 2.0f);
  EXPECT_EQ(fineOut[3], 2.0f);  // same bin: same level
  EXPECT_EQ(fineOut[4], 10.0f);
}

TEST(SpectrogramImage, DirectionsScrollAndRefusedSizes) {
  // Each direction: two lines, the second at the leading edge, the first just behind it,
  // low frequency at the bottom (0, 1) or the left (2, 3).
  const QRgb a = qRgb(10, 20, 30), b = qRgb(200, 100, 50), fill = qRgb(0, 0, 0);
  struct Case {
    int32_t direction;
    QPoint newest;  // pixel of the newest line's lowest frequency
    QPoint older;   // the older line's lowest frequency
  };
  const Case cases[] = {{kNewestRight, {9, 5}, {7, 5}},
                        {kNewestLeft, {0, 5}, {2, 5}},
                        {kNewestBottom, {0, 5}, {0, 3}},
                        {kNewestTop, {0, 0}, {0, 2}}};
  for (const Case& c : cases) {
    TSpectrogramImage image;
    ASSERT_TRUE(image.Resize(QSize(10, 6), c.direction, 2, fill));
    std::vector<QRgb> lineA(static_cast<size_t>(image.FrequencyPixels()), a);
    std::vector<QRgb> lineB(lineA.size(), b);
    lineA[0] = qRgb(1, 1, 1);
    image.AddLine(lineA.data(), 1.0);
    image.AddLine(lineB.data(), 2.0);
    const QImage shown = image.Compose();
    EXPECT_EQ(shown.pixel(c.newest), b) << c.direction;
    EXPECT_EQ(shown.pixel(c.older), qRgb(1, 1, 1)) << c.direction;
    EXPECT_EQ(image.Pixel(c.newest.x(), c.newest.y()), b) << c.direction;
    double t = 0.0;
    ASSERT_TRUE(image.TimeAtDepth(0, t));
    EXPECT_EQ(t, 2.0);
    ASSERT_TRUE(image.TimeAtDepth(3, t));
    EXPECT_EQ(t, 1.0);
    EXPECT_FALSE(image.TimeAtDepth(4, t));
  }
  // Many lines wrap the ring: the newest stays at the leading edge.
  TSpectrogramImage ring;
  ASSERT_TRUE(ring.Resize(QSize(7, 3), kNewestRight, 2, fill));
  for (int i = 0; i < 20; ++i) {
    std::vector<QRgb> line(3, qRgb(i, 0, 0));
    ring.AddLine(line.data(), i);
  }
  const QImage shown = ring.Compose();
  EXPECT_EQ(shown.pixel(6, 0), qRgb(19, 0, 0));
  EXPECT_EQ(shown.pixel(5, 0), qRgb(19, 0, 0));
  EXPECT_EQ(shown.pixel(4, 0), qRgb(18, 0, 0));
  EXPECT_EQ(shown.pixel(0, 0), qRgb(16, 0, 0));
  // Resizing keeps the picture aligned at the leading edge.
  ASSERT_TRUE(ring.Resize(QSize(9, 3), kNewestRight, 2, fill));
  EXPECT_EQ(ring.Compose().pixel(8, 0), qRgb(19, 0, 0));
  EXPECT_EQ(ring.Compose().pixel(2, 0), qRgb(16, 0, 0));
  EXPECT_EQ(ring.Compose().pixel(1, 0), fill);

  TSpectrogramImage image;
  EXPECT_TRUE(image.Resize(QSize(3000, 2999), kNewestRight, 2, fill));
  EXPECT_FALSE(image.Resize(QSize(400, 3000), kNewestRight, 2, fill));
  EXPECT_FALSE(image.Valid());
  EXPECT_FALSE(image.Resize(QSize(3001, 10), kNewestRight, 2, fill));
  EXPECT_FALSE(image.Resize(QSize(0, 10), kNewestRight, 2, fill));
  image.AddLine(nullptr, 0.0);  // nothing to draw into: nothing happens
  EXPECT_TRUE(image.Resize(QSize(1, 1), kNewestRight, 2, fill));
  const QRgb one = b;
  image.AddLine(&one, 0.0);
  EXPECT_EQ(image.Compose().pixel(0, 0), b);
}

TEST(SpectrogramView, UpdateIntervalGatesLines) {
  test::TFakeViewSource source(test::MakeProcessing(1, 1024, kLeftOnly), test::MakeScaling(0));
  ASSERT_TRUE(source.Ok());
  source.Feed({{1000.0, 0.5}}, 1);
  TSpectrogram view(&source);
  view.resize(300, 200);
  TSpectrogramOptions o;
  o.intervalFlag = 1;
  o.intervalSecs = 0.1f;
  view.SetOptions(o);
  // A line needs x >= last + 0.1 (last starts at 0): 0.05 skipped, 0.10 drawn, 0.12
  // skipped; 0.05 is skipped and, being earlier, resets the last time to 0, so 0.10 is
  // drawn again.
  EXPECT_FALSE(view.Notify(0.05));
  EXPECT_TRUE(view.Notify(0.10));
  EXPECT_FALSE(view.Notify(0.12));
  EXPECT_FALSE(view.Notify(0.05));
  EXPECT_TRUE(view.Notify(0.10));
  EXPECT_TRUE(view.Notify(0.25));
  EXPECT_EQ(view.Image(0).LineCount(), 3);
  // Every notification draws without the interval.
  o.intervalFlag = 0;
  view.SetOptions(o);
  EXPECT_TRUE(view.Notify(0.0));
  EXPECT_TRUE(view.Notify(0.0));
  double step = 0.0;
  EXPECT_STREQ(TSpectrogram::DivisionLabel(0.02, step), " (1 msec/div)");
  EXPECT_STREQ(TSpectrogram::DivisionLabel(15.0, step), " (1 sec/div)");
  EXPECT_EQ(step, 1.0);
  EXPECT_STREQ(TSpectrogram::DivisionLabel(2500.0, step), " (1 sec/div)");
  EXPECT_EQ(TSpectrogram::DivisionLabel(0.0, step), nullptr);
}

// Lines of a tone: the pixel whose frequency is the tone's takes the top colour, and the
// level readout and the CSV give the tone's level.
TEST(SpectrogramView, ToneLineColoursAndTwoPanes) {
  test::TFakeViewSource source(test::MakeProcessing(2, 4096, kBothChannels), test::MakeScaling(0));
  ASSERT_TRUE(source.Ok());
  source.Feed({{5000.0, 1.0, 0}, {12000.0, 1.0, 1}}, 1, 1e-5);
  TSpectrogram view(&source);
  view.resize(400, 500);
  ASSERT_TRUE(view.Notify(0.1));
  ASSERT_EQ(view.Panes(), 2);
  for (int pane = 0; pane < 2; ++pane) {
    const TPixelMap& map = view.Map(pane);
    ASSERT_FALSE(map.Empty());
    const double toneHz = pane == 0 ? 5000.0 : 12000.0;
    const QImage image = view.Image(pane).Compose();
    const int h = image.height();
    const int loudest = LoudestPixel(view, image, image.width() - 1);
    // A 0 dB tone between bins (5000 Hz lies at bin 464.4) reads about -0.6 dB: colour 197.
    EXPECT_GE(IndexOfColor(view, image.pixel(image.width() - 1, h - 1 - loudest)), 195);
    EXPECT_NEAR(map.Frequency(loudest), toneHz, 2.0 * (map.Frequency(1) - map.Frequency(0)) + 11.0)
        << pane;
    // Far from the tone the colour is low.
    const int quiet = loudest > map.Pixels() / 2 ? 5 : map.Pixels() - 5;
    EXPECT_EQ(IndexOfColor(view, image.pixel(image.width() - 1, h - 1 - quiet)), 0);
  }
}

TEST(SpectrogramView, ReplaysTheTraceStoreAfterResize) {
  test::TFakeViewSource source(test::MakeProcessing(1, 2048, kLeftOnly), test::MakeScaling(0));
  ASSERT_TRUE(source.Ok());
  TSpectrogram view(&source);
  view.resize(300, 200);
  ASSERT_TRUE(view.EnsureLayout());
  const int slices = view.Slices();
  ASSERT_GT(slices, 10);
  view.Store().Reset(slices);
  // Slice S - 1 is the earliest: tones rising from 2 kHz in 200 Hz steps.
  for (int n = slices - 1; n >= 0; --n) {
    source.Spectra().Objects().left->Reset();
    source.Feed({{2000.0 + 200.0 * (slices - 1 - n), 0.8}}, 1, 1e-5);
    ASSERT_TRUE(view.Store().Set(n, 0.01 * (slices - 1 - n), source.Primary(), nullptr));
  }
  view.ReplayStore();
  auto loudestHz = [&](int age) {
    const QImage image = view.Image(0).Compose();
    return view.Map(0).Frequency(
        LoudestPixel(view, image, image.width() - 1 - age * TSpectrogram::kThickness));
  };
  const double pixelHz = view.Map(0).Frequency(1) - view.Map(0).Frequency(0);
  EXPECT_NEAR(loudestHz(0), 2000.0 + 200.0 * (slices - 1), 2 * pixelHz + 25);
  EXPECT_NEAR(loudestHz(slices - 1), 2000.0, 2 * pixelHz + 25);
  // A larger window replays the slices into the new image.
  view.resize(500, 300);
  view.EnsureLayout();
  EXPECT_EQ(view.Image(0).LineCount(), slices);
  const double newPixelHz = view.Map(0).Frequency(1) - view.Map(0).Frequency(0);
  EXPECT_NEAR(loudestHz(0), 2000.0 + 200.0 * (slices - 1), 2 * newPixelHz + 25);
}

TEST(SpectrogramView, TinySizesAndHighDpiDrawWithoutFault) {
  test::TFakeViewSource source(test::MakeProcessing(1, 1024, kLeftOnly), test::MakeScaling(1));
  ASSERT_TRUE(source.Ok());
  source.Feed({{1000.0, 0.5}}, 1);
  TSpectrogram view(&source);
  for (QSize size : {QSize(1, 1), QSize(2, 3), QSize(40, 30), QSize(640, 400)}) {
    view.resize(size);
    view.Notify(0.1);
    const QImage one = view.RenderImage(size, 1.0);
    const QImage two = view.RenderImage(size, 2.0);
    EXPECT_EQ(two.size(), size * 2);
    EXPECT_EQ(one.size(), size);
  }
  view.PeakSearch(false);
  EXPECT_TRUE(view.CursorActive());
  EXPECT_NE(view.CursorClipboardText().find("Freq=\t"), std::string::npos);
}

}  // namespace
}  // namespace orvanix
