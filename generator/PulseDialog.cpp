// "SIGNAL_PULSE" ("Pulse Settings"): width and repetition interval in microseconds, each
// with its scroll bar over the range M allows, and the single-shot box.
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

int ScrollLimit(long value) {
  return static_cast<int>(std::min<long>(value, 2000000000L));
}

class TPulseDialog : public TDetailsDialog {
 public:
  TPulseDialog(QWidget* parent, const TSignalRecord& r, long nyquist)
      : TDetailsDialog(parent, kPulseTitle, r, nyquist) {
    const TPulseLimits limits = PulseLimits(nyquist);
    width_ = new TNumberScrollEdit(ScrollLimit(limits.minUsec), ScrollLimit(limits.maxWidthUsec));
    width_->Edit()->setObjectName("WidthNSec");
    width_->SetText(QString::number(r.pulse.widthUsec));
    interval_ =
        new TNumberScrollEdit(ScrollLimit(limits.minUsec), ScrollLimit(limits.maxIntervalUsec));
    interval_->Edit()->setObjectName("RepIntervalNSec");
    interval_->SetText(QString::number(r.pulse.repIntervalUsec));
    oneShot_ = new QCheckBox(Qs(kSingleShot));
    oneShot_->setObjectName("OneShotFlag");
    oneShot_->setChecked(r.pulse.oneShot == 1);
    auto* form = new QFormLayout;
    form->addRow(Qs(kPulseWidthUsec), width_);
    form->addRow(Qs(kRepetitionInterval), interval_);
    form->addRow(oneShot_);
    SetBody(form);
  }

 protected:
  bool Validate() override {
    const double width = WholeNumber(width_->Edit()), interval = WholeNumber(interval_->Edit());
    if (Refused(CheckPulse(width, interval, nyquist_), {width_->Edit(), interval_->Edit()})) {
      return false;
    }
    result_.pulse.widthUsec = static_cast<int32_t>(width);
    result_.pulse.repIntervalUsec = static_cast<int32_t>(interval);
    result_.pulse.oneShot = oneShot_->isChecked() ? 1 : 0;
    return true;
  }

 private:
  TNumberScrollEdit* width_;
  TNumberScrollEdit* interval_;
  QCheckBox* oneShot_;
};

}  // namespace

TDetailsDialog* MakePulseDialog(QWidget* parent, const TSignalRecord& r, long nyquist) {
  return new TPulseDialog(parent, r, nyquist);
}

}  // namespace orvanix
