// The burst types' dialogs: "SIGNAL_NOISE_BURST" and "SIGNAL_TONE_BURST".
#include <QButtonGroup>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>

#include "generator/DetailsDialogMakers.h"
#include "generator/GeneratorTexts.h"

namespace orvanix {

namespace {

using namespace gentext;

class TNoiseBurstDialog : public TDetailsDialog {
 public:
  TNoiseBurstDialog(QWidget* parent, const TSignalRecord& r, long nyquist)
      : TDetailsDialog(parent, kNoiseBurstTitle, r, nyquist) {
    white_ = new QRadioButton(Qs(kWhiteNoise));
    white_->setObjectName("White");
    pink_ = new QRadioButton(Qs(kPinkNoise));
    pink_->setObjectName("Pink");
    auto* group = new QButtonGroup(this);
    group->addButton(white_);
    group->addButton(pink_);
    (r.noiseBurst.type == 0 ? white_ : pink_)->setChecked(true);
    burst_ = NumberEdit(QString::number(r.noiseBurst.burstTimeMsec));
    burst_->setObjectName("BurstTimeMsec");
    cycle_ = NumberEdit(QString::number(r.noiseBurst.cycleTimeMsec));
    cycle_->setObjectName("CycleTimeMsec");
    auto* noise = new QHBoxLayout;
    noise->addWidget(white_);
    noise->addWidget(pink_);
    auto* form = new QFormLayout;
    form->addRow(noise);
    form->addRow(Qs(kBurstTime), burst_);
    form->addRow(Qs(kCycleTime), cycle_);
    SetBody(form);
  }

 protected:
  bool Validate() override {
    const double burst = WholeNumber(burst_), cycle = WholeNumber(cycle_);
    if (Refused(CheckBurst(burst, cycle), {burst_, cycle_})) return false;
    result_.noiseBurst.type = white_->isChecked() ? 0 : 1;
    result_.noiseBurst.burstTimeMsec = static_cast<int32_t>(burst);
    result_.noiseBurst.cycleTimeMsec = static_cast<int32_t>(cycle);
    return true;
  }

 private:
  QRadioButton* white_;
  QRadioButton* pink_;
  QLineEdit* burst_;
  QLineEdit* cycle_;
};

class TToneBurstDialog : public TDetailsDialog {
 public:
  TToneBurstDialog(QWidget* parent, const TSignalRecord& r, long nyquist)
      : TDetailsDialog(parent, kToneBurstTitle, r, nyquist) {
    hz_ = NumberEdit(QString::number(r.toneBurst.freqHz));
    hz_->setObjectName("FreqHz");
    burst_ = NumberEdit(QString::number(r.toneBurst.burstTimeMsec));
    burst_->setObjectName("BurstTimeMsec");
    cycle_ = NumberEdit(QString::number(r.toneBurst.cycleTimeMsec));
    cycle_->setObjectName("CycleTimeMsec");
    auto* form = new QFormLayout;
    form->addRow(Qs(kToneFrequency), hz_);
    form->addRow(Qs(kBurstTime), burst_);
    form->addRow(Qs(kCycleTime), cycle_);
    SetBody(form);
  }

 protected:
  bool Validate() override {
    const double hz = WholeNumber(hz_), burst = WholeNumber(burst_), cycle = WholeNumber(cycle_);
    if (Refused(CheckToneBurst(hz, burst, cycle, nyquist_), {hz_, burst_, cycle_})) return false;
    result_.toneBurst.freqHz = static_cast<int32_t>(hz);
    result_.toneBurst.burstTimeMsec = static_cast<int32_t>(burst);
    result_.toneBurst.cycleTimeMsec = static_cast<int32_t>(cycle);
    return true;
  }

 private:
  QLineEdit* hz_;
  QLineEdit* burst_;
  QLineEdit* cycle_;
};

}  // namespace

TDetailsDialog* MakeNoiseBurstDialog(QWidget* parent, const TSignalRecord& r, long nyquist) {
  return new TNoiseBurstDialog(parent, r, nyquist);
}

TDetailsDialog* MakeToneBurstDialog(QWidget* parent, const TSignalRecord& r, long nyquist) {
  return new TToneBurstDialog(parent, r, nyquist);
}

}  // namespace orvanix
