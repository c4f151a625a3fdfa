// TGainDialog (DIALOG_GAIN_ADJUST, "Gain Adjust"): the left and right gains in dB ("%3.1f"),
// the right one disabled for a mono document; OK checks both lie in -60 ... 10 dB.
#pragma once

#include "app/dialogs/DialogBase.h"

class QLineEdit;

namespace orvanix {

class TGainDialog : public TDialogBase {
 public:
  TGainDialog(QWidget* parent, double leftDb, double rightDb, bool stereo);
  double LeftDb() const { return left_; }
  double RightDb() const { return right_; }
  QLineEdit* LeftEdit() const { return leftEdit_; }
  QLineEdit* RightEdit() const { return rightEdit_; }

 protected:
  bool Validate() override;

 private:
  double left_;
  double right_;
  QLineEdit* leftEdit_;
  QLineEdit* rightEdit_;
};

}  // namespace orvanix
