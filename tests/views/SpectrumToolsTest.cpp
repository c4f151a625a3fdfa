// The spectrum view's tools: peak search with interpolation, arrow keys bin by bin, wheel
// zoom and its way back, markers snapped to peaks and the CSV export.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QWheelEvent>
#include <cmath>

#include "ViewTestHelpers.h"
#include "views/OrvanePlot.h"
#include "views/SpectrumTools.h"

namespace orvanix {
namespace {

TEST(SpectrumTools, PeakSearchArrowsZoomMarkersAndCsv) {
  ProcessingSettings p = test::MakeProcessing(1, 4096, kLeftOnly);
  test::TFakeSource source(p, test::MakeScaling(0));
  ASSERT_TRUE(source.Ok());
  const double binHz = 44100.0 / 4096.0;
  const double toneHz = 114.3 * binHz;  // between bins 114 and 115
  source.Feed({{toneHz, 0.5}, {3000.0, 0.05}}, 1, 1e-5);
  TOrvanePlot plot(&source);
  TSpectrumPlotOptions o;
  o.startFreqHz = 0.0f;
  o.stopFreqHz = 5000.0f;
  plot.SetOptions(o);
  plot.resize(800, 400);
  TSpectrumTools tools(&plot, &source);

  ASSERT_TRUE(tools.PeakSearch(false));
  EXPECT_NEAR(plot.CursorHz(), 114 * binHz, 1e-3);  // the cursor on the peak bin
  double hz = 0.0, level = 0.0;
  ASSERT_EQ(std::sscanf(tools.PeakText().c_str(), "Peak 1: %lf Hz, %lf", &hz, &level), 2);
  EXPECT_NEAR(hz, toneHz, 0.05 * binHz);  // interpolated between the bins
  ASSERT_TRUE(tools.PeakSearch(true));
  EXPECT_NEAR(plot.CursorHz(), 3000.0, binHz);

  // Right arrow: one bin on.
  const double before = plot.CursorHz();
  QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
  QApplication::sendEvent(&plot, &right);
  EXPECT_NEAR(plot.CursorHz() - before, binHz, 1e-3);

  // The wheel zooms the frequency axis about the mouse; Home goes back.
  const QRect pane = plot.PaneRect(plot.rect(), 0);
  const QPointF at(pane.center());
  QWheelEvent wheel(at, plot.mapToGlobal(at), QPoint(), QPoint(0, 240), Qt::NoButton,
                    Qt::ShiftModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&plot, &wheel);
  EXPECT_TRUE(plot.Zoomed());
  EXPECT_NEAR(plot.StopHz() - plot.StartHz(), 5000.0 / 1.5625, 1.0);
  QKeyEvent home(QEvent::KeyPress, Qt::Key_Home, Qt::NoModifier);
  QApplication::sendEvent(&plot, &home);
  EXPECT_FALSE(plot.Zoomed());

  // Markers snap to the nearest of the highest peaks.
  TMarkerSettings markers;
  markers.enable[0] = 1;
  markers.freqHz[0] = 1000.0f;
  markers.enable[1] = 1;
  markers.freqHz[1] = 2800.0f;
  plot.SetMarkers(markers);
  const TMarkerSettings snapped = tools.SnappedMarkers();
  EXPECT_NEAR(snapped.freqHz[0], toneHz, 0.05 * binHz);
  EXPECT_NEAR(snapped.freqHz[1], 3000.0, 0.1 * binHz);
  EXPECT_EQ(snapped.freqHz[2], markers.freqHz[2]);  // disabled markers stay

  const std::string csv = tools.CsvText();
  EXPECT_EQ(csv.rfind("Freq(Hz),", 0), 0u);
  EXPECT_EQ(csv.find('\t'), std::string::npos);
  EXPECT_EQ(csv.find('\r'), std::string::npos);
}

}  // namespace
}  // namespace orvanix
