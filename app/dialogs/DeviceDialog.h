// TDeviceDialog: "Device Selection" (DIALOG_DEVICE): the sound input and output devices of
// the analyzer, buttons that open the desktop's mixer on its recording or playback page,
// and the device details.
//
// The lists number the devices as the configuration stores them ("InputDeviceID",
// "OutputDeviceID"): the real devices first, then the virtual ones such as "Loopback".
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "app/dialogs/DialogBase.h"
#include "files/SettingsRecords.h"
#include "ui/Launcher.h"

class QComboBox;

namespace orvanix {

struct TDeviceLists {
  std::vector<std::string> inputs;
  std::vector<std::string> outputs;
};
// The sound ports' device lists of this machine.
TDeviceLists SystemDeviceLists();

// The details text for the selected devices. The audio system names devices but does not
// report the classic manufacturer, product and driver numbers; they show as 0.
std::string DeviceDetailsText(const std::string& inputName, const std::string& outputName);

class TDeviceDialog : public TDialogBase {
 public:
  // `startMixer` opens the mixer (null: StartMixer, which fails silently).
  TDeviceDialog(QWidget* parent, const TDeviceSettings& current, const TDeviceLists& devices,
                std::function<void(MixerSide)> startMixer = {});

  const TDeviceSettings& Result() const { return result_; }
  // The details button: the text of DeviceDetailsText, captioned "Device Details".
  void ShowDetails();

  struct Fields {
    QComboBox* input = nullptr;
    QComboBox* output = nullptr;
    QPushButton* inputMixer = nullptr;
    QPushButton* outputMixer = nullptr;
    QPushButton* details = nullptr;
  };
  const Fields& Widgets() const { return f_; }

 protected:
  bool Validate() override;

 private:
  TDeviceSettings result_;
  TDeviceLists devices_;
  std::function<void(MixerSide)> startMixer_;
  Fields f_;
};

}  // namespace orvanix
