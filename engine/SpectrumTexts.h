// The texts of the spectrum engine: trace labels and its own messages.
#pragma once

#include <string>

#include "engine/Calibration.h"

namespace orvanix {

// Caption of the linear-averaging memory message.
inline constexpr const char* kErrorCaption = "Error";
inline constexpr const char* kLinearAveragingMemory =
    "Insufficient memory for linear averaging - try using exponential average";
// Shown when a spectrum is asked for an FFT size the engine cannot build (%d: the size).
inline constexpr const char* kInvalidFftSize =
    "Invalid FFT size %d: it must be a power of two between 32 and 1048576.";
// Shown when a spectrum or block buffer is asked for a decimation ratio outside 1 ... 50.
inline constexpr const char* kInvalidDecimation =
    "Invalid decimation ratio %d: it must be between 1 and 50.";

// Trace labels without calibration.
inline constexpr const char* kLabelLeftChannel = "Left Channel";
inline constexpr const char* kLabelRightChannel = "Right Channel";
inline constexpr const char* kLabelAverage = "Average of Left and Right";
inline constexpr const char* kLabelRealTransferLR = "Real Transfer Function (Left/Right)";
inline constexpr const char* kLabelRealTransferRL = "Real Transfer Function (Right/Left)";
inline constexpr const char* kLabelCrossLR = "Cross Spectrum (Left*Right)";
inline constexpr const char* kLabelCrossRL = "Cross Spectrum (Right*Left)";
inline constexpr const char* kLabelComplexTransferLR = "Complex Transfer Function (Left/Right)";
inline constexpr const char* kLabelComplexTransferRL = "Complex Transfer Function (Right/Left)";
inline constexpr const char* kLabelCoherence = "Coherence Function";
// Trace label formats with calibration: the calibration record's channel names for %s.
inline constexpr const char* kLabelAverageNamed = "Average of %s and %s";
inline constexpr const char* kLabelRealTransferNamed = "Real Transfer Function (%s/%s)";
inline constexpr const char* kLabelCrossNamed = "Cross Spectrum (%s*%s)";
inline constexpr const char* kLabelComplexTransferNamed = "Complex Transfer Function (%s/%s)";

// The labels of the traces a channel-processing mode shows; `secondary` is empty for
// modes with one trace.
struct TraceLabels {
  std::string primary;
  std::string secondary;
};

// Labels for channel-processing mode 0 ... 12 (other values: mode 0). `calibration` is the
// record in force, or nullptr (or a disabled record) without calibration; with calibration
// its channel names replace "Left"/"Right" (an empty name reads "Left" or "Right").
TraceLabels TraceLabelsFor(uint16_t mode, const TCalibration* calibration);

}  // namespace orvanix
