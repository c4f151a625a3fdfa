// The texts of the configuration files: section names, the keys other code refers to,
// the configuration report, the file dialogs and the messages of the profile layer.
#pragma once

#include <cstddef>

namespace orvanix {

// ---- messages ----------------------------------------------------------------------
// "%s" path, "%s" the system's reason.
inline constexpr const char* kProfileUnreadable =
    "Unable to read the file %s (%s).  Its settings were not used.";
// "%s" path, "%d" the limit in MB.
inline constexpr const char* kProfileTooLarge =
    "The file %s is larger than %d MB and is not a settings file.  Its settings were not used.";
// "%s" path, "%d" the limit in lines.
inline constexpr const char* kProfileTooManyLines =
    "The file %s has more than %d lines and is not a settings file.  Its settings were not used.";
// "%s" path, "%s" the system's reason.
inline constexpr const char* kProfileWriteFailed =
    "Unable to save the file %s (%s).  The previous file was left unchanged.";
// "%s" path.
inline constexpr const char* kCalibrationUnreadable =
    "Unable to read the calibration file %s.  The calibration values were reset to their "
    "defaults.";

// ---- sections ----------------------------------------------------------------------
inline constexpr const char* kSectionPaths = "Paths";
inline constexpr const char* kSectionFileIo = "FileIO";
inline constexpr const char* kSectionCalibration = "Calibration";
inline constexpr const char* kSectionPrintOpts = "PrintOpts";
inline constexpr const char* kSectionDevice = "Device";
inline constexpr const char* kSectionMode = "Mode";
inline constexpr const char* kSectionSettings = "Settings";
inline constexpr const char* kSectionScaling = "Scaling";
inline constexpr const char* kSectionMarkers = "Markers";
inline constexpr const char* kSectionViewStatus = "ViewStatus";
inline constexpr const char* kSectionTrigger = "Trigger";
inline constexpr const char* kSectionSpectrumOpts = "SpectrumOpts";
inline constexpr const char* kSectionPhaseOpts = "PhaseOpts";
inline constexpr const char* kSectionSpectrogramOpts = "SpectrogramOpts";
inline constexpr const char* kSectionSurfaceOpts = "SurfaceOpts";
inline constexpr const char* kSectionSeriesOpts = "SeriesOpts";
inline constexpr const char* kSectionFilter = "Filter";
inline constexpr const char* kSectionLogging = "Logging";
inline constexpr const char* kSectionDelayFinderOpts = "DelayFinderOpts";
inline constexpr const char* kSectionLeq = "LEQ";
inline constexpr const char* kSectionReverbOpts = "ReverbOpts";
inline constexpr const char* kSectionMacroOpts = "MacroOpts";
inline constexpr const char* kSectionFileHistory = "FileHistory";
inline constexpr const char* kSectionPlacement = "Placement";
// The generator's own sections (read and written by the generator window).
inline constexpr const char* kSectionGeneratorLevel = "Level";
inline constexpr const char* kSectionGeneratorMain = "Main";
inline constexpr const char* kSectionDtmf = "DTMF";

// ---- keys other code refers to -----------------------------------------------------
inline constexpr const char* kKeyOpenFileName = "OpenFileName";
inline constexpr const char* kKeyHideApplicationWindow = "HideApplicationWindow";
inline constexpr const char* kKeyRunOnLaunch = "RunOnLaunch";
inline constexpr const char* kKeyRateCorrection = "SamplingRateCorrectionFactor";
inline constexpr const char* kKeyCalibrationFilename = "Filename";
inline constexpr const char* kKeyPlacementSpecial = "Special";
inline constexpr const char* kKeyPlacementMain = "Main";
inline constexpr const char* kTextTrue = "TRUE";
inline constexpr const char* kTextFalse = "FALSE";

// The nine folders of `Paths`, in the order of the core's FolderKind, with their stored
// defaults (relative to the program on the original platform).
inline constexpr size_t kFolderCount = 9;
inline constexpr const char* kPathKeys[kFolderCount] = {"Wav", "Tmp", "cfg", "cal",  "mic",
                                                        "ovl", "txt", "rvb", "macro"};
inline constexpr const char* kPathDefaults[kFolderCount] = {
    "..\\.\\wave",    "..\\.\\wave", "..\\.\\config", "..\\.\\cal",  "..\\.\\miccomp",
    "..\\.\\overlay", "..\\.\\log",  "..\\.\\reverb", "..\\.\\macro"};
// Labels of the Set Paths dialog ("Set Paths"), same order.
inline constexpr const char* kSetPathsTitle = "Set Paths";
inline constexpr const char* kPathLabels[kFolderCount] = {"Wave Files:",
                                                          "Temp Files:",
                                                          "Configuration Files:",
                                                          "Calibration Files:",
                                                          "Mic Compensation Files:",
                                                          "Overlay Files:",
                                                          "Data Logging Files:",
                                                          "Reverberation Files:",
                                                          "Macro Files:"};

// The view and utility windows, in the order of the `ViewStatus` flags (the core's
// WindowKind order): their `ViewStatus` keys and their `Placement` keys.
inline constexpr size_t kWindowCount = 19;
inline constexpr const char* kViewStatusKeys[kWindowCount] = {
    "TimeSeries",      "OrvanePlot",   "PhasePlot", "Spectrogram", "SurfacePlot",
    "SignalGenerator", "THD",          "THD_N",     "IMD",         "SNR",
    "SINAD",           "SFDR",         "NF",        "Peak Freq",   "Peak Amp",
    "Total Pwr",       "Delay Finder", "Reverb",    "Macro"};
inline constexpr const char* kPlacementKeys[kWindowCount] = {"Time Series",
                                                             "Spectrum",
                                                             "Phase",
                                                             "Spectrogram",
                                                             "3-D Surface",
                                                             "Signal Generator",
                                                             "THD",
                                                             "THD_N",
                                                             "IMD",
                                                             "SNR",
                                                             "SINAD",
                                                             "SFDR",
                                                             "NF",
                                                             "Peak Freq",
                                                             "Peak Amp",
                                                             "Total Pwr",
                                                             "Delay Finder",
                                                             "Reverb",
                                                             "Macro Processor"};
// flags, show command, minimised x y, maximised x y, normal left top right bottom.
inline constexpr const char* kPlacementFormat = "%d, %d, {%d,%d}, {%d,%d}, {%d,%d,%d,%d}";

// ---- file dialogs and the report dialog ---------------------------------------------
inline constexpr const char* kLoadConfigurationTitle = "Load Configuration File";
inline constexpr const char* kSaveConfigurationTitle = "Save Configuration File";
inline constexpr const char* kConfigurationFilter = "%s (*.cfg)|*.cfg|";
inline constexpr const char* kConfigurationFilterName = "Config Files";
inline constexpr const char* kConfigViewTitle = "Configuration Details";
inline constexpr const char* kConfigViewPrint = "&Print";
inline constexpr const char* kConfigViewDone = "&Done";
inline constexpr const char* kConfigPrintTitle = "Configuration Parameters";
inline constexpr const char* kConfigPrintFont = "Arial";

// ---- the configuration report ------------------------------------------------------
inline constexpr const char* kReportModeRealTime = "MODE:\tReal-Time";
inline constexpr const char* kReportModeRecorder = "MODE:\tRecorder";
inline constexpr const char* kReportModePostProcessing = "MODE:\tPost-Processing";
inline constexpr const char* kReportWaveFile = "WAVE FILE:\t%s";
inline constexpr const char* kReportProcessingHeading = "PROCESSING SETTINGS";
inline constexpr const char* kReportScalingHeading = "SCALING";

inline constexpr const char* kReportTriggerHeading = "TRIGGERING";
inline constexpr const char* kReportTriggerEnabled = "\tTrigger Status:\tEnabled";
inline constexpr const char* kReportTriggerDisabled = "\tTrigger Status:\tDisabled";
inline constexpr const char* kReportRearmEnabled = "\tRearm after trigger:\tEnabled";
inline constexpr const char* kReportRearmDisabled = "\tRearm after trigger:\tDisabled";
inline constexpr const char* kReportSourceLeft = "\tSource Channel:\tLeft";
inline constexpr const char* kReportSourceRight = "\tSource Channel:\tRight";
inline constexpr const char* kReportTriggerLevel = "\tTrigger Type:\tLevel";
inline constexpr const char* kReportTriggerEdge = "\tTrigger Type:\tEdge";
inline constexpr const char* kReportSlopePositive = "\tTrigger Slope:\tPositive";
inline constexpr const char* kReportSlopeNegative = "\tTrigger Slope:\tNegative";
inline constexpr const char* kReportThreshold = "\tThreshold:\t%d percent";
inline constexpr const char* kReportPreTrigger = "\tDelay Type:\tPre-Trigger";
inline constexpr const char* kReportPostTrigger = "\tDelay Type:\tPost-Trigger";
// "%3.1f": formatted with '.' in every locale.
inline constexpr const char* kReportTriggerDelayPrefix = "\tDelay Time:\t";
inline constexpr const char* kReportTriggerDelaySuffix = " milliseconds";

inline constexpr const char* kReportCalibrationFile = "\tCalibration File:\t%s";
inline constexpr const char* kReportCalibrationDisabled = "\tCalibration Status:\tDisabled";
inline constexpr const char* kReportInputDevice = "\tInput Device:\t%s";
inline constexpr const char* kReportInputDeviceNone = "\tInput Device:\tNone";
inline constexpr const char* kReportOutputDevice = "\tOutput Device:\t%s";
inline constexpr const char* kReportOutputDeviceNone = "\tOutput Device:\tNone";

inline constexpr const char* kReportActiveViews = "ACTIVE VIEWS";
inline constexpr size_t kReportViewCount = 5;  // the first five windows
inline constexpr const char* kReportViews[kReportViewCount] = {
    "\tTime Series", "\tSpectrum", "\tPhase", "\tSpectrogram", "\t3-D Surface"};
inline constexpr const char* kReportActiveUtilities = "ACTIVE UTILITIES";
// Utilities in report order with the window index they stand for (see kViewStatusKeys).
struct ReportUtility {
  size_t window;
  const char* text;
};
inline constexpr size_t kReportUtilityCount = 11;
inline constexpr ReportUtility kReportUtilities[kReportUtilityCount] = {
    {6, "\tTotal Harmonic Distortion (THD)"},
    {7, "\tTotal Harmonic Distortion + Noise (THD+N)"},
    {8, "\tInterModulation Distortion (IMD)"},
    {9, "\tSignal to Noise Ratio (SNR)"},
    {10, "\tSignal to Noise And Distortion Ratio (SINAD)"},
    {11, "\tSpurious Free Dynamic Range (SFDR)"},
    {12, "\tNoise Figure (NF)"},
    {13, "\tPeak Frequency"},
    {14, "\tPeak Amplitude"},
    {15, "\tTotal Power"},
    {16, "\tDelay Finder"}};
inline constexpr size_t kSignalGeneratorWindow = 5;
inline constexpr const char* kReportSignalGenerator = "\tSignal Generator\t%s";

}  // namespace orvanix
