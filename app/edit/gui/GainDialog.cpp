#include "app/edit/gui/GainDialog.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QVBoxLayout>

#include "app/edit/EditModule.h"
#include "files/EditTexts.h"
#include "files/TransferNumbers.h"

namespace orvanix {

TGainDialog::TGainDialog(QWidget* parent, double leftDb, double rightDb, bool stereo)
    : TDialogBase(parent, kGainAdjustTitle, false), left_(leftDb), right_(rightDb) {
  setObjectName("DIALOG_GAIN_ADJUST");
  auto* body = new QVBoxLayout;
  auto* group = new QGroupBox(Qs(kGainAdjustGroup), this);
  auto* form = new QFormLayout(group);
  leftEdit_ = new QLineEdit(Qs(Format("%3.1f", leftDb)), group);
  rightEdit_ = new QLineEdit(Qs(Format("%3.1f", rightDb)), group);
  rightEdit_->setEnabled(stereo);
  form->addRow(Qs(kLeftGainText), leftEdit_);
  form->addRow(Qs(kRightGainText), rightEdit_);
  body->addWidget(group);
  SetBody(body);
}

bool TGainDialog::Validate() {
  double left = 0, right = 0;
  const bool readLeft = ParseReal(Ss(leftEdit_->text().trimmed()), left);
  const bool readRight = ParseReal(Ss(rightEdit_->text().trimmed()), right);
  const std::string refusal =
      TEditModule::CheckGain(readLeft ? left : 1e9, readRight ? right : 1e9);
  if (!refusal.empty()) {
    const bool leftBad = !readLeft || !TEditModule::CheckGain(left, 0).empty();
    Refuse(refusal, MessageIcon::Error, leftBad ? leftEdit_ : rightEdit_);
    return false;
  }
  left_ = left;
  right_ = right;
  return true;
}

}  // namespace orvanix
