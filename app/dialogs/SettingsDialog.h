// TSettingsDialog: "Processing Settings" (DIALOG_SETTINGS), the processing settings of one
// analyzer: sample format, FFT size, decimation, window, averaging, overlap, dual-channel
// processing, channel delay and overload handling, with the derived "Frequency Range and
// Resolution" texts updated as the fields change.
//
// The checks and their order are ValidateProcessingForm's (DialogChecks.h). The rate field
// offers the standard rates the input device accepts and takes any typed integer; the
// dual-channel list is enabled only for stereo, the overlap only in Post-Processing mode,
// the format fields only while no open file dictates the format.
#pragma once

#include "app/dialogs/DialogBase.h"
#include "app/dialogs/DialogChecks.h"
#include "engine/ProcessingSettings.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace orvanix {

class TSoundPort;

// What the dialog may ask of an input port. The port must outlive the capabilities. A port
// without a device gives no refusal function (the rate is then only checked against the
// rates any device is asked about; starting the analysis reports the missing device).
TInputCapabilities CapabilitiesOf(const TSoundPort& port);

class TSettingsDialog : public TDialogBase {
 public:
  // `current`: the settings the dialog starts from (and compares memory against).
  TSettingsDialog(QWidget* parent, const ProcessingSettings& current,
                  const TProcessingContext& context);

  // The accepted settings (valid after an accepted OK; before that, `current`).
  const ProcessingSettings& Result() const { return result_; }

  // The fields, for the main window's tests and ours.
  struct Fields {
    QComboBox* rate = nullptr;  // editable
    QRadioButton* bits8 = nullptr;
    QRadioButton* bits16 = nullptr;
    QRadioButton* bits24 = nullptr;
    QRadioButton* mono = nullptr;
    QRadioButton* stereo = nullptr;
    QComboBox* fftSize = nullptr;
    TNumberScrollEdit* decimation = nullptr;
    QCheckBox* lowPass = nullptr;
    QComboBox* window = nullptr;
    QRadioButton* exponential = nullptr;
    QRadioButton* linear = nullptr;
    QRadioButton* vector = nullptr;
    QComboBox* averageBlocks = nullptr;
    QCheckBox* peakHold = nullptr;
    TNumberScrollEdit* overlap = nullptr;
    QComboBox* channelProcessing = nullptr;
    QLineEdit* delay = nullptr;
    QRadioButton* delayLeft = nullptr;
    QRadioButton* delayRight = nullptr;
    QCheckBox* overload = nullptr;
    QCheckBox* exclude = nullptr;
    QLabel* lineResolution = nullptr;
    QLabel* frequencyLimit = nullptr;
    QLabel* timeResolution = nullptr;
  };
  const Fields& Widgets() const { return f_; }

 protected:
  bool Validate() override;
  void LoadDefaults() override;

 private:
  QLayout* BuildLayout();
  void Show(const ProcessingSettings& s, bool withFormat);
  TProcessingForm Form() const;
  // Enables what depends on other fields (dual channel with stereo, exclusion with
  // detection) and refreshes the derived texts.
  void UpdateDependents();
  void UpdateDerivedTexts();

  ProcessingSettings current_;
  ProcessingSettings result_;
  TProcessingContext context_;
  Fields f_;
};

}  // namespace orvanix
