// TTriggerDialog: "Trigger Setup" (DIALOG_TRIGGER), the trigger of the run loop: on or off,
// re-arming, source channel, level or edge, slope, threshold in percent of full scale and
// a pre- or post-trigger delay. OK checks the threshold (0 ... 100) and then the delay
// (0 ... 1000 ms), both reported with the stop icon.
#pragma once

#include "app/dialogs/DialogBase.h"
#include "files/SettingsRecords.h"

class QCheckBox;
class QLineEdit;
class QRadioButton;

namespace orvanix {

class TTriggerDialog : public TDialogBase {
 public:
  TTriggerDialog(QWidget* parent, const TTriggerSettings& current);

  const TTriggerSettings& Result() const { return result_; }

  struct Fields {
    QCheckBox* enable = nullptr;
    QCheckBox* rearm = nullptr;
    QRadioButton* left = nullptr;
    QRadioButton* right = nullptr;
    QRadioButton* level = nullptr;
    QRadioButton* edge = nullptr;
    QRadioButton* positive = nullptr;
    QRadioButton* negative = nullptr;
    QLineEdit* threshold = nullptr;
    QLineEdit* delay = nullptr;
    QRadioButton* preTrigger = nullptr;
    QRadioButton* postTrigger = nullptr;
  };
  const Fields& Widgets() const { return f_; }

 protected:
  bool Validate() override;
  void LoadDefaults() override;

 private:
  QLayout* BuildLayout();
  void Show(const TTriggerSettings& s);

  TTriggerSettings result_;
  Fields f_;
};

}  // namespace orvanix
