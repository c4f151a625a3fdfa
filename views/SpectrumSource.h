// TSpectrumSource: what the spectrum views read, and nothing more. The main window
// implements it over the analyzer core; tests implement it over spectra of their own. The
// views keep no copies of spectra: they read through this interface whenever they draw.
#pragma once

#include <string>
#include <vector>

#include "engine/ProcessingSettings.h"
#include "engine/SpectralData.h"

namespace orvanix {

class TSpectrumSource {
 public:
  virtual ~TSpectrumSource() = default;

  // The shown result of the channel-processing mode (see SpectraForMode), or nullptr while
  // there is none (engine objects being rebuilt).
  virtual const TSpectralData* Primary() const = 0;
  // The second result (both channels: right; transfer function and coherence: coherence),
  // nullptr when the mode has none.
  virtual const TSpectralData* Secondary() const = 0;
  // Trace labels ("Left Channel", "Coherence Function", calibrated channel names ...).
  virtual std::string PrimaryLabel() const = 0;
  virtual std::string SecondaryLabel() const = 0;
  virtual const ProcessingSettings& Processing() const = 0;
  virtual const ScalingSettings& Scaling() const = 0;
  // True in Post-Processing mode (the printed block then shows the overlap).
  virtual bool PostProcessing() const = 0;
  // Lines of the open measurement utilities, printed with the plot; none by default.
  virtual std::vector<std::string> PrintReadouts() const { return {}; }
};

// The spectra a channel-processing mode shows: mode 0 left; 1 right; 2 left and right;
// 3 ... 10 the dual result; 11 and 12 the dual result and the second dual (coherence).
// Any of the inputs may be nullptr.
struct TShownSpectra {
  const TSpectralData* primary = nullptr;
  const TSpectralData* secondary = nullptr;
};
TShownSpectra SpectraForMode(uint16_t mode, const TSpectralData* left, const TSpectralData* right,
                             const TSpectralData* dual, const TSpectralData* dual2);

// True when the mode shows a second pane.
inline bool HasSecondary(uint16_t mode) {
  return mode == kBothChannels || mode == kTransferAndCoherenceLR ||
         mode == kTransferAndCoherenceRL;
}

}  // namespace orvanix
