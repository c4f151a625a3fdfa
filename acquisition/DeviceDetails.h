// What the audio system knows about one device of the program's device list, for the
// Device Selection dialog's details: the host API PortAudio reaches it through, ALSA's
// card and driver names when it is an ALSA hardware device, the channel count, the
// default and accepted sample rates, the sample widths and the default latencies.
// Main thread only (the rates are probed as a sound port probes them).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "acquisition/DeviceStream.h"

namespace orvanix {

struct TDeviceDetails {
  std::string name;
  bool known = false;         // false: no device has this number
  bool isVirtual = false;     // a device of this program ("Loopback")
  std::string hostApi;        // "ALSA", "JACK Audio Connection Kit", ...
  std::string card;           // ALSA's long card name, empty when not a hardware card
  std::string driver;         // ALSA's driver name for the card ("HDA-Intel", "USB-Audio")
  int channels = 0;           // the most the device offers in this direction
  double defaultRateHz = 0;   // the rate the device prefers
  double lowLatencySecs = 0;  // PortAudio's default latencies in this direction
  double highLatencySecs = 0;
  bool probed = false;          // the rates and widths below were learnt from the device
  std::vector<uint32_t> rates;  // the common rates it accepts (the range's ends when anyRate)
  bool anyRate = false;         // any rate between the first and last of `rates` works
  std::vector<uint32_t> bits;   // accepted sample widths: 8, 16, 24
};

// The details of device `deviceId` of the direction's list (the numbers of "InputDeviceID"
// and "OutputDeviceID"). Probing may take a moment for a real device.
TDeviceDetails SoundDeviceDetails(TSoundDirection direction, int deviceId);

// ALSA's card number in a PortAudio device name ("HDA Intel PCH: ALC3246 Analog (hw:0,0)"
// gives 0), or -1 when the name holds none.
int AlsaCardOfName(const std::string& name);

// The card's driver and long name from the text of /proc/asound/cards, whose entries read
// " 0 [PCH            ]: HDA-Intel - HDA Intel PCH\n                      HDA Intel PCH at
// 0xf7f10000 irq 130\n". False when the card is not listed.
bool AlsaCardFromList(const std::string& cardsText, int card, std::string& driver,
                      std::string& longName);

// The details as the dialog shows them, one "   Key = value" line each, lines ended by '\r'.
std::string DeviceDetailsLines(const TDeviceDetails& details);

}  // namespace orvanix
