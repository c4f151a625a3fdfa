// The classic waves' dialogs: "SIGNAL_SAWTOOTH" (frequency and slope), "SIGNAL_TRIANGULAR"
// (frequency) and "SIGNAL_SQUARE" (frequency and duty cycle).
#include <QButtonGroup>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>

#include "generator/DetailsDialogMakers.h"
#include "generator/GeneratorTexts.h"
#include "generator/SignalTypes.h"

namespace orvanix {

namespace {

using namespace gentext;

const char* TitleOf(int32_t type) {
  return type == kSignalSawtooth ? kSawtoothTitle
         : type == kSignalSquare ? kSquareTitle
                                 : kTriangularTitle;
}

class TWaveDialog : public TDetailsDialog {
 public:
  TWaveDialog(QWidget* parent, int32_t type, const TSignalRecord& r, long nyquist)
      : TDetailsDialog(parent, TitleOf(type), r, nyquist), type_(type) {
    const float hz = type == kSignalSawtooth ? r.sawtooth.freqHz
                     : type == kSignalSquare ? r.square.freqHz
                                             : r.triangular.freqHz;
    hz_ = NumberEdit(FloatText(hz));
    hz_->setObjectName("FreqHz");
    auto* form = new QFormLayout;
    form->addRow(Qs(kFrequency), hz_);
    if (type == kSignalSawtooth) {
      positive_ = new QRadioButton(Qs(kPositive));
      positive_->setObjectName("Positive");
      negative_ = new QRadioButton(Qs(kNegative));
      negative_->setObjectName("Negative");
      auto* group = new QButtonGroup(this);
      group->addButton(positive_);
      group->addButton(negative_);
      (r.sawtooth.slope < 0 ? negative_ : positive_)->setChecked(true);
      auto* slope = new QHBoxLayout;
      slope->addWidget(positive_);
      slope->addWidget(negative_);
      form->addRow(slope);
    } else if (type == kSignalSquare) {
      duty_ = NumberEdit(QString::number(r.square.dutyCyclePct));
      duty_->setObjectName("DutyCyclePct");
      form->addRow(Qs(kDutyCycle), duty_);
    }
    SetBody(form);
  }

 protected:
  bool Validate() override {
    const double hz = Number(hz_);
    if (type_ == kSignalSquare) {
      const double duty = WholeNumber(duty_);
      if (Refused(CheckSquare(hz, duty, nyquist_), {hz_, duty_})) return false;
      result_.square.freqHz = static_cast<float>(hz);
      result_.square.dutyCyclePct = static_cast<int32_t>(duty);
      return true;
    }
    if (Refused(CheckWaveFrequency(hz, nyquist_), {hz_})) return false;
    if (type_ == kSignalSawtooth) {
      result_.sawtooth.freqHz = static_cast<float>(hz);
      result_.sawtooth.slope = negative_->isChecked() ? -1 : 1;
    } else {
      result_.triangular.freqHz = static_cast<float>(hz);
    }
    return true;
  }

 private:
  int32_t type_;
  QLineEdit* hz_;
  QRadioButton* positive_ = nullptr;
  QRadioButton* negative_ = nullptr;
  QLineEdit* duty_ = nullptr;
};

}  // namespace

TDetailsDialog* MakeWaveDialog(QWidget* parent, int32_t type, const TSignalRecord& r,
                               long nyquist) {
  return new TWaveDialog(parent, type, r, nyquist);
}

}  // namespace orvanix
