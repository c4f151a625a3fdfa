#include "app/dialogs/PlotOptsDialogBase.h"

#include <QButtonGroup>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>

#include "app/dialogs/DialogTexts.h"
#include "app/dialogs/PlotDialogTexts.h"

namespace orvanix {

TPlotOptsDialogBase::TPlotOptsDialogBase(QWidget* parent, const char* title, bool logAmplitude,
                                         double highestHz)
    : TDialogBase(parent, title, true), logAmplitude_(logAmplitude), highestHz_(highestHz) {}

QGroupBox* TPlotOptsDialogBase::BuildAxes(bool frequencies, bool rangeAlways) {
  using namespace dlgtext;
  c_.top = new QLineEdit;
  c_.range = new QLineEdit;
  c_.range->setEnabled(logAmplitude_ || rangeAlways);
  auto* axes = new QGroupBox(Qs(kAxesGroup));
  auto* form = new QFormLayout(axes);
  form->addRow(Qs(kPlotTop), c_.top);
  form->addRow(Qs(kPlotRange), c_.range);
  if (frequencies) {
    c_.start = new QLineEdit;
    c_.stop = new QLineEdit;
    form->addRow(Qs(kStartFrequency), c_.start);
    form->addRow(Qs(kStopFrequency), c_.stop);
  }
  return axes;
}

QGroupBox* TPlotOptsDialogBase::BuildUpdate() {
  using namespace dlgtext;
  c_.always = new QRadioButton(Qs(kUpdateAlwaysAmp));
  c_.periodic = new QRadioButton(Qs(kUpdateIntervalAmp));
  c_.interval = new QLineEdit;
  c_.interval->setMaximumWidth(100);
  auto* buttons = new QButtonGroup(this);
  buttons->addButton(c_.always);
  buttons->addButton(c_.periodic);
  auto* update = new QGroupBox(Qs(kUpdateGroup));
  auto* layout = new QGridLayout(update);
  layout->addWidget(c_.always, 0, 0);
  layout->addWidget(c_.periodic, 1, 0);
  layout->addWidget(c_.interval, 1, 1);
  connect(c_.periodic, &QRadioButton::toggled, c_.interval, &QLineEdit::setEnabled);
  return update;
}

void TPlotOptsDialogBase::ShowCommon(float top, float range, float startHz, float stopHz,
                                     int32_t intervalFlag, float intervalSecs) {
  c_.top->setText(FloatText(top));
  c_.range->setText(FloatText(range));
  if (c_.start) c_.start->setText(FloatText(startHz));
  if (c_.stop) c_.stop->setText(FloatText(stopHz));
  c_.always->setChecked(intervalFlag == 0);
  c_.periodic->setChecked(intervalFlag != 0);
  c_.interval->setText(FloatText(intervalSecs));
  c_.interval->setEnabled(intervalFlag != 0);
}

QGroupBox* TPlotOptsDialogBase::BuildSpan() {
  using namespace dlgtext;
  c_.fullSpan = new QRadioButton(Qs(kFullSpan));
  c_.customSpan = new QRadioButton(Qs(kCustomSpan));
  auto* buttons = new QButtonGroup(this);
  buttons->addButton(c_.fullSpan);
  buttons->addButton(c_.customSpan);
  auto* span = new QGroupBox(Qs(kSpanGroup));
  auto* layout = new QHBoxLayout(span);
  layout->addWidget(c_.fullSpan);
  layout->addWidget(c_.customSpan);
  connect(c_.customSpan, &QRadioButton::toggled, this, [this](bool custom) {
    c_.start->setEnabled(custom);
    c_.stop->setEnabled(custom);
  });
  return span;
}

void TPlotOptsDialogBase::ShowSpan(bool fullSpan) {
  c_.fullSpan->setChecked(fullSpan);
  c_.customSpan->setChecked(!fullSpan);
  c_.start->setEnabled(!fullSpan);
  c_.stop->setEnabled(!fullSpan);
}

bool TPlotOptsDialogBase::CustomSpan() const {
  return c_.customSpan && c_.customSpan->isChecked();
}

double TPlotOptsDialogBase::Value(const QLineEdit* edit, float stored) {
  if (edit->text() == FloatText(stored)) return static_cast<double>(stored);
  return FieldNumber(Ss(edit->text()));
}

bool TPlotOptsDialogBase::CheckCommon(float top, float range, float startHz, float stopHz,
                                      float intervalSecs, bool checkFrequencies,
                                      TPlotOptionValues& values) {
  return CheckCommon(top, range, startHz, stopHz, intervalSecs, checkFrequencies,
                     AmplitudeAxisLimits(logAmplitude_), values);
}

bool TPlotOptsDialogBase::CheckCommon(float top, float range, float startHz, float stopHz,
                                      float intervalSecs, bool checkFrequencies,
                                      const TAmplitudeAxisLimits& axis, TPlotOptionValues& values) {
  values.top = Value(c_.top, top);
  values.range = axis.logarithmic ? Value(c_.range, range) : 0.0;
  const bool frequencies = checkFrequencies && c_.start && c_.stop;
  // Frequencies left out of the check stay as they are and pass it.
  values.startHz = frequencies ? Value(c_.start, startHz) : 0.0;
  values.stopHz = frequencies ? Value(c_.stop, stopHz) : highestHz_;
  values.periodic = c_.periodic->isChecked();
  values.intervalSecs = values.periodic ? Value(c_.interval, intervalSecs) : 0.0;
  const TPlotCheck check = CheckPlotOptions(values, axis, 0.0, highestHz_);
  if (check.Ok()) {
    if (!frequencies) {
      values.startHz = startHz;
      values.stopHz = stopHz;
    }
    return true;
  }
  QWidget* field = nullptr;
  switch (check.field) {
    case PlotField::Top:
      field = c_.top;
      break;
    case PlotField::Range:
      field = c_.range;
      break;
    case PlotField::Start:
      field = c_.start;
      break;
    case PlotField::Stop:
      field = c_.stop;
      break;
    case PlotField::Interval:
      field = c_.interval;
      break;
    case PlotField::None:
      break;
  }
  Refuse(check.message, MessageIcon::Information, field);
  return false;
}

}  // namespace orvanix
