// "SIGNAL_DTMF" ("DTMF Signal Details"): the keys, pulse width, spacing, twist and repeat.
#include <QCheckBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <algorithm>

#include "generator/DetailsDialogMakers.h"
#include "generator/GeneratorTexts.h"

namespace orvanix {

namespace {

using namespace gentext;

class TDtmfDialog : public TDetailsDialog {
 public:
  TDtmfDialog(QWidget* parent, const TSignalRecord& r, long nyquist)
      : TDetailsDialog(parent, kDtmfTitle, r, nyquist) {
    keys_ = new QLineEdit(Qs(r.dtmf.keyString));
    keys_->setObjectName("KeyString");
    keys_->setMaxLength(kMaxDtmfKeys);
    keys_->setMinimumWidth(260);
    width_ = NumberEdit(QString::number(r.dtmf.pulseWidthMsec));
    width_->setObjectName("PulseWidthMsec");
    spacing_ = NumberEdit(QString::number(r.dtmf.pulseSpacingMsec));
    spacing_->setObjectName("PulseSpacingMsec");
    twist_ = NumberEdit(FloatText(r.dtmf.twistDb));
    twist_->setObjectName("TwistDB");
    repeat_ = new QCheckBox(Qs(kRepeatKeys));
    repeat_->setObjectName("RepeatFlag");
    repeat_->setChecked(r.dtmf.repeat == 1);
    auto* form = new QFormLayout;
    form->addRow(Qs(kKeyString), keys_);
    form->addRow(Qs(kPulseWidthMsec), width_);
    form->addRow(Qs(kInterpulseSpacing), spacing_);
    form->addRow(Qs(kTwist), twist_);
    form->addRow(repeat_);
    SetBody(form);
  }

 protected:
  bool Validate() override {
    const double width = WholeNumber(width_), spacing = WholeNumber(spacing_);
    const double twist = Number(twist_);
    if (Refused(CheckDtmf(width, spacing, twist), {width_, spacing_, twist_})) return false;
    result_.dtmf.keyString = Ss(keys_->text()).substr(0, kMaxDtmfKeys);
    result_.dtmf.pulseWidthMsec = static_cast<int32_t>(width);
    result_.dtmf.pulseSpacingMsec = static_cast<int32_t>(spacing);
    result_.dtmf.twistDb = static_cast<float>(twist);
    result_.dtmf.repeat = repeat_->isChecked() ? 1 : 0;
    return true;
  }

 private:
  QLineEdit* keys_;
  QLineEdit* width_;
  QLineEdit* spacing_;
  QLineEdit* twist_;
  QCheckBox* repeat_;
};

}  // namespace

TDetailsDialog* MakeDtmfDialog(QWidget* parent, const TSignalRecord& r, long nyquist) {
  return new TDtmfDialog(parent, r, nyquist);
}

}  // namespace orvanix
