// The segment commands that fill the slice views: the spectrogram rebuilt from a selection
// across a change of tone (slice times and what each slice shows), Esc stopping a rebuild
// and keeping its slices, the resolution note, a click in the spectrogram showing the
// spectrum and time series at its time, 806's stretch, and a data link taking the click and
// the redisplay instead of the recording.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMdiArea>
#include <QMouseEvent>
#include <cmath>
#include <cstdio>
#include <vector>

#include "app/core/CoreModule.h"
#include "app/gui/PlotViewWindows.h"
#include "app/gui/ViewWindows.h"
#include "engine/ProcessingStep.h"
#include "files/Configuration.h"
#include "measure/MeasureModule.h"
#include "measure/MeasureWindows.h"
#include "measure/SegmentModule.h"
#include "tests/gui/GuiTestHelpers.h"
#include "tests/measure/app/MeasureViewsFixture.h"
#include "views/SeriesPlot.h"
#include "views/Spectrogram.h"

namespace orvanix {
namespace {

constexpr double kRate = 48000.0;

// Two seconds of 16-bit mono: 1 kHz for the first second, 4 kHz for the second, at half
// full scale.
void WriteToneChange(const std::string& path) {
  const uint32_t frames = 96000;
  std::vector<uint8_t> b;
  auto u32 = [&b](uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  auto u16 = [&b](uint16_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
  };
  b.insert(b.end(), {'R', 'I', 'F', 'F'});
  u32(36 + frames * 2);
  b.insert(b.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  u32(16), u16(1), u16(1), u32(48000), u32(96000), u16(2), u16(16);
  b.insert(b.end(), {'d', 'a', 't', 'a'});
  u32(frames * 2);
  for (uint32_t n = 0; n < frames; ++n) {
    const double hz = n < 48000 ? 1000.0 : 4000.0;
    u16(static_cast<uint16_t>(
        static_cast<int16_t>(std::lround(16000 * std::sin(2 * M_PI * hz * n / kRate)))));
  }
  FILE* f = std::fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fwrite(b.data(), 1, b.size(), f);
  std::fclose(f);
}

// Frequency of the largest value of a slice's primary trace.
double PeakHz(const TTrace& trace) {
  size_t best = 0;
  for (size_t i = 1; i < trace.values.size(); ++i) {
    if (trace.values[i] > trace.values[best]) best = i;
  }
  return trace.values.empty() ? 0.0 : trace.frequencies[best];
}

class SegmentSlicesTest : public test::MeasureViewsFixture {
 protected:
  void SetUp() override {
    MeasureViewsFixture::SetUp();
    const std::string path = Path("change.wav");
    WriteToneChange(path);
    ASSERT_TRUE(core_->OpenWave(path));
  }
  void UseFft(int32_t size) {
    core_->ChangeSettings([size](TAnalyzerSettings& s) { s.processing.fftSize = size; },
                          SettingsOrigin::Outside);
  }
  TSpectrogram* OpenSpectrogram() {
    if (!frame_->Windows().IsOpen(kWindowSpectrogram)) frame_->RunCommand(kCmdViewSpectrogram);
    TChildWindow* child = frame_->Windows().SubWindow(kWindowSpectrogram);
    if (!child) return nullptr;
    child->resize(500, 300);
    TUiContext context = core_->UiContext();
    context.activeWindow = kWindowSpectrogram;
    core_->SetUiContext(context);
    auto* window = qobject_cast<TSpectrogramWindow*>(child->widget());
    return window ? window->Plot() : nullptr;
  }
  TSeriesPlot* SeriesPlot() {
    TChildWindow* child = frame_->Windows().SubWindow(kWindowTimeSeries);
    auto* window = child ? qobject_cast<TSeriesWindow*>(child->widget()) : nullptr;
    return window ? window->Plot() : nullptr;
  }
  bool Finished() {
    return test::WaitFor([this] { return !core_->LongOperationRunning(); });
  }
  // The spectrogram rebuilt from 0.5 ... 1.5 s at FFT 1024, or nullptr.
  TSpectrogram* SpectrogramOfTheSelection() {
    UseFft(1024);
    TSpectrogram* view = OpenSpectrogram();
    if (!view) return nullptr;
    core_->SetSelection(0.5, 1.5);
    return core_->Execute(kCmdSegmentSpectrogram) && Finished() ? view : nullptr;
  }
  static int ValidSlices(TSpectrogram& view) {
    int valid = 0;
    for (int n = 0; n < view.Store().Count(); ++n) valid += view.Store().Slice(n).valid ? 1 : 0;
    return valid;
  }
};

TEST_F(SegmentSlicesTest, RebuildFromTheSelectionPutsEachSliceAtItsTime) {
  TSpectrogram* view = SpectrogramOfTheSelection();
  ASSERT_NE(view, nullptr);
  const int slices = view->Slices();
  ASSERT_GT(slices, 20);
  ASSERT_EQ(view->Store().Count(), slices);
  EXPECT_EQ(ValidSlices(*view), slices);
  // Slice S - 1 (the earliest) reads from half a block before the start, so it is stamped
  // with the start itself; each later one m / S samples on.
  const double step = std::floor(48000.0 / slices) / kRate;
  for (int n = 0; n < slices; ++n) {
    const TTraceSlice& slice = view->Store().Slice(n);
    ASSERT_NEAR(slice.timeSecs, 0.5 + (slices - 1 - n) * step, 1e-9) << n;
    // Blocks wholly before the change show 1 kHz, wholly after it 4 kHz.
    const double blockSecs = 1024 / kRate;
    if (slice.timeSecs + blockSecs / 2 < 1.0) {
      EXPECT_NEAR(PeakHz(slice.primary), 1000.0, 47.0) << n;
    } else if (slice.timeSecs - blockSecs / 2 > 1.0) {
      EXPECT_NEAR(PeakHz(slice.primary), 4000.0, 47.0) << n;
    }
  }
  EXPECT_EQ(core_->Status().progressPercent, -1);
  // A later processed block (an average over the segment) adds no line to the rebuilt
  // picture; a run starts a new one.
  ASSERT_TRUE(core_->Execute(kCmdSegmentAverageSpectrum));
  EXPECT_EQ(ValidSlices(*view), slices);
  EXPECT_NEAR(view->Store().Slice(slices - 1).timeSecs, 0.5, 1e-9);
}

TEST_F(SegmentSlicesTest, EscStopsTheRebuildAndKeepsTheSlicesMade) {
  UseFft(65536);  // long blocks: the rebuild takes many passes of the event loop
  TSpectrogram* view = OpenSpectrogram();
  ASSERT_NE(view, nullptr);
  core_->SetSelection(0.0, 2.0);
  ASSERT_TRUE(core_->Execute(kCmdSegmentSpectrogram));
  ASSERT_TRUE(core_->LongOperationRunning());
  ASSERT_TRUE(test::WaitFor([&] { return ValidSlices(*view) >= 3; }));
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(frame_.get(), &esc);
  ASSERT_TRUE(Finished());
  const int made = ValidSlices(*view);
  EXPECT_GE(made, 3);
  EXPECT_LT(made, view->Slices());
  // The slices made are the earliest ones, from slice S - 1 down.
  EXPECT_TRUE(view->Store().Slice(view->Slices() - 1).valid);
  EXPECT_FALSE(view->Store().Slice(0).valid);
  EXPECT_EQ(core_->Status().progressPercent, -1);
}

TEST_F(SegmentSlicesTest, ASegmentShorterThanTheSlicesGivesTheResolutionNote) {
  UseFft(1024);
  TSpectrogram* view = OpenSpectrogram();
  ASSERT_NE(view, nullptr);
  ASSERT_GT(view->Slices(), 100);
  core_->SetSelection(0.5, 0.5 + 100 / kRate);
  sink_.Clear();
  ASSERT_TRUE(core_->Execute(kCmdSegmentSpectrogram));
  ASSERT_TRUE(Finished());
  EXPECT_TRUE(
      sink_.Contains("Note: You have reached the maximum time resolution that can be "
                     "produced with the current sampling rate"));
  // Step 1: one sample between slices.
  const int s = view->Slices();
  EXPECT_NEAR(view->Store().Slice(0).timeSecs - view->Store().Slice(s - 1).timeSecs,
              (s - 1) / kRate, 1e-9);
}

TEST_F(SegmentSlicesTest, AClickShowsTheSpectrumAndTimeSeriesAtItsTime) {
  TSpectrogram* view = SpectrogramOfTheSelection();
  ASSERT_NE(view, nullptr);
  // A click in the middle of the plot: a line of the second half or of the first.
  const QPoint centre = view->rect().center();
  QMouseEvent press(QEvent::MouseButtonPress, centre, view->mapToGlobal(centre), Qt::LeftButton,
                    Qt::LeftButton, Qt::NoModifier);
  QMouseEvent release(QEvent::MouseButtonRelease, centre, view->mapToGlobal(centre), Qt::LeftButton,
                      Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(view, &press);
  QApplication::sendEvent(view, &release);
  TSeriesPlot* series = SeriesPlot();
  ASSERT_NE(series, nullptr);
  const double clicked = series->StartSecs();
  EXPECT_GT(clicked, 0.5);
  EXPECT_LT(clicked, 1.5);
  EXPECT_NEAR(series->StopSecs() - clicked, 1024 / kRate, 1e-6);
  // The spectrum holds the one block around the clicked time, the averaging as set again.
  const TSpectralData& left = *core_->Engine().left;
  EXPECT_NEAR(left.BinFrequency(left.PeakBin()), clicked < 1.0 ? 1000.0 : 4000.0, 47.0);
  EXPECT_EQ(left.AveragingBlocks(),
            static_cast<uint32_t>(core_->Settings().processing.averageBlocks));
  EXPECT_TRUE(frame_->Windows().IsOpen(kWindowSpectrum));
  EXPECT_EQ(frame_->MdiArea()->activeSubWindow(), frame_->Windows().SubWindow(kWindowSpectrogram));

  // At a known time through the core: 1.25 s is well inside the 4 kHz half.
  core_->ShowAtTime(kWindowSpectrogram, 1.25);
  EXPECT_NEAR(left.BinFrequency(left.PeakBin()), 4000.0, 47.0);
  EXPECT_NEAR(series->StartSecs(), 1.25, 1e-9);
  core_->ShowAtTime(kWindowSpectrogram, 0.25);
  EXPECT_NEAR(left.BinFrequency(left.PeakBin()), 1000.0, 47.0);

  // 806 with an empty selection: one block from its start.
  core_->SetSelection(0.7, 0.7);
  ASSERT_TRUE(core_->Execute(kCmdSegmentTimeSeries));
  EXPECT_NEAR(series->StartSecs(), 0.7, 1e-9);
  EXPECT_NEAR(series->StopSecs(), 0.7 + 1024 / kRate, 1e-9);
}

TEST_F(SegmentSlicesTest, ADataLinkTakesTheClickAndTheRedisplay) {
  struct TLink : TSliceSource {
    std::vector<std::pair<int32_t, double>> shown;
    std::vector<int32_t> redisplayed;
    void RedisplaySlices(int32_t kind) override { redisplayed.push_back(kind); }
    void ShowAtTime(int32_t kind, double t) override { shown.push_back({kind, t}); }
  } link;
  UseFft(1024);
  ASSERT_NE(OpenSpectrogram(), nullptr);
  core_->SetLinkedData(&link);
  core_->ShowAtTime(kWindowSpectrogram, 1.25);
  core_->RedisplaySlices(kWindowSurface);
  ASSERT_EQ(link.shown.size(), 1u);
  EXPECT_EQ(link.shown[0].first, kWindowSpectrogram);
  EXPECT_DOUBLE_EQ(link.shown[0].second, 1.25);
  EXPECT_EQ(link.redisplayed, std::vector<int32_t>{kWindowSurface});
  // The recording was not read: the spectrum is still empty and the time series closed.
  EXPECT_EQ(core_->Engine().left->AverageCount(), 0u);
  EXPECT_FALSE(frame_->Windows().IsOpen(kWindowTimeSeries));
  core_->SetLinkedData(nullptr);
  core_->ShowAtTime(kWindowSpectrogram, 1.25);
  EXPECT_EQ(link.shown.size(), 1u);
  EXPECT_TRUE(frame_->Windows().IsOpen(kWindowTimeSeries));
}

}  // namespace
}  // namespace orvanix
