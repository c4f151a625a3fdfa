// The phase view: its exported text by channel-processing mode, the "Link" block, the cursor,
// the zoom, and the phase of a delayed signal against the closed form.
#include <gtest/gtest.h>

#include <QMimeData>
#include <cmath>

#include "PlotViewHelpers.h"
#include "views/PhasePlot.h"
#include "views/ViewTexts.h"

namespace orvanix {
namespace {

// Lines of an export, without the header.
std::vector<std::string> DataLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = text.find("\r\n") + 2;
  while (start < text.size()) {
    const size_t end = text.find("\r\n", start);
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

TEST(PhasePlot, ExportHeadersByModeAndColumns) {
  struct Case {
    uint16_t channels;
    uint16_t mode;
    const char* header;
    int columns;
  };
  const Case cases[] = {
      {1, kLeftOnly, ";Freq(Hz)\tPhase (deg) Left\r\n", 2},
      {2, kRightOnly, ";Freq(Hz)\tPhase (deg) Right\r\n", 2},
      {2, kBothChannels, ";Freq(Hz)\tPhase (deg) Left\tPhase (deg) Right\r\n", 3},
      {2, kCoherence, ";Freq(Hz)\t: Phase (deg)\r\n", 2},
      {2, kTransferAndCoherenceLR,
       ";Freq(Hz)\t: Phase (deg) Transfer Function\tPhase (deg) Coherence\r\n", 3},
  };
  for (const Case& c : cases) {
    test::TFakeViewSource source(test::MakeProcessing(c.channels, 1024, c.mode),
                                 test::MakeScaling(0));
    ASSERT_TRUE(source.Ok());
    source.Feed({{1000.0, 0.5}}, 2, 1e-3);
    TPhasePlot view(&source);
    TPhasePlotOptions o;
    o.startFreqHz = 0.0f;
    o.stopFreqHz = 1000.0f;
    view.SetOptions(o);
    const std::string text = view.ExportText();
    ASSERT_EQ(text.substr(0, std::strlen(c.header)), c.header) << c.mode;
    const std::vector<std::string> lines = DataLines(text);
    // Bins 0 ... 1000 Hz at 43.07 Hz per bin: 0 ... 23.
    ASSERT_EQ(lines.size(), 24u) << c.mode;
    const size_t tabs = std::count(lines[3].begin(), lines[3].end(), '\t');
    EXPECT_EQ(static_cast<int>(tabs) + 1, c.columns) << c.mode;
    double hz = 0, phase = 0;
    ASSERT_EQ(std::sscanf(lines[3].c_str(), "%lf\t%lf", &hz, &phase), 2);
    EXPECT_NEAR(hz, 3 * 44100.0 / 1024.0, 1e-3);
    EXPECT_NEAR(phase, source.Primary()->Phase(3), 1e-5);
  }
}

TEST(PhasePlot, NothingWithoutASpectrumAndAZeroBinCopiesZero) {
  test::TFakeViewSource source(test::MakeProcessing(1, 1024, kLeftOnly), test::MakeScaling(0));
  ASSERT_TRUE(source.Ok());
  // Silence: every bin is zero and its phase 0.
  source.Feed({}, 1, 0.0);
  TPhasePlot view(&source);
  const std::vector<std::string> lines = DataLines(view.ExportText());
  ASSERT_FALSE(lines.empty());
  for (const std::string& line : lines) {
    double hz = 0, phase = 1;
    ASSERT_EQ(std::sscanf(line.c_str(), "%lf\t%lf", &hz, &phase), 2);
    EXPECT_EQ(phase, 0.0) << line;
  }
  TPhasePlot empty(nullptr);
  EXPECT_EQ(empty.ExportText(), "");
  empty.resize(200, 100);
  EXPECT_EQ(empty.RenderImage(QSize(200, 100)).size(), QSize(200, 100));

  std::unique_ptr<QMimeData> mime(TPhasePlot::TextMimeData("x"));
  const QByteArray link = mime->data(QString::fromUtf8(viewtext::kLinkFormat));
  ASSERT_EQ(link.size(), 128);
  EXPECT_EQ(QByteArray(link.constData(), 21), QByteArray("Tessiva\0Data\0Phase\0\0", 21));
  EXPECT_EQ(link.at(127), '\0');
  EXPECT_EQ(mime->text(), "x");
}

TEST(PhasePlot, CursorSnapsToBinsAndZoomNarrowsTheSpan) {
  test::TFakeViewSource source(test::MakeProcessing(1, 1024, kLeftOnly), test::MakeScaling(0));
  ASSERT_TRUE(source.Ok());
  source.Feed({{1000.0, 0.5}}, 1, 1e-3);
  TPhasePlot view(&source);
  view.resize(640, 400);
  view.SetCursorHz(1000.0, 33.0);
  const double binHz = 44100.0 / 1024.0;
  EXPECT_NEAR(view.CursorHz(), 23 * binHz, 1e-3);  // pulled to the nearest bin
  EXPECT_NEAR(view.CursorPhase(), source.Primary()->Phase(23), 1e-4);
  char expected[80];
  std::snprintf(expected, sizeof expected, "Freq=\t%5.4f\r\nPhase=\t%5.4f\r\n", 23 * binHz,
                static_cast<double>(source.Primary()->Phase(23)));
  EXPECT_EQ(view.CursorClipboardText(), expected);
  TPhasePlotOptions o;
  o.grabCursor = 0;
  o.startFreqHz = 0.0f;
  o.stopFreqHz = 20000.0f;
  view.SetOptions(o);
  view.SetCursorHz(1000.0, 33.0);
  EXPECT_EQ(view.CursorHz(), 1000.0);
  EXPECT_EQ(view.CursorPhase(), 33.0);
  // 2x zoom about the middle on a linear axis: 5000 ... 15000 Hz; the phase axis stays.
  view.ZoomIn2();
  EXPECT_NEAR(view.StartHz(), 5000.0, 1e-6);
  EXPECT_NEAR(view.StopHz(), 15000.0, 1e-6);
  EXPECT_EQ(view.TopDeg(), 180.0);
  EXPECT_EQ(view.BottomDeg(), -180.0);
  view.ZoomOut2();
  view.ZoomOut2();  // never beyond the whole span
  EXPECT_NEAR(view.StartHz(), 0.0, 1e-6);
  EXPECT_NEAR(view.StopHz(), 20000.0, 1e-6);
  // Peak search lands on the tone.
  ASSERT_TRUE(view.PeakSearch(false));
  EXPECT_NEAR(view.CursorHz(), 1000.0, binHz);
}

// A broadband signal on the left, the same delayed by 8 samples on the right: the complex
// transfer function Right/Left is e^(-j 2 pi f 8 / fs), a phase falling by 360 x 8 / fs
// degrees per Hz, wrapped to -180 ... 180.
// Eight blocks of noise on the left channel and the same noise `delay` samples later on
// the right, through the complex transfer function R/L.
void FeedDelayedNoise(test::TFakeViewSource& source, int delay) {
  TEngineObjects& e = source.Spectra().Objects();
  uint64_t state = 99;
  std::vector<double> x(4096 * 8 + static_cast<size_t>(delay));
  for (double& v : x) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    v = 0.5 * (static_cast<double>(state >> 11) / 4503599627370496.0 - 1.0);
  }
  for (int b = 0; b < 8; ++b) {
    for (uint32_t i = 0; i < 4096; ++i) {
      const size_t n = static_cast<size_t>(b) * 4096 + i + static_cast<size_t>(delay);
      e.seriesLeft->PutSample(i, static_cast<int32_t>(std::lround(x[n] * 32767)));
      e.seriesRight->PutSample(i, static_cast<int32_t>(std::lround(x[n - delay] * 32767)));
    }
    ProcessBlock(e);
  }
}

ProcessingSettings DelayProcessing() {
  ProcessingSettings p = test::MakeProcessing(2, 4096, kComplexTransferRL);
  p.averageBlocks = 8;
  p.averageType = kAverageLinear;
  return p;
}

void ShowAudioBand(TPhasePlot& view) {
  TPhasePlotOptions o;
  o.startFreqHz = 20.0f;
  o.stopFreqHz = 20000.0f;
  view.SetOptions(o);
}

TEST(PhasePlot, DelayedSignalGivesTheStraightLineOfTheDelay) {
  constexpr int kDelay = 8;
  test::TFakeViewSource source(DelayProcessing(), test::MakeScaling(0));
  ASSERT_TRUE(source.Ok());
  FeedDelayedNoise(source, kDelay);
  TPhasePlot view(&source);
  ShowAudioBand(view);
  int checked = 0;
  for (const std::string& line : DataLines(view.ExportText())) {
    double hz = 0, phase = 0;
    ASSERT_EQ(std::sscanf(line.c_str(), "%lf\t%lf", &hz, &phase), 2);
    const double expected = std::remainder(-360.0 * hz * kDelay / 44100.0, 360.0);
    EXPECT_NEAR(std::remainder(phase - expected, 360.0), 0.0, 2.0) << hz << " Hz";
    ++checked;
  }
  EXPECT_GT(checked, 1800);
  // The picture: the trace crosses 0 degrees at multiples of fs / 8 (5512.5 Hz).
  view.resize(800, 400);
  const QImage image = view.RenderImage(QSize(800, 400));
  EXPECT_EQ(image.size(), QSize(800, 400));
}

TEST(PhasePlot, DelayLineIsDrawnWhereItsPhaseIsAndBreaksAtTheWraps) {
  // The trace of a delay of 32 samples (about 7 pixels of phase per pixel column): in every
  // column it passes within two pixels of the phase of the column's frequency and covers
  // only the rows of its own slope; a wrap from -180 to +180 breaks the trace instead of
  // joining across the pane. On 1x and 2x screens alike.
  constexpr int kDelay = 32;
  test::TFakeViewSource source(DelayProcessing(), test::MakeScaling(0));
  ASSERT_TRUE(source.Ok());
  FeedDelayedNoise(source, kDelay);
  TPhasePlot view(&source);
  ShowAudioBand(view);
  const QRect area(0, 0, 800, 400);
  view.resize(area.size());
  for (int ratio : {1, 2}) {
    SCOPED_TRACE(ratio);
    const QImage image = view.RenderImage(area.size(), ratio);
    const QRect pane = view.PaneRect(area, 0);
    const double degPerPixel = (view.TopDeg() - view.BottomDeg()) / pane.height();
    const double hzPerColumn = (view.StopHz() - view.StartHz()) / pane.width();
    const double middle = pane.top() + view.TopDeg() / degPerPixel;
    int checked = 0, wraps = 0, crossings = 0;
    for (int x = pane.left() + 2; x <= pane.right() - 2; ++x) {
      const double hz = view.StartHz() +
                        (x + 0.5 - pane.left()) / pane.width() * (view.StopHz() - view.StartHz());
      const double phase = std::remainder(-360.0 * hz * kDelay / 44100.0, 360.0);
      const double expectedY = pane.top() + (view.TopDeg() - phase) / degPerPixel;
      std::vector<double> rows;  // logical rows holding the (black) trace
      for (int y = (pane.top() + 2) * ratio; y < (pane.bottom() - 1) * ratio; ++y) {
        for (int d = 0; d < ratio; ++d) {
          if (image.pixel(x * ratio + d, y) == qRgb(0, 0, 0)) {
            rows.push_back((y + 0.5) / ratio);
            break;
          }
        }
      }
      // Near a wrap the trace may lie at either edge (or under the frame), and a column
      // that holds the wrap itself is one stroke through all phases; no other column may
      // cross the middle of the pane there.
      if (std::fabs(phase) > 135.0) {
        const double next = std::remainder(-360.0 * (hz + hzPerColumn) * kDelay / 44100.0, 360.0);
        if (std::fabs(next - phase) > 180.0) ++wraps;
        for (double y : rows) {
          if (std::fabs(y - middle) < 45.0 / degPerPixel) {
            ++crossings;
            break;
          }
        }
      }
      if (std::fabs(phase) > 170.0) continue;
      ASSERT_FALSE(rows.empty()) << "column " << x;
      EXPECT_LE(rows.back() - rows.front(), 12.0) << "column " << x;
      double nearest = 1e9;
      for (double y : rows) nearest = std::min(nearest, std::fabs(y - expectedY));
      EXPECT_LE(nearest, 2.5) << "column " << x;
      ++checked;
    }
    EXPECT_GT(checked, pane.width() * 9 / 10);
    EXPECT_GE(wraps, 3);
    EXPECT_LE(crossings, wraps);
  }
}

}  // namespace
}  // namespace orvanix
