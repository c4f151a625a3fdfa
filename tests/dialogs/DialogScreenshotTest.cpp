// Pictures of the settings dialogs for the user guide. They are written into
// $ORVANIX_SCREENSHOT_DIR when it is set (docs/images), else only checked: a dialog that lays
// out to nothing or cuts its fields off shows as a picture too small for its content.
#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QPixmap>
#include <cstdlib>
#include <string>

#include "DialogHelpers.h"
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

TEST(DialogScreenshot, SettingsScalingAndTriggerDialogsLayOutTheirFields) {
  TProcessingContext context;
  context.postProcessing = true;
  context.input = CapabilitiesFromLimits(RateLimits{8000, 192000, false});
  ProcessingSettings processing;
  processing.format.Set(2, 48000, 2);
  processing.channelProcessing = kBothChannels;
  TSettingsDialog settings(nullptr, processing, context);
  const QImage settingsImage = Picture(settings, "dialog-processing-settings.png");
  EXPECT_GE(settingsImage.width(), settings.minimumSizeHint().width());
  EXPECT_GE(settingsImage.height(), settings.minimumSizeHint().height());

  TScalingDialog scaling(nullptr, ScalingSettings{}, /*channels=*/2, "/", nullptr);
  const QImage scalingImage = Picture(scaling, "dialog-scaling.png");
  EXPECT_GE(scalingImage.height(), scaling.minimumSizeHint().height());

  TTriggerDialog trigger(nullptr, TTriggerSettings{});
  const QImage triggerImage = Picture(trigger, "dialog-trigger.png");
  EXPECT_GE(triggerImage.height(), trigger.minimumSizeHint().height());
}

}  // namespace
}  // namespace orvanix
