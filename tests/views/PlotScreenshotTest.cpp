// Renders the spectrum view on a synthetic multi-tone signal in its main forms: linear and
// logarithmic frequency axes, 1/3-octave bars and two panes. The images go to the folder in
// ORVANIX_SCREENSHOT_DIR when it is set (the documentation's pictures are made this way),
// else to a temporary folder; the test checks that each image holds a drawn trace.
#include <gtest/gtest.h>

#include <QImage>
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

// Pixels of the trace colour (yellow by default) in the image.
int TracePixels(const QImage& image) {
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QRgb p = image.pixel(x, y);
      if (qRed(p) > 200 && qGreen(p) > 200 && qBlue(p) < 80) ++count;
    }
  }
  return count;
}

void Save(TOrvanePlot& plot, const std::string& name, QSize size = QSize(1200, 700)) {
  // ORVANIX_SCREENSHOT_DPR renders for a HiDPI screen (e.g. 2).
  const char* ratio = std::getenv("ORVANIX_SCREENSHOT_DPR");
  const QImage image = plot.RenderImage(size, ratio ? std::atof(ratio) : 1.0);
  const std::string path = OutputFolder() + "/" + name;
  ASSERT_TRUE(image.save(QString::fromStdString(path), "PNG")) << path;
  EXPECT_GT(TracePixels(image), size.width() / 3) << name;
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
  Save(plot, "spectrum-linear.png");
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
  Save(plot, "spectrum-log.png");
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
  Save(plot, "spectrum-octave.png");
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
  Save(plot, "spectrum-two-panes.png");
  // A small window keeps its labels legible.
  Save(plot, "spectrum-small.png", QSize(420, 300));
}

}  // namespace
}  // namespace orvanix
