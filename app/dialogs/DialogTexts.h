// The settings dialogs' own texts: titles, labels and validation messages. The processing
// settings' texts live with the record (engine/SettingsTexts.h), the folder labels with the
// configuration (files/ConfigTexts.h), the marker label types with the spectrum view
// (views/ViewTexts.h). Texts marked "our own" have no counterpart in the classic program.
#pragma once

namespace orvanix::dlgtext {

// ---- shared -------------------------------------------------------------------------------
inline constexpr const char* kDefaults = "&Defaults";
inline constexpr const char* kLeft = "&Left";
inline constexpr const char* kRight = "&Right";
inline constexpr const char* kBrowse = "&Browse...";  // our own

// ---- Processing Settings ------------------------------------------------------------------
inline constexpr const char* kSettingsTitle = "Processing Settings";
inline constexpr const char* kSamplingGroup = "Sampling";  // our own
inline constexpr const char* kSamplingRate = "Sampling Rate (Hz)";
inline constexpr const char* kBits8 = "&8 bit";
inline constexpr const char* kBits16 = "1&6 bit";
inline constexpr const char* kBits24 = "&24 bit";
inline constexpr const char* kMono = "M&ono (left)";
inline constexpr const char* kStereo = "&Stereo";
inline constexpr const char* kFftGroup = "FFT";  // our own
inline constexpr const char* kFftSize = "FFT size (samples)";
inline constexpr const char* kDecimationRatio = "Decimation Ratio";
inline constexpr const char* kLowPass = "Apply low pass filter when decimating";
inline constexpr const char* kSmoothingWindow = "Smoothing Window";
inline constexpr const char* kAveragingGroup = "Averaging";  // our own
inline constexpr const char* kExponential = "E&xponential";
inline constexpr const char* kLinear = "&Linear";
inline constexpr const char* kVector = "&Vector";
inline constexpr const char* kAverageCount = "Blocks:";  // our own
inline constexpr const char* kPeakHold = "&Peak Hold";
inline constexpr const char* kOverlapGroup = "FFT Overlap";
inline constexpr const char* kOverlapPercentage = "Percentage:";
inline constexpr const char* kDelayGroup = "Channel Delay";  // our own
inline constexpr const char* kDelayTime = "Delay time (msec):";
inline constexpr const char* kDelayChannel = "Delay Channel:";
inline constexpr const char* kOverloadGroup = "Overload";  // our own
inline constexpr const char* kOverloadDetection = "Enable Overload Detection";
inline constexpr const char* kExcludeOverloaded = "Exclude Overloaded Data From Processor";

// ---- Scaling Control ----------------------------------------------------------------------
inline constexpr const char* kScalingTitle = "Scaling Control";
inline constexpr const char* kAmplitudeGroup = "Amplitude Scale";         // our own
inline constexpr const char* kFrequencyGroup = "Frequency Scale";         // our own
inline constexpr const char* kScaleLinear = "Li&near";                    // our own
inline constexpr const char* kScaleLogarithmic = "Lo&garithmic";          // our own
inline constexpr const char* kFreqLinear = "L&inear";                     // our own
inline constexpr const char* kFreqLogarithmic = "Logari&thmic";           // our own
inline constexpr const char* kFreqOctave = "&Fractional Octave";          // our own
inline constexpr const char* kOctaveNumber = "Octave bands: 1/";          // our own
inline constexpr const char* kDensityGroup = "Spectral Density";          // our own
inline constexpr const char* kDensityEnable = "&Power Spectral Density";  // our own
inline constexpr const char* kWeightingGroup = "Standard Weighting";      // our own
inline constexpr const char* kWeightingNames[4] = {"Flat", "A", "B", "C"};
inline constexpr const char* kMicGroup = "Microphone Compensation";                  // our own
inline constexpr const char* kMicEnable = "&Enable Microphone Compensation";         // our own
inline constexpr const char* kMicLeft = "Left channel file:";                        // our own
inline constexpr const char* kMicRight = "Right channel file:";                      // our own
inline constexpr const char* kMicFileTitle = "Select Microphone Compensation File";  // our own
// "%s" the description of the .mic files.
inline constexpr const char* kMicFilter = "%s (*.mic)|*.mic|Overlay Files (*.ovl)|*.ovl|";
inline constexpr const char* kMicFilterName = "Mic Compensation Files";

// ---- Trigger Setup ------------------------------------------------------------------------
inline constexpr const char* kTriggerTitle = "Trigger Setup";
inline constexpr const char* kTriggerEnable = "E&nable Trigger";
inline constexpr const char* kTriggerRearm = "Re-&Arm after triggering";
inline constexpr const char* kTriggerChannel = "Trigger Channel";
inline constexpr const char* kTriggerType = "Trigger Type";
inline constexpr const char* kTriggerLevel = "Le&vel";
inline constexpr const char* kTriggerEdge = "Ed&ge";
inline constexpr const char* kTriggerSlope = "Trigger Slope";
inline constexpr const char* kSlopePositive = "&Positive";
inline constexpr const char* kSlopeNegative = "&Negative";
inline constexpr const char* kTriggerThreshold = "Threshold (percent full-scale)";
inline constexpr const char* kTriggerDelay = "Delay (milliseconds)";
inline constexpr const char* kPreTrigger = "Pr&e-Trigger";
inline constexpr const char* kPostTrigger = "Po&st-Trigger";
// "%d %d": 0 and 100.
inline constexpr const char* kThresholdMessage = "Threshold must be between %d and %d percent.";
// "%d": 1000.
inline constexpr const char* kTriggerDelayMessage = "Trigger delay must be between 0 and %d";

// ---- Markers ------------------------------------------------------------------------------
inline constexpr const char* kMarkersTitle = "Markers";
inline constexpr const char* kMarkerRow = "%d.";
inline constexpr const char* kMarkerFrequency = "Frequency (Hz)";
inline constexpr const char* kMarkerFrequencyFormat = "%6.1f";
inline constexpr const char* kMarkerLabelType = "Label Type";
inline constexpr const char* kMarkerCustomLabel = "Custom Label";
inline constexpr const char* kMarkerEnable = "Show";  // our own (column heading)
// Our own: a marker frequency that is not a number, or negative. "%d" the marker number.
inline constexpr const char* kMarkerFrequencyMessage =
    "Marker %d Frequency must be a number of Hz, 0 or more";

// ---- Device Selection ---------------------------------------------------------------------
inline constexpr const char* kDeviceTitle = "Device Selection";
inline constexpr const char* kInputDevice = "Input Device:";    // our own
inline constexpr const char* kOutputDevice = "Output Device:";  // our own
inline constexpr const char* kInputMixer = "Adjust Input Gain using Windows Mixer Utility";
inline constexpr const char* kOutputMixer = "Adjust Output Gain using Windows Mixer Utility";
inline constexpr const char* kDeviceDetailsButton = "De&vice Details...";  // our own
inline constexpr const char* kDeviceDetailsTitle = "Device Details";
// The audio system here has no manufacturer, product or driver numbers: each block lists
// what PortAudio and ALSA know of the device instead (one "   Key = value" line each).
inline constexpr const char* kDeviceDetails =
    "Input Device Information:\r%s\rOutput Device Information:\r%s";

// ---- Spectrum Display Options -------------------------------------------------------------
inline constexpr const char* kSpectrumOptsTitle = "Spectrum Display Options";
inline constexpr const char* kPlotTypeGroup = "Plot Type";  // our own
inline constexpr const char* kLineGraph = "L&ine Graph";    // our own
inline constexpr const char* kBarGraph = "&Bar Graph";      // our own
inline constexpr const char* kAxesGroup = "Axes";           // our own
inline constexpr const char* kPlotTop = "Plot Top:";
inline constexpr const char* kPlotRange = "Plot Range:";
inline constexpr const char* kStartFrequency = "Start Frequency (Hz):";  // our own
inline constexpr const char* kStopFrequency = "Stop Frequency (Hz):";    // our own
inline constexpr const char* kShowPower = "Display &Power level";
inline constexpr const char* kPullCursor = "&Pull Cursor to Trace";
inline constexpr const char* kGridLines = "&Grid Lines";       // our own
inline constexpr const char* kColorsGroup = "Colors";          // our own
inline constexpr const char* kLineColor = "Line/Bar";          // our own
inline constexpr const char* kBackgroundColor = "Background";  // our own
inline constexpr const char* kMarkerColor = "Markers";         // our own
inline constexpr const char* kGridColor = "Grid";              // our own
inline constexpr const char* kUpdateGroup = "Update";          // our own
inline constexpr const char* kUpdateAlways = "As often as possible";
inline constexpr const char* kUpdateInterval = "Specific Intervals (seconds)";
// View option checks: "%6.3f %6.3f" the axis limits; "%6.1f %6.1f" the lowest and highest
// frequency; "%d" 3600.
inline constexpr const char* kPlotTopMessage = "Top of Plot must be between %6.3f and %6.3f";
inline constexpr const char* kPlotRangeMessage = "Plot Range must be between %6.3f and %6.3f";
inline constexpr const char* kStopAboveStartMessage =
    "Stop Frequency must be greater than Start Frequency";
inline constexpr const char* kStartFrequencyMessage =
    "Start Frequency must be between %6.1f and %6.1f Hz";
inline constexpr const char* kStopFrequencyMessage =
    "Stop Frequency must be between %6.1f and %6.1f Hz";
inline constexpr const char* kUpdateIntervalMessage =
    "Update Interval must be between 1 and %d seconds";

// ---- Overlay Management -------------------------------------------------------------------
inline constexpr const char* kOverlayTitle = "Overlay Management";
inline constexpr const char* kOverlayPaneFirst = "First Pane";           // our own
inline constexpr const char* kOverlayPaneSecond = "Second Pane";         // our own
inline constexpr const char* kOverlaySlot = "Overlay &%d";               // our own
inline constexpr const char* kOverlayNoFile = "(no file)";               // our own
inline constexpr const char* kOverlayColors = "Overlay Colors";          // our own
inline constexpr const char* kOverlayColor = "Overlay %d";               // our own
inline constexpr const char* kLegendSize = "Legend size (characters):";  // our own
// "%d": 24.
inline constexpr const char* kLegendSizeMessage = "Legend size must be between 4 and %d";

// ---- File I/O Options ---------------------------------------------------------------------
inline constexpr const char* kFileIoTitle = "File I/O Options";
inline constexpr const char* kAccessMethod = "File access method";
inline constexpr const char* kRam = "&RAM";
inline constexpr const char* kHardDisk = "&Hard Disk";
inline constexpr const char* kMakeBackup = "&Make Backup";
inline constexpr const char* kIncludeCalibration = "Include &Calibration Data in WAV file";
inline constexpr const char* kBufferingGroup = "Real Time Mode Data Buffering";
inline constexpr const char* kEnableBuffering = "&Enable Data Buffering";
inline constexpr const char* kBufferSize = "Data Buffer Size (Seconds)";
inline constexpr const char* kMaxRecordingTime = "Max Recording Time (Seconds)";
inline constexpr const char* kMaxRecordingSize = "Max Recording Size (MB)";
inline constexpr const char* kBufferTooShort =
    "Real Time Data buffer length must be at least 4 seconds.";
inline constexpr const char* kRecordingTimeTooShort =
    "Maximum RAM recording time must be at least 4 seconds.";
inline constexpr const char* kRecordingTimeTooLong =
    "Maximum RAM recording time must be less than 3600 seconds.";
inline constexpr const char* kRecordingSizeTooSmall =
    "Maximum Hard Disk recording size must be at least 1 MB";
inline constexpr const char* kRecordingSizeTooLarge =
    "Maximum Hard Disk recording size cannot be greater than 2,000 MB (2GB)";

// ---- Amplitude Calibration ----------------------------------------------------------------
// The title, the procedure, the measured-levels group, the measure button and the messages
// are in engine/CalibrationTexts.h.
inline constexpr const char* kCalSignalGroup = "Calibration Signal";  // our own
inline constexpr const char* kCalLevel = "Le&vel:";                   // our own
inline constexpr const char* kCalUnits = "&Units:";
inline constexpr const char* kCalConversion = "Co&nversion:";           // our own
inline constexpr const char* kCalDisplayGroup = "Display";              // our own
inline constexpr const char* kCalShowAs = "Show values as:";            // our own
inline constexpr const char* kCalLabelLinear = "Linear axis label:";    // our own
inline constexpr const char* kCalLabelLog = "Logarithmic axis label:";  // our own
inline constexpr const char* kCalNamesGroup = "Channel Names";          // our own
inline constexpr const char* kCalLeft = "Left:";                        // our own
inline constexpr const char* kCalRight = "Right:";                      // our own
inline constexpr const char* kCalEnabled = "Calibration &enabled";      // our own
inline constexpr const char* kCalFile = "File: %s";                     // our own
inline constexpr const char* kCalLoad = "&Open...";                     // our own
inline constexpr const char* kCalSave = "&Save As...";                  // our own
// The ratios ComputeRatios gives: the peak value, in the unit, of a full-scale signal. "%s"
// the linear unit of the reference (kCalLinearUnits).
inline constexpr const char* kCalRatios = "Full scale = %.6g %s (left), %.6g %s (right) peak";
// The linear unit each reference unit's ratio is in, by unit index 0 ... 11 (our own).
inline constexpr const char* kCalLinearUnits[12] = {"V",  "mV", "Pa", "G",   "units", "V",
                                                    "mV", "V",  "Pa", "psi", "Pa",    "Pa"};
inline constexpr const char* kCalLevelNotNumber =
    "The Reference Signal Level must be a number";  // our own
inline constexpr const char* kCalPercentMessage =
    "Detected levels must be between 0 and 100 percent of full scale";  // our own
inline constexpr const char* kCalFileMissing =
    "The calibration file %s does not exist.";  // our own

// ---- Annotations and Margins ----------------------------------------------------------------
inline constexpr const char* kAnnotationsTitle = "Annotations and Margins";
inline constexpr const char* kAnnotationsGroup = "Annotations";         // our own
inline constexpr const char* kAnnotationLine1 = "Annotation line &1:";  // our own
inline constexpr const char* kAnnotationLine2 = "Annotation line &2:";  // our own
inline constexpr const char* kMarginsGroup = "Margins (inches)";        // our own
inline constexpr const char* kMarginNames[4] = {
    "&Left:", "&Right:", "&Top:", "&Bottom:"};                                           // our own
inline constexpr const char* kCommentsGroup = "Comment Block";                           // our own
inline constexpr const char* kCommentBlock = "&Print the comment block under the plot";  // our own
inline constexpr const char* kMarginMessage = "Margins must be between 0 and 3 inches";  // our own
// "%d": 10.
inline constexpr const char* kCommentLinesMessage =
    "The comment block holds at most %d lines";  // our own
// "%d": 255.
inline constexpr const char* kCommentLengthMessage =
    "A comment line holds at most %d characters";  // our own

// ---- Set Paths ----------------------------------------------------------------------------
// The title and the nine labels are kSetPathsTitle and kPathLabels of files/ConfigTexts.h.
inline constexpr const char* kChooseFolder = "Choose Folder";  // our own

}  // namespace orvanix::dlgtext
