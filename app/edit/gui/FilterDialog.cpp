#include "app/edit/gui/FilterDialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "app/edit/EditModule.h"
#include "files/DigitalFilter.h"
#include "files/EditTexts.h"
#include "files/TransferNumbers.h"

namespace orvanix {

namespace {

int32_t HzOf(const TNumberScrollEdit* edit) {
  double value = 0;
  if (!ParseReal(Ss(edit->Text().trimmed()), value) || value != static_cast<int32_t>(value)) {
    return -1;  // refused by the range check
  }
  return static_cast<int32_t>(value);
}

}  // namespace

TFilterDialog::TFilterDialog(QWidget* parent, const TFilterSettings& current, int32_t nyquistHz,
                             bool stereo)
    : TDialogBase(parent, kFilterTitle, true), nyquist_(nyquistHz), stereo_(stereo) {
  setObjectName("DIALOG_FILTER");
  auto* body = new QVBoxLayout;
  auto* top = new QHBoxLayout;
  auto* types = new QGroupBox(Qs(kFilterTypeGroup), this);
  auto* typesLayout = new QVBoxLayout(types);
  for (int i = 0; i < 4; ++i) {
    f_.type[i] = new QRadioButton(Qs(kFilterTypeTexts[i]), types);
    typesLayout->addWidget(f_.type[i]);
    connect(f_.type[i], &QRadioButton::toggled, this, [this](bool on) {
      if (on) UpdateDependents();
    });
  }
  top->addWidget(types);
  auto* parameters = new QGroupBox(Qs(kFilterParametersGroup), this);
  auto* grid = new QGridLayout(parameters);
  f_.cutoff = new TNumberScrollEdit(0, nyquistHz, parameters);
  f_.centre = new TNumberScrollEdit(0, nyquistHz, parameters);
  f_.width = new TNumberScrollEdit(0, nyquistHz, parameters);
  grid->addWidget(new QLabel(Qs(kCutoffText), parameters), 0, 0);
  grid->addWidget(f_.cutoff, 0, 1);
  grid->addWidget(new QLabel(Qs(kCenterText), parameters), 1, 0);
  grid->addWidget(f_.centre, 1, 1);
  grid->addWidget(new QLabel(Qs(kWidthText), parameters), 2, 0);
  grid->addWidget(f_.width, 2, 1);
  top->addWidget(parameters, 1);
  body->addLayout(top);

  auto* bottom = new QHBoxLayout;
  auto* channels = new QGroupBox(Qs(kChannelSelectionGroup), this);
  auto* channelsLayout = new QVBoxLayout(channels);
  f_.left = new QCheckBox(Qs(kFilterLeftText), channels);
  f_.right = new QCheckBox(Qs(kFilterRightText), channels);
  channelsLayout->addWidget(f_.left);
  channelsLayout->addWidget(f_.right);
  bottom->addWidget(channels);
  auto* rolloff = new QGroupBox(Qs(kRolloffGroup), this);
  auto* rolloffLayout = new QVBoxLayout(rolloff);
  for (int i = 0; i < 3; ++i) {
    f_.rolloff[i] = new QRadioButton(Qs(kRolloffTexts[i]), rolloff);
    rolloffLayout->addWidget(f_.rolloff[i]);
  }
  bottom->addWidget(rolloff);
  body->addLayout(bottom);
  SetBody(body);
  if (auto* box = findChild<QDialogButtonBox*>()) {
    f_.start = box->button(QDialogButtonBox::Ok);
    f_.start->setText(Qs(kStartText));
  }
  Show(current);
  result_ = current;
}

int32_t TFilterDialog::Type() const {
  for (int32_t i = 0; i < 4; ++i) {
    if (f_.type[i]->isChecked()) return i;
  }
  return kLowPass;
}

void TFilterDialog::Show(const TFilterSettings& s) {
  loading_ = true;
  shown_ = s;
  shownType_ = std::clamp(s.type, 0, 3);
  f_.type[shownType_]->setChecked(true);
  const int32_t taps = ClampFilterTaps(s.numTaps);
  f_.rolloff[taps <= 60 ? 0 : taps <= 140 ? 1 : 2]->setChecked(true);
  f_.left->setChecked(s.doLeft != 0 || !stereo_);
  f_.right->setChecked(s.doRight != 0 && stereo_);
  f_.right->setEnabled(stereo_);
  f_.left->setEnabled(stereo_);
  loading_ = false;
  kept_ = false;
  UpdateDependents();
}

void TFilterDialog::Keep() {
  const int32_t cutoff = HzOf(f_.cutoff), centre = HzOf(f_.centre), width = HzOf(f_.width);
  switch (shownType_) {
    case kLowPass:
      shown_.lpCutoffHz = cutoff;
      break;
    case kHighPass:
      shown_.hpCutoffHz = cutoff;
      break;
    case kBandPass:
      shown_.bpCenterHz = centre;
      shown_.bpWidthHz = width;
      break;
    default:
      shown_.notchCenterHz = centre;
      shown_.notchWidthHz = width;
      break;
  }
}

void TFilterDialog::UpdateDependents() {
  if (loading_) return;
  if (kept_) Keep();
  kept_ = true;
  const int32_t type = Type();
  shownType_ = type;
  const bool cutoff = type == kLowPass || type == kHighPass;
  f_.cutoff->SetText(cutoff
                         ? QString::number(type == kLowPass ? shown_.lpCutoffHz : shown_.hpCutoffHz)
                         : QString());
  f_.centre->SetText(
      cutoff ? QString()
             : QString::number(type == kBandPass ? shown_.bpCenterHz : shown_.notchCenterHz));
  f_.width->SetText(
      cutoff ? QString()
             : QString::number(type == kBandPass ? shown_.bpWidthHz : shown_.notchWidthHz));
  f_.cutoff->setEnabled(cutoff);
  f_.centre->setEnabled(!cutoff);
  f_.width->setEnabled(!cutoff);
}

bool TFilterDialog::Validate() {
  Keep();
  TFilterSettings s = shown_;
  s.type = Type();
  for (int i = 0; i < 3; ++i) {
    if (f_.rolloff[i]->isChecked()) s.numTaps = kRolloffTaps[i];
  }
  s.doLeft = f_.left->isChecked() ? 1 : 0;
  s.doRight = stereo_ && f_.right->isChecked() ? 1 : 0;
  const std::string refusal = TEditModule::CheckFilter(s, nyquist_);
  if (!refusal.empty()) {
    const bool cutoff = s.type == kLowPass || s.type == kHighPass;
    QWidget* field = cutoff                            ? f_.cutoff->Edit()
                     : refusal.rfind("Center", 0) == 0 ? f_.centre->Edit()
                                                       : f_.width->Edit();
    Refuse(refusal, MessageIcon::Error, field);
    return false;
  }
  result_ = s;
  return true;
}

void TFilterDialog::LoadDefaults() {
  Show(TFilterSettings{});
}

}  // namespace orvanix
