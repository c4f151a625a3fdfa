// Pictures of the generator window and its dialogs for the user guide, written into
// $ORVANIX_SCREENSHOT_DIR when it is set (docs/images), else only checked: every control lies
// whole inside the picture at no less than the size it needs, and none covers another.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <cstdlib>
#include <memory>

#include "app/gui/ViewWindows.h"
#include "generator/DetailsDialog.h"
#include "generator/GeneratorModule.h"
#include "generator/OutputLevelDialog.h"
#include "generator/SignalGeneratorWindow.h"
#include "generator/SignalTypes.h"
#include "tests/gui/GuiTestHelpers.h"

namespace orvanix {
namespace {

QImage Picture(QWidget& widget, const char* name) {
  widget.adjustSize();
  const QImage image = widget.grab().toImage();
  if (const char* folder = std::getenv("ORVANIX_SCREENSHOT_DIR"); folder && *folder) {
    QDir().mkpath(QString::fromUtf8(folder));
    image.save(QString::fromUtf8(folder) + "/" + QString::fromUtf8(name));
  }
  return image;
}

void ExpectLaidOut(QWidget& widget, const QImage& image, const char* name, size_t atLeast) {
  const QRect picture(QPoint(0, 0), image.size() / image.devicePixelRatio());
  std::vector<std::pair<QWidget*, QRect>> controls;
  for (QWidget* child : widget.findChildren<QWidget*>()) {
    if (!child->isVisibleTo(&widget)) continue;
    const bool control =
        qobject_cast<QLineEdit*>(child) || qobject_cast<QComboBox*>(child) ||
        qobject_cast<QAbstractButton*>(child) || qobject_cast<QScrollBar*>(child) ||
        (qobject_cast<QLabel*>(child) && !qobject_cast<QLabel*>(child)->text().isEmpty());
    if (!control || qobject_cast<QComboBox*>(child->parentWidget()) ||
        qobject_cast<QLineEdit*>(child->parentWidget()) ||
        qobject_cast<QMdiSubWindow*>(child->parentWidget()) == &widget) {
      continue;
    }
    controls.emplace_back(child, QRect(child->mapTo(&widget, QPoint(0, 0)), child->size()));
  }
  ASSERT_GE(controls.size(), atLeast) << name;
  for (const auto& [child, rect] : controls) {
    const std::string what = std::string(name) + ": " + child->metaObject()->className() + " " +
                             child->objectName().toStdString();
    EXPECT_TRUE(picture.contains(rect)) << what;
    EXPECT_GE(rect.width(), child->minimumSizeHint().width()) << what;
    EXPECT_GE(rect.height(), child->minimumSizeHint().height()) << what;
  }
  for (size_t i = 0; i < controls.size(); ++i) {
    for (size_t j = i + 1; j < controls.size(); ++j) {
      if (qobject_cast<QLabel*>(controls[i].first) || qobject_cast<QLabel*>(controls[j].first)) {
        continue;
      }
      EXPECT_FALSE(controls[i].second.intersects(controls[j].second))
          << name << ": " << controls[i].first->objectName().toStdString() << " and "
          << controls[j].first->objectName().toStdString() << " overlap";
    }
  }
}

class GeneratorScreenshotTest : public test::GuiFixture {};

TEST_F(GeneratorScreenshotTest, WindowAndDialogsLayOutTheirControls) {
  RegisterGeneratorWindows();
  WriteProgramSettings("[Settings]\nNumChannels=2\n[Main]\nSigType=7\nSigTypeR=4\n");
  MakeFrame();
  core_->AddModule(std::make_unique<TGeneratorModule>(*core_));
  ASSERT_TRUE(frame_->RunCommand(kCmdSignalGenerator));
  auto* window = dynamic_cast<TSignalGeneratorWindow*>(
      frame_->Windows().SubWindow(kWindowSignalGenerator)->widget());
  ASSERT_NE(window, nullptr);
  const QImage picture = Picture(*window, "generator-window.png");
  ExpectLaidOut(*window, picture, "generator window", 9);

  TSignalRecord record;
  record.type = kSignalFreqSweep;
  std::unique_ptr<TDetailsDialog> sweep(
      MakeDetailsDialog(nullptr, kSignalFreqSweep, record, 24000, {}));
  ExpectLaidOut(*sweep, Picture(*sweep, "dialog-generator-sweep.png"), "sweep", 8);
  record.type = kSignalMultipleTones;
  record.tones.enable = {1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
  std::unique_ptr<TDetailsDialog> tones(
      MakeDetailsDialog(nullptr, kSignalMultipleTones, record, 24000, {}));
  ExpectLaidOut(*tones, Picture(*tones, "dialog-generator-tones.png"), "tones", 30);
  TGeneratorLevel level;
  level.fsOption = kFullScaleCard;
  level.fsCardType = 2;
  level.fsLevelVolts = 2.13f;
  level.outputUnits = kUnitsDbV;
  level.outputLevel = level.outputLevelR = -10.0f;
  TOutputLevelDialog levelDialog(nullptr, level);
  ExpectLaidOut(levelDialog, Picture(levelDialog, "dialog-generator-level.png"), "level", 10);
}

}  // namespace
}  // namespace orvanix
