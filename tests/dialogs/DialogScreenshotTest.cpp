// Pictures of the settings dialogs for the user guide. They are written into
// $ORVANIX_SCREENSHOT_DIR when it is set (docs/images), else only checked: every field and
// button must lie whole inside the picture, at no less than the size it needs to show its
// content, without covering another one. A dialog that lays out to nothing, cuts its fields
// off or stacks them shows as a failure here.
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPixmap>
#include <cstdlib>
#include <string>

#include "DialogHelpers.h"
#include "app/dialogs/CalibrationDialog.h"
#include "app/dialogs/ScalingDialog.h"
#include "app/dialogs/SettingsDialog.h"
#include "app/dialogs/TriggerDialog.h"

namespace orvanix {
namespace {

// Grabs a dialog at its own preferred size and keeps the picture where asked.
QImage Picture(QWidget& dialog, const char* name) {
  dialog.adjustSize();
  const QImage image = dialog.grab().toImage();
  const char* folder = std::getenv("ORVANIX_SCREENSHOT_DIR");
  if (folder && *folder) {
    QDir().mkpath(QString::fromUtf8(folder));
    image.save(QString::fromUtf8(folder) + "/" + QString::fromUtf8(name));
  }
  return image;
}

// The fields, buttons and texts the user sees in the dialog, with their rectangles in the
// dialog's coordinates.
std::vector<std::pair<QWidget*, QRect>> Controls(QWidget& dialog) {
  std::vector<std::pair<QWidget*, QRect>> controls;
  for (QWidget* child : dialog.findChildren<QWidget*>()) {
    if (!child->isVisibleTo(&dialog)) continue;
    const bool control =
        qobject_cast<QLineEdit*>(child) || qobject_cast<QComboBox*>(child) ||
        qobject_cast<QAbstractButton*>(child) ||
        (qobject_cast<QLabel*>(child) && !qobject_cast<QLabel*>(child)->text().isEmpty());
    if (!control || qobject_cast<QLineEdit*>(child->parentWidget())) continue;
    if (qobject_cast<QComboBox*>(child->parentWidget())) continue;  // the list's own parts
    controls.emplace_back(child, QRect(child->mapTo(&dialog, QPoint(0, 0)), child->size()));
  }
  return controls;
}

void ExpectLaidOut(QWidget& dialog, const QImage& image, const char* name) {
  const QRect picture(QPoint(0, 0), image.size() / image.devicePixelRatio());
  const auto controls = Controls(dialog);
  ASSERT_GE(controls.size(), 8u) << name;
  for (const auto& [widget, rect] : controls) {
    const std::string what = std::string(name) + ": " + widget->metaObject()->className() + " \"" +
                             widget->property("text").toString().toStdString() + "\"";
    EXPECT_TRUE(picture.contains(rect)) << what;
    const QSize needed = widget->minimumSizeHint();
    EXPECT_GE(rect.width(), needed.width()) << what;
    EXPECT_GE(rect.height(), needed.height()) << what;
  }
  // No field or button lies over another (texts may sit in a group's frame).
  for (size_t i = 0; i < controls.size(); ++i) {
    for (size_t j = i + 1; j < controls.size(); ++j) {
      const auto& [a, ra] = controls[i];
      const auto& [b, rb] = controls[j];
      if (qobject_cast<QLabel*>(a) || qobject_cast<QLabel*>(b)) continue;
      EXPECT_FALSE(ra.intersects(rb)) << name << ": " << a->metaObject()->className() << " and "
                                      << b->metaObject()->className() << " overlap";
    }
  }
}

TEST(DialogScreenshot, SettingsScalingTriggerAndCalibrationDialogsLayOutTheirFields) {
  TProcessingContext context;
  context.postProcessing = true;
  context.input = CapabilitiesFromLimits(RateLimits{8000, 192000, false});
  ProcessingSettings processing;
  processing.format.Set(2, 48000, 2);
  processing.channelProcessing = kBothChannels;
  TSettingsDialog settings(nullptr, processing, context);
  ExpectLaidOut(settings, Picture(settings, "dialog-processing-settings.png"), "settings");

  TScalingDialog scaling(nullptr, ScalingSettings{}, /*channels=*/2, "/", nullptr);
  ExpectLaidOut(scaling, Picture(scaling, "dialog-scaling.png"), "scaling");

  TTriggerDialog trigger(nullptr, TTriggerSettings{});
  ExpectLaidOut(trigger, Picture(trigger, "dialog-trigger.png"), "trigger");

  TCalibration record = DefaultsButtonCalibration();
  record.refType = kRefRms;
  record.labelType = kRefRms;
  SetField(record.labelLinear, "Volts rms");
  SetField(record.labelLog, "dBV rms");
  record.pctFullScaleLeft = 0.25013f;
  record.pctFullScaleRight = 0.24987f;
  ComputeRatios(record);
  TCalibrationDialog::Services services;
  services.measure = [](TCalibration&) { return false; };
  services.chooseFile = [](bool, const std::string&) { return std::string(); };
  TCalibrationDialog calibration(nullptr, record, services);
  ExpectLaidOut(calibration, Picture(calibration, "dialog-calibration.png"), "calibration");
}

// The check itself: a dialog squeezed below what its fields need fails it.
TEST(DialogScreenshot, ASqueezedDialogFailsTheCheck) {
  TTriggerDialog trigger(nullptr, TTriggerSettings{});
  trigger.adjustSize();
  trigger.layout()->setSizeConstraint(QLayout::SetNoConstraint);
  trigger.setMinimumSize(0, 0);
  trigger.setFixedSize(trigger.size() / 2);
  const QImage image = trigger.grab().toImage();
  ::testing::TestPartResultArray failures;
  {
    ::testing::ScopedFakeTestPartResultReporter reporter(
        ::testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &failures);
    ExpectLaidOut(trigger, image, "squeezed");
  }
  EXPECT_GT(failures.size(), 0);
}

}  // namespace
}  // namespace orvanix
