// The commands that fill the time series with a computed series: the inverse FFT of the
// displayed spectrum from the spectrum view's pop-up gives the processed block back, the
// Hilbert envelope and Schroeder integration of a selection (the second acting in place on
// what the first showed), and the run loop dropping the series with its next block.
#include <gtest/gtest.h>

#include <QAction>
#include <QMdiArea>
#include <QMenu>
#include <cmath>

#include "app/core/CoreModule.h"
#include "app/gui/PlotViewWindows.h"
#include "app/gui/SpectrumWindow.h"
#include "app/gui/ViewWindows.h"
#include "engine/ProcessingStep.h"
#include "files/Configuration.h"
#include "measure/MeasureModule.h"
#include "measure/MeasureWindows.h"
#include "measure/SegmentModule.h"
#include "tests/gui/GuiTestHelpers.h"
#include "tests/measure/app/MeasureViewsFixture.h"
#include "views/OrvanePlot.h"
#include "views/SeriesPlot.h"

namespace orvanix {
namespace {

class SegmentSeriesTest : public test::MeasureViewsFixture {
 protected:
  void Open(const std::vector<test::Tone>& tones, double noise = 0.0) {
    const std::string path = Path("series.wav");
    test::WriteToneWave(path, 48000, 1, 48000, tones, noise);
    ASSERT_TRUE(core_->OpenWave(path));
  }
  void ActivateTimeSeries() {
    ASSERT_TRUE(frame_->Windows().IsOpen(kWindowTimeSeries) ||
                frame_->RunCommand(kCmdViewTimeSeries));
    TUiContext context = core_->UiContext();
    context.activeWindow = kWindowTimeSeries;
    core_->SetUiContext(context);
  }
};

TEST_F(SegmentSeriesTest, InverseFftOfTheSpectrumGivesTheBlockBack) {
  // Three tones inside the analysis span (what lies outside it the spectrum does not keep).
  Open({{1000.0, 0.3}, {3187.0, 0.2}, {7411.0, 0.1}});
  core_->ChangeSettings(
      [](TAnalyzerSettings& s) {
        s.processing.fftSize = 1024;
        s.processing.averageBlocks = 1;
        s.processing.smoothingWindow = 4;  // Hanning
      },
      SettingsOrigin::Outside);
  ASSERT_TRUE(frame_->RunCommand(kCmdViewSpectrum));
  ASSERT_TRUE(core_->SingleStep());
  ASSERT_TRUE(core_->WaitUntilStopped(20000));
  const TSeriesData& block = *core_->Engine().seriesLeft;
  std::vector<int32_t> raw(1024);
  int32_t peak = 0;
  for (uint32_t i = 0; i < 1024; ++i) {
    raw[i] = block.GetRaw(i);
    peak = std::max(peak, std::abs(raw[i]));
  }
  ASSERT_GT(peak, 10000);  // the block is the recording's, not silence

  // From the spectrum view's pop-up, as the user chooses it.
  TSpectrumWindow* spectrum = frame_->Windows().Spectrum();
  ASSERT_NE(spectrum, nullptr);
  std::unique_ptr<QMenu> menu = spectrum->Plot()->ContextMenu(0);
  QAction* inverse = test::FindItem(*menu, "&Inverse FFT");
  ASSERT_NE(inverse, nullptr);
  ASSERT_TRUE(inverse->isEnabled());
  inverse->trigger();

  const TComputedSeries* series = core_->ComputedSeries();
  ASSERT_NE(series, nullptr);
  EXPECT_EQ(series->kind, TComputedSeries::Kind::InverseFft);
  EXPECT_EQ(series->channels, 1);
  EXPECT_DOUBLE_EQ(series->rateHz, 48000.0);
  ASSERT_EQ(series->Count(), 1024u);
  // Where the Hanning window is above 5 % the division by it restores the block to within a
  // count or two of rounding; at its very ends the window is near zero and nothing is
  // recoverable.
  int compared = 0;
  for (uint32_t i = 0; i < 1024; ++i) {
    const double w = 0.5 - 0.5 * std::cos(2.0 * M_PI * i / 1024.0);
    if (w < 0.05) continue;
    ASSERT_NEAR(series->samples[0][i], raw[i], 3.0) << "sample " << i;
    ++compared;
  }
  EXPECT_GT(compared, 850);
  // The time series shows it, opened and active.
  TChildWindow* child = frame_->Windows().SubWindow(kWindowTimeSeries);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(frame_->MdiArea()->activeSubWindow(), child);
  auto* window = qobject_cast<TSeriesWindow*>(child->widget());
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(window->Plot()->ComputedMode());
  EXPECT_NEAR(window->Plot()->StopSecs() - window->Plot()->StartSecs(), 1024 / 48000.0, 1e-9);

  // Bandwidth and Q from the same pop-up answers in its message box.
  sink_.Clear();
  menu = spectrum->Plot()->ContextMenu(0);
  QAction* q = test::FindItem(*menu, "Bandwidth and &Q Factor");
  ASSERT_NE(q, nullptr);
  ASSERT_TRUE(q->isEnabled());
  q->trigger();
  ASSERT_EQ(sink_.Entries().size(), 1u);
  EXPECT_EQ(sink_.Entries()[0].caption, "Quality Factor");

  // The next block of the run loop resets the view: the series is gone.
  ASSERT_TRUE(core_->SingleStep());
  ASSERT_TRUE(core_->WaitUntilStopped(20000));
  EXPECT_EQ(core_->ComputedSeries(), nullptr);
  EXPECT_FALSE(window->Plot()->ComputedMode());
}

TEST_F(SegmentSeriesTest, EnvelopeOfTheSelectionThenSchroederOfTheEnvelopeInPlace) {
  Open({{1000.0, 0.5}});
  ActivateTimeSeries();
  // Without a selection: the message, and nothing computed.
  core_->ClearSelection();
  sink_.Clear();
  EXPECT_FALSE(core_->Execute(kCmdSegmentHilbert));
  EXPECT_TRUE(sink_.Contains("You must first select a time segment."));
  EXPECT_EQ(core_->ComputedSeries(), nullptr);

  core_->SetSelection(0.2, 0.4);
  ASSERT_TRUE(core_->Execute(kCmdSegmentHilbert));
  const TComputedSeries* series = core_->ComputedSeries();
  ASSERT_NE(series, nullptr);
  EXPECT_EQ(series->kind, TComputedSeries::Kind::Envelope);
  EXPECT_DOUBLE_EQ(series->startSecs, 0.2);
  ASSERT_EQ(series->Count(), 9600u);  // 0.2 s at 48 kHz
  // The envelope of a sine of half full scale is half full scale, away from the chunk edges.
  const double amplitude = 0.5 * 32767;
  for (size_t k = 500; k < 7700; k += 50) {
    ASSERT_NEAR(series->samples[0][k], amplitude, 0.01 * amplitude) << k;
  }

  // Schroeder now integrates the envelope shown, not the new selection: same start and
  // length; a constant envelope integrates backward into a straight line from full scale.
  core_->SetSelection(0.5, 0.6);
  ASSERT_TRUE(core_->Execute(kCmdSegmentSchroeder));
  series = core_->ComputedSeries();
  ASSERT_NE(series, nullptr);
  EXPECT_EQ(series->kind, TComputedSeries::Kind::Schroeder);
  EXPECT_DOUBLE_EQ(series->startSecs, 0.2);
  ASSERT_EQ(series->Count(), 9600u);
  EXPECT_EQ(series->samples[0][0], 32767);
  for (size_t k = 1000; k < 9600; k += 1000) {
    const double line = 32767.0 * (9600 - k) / 9600;
    ASSERT_NEAR(series->samples[0][k], line, 0.02 * 32767) << k;
  }
}

}  // namespace
}  // namespace orvanix
