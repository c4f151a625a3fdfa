// The reverberation window on a frame: a stored decay file shown as bars, decay and surface,
// the lists and a click on a bar, the clipboard text, the options dialog and its check, the
// frame's printing of the plot, and a measurement through the Loopback device started with
// Start, cancelled with Esc, and closed with its unsaved-data question.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>
#include <cmath>
#include <cstring>

#include "acquisition/LoopbackDevice.h"
#include "acquisition/SoundPort.h"
#include "acquisition/SoundTexts.h"
#include "app/core/Commands.h"
#include "app/gui/ViewWindows.h"
#include "files/Configuration.h"
#include "tests/gui/GuiTestHelpers.h"
#include "utilities/ReverbOptsDialog.h"
#include "utilities/ReverbPlotWindow.h"
#include "utilities/ReverbWindow.h"
#include "utilities/RoomHelpers.h"
#include "utilities/UtilitiesModule.h"

namespace orvanix {
namespace {

constexpr double kStep = 409.0 / 44100.0;
constexpr uint32_t kFrames = 300;
// Two bands and the wideband entry: 500 Hz falls at 60 dB/s for its first 10 dB and at
// 30 dB/s after (so that RT-10 and RT-20 read it differently), 1 kHz at 30 dB/s, the
// wideband entry at 45 dB/s.
constexpr float kFrequencies[3] = {500.0f, 1000.0f, kReverbWideband};

float FrameTime(uint32_t k) {
  return static_cast<float>(k * kStep);
}

float Level(int band, float t) {
  if (t == 0.0f) return 0.0f;
  if (band == 0) return t * 60.0f <= 10.0f ? -60.0f * t : -10.0f - 30.0f * (t - 1.0f / 6.0f);
  return band == 1 ? -30.0f * t : -45.0f * t;
}

// The first frame time at which `band` has fallen by `db`.
double FirstTimeOfDrop(int band, double db) {
  for (uint32_t k = 0; k < kFrames; ++k) {
    if (-Level(band, FrameTime(k)) >= db) return FrameTime(k);
  }
  return -1;
}

void Click(QWidget* widget, const QPoint& at) {
  QMouseEvent press(QEvent::MouseButtonPress, QPointF(at), widget->mapToGlobal(QPointF(at)),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(widget, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, QPointF(at), widget->mapToGlobal(QPointF(at)),
                      Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(widget, &release);
}

void WhenModal(std::function<void(QDialog*)> drive) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, drive] {
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
      timer->stop();
      timer->deleteLater();
      drive(dialog);
    }
  });
  timer->start(10);
}

class ReverbWindowTest : public test::GuiFixture {
 protected:
  void SetUp() override {
    GuiFixture::SetUp();
    RegisterReverbWindow();
  }
  void TearDown() override {
    TLoopbackDevice::Instance().SetSettings(TLoopbackSettings{});
    GuiFixture::TearDown();
  }

  void Frame(const std::string& settings = "[ReverbOpts]\nSmoothingMethod=0\n") {
    WriteProgramSettings(settings);
    MakeFrame();
    core_->AddModule(std::make_unique<TUtilitiesModule>(*core_));
    module_ = core_->FindModule<TUtilitiesModule>(TUtilitiesModule::kName);
    ASSERT_TRUE(frame_->RunCommand(kCmdReverberation));
    QMdiSubWindow* sub = frame_->Windows().SubWindow(kWindowReverb);
    ASSERT_NE(sub, nullptr);
    sub->resize(760, 480);
    window_ = dynamic_cast<TReverbWindow*>(sub->widget());
    ASSERT_NE(window_, nullptr);
  }

  // A decay file written through the data's own writer from straight decays.
  std::string WriteDecays() {
    TReverbData data;
    data.Reset(TReverbTiming::For(3));
    for (uint32_t k = 0; k < kFrames; ++k) {
      ReverbFrame& f = data.Frames()[k];
      for (int b = 0; b < 3; ++b) {
        f.frequency[b] = kFrequencies[b];
        f.level[b] = Level(b, FrameTime(k));
      }
      f.time = FrameTime(k);
    }
    data.SetBandCount(3);
    data.SetFrameCount(kFrames);
    const std::string path = Path("room.rvb");
    EXPECT_EQ(data.Save(path), "");
    return path;
  }

  TUtilitiesModule* module_ = nullptr;
  TReverbWindow* window_ = nullptr;
};

TEST_F(ReverbWindowTest, AStoredDecayShowsItsBarsListsAndTheDecayOfAClickedBar) {
  Frame();
  EXPECT_FALSE(window_->Button(TReverbWindow::kSave)->isEnabled());
  EXPECT_FALSE(window_->Button(TReverbWindow::kDecay)->isEnabled());
  ASSERT_TRUE(window_->Load(WriteDecays()));
  TReverbPlotWindow* plot = window_->Plot();
  EXPECT_EQ(plot->View(), kReverbViewTimes);
  EXPECT_TRUE(window_->Button(TReverbWindow::kSave)->isEnabled());
  EXPECT_EQ(window_->windowTitle().toStdString(), "Reverberation Time - " + Path("room.rvb"));
  EXPECT_EQ(plot->Title(), "RT-60 Reverberation Time versus Frequency");
  ASSERT_EQ(window_->Entries()->count(), 6);
  EXPECT_EQ(window_->Entries()->currentText().toStdString(), "RT-60");
  // The last frame lies at 2.77 s: a maximum decay of 3 s, and so three spans.
  ASSERT_EQ(window_->Spans()->count(), 3);
  EXPECT_EQ(window_->Spans()->itemText(0).toStdString(), "1 second");
  EXPECT_EQ(window_->Spans()->currentText().toStdString(), "3 seconds");
  EXPECT_EQ(core_->Settings().reverb.displayedDecayTime, 3);

  // RT-20 without smoothing: three times the 20 dB time, each read at its first frame.
  const std::string text = module_->ReverbText(kReverbViewTimes);
  char expected[256];
  std::snprintf(expected, sizeof expected, "500.000000\t%f\r\n1000.000000\t%f\r\nWideband\t%f\r\n",
                3 * FirstTimeOfDrop(0, 20), 3 * FirstTimeOfDrop(1, 20), 3 * FirstTimeOfDrop(2, 20));
  EXPECT_EQ(text, expected);
  plot->CopyAsText();
  EXPECT_EQ(QApplication::clipboard()->text().toStdString(), text);

  // A click on the second bar: its decay plot.
  const QRect area = TReverbPlotWindow::PlotArea(plot->rect());
  const int barWidth = area.width() / 3 - 2;
  const QPoint second(area.left() + 1 + (barWidth + 2) + barWidth / 2, area.bottom() - 2);
  ASSERT_EQ(plot->BandAt(second), 1);
  Click(plot, second);
  EXPECT_EQ(plot->View(), kReverbViewDecay);
  EXPECT_EQ(core_->Settings().reverb.displayedDecayBand, 1);
  EXPECT_EQ(plot->Title(), "1000 Hz Reverberation Decay Plot");
  ASSERT_EQ(window_->Entries()->count(), 3);
  EXPECT_EQ(window_->Entries()->itemText(2).toStdString(), "Wideband");
  const std::string decay = module_->ReverbText(kReverbViewDecay);
  char lines[128];
  std::snprintf(lines, sizeof lines, "0.000000\t0.000000\r\n%f\t%f\r\n", FrameTime(1),
                Level(1, FrameTime(1)));
  EXPECT_EQ(decay.substr(0, std::strlen(lines)), lines);

  // The surface: a row per frame of the time and every slot's level.
  window_->ShowView(kReverbViewSurface);
  const std::string surface = module_->ReverbText(kReverbViewSurface);
  EXPECT_EQ(surface.substr(0, surface.find("\r\n") + 2),
            "0.000000\t0.000000\t0.000000\t0.000000\t\r\n");
  EXPECT_EQ(std::count(surface.begin(), surface.end(), '\n'), int(kFrames));
}

TEST_F(ReverbWindowTest, OptionsAreCheckedAndReadTheDecaysAgain) {
  Frame();
  ASSERT_TRUE(window_->Load(WriteDecays()));
  TReverbOptsDialog dialog(nullptr, core_->Settings().reverb, 1);
  dialog.MaxDecayEdit()->setText("31");
  dialog.OnOk();
  EXPECT_TRUE(sink_.Contains(kReverbMaxDecayRange));
  EXPECT_NE(dialog.result(), QDialog::Accepted);

  WhenModal([](QDialog* d) {
    auto* options = dynamic_cast<TReverbOptsDialog*>(d);
    ASSERT_NE(options, nullptr);
    options->Extrapolation(kRt10)->setChecked(true);
    options->ExcitationsBox()->setValue(4);
    options->OnOk();
  });
  window_->ShowOptions();
  EXPECT_EQ(core_->Settings().reverb.extrapolationMethod, kRt10);
  EXPECT_EQ(module_->ReverbExcitations(), 4);
  // RT-10: six times the 10 dB time.
  EXPECT_NEAR(module_->Reverb().DecayTimes()[0].seconds[5], 6 * FirstTimeOfDrop(0, 10), 1e-5);
  EXPECT_NEAR(module_->Reverb().DecayTimes()[1].seconds[5], 6 * FirstTimeOfDrop(1, 10), 1e-5);
  // Defaults: Average and RT-20 again.
  TReverbOptsDialog again(nullptr, core_->Settings().reverb, 4);
  again.OnDefaults();
  again.OnOk();
  EXPECT_EQ(again.Options().smoothingMethod, kSmoothAveraging);
  EXPECT_EQ(again.Options().extrapolationMethod, kRt20);
}

TEST_F(ReverbWindowTest, TheFramePrintsThePlotWithItsMethods) {
  Frame();
  EXPECT_TRUE(frame_->ViewPrintJob().viewName.empty());
  ASSERT_TRUE(window_->Load(WriteDecays()));
  frame_->MdiArea()->setActiveSubWindow(frame_->Windows().SubWindow(kWindowReverb));
  const TPrintJob job = frame_->ViewPrintJob();
  EXPECT_EQ(job.viewName, "Reverb Plot");
  EXPECT_EQ(job.title, "RT-60 Reverberation Time versus Frequency");
  ASSERT_EQ(job.settingsLines.size(), 2u);
  EXPECT_EQ(job.settingsLines[0], "Extrapolation Method: RT 20");
  EXPECT_EQ(job.settingsLines[1], "Smoothing Method: None");
  EXPECT_TRUE(frame_->CommandEnabled(kCmdPrint));
}

TEST_F(ReverbWindowTest, AMeasurementThroughTheLoopbackAndEscAndTheUnsavedQuestion) {
  const int in = TSoundPort::FindDevice(TSoundDirection::Input, kLoopbackDeviceName);
  const int out = TSoundPort::FindDevice(TSoundDirection::Output, kLoopbackDeviceName);
  const std::string room = Path("room.wav");
  ASSERT_TRUE(test::WriteRoomWave(room, test::RoomResponse(3, 0.5)));
  TLoopbackSettings loopback;
  loopback.impulseLeft = room;
  ASSERT_TRUE(TLoopbackDevice::Instance().SetSettings(loopback));
  Frame("[Settings]\nInputDeviceID=" + std::to_string(in) +
        "\nOutputDeviceID=" + std::to_string(out) + "\n[ReverbOpts]\nMaxDecayTime=1\n");

  window_->Button(TReverbWindow::kStart)->click();
  EXPECT_TRUE(module_->ReverbMeasuring());
  EXPECT_FALSE(window_->Button(TReverbWindow::kStart)->isEnabled());
  EXPECT_FALSE(window_->Button(TReverbWindow::kLoad)->isEnabled());
  ASSERT_TRUE(test::WaitFor([&] { return window_->Gauge()->value() >= 10; }));
  EXPECT_EQ(window_->Message()->text().toStdString(), kReverbAcquiring);
  QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(window_, &esc);
  EXPECT_FALSE(module_->ReverbMeasuring());
  EXPECT_EQ(window_->Plot()->View(), kReverbViewNone);
  EXPECT_FALSE(module_->Reverb().HasData());
  EXPECT_FALSE(module_->ReverbChanged());

  // Measured to the end: the bar chart of a 1 s maximum decay, changed and unsaved.
  ASSERT_TRUE(window_->StartMeasurement());
  ASSERT_TRUE(test::WaitFor([&] { return !module_->ReverbMeasuring(); }, 60000));
  EXPECT_EQ(window_->Plot()->View(), kReverbViewTimes);
  ASSERT_TRUE(module_->Reverb().HasData());
  EXPECT_TRUE(module_->ReverbChanged());
  EXPECT_EQ(core_->Settings().reverb.displayedDecayTime, 1);
  EXPECT_EQ(window_->Gauge()->value(), 100);
  // The room's 1 kHz decay (1.4 s) outlasts a 1 s maximum: its 20 dB time is still read.
  const auto& times = module_->Reverb().DecayTimes();
  for (uint32_t b = 0; b < module_->Reverb().BandCount(); ++b) {
    if (module_->Reverb().Frames()[0].frequency[b] == 1000.0f) {
      EXPECT_NEAR(times[b].seconds[5], test::RoomT60(1000.0), 0.35 * test::RoomT60(1000.0));
    }
  }

  // Closing asks; Cancel keeps the window and its data, No lets it go.
  QMdiSubWindow* sub = frame_->Windows().SubWindow(kWindowReverb);
  sink_.QueueAnswer(MessageAnswer::Cancel);
  sub->close();
  EXPECT_TRUE(sink_.Contains(kReverbChanged));
  EXPECT_EQ(frame_->Windows().SubWindow(kWindowReverb), sub);
  EXPECT_TRUE(module_->Reverb().HasData());
  sink_.QueueAnswer(MessageAnswer::No);
  sub->close();
  EXPECT_TRUE(test::WaitFor([&] { return frame_->Windows().SubWindow(kWindowReverb) == nullptr; }));
}

}  // namespace
}  // namespace orvanix
