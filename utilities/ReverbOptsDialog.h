// "Reverberation Display Options" (DIALOG_REVERB): how the decays are smoothed and read, the
// maximum decay time of a measurement, the colours of the plots, and (beyond the classic
// dialog) how many excitations a measurement averages.
#pragma once

#include "app/dialogs/DialogBase.h"
#include "files/SettingsRecords.h"

class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace orvanix {

inline constexpr const char* kReverbMaxDecayRange =
    "Maximum decay time must be between 1 and 30 seconds.";

class TReverbOptsDialog : public TDialogBase {
 public:
  TReverbOptsDialog(QWidget* parent, const TReverbOptions& options, int excitations);
  const TReverbOptions& Options() const { return options_; }
  int Excitations() const { return excitations_; }

  QRadioButton* Smoothing(int method) const { return smoothing_[method]; }
  QRadioButton* Extrapolation(int method) const { return extrapolation_[method]; }
  QLineEdit* MaxDecayEdit() const { return maxDecay_; }
  QSpinBox* ExcitationsBox() const { return excitationsBox_; }
  TColorButton* Color(int index) const {
    return colors_[index];
  }  // bar, background, decay,
     // surface, grid

 protected:
  bool Validate() override;
  void LoadDefaults() override;

 private:
  void Show(const TReverbOptions& options);
  TReverbOptions options_;
  int excitations_ = 1;
  QRadioButton* smoothing_[3] = {};
  QRadioButton* extrapolation_[3] = {};
  QLineEdit* maxDecay_ = nullptr;
  QSpinBox* excitationsBox_ = nullptr;
  TColorButton* colors_[5] = {};
};

}  // namespace orvanix
