// The option dialogs of the spectrogram, 3-D surface, time-series and phase views, driven
// through their fields: bad values refused with the exact messages (the dialog stays open
// with the value in place), good ones accepted into the options.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QScrollBar>

#include "DialogHelpers.h"
#include "app/dialogs/PhaseOptsDialog.h"
#include "app/dialogs/SeriesOptsDialog.h"
#include "app/dialogs/SpectrogramOptsDialog.h"
#include "app/dialogs/SurfaceOptsDialog.h"

namespace orvanix {
namespace {

using test::TRecordedMessages;

bool PressOk(TDialogBase& dialog) {
  dialog.setResult(QDialog::Rejected);
  dialog.OnOk();
  return dialog.result() == QDialog::Accepted;
}

TEST(SpectrogramOptsDialog, CommonChecksInOrderAndCustomSpanOnly) {
  TRecordedMessages messages;
  TSpectrogramOptsDialog dialog(nullptr, TSpectrogramOptions{}, true, 22050.0);
  const auto& c = dialog.Common();
  const auto& f = dialog.Widgets();
  c.top->setText("400");
  EXPECT_FALSE(PressOk(dialog));
  EXPECT_EQ(messages.Only().text, "Top of Plot must be between -300.000 and 300.000");
  EXPECT_EQ(c.top->text(), "400");

  messages.Clear();
  c.top->setText("0");
  c.range->setText("0");
  EXPECT_FALSE(PressOk(dialog));
  EXPECT_EQ(messages.Only().text, "Plot Range must be between  0.000 and 600.000");

  // With the full span the frequency fields are not checked ...
  messages.Clear();
  c.range->setText("80");
  c.start->setText("9000");
  c.stop->setText("100");
  ASSERT_TRUE(c.fullSpan->isChecked());
  EXPECT_TRUE(PressOk(dialog));
  EXPECT_EQ(dialog.Result().plotRange, 80.0f);
  EXPECT_EQ(dialog.Result().startFreqHz, 100.0f);  // the stored values stay
  // ... with a custom span they are.
  c.customSpan->setChecked(true);
  EXPECT_FALSE(PressOk(dialog));
  EXPECT_EQ(messages.Only().text, "Stop Frequency must be greater than Start Frequency");
  messages.Clear();
  c.start->setText("100");
  c.stop->setText("30000");
  EXPECT_FALSE(PressOk(dialog));
  EXPECT_EQ(messages.Only().text, "Stop Frequency must be between    0.0 and 22050.0 Hz");
  messages.Clear();
  c.stop->setText("8000");
  c.periodic->setChecked(true);
  c.interval->setText("3601");
  EXPECT_FALSE(PressOk(dialog));
  EXPECT_EQ(messages.Only().text, "Update Interval must be between 1 and 3600 seconds");
  c.interval->setText("0.5");
  f.down->setChecked(true);
  f.grayScale->setChecked(true);
  EXPECT_TRUE(PressOk(dialog));
  const TSpectrogramOptions& r = dialog.Result();
  EXPECT_EQ(r.useFullSpan, 0);
  EXPECT_EQ(r.stopFreqHz, 8000.0f);
  EXPECT_EQ(r.intervalFlag, 1);
  EXPECT_EQ(r.intervalSecs, 0.5f);
  EXPECT_EQ(r.direction, 3);  // "Down": the image moves down, newest line at the top
  EXPECT_EQ(r.colorMode, 1);
}

TEST(SpectrogramOptsDialog, DirectionsDefaultsAndIntensity) {
  EXPECT_EQ(TSpectrogramOptsDialog::DirectionOfButton(0), 2);  // Up
  EXPECT_EQ(TSpectrogramOptsDialog::DirectionOfButton(2), 0);  // Left
  EXPECT_EQ(TSpectrogramOptsDialog::DirectionOfButton(3), 1);  // Right
  TRecordedMessages messages;
  TSpectrogramOptions start;
  start.direction = 1;
  start.plotTop = -20.0f;
  TSpectrogramOptsDialog dialog(nullptr, start, true, 22050.0);
  EXPECT_TRUE(dialog.Widgets().right->isChecked());
  // The intensity control only worked on palette displays.
  dialog.Widgets().intensity->setValue(10);
  EXPECT_EQ(messages.Only().text,
            "Your video driver must be set to 256 color mode (8 bit) for the intensity control to "
            "function");
  EXPECT_EQ(dialog.Widgets().intensity->value(), 0);
  dialog.OnDefaults();
  EXPECT_TRUE(dialog.Widgets().left->isChecked());
  EXPECT_EQ(dialog.Common().top->text(), "0");
  EXPECT_TRUE(PressOk(dialog));
  EXPECT_EQ(dialog.Result(), TSpectrogramOptions{});
}

TEST(PhaseOptsDialog, PhaseAxisInDegreesAndFrequencies) {
  TRecordedMessages messages;
  // The phase axis is in degrees even when the amplitude axis is linear.
  TPhaseOptsDialog dialog(nullptr, TPhasePlotOptions{}, false, 24000.0);
  const auto& c = dialog.Common();
  EXPECT_TRUE(c.range->isEnabled());
  c.top->setText("400");
  EXPECT_FALSE(PressOk(dialog));
  EXPECT_EQ(messages.Only().text, "Top of Plot must be between -360.000 and 360.000");
  messages.Clear();
  c.top->setText("90");
  c.range->setText("-5");
  EXPECT_FALSE(PressOk(dialog));
  EXPECT_EQ(messages.Only().text, "Plot Range must be between  0.000 and 720.000");
  messages.Clear();
  c.range->setText("180");
  c.start->setText("-3");
  EXPECT_FALSE(PressOk(dialog));
  EXPECT_EQ(messages.Only().text, "Start Frequency must be between    0.0 and 24000.0 Hz");
  EXPECT_EQ(c.start->text(), "-3");
  c.start->setText("-0.5");  // within the 1 Hz tolerance
  dialog.Widgets().grid->setChecked(false);
  EXPECT_TRUE(PressOk(dialog));
  EXPECT_EQ(dialog.Result().plotTop, 90.0f);
  EXPECT_EQ(dialog.Result().plotRange, 180.0f);
  EXPECT_EQ(dialog.Result().gridEnabled, 0);
}

TEST(SeriesOptsDialog, TimeChecksInOrderAndTheScaleDecidesTheAxis) {
  TRecordedMessages messages;
  TSeriesOptsDialog dialog(nullptr, TSeriesOptions{}, true, 22050.0);
  const auto& f = dialog.Widgets();
  const auto& c = dialog.Common();
  EXPECT_FALSE(c.range->isEnabled());  // amplitude scale: no range
  f.startTime->setText("-1");
  f.stopTime->setText("-2");
  EXPECT_FALSE(PressOk(dialog));
  EXPECT_EQ(messages.Only().text, "Start Time must be greater than zero");
  messages.Clear();
  f.startTime->setText("2");
  EXPECT_FALSE(PressOk(dialog));
  EXPECT_EQ(messages.Only().text, "Stop Time must be greater than zero");
  messages.Clear();
  f.stopTime->setText("2");
  EXPECT_FALSE(PressOk(dialog));
  EXPECT_EQ(messages.Only().text, "Stop Time must be greater than Stop Time");
  messages.Clear();
  f.stopTime->setText("3");
  f.maxZoomOut->setText("0.05");
  EXPECT_FALSE(PressOk(dialog));
  EXPECT_EQ(messages.Only().text, "Max Zoom Out Time must be at least 0.1 seconds");
  EXPECT_EQ(f.maxZoomOut->text(), "0.05");
  messages.Clear();
  f.maxZoomOut->setText("0.1");
  // On the energy scale the top is a level in dB and the range is checked.
  f.energy->setChecked(true);
  EXPECT_TRUE(c.range->isEnabled());
  c.range->setText("700");
  EXPECT_FALSE(PressOk(dialog));
  EXPECT_EQ(messages.Only().text, "Plot Range must be between  0.000 and 600.000");
  c.range->setText("80");
  c.top->setText("0");
  f.channel->setCurrentIndex(6);
  EXPECT_TRUE(PressOk(dialog));
  const TSeriesOptions& r = dialog.Result();
  EXPECT_EQ(r.ampScaleType, 1);
  EXPECT_EQ(r.plotRange, 80.0f);
  EXPECT_EQ(r.plotChannel, 6);
  EXPECT_EQ(r.startTime, 2.0f);
  EXPECT_EQ(r.stopTime, 3.0f);
  EXPECT_EQ(r.maxZoomOutTime, 0.1f);
}

TEST(SurfaceOptsDialog, CommonChecksAndColouring) {
  TRecordedMessages messages;
  TSurfaceOptsDialog dialog(nullptr, TSurfaceOptions{}, false, 22050.0);
  const auto& c = dialog.Common();
  c.top->setText("-5");
  EXPECT_FALSE(PressOk(dialog));
  EXPECT_EQ(messages.Only().text, "Top of Plot must be between  0.000 and 1000000000.000");
  messages.Clear();
  c.top->setText("50");
  dialog.Widgets().solid->setChecked(true);
  EXPECT_TRUE(PressOk(dialog));
  EXPECT_EQ(dialog.Result().colorMode, 1);
  EXPECT_EQ(dialog.Result().plotTop, 50.0f);
  EXPECT_EQ(dialog.Result().plotRange, 60.0f);  // a linear axis keeps the range
}

}  // namespace
}  // namespace orvanix
