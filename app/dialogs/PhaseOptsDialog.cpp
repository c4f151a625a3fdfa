#include "app/dialogs/PhaseOptsDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/dialogs/DialogTexts.h"
#include "app/dialogs/PlotDialogTexts.h"

namespace orvanix {

TPhaseOptsDialog::TPhaseOptsDialog(QWidget* parent, const TPhasePlotOptions& current,
                                   bool logAmplitude, double highestHz)
    : TPlotOptsDialogBase(parent, dlgtext::kPhaseOptsTitle, logAmplitude, highestHz),
      result_(current) {
  (void)logAmplitude;
  SetBody(BuildLayout());
  Show(current);
}

TAmplitudeAxisLimits TPhaseOptsDialog::PhaseAxis() {
  // Phase is shown in degrees whatever the amplitude axis: a top within one turn either side
  // and a span of up to two turns, so that an unwrapped look at a delay still fits.
  TAmplitudeAxisLimits axis;
  axis.minTop = -360.0;
  axis.maxTop = 360.0;
  axis.maxRange = 720.0;
  axis.logarithmic = true;  // the range is checked
  return axis;
}

QLayout* TPhaseOptsDialog::BuildLayout() {
  using namespace dlgtext;
  QGroupBox* axes = BuildAxes(true, true);
  f_.grid = new QCheckBox(Qs(kDisplayGridLines));
  f_.pullCursor = new QCheckBox(Qs(kPullCursor));
  f_.lineColor = new TColorButton(Qs(kLineBar), 0);
  f_.backgroundColor = new TColorButton(Qs(kBackgroundColor), 0);
  f_.gridColor = new TColorButton(Qs(kGridColor), 0);
  f_.markerColor = new TColorButton(Qs(kMarkerColor), 0);
  auto* colors = new QGroupBox(Qs(kColorsGroup));
  auto* grid = new QGridLayout(colors);
  grid->addWidget(f_.lineColor, 0, 0);
  grid->addWidget(f_.backgroundColor, 0, 1);
  grid->addWidget(f_.gridColor, 1, 0);
  grid->addWidget(f_.markerColor, 1, 1);
  for (TColorButton* b : {f_.lineColor, f_.backgroundColor, f_.gridColor, f_.markerColor}) {
    b->setAutoDefault(false);
  }
  auto* left = new QVBoxLayout;
  left->addWidget(axes);
  left->addWidget(f_.grid);
  left->addWidget(f_.pullCursor);
  auto* right = new QVBoxLayout;
  right->addWidget(colors);
  right->addWidget(BuildUpdate());
  right->addStretch(1);
  auto* columns = new QHBoxLayout;
  columns->addLayout(left);
  columns->addLayout(right);
  return columns;
}

void TPhaseOptsDialog::Show(const TPhasePlotOptions& s) {
  ShowCommon(s.plotTop, s.plotRange, s.startFreqHz, s.stopFreqHz, s.intervalFlag, s.intervalSecs);
  f_.grid->setChecked(s.gridEnabled != 0);
  f_.pullCursor->setChecked(s.grabCursor != 0);
  f_.lineColor->SetColorRef(s.lineColor);
  f_.backgroundColor->SetColorRef(s.backgroundColor);
  f_.gridColor->SetColorRef(s.gridColor);
  f_.markerColor->SetColorRef(s.markerColor);
}

bool TPhaseOptsDialog::Validate() {
  TPlotOptionValues values;
  if (!CheckCommon(result_.plotTop, result_.plotRange, result_.startFreqHz, result_.stopFreqHz,
                   result_.intervalSecs, true, PhaseAxis(), values)) {
    return false;
  }
  TPhasePlotOptions s = result_;
  s.plotTop = static_cast<float>(values.top);
  s.plotRange = static_cast<float>(values.range);
  s.startFreqHz = static_cast<float>(values.startHz);
  s.stopFreqHz = static_cast<float>(values.stopHz);
  s.gridEnabled = f_.grid->isChecked() ? 1 : 0;
  s.grabCursor = f_.pullCursor->isChecked() ? 1 : 0;
  s.lineColor = f_.lineColor->ColorRef();
  s.backgroundColor = f_.backgroundColor->ColorRef();
  s.gridColor = f_.gridColor->ColorRef();
  s.markerColor = f_.markerColor->ColorRef();
  s.intervalFlag = values.periodic ? 1 : 0;
  if (values.periodic) s.intervalSecs = static_cast<float>(values.intervalSecs);
  result_ = s;
  return true;
}

}  // namespace orvanix
