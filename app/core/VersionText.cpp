#include "app/core/VersionText.h"

#include <portaudio.h>

#include <QtGlobal>

#include "app/BuildInfo.h"
#include "engine/Fft.h"

namespace orvanix {

const char* ProgramVersion() {
  return ORVANIX_VERSION;
}

std::string VersionText() {
  std::string text = std::string("tessiva ") + ProgramVersion() + "\n";
  text += std::string("Qt ") + qVersion() + " (built with " + QT_VERSION_STR + ")\n";
  // Pa_GetVersionText needs no Pa_Initialize, so asking does not probe the sound devices.
  const char* portAudio = Pa_GetVersionText();
  text += std::string(portAudio && *portAudio ? portAudio : "PortAudio (version unknown)") + "\n";
  // The kernel is the one the first transform will choose on this processor.
  text += std::string("FFT: Orvanix's own, single precision, ") + FftKernelName(ActiveFftKernel()) +
          " kernel\n";
  return text;
}

}  // namespace orvanix
