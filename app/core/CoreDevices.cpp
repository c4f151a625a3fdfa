// Looking for sound devices again while the program runs: a device plugged in after
// start-up joins the lists, and the configured devices are followed by name.
#include "acquisition/PortAudioHost.h"
#include "acquisition/SoundInput.h"
#include "acquisition/SoundOutput.h"
#include "app/core/AnalyzerCore.h"
#include "app/core/CoreState.h"

namespace orvanix {

namespace {

std::string ConfiguredName(TSoundDirection direction, int32_t deviceId) {
  return TSoundPort::DeviceName(direction, TSoundPort::ClampDeviceId(direction, deviceId));
}

// The new number of the device called `name`, or the stored number when it is gone (the
// ports then clamp it, as at start-up).
int32_t Follow(TSoundDirection direction, const std::string& name, int32_t stored) {
  const int found = name.empty() ? -1 : TSoundPort::FindDevice(direction, name);
  return found >= 0 ? found : stored;
}

}  // namespace

bool TAnalyzerCore::RescanDevices() {
  Impl& d = *impl_;
  if (IsRunning()) return false;
  // A port may be open outside a run (the generator's output); the devices under it must
  // not be renumbered.
  if ((d.input && d.input->IsOpen()) || (d.output && d.output->IsOpen())) return false;
  TDeviceSettings& devices = d.settings.devices;
  const std::string inputName = ConfiguredName(TSoundDirection::Input, devices.inputDeviceId);
  const std::string outputName = ConfiguredName(TSoundDirection::Output, devices.outputDeviceId);
  if (!TPortAudioHost::Instance().Rescan()) return false;
  const TDeviceSettings before = devices;
  devices.inputDeviceId = Follow(TSoundDirection::Input, inputName, devices.inputDeviceId);
  devices.outputDeviceId = Follow(TSoundDirection::Output, outputName, devices.outputDeviceId);
  // The old ports hold device numbers of the previous scan.
  if (d.portsCreated) d.CreatePorts();
  if (!(before == devices)) d.Notify([](TAnalyzerObserver& o) { o.SettingsChanged(); });
  d.StatusChanged();
  return true;
}

}  // namespace orvanix
