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
  QGroupBox* span = BuildSpan();
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
  ShowSpanned(s);
  f_.gradient->setChecked(s.colorMode != 1);
  f_.solid->setChecked(s.colorMode == 1);
  f_.backgroundColor->SetColorRef(s.backgroundColor);
  f_.lineColor->SetColorRef(s.lineColor);
}

bool TSurfaceOptsDialog::Validate() {
  TSurfaceOptions s = result_;
  if (!CheckSpanned(s)) return false;
  s.colorMode = f_.solid->isChecked() ? 1 : 0;
  s.backgroundColor = f_.backgroundColor->ColorRef();
  s.lineColor = f_.lineColor->ColorRef();
  result_ = s;
  return true;
}

}  // namespace orvanix
