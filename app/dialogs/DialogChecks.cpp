#include "app/dialogs/DialogChecks.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "acquisition/SoundPort.h"
#include "app/dialogs/DialogTexts.h"
#include "engine/Smoothing.h"
#include "views/SpectrumOptions.h"

namespace orvanix {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// dB axis: see TAmplitudeAxisLimits.
constexpr double kMaxDbTop = 300.0;
constexpr double kMaxDbRange = 600.0;
constexpr double kMaxLinearTop = 1.0e9;
// Start and stop frequencies may lie this far outside the axis (typing the Nyquist
// frequency rounded up is not an error).
constexpr double kFrequencyToleranceHz = 1.0;

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// An integer field's value, or `fallback` when the text is not an integer.
long long IntegerOr(std::string_view text, long long fallback) {
  long long value = 0;
  return ParseInteger(text, value) ? value : fallback;
}

bool InRange(double value, double low, double high) {
  return value >= low && value <= high;  // false for NaN
}

}  // namespace

// ---- numbers ------------------------------------------------------------------------------

bool ParseDouble(std::string_view text, double& value) {
  text = Trim(text);
  if (text.empty() || text.size() > 64) return false;
  std::string copy(text);
  if (copy.find('.') == std::string::npos) {
    const size_t comma = copy.find(',');
    if (comma != std::string::npos && copy.find(',', comma + 1) == std::string::npos) {
      copy[comma] = '.';
    }
  }
  const char* first = copy.data();
  const char* last = copy.data() + copy.size();
  if (*first == '+') ++first;  // from_chars takes only '-'
  double parsed = 0.0;
  const auto [end, error] = std::from_chars(first, last, parsed);
  if (error != std::errc() || end != last || !std::isfinite(parsed)) return false;
  value = parsed;
  return true;
}

bool ParseInteger(std::string_view text, long long& value) {
  text = Trim(text);
  if (text.empty()) return false;
  const char* first = text.data();
  const char* last = text.data() + text.size();
  if (*first == '+') ++first;
  long long parsed = 0;
  const auto [end, error] = std::from_chars(first, last, parsed);
  if (error != std::errc() || end != last) return false;
  value = parsed;
  return true;
}

double FieldNumber(std::string_view text) {
  double value = 0.0;
  return ParseDouble(text, value) ? value : kNaN;
}

// ---- Trigger Setup ------------------------------------------------------------------------

std::string CheckTriggerThreshold(std::string_view text) {
  const long long pct = IntegerOr(text, -1);
  if (pct >= 0 && pct <= kMaxTriggerThresholdPct) return {};
  return Format(dlgtext::kThresholdMessage, 0, kMaxTriggerThresholdPct);
}

std::string CheckTriggerDelay(double delayMsec) {
  if (InRange(delayMsec, 0.0, kMaxTriggerDelayMsec)) return {};
  return Format(dlgtext::kTriggerDelayMessage, kMaxTriggerDelayMsec);
}

// ---- view option dialogs ------------------------------------------------------------------

TAmplitudeAxisLimits AmplitudeAxisLimits(bool logarithmic) {
  TAmplitudeAxisLimits limits;
  limits.logarithmic = logarithmic;
  if (logarithmic) {
    limits.minTop = -kMaxDbTop;
    limits.maxTop = kMaxDbTop;
    limits.maxRange = kMaxDbRange;
  } else {
    limits.minTop = 0.0;
    limits.maxTop = kMaxLinearTop;
    limits.maxRange = 0.0;
  }
  return limits;
}

TPlotCheck CheckPlotOptions(const TPlotOptionValues& v, const TAmplitudeAxisLimits& axis,
                            double lowHz, double highHz) {
  if (!InRange(v.top, axis.minTop, axis.maxTop)) {
    return {Format(dlgtext::kPlotTopMessage, axis.minTop, axis.maxTop), PlotField::Top};
  }
  if (axis.logarithmic && !(v.range > 0.0 && v.range <= axis.maxRange)) {
    return {Format(dlgtext::kPlotRangeMessage, 0.0, axis.maxRange), PlotField::Range};
  }
  if (v.startHz > v.stopHz) return {dlgtext::kStopAboveStartMessage, PlotField::Stop};
  const double low = lowHz - kFrequencyToleranceHz;
  const double high = highHz + kFrequencyToleranceHz;
  if (!InRange(v.startHz, low, high)) {
    return {Format(dlgtext::kStartFrequencyMessage, lowHz, highHz), PlotField::Start};
  }
  if (!InRange(v.stopHz, low, high)) {
    return {Format(dlgtext::kStopFrequencyMessage, lowHz, highHz), PlotField::Stop};
  }
  // A negative or unreadable interval would leave the view's pacing undefined; it gets the
  // same message as one that is too long.
  if (v.periodic && !InRange(v.intervalSecs, 0.0, kMaxUpdateIntervalSecs)) {
    return {Format(dlgtext::kUpdateIntervalMessage, static_cast<int>(kMaxUpdateIntervalSecs)),
            PlotField::Interval};
  }
  return {};
}

// ---- Overlay Management -------------------------------------------------------------------

std::string CheckLegendSize(std::string_view text) {
  const long long size = IntegerOr(text, 0);
  if (size >= kMinLegendSize && size <= kMaxLegendSize) return {};
  return Format(dlgtext::kLegendSizeMessage, kMaxLegendSize);
}

// ---- Markers ------------------------------------------------------------------------------

std::string CheckMarkerFrequency(int number, double hz) {
  if (hz >= 0.0 && std::isfinite(hz)) return {};
  return Format(dlgtext::kMarkerFrequencyMessage, number);
}

// ---- File I/O Options ---------------------------------------------------------------------

std::string CheckFileIoOptions(std::string_view bufferSecs, std::string_view recordingSecs,
                               std::string_view recordingMb) {
  if (IntegerOr(bufferSecs, 0) < kMinBufferSecs) return dlgtext::kBufferTooShort;
  const long long seconds = IntegerOr(recordingSecs, 0);
  if (seconds < kMinRecordingSecs) return dlgtext::kRecordingTimeTooShort;
  if (seconds > kMaxRecordingSecs) return dlgtext::kRecordingTimeTooLong;
  const long long mb = IntegerOr(recordingMb, 0);
  if (mb < kMinRecordingMb) return dlgtext::kRecordingSizeTooSmall;
  if (mb > kMaxRecordingMb) return dlgtext::kRecordingSizeTooLarge;
  return {};
}

// ---- Processing Settings ------------------------------------------------------------------

TInputCapabilities CapabilitiesFromLimits(const RateLimits& limits) {
  TInputCapabilities caps;
  caps.refusal = [limits](uint32_t rateHz, uint16_t, uint16_t) {
    return CheckSamplingRate(rateHz, limits);
  };
  caps.fixedRates = limits.standardRatesOnly;
  caps.highestRateHz = limits.maxRateHz;
  return caps;
}

const std::array<uint32_t, 19>& StandardRates() {
  static const std::array<uint32_t, 19> rates = {4000,  5512,  6000,   8000,   11025, 12000, 16000,
                                                 22050, 24000, 32000,  44100,  48000, 50000, 64000,
                                                 88200, 96000, 100000, 192000, 200000};
  return rates;
}

TProcessingCheck ValidateProcessingForm(const TProcessingForm& form,
                                        const TProcessingContext& context,
                                        const ProcessingSettings& current,
                                        ProcessingSettings& result) {
  TProcessingCheck check;
  ProcessingSettings s = current;

  // 1. Rate, width and channels, asked of the input device.
  if (context.formatEditable) {
    long long typed = IntegerOr(form.rateText, 0);
    if (typed < 0 || typed > static_cast<long long>(UINT32_MAX)) typed = 0;
    const uint32_t rate = static_cast<uint32_t>(typed);
    const uint16_t channels = form.channels == 2 ? 2 : 1;
    const uint16_t bytes = form.bytesPerSample >= 1 && form.bytesPerSample <= 3
                               ? form.bytesPerSample
                               : static_cast<uint16_t>(2);
    std::string refusal;
    if (context.input.refusal) {
      refusal = context.input.refusal(rate, channels, bytes);
    } else {
      // No device to ask: only the rates any device could be asked about.
      refusal = CheckSamplingRate(
          rate, RateLimits{TSoundPort::kMinRateHz, TSoundPort::kMaxRateHz, false});
    }
    if (!refusal.empty()) {
      check.message = refusal;
      check.icon = MessageIcon::Error;
      check.field = ProcessingField::Rate;
      if (context.input.fixedRates) {
        check.resetText = std::to_string(context.input.highestRateHz);
      }
      return check;
    }
    s.format = MakeWaveFormat(channels, rate, bytes);
  }

  // 2. FFT size (from the list, so always one of the powers of two).
  s.fftSize = IsValidFftSize(form.fftSize) ? form.fftSize : current.fftSize;

  // 3. Decimation ratio.
  long long decimation = IntegerOr(form.decimationText, 0);
  if (decimation < INT32_MIN || decimation > INT32_MAX) decimation = 0;
  check.message = CheckDecimationRatio(static_cast<int>(decimation));
  if (!check.Ok()) {
    check.field = ProcessingField::Decimation;
    return check;
  }
  s.decimationRatio = static_cast<uint16_t>(decimation);
  s.lowPassFilter = form.lowPass ? 1 : 0;

  // 4. Averaging and window.
  s.averageBlocks = form.averageBlocks;
  s.smoothingWindow =
      form.smoothingWindow < kWindowTypeCount ? form.smoothingWindow : current.smoothingWindow;
  s.averageType = form.averageType <= kAverageVector ? form.averageType : current.averageType;
  s.peakHold = form.peakHold ? 1 : 0;

  // 5. Overlap, which only Post-Processing uses.
  if (context.postProcessing) {
    long long overlap = IntegerOr(form.overlapText, -1);
    if (overlap < INT32_MIN || overlap > INT32_MAX) overlap = -1;
    check.message = CheckOverlapPercent(static_cast<int>(overlap));
    if (!check.Ok()) {
      check.field = ProcessingField::Overlap;
      check.resetText = std::to_string(kOverlapResetPercent);
      return check;
    }
    s.overlapPercent = static_cast<uint16_t>(overlap);
  }

  // 6. Channel processing, delay and overload handling.
  s.channelProcessing = s.format.channels >= 2 && form.channelProcessing < kChannelProcessingModes
                            ? form.channelProcessing
                            : static_cast<uint16_t>(kLeftOnly);
  const double delay = FieldNumber(form.delayText);
  check.message = CheckDelayTime(delay);
  if (!check.Ok()) {
    check.field = ProcessingField::Delay;
    return check;
  }
  s.delayTimeMsec = static_cast<float>(delay);
  s.delayChannel = form.delayChannel ? 1 : 0;
  s.overloadDetection = form.overloadDetection ? 1 : 0;
  s.excludeOverloaded = form.excludeOverloaded ? 1 : 0;

  // 7. Large transforms must fit in memory.
  check.message = CheckMemory(current, s, context.availableMemoryBytes);
  if (!check.Ok()) {
    check.icon = MessageIcon::Error;
    check.field = ProcessingField::FftSize;
    return check;
  }

  s.UpdateDerived();
  result = s;
  return check;
}

uint64_t AvailablePhysicalMemory() {
  std::FILE* file = std::fopen("/proc/meminfo", "r");
  if (!file) return UINT64_MAX;
  char line[256];
  uint64_t available = UINT64_MAX;
  while (std::fgets(line, sizeof line, file)) {
    unsigned long long kb = 0;
    if (std::sscanf(line, "MemAvailable: %llu kB", &kb) == 1) {
      available = static_cast<uint64_t>(kb) * 1024u;
      break;
    }
  }
  std::fclose(file);
  return available;
}

}  // namespace orvanix
