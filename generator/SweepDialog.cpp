// The sweeps' dialogs: "SIGNAL_FREQ_SWEEP" and "SIGNAL_LEVEL_SWEEP".
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

class TFreqSweepDialog : public TDetailsDialog {
 public:
  TFreqSweepDialog(QWidget* parent, const TSignalRecord& r, long nyquist)
      : TDetailsDialog(parent, kFreqSweepTitle, r, nyquist) {
    start_ = NumberEdit(FloatText(r.freqSweep.startHz));
    start_->setObjectName("FStartHz");
    stop_ = NumberEdit(FloatText(r.freqSweep.stopHz));
    stop_->setObjectName("FStopHz");
    linear_ = new QRadioButton(Qs(kLinear));
    linear_->setObjectName("Linear");
    logarithmic_ = new QRadioButton(Qs(kLogarithmic));
    logarithmic_->setObjectName("Logarithmic");
    auto* group = new QButtonGroup(this);
    group->addButton(linear_);
    group->addButton(logarithmic_);
    (r.freqSweep.sweepType == 2 ? logarithmic_ : linear_)->setChecked(true);
    time_ = NumberEdit(QString::number(r.freqSweep.timeMsec));
    time_->setObjectName("TimeMSec");
    auto* law = new QHBoxLayout;
    law->addWidget(linear_);
    law->addWidget(logarithmic_);
    auto* form = new QFormLayout;
    form->addRow(Qs(kStartFrequency), start_);
    form->addRow(Qs(kStopFrequency), stop_);
    form->addRow(law);
    form->addRow(Qs(kSweepTime), time_);
    SetBody(form);
  }

 protected:
  bool Validate() override {
    const double start = Number(start_), stop = Number(stop_), time = WholeNumber(time_);
    if (Refused(CheckFreqSweep(start, stop, time, nyquist_), {start_, stop_, time_})) return false;
    result_.freqSweep.startHz = static_cast<float>(start);
    result_.freqSweep.stopHz = static_cast<float>(stop);
    result_.freqSweep.timeMsec = static_cast<int32_t>(time);
    result_.freqSweep.sweepType = logarithmic_->isChecked() ? 2 : 1;
    return true;
  }

 private:
  QLineEdit* start_;
  QLineEdit* stop_;
  QRadioButton* linear_;
  QRadioButton* logarithmic_;
  QLineEdit* time_;
};

class TLevelSweepDialog : public TDetailsDialog {
 public:
  TLevelSweepDialog(QWidget* parent, const TSignalRecord& r, long nyquist)
      : TDetailsDialog(parent, kLevelSweepTitle, r, nyquist) {
    start_ = NumberEdit(FloatText(r.levelSweep.startDb));
    start_->setObjectName("StartDB");
    stop_ = NumberEdit(FloatText(r.levelSweep.stopDb));
    stop_->setObjectName("StopDB");
    hz_ = NumberEdit(FloatText(r.levelSweep.freqHz));
    hz_->setObjectName("FreqHz");
    time_ = NumberEdit(QString::number(r.levelSweep.timeMsec));
    time_->setObjectName("TimeMSec");
    auto* form = new QFormLayout;
    form->addRow(Qs(kStartLevel), start_);
    form->addRow(Qs(kStopLevel), stop_);
    form->addRow(Qs(kSignalFrequency), hz_);
    form->addRow(Qs(kSweepTime), time_);
    SetBody(form);
  }

 protected:
  bool Validate() override {
    const double start = Number(start_), stop = Number(stop_), hz = Number(hz_);
    const double time = WholeNumber(time_);
    if (Refused(CheckLevelSweep(start, stop, hz, time, nyquist_), {start_, stop_, hz_, time_})) {
      return false;
    }
    result_.levelSweep.startDb = static_cast<float>(start);
    result_.levelSweep.stopDb = static_cast<float>(stop);
    result_.levelSweep.freqHz = static_cast<float>(hz);
    result_.levelSweep.timeMsec = static_cast<int32_t>(time);
    return true;
  }

 private:
  QLineEdit* start_;
  QLineEdit* stop_;
  QLineEdit* hz_;
  QLineEdit* time_;
};

}  // namespace

TDetailsDialog* MakeFreqSweepDialog(QWidget* parent, const TSignalRecord& r, long nyquist) {
  return new TFreqSweepDialog(parent, r, nyquist);
}

TDetailsDialog* MakeLevelSweepDialog(QWidget* parent, const TSignalRecord& r, long nyquist) {
  return new TLevelSweepDialog(parent, r, nyquist);
}

}  // namespace orvanix
