// TDecimateDialog (DIALOG_DECIMATE, "Decimate Wave File"): the ratio (an edit with a scroll
// bar, 2 at first use), the old and the new sampling rate (old / ratio, updated while
// typing; an invalid ratio shows ratio 1) and the low-pass filter switch. OK checks the
// ratio lies in 1 ... 50.
#pragma once

#include "app/dialogs/DialogBase.h"

class QCheckBox;
class QLabel;

namespace orvanix {

class TDecimateDialog : public TDialogBase {
 public:
  TDecimateDialog(QWidget* parent, uint32_t rateHz, uint32_t ratio, bool lowPass);
  uint32_t Ratio() const { return ratio_; }
  bool LowPass() const { return lowPass_; }

  struct Fields {
    TNumberScrollEdit* ratio = nullptr;
    QLabel* oldRate = nullptr;
    QLabel* newRate = nullptr;
    QCheckBox* lowPass = nullptr;
  };
  const Fields& Widgets() const { return f_; }

 protected:
  bool Validate() override;

 private:
  // The typed ratio, or 0 when it is not one of 1 ... 50.
  uint32_t TypedRatio() const;

  uint32_t rate_;
  uint32_t ratio_;
  bool lowPass_;
  Fields f_;
};

}  // namespace orvanix
