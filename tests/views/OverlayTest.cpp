// Overlays: capture into .ovl files, reading hand-written and malformed files, the legend,
// the values between and beyond the points, and the slot switches of the view.
#include <gtest/gtest.h>

#include <QImage>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <filesystem>

#include "ViewTestHelpers.h"
#include "engine/Messages.h"
#include "views/OrvanePlot.h"
#include "views/OverlayData.h"
#include "views/ViewTexts.h"

namespace orvanix {
namespace {

using test::ReadFile;
using test::WriteFile;

std::string FirstLine(const std::string& text) {
  return text.substr(0, text.find('\n'));
}

class OverlayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = test::TempFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
  }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  bool Reported(const char* format, const std::string& path) const {
    return sink_.Contains(Format(format, path.c_str()));
  }

  std::string dir_;
  TRecordingSink sink_;
  TScopedMessageSink scope_{&sink_};
};

TEST_F(OverlayTest, CaptureWritesTheSlotFileAndShowsIt) {
  test::TFakeSource source(test::MakeProcessing(2, 4096, kBothChannels), test::MakeScaling(0));
  ASSERT_TRUE(source.Ok());
  source.Feed({{1000.0, 0.5}}, 2);
  TOrvanePlot plot(&source);
  plot.SetOverlayDirectory(dir_ + "/new-folder");  // made on demand
  int changes = 0;
  QObject::connect(&plot, &TOrvanePlot::OptionsChanged, [&] { ++changes; });

  ASSERT_TRUE(plot.CaptureOverlay(0, 2));
  const std::string path = dir_ + "/new-folder/L2.ovl";
  EXPECT_EQ(plot.OverlayPath(0, 2), path);
  const std::string text = ReadFile(path);
  EXPECT_EQ(FirstLine(text), ";Overlay 2");
  EXPECT_EQ(plot.Options().show[0][1], 1);
  EXPECT_EQ(changes, 1);

  // One point per bin from the low limit to the high limit, with the shown values.
  const TSpectralData* s = source.Primary();
  const TOverlayData* overlay = plot.Overlay(0, 2);
  ASSERT_NE(overlay, nullptr);
  EXPECT_EQ(overlay->Legend(), "Overlay 2");
  const uint32_t first = s->FrequencyBin(s->LowLimit());
  EXPECT_EQ(overlay->Count(), s->FrequencyBin(s->HighLimit()) - first + 1);
  EXPECT_FLOAT_EQ(overlay->Points()[0].frequency, s->BinFrequency(first));
  EXPECT_NEAR(overlay->Points()[10].value, s->Value(first + 10), 1e-5);
  EXPECT_EQ(text.substr(text.find('\n') + 1, 8), "21.5332\t");  // "%5.4f\t%f": bin 2

  // The second pane's slots are the "R" files.
  ASSERT_TRUE(plot.CaptureOverlay(1, 4));
  EXPECT_TRUE(std::filesystem::exists(dir_ + "/new-folder/R4.ovl"));
  EXPECT_FALSE(plot.CaptureOverlay(0, 5));
  EXPECT_TRUE(sink_.Entries().empty());
}

TEST_F(OverlayTest, HandWrittenFileWithLegend) {
  WriteFile(Path("L1.ovl"), ";My reference\n100\t-10\n1000\t-20\r\n10000\t-30\n");
  test::TFakeSource source(test::MakeProcessing(1, 4096, 0), test::MakeScaling(1));
  TOrvanePlot plot(&source);
  plot.SetOverlayDirectory(dir_);
  ASSERT_TRUE(plot.ToggleOverlay(0, 1, true));
  const TOverlayData* overlay = plot.Overlay(0, 1);
  ASSERT_NE(overlay, nullptr);
  EXPECT_EQ(overlay->Legend(), "My reference");
  EXPECT_EQ(overlay->Count(), 3u);
  // Through the points, held beyond the ends.
  EXPECT_FLOAT_EQ(overlay->ValueAt(1000.0f), -20.0f);
  EXPECT_FLOAT_EQ(overlay->ValueAt(10.0f), -10.0f);
  EXPECT_FLOAT_EQ(overlay->ValueAt(20000.0f), -30.0f);
  // Between the points: the natural cubic spline, worked out by hand for three points
  // (the second derivative is 0 at both ends; at the middle point
  // 6 ((y2 - y1) / h1 - (y1 - y0) / h0) / (2 (h0 + h1))).
  const double h0 = 900.0, h1 = 9000.0;
  const double m = 6.0 * ((-30.0 + 20.0) / h1 - (-20.0 + 10.0) / h0) / (2.0 * (h0 + h1));
  const double a = (10000.0 - 5000.0) / h1, b = 1.0 - a;
  const double expected = a * -20.0 + b * -30.0 + (a * a * a - a) * m * h1 * h1 / 6.0;
  EXPECT_NEAR(overlay->ValueAt(5000.0f), expected, 1e-3);
  EXPECT_EQ(plot.Options().show[0][0], 1);

  ASSERT_FALSE(plot.ToggleOverlay(0, 1, false));
  EXPECT_EQ(plot.Overlay(0, 1), nullptr);
  EXPECT_EQ(plot.Options().show[0][0], 0);
}

TEST_F(OverlayTest, DrawnAlongTheDefaultLogarithmicAxis) {
  // A slope of -20 dB per decade from -10 dB at 10 Hz, points 1 % apart: -30 dB at 100 Hz,
  // -50 dB at 1 kHz, -70 dB at 10 kHz.
  std::string text = ";Slope\n";
  char line[64];
  for (double hz = 10.0; hz < 22000.0; hz *= 1.01) {
    std::snprintf(line, sizeof line, "%.4f\t%.6f\n", hz, -10.0 - 20.0 * std::log10(hz / 10.0));
    text += line;
  }
  WriteFile(Path("L1.ovl"), text);
  // FFT 8192: the first bin lies below 10 Hz, so the axis starts at the default 10 Hz.
  test::TFakeSource source(test::MakeProcessing(1, 8192, 0), test::MakeScaling(1));
  ASSERT_TRUE(source.Ok());
  TOrvanePlot plot(&source);
  plot.SetOverlayDirectory(dir_);
  ASSERT_TRUE(plot.ToggleOverlay(0, 1, true));
  const QRect area(0, 0, 1000, 500);
  const QImage image = plot.RenderImage(area.size(), 1.0);
  const QRect pane = plot.PaneRect(area, 0);  // narrowed by the legend
  const QRgb red = qRgb(255, 0, 0);           // the first slot's colour
  for (double hz : {100.0, 1000.0, 10000.0}) {
    const int x =
        int(std::lround(pane.left() + pane.width() * std::log(hz / 10.0) / std::log(2200.0)));
    const double db = -10.0 - 20.0 * std::log10(hz / 10.0);
    // The antialiased hairline is darker than its colour where it runs between pixels.
    const int y = test::TopmostRowOfColor(image, x - 1, x + 1, red, 130);
    EXPECT_NEAR(y, pane.top() + pane.height() * (-db / 100.0), 3.0) << hz;
  }
}

TEST_F(OverlayTest, LegendRules) {
  // Every comment replaces the legend; it ends at a tab and keeps 23 characters at most.
  WriteFile(Path("a.ovl"), "\xEF\xBB\xBF;first\n1 1\n;second\tignored\n2 2\n3 3\n");
  std::vector<CurvePoint> points;
  std::string legend;
  EXPECT_EQ(TOverlayData::Read(Path("a.ovl"), points, legend), TOverlayData::ReadResult::Ok);
  EXPECT_EQ(legend, "second");
  EXPECT_EQ(points.size(), 3u);
  EXPECT_EQ(OverlayLegendOf("A legend far longer than the limit"), "A legend far longer tha");
}

TEST_F(OverlayTest, TooFewPointsAreRefused) {
  WriteFile(Path("L3.ovl"), ";two\n100\t1\n200\t2\n");
  test::TFakeSource source(test::MakeProcessing(1, 4096, 0), test::MakeScaling(1));
  TOrvanePlot plot(&source);
  plot.SetOverlayDirectory(dir_);
  EXPECT_FALSE(plot.ToggleOverlay(0, 3, true));
  EXPECT_EQ(plot.Overlay(0, 3), nullptr);
  EXPECT_EQ(plot.Options().show[0][2], 0);
  EXPECT_TRUE(Reported(viewtext::kOverlayTooFew, Path("L3.ovl")));
  EXPECT_EQ(sink_.Entries().back().icon, MessageIcon::Error);
}

TEST_F(OverlayTest, DecreasingOrNegativeFrequenciesAreRefused) {
  WriteFile(Path("down.ovl"), "100\t1\n300\t2\n200\t3\n400\t4\n");
  EXPECT_EQ(TOverlayData::Load(Path("down.ovl")), nullptr);
  EXPECT_TRUE(Reported(viewtext::kOverlayNotAscending, Path("down.ovl")));
  WriteFile(Path("negative.ovl"), "-5\t1\n300\t2\n400\t3\n");
  EXPECT_EQ(TOverlayData::Load(Path("negative.ovl")), nullptr);
  EXPECT_TRUE(Reported(viewtext::kOverlayNotAscending, Path("negative.ovl")));
  // Equal neighbours are allowed.
  WriteFile(Path("flat.ovl"), "100\t1\n100\t2\n400\t3\n");
  EXPECT_NE(TOverlayData::Load(Path("flat.ovl")), nullptr);
}

TEST_F(OverlayTest, ReadingStopsAtTheFirstLineWithoutTwoNumbers) {
  std::vector<CurvePoint> points;
  std::string legend;
  WriteFile(Path("stop.ovl"), "1\t1\n2\t2\n3\t3\nend of data\n4\t4\n");
  EXPECT_EQ(TOverlayData::Read(Path("stop.ovl"), points, legend), TOverlayData::ReadResult::Ok);
  EXPECT_EQ(points.size(), 3u);
  // NaN and infinity are not numbers here.
  WriteFile(Path("nan.ovl"), "1\t1\n2\tnan\n3\t3\n4\t4\n");
  EXPECT_EQ(TOverlayData::Read(Path("nan.ovl"), points, legend), TOverlayData::ReadResult::TooFew);
  WriteFile(Path("inf.ovl"), "1\t1\n2\t2\n1e999\t3\n");
  EXPECT_EQ(TOverlayData::Read(Path("inf.ovl"), points, legend), TOverlayData::ReadResult::TooFew);
  // A single huge line is cut, not kept whole.
  WriteFile(Path("long.ovl"), ";" + std::string(2000000, 'x') + "\n1 1\n2 2\n3 3\n");
  EXPECT_EQ(TOverlayData::Read(Path("long.ovl"), points, legend), TOverlayData::ReadResult::Ok);
  EXPECT_EQ(legend.size(), kMaxOverlayLegend);
  EXPECT_EQ(TOverlayData::Read(Path("missing.ovl"), points, legend),
            TOverlayData::ReadResult::OpenFailed);
}

TEST_F(OverlayTest, MissingFileSwitchesTheSlotOff) {
  test::TFakeSource source(test::MakeProcessing(1, 4096, 0), test::MakeScaling(1));
  TOrvanePlot plot(&source);
  plot.SetOverlayDirectory(dir_);
  TSpectrumPlotOptions options;
  options.show[0][3] = 1;  // as a configuration might say
  plot.SetOptions(options);
  EXPECT_EQ(plot.Options().show[0][3], 0);
  EXPECT_TRUE(Reported(viewtext::kOverlayOpenFailure, Path("L4.ovl")));
  // Reloading does not report it again.
  const size_t messages = sink_.Entries().size();
  plot.ReloadOverlays();
  EXPECT_EQ(sink_.Entries().size(), messages);
}

TEST_F(OverlayTest, NumbersUseAPointInEveryLocale) {
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "de_DE.utf8")) {
    FAIL() << "no de_DE.UTF-8 locale; run scripts/install-deps.sh";
  }
  const TOverlayData written({{10.5f, -1.25f}, {20.25f, -2.5f}, {40.125f, -3.75f}}, "Comma");
  const bool ok = written.Write(Path("c.ovl"));
  std::vector<CurvePoint> points;
  std::string legend;
  const auto result = TOverlayData::Read(Path("c.ovl"), points, legend);
  std::setlocale(LC_ALL, previous.c_str());
  ASSERT_TRUE(ok);
  EXPECT_EQ(ReadFile(Path("c.ovl")),
            ";Comma\n10.5000\t-1.250000\n20.2500\t-2.500000\n40.1250\t-3.750000\n");
  ASSERT_EQ(result, TOverlayData::ReadResult::Ok);
  EXPECT_FLOAT_EQ(points[1].frequency, 20.25f);
  EXPECT_FLOAT_EQ(points[2].value, -3.75f);
}

TEST_F(OverlayTest, FailedWriteKeepsTheOldFile) {
  WriteFile(Path("keep.ovl"), ";old\n1 1\n2 2\n3 3\n");
  const TOverlayData overlay({{1, 1}, {2, 2}, {3, 3}}, "new");
  // A folder where the temporary file would go makes the write fail.
  std::filesystem::create_directory(Path("keep.ovl.tmp"));
  EXPECT_FALSE(overlay.Write(Path("keep.ovl")));
  EXPECT_EQ(FirstLine(ReadFile(Path("keep.ovl"))), ";old");
  EXPECT_TRUE(Reported(viewtext::kOverlayWriteFailure, Path("keep.ovl")));
}

}  // namespace
}  // namespace orvanix
