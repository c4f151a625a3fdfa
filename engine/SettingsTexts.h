// The system's own texts of the processing and scaling settings: report lines, validation
// messages and the "Frequency Range and Resolution" group of the settings dialog.
#pragma once

namespace orvanix {

// Configuration report headings. The report-line functions of ProcessingSettings.h return
// only the field lines; the report writer puts these headings above them.
inline constexpr const char* kProcessingReportHeading = "PROCESSING SETTINGS";
inline constexpr const char* kScalingReportHeading = "SCALING";

// Processing report lines, in report order.
inline constexpr const char* kReportSamplingRate = "\tSampling Rate:\t%d Hz";
inline constexpr const char* kReportPrecision = "\tSampling Precision:\t%d bits";
inline constexpr const char* kReportChannels = "\tChannels:\t%d";
inline constexpr const char* kReportFftSize = "\tFFT size:\t%d pts";
inline constexpr const char* kReportDecimation = "\tDecimation Ratio:\t%d";
inline constexpr const char* kReportAveragingExponential = "\tAveraging Type:\tExponential";
inline constexpr const char* kReportAveragingLinear = "\tAveraging Type:\tLinear";
inline constexpr const char* kReportAveragingVector = "\tAveraging Type:\tVector";
inline constexpr const char* kReportAveragingBlocks = "\tAveraging Block Size:\t%d";
inline constexpr const char* kReportWindow = "\tSmoothing Window:\t%s";
inline constexpr const char* kReportPeakHoldOn = "\tPeak Hold Status:\tOn";
inline constexpr const char* kReportPeakHoldOff = "\tPeak Hold Status:\tOff";
inline constexpr const char* kReportOverlap = "\tOverlap Percentage:\t%d";
inline constexpr const char* kReportDelayLeft = "\tDelay Channel:\tLeft";
inline constexpr const char* kReportDelayRight = "\tDelay Channel:\tRight";
inline constexpr const char* kReportDelayTime = "\tDelay time\t%d milliseconds";
inline constexpr const char* kReportOverloadOn = "\tOverload Detection:\tOn";
inline constexpr const char* kReportOverloadOff = "\tOverload Detection:\tOff";
inline constexpr const char* kReportExcludeYes = "\tExclude Overloaded data:\tYes";
inline constexpr const char* kReportExcludeNo = "\tExclude Overloaded data:\tNo";

// Channel-processing report lines, indexed by mode 0 ... 12.
inline constexpr const char* kReportChannelProcessing[13] = {
    "\tChannel Processing:\tLeft channel only",
    "\tChannel Processing:\tRight channel only",
    "\tChannel Processing:\tBoth Left and Right",
    "\tChannel Processing:\tAverage Left and Right",
    "\tChannel Processing:\tReal Transfer Function (Left / Right)",
    "\tChannel Processing:\tReal Transfer Function (Right / Left)",
    "\tChannel Processing:\tCross Spectrum (Left * Right)",
    "\tChannel Processing:\tCross Spectrum (Right * Left)",
    "\tChannel Processing:\tComplex Transfer Function (Left / Right)",
    "\tChannel Processing:\tComplex Transfer Function (Right / Left)",
    "\tChannel Processing:\tCoherence Function",
    "\tChannel Processing:\tComplex Transfer (L/R) and Coherence",
    "\tChannel Processing:\tComplex Transfer (R/L) and Coherence",
};

// Scaling report lines.
inline constexpr const char* kReportAmplitudeLinear = "\tAmplitude Axis:\tLinear";
inline constexpr const char* kReportAmplitudeLog = "\tAmplitude Axis:\tLogarithmic";
inline constexpr const char* kReportFrequencyLinear = "\tFrequency Axis:\tLinear";
inline constexpr const char* kReportFrequencyLog = "\tFrequency Axis:\tLogarithmic";
inline constexpr const char* kReportFrequencyOctave = "\tFrequency Axis:\t1/%d Octave";
inline constexpr const char* kReportDensityOn = "\tPower Spectral Density:\tEnabled";
inline constexpr const char* kReportDensityOff = "\tPower Spectral Density:\tDisabled";
inline constexpr const char* kReportWeighting[4] = {
    "\tSpectral Weighting:\tFlat", "\tSpectral Weighting:\tA", "\tSpectral Weighting:\tB",
    "\tSpectral Weighting:\tC"};
inline constexpr const char* kReportMicLeft = "\tMicrophone Compensation - left:\t%s";
inline constexpr const char* kReportMicRight = "\tMicrophone Compensation - right:\t%s";

// Display texts of values.
inline constexpr const char* kInfiniteText = "Infinite";  // averaging blocks 1,000,000
inline constexpr const char* kDensityTypeText[2] = {"Units^2/Hz", "Units/sqrt(Hz)"};
inline constexpr const char* kDensityPlotTitle[2] = {"PSD: Units^2/Hz", "PSD: Units/sqrt(Hz)"};
inline constexpr const char* kDualChannelGroup =
    "Dual Channel Spectral Processing Options (Stereo Mode only)";
inline constexpr const char* kPostProcessingOnly = "(Post Processing Mode only)";

// "Frequency Range and Resolution" group of the settings dialog.
inline constexpr const char* kFrequencyRangeGroup = "Frequency Range and Resolution";
inline constexpr const char* kLineResolutionLabel = "Spectral Line Resolution:";
inline constexpr const char* kFrequencyLimitLabel = "Frequency Limit:";
inline constexpr const char* kTimeResolutionLabel = "Time Resolution:";
inline constexpr const char* kHertzFormat = "%5.3f Hz";
inline constexpr const char* kTimeResolutionFormat = "%5.2f %s";
inline constexpr const char* kMsecsUnit = "(msecs)";

// Validation messages of the settings dialog.
inline constexpr const char* kDecimationRangeMessage = "Decimation Ratio must be between 1 and %d";
inline constexpr const char* kOverlapRangeMessage = "Overlap Percentage must be between 0 and 99%";
inline constexpr const char* kDelayRangeMessage = "Delay must be between 0 and 1,000 milliseconds";
inline constexpr const char* kRateRangeMessage =
    "The Sound Board does not support the selected Sampling Rate.  Rate must be between %ld "
    "Hz and %ld Hz.";
inline constexpr const char* kRate11025Message = "Sampling Rate must be 11025 Hz";
inline constexpr const char* kRate22050Message = "Sampling Rate must be either 11025 or 22050 Hz";
inline constexpr const char* kRate44100Message =
    "Sampling Rate must be either 11025, 22050 or 44100 Hz";

}  // namespace orvanix
