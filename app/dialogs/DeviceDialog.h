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

#include "acquisition/DeviceDetails.h"
#include "app/dialogs/DialogBase.h"
#include "files/SettingsRecords.h"
#include "ui/Launcher.h"

class QComboBox;

namespace orvanix {

struct TDeviceLists {
  std::vector<std::string> inputs;
  std::vector<std::string> outputs;
  // What the audio system knows of a device of the lists (null: the name only).
  std::function<TDeviceDetails(TSoundDirection direction, int deviceId)> details;
};
// The sound ports' device lists of this machine, with SoundDeviceDetails.
TDeviceLists SystemDeviceLists();

// The details text for the selected devices: host API, card and driver, channels, rates,
// widths and latencies of each.
std::string DeviceDetailsText(const TDeviceDetails& input, const TDeviceDetails& output);

class TDeviceDialog : public TDialogBase {
 public:
  // `startMixer` opens the mixer (null: StartMixer, which fails silently).
  TDeviceDialog(QWidget* parent, const TDeviceSettings& current, const TDeviceLists& devices,
                std::function<void(MixerSide)> startMixer = {});

  const TDeviceSettings& Result() const { return result_; }
  // The details button: the text of DeviceDetailsText for the devices selected in the
  // lists, captioned "Device Details".
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
