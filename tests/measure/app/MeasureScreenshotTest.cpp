// Pictures for the user guide, written into $ORVANIX_SCREENSHOT_DIR when it is set
// (docs/images): the frame with measurement windows beside the spectrum view, and the Data
// Logging Setup dialog. Without it they are only checked: every control of the dialog lies
// whole inside it, none over another, and each window's readout is what the core measures.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <cstdlib>

#include "app/core/CoreModule.h"
#include "app/gui/ViewWindows.h"
#include "files/Configuration.h"
#include "measure/AnalysisView.h"
#include "measure/DataLogDialog.h"
#include "measure/MeasureKinds.h"
#include "measure/MeasureModule.h"
#include "measure/MeasureWindows.h"
#include "tests/gui/GuiTestHelpers.h"

namespace orvanix {
namespace {

QImage Picture(QWidget& widget, const char* name) {
  const QImage image = widget.grab().toImage();
  if (const char* folder = std::getenv("ORVANIX_SCREENSHOT_DIR"); folder && *folder) {
    QDir().mkpath(QString::fromUtf8(folder));
    image.save(QString::fromUtf8(folder) + "/" + QString::fromUtf8(name));
  }
  return image;
}

class MeasureScreenshotTest : public test::GuiFixture {
 protected:
  void SetUp() override {
    GuiFixture::SetUp();
    RegisterMeasureModule();
    RegisterMeasureWindows();
  }
};

TEST_F(MeasureScreenshotTest, FrameWithMeasurementWindowsBesideTheSpectrum) {
  MakeFrame();
  InstallModules(*core_);
  frame_->resize(1000, 640);
  // 1 kHz at half full scale with a 2nd harmonic at -40 dB and a 3rd at -46 dB.
  const std::string path = Path("distorted.wav");
  test::WriteToneWave(path, 48000, 1, 48000 * 2, {{1000.0, 0.5}, {2000.0, 0.005}, {3000.0, 0.0025}},
                      0.00002);
  ASSERT_TRUE(core_->OpenWave(path));
  core_->ChangeSettings(
      [](TAnalyzerSettings& s) {
        s.processing.fftSize = 8192;
        s.processing.smoothingWindow = 2;  // Flat top
        s.processing.averageType = kAverageLinear;
        s.processing.averageBlocks = 1000;
        s.scaling.ampScale = 1;
      },
      SettingsOrigin::Outside);
  ASSERT_TRUE(frame_->RunCommand(kCmdViewSpectrum));
  const int32_t commands[] = {kCmdThd,           kCmdThdN,          kCmdSnr,
                              kCmdPeakFrequency, kCmdPeakAmplitude, kCmdTotalPower};
  for (int32_t command : commands) ASSERT_TRUE(frame_->RunCommand(command));
  TViewWindows& windows = frame_->Windows();
  windows.SubWindow(kWindowSpectrum)->setGeometry(0, 0, 640, 520);
  int y = 0;
  for (WindowKind kind : {kWindowThd, kWindowThdN, kWindowSnr, kWindowPeakFrequency,
                          kWindowPeakAmplitude, kWindowTotalPower}) {
    QMdiSubWindow* window = windows.SubWindow(kind);
    ASSERT_NE(window, nullptr);
    window->setGeometry(650, y, 220, 80);
    y += 84;
  }
  ASSERT_TRUE(core_->Start());
  ASSERT_TRUE(core_->WaitUntilStopped(20000));
  test::WaitFor([] { return false; }, 300);
  // The pictured windows read the signal's closed forms: THD = sqrt(0.01^2 + 0.005^2).
  auto* thd = dynamic_cast<TAnalysisView*>(windows.SubWindow(kWindowThd)->widget());
  ASSERT_NE(thd, nullptr);
  EXPECT_NEAR(std::stod(thd->Lines().line[0]), 1.118, 0.005);
  auto* peak = dynamic_cast<TAnalysisView*>(windows.SubWindow(kWindowPeakFrequency)->widget());
  ASSERT_NE(peak, nullptr);
  EXPECT_EQ(peak->Lines().line[0], "1001.95 Hz");
  const QImage image = Picture(*frame_, "measurements.png");
  EXPECT_EQ(image.width(), frame_->width() * image.devicePixelRatio());
}

TEST_F(MeasureScreenshotTest, DataLoggingSetupLaysOutItsControls) {
  TLoggingSettings settings;
  settings.useFullSpan = 0;
  settings.stopFreqHz = 5000.f;
  TDataLogDialog dialog(nullptr, settings, 24000.f, QString());
  dialog.show();
  test::WaitFor([] { return false; }, 100);
  const QImage image = Picture(dialog, "dialog-data-logging.png");
  const QRect picture(QPoint(0, 0), image.size() / image.devicePixelRatio());
  std::vector<std::pair<QWidget*, QRect>> controls;
  for (QWidget* child : dialog.findChildren<QWidget*>()) {
    if (!child->isVisibleTo(&dialog)) continue;
    if (!(qobject_cast<QLineEdit*>(child) || qobject_cast<QComboBox*>(child) ||
          qobject_cast<QAbstractButton*>(child)) ||
        qobject_cast<QComboBox*>(child->parentWidget())) {
      continue;
    }
    controls.emplace_back(child, QRect(child->mapTo(&dialog, QPoint(0, 0)), child->size()));
  }
  ASSERT_GE(controls.size(), 18u);
  for (size_t i = 0; i < controls.size(); ++i) {
    EXPECT_TRUE(picture.contains(controls[i].second)) << i;
    EXPECT_GE(controls[i].second.width(), controls[i].first->minimumSizeHint().width()) << i;
    for (size_t j = i + 1; j < controls.size(); ++j) {
      EXPECT_FALSE(controls[i].second.intersects(controls[j].second)) << i << " and " << j;
    }
  }
}

}  // namespace
}  // namespace orvanix
