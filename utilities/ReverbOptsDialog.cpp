#include "utilities/ReverbOptsDialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "app/dialogs/DialogChecks.h"

namespace orvanix {

TReverbOptsDialog::TReverbOptsDialog(QWidget* parent, const TReverbOptions& options,
                                     int excitations)
    : TDialogBase(parent, "Reverberation Display Options", true),
      options_(options),
      excitations_(excitations) {
  setObjectName("DIALOG_REVERB");
  auto* body = new QVBoxLayout;
  auto* groups = new QHBoxLayout;
  auto* smoothing = new QGroupBox("Smoothing Method");
  auto* smoothingRows = new QVBoxLayout(smoothing);
  const char* smoothingLabels[3] = {"None", "Average", "Schroeder"};
  for (int i = 0; i < 3; ++i) {
    smoothing_[i] = new QRadioButton(smoothingLabels[i]);
    smoothingRows->addWidget(smoothing_[i]);
  }
  auto* extrapolation = new QGroupBox("Extrapolation Method");
  auto* extrapolationRows = new QVBoxLayout(extrapolation);
  const char* extrapolationLabels[3] = {"RT-10", "RT-20", "RT-30"};
  for (int i = 0; i < 3; ++i) {
    extrapolation_[i] = new QRadioButton(extrapolationLabels[i]);
    extrapolationRows->addWidget(extrapolation_[i]);
  }
  groups->addWidget(smoothing);
  groups->addWidget(extrapolation);
  body->addLayout(groups);

  auto* decayRow = new QHBoxLayout;
  decayRow->addWidget(new QLabel("Maximum Decay Time (seconds):"));
  maxDecay_ = new QLineEdit;
  decayRow->addWidget(maxDecay_);
  body->addLayout(decayRow);
  auto* excitationRow = new QHBoxLayout;
  excitationRow->addWidget(new QLabel("Excitations averaged per measurement:"));
  excitationsBox_ = new QSpinBox;
  excitationsBox_->setRange(1, 16);
  excitationRow->addWidget(excitationsBox_);
  body->addLayout(excitationRow);

  auto* colorRow = new QHBoxLayout;
  const char* colorLabels[5] = {"&Bar...", "Bac&kground...", "&Decay...", "&Surface...",
                                "&Grid..."};
  for (int i = 0; i < 5; ++i) {
    colors_[i] = new TColorButton(colorLabels[i], 0);
    colorRow->addWidget(colors_[i]);
  }
  body->addLayout(colorRow);
  SetBody(body);
  Show(options);
  excitationsBox_->setValue(std::clamp(excitations, 1, 16));
}

void TReverbOptsDialog::Show(const TReverbOptions& o) {
  smoothing_[std::clamp(o.smoothingMethod, 0, 2)]->setChecked(true);
  extrapolation_[std::clamp(o.extrapolationMethod, 0, 2)]->setChecked(true);
  maxDecay_->setText(QString::number(o.maxDecayTime));
  const uint32_t colors[5] = {o.barColor, o.backgroundColor, o.decayColor, o.surfaceColor,
                              o.gridColor};
  for (int i = 0; i < 5; ++i) colors_[i]->SetColorRef(colors[i]);
}

bool TReverbOptsDialog::Validate() {
  const double decay = FieldNumber(Ss(maxDecay_->text()));
  if (!(decay >= 1 && decay <= 30)) {
    Refuse(kReverbMaxDecayRange, MessageIcon::Warning, maxDecay_);
    return false;
  }
  for (int i = 0; i < 3; ++i) {
    if (smoothing_[i]->isChecked()) options_.smoothingMethod = i;
    if (extrapolation_[i]->isChecked()) options_.extrapolationMethod = i;
  }
  options_.maxDecayTime = static_cast<int32_t>(decay);
  options_.barColor = colors_[0]->ColorRef();
  options_.backgroundColor = colors_[1]->ColorRef();
  options_.decayColor = colors_[2]->ColorRef();
  options_.surfaceColor = colors_[3]->ColorRef();
  options_.gridColor = colors_[4]->ColorRef();
  excitations_ = excitationsBox_->value();
  return true;
}

void TReverbOptsDialog::LoadDefaults() {
  // Average, RT-20, a maximum decay of 10 s and the default colours; what the plots show
  // stays as it is.
  TReverbOptions defaults = options_;
  const TReverbOptions fresh;
  defaults.smoothingMethod = fresh.smoothingMethod;
  defaults.extrapolationMethod = fresh.extrapolationMethod;
  defaults.maxDecayTime = fresh.maxDecayTime;
  defaults.barColor = fresh.barColor;
  defaults.backgroundColor = fresh.backgroundColor;
  defaults.decayColor = fresh.decayColor;
  defaults.surfaceColor = fresh.surfaceColor;
  defaults.gridColor = fresh.gridColor;
  Show(defaults);
}

}  // namespace orvanix
