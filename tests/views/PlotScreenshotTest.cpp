// Renders the spectrum view on a synthetic multi-tone signal in its main forms: linear and
// logarithmic frequency axes, 1/3-octave bars and two panes. The images go to the folder in
// ORVANIX_SCREENSHOT_DIR when it is set (the documentation's pictures are made this way),
// else to a temporary folder; the test checks that the tones' peaks stand where the axes put
// them.
#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <cstdlib>
#include <filesystem>

#include "ViewTestHelpers.h"
#include "views/OrvanePlot.h"

namespace orvanix {
namespace {

const std::vector<test::Tone> kTones = {
    {100.0, 0.5}, {1000.0, 0.25}, {3150.0, 0.05}, {8000.0, 0.1}, {12500.0, 0.01}};

std::string OutputFolder() {
  if (const char* dir = std::getenv("ORVANIX_SCREENSHOT_DIR")) {
    std::filesystem::create_directories(dir);
    return dir;
  }
  return test::TempFolder("screens");
}

constexpr QRgb kYellow = qRgb(255, 255, 0);  // the default trace colour

// Where a frequency lies across a pane, worked out from the pane's edges and the range.
double AxisX(const QRect& pane, double hz, double startHz, double stopHz, bool logarithmic) {
  const double t = logarithmic ? std::log(hz / startHz) / std::log(stopHz / startHz)
                               : (hz - startHz) / (stopHz - startHz);
  return pane.left() + pane.width() * t;
}

// The bin of `spectrum` nearest `hz` or its louder neighbour (a tone between two bins).
uint32_t PeakBinNear(const TSpectralData& spectrum, double hz) {
  const uint32_t bin = uint32_t(std::lround(hz * spectrum.FftSize() / 44100.0));
  uint32_t best = bin;
  for (uint32_t b = bin - 1; b <= bin + 1; ++b) {
    if (spectrum.Value(b) > spectrum.Value(best)) best = b;
  }
  return best;
}

// The trace must reach the peak of the tone at `hz` where the axes put it: at the bin's
// frequency across, at its level (top 0 dB, range 120 dB) down; and the level must be the
// tone's (`expectedDb`, within the window's scalloping).
void ExpectPeak(const QImage& image, const QRect& pane, const TSpectralData& spectrum, double hz,
                double expectedDb, double startHz, double stopHz, bool logarithmic) {
  const uint32_t bin = PeakBinNear(spectrum, hz);
  const double db = spectrum.Value(bin);
  EXPECT_NEAR(db, expectedDb, 1.6) << hz;
  const double binHz = bin * 44100.0 / spectrum.FftSize();
  const int x = int(AxisX(pane, binHz, startHz, stopHz, logarithmic));
  const QImage rows = image.copy(0, pane.top(), image.width(), pane.height() + 1);
  const int y = pane.top() + test::TopmostRowOfColor(rows, x - 2, x + 2, kYellow);
  EXPECT_NEAR(y, pane.top() + pane.height() * -db / 120.0, 3.0) << hz;
}

// Saves the picture (ORVANIX_SCREENSHOT_DPR renders for a HiDPI screen, e.g. 2) and returns
// it at one pixel per logical pixel for the checks.
QImage Save(TOrvanePlot& plot, const std::string& name, QSize size = QSize(1200, 700)) {
  const char* ratio = std::getenv("ORVANIX_SCREENSHOT_DPR");
  const QImage image = plot.RenderImage(size, ratio ? std::atof(ratio) : 1.0);
  const std::string path = OutputFolder() + "/" + name;
  EXPECT_TRUE(image.save(QString::fromStdString(path), "PNG")) << path;
  return ratio ? plot.RenderImage(size, 1.0) : image;
}

// The level of a sine of `amplitude` (fraction of full scale) on an amplitude-corrected
// window, in dB of full scale.
double ToneDb(double amplitude) {
  return 20.0 * std::log10(amplitude);
}

TEST(PlotScreenshot, LinearAxis) {
  test::TFakeSource source(test::MakeProcessing(1, 4096, 0), test::MakeScaling(0));
  ASSERT_TRUE(source.Ok());
  source.Feed(kTones, 4);
  TOrvanePlot plot(&source);
  TSpectrumPlotOptions options;
  options.startFreqHz = 0.0f;
  options.stopFreqHz = 22050.0f;
  options.plotRange = 120.0f;
  options.showRmsLevel = 1;
  plot.SetOptions(options);
  TMarkerSettings markers;
  markers.enable[0] = 1;
  markers.labelType[0] = 3;
  markers.enable[1] = 1;
  markers.freqHz[1] = 8000.0f;
  markers.labelType[1] = 1;
  plot.SetMarkers(markers);
  const QSize size(1200, 700);
  const QImage image = Save(plot, "spectrum-linear.png", size);
  const QRect pane = plot.PaneRect(QRect(QPoint(), size), 0);
  ExpectPeak(image, pane, *source.Primary(), 1000.0, ToneDb(0.25), 0.0, 22050.0, false);
  ExpectPeak(image, pane, *source.Primary(), 8000.0, ToneDb(0.1), 0.0, 22050.0, false);
  ExpectPeak(image, pane, *source.Primary(), 12500.0, ToneDb(0.01), 0.0, 22050.0, false);
}

TEST(PlotScreenshot, LogAxisWithOverlayAndCursor) {
  test::TFakeSource source(test::MakeProcessing(1, 4096, 0), test::MakeScaling(1));
  ASSERT_TRUE(source.Ok());
  TOrvanePlot plot(&source);
  TSpectrumPlotOptions options;
  options.startFreqHz = 20.0f;
  options.stopFreqHz = 20000.0f;
  options.plotRange = 120.0f;
  plot.SetOptions(options);
  plot.SetOverlayDirectory(test::TempFolder("screens-ovl"));
  // A quieter earlier signal as the overlay.
  source.Feed({{100.0, 0.1}, {1000.0, 0.05}, {8000.0, 0.02}}, 2, 3e-4);
  ASSERT_TRUE(plot.CaptureOverlay(0, 1));
  source.Feed(kTones, 4);
  plot.SetMeasurementCursor(1000.0, 0.0);
  const QSize size(1200, 700);
  const QImage image = Save(plot, "spectrum-log.png", size);
  const QRect pane = plot.PaneRect(QRect(QPoint(), size), 0);  // narrowed by the legend
  ExpectPeak(image, pane, *source.Primary(), 100.0, ToneDb(0.5), 20.0, 20000.0, true);
  ExpectPeak(image, pane, *source.Primary(), 1000.0, ToneDb(0.25), 20.0, 20000.0, true);
  ExpectPeak(image, pane, *source.Primary(), 8000.0, ToneDb(0.1), 20.0, 20000.0, true);
}

TEST(PlotScreenshot, ThirdOctaveBars) {
  test::TFakeSource source(test::MakeProcessing(1, 8192, 0), test::MakeScaling(2, 1, 3));
  ASSERT_TRUE(source.Ok());
  source.Feed(kTones, 4, 1e-3);
  TOrvanePlot plot(&source);
  TSpectrumPlotOptions options;
  options.plotType = 1;
  options.startFreqHz = 20.0f;
  options.stopFreqHz = 20000.0f;
  options.plotRange = 100.0f;
  plot.SetOptions(options);
  const QSize size(1200, 700);
  const QImage image = Save(plot, "spectrum-octave.png", size);
  const QRect pane = plot.PaneRect(QRect(QPoint(), size), 0);
  // The bar of each tone's band spans the band's edges on the logarithmic axis and stands
  // as high as the tone: a band holds its tone's whole power.
  const TSpectralData& s = *source.Primary();
  const std::pair<double, double> tones[] = {{100.0, 0.5}, {1000.0, 0.25}, {8000.0, 0.1}};
  for (const auto& [hz, amplitude] : tones) {
    const uint32_t band = s.BandOfFrequency(float(hz));
    EXPECT_NEAR(s.Value(band), ToneDb(amplitude), 0.6) << hz;
    const int x0 = int(AxisX(pane, s.BandLower(band), 20.0, 20000.0, true)) + 4;
    const int x1 = int(AxisX(pane, s.BandUpper(band), 20.0, 20000.0, true)) - 4;
    const int y = test::TopmostRowOfColor(image, x0, x1, kYellow);
    EXPECT_NEAR(y, pane.top() + pane.height() * -s.Value(band) / 100.0, 3.0) << hz;
  }
}

TEST(PlotScreenshot, TwoPanes) {
  test::TFakeSource source(test::MakeProcessing(2, 4096, kBothChannels), test::MakeScaling(1));
  ASSERT_TRUE(source.Ok());
  source.Feed(kTones, 4, 1e-4, 0.3);
  TOrvanePlot plot(&source);
  TSpectrumPlotOptions options;
  options.startFreqHz = 20.0f;
  options.stopFreqHz = 20000.0f;
  options.plotRange = 120.0f;
  options.showRmsLevel = 1;
  plot.SetOptions(options);
  const QSize size(1200, 700);
  const QImage image = Save(plot, "spectrum-two-panes.png", size);
  // The left channel above, the right (0.3 times the left, 10.5 dB lower) below.
  const QRect upper = plot.PaneRect(QRect(QPoint(), size), 0);
  const QRect lower = plot.PaneRect(QRect(QPoint(), size), 1);
  ExpectPeak(image, upper, *source.Primary(), 1000.0, ToneDb(0.25), 20.0, 20000.0, true);
  ExpectPeak(image, lower, *source.Secondary(), 1000.0, ToneDb(0.075), 20.0, 20000.0, true);
  // A small window keeps its labels legible.
  Save(plot, "spectrum-small.png", QSize(420, 300));
}

}  // namespace
}  // namespace orvanix
