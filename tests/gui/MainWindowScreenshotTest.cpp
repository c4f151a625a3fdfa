// Pictures of the main window on a recording like the bundled demo (1 kHz on the left, 440
// Hz and 3 kHz on the right, low noise), for the user guide. They are written into
// $ORVANIX_SCREENSHOT_DIR when it is set (docs/images), else into a scratch folder, and
// checked for what they must show: the spectrum traces in the view and the level meter.
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QMdiArea>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdlib>

#include "acquisition/RunLoop.h"
#include "app/core/Commands.h"
#include "app/gui/CommandMenus.h"
#include "app/gui/ConfigViewDialog.h"
#include "app/gui/StatusBar.h"
#include "app/gui/ViewWindows.h"
#include "files/Configuration.h"
#include "tests/gui/GuiTestHelpers.h"
#include "ui/ColorChooser.h"
#include "ui/TabbedList.h"

namespace orvanix::test {
namespace {

class MainWindowScreenshotTest : public GuiFixture {
 protected:
  std::string Output(const std::string& name) {
    const char* folder = std::getenv("ORVANIX_SCREENSHOT_DIR");
    const QString dir = folder && *folder ? QString::fromUtf8(folder) : scratch_.path();
    QDir().mkpath(dir);
    return (dir + "/" + QString::fromStdString(name)).toStdString();
  }
  // The demo's content, 5 s of 44.1 kHz stereo.
  std::string DemoLikeFile() {
    const std::string path = Path("orvanix-demo.wav");
    WriteToneWave(path, 44100, 2, 5 * 44100,
                  {{1000.0, 0.5, 0}, {440.0, 0.316, 1}, {3000.0, 0.1, 1}}, 1.7e-4);
    return path;
  }
  // The frame at a fixed size, started on the demo-like recording with its spectrum view tiled.
  void OpenDemoLikeFile() {
    const std::string path = DemoLikeFile();
    MakeFrame();
    frame_->resize(1100, 720);
    QApplication::processEvents();
    frame_->StartUp(path);
    ASSERT_TRUE(core_->IsWindowOpen(kWindowSpectrum));
    ASSERT_TRUE(frame_->RunCommand(kCmdTileHorizontal));
  }
  // Steps the run to the end of the file by hand (the run loop's timer is off for these runs),
  // then saves the frame's picture as `name`.
  void FinishAndSave(const std::string& name, QImage& image) {
    for (int i = 0; i < 1000 && core_->IsRunning(); ++i) core_->RunLoop().Step();
    ASSERT_FALSE(core_->IsRunning());
    core_->RunLoop().SetAutoStep(true);
    frame_->RefreshStatus();
    QApplication::processEvents();
    image = frame_->grab().toImage();
    ASSERT_TRUE(image.save(QString::fromStdString(Output(name))));
  }
  // Pixels of about `color` in the image.
  static int Count(const QImage& image, const QColor& color) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        const QColor c = image.pixelColor(x, y);
        if (std::abs(c.red() - color.red()) < 40 && std::abs(c.green() - color.green()) < 40 &&
            std::abs(c.blue() - color.blue()) < 40) {
          ++n;
        }
      }
    }
    return n;
  }
};

TEST_F(MainWindowScreenshotTest, SpectrumViewOnTheDemoRecording) {
  ASSERT_NO_FATAL_FAILURE(OpenDemoLikeFile());

  // While running: one block in, the meter shows both channels.
  core_->RunLoop().SetAutoStep(false);
  ASSERT_TRUE(frame_->RunCommand(kCmdRun));
  for (int i = 0; i < 20; ++i) ASSERT_TRUE(core_->RunLoop().Step());
  frame_->RefreshStatus();
  QApplication::processEvents();
  const QImage running = frame_->grab().toImage();
  ASSERT_TRUE(running.save(QString::fromStdString(Output("main-running.png"))));
  const QImage status = frame_->StatusBarWidget()->grab().toImage();
  EXPECT_GT(Count(status, TStatusBar::Green()), 100);
  QImage done;
  ASSERT_NO_FATAL_FAILURE(FinishAndSave("main-window.png", done));
  EXPECT_EQ(done.size(), frame_->size() * frame_->devicePixelRatio());
  // The spectrum view draws its traces in the line colour of the options.
  const QImage view = frame_->Windows().SubWindow(kWindowSpectrum)->grab().toImage();
  EXPECT_GT(Count(view, ColorFromRef(core_->Settings().spectrumPlot.lineColor)), 500);
}

// The same recording on a linear frequency axis and as 1/3-octave bars: each picture must
// show the trace or bars in the view's colour.
TEST_F(MainWindowScreenshotTest, LinearAndOctaveAxes) {
  ASSERT_NO_FATAL_FAILURE(OpenDemoLikeFile());

  struct Axis {
    uint16_t freqScale;
    int32_t plotType;  // 0 line, 1 bar
    const char* file;
  };
  for (const Axis& axis : {Axis{0, 0, "main-linear.png"}, Axis{2, 1, "main-octave.png"}}) {
    ASSERT_TRUE(core_->ChangeSettings(
        [&](TAnalyzerSettings& s) {
          s.scaling.freqScale = axis.freqScale;
          s.spectrumPlot.plotType = axis.plotType;
          s.spectrumPlot.startFreqHz = axis.freqScale == 0 ? 0.0f : 20.0f;
        },
        SettingsOrigin::Dialog));
    core_->RunLoop().SetAutoStep(false);
    ASSERT_TRUE(core_->Rewind());
    ASSERT_TRUE(frame_->RunCommand(kCmdRun));
    QImage image;
    ASSERT_NO_FATAL_FAILURE(FinishAndSave(axis.file, image));
    const QImage view = frame_->Windows().SubWindow(kWindowSpectrum)->grab().toImage();
    EXPECT_GT(Count(view, ColorFromRef(core_->Settings().spectrumPlot.lineColor)), 500)
        << axis.file;
  }
}

// The darkest grey level among the pixels of `rect` in `image` (logical coordinates).
int Darkest(const QImage& image, const QRect& rect) {
  const double ratio = image.devicePixelRatio();
  int darkest = 255;
  for (int y = int(rect.top() * ratio); y <= int(rect.bottom() * ratio); ++y) {
    for (int x = int(rect.left() * ratio); x <= int(rect.right() * ratio); ++x) {
      if (x >= 0 && y >= 0 && x < image.width() && y < image.height()) {
        darkest = std::min(darkest, qGray(image.pixel(x, y)));
      }
    }
  }
  return darkest;
}

// Each picture shows every item of its menu whole, one under the other, each with its text
// drawn; at start-up in Real-Time mode without a document the items the user cannot use are
// drawn greyed and the others in full.
TEST_F(MainWindowScreenshotTest, MenusOfTheFrame) {
  MakeFrame();
  frame_->StartUp({});
  for (const char* title : {"&File", "&Options", "&View"}) {
    QMenu* menu = frame_->Commands().Menu(title);
    ASSERT_NE(menu, nullptr);
    frame_->UpdateCommands();
    menu->adjustSize();
    const QImage image = menu->grab().toImage();
    const QRect picture(QPoint(0, 0), image.size() / image.devicePixelRatio());
    int previousBottom = -1;
    for (QAction* action : menu->actions()) {
      if (!action->isVisible()) continue;
      const QRect item = menu->actionGeometry(action);
      EXPECT_TRUE(picture.contains(item)) << action->text().toStdString();
      EXPECT_GT(item.top(), previousBottom) << action->text().toStdString();
      previousBottom = item.bottom();
      if (action->isSeparator()) continue;
      // Text is drawn: something in the row is far darker than the menu's background.
      EXPECT_LT(Darkest(image, item), 160) << action->text().toStdString();
    }
    QString name = QString::fromUtf8(title).remove('&').toLower();
    ASSERT_TRUE(
        image.save(QString::fromStdString(Output("main-menu-" + name.toStdString() + ".png"))));

    if (std::string(title) != "&File") continue;
    auto darkest = [&](int32_t command) {
      return Darkest(image, menu->actionGeometry(frame_->Commands().Action(command)));
    };
    // Greyed: New (Real-Time mode), Close and Save (no document), Import (Real-Time mode).
    // In full: Open, Delete (no document is open), Printer Setup, Exit.
    for (int32_t greyed : {kCmdNew, kCmdClose, kCmdSave, kCmdImport}) {
      for (int32_t usable : {kCmdOpen, kCmdDelete, kCmdPrinterSetup, kCmdExit}) {
        EXPECT_LT(darkest(usable) + 40, darkest(greyed)) << greyed << " against " << usable;
      }
    }
  }
}

TEST_F(MainWindowScreenshotTest, ConfigurationDetails) {
  const std::string path = DemoLikeFile();
  MakeFrame();
  frame_->StartUp(path);
  bool grabbed = false;
  QTimer::singleShot(0, [&] {
    auto* dialog = qobject_cast<TConfigViewDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    dialog->resize(560, 640);
    QApplication::processEvents();
    const QImage image = dialog->grab().toImage();
    grabbed = image.save(QString::fromStdString(Output("main-config-view.png")));
    // The picture shows the report: every line in the list, the first rows drawn in the
    // list's visible part with their text.
    const std::vector<std::string> report = core_->ConfigurationReport();
    TTabbedList* list = dialog->List();
    ASSERT_EQ(list->count(), int(report.size()));
    int drawn = 0;
    for (int row = 0; row < list->count(); ++row) {
      EXPECT_EQ(list->item(row)->text().toStdString(), report[size_t(row)]);
      const QRect rect = list->visualItemRect(list->item(row));
      if (report[size_t(row)].empty() || !list->viewport()->rect().contains(rect)) continue;
      const QRect inDialog(list->viewport()->mapTo(dialog, rect.topLeft()), rect.size());
      EXPECT_LT(Darkest(image, inDialog), 160) << report[size_t(row)];
      ++drawn;
    }
    EXPECT_GT(drawn, 10);
    dialog->DoneButton()->click();
  });
  ASSERT_TRUE(frame_->RunCommand(kCmdViewConfiguration));
  EXPECT_TRUE(grabbed);
}

}  // namespace
}  // namespace orvanix::test
