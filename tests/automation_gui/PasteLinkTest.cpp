// Edit > Paste Link in the windowed program: the link read from the clipboard, the analyzer
// configured for the external program's spectra, the spectrum view showing them, and a click
// in it choosing the frequency of the RPM track.
#include <QClipboard>
#include <QGuiApplication>
#include <QMdiArea>
#include <QMimeData>
#include <QTest>
#include <cmath>
#include <cstdlib>
#include <vector>

#include "AutomationGuiFixture.h"
#include "app/gui/MainWin.h"
#include "app/gui/PlotViewWindows.h"
#include "app/gui/SpectrumWindow.h"
#include "app/gui/ViewWindows.h"
#include "automation/DataLinks.h"
#include "automation/LinkText.h"
#include "tests/publisher/ZavoPublisher.h"
#include "views/OrvanePlot.h"
#include "views/PlotScale.h"

namespace orvanix::test {
namespace {

class PasteLink : public AutomationGuiFixture {
 protected:
  void SetUp() override {
    ::setenv("XDG_RUNTIME_DIR", Path("").c_str(), 1);
    RegisterPlotViews();  // the time series that shows the RPM track
    AutomationGuiFixture::SetUp();
    std::string error;
    ASSERT_TRUE(publisher_.Listen(LinkSocketPath(kExternalService, error), error)) << error;
  }
  void TearDown() override {
    automation_->Links().Disconnect();
    AutomationGuiFixture::TearDown();
  }

  // What another program copies: the "Link" format (in the case that program chose) and,
  // for a multi-link, the text.
  void CopyLink(const char* format, const TLinkAddress& link, const std::string& text = {}) {
    auto* mime = new QMimeData;
    const std::string bytes = MakeLinkFormat(link);
    mime->setData(format, QByteArray(bytes.data(), qsizetype(bytes.size())));
    if (!text.empty()) mime->setText(QString::fromStdString(text));
    QGuiApplication::clipboard()->setMimeData(mime);
  }

  void PasteMultiLink() {
    const std::string test = TPublisherOptions{}.testName;
    CopyLink("Link", {kMultiLinkApplication, test, "Ch1"},
             "<<ZAVO>>RPM>>ZAVO|" + test + "!RPM;Ch1>>ZAVO|" + test + "!Ch1.Spectrum;Ch2>>ZAVO|" +
                 test + "!Ch2.Spectrum");
    ASSERT_TRUE(frame_->RunCommand(kCmdPasteLink));
    ASSERT_TRUE(WaitFor([&] { return core_->Settings().processing.fftSize == 1024; }, 5000));
  }

  TZavoPublisher publisher_;
};

TEST_F(PasteLink, EnabledOnlyWithALinkOnTheClipboardInRealTimeMode) {
  QGuiApplication::clipboard()->setText("just text");
  EXPECT_FALSE(frame_->CommandEnabled(kCmdPasteLink));
  CopyLink("link", {"ZAVO", "Signals", "Sine"});  // the format's name in any case
  EXPECT_TRUE(frame_->CommandEnabled(kCmdPasteLink));
  ASSERT_TRUE(frame_->RunCommand(kCmdModePostProcess));
  EXPECT_FALSE(frame_->CommandEnabled(kCmdPasteLink));
}

TEST_F(PasteLink, TheSpectrumViewShowsTheLinkedSpectra) {
  PasteMultiLink();
  ASSERT_TRUE(frame_->RunCommand(kCmdViewSpectrum));
  TSpectrumWindow* window = frame_->Windows().Spectrum();
  ASSERT_NE(window, nullptr);
  const uint64_t sets = automation_->Links().SetsTaken();
  publisher_.Publish();
  ASSERT_TRUE(WaitFor([&] { return automation_->Links().SetsTaken() > sets; }, 5000));
  const TOrvanePlot::TDataValues values = window->Plot()->DataValues();
  ASSERT_EQ(values.columns, 3);
  const double width = publisher_.LineWidthHz();
  // Order 20 of 600 rpm on the right, the 5 kHz line on the left, each as published.
  int found = 0;
  for (const auto& row : values.rows) {
    if (std::fabs(row[0] - 5 * width) < 1e-2) {
      EXPECT_NEAR(row[1], 0.0, 1e-6);
      EXPECT_NEAR(row[2], 0.5, 1e-6);
      ++found;
    }
    if (std::fabs(row[0] - 116 * width) < 1e-2) {
      EXPECT_NEAR(row[1], 0.2, 1e-6);
      EXPECT_NEAR(row[2], 0.0, 1e-6);
      ++found;
    }
  }
  EXPECT_EQ(found, 2);
}

TEST_F(PasteLink, AClickInTheSpectrumViewDrawsTheRpmTrackAtItsFrequency) {
  ASSERT_TRUE(frame_->RunCommand(kCmdViewSpectrum));
  TSpectrumWindow* window = frame_->Windows().Spectrum();
  ASSERT_NE(window, nullptr);
  TOrvanePlot* plot = window->Plot();
  // A left click at a frequency, placed by the plot's own scale, zoomed in around it so
  // that a pixel spans well under a line.
  auto click = [&](double hz) {
    ASSERT_TRUE(plot->ZoomTo(0.8 * hz, 1.2 * hz));
    const QRect pane = plot->PaneRect(plot->rect(), 0);
    views::TFrequencyScale scale;
    scale.Set(plot->StartHz(), plot->StopHz(), core_->Settings().scaling.freqScale != 0,
              pane.left(), pane.width());
    const QPoint at(int(std::lround(scale.X(hz))), pane.center().y());
    QTest::mouseClick(plot, Qt::LeftButton, Qt::NoModifier, at);
    ASSERT_TRUE(plot->CursorActive());
    // The cursor on the clicked line (it is pulled to the trace).
    EXPECT_NEAR(plot->CursorHz(), hz, publisher_.LineWidthHz() / 2);
  };
  auto step = [&] {
    const uint64_t sets = automation_->Links().SetsTaken();
    publisher_.Publish();
    ASSERT_TRUE(WaitFor([&] { return automation_->Links().SetsTaken() > sets; }, 5000));
  };
  // The left track from 600 rpm (sample 6) on; the right one stays empty at these lines.
  auto expectTrack = [&](size_t count, const std::vector<double>& left) {
    const TComputedSeries* track = core_->ComputedSeries();
    ASSERT_NE(track, nullptr);
    ASSERT_EQ(track->Count(), count);
    for (size_t i = 0; i < count; ++i) {
      EXPECT_NEAR(track->Value(0, i), i >= 6 && i - 6 < left.size() ? left[i - 6] : 0.0, 1e-6) << i;
      EXPECT_NEAR(track->Value(1, i), 0.0, 1e-6) << i;
    }
  };
  QMdiArea* area = frame_->MdiArea();

  // Without a link a click places the cursor and nothing else.
  click(5000);
  EXPECT_FALSE(frame_->Windows().IsOpen(kWindowTimeSeries));
  EXPECT_EQ(core_->ComputedSeries(), nullptr);

  PasteMultiLink();
  for (int n = 0; n < 3; ++n) step();  // 600, 700, 800 rpm
  // The 5 kHz line is in every trace; the time series opens in front to show its track.
  click(5000);
  EXPECT_NEAR(automation_->Links().LastTrackFrequency(), plot->CursorHz(), 1e-9);
  ASSERT_TRUE(frame_->Windows().IsOpen(kWindowTimeSeries));
  EXPECT_EQ(area->activeSubWindow(), frame_->Windows().SubWindow(kWindowTimeSeries));
  expectTrack(10, {0.2, 0.2, 0.2});

  // Once open it is redrawn where it is: the spectrum view, clicked again, stays in front,
  // also while the sets that follow extend the track (order 10 of 700 ... 900 rpm lies on
  // this line, of 600 rpm below it).
  click(10 * 800 / 60.0);
  EXPECT_EQ(area->activeSubWindow(), frame_->Windows().SubWindow(kWindowSpectrum));
  expectTrack(10, {0.0, 1.0, 1.0});
  step();  // 900 rpm
  EXPECT_EQ(area->activeSubWindow(), frame_->Windows().SubWindow(kWindowSpectrum));
  expectTrack(11, {0.0, 1.0, 1.0, 1.0});
}

}  // namespace
}  // namespace orvanix::test
