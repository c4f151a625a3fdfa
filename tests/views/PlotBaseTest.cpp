// The plot frame: value formatting, frequency-axis ticks, the printed settings block, the
// pane layout and time texts.
#include <gtest/gtest.h>

#include <QRect>
#include <clocale>
#include <cmath>
#include <string>
#include <vector>

#include "ViewTestHelpers.h"
#include "views/PlotBase.h"

namespace orvanix {
namespace {

std::vector<std::string> Labels(const std::vector<TFrequencyTick>& ticks) {
  std::vector<std::string> labels;
  for (const auto& t : ticks) labels.push_back(t.label);
  return labels;
}
std::vector<double> Positions(const std::vector<TFrequencyTick>& ticks) {
  std::vector<double> hz;
  for (const auto& t : ticks) hz.push_back(t.hz);
  return hz;
}

TEST(FormatValue, EveryType) {
  EXPECT_EQ(TPlotBase::FormatValue(12.9, 0, " Hz"), "12 Hz");
  EXPECT_EQ(TPlotBase::FormatValue(-12.9, 0, ""), "-12");  // truncated toward zero
  EXPECT_EQ(TPlotBase::FormatValue(3.14159, 1, "V"), " 3.1V");
  EXPECT_EQ(TPlotBase::FormatValue(3.14159, 4, ""), "3.1416");
  EXPECT_EQ(TPlotBase::FormatValue(3.14159, 6, ""), "3.141590");
  EXPECT_EQ(TPlotBase::FormatValue(12345.0, 100, ""), "1.2e+04");
  EXPECT_EQ(TPlotBase::FormatValue(0.5, 101, " V"), "0.500 V");
  EXPECT_EQ(TPlotBase::FormatValue(5.0, 101, ""), "5.00");
  EXPECT_EQ(TPlotBase::FormatValue(-50.0, 101, ""), "-50.0");  // by magnitude
  EXPECT_EQ(TPlotBase::FormatValue(500.0, 101, ""), " 500");
  EXPECT_EQ(TPlotBase::FormatValue(3723.5, 201, ""), "1:02:03.500");
  EXPECT_EQ(TPlotBase::FormatValue(2.0, 55, "%"), "2.000%");
  // Out-of-range values are not undefined behaviour.
  EXPECT_FALSE(TPlotBase::FormatValue(1e300, 0, "").empty());
  EXPECT_EQ(TPlotBase::FormatValue(std::nan(""), 0, ""), "0");
}

TEST(FormatValue, DecimalPointWhateverTheLocale) {
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  if (!std::setlocale(LC_ALL, "de_DE.UTF-8") && !std::setlocale(LC_ALL, "de_DE.utf8")) {
    FAIL() << "no de_DE.UTF-8 locale; run scripts/install-deps.sh";
  }
  const std::string text = TPlotBase::FormatValue(0.5, 101, "");
  std::setlocale(LC_ALL, previous.c_str());
  EXPECT_EQ(text, "0.500");
}

TEST(FrequencyTicks, LinearAudioRangeSteps5k) {
  const auto ticks = TPlotBase::FrequencyTicks(0.0, 22050.0, false);
  EXPECT_EQ(Labels(ticks), (std::vector<std::string>{"0.0", "5.0k", "10.0k", "15.0k", "20.0k"}));
  EXPECT_EQ(Positions(ticks), (std::vector<double>{0, 5000, 10000, 15000, 20000}));
}

TEST(FrequencyTicks, LinearNarrowSpans) {
  // 30 Hz: 5 Hz steps, two decimals.
  auto ticks = TPlotBase::FrequencyTicks(100.0, 130.0, false);
  EXPECT_EQ(Labels(ticks), (std::vector<std::string>{"100.00", "105.00", "110.00", "115.00",
                                                     "120.00", "125.00", "130.00"}));
  // Below 10 Hz of span: 1 Hz steps, three decimals.
  ticks = TPlotBase::FrequencyTicks(200.0, 206.0, false);
  EXPECT_EQ(ticks.size(), 7u);
  EXPECT_EQ(ticks.front().label, "200.000");
  // 400 Hz span: 100 Hz steps, whole hertz.
  ticks = TPlotBase::FrequencyTicks(50.0, 450.0, false);
  EXPECT_EQ(Labels(ticks), (std::vector<std::string>{"100", "200", "300", "400"}));
  // The tick step starts at the first multiple inside the range.
  ticks = TPlotBase::FrequencyTicks(10.0, 22000.0, false);
  EXPECT_EQ(ticks.front().hz, 5000.0);
}

TEST(FrequencyTicks, KilohertzLabelsStayDistinctWhenZoomedIn) {
  // A 30 Hz span above 1 kHz steps by 5 Hz: the labels need three decimals of kHz.
  const auto ticks = TPlotBase::FrequencyTicks(1000.0, 1030.0, false);
  ASSERT_EQ(ticks.size(), 7u);
  EXPECT_EQ(ticks[0].label, "1.000k");
  EXPECT_EQ(ticks[1].label, "1.005k");
  for (size_t i = 1; i < ticks.size(); ++i) EXPECT_NE(ticks[i].label, ticks[i - 1].label);
}

TEST(FrequencyTicks, LogarithmicDecades) {
  const auto ticks = TPlotBase::FrequencyTicks(20.0, 20000.0, true);
  const auto hz = Positions(ticks);
  // 20 ... 90, 100 ... 900, 1000 ... 9000, 10000, 20000.
  EXPECT_EQ(hz.size(), 8u + 9u + 9u + 2u);
  EXPECT_EQ(hz.front(), 20.0);
  EXPECT_EQ(hz[8], 100.0);
  EXPECT_EQ(hz[9], 200.0);
  EXPECT_EQ(hz[17], 1000.0);
  EXPECT_EQ(hz.back(), 20000.0);
  EXPECT_EQ(ticks[8].label, "100");
  EXPECT_EQ(ticks[17].label, "1.0k");
  EXPECT_EQ(ticks.back().label, "20.0k");
  // Below 10 Hz the unit is 1 Hz, and past 100 kHz it is 100 kHz.
  EXPECT_EQ(Positions(TPlotBase::FrequencyTicks(1.0, 12.0, true)),
            (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_EQ(Positions(TPlotBase::FrequencyTicks(90000.0, 1000000.0, true)),
            (std::vector<double>{90000, 100000, 200000, 300000, 400000, 500000, 600000, 700000,
                                 800000, 900000, 1000000}));
}

TEST(FrequencyTicks, LogarithmicZoomedInKeepsTicksUpToTheStop) {
  // Less than a decade: above 1 kHz the 200 Hz step of the span takes over from 1 kHz.
  auto ticks = TPlotBase::FrequencyTicks(600.0, 1600.0, true);
  EXPECT_EQ(Positions(ticks), (std::vector<double>{600, 700, 800, 900, 1000, 1200, 1400, 1600}));
  EXPECT_EQ(Labels(ticks),
            (std::vector<std::string>{"600", "700", "800", "900", "1.0k", "1.2k", "1.4k", "1.6k"}));
  // Within one decade unit: 100 Hz steps from 1 kHz.
  EXPECT_EQ(Positions(TPlotBase::FrequencyTicks(1000.0, 1600.0, true)),
            (std::vector<double>{1000, 1100, 1200, 1300, 1400, 1500, 1600}));
  // Zoomed in further the ticks are those of a linear axis, labels told apart.
  ticks = TPlotBase::FrequencyTicks(1000.0, 1030.0, true);
  ASSERT_EQ(ticks.size(), 7u);
  EXPECT_EQ(ticks[1].label, "1.005k");
  // Where the decade unit already ticks the whole range, nothing changes: 100 ... 900 Hz
  // keeps its 100 Hz steps (the span's own step would be 200 Hz).
  EXPECT_EQ(Positions(TPlotBase::FrequencyTicks(100.0, 900.0, true)),
            (std::vector<double>{100, 200, 300, 400, 500, 600, 700, 800, 900}));
  // At every zoom from just under a decade down to a 5 Hz span the ticks lie inside the
  // range, in order, and no stretch of the axis (in log measure, ends included) wider than
  // 35 % of it is left without one, unless it is no wider than one of a decade's own gaps
  // (1 ... 2 units, as 100 ... 200 Hz on 95 ... 522 Hz).
  for (double start : {20.0, 95.0, 480.0, 600.0, 999.0, 5200.0}) {
    for (double ratio : {1.01, 1.2, 1.9, 2.7, 5.5, 9.9}) {
      const double stop = start * ratio;
      if (stop - start < 5.0) continue;
      const auto zoomed = TPlotBase::FrequencyTicks(start, stop, true);
      ASSERT_GE(zoomed.size(), 2u) << start << " ... " << stop;
      double bare = std::log(zoomed.front().hz / start);
      for (size_t i = 0; i < zoomed.size(); ++i) {
        EXPECT_GE(zoomed[i].hz, start);
        EXPECT_LE(zoomed[i].hz, stop);
        if (i > 0) {
          EXPECT_GT(zoomed[i].hz, zoomed[i - 1].hz);
          bare = std::max(bare, std::log(zoomed[i].hz / zoomed[i - 1].hz));
        }
      }
      bare = std::max(bare, std::log(stop / zoomed.back().hz));
      EXPECT_LE(bare, std::max(0.35 * std::log(ratio), std::log(2.0) + 1e-9))
          << start << " ... " << stop;
    }
  }
}

TEST(FrequencyTicks, DegenerateRanges) {
  EXPECT_TRUE(TPlotBase::FrequencyTicks(100.0, 100.0, false).empty());
  EXPECT_TRUE(TPlotBase::FrequencyTicks(200.0, 100.0, true).empty());
  EXPECT_TRUE(TPlotBase::FrequencyTicks(0.0, std::nan(""), false).empty());
  EXPECT_LE(TPlotBase::FrequencyTicks(0.0, 1e12, false).size(), TPlotBase::kMaxTicks);
}

TEST(PrintSettingsBlock, Lines) {
  ProcessingSettings s = test::MakeProcessing(1, 4096, 0);
  s.averageBlocks = 100;
  s.smoothingWindow = kWindowGaussian;
  s.overlapPercent = 50;
  EXPECT_EQ(TPlotBase::PrintSettingsLines(s, false),
            (std::vector<std::string>{"Sampling:\t44100 Hz", "FFT size:\t4096", "Averaging:\t100",
                                      "Window:\tGaussian"}));
  s.averageBlocks = kInfiniteAverages;
  const auto lines = TPlotBase::PrintSettingsLines(s, true);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[2], "Averaging:\tInfinite");
  EXPECT_EQ(lines[4], "Overlap:\t50 %");
}

TEST(PrintSettingsBlock, PrintOptionsIntoJob) {
  TPrintOptions options;
  options.annotation1 = std::string(100, 'a');
  options.marginLeft = 1.25f;
  options.marginTop = -4.0f;
  options.comments[0] = "first";
  options.comments[3] = "fourth";
  TPrintJob job;
  TPlotBase::ApplyPrintOptions(options, job);
  EXPECT_EQ(job.annotation1.size(), 80u);
  EXPECT_DOUBLE_EQ(job.marginLeftIn, 1.25);
  EXPECT_DOUBLE_EQ(job.marginTopIn, 0.0);
  EXPECT_TRUE(job.comments.empty());  // the comment block is off
  options.enableCommentBlock = 1;
  TPlotBase::ApplyPrintOptions(options, job);
  EXPECT_EQ(job.comments, (std::vector<std::string>{"first", "fourth"}));
}

// A concrete frame for the layout tests.
class TBlankPlot : public TPlotBase {
 public:
  void Paint(QPainter&, const QRect&) override {}
};

TEST(PlotLayout, OneAndTwoPanes) {
  TBlankPlot plot;
  const QRect area(0, 0, 800, 600);
  EXPECT_FALSE(plot.SetPaneMode(3));
  EXPECT_FALSE(plot.SetPaneMode(0));
  EXPECT_EQ(plot.PaneMode(), 1);
  const QRect one = plot.PaneRect(area, 0);
  EXPECT_TRUE(area.contains(one));
  EXPECT_TRUE(plot.PaneRect(area, 1).isNull());

  ASSERT_TRUE(plot.SetPaneMode(2));
  const QRect upper = plot.PaneRect(area, 0);
  const QRect lower = plot.PaneRect(area, 1);
  EXPECT_EQ(upper.height(), lower.height());
  EXPECT_EQ(upper.left(), lower.left());
  EXPECT_EQ(upper.width(), one.width());
  EXPECT_EQ(lower.top() - upper.bottom() - 1, plot.Gap(area));
  EXPECT_EQ(upper.top(), one.top());

  plot.SetPlotMargins(QMargins(50, 20, 10, 30), 12);
  EXPECT_EQ(plot.PaneRect(area, 0).left(), 50);
  EXPECT_EQ(plot.PaneRect(area, 1).bottom(), 600 - 30 - 1);
  plot.SetLegendWidth(100);
  EXPECT_EQ(plot.PaneRect(area, 0).right(), 800 - 10 - 100 - 1);
}

TEST(PlotLayout, LabelFontShrinksOnlyOnSmallViews) {
  TBlankPlot plot;
  EXPECT_EQ(plot.LabelFont(QRect(0, 0, 1600, 900)).pixelSize(), 15);
  const int small = plot.LabelFont(QRect(0, 0, 200, 150)).pixelSize();
  EXPECT_LT(small, 15);
  EXPECT_GE(small, 9);
}

}  // namespace
}  // namespace orvanix
