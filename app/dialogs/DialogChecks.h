// The settings dialogs' checks as plain functions, testable without showing a dialog. Each
// check returns the exact message of the first failure, or an empty string when the values
// are acceptable. The processing settings' own checks (decimation, overlap, delay, rate,
// memory) live with the record in engine/ProcessingSettings.h; this file adds the checks of
// the other dialogs and the ordered validation of the Processing Settings form.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "engine/Messages.h"
#include "engine/ProcessingSettings.h"

namespace orvanix {

// ---- numbers typed into fields ------------------------------------------------------------

// A decimal number, with '.' or (when the text holds no '.') ',' as the decimal mark, spaces
// around it ignored. False for empty or malformed text and for infinities and NaN.
bool ParseDouble(std::string_view text, double& value);
// An integer (optional sign, digits only, spaces around it ignored). False otherwise and
// outside the range of long long.
bool ParseInteger(std::string_view text, long long& value);
// The number in a field, NaN when the text is not one (so every range check refuses it).
double FieldNumber(std::string_view text);

// ---- Trigger Setup ------------------------------------------------------------------------
inline constexpr int kMaxTriggerThresholdPct = 100;
inline constexpr int kMaxTriggerDelayMsec = 1000;
// Threshold 0 ... 100 percent (an integer field: text that is not an integer fails).
std::string CheckTriggerThreshold(std::string_view text);
// Delay 0 ... 1000 ms.
std::string CheckTriggerDelay(double delayMsec);

// ---- view option dialogs ------------------------------------------------------------------
// The amplitude axis a plot top must lie on. A dB axis spans at most 600 dB with its top
// within +-300 dB, so even the lowest bottom (-900 dB) stays above the -999.9 that stands
// for "no value"; a linear axis (percent of full scale or calibrated units) runs from 0
// (a top of 0 is drawn as 1) up to 1e9, far beyond any real reading but still exact in a
// float.
struct TAmplitudeAxisLimits {
  double minTop = 0.0;
  double maxTop = 0.0;
  double maxRange = 0.0;  // only for a logarithmic axis
  bool logarithmic = true;
};
TAmplitudeAxisLimits AmplitudeAxisLimits(bool logarithmic);
inline constexpr double kMaxUpdateIntervalSecs = 3600.0;
// Values of a view option dialog, NaN where the text was not a number.
struct TPlotOptionValues {
  double top = 0.0;
  double range = 0.0;
  double startHz = 0.0;
  double stopHz = 0.0;
  bool periodic = false;  // "Specific Intervals (seconds)"
  double intervalSecs = 0.0;
};
enum class PlotField { None, Top, Range, Start, Stop, Interval };
struct TPlotCheck {
  std::string message;  // empty: accepted
  PlotField field = PlotField::None;
  bool Ok() const { return message.empty(); }
};
// The common checks in their order: top, range (logarithmic axis only), start not above
// stop, start and stop within lowHz ... highHz with 1 Hz of tolerance, the update interval
// (when periodic; at most 3600 s and not negative).
TPlotCheck CheckPlotOptions(const TPlotOptionValues& values, const TAmplitudeAxisLimits& axis,
                            double lowHz, double highHz);

// ---- Overlay Management -------------------------------------------------------------------
// Legend size 4 ... 24 characters (text that is not an integer fails).
std::string CheckLegendSize(std::string_view text);

// ---- Markers ------------------------------------------------------------------------------
// A marker frequency (marker `number` 1 ... 6) must be a number of at least 0 Hz.
std::string CheckMarkerFrequency(int number, double hz);

// ---- File I/O Options ---------------------------------------------------------------------
inline constexpr long long kMinBufferSecs = 4;
inline constexpr long long kMinRecordingSecs = 4;
inline constexpr long long kMaxRecordingSecs = 3600;
inline constexpr long long kMinRecordingMb = 1;
inline constexpr long long kMaxRecordingMb = 2000;
inline constexpr long long kBytesPerMb = 1000000;
// In the dialog's order: real-time buffer length, RAM recording time (4 ... 3600, 3600
// accepted), disk recording size in MB (1 ... 2000). Text that is not an integer counts as 0.
std::string CheckFileIoOptions(std::string_view bufferSecs, std::string_view recordingSecs,
                               std::string_view recordingMb);

// ---- Processing Settings ------------------------------------------------------------------

// What the dialog needs to know about the input device. Without a `refusal` function every
// format is accepted (no device to ask: the run reports that when it starts).
struct TInputCapabilities {
  // Empty when the device accepts the format; else the message to show.
  std::function<std::string(uint32_t rateHz, uint16_t channels, uint16_t bytesPerSample)> refusal;
  // A device with a fixed set of rates: a refused rate resets the field to highestRateHz.
  bool fixedRates = false;
  uint32_t highestRateHz = 44100;
  uint16_t maxChannels = 2;
  std::array<bool, 3> bytes{true, true, true};  // 1, 2 and 3 bytes per sample accepted
};
// Capabilities from rate limits alone (every channel count and width accepted), refusing
// with CheckSamplingRate's messages.
TInputCapabilities CapabilitiesFromLimits(const RateLimits& limits);

// The rates the "Sampling Rate (Hz)" list offers: 4000 ... 200000.
const std::array<uint32_t, 19>& StandardRates();

// The fields of the dialog as the user left them.
struct TProcessingForm {
  std::string rateText;
  uint16_t bytesPerSample = 2;
  uint16_t channels = 1;
  int32_t fftSize = 4096;
  std::string decimationText;
  bool lowPass = true;
  int32_t averageBlocks = 1;
  uint16_t smoothingWindow = 4;
  uint16_t averageType = 0;
  bool peakHold = false;
  std::string overlapText;
  uint16_t channelProcessing = 0;
  std::string delayText;
  uint16_t delayChannel = 0;
  bool overloadDetection = true;
  bool excludeOverloaded = false;
};

struct TProcessingContext {
  bool postProcessing = false;  // the overlap is checked and kept only in this mode
  bool formatEditable = true;   // rate, width and channels (not while a file gives them)
  TInputCapabilities input;
  uint64_t availableMemoryBytes = UINT64_MAX;
};

enum class ProcessingField { None, Rate, Decimation, Overlap, Delay, FftSize };

struct TProcessingCheck {
  std::string message;  // empty: accepted
  MessageIcon icon = MessageIcon::Information;
  ProcessingField field = ProcessingField::None;  // the field to focus
  std::string resetText;  // when not empty, the field's new text (rate, overlap)
  bool Ok() const { return message.empty(); }
};

// Validates the form in the dialog's order (format, FFT size, decimation, averaging and
// window, overlap, channel processing and delay, memory) and stops at the first failure.
// On success `result` is `current` with the form's values, derived values updated; on
// failure `result` is untouched. `current` is also the configuration the memory estimate
// compares against.
TProcessingCheck ValidateProcessingForm(const TProcessingForm& form,
                                        const TProcessingContext& context,
                                        const ProcessingSettings& current,
                                        ProcessingSettings& result);

// Physical memory the program could still take, in bytes (MemAvailable of the kernel);
// UINT64_MAX when it cannot be told, so that nothing is refused on a guess.
uint64_t AvailablePhysicalMemory();

}  // namespace orvanix
