// All five plot views open while the analyzer runs through a stereo file, and the FFT size and
// channel mode change under them: every view follows the new spectra (the phase view's
// exported rows are the new bins, the spectrogram's newest line has the tone where the new
// bins put it) and draws at tiny sizes and at a device pixel ratio of 2.
#include <QApplication>
#include <QMdiSubWindow>
#include <algorithm>
#include <cmath>
#include <sstream>

#include "acquisition/RunLoop.h"
#include "app/core/Commands.h"
#include "app/gui/PlotViewWindows.h"
#include "app/gui/SpectrumWindow.h"
#include "app/gui/ViewWindows.h"
#include "files/Configuration.h"
#include "tests/gui/GuiTestHelpers.h"
#include "views/OrvanePlot.h"
#include "views/PhasePlot.h"
#include "views/SeriesPlot.h"
#include "views/Spectrogram.h"
#include "views/SurfacePlot.h"

namespace orvanix::test {
namespace {

constexpr WindowKind kViews[] = {kWindowTimeSeries, kWindowSpectrum, kWindowPhase,
                                 kWindowSpectrogram, kWindowSurface};

class PlotViewsLiveTest : public GuiFixture {
 protected:
  void SetUp() override {
    GuiFixture::SetUp();
    RegisterPlotViews();
  }
  TPlotBase* Plot(WindowKind kind) {
    QWidget* content = frame_->Windows().SubWindow(kind)->widget();
    if (auto* w = dynamic_cast<TSpectrogramWindow*>(content)) return w->Plot();
    if (auto* w = dynamic_cast<TPhaseWindow*>(content)) return w->Plot();
    if (auto* w = dynamic_cast<TSeriesWindow*>(content)) return w->Plot();
    if (auto* w = dynamic_cast<TSurfaceWindow*>(content)) return w->Plot();
    if (auto* w = dynamic_cast<TSpectrumWindow*>(content)) return w->Plot();
    return nullptr;
  }
  void Steps(int blocks) {
    const uint64_t until = core_->BlockCount() + blocks;
    for (int i = 0; i < 20 * blocks && core_->IsRunning() && core_->BlockCount() < until; ++i) {
      core_->RunLoop().Step();
    }
    QApplication::processEvents();
  }
  // The spacing of the phase view's exported rows (the header line aside): its bin width.
  double PhaseRowSpacingHz() {
    auto* phase = dynamic_cast<TPhasePlot*>(Plot(kWindowPhase));
    std::istringstream csv(phase->CsvText());
    std::string header, first, second;
    if (!std::getline(csv, header) || !std::getline(csv, first) || !std::getline(csv, second)) {
      return 0.0;
    }
    return std::stod(second) - std::stod(first);
  }
  void DrawEveryViewSmallAndSharp() {
    for (WindowKind kind : kViews) {
      TPlotBase* plot = Plot(kind);
      ASSERT_NE(plot, nullptr) << kind;
      for (QSize size : {QSize(1, 1), QSize(3, 2), QSize(320, 200)}) {
        EXPECT_EQ(plot->RenderImage(size, 2.0).size(), size * 2) << kind;
      }
    }
  }
  // The frequency of the loudest pixel of the spectrogram's newest line.
  double SpectrogramPeakHz() {
    auto* view = dynamic_cast<TSpectrogram*>(Plot(kWindowSpectrogram));
    const QImage picture = view->Image(0).Compose();
    const views::TPixelMap& map = view->Map(0);
    const std::vector<QRgb>& colors = view->Colors();
    auto indexOf = [&](QRgb c) {
      return std::find(colors.begin(), colors.end(), c) - colors.begin();
    };
    // Newest line on the right, low frequencies at the bottom.
    const int x = picture.width() - 1;
    int best = 0;
    for (int k = 1; k < map.Pixels(); ++k) {
      if (indexOf(picture.pixel(x, picture.height() - 1 - k)) >
          indexOf(picture.pixel(x, picture.height() - 1 - best))) {
        best = k;
      }
    }
    pixelHz_ = std::abs(map.Frequency(std::min(best + 1, map.Pixels() - 1)) -
                        map.Frequency(std::max(best - 1, 0))) /
               2;
    return map.Frequency(best);
  }
  // Within two bins of `bins` Hz or two pixels of the last peak, whichever is coarser.
  double Tolerance(double binHz) const { return 2 * std::max(binHz, pixelHz_); }
  double pixelHz_ = 0.0;
};

TEST_F(PlotViewsLiveTest, FftSizeAndChannelModeChangeWhileRunning) {
  const std::string path = Path("tones.wav");
  WriteToneWave(path, 44100, 2, 44100 * 20, {{BinHz(93), 0.5, 0}, {BinHz(279), 0.25, 1}});
  WriteProgramSettings("[Settings]\nFFTsize=4096\nChannelProcessing=0\n");
  MakeFrame();
  frame_->resize(1000, 700);
  frame_->StartUp(path);
  ASSERT_TRUE(core_->HasDocument());
  for (WindowKind kind : kViews) {
    if (!core_->IsWindowOpen(kind)) {
      ASSERT_TRUE(frame_->RunCommand(TViewWindows::CommandOf(kind)));
    }
  }
  QApplication::processEvents();
  core_->RunLoop().SetAutoStep(false);
  ASSERT_TRUE(frame_->RunCommand(kCmdRun));
  Steps(6);
  ASSERT_TRUE(core_->IsRunning());
  EXPECT_NEAR(PhaseRowSpacingHz(), 44100.0 / 4096, 1e-3);
  const double peak4096 = SpectrogramPeakHz();
  EXPECT_NEAR(peak4096, BinHz(93), Tolerance(44100.0 / 4096));

  // A smaller FFT from outside a dialog: the run stops, the engine is rebuilt, it goes on.
  ASSERT_TRUE(core_->ChangeSettings([](TAnalyzerSettings& s) { s.processing.fftSize = 1024; },
                                    SettingsOrigin::Outside));
  ASSERT_TRUE(core_->IsRunning());
  Steps(6);
  EXPECT_NEAR(PhaseRowSpacingHz(), 44100.0 / 1024, 1e-3);
  const double peak1024 = SpectrogramPeakHz();
  EXPECT_NEAR(peak1024, BinHz(93), Tolerance(44100.0 / 1024));
  DrawEveryViewSmallAndSharp();

  // A dual-channel mode: the phase view now shows the cross spectrum.
  ASSERT_TRUE(core_->ChangeSettings(
      [](TAnalyzerSettings& s) { s.processing.channelProcessing = kCrossSpectrumLR; },
      SettingsOrigin::Outside));
  ASSERT_TRUE(core_->IsRunning());
  Steps(6);
  EXPECT_NEAR(PhaseRowSpacingHz(), 44100.0 / 1024, 1e-3);
  DrawEveryViewSmallAndSharp();
  core_->Stop();
  core_->RunLoop().SetAutoStep(true);
}

}  // namespace
}  // namespace orvanix::test
