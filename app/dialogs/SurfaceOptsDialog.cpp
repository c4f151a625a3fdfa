#include "app/dialogs/SurfaceOptsDialog.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/dialogs/DialogTexts.h"
#include "app/dialogs/PlotDialogTexts.h"

namespace orvanix {

TSurfaceOptsDialog::TSurfaceOptsDialog(QWidget* parent, const TSurfaceOptions& current,
                                       bool logAmplitude, double highestHz)
    : TPlotOptsDialogBase(parent, dlgtext::kSurfaceOptsTitle, logAmplitude, highestHz),
      result_(current) {
  SetBody(BuildLayout());
  Show(current);
}

QLayout* TSurfaceOptsDialog::BuildLayout() {
  using namespace dlgtext;
  QGroupBox* axes = BuildAxes(true);
  f_.fullSpan = new QRadioButton(Qs(kFullSpan));
  f_.customSpan = new QRadioButton(Qs(kCustomSpan));
  auto* spanButtons = new QButtonGroup(this);
  spanButtons->addButton(f_.fullSpan);
  spanButtons->addButton(f_.customSpan);
  auto* span = new QGroupBox(Qs(kSpanGroup));
  auto* spanLayout = new QHBoxLayout(span);
  spanLayout->addWidget(f_.fullSpan);
  spanLayout->addWidget(f_.customSpan);
  connect(f_.customSpan, &QRadioButton::toggled, this, [this](bool custom) {
    c_.start->setEnabled(custom);
    c_.stop->setEnabled(custom);
  });
  f_.gradient = new QRadioButton(Qs(kGradient));
  f_.solid = new QRadioButton(Qs(kSolid));
  auto* modeButtons = new QButtonGroup(this);
  modeButtons->addButton(f_.gradient);
  modeButtons->addButton(f_.solid);
  f_.backgroundColor = new TColorButton(Qs(kBackgroundColor), 0);
  f_.lineColor = new TColorButton(Qs(kSurfaceLine), 0);
  f_.backgroundColor->setAutoDefault(false);
  f_.lineColor->setAutoDefault(false);
  auto* colors = new QGroupBox(Qs(kColorModeGroup));
  auto* colorLayout = new QVBoxLayout(colors);
  colorLayout->addWidget(f_.gradient);
  colorLayout->addWidget(f_.solid);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(f_.backgroundColor);
  buttons->addWidget(f_.lineColor);
  colorLayout->addLayout(buttons);
  auto* left = new QVBoxLayout;
  left->addWidget(axes);
  left->addWidget(span);
  auto* right = new QVBoxLayout;
  right->addWidget(colors);
  right->addWidget(BuildUpdate());
  right->addStretch(1);
  auto* columns = new QHBoxLayout;
  columns->addLayout(left);
  columns->addLayout(right);
  return columns;
}

void TSurfaceOptsDialog::Show(const TSurfaceOptions& s) {
  ShowCommon(s.plotTop, s.plotRange, s.startFreqHz, s.stopFreqHz, s.intervalFlag, s.intervalSecs);
  f_.fullSpan->setChecked(s.useFullSpan != 0);
  f_.customSpan->setChecked(s.useFullSpan == 0);
  c_.start->setEnabled(s.useFullSpan == 0);
  c_.stop->setEnabled(s.useFullSpan == 0);
  f_.gradient->setChecked(s.colorMode != 1);
  f_.solid->setChecked(s.colorMode == 1);
  f_.backgroundColor->SetColorRef(s.backgroundColor);
  f_.lineColor->SetColorRef(s.lineColor);
}

bool TSurfaceOptsDialog::Validate() {
  TPlotOptionValues values;
  const bool custom = f_.customSpan->isChecked();
  if (!CheckCommon(result_.plotTop, result_.plotRange, result_.startFreqHz, result_.stopFreqHz,
                   result_.intervalSecs, custom, values)) {
    return false;
  }
  TSurfaceOptions s = result_;
  s.plotTop = static_cast<float>(values.top);
  if (logAmplitude_) s.plotRange = static_cast<float>(values.range);
  s.useFullSpan = custom ? 0 : 1;
  s.startFreqHz = static_cast<float>(values.startHz);
  s.stopFreqHz = static_cast<float>(values.stopHz);
  s.colorMode = f_.solid->isChecked() ? 1 : 0;
  s.backgroundColor = f_.backgroundColor->ColorRef();
  s.lineColor = f_.lineColor->ColorRef();
  s.intervalFlag = values.periodic ? 1 : 0;
  if (values.periodic) s.intervalSecs = static_cast<float>(values.intervalSecs);
  result_ = s;
  return true;
}

}  // namespace orvanix
