#include "app/dialogs/SeriesOptsDialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/dialogs/DialogTexts.h"
#include "app/dialogs/PlotDialogTexts.h"
#include "views/PlotViewTexts.h"

namespace orvanix {

TSeriesOptsDialog::TSeriesOptsDialog(QWidget* parent, const TSeriesOptions& current,
                                     bool logAmplitude, double highestHz)
    : TPlotOptsDialogBase(parent, dlgtext::kSeriesOptsTitle, current.ampScaleType == 1, highestHz),
      result_(current) {
  (void)logAmplitude;
  SetBody(BuildLayout());
  Show(current);
}

QLayout* TSeriesOptsDialog::BuildLayout() {
  using namespace dlgtext;
  f_.amplitude = new QRadioButton(Qs(kAmplitudeLinear));
  f_.energy = new QRadioButton(Qs(kEnergyLog));
  auto* scaleButtons = new QButtonGroup(this);
  scaleButtons->addButton(f_.amplitude);
  scaleButtons->addButton(f_.energy);
  auto* scale = new QGroupBox(Qs(kScaleGroup));
  auto* scaleLayout = new QVBoxLayout(scale);
  scaleLayout->addWidget(f_.amplitude);
  scaleLayout->addWidget(f_.energy);
  QGroupBox* axes = BuildAxes(false, true);
  connect(f_.energy, &QRadioButton::toggled, c_.range, &QLineEdit::setEnabled);
  f_.grid = new QCheckBox(Qs(kDisplayGridLines));
  f_.channel = new QComboBox;
  for (const char* choice : viewtext::kChannelChoices) f_.channel->addItem(Qs(choice));
  f_.maxZoomOut = new QLineEdit;
  f_.startTime = new QLineEdit;
  f_.stopTime = new QLineEdit;
  auto* span = new QGroupBox(Qs(kTimeSpan));
  auto* spanForm = new QFormLayout(span);
  spanForm->addRow(Qs(kStartTime), f_.startTime);
  spanForm->addRow(Qs(kStopTime), f_.stopTime);
  spanForm->addRow(Qs(kMaxZoomOut), f_.maxZoomOut);
  f_.lineColor = new TColorButton(Qs(kLineColor), 0);
  f_.backgroundColor = new TColorButton(Qs(kBackgroundColor), 0);
  f_.gridColor = new TColorButton(Qs(kGridColor), 0);
  auto* colors = new QGroupBox(Qs(kColorsGroup));
  auto* colorLayout = new QHBoxLayout(colors);
  for (TColorButton* b : {f_.lineColor, f_.backgroundColor, f_.gridColor}) {
    b->setAutoDefault(false);
    colorLayout->addWidget(b);
  }
  auto* channelRow = new QFormLayout;
  channelRow->addRow(Qs(kChannelLabel), f_.channel);
  auto* left = new QVBoxLayout;
  left->addWidget(scale);
  left->addWidget(axes);
  left->addWidget(f_.grid);
  left->addLayout(channelRow);
  auto* right = new QVBoxLayout;
  right->addWidget(span);
  right->addWidget(colors);
  right->addWidget(BuildUpdate());
  right->addStretch(1);
  auto* columns = new QHBoxLayout;
  columns->addLayout(left);
  columns->addLayout(right);
  return columns;
}

void TSeriesOptsDialog::Show(const TSeriesOptions& s) {
  ShowCommon(s.plotTop, s.plotRange, 0.0f, 0.0f, s.intervalFlag, s.intervalSecs);
  f_.amplitude->setChecked(s.ampScaleType != 1);
  f_.energy->setChecked(s.ampScaleType == 1);
  c_.range->setEnabled(s.ampScaleType == 1);
  f_.grid->setChecked(s.gridEnabled != 0);
  f_.channel->setCurrentIndex(s.plotChannel >= 0 && s.plotChannel < 8 ? s.plotChannel : 0);
  f_.maxZoomOut->setText(FloatText(s.maxZoomOutTime));
  f_.startTime->setText(FloatText(s.startTime));
  f_.stopTime->setText(FloatText(s.stopTime));
  f_.lineColor->SetColorRef(s.lineColor);
  f_.backgroundColor->SetColorRef(s.backgroundColor);
  f_.gridColor->SetColorRef(s.gridColor);
}

bool TSeriesOptsDialog::Validate() {
  using namespace dlgtext;
  // The scale chosen in the dialog decides which axis the top and range are checked on.
  logAmplitude_ = f_.energy->isChecked();
  TPlotOptionValues values;
  if (!CheckCommon(result_.plotTop, result_.plotRange, 0.0f, 0.0f, result_.intervalSecs, false,
                   values)) {
    return false;
  }
  const double start = Value(f_.startTime, result_.startTime);
  const double stop = Value(f_.stopTime, result_.stopTime);
  const double maxZoomOut = Value(f_.maxZoomOut, result_.maxZoomOutTime);
  if (!(start >= 0.0)) {
    Refuse(kStartTimeMessage, MessageIcon::Information, f_.startTime);
    return false;
  }
  if (!(stop >= 0.0)) {
    Refuse(kStopTimeMessage, MessageIcon::Information, f_.stopTime);
    return false;
  }
  if (!(stop > start)) {
    Refuse(kStopAfterStartMessage, MessageIcon::Information, f_.stopTime);
    return false;
  }
  if (!(maxZoomOut >= 0.1)) {
    Refuse(kMaxZoomOutMessage, MessageIcon::Information, f_.maxZoomOut);
    return false;
  }
  TSeriesOptions s = result_;
  s.ampScaleType = logAmplitude_ ? 1 : 0;
  s.plotTop = static_cast<float>(values.top);
  if (logAmplitude_) s.plotRange = static_cast<float>(values.range);
  s.gridEnabled = f_.grid->isChecked() ? 1 : 0;
  s.plotChannel = f_.channel->currentIndex();
  s.maxZoomOutTime = static_cast<float>(maxZoomOut);
  s.startTime = static_cast<float>(start);
  s.stopTime = static_cast<float>(stop);
  s.lineColor = f_.lineColor->ColorRef();
  s.backgroundColor = f_.backgroundColor->ColorRef();
  s.gridColor = f_.gridColor->ColorRef();
  s.intervalFlag = values.periodic ? 1 : 0;
  if (values.periodic) s.intervalSecs = static_cast<float>(values.intervalSecs);
  result_ = s;
  return true;
}

}  // namespace orvanix
