// "SIGNAL_IMD" ("IMD tones"): the two standard sets, or custom tones with their power ratio.
#include <QButtonGroup>
#include <QFormLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "generator/DetailsDialogMakers.h"
#include "generator/GeneratorTexts.h"

namespace orvanix {

namespace {

using namespace gentext;

class TImdDialog : public TDetailsDialog {
 public:
  TImdDialog(QWidget* parent, const TSignalRecord& r, long nyquist)
      : TDetailsDialog(parent, kImdTitle, r, nyquist) {
    set1_ = new QRadioButton(Qs(kStandardSet1) + "  (" + Qs(kStandardSet1Detail) + ")");
    set1_->setObjectName("Set1");
    set2_ = new QRadioButton(Qs(kStandardSet2) + "  (" + Qs(kStandardSet2Detail) + ")");
    set2_->setObjectName("Set2");
    custom_ = new QRadioButton(Qs(kCustom));
    custom_->setObjectName("Custom");
    auto* group = new QButtonGroup(this);
    for (QRadioButton* b : {set1_, set2_, custom_}) group->addButton(b);
    const int type = r.imd.imdType;
    (type == 0 ? set1_ : type == 2 ? custom_ : set2_)->setChecked(true);
    low_ = NumberEdit(FloatText(r.imd.loFreqHz));
    low_->setObjectName("LoFreqHz");
    high_ = NumberEdit(FloatText(r.imd.hiFreqHz));
    high_->setObjectName("HiFreqHz");
    ratio_ = NumberEdit(FloatText(r.imd.powerRatio));
    ratio_->setObjectName("PwrRatio");
    auto* customForm = new QFormLayout;
    customForm->addRow(Qs(kLowFrequency), low_);
    customForm->addRow(Qs(kHighFrequency), high_);
    customForm->addRow(Qs(kPowerRatio), ratio_);
    auto* body = new QVBoxLayout;
    body->addWidget(set1_);
    body->addWidget(set2_);
    body->addWidget(custom_);
    body->addLayout(customForm);
    SetBody(body);
    auto enable = [this] {
      for (QLineEdit* e : {low_, high_, ratio_}) e->setEnabled(custom_->isChecked());
    };
    connect(custom_, &QRadioButton::toggled, this, enable);
    enable();
  }

 protected:
  bool Validate() override {
    if (custom_->isChecked()) {
      const double low = Number(low_), high = Number(high_), ratio = Number(ratio_);
      if (Refused(CheckImdCustom(low, high, ratio, nyquist_), {low_, high_, ratio_})) return false;
      result_.imd.loFreqHz = static_cast<float>(low);
      result_.imd.hiFreqHz = static_cast<float>(high);
      result_.imd.powerRatio = static_cast<float>(ratio);
    }
    result_.imd.imdType = set1_->isChecked() ? 0 : set2_->isChecked() ? 1 : 2;
    return true;
  }

 private:
  QRadioButton* set1_;
  QRadioButton* set2_;
  QRadioButton* custom_;
  QLineEdit* low_;
  QLineEdit* high_;
  QLineEdit* ratio_;
};

}  // namespace

TDetailsDialog* MakeImdDialog(QWidget* parent, const TSignalRecord& r, long nyquist) {
  return new TImdDialog(parent, r, nyquist);
}

}  // namespace orvanix
