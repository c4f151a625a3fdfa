// The sound ports' own texts, shared by the ports, the settings dialogs and the tests.
// Header only; the rate refusals are the settings records' own texts.
#pragma once

#include "engine/SettingsTexts.h"

namespace orvanix {

// A device refused the requested format at open; shown with its own caption.
inline constexpr const char* kSoundFormatRefused =
    "Sound Card not present or sampling rate not supported.";
inline constexpr const char* kSoundFormatRefusedCaption = "Orvane";

// The device could not be opened (busy, or the audio system refused it).
inline constexpr const char* kSoundDeviceBusy =
    "The Sound Board is in use by another application (e.g. Sound Recorder).  Either interrupt "
    "the application or wait until the device is free and then try again.";

// Any failure while the device is open or being probed; the port closes itself.
inline constexpr const char* kSoundDeviceFailure = "Failure accessing sound device.";

// The audio system itself could not be started, so only the virtual devices exist.
inline constexpr const char* kSoundNoDriver =
    "Cannot access the sound board because a Sound driver is not installed.  Use the driver "
    "option in Control Panel to install a driver";

// Sampling-rate refusals for the settings dialog (the same texts as the settings records'
// checks): the range form takes the port's lowest and highest rate (two longs).
inline constexpr const char* kSoundRateRange = kRateRangeMessage;
inline constexpr const char* kSoundRate11025Only = kRate11025Message;
inline constexpr const char* kSoundRateUpTo22050 = kRate22050Message;
inline constexpr const char* kSoundRateUpTo44100 = kRate44100Message;
// Our own: a device that accepts only a set of rates other than 11025/22050/44100 (common on
// Linux hardware devices). The argument is the list, e.g. "44100, 48000".
inline constexpr const char* kSoundRateOneOf = "Sampling Rate must be one of %s Hz";

// Detail lines appended to the messages above, naming the device and what went wrong.
inline constexpr const char* kSoundDetailFormat = "%s\n\nDevice: %s\n%s";

// The virtual devices listed after the real ones.
inline constexpr const char* kLoopbackDeviceName = "Loopback";

// Details of our own for failures the audio system does not name.
inline constexpr const char* kSoundDetailStreamStopped = "The device stopped unexpectedly.";
inline constexpr const char* kSoundDetailLoopbackBusy = "The Loopback device is already open.";
inline constexpr const char* kSoundDetailBadBuffer =
    "A buffer was queued with no memory, less than one frame or an invalid slot.";
inline constexpr const char* kSoundDetailSlotBusy = "A buffer slot was queued while still in use.";
inline constexpr const char* kSoundDetailNoFormat =
    "The device accepts none of the sample formats.";
inline constexpr const char* kSoundDetailNotify = "The buffer notification channel failed: %s";
inline constexpr const char* kSoundDetailFormatRefused =
    "The device does not accept %u Hz, %u channel(s), %u bits per sample.";
inline constexpr const char* kSoundDetailBufferTooLarge =
    "A buffer of more than 2^30 frames was queued.";

}  // namespace orvanix
