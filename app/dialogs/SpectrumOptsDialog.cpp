#include "app/dialogs/SpectrumOptsDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/dialogs/DialogChecks.h"
#include "app/dialogs/DialogTexts.h"

namespace orvanix {

TSpectrumOptsDialog::TSpectrumOptsDialog(QWidget* parent, const TSpectrumPlotOptions& current,
                                         bool logAmplitude, double highestHz)
    : TDialogBase(parent, dlgtext::kSpectrumOptsTitle, true),
      result_(current),
      logAmplitude_(logAmplitude),
      highestHz_(highestHz) {
  SetBody(BuildLayout());
  Show(current);
}

QLayout* TSpectrumOptsDialog::BuildLayout() {
  using namespace dlgtext;
  f_.line = new QRadioButton(Qs(kLineGraph));
  f_.bar = new QRadioButton(Qs(kBarGraph));
  auto* typeButtons = new QButtonGroup(this);
  typeButtons->addButton(f_.line);
  typeButtons->addButton(f_.bar);
  auto* plotType = new QGroupBox(Qs(kPlotTypeGroup));
  auto* typeLayout = new QHBoxLayout(plotType);
  typeLayout->addWidget(f_.line);
  typeLayout->addWidget(f_.bar);
  typeLayout->addStretch(1);

  f_.top = new QLineEdit;
  f_.range = new QLineEdit;
  f_.start = new QLineEdit;
  f_.stop = new QLineEdit;
  f_.range->setEnabled(logAmplitude_);
  auto* axes = new QGroupBox(Qs(kAxesGroup));
  auto* axesForm = new QFormLayout(axes);
  axesForm->addRow(Qs(kPlotTop), f_.top);
  axesForm->addRow(Qs(kPlotRange), f_.range);
  axesForm->addRow(Qs(kStartFrequency), f_.start);
  axesForm->addRow(Qs(kStopFrequency), f_.stop);

  f_.power = new QCheckBox(Qs(kShowPower));
  f_.pullCursor = new QCheckBox(Qs(kPullCursor));
  f_.grid = new QCheckBox(Qs(kGridLines));
  auto* switches = new QVBoxLayout;
  switches->addWidget(f_.power);
  switches->addWidget(f_.pullCursor);
  switches->addWidget(f_.grid);

  f_.lineColor = new TColorButton(Qs(kLineColor), 0);
  f_.backgroundColor = new TColorButton(Qs(kBackgroundColor), 0);
  f_.markerColor = new TColorButton(Qs(kMarkerColor), 0);
  f_.gridColor = new TColorButton(Qs(kGridColor), 0);
  auto* colors = new QGroupBox(Qs(kColorsGroup));
  auto* colorGrid = new QGridLayout(colors);
  colorGrid->addWidget(f_.lineColor, 0, 0);
  colorGrid->addWidget(f_.backgroundColor, 0, 1);
  colorGrid->addWidget(f_.markerColor, 1, 0);
  colorGrid->addWidget(f_.gridColor, 1, 1);
  for (QPushButton* button :
       {static_cast<QPushButton*>(f_.lineColor), static_cast<QPushButton*>(f_.backgroundColor),
        static_cast<QPushButton*>(f_.markerColor), static_cast<QPushButton*>(f_.gridColor)}) {
    button->setAutoDefault(false);
  }

  f_.always = new QRadioButton(Qs(kUpdateAlways));
  f_.periodic = new QRadioButton(Qs(kUpdateInterval));
  f_.interval = new QLineEdit;
  f_.interval->setMaximumWidth(100);
  auto* updateButtons = new QButtonGroup(this);
  updateButtons->addButton(f_.always);
  updateButtons->addButton(f_.periodic);
  auto* update = new QGroupBox(Qs(kUpdateGroup));
  auto* updateLayout = new QGridLayout(update);
  updateLayout->addWidget(f_.always, 0, 0);
  updateLayout->addWidget(f_.periodic, 1, 0);
  updateLayout->addWidget(f_.interval, 1, 1);
  connect(f_.periodic, &QRadioButton::toggled, f_.interval, &QLineEdit::setEnabled);

  auto* left = new QVBoxLayout;
  left->addWidget(plotType);
  left->addWidget(axes);
  left->addLayout(switches);
  auto* right = new QVBoxLayout;
  right->addWidget(colors);
  right->addWidget(update);
  right->addStretch(1);
  auto* columns = new QHBoxLayout;
  columns->addLayout(left);
  columns->addLayout(right);
  return columns;
}

void TSpectrumOptsDialog::Show(const TSpectrumPlotOptions& s) {
  f_.line->setChecked(s.plotType == 0);
  f_.bar->setChecked(s.plotType != 0);
  f_.top->setText(FloatText(s.plotTop));
  f_.range->setText(FloatText(s.plotRange));
  f_.start->setText(FloatText(s.startFreqHz));
  f_.stop->setText(FloatText(s.stopFreqHz));
  f_.power->setChecked(s.showRmsLevel != 0);
  f_.pullCursor->setChecked(s.grabCursor != 0);
  f_.grid->setChecked(s.gridEnabled != 0);
  f_.lineColor->SetColorRef(s.lineColor);
  f_.backgroundColor->SetColorRef(s.backgroundColor);
  f_.markerColor->SetColorRef(s.markerColor);
  f_.gridColor->SetColorRef(s.gridColor);
  f_.always->setChecked(s.intervalFlag == 0);
  f_.periodic->setChecked(s.intervalFlag != 0);
  f_.interval->setText(FloatText(s.intervalSecs));
  f_.interval->setEnabled(s.intervalFlag != 0);
}

double TSpectrumOptsDialog::Value(const QLineEdit* edit, float stored) const {
  if (edit->text() == FloatText(stored)) return static_cast<double>(stored);
  return FieldNumber(Ss(edit->text()));
}

bool TSpectrumOptsDialog::Validate() {
  TPlotOptionValues values;
  values.top = Value(f_.top, result_.plotTop);
  values.range = logAmplitude_ ? Value(f_.range, result_.plotRange) : 0.0;
  values.startHz = Value(f_.start, result_.startFreqHz);
  values.stopHz = Value(f_.stop, result_.stopFreqHz);
  values.periodic = f_.periodic->isChecked();
  values.intervalSecs = values.periodic ? Value(f_.interval, result_.intervalSecs) : 0.0;
  const TPlotCheck check =
      CheckPlotOptions(values, AmplitudeAxisLimits(logAmplitude_), 0.0, highestHz_);
  if (!check.Ok()) {
    QWidget* field = nullptr;
    switch (check.field) {
      case PlotField::Top:
        field = f_.top;
        break;
      case PlotField::Range:
        field = f_.range;
        break;
      case PlotField::Start:
        field = f_.start;
        break;
      case PlotField::Stop:
        field = f_.stop;
        break;
      case PlotField::Interval:
        field = f_.interval;
        break;
      case PlotField::None:
        break;
    }
    Refuse(check.message, MessageIcon::Information, field);
    return false;
  }
  TSpectrumPlotOptions s = result_;
  s.plotType = f_.bar->isChecked() ? 1 : 0;
  s.plotTop = static_cast<float>(values.top);
  if (logAmplitude_) s.plotRange = static_cast<float>(values.range);
  s.startFreqHz = static_cast<float>(values.startHz);
  s.stopFreqHz = static_cast<float>(values.stopHz);
  s.showRmsLevel = f_.power->isChecked() ? 1 : 0;
  s.grabCursor = f_.pullCursor->isChecked() ? 1 : 0;
  s.gridEnabled = f_.grid->isChecked() ? 1 : 0;
  s.lineColor = f_.lineColor->ColorRef();
  s.backgroundColor = f_.backgroundColor->ColorRef();
  s.markerColor = f_.markerColor->ColorRef();
  s.gridColor = f_.gridColor->ColorRef();
  s.intervalFlag = values.periodic ? 1 : 0;
  if (values.periodic) s.intervalSecs = static_cast<float>(values.intervalSecs);
  result_ = s;
  return true;
}

void TSpectrumOptsDialog::LoadDefaults() {
  // Only this dialog's fields: the overlay settings stay as they are.
  const TSpectrumPlotOptions defaults;
  TSpectrumPlotOptions shown = result_;
  shown.plotType = defaults.plotType;
  shown.gridEnabled = defaults.gridEnabled;
  shown.plotTop = defaults.plotTop;
  shown.plotRange = defaults.plotRange;
  shown.startFreqHz = defaults.startFreqHz;
  shown.stopFreqHz = defaults.stopFreqHz;
  shown.lineColor = defaults.lineColor;
  shown.backgroundColor = defaults.backgroundColor;
  shown.gridColor = defaults.gridColor;
  shown.markerColor = defaults.markerColor;
  shown.showRmsLevel = defaults.showRmsLevel;
  shown.grabCursor = defaults.grabCursor;
  shown.intervalFlag = defaults.intervalFlag;
  shown.intervalSecs = defaults.intervalSecs;
  Show(shown);
}

}  // namespace orvanix
