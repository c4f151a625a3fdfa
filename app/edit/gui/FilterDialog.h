// TFilterDialog (DIALOG_FILTER, "Digital Filtering"): the filter type, its frequencies
// (cutoff for low and high pass, centre and width for band pass and notch, each an edit with
// a scroll bar over 0 ... the Nyquist frequency), the channels (left only for mono) and the
// rolloff (39, 81 or 199 taps). "&Start" checks the frequencies in the order cutoff, centre,
// width; "&Defaults" puts back the `Filter` section's defaults.
#pragma once

#include "app/dialogs/DialogBase.h"
#include "files/SettingsRecords.h"

class QCheckBox;
class QRadioButton;

namespace orvanix {

class TFilterDialog : public TDialogBase {
 public:
  TFilterDialog(QWidget* parent, const TFilterSettings& current, int32_t nyquistHz, bool stereo);
  const TFilterSettings& Result() const { return result_; }

  struct Fields {
    QRadioButton* type[4] = {};
    TNumberScrollEdit* cutoff = nullptr;
    TNumberScrollEdit* centre = nullptr;
    TNumberScrollEdit* width = nullptr;
    QCheckBox* left = nullptr;
    QCheckBox* right = nullptr;
    QRadioButton* rolloff[3] = {};
    QPushButton* start = nullptr;
  };
  const Fields& Widgets() const { return f_; }

 protected:
  bool Validate() override;
  void LoadDefaults() override;

 private:
  void Show(const TFilterSettings& s);
  int32_t Type() const;
  // The edits of the type shown go into `shown_` before another type is shown.
  void Keep();
  void UpdateDependents();

  int32_t nyquist_;
  bool stereo_;
  TFilterSettings shown_;
  TFilterSettings result_;
  int32_t shownType_ = 0;
  bool loading_ = false;  // Show() sets the fields: nothing to keep from them
  bool kept_ = false;     // the edits show the values of `shownType_`
  Fields f_;
};

}  // namespace orvanix
