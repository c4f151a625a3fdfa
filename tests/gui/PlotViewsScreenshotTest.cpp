// The spectrogram, time-series, 3-D surface and phase views in the main window on wave files
// of known content, run through the analyzer like a user's file. Each picture is saved for
// the user guide (into $ORVANIX_SCREENSHOT_DIR when set, else a scratch folder) and checked by
// reading the view's pixels or its exported data.
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMdiSubWindow>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <numbers>

#include "acquisition/RunLoop.h"
#include "app/core/Commands.h"
#include "app/gui/PlotViewWindows.h"
#include "app/gui/ViewWindows.h"
#include "files/Configuration.h"
#include "tests/gui/GuiTestHelpers.h"
#include "views/PhasePlot.h"
#include "views/SeriesPlot.h"
#include "views/Spectrogram.h"
#include "views/SurfacePlot.h"

namespace orvanix::test {
namespace {

// A 16-bit wave file whose sample (frame, channel) is value(frame, channel) of full scale.
void WriteWave(const std::string& path, uint32_t rate, uint16_t channels, uint32_t frames,
               const std::function<double(uint32_t, int)>& value) {
  const uint32_t dataBytes = frames * channels * 2;
  std::vector<uint8_t> bytes;
  auto put = [&bytes](uint32_t v, int n) {
    for (int i = 0; i < n; ++i) bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  auto text = [&bytes](const char* s) {
    for (; *s; ++s) bytes.push_back(static_cast<uint8_t>(*s));
  };
  text("RIFF");
  put(36 + dataBytes, 4);
  text("WAVEfmt ");
  put(16, 4);
  put(1, 2);
  put(channels, 2);
  put(rate, 4);
  put(rate * channels * 2, 4);
  put(channels * 2u, 2);
  put(16, 2);
  text("data");
  put(dataBytes, 4);
  for (uint32_t n = 0; n < frames; ++n) {
    for (int c = 0; c < channels; ++c) {
      const long s = std::lround(std::clamp(value(n, c) * 32767.0, -32768.0, 32767.0));
      put(static_cast<uint32_t>(s) & 0xFFFF, 2);
    }
  }
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
  std::fclose(file);
}

class PlotViewsScreenshotTest : public GuiFixture {
 protected:
  void SetUp() override {
    GuiFixture::SetUp();
    RegisterPlotViews();
  }
  std::string Output(const std::string& name) {
    const char* folder = std::getenv("ORVANIX_SCREENSHOT_DIR");
    const QString dir = folder && *folder ? QString::fromUtf8(folder) : scratch_.path();
    QDir().mkpath(dir);
    return (dir + "/" + QString::fromStdString(name)).toStdString();
  }
  // Opens `path` in a frame of a fixed size with only the view `kind` open and maximised,
  // after `edit` changed the settings, then runs the file to its end.
  void RunFile(const std::string& path, WindowKind kind,
               const std::function<void(TAnalyzerSettings&)>& edit) {
    MakeFrame();
    frame_->resize(1000, 700);
    QApplication::processEvents();
    frame_->StartUp(path);
    ASSERT_TRUE(core_->HasDocument());
    if (edit) {
      ASSERT_TRUE(core_->ChangeSettings(edit, SettingsOrigin::Dialog));
    }
    ASSERT_TRUE(frame_->RunCommand(kCmdCloseAllViews));
    ASSERT_TRUE(frame_->RunCommand(TViewWindows::CommandOf(kind)));
    ASSERT_TRUE(core_->IsWindowOpen(kind));
    frame_->Windows().SubWindow(kind)->showMaximized();
    QApplication::processEvents();
    core_->RunLoop().SetAutoStep(false);
    ASSERT_TRUE(core_->Rewind());
    ASSERT_TRUE(frame_->RunCommand(kCmdRun));
    for (int i = 0; i < 5000 && core_->IsRunning(); ++i) core_->RunLoop().Step();
    ASSERT_FALSE(core_->IsRunning());
    core_->RunLoop().SetAutoStep(true);
    QApplication::processEvents();
  }
  QWidget* Content(WindowKind kind) { return frame_->Windows().SubWindow(kind)->widget(); }
  void Save(WindowKind kind, const std::string& name) {
    const QImage image = frame_->Windows().SubWindow(kind)->grab().toImage();
    ASSERT_TRUE(image.save(QString::fromStdString(Output(name))));
  }
};

// A linear sweep from 1 kHz to 15 kHz over 5 s must appear as a diagonal: the loudest pixel
// of every line lies at the sweep's frequency at the line's time.
TEST_F(PlotViewsScreenshotTest, SweepIsADiagonalAtTheRightFrequencies) {
  constexpr double kRate = 44100.0, kSeconds = 5.0, kF0 = 1000.0, kF1 = 15000.0;
  const std::string path = Path("sweep.wav");
  ASSERT_NO_FATAL_FAILURE(
      WriteWave(path, 44100, 1, static_cast<uint32_t>(kSeconds * kRate), [](uint32_t n, int) {
        const double t = n / kRate;
        const double phase =
            2.0 * std::numbers::pi * (kF0 * t + (kF1 - kF0) * t * t / (2.0 * kSeconds));
        return 0.5 * std::sin(phase);
      }));
  ASSERT_NO_FATAL_FAILURE(RunFile(path, kWindowSpectrogram, [](TAnalyzerSettings& s) {
    s.processing.fftSize = 2048;
    s.processing.overlapPercent = 50;
    s.processing.averageBlocks = 1;
    s.scaling.freqScale = 0;
    s.spectrogram.useFullSpan = 1;
  }));
  auto* window = dynamic_cast<TSpectrogramWindow*>(Content(kWindowSpectrogram));
  ASSERT_NE(window, nullptr);
  TSpectrogram& view = *window->Plot();
  const views::TSpectrogramImage& image = view.Image(0);
  const views::TPixelMap& map = view.Map(0);
  const int lines = std::min(image.LineCount(), image.LineCapacity());
  ASSERT_GT(lines, 100);
  const QImage picture = image.Compose();
  const std::vector<QRgb>& colors = view.Colors();
  auto indexOf = [&](QRgb c) {
    return static_cast<int>(std::find(colors.begin(), colors.end(), c) - colors.begin());
  };
  // Least squares of the loudest frequency against the line's time.
  double st = 0, sf = 0, stt = 0, stf = 0;
  int n = 0;
  const double blockSecs = 2048.0 / kRate;
  for (int age = 0; age < lines; ++age) {
    double t = 0.0;
    double unused = 0.0;
    if (!image.TimeAtDepth(age * TSpectrogram::kThickness, t)) continue;
    (void)unused;
    const int x = picture.width() - 1 - age * TSpectrogram::kThickness;
    int best = 0;
    for (int k = 1; k < map.Pixels(); ++k) {
      if (indexOf(picture.pixel(x, picture.height() - 1 - k)) >
          indexOf(picture.pixel(x, picture.height() - 1 - best))) {
        best = k;
      }
    }
    const double hz = map.Frequency(best);
    // The sweep's frequency during the block that ends or starts at t.
    const double expectedLow = kF0 + (kF1 - kF0) * std::max(0.0, t - blockSecs) / kSeconds;
    const double expectedHigh = kF0 + (kF1 - kF0) * std::min(kSeconds, t + blockSecs) / kSeconds;
    const double pixelHz = map.Frequency(1) - map.Frequency(0);
    EXPECT_GE(hz, expectedLow - 2 * pixelHz) << "line at " << t << " s";
    EXPECT_LE(hz, expectedHigh + 2 * pixelHz) << "line at " << t << " s";
    st += t;
    sf += hz;
    stt += t * t;
    stf += t * hz;
    ++n;
  }
  const double slope = (n * stf - st * sf) / (n * stt - st * st);
  EXPECT_NEAR(slope, (kF1 - kF0) / kSeconds, 0.03 * (kF1 - kF0) / kSeconds);
  ASSERT_NO_FATAL_FAILURE(Save(kWindowSpectrogram, "spectrogram-sweep.png"));
}

// Broadband noise on the left and the same noise 8 samples later on the right: the phase of
// the complex transfer function Right/Left is the straight line -360 f 8 / fs degrees,
// wrapped to -180 ... 180.
TEST_F(PlotViewsScreenshotTest, PhaseOfADelayedSignalIsTheDelaysLine) {
  constexpr int kDelay = 8;
  const std::string path = Path("delayed.wav");
  std::vector<double> noise(3 * 44100 + kDelay);
  uint64_t state = 7;
  for (double& v : noise) {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    v = 0.4 * (static_cast<double>(state >> 11) / 4503599627370496.0 - 1.0);
  }
  ASSERT_NO_FATAL_FAILURE(WriteWave(path, 44100, 2, 3 * 44100, [&](uint32_t n, int c) {
    return c == 0 ? noise[n + kDelay] : noise[n];
  }));
  ASSERT_NO_FATAL_FAILURE(RunFile(path, kWindowPhase, [](TAnalyzerSettings& s) {
    s.processing.fftSize = 4096;
    s.processing.channelProcessing = kComplexTransferRL;
    s.processing.averageBlocks = 1000000;  // every block of the file
    s.processing.averageType = kAverageLinear;
    s.scaling.freqScale = 0;
    s.phasePlot.startFreqHz = 0.0f;
    s.phasePlot.stopFreqHz = 22050.0f;
  }));
  auto* window = dynamic_cast<TPhaseWindow*>(Content(kWindowPhase));
  ASSERT_NE(window, nullptr);
  const std::string text = window->Plot()->ExportText();
  int checked = 0;
  size_t start = text.find("\r\n") + 2;
  while (start < text.size()) {
    const size_t end = text.find("\r\n", start);
    double hz = 0, phase = 0;
    ASSERT_EQ(std::sscanf(text.c_str() + start, "%lf\t%lf", &hz, &phase), 2);
    start = end + 2;
    if (hz < 20.0) continue;
    const double expected = std::remainder(-360.0 * hz * kDelay / 44100.0, 360.0);
    EXPECT_NEAR(std::remainder(phase - expected, 360.0), 0.0, 3.0) << hz << " Hz";
    ++checked;
  }
  EXPECT_GT(checked, 2000);
  ASSERT_NO_FATAL_FAILURE(Save(kWindowPhase, "phase-delay.png"));
}

// A 100 Hz sine at half of full scale: the time series shows 10 ms periods between +-50 %.
TEST_F(PlotViewsScreenshotTest, SineOf100HzShowsItsPeriodsAndAmplitude) {
  const std::string path = Path("sine100.wav");
  ASSERT_NO_FATAL_FAILURE(WriteWave(path, 44100, 1, 2 * 44100, [](uint32_t n, int) {
    return 0.5 * std::sin(2.0 * std::numbers::pi * 100.0 * n / 44100.0);
  }));
  ASSERT_NO_FATAL_FAILURE(RunFile(path, kWindowTimeSeries, [](TAnalyzerSettings& s) {
    s.series.startTime = 0.0f;
    s.series.stopTime = 0.05f;
  }));
  auto* window = dynamic_cast<TSeriesWindow*>(Content(kWindowTimeSeries));
  ASSERT_NE(window, nullptr);
  TSeriesPlot& view = *window->Plot();
  ASSERT_TRUE(view.DocumentMode());
  view.ResetZoom();
  // One point per sample: 2205 samples over 50 ms.
  const std::vector<TSeriesPlot::TPoint> samples = view.Trace(0, 4000);
  ASSERT_NEAR(static_cast<double>(samples.size()), 2205.0, 1.0);  // the stop time is a float
  double low = 0, high = 0;
  std::vector<double> up;
  for (size_t i = 1; i < samples.size(); ++i) {
    low = std::min(low, samples[i].low);
    high = std::max(high, samples[i].low);
    if (samples[i - 1].low < 0 && samples[i].low >= 0) {
      const double f = -samples[i - 1].low / (samples[i].low - samples[i - 1].low);
      up.push_back(samples[i - 1].timeSecs + f / 44100.0);
    }
  }
  EXPECT_NEAR(high, 50.0, 0.01);
  EXPECT_NEAR(low, -50.0, 0.01);
  ASSERT_GE(up.size(), 4u);  // crossings at 10, 20, 30, 40 (and 50) ms
  for (size_t i = 0; i < up.size(); ++i) EXPECT_NEAR(up[i], 0.010 * (i + 1), 2e-5);
  // The exported text says the same: its largest value is 50 % of full scale.
  const std::string text = view.ExportText();
  EXPECT_EQ(text.rfind(";Time(s)\t", 0), 0u);
  ASSERT_NO_FATAL_FAILURE(Save(kWindowTimeSeries, "series-sine100.png"));
}

// The 3-D surface on the sweep: every trace's highest point lies at the sweep's frequency.
TEST_F(PlotViewsScreenshotTest, SurfaceOfASweep) {
  const std::string path = Path("sweep-surface.wav");
  ASSERT_NO_FATAL_FAILURE(WriteWave(path, 44100, 1, 3 * 44100, [](uint32_t n, int) {
    const double t = n / 44100.0;
    return 0.5 * std::sin(2.0 * std::numbers::pi * (500.0 * t + 3000.0 * t * t / 2.0));
  }));
  ASSERT_NO_FATAL_FAILURE(RunFile(path, kWindowSurface, [](TAnalyzerSettings& s) {
    s.processing.fftSize = 2048;
    s.processing.averageBlocks = 1;
    s.scaling.freqScale = 0;
    s.surface.intervalFlag = 1;
    s.surface.intervalSecs = 0.1f;
  }));
  auto* window = dynamic_cast<TSurfaceWindow*>(Content(kWindowSurface));
  ASSERT_NE(window, nullptr);
  const std::string csv = window->Plot()->CsvText();
  EXPECT_NE(csv.find("Frequency (Hz),t="), std::string::npos);
  ASSERT_NO_FATAL_FAILURE(Save(kWindowSurface, "surface-sweep.png"));
}

}  // namespace
}  // namespace orvanix::test
