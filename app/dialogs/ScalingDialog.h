// TScalingDialog: "Scaling Control", how spectra are scaled and shown: amplitude and
// frequency axes, the fractional-octave resolution, spectral density, standard weighting
// and microphone compensation with a file per channel (the right one in stereo only).
// Nothing here can be out of range, so OK always accepts; a microphone file that cannot be
// used is reported when the settings are applied.
#pragma once

#include <string>

#include "app/dialogs/DialogBase.h"
#include "engine/ProcessingSettings.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace orvanix {

class TFileChooser;

class TScalingDialog : public TDialogBase {
 public:
  // `channels` of the processing format; `micFolder` the folder the file dialogs start in;
  // `chooser` answers the file dialogs (not owned; null: the Qt file dialog).
  TScalingDialog(QWidget* parent, const ScalingSettings& current, uint16_t channels,
                 const std::string& micFolder, TFileChooser* chooser = nullptr);

  const ScalingSettings& Result() const { return result_; }
  // The folder of the last file chosen with a browse button (the last-used folder).
  const std::string& MicFolder() const { return micFolder_; }
  // The browse buttons' action (0 left, 1 right), for tests.
  void BrowseMicFile(int channel);

  // The octave numbers the list offers, in order.
  static constexpr uint16_t kOctaveChoices[8] = {1, 3, 6, 9, 12, 24, 48, 96};

  struct Fields {
    QRadioButton* ampLinear = nullptr;
    QRadioButton* ampLog = nullptr;
    QRadioButton* freqLinear = nullptr;
    QRadioButton* freqLog = nullptr;
    QRadioButton* freqOctave = nullptr;
    QComboBox* octave = nullptr;
    QCheckBox* density = nullptr;
    QComboBox* densityType = nullptr;
    QComboBox* weighting = nullptr;
    QCheckBox* mic = nullptr;
    QLineEdit* micLeft = nullptr;
    QLineEdit* micRight = nullptr;
    QPushButton* browseLeft = nullptr;
    QPushButton* browseRight = nullptr;
  };
  const Fields& Widgets() const { return f_; }

 protected:
  bool Validate() override;
  void LoadDefaults() override;

 private:
  QLayout* BuildLayout();
  void Show(const ScalingSettings& s);
  void UpdateDependents();

  ScalingSettings result_;
  uint16_t channels_;
  std::string micFolder_;
  TFileChooser* chooser_;
  Fields f_;
};

}  // namespace orvanix
