#include "app/edit/gui/DecimateDialog.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include "engine/Messages.h"
#include "files/EditTexts.h"
#include "files/FileUtilities.h"
#include "files/TransferNumbers.h"
#include "files/TransferTexts.h"

namespace orvanix {

TDecimateDialog::TDecimateDialog(QWidget* parent, uint32_t rateHz, uint32_t ratio, bool lowPass)
    : TDialogBase(parent, kDecimateTitle, false), rate_(rateHz), ratio_(ratio), lowPass_(lowPass) {
  setObjectName("DIALOG_DECIMATE");
  auto* body = new QVBoxLayout;
  auto* form = new QFormLayout;
  f_.ratio = new TNumberScrollEdit(1, static_cast<int>(kMaxDecimateRatio), this);
  f_.oldRate = new QLabel(QString::number(rateHz), this);
  f_.newRate = new QLabel(this);
  f_.lowPass = new QCheckBox(Qs(kDecimateFilterText), this);
  f_.lowPass->setChecked(lowPass);
  form->addRow(Qs(kDecimateRatioText), f_.ratio);
  form->addRow(Qs(kOldRateText), f_.oldRate);
  form->addRow(Qs(kNewRateText), f_.newRate);
  body->addLayout(form);
  body->addWidget(f_.lowPass);
  SetBody(body);
  connect(f_.ratio->Edit(), &QLineEdit::textChanged, this, [this] {
    const uint32_t typed = TypedRatio();
    f_.newRate->setText(QString::number(rate_ / (typed ? typed : 1)));
  });
  f_.ratio->SetText(QString::number(ratio));
  f_.newRate->setText(QString::number(rate_ / (TypedRatio() ? TypedRatio() : 1)));
}

uint32_t TDecimateDialog::TypedRatio() const {
  double value = 0;
  if (!ParseReal(Ss(f_.ratio->Text().trimmed()), value) || value != static_cast<int>(value) ||
      value < 1 || value > kMaxDecimateRatio) {
    return 0;
  }
  return static_cast<uint32_t>(value);
}

bool TDecimateDialog::Validate() {
  const uint32_t ratio = TypedRatio();
  if (ratio == 0) {
    Refuse(Format(kDecimationRange, static_cast<int>(kMaxDecimateRatio)), MessageIcon::Error,
           f_.ratio->Edit());
    return false;
  }
  ratio_ = ratio;
  lowPass_ = f_.lowPass->isChecked();
  return true;
}

}  // namespace orvanix
