// Plain settings records of the configuration files, one per section, with the defaults a
// missing key takes. Each field names its key; units are in the names or comments.
// Colours are 0x00BBGGRR values. Texts hold at most the stated number of characters
// minus one (the stored buffer sizes); longer texts are cut when read.
// The subsystems that use these records own their meaning; the configuration reader and
// writer only keep them.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "files/ConfigTexts.h"

namespace orvanix {

// `Paths` (program settings file only): the nine folders, in the order of the core's
// FolderKind (wave, temporary, configuration, calibration, microphone, overlay, log,
// reverberation, macro). Up to 260 characters each.
struct TPaths {
  std::array<std::string, kFolderCount> folders;
  bool operator==(const TPaths&) const = default;
};

// `FileIO` (program settings file only).
struct TFileIoSettings {
  int32_t waveFileMode = 1;                        // "WaveFileMode": 0 RAM, 1 disk
  int32_t maxRamRecordingTimeSecs = 300;           // "MaxRamRecordingTimeSecs"
  int32_t makeBackup = 1;                          // "MakeBackup"
  int32_t includeCalibrationData = 1;              // "IncludeCalibrationData"
  int32_t recordIoBufferSizeSecs = 1;              // "RecordIOBufferSizeSecs"
  int32_t realTimeIoBufferSizeSecs = 1;            // "RealTimeIOBufferSizeSecs"
  int32_t maxDiskRecordingSizeBytes = 2000000000;  // "MaxDiskRecordingSizeBytes", clamped
  int32_t realTimeWaveBufferEnable = 1;            // "RealTimeWaveBufferEnableFlag"
  int32_t realTimeWaveBufferLengthSecs = 60;       // "RealTimeWaveBufferLengthSecs"
  int32_t allowSplitBuffers = 1;                   // "AllowSplitBuffers"
  int32_t dalSelfMonitor = 0;                      // "DALSelfMonitor"
  int32_t darlaDelayMsec = 100;                    // "DarlaDelay"
  // Read from the program settings file, never written.
  int32_t duplexDelay = 50;            // "DuplexDelay"
  bool adjustImportRescaling = false;  // "AdjustImportRescaling": "TRUE" / "FALSE"
  int32_t runOnLaunch = 0;             // "RunOnLaunch": 1 starts Real-Time analysis
  bool operator==(const TFileIoSettings&) const = default;
};
inline constexpr int32_t kMinDiskRecordingBytes = 1000000;
inline constexpr int32_t kMaxDiskRecordingBytes = 2000000000;

// `PrintOpts`.
inline constexpr size_t kPrintCommentCount = 10;
struct TPrintOptions {
  std::string annotation1;  // "Annotation1", 80
  std::string annotation2;  // "Annotation2", 80
  float marginLeft = 0.5f;  // "MarginLeft" (and Right, Top, Bottom)
  float marginRight = 0.5f;
  float marginTop = 0.5f;
  float marginBottom = 0.5f;
  int32_t enableCommentBlock = 0;                        // "EnableCommentBlock"
  std::array<std::string, kPrintCommentCount> comments;  // "Comment1" ... "Comment10", 256
  bool operator==(const TPrintOptions&) const = default;
};

// `Device`: sound device numbers; see ClampDeviceIds.
struct TDeviceSettings {
  int32_t inputDeviceId = 0;   // "InputDeviceID"
  int32_t outputDeviceId = 0;  // "OutputDeviceID"
  bool operator==(const TDeviceSettings&) const = default;
};

// `Mode`.
enum OperatingMode : int32_t { kModeRealTime = 1, kModePostProcessing = 2, kModeRecorder = 3 };

// `Markers`: six frequency markers of the spectrum plot.
inline constexpr size_t kMarkerCount = 6;
struct TMarkerSettings {
  std::array<int32_t, kMarkerCount> enable{};  // "MarkerEnable0" ... "MarkerEnable5"
  std::array<float, kMarkerCount> freqHz{1000.0f, 2000.0f, 3000.0f,
                                         4000.0f, 5000.0f, 6000.0f};  // "MarkerFreq0" ...
  std::array<int32_t, kMarkerCount> labelType{1, 1, 1, 1, 1, 1};      // "LabelType0" ...
  std::array<std::string, kMarkerCount> customLabel{
      "Marker 1", "Marker 2", "Marker 3",
      "Marker 4", "Marker 5", "Marker 6"};  // "CustomLabel0" ..., 30
  bool operator==(const TMarkerSettings&) const = default;
};

// `ViewStatus`: 1 for each window open when the file was written, in the order of
// kViewStatusKeys.
struct TViewStatus {
  std::array<int32_t, kWindowCount> open{0, 1};  // only the spectrum ("OrvanePlot") is open
  int32_t noiseFigurePolarity = 6;               // "NoiseFigurePolarity"
  int32_t hideApplicationWindow = 0;             // "HideApplicationWindow" (program settings file)
  bool operator==(const TViewStatus&) const = default;
};

// `Trigger`.
struct TTriggerSettings {
  int32_t enable = 0;         // "Enable"
  int32_t autoReset = 1;      // "AutoReset": re-arm after triggering
  int32_t channel = 0;        // "Channel": 0 left, 1 right
  int32_t thresholdPct = 25;  // "Threshold": percent of full scale
  int32_t delayType = 0;      // "DelayType": 0 pre-trigger, 1 post-trigger
  float delayMsec = 0.0f;     // "DelayMsec"
  int32_t triggerType = 0;    // "TriggerType": 0 level, 1 edge
  int32_t slope = 0;          // "TriggerSlope": 0 positive, 1 negative
  bool operator==(const TTriggerSettings&) const = default;
};

// `SpectrumOpts`.
struct TSpectrumPlotOptions {
  int32_t plotType = 0;                          // "PlotType"
  int32_t gridEnabled = 1;                       // "GridEnabled"
  float plotTop = 0.0f;                          // "PlotTop"
  float plotRange = 100.0f;                      // "PlotRange"
  float startFreqHz = 10.0f;                     // "StartFreq"
  float stopFreqHz = 22000.0f;                   // "StopFreq"
  uint32_t lineColor = 65535;                    // "LineColor"
  uint32_t backgroundColor = 0;                  // "BackgroundColor"
  uint32_t gridColor = 32768;                    // "GridColor"
  uint32_t markerColor = 16776960;               // "MarkerColor"
  int32_t showRmsLevel = 0;                      // "ShowRMSLevel"
  std::array<std::array<int32_t, 4>, 2> show{};  // "Show1_1" ... "Show1_4", "Show2_1" ...
  std::array<uint32_t, 4> overlayColor{255, 16711935, 16711680, 16776960};  // "OverlayColor1" ...
  int32_t overlayLegendSize = 8;                                            // "OverlayLegendSize"
  int32_t grabCursor = 1;                                                   // "GrabCursorFlag"
  float rpm = 1000.0f;                                                      // "rpm"
  int32_t intervalFlag = 0;                                                 // "IntervalFlag"
  float intervalSecs = 0.1f;                                                // "IntervalSecs"
  bool operator==(const TSpectrumPlotOptions&) const = default;
};

// `PhaseOpts`.
struct TPhasePlotOptions {
  int32_t gridEnabled = 1;
  float plotTop = 180.0f;
  float plotRange = 360.0f;
  float startFreqHz = 20.0f;
  float stopFreqHz = 22000.0f;
  uint32_t lineColor = 0;
  uint32_t backgroundColor = 16776960;
  uint32_t gridColor = 12632256;
  uint32_t markerColor = 255;
  int32_t grabCursor = 1;
  int32_t intervalFlag = 0;
  float intervalSecs = 0.1f;
  bool operator==(const TPhasePlotOptions&) const = default;
};

// `SpectrogramOpts`.
struct TSpectrogramOptions {
  int32_t intervalFlag = 0;
  float intervalSecs = 2.0f;
  float plotTop = 0.0f;
  float plotRange = 60.0f;
  int32_t useFullSpan = 1;
  float startFreqHz = 100.0f;
  float stopFreqHz = 10000.0f;
  int32_t direction = 0;
  int32_t intensity = 0;
  uint32_t minCustomColor = 65535;
  uint32_t maxCustomColor = 255;
  int32_t colorMode = 0;
  bool operator==(const TSpectrogramOptions&) const = default;
};

// `SurfaceOpts`.
struct TSurfaceOptions {
  int32_t intervalFlag = 0;
  float intervalSecs = 2.0f;
  float plotTop = 0.0f;
  float plotRange = 60.0f;
  int32_t useFullSpan = 1;
  float startFreqHz = 100.0f;
  float stopFreqHz = 10000.0f;
  uint32_t backgroundColor = 16777215;
  uint32_t lineColor = 16711680;
  int32_t intensity = 0;
  int32_t colorMode = 0;
  bool operator==(const TSurfaceOptions&) const = default;
};

// `SeriesOpts`.
struct TSeriesOptions {
  int32_t ampScaleType = 0;
  int32_t gridEnabled = 1;
  float plotTop = 100.0f;
  float plotRange = 100.0f;
  int32_t plotChannel = 0;
  float maxZoomOutTime = 10000.0f;
  uint32_t lineColor = 255;
  uint32_t backgroundColor = 16777215;
  uint32_t gridColor = 12632256;
  float startTime = 0.0f;
  float stopTime = 1.0f;
  float orderNumber = 3.0f;
  int32_t thresholdMarkPct = 25;        // "ThresholdMarkPercentage"
  int32_t displayMaxMinRangeAsRms = 0;  // "DisplayMaxMinRangeAsRMS"
  int32_t intervalFlag = 0;
  float intervalSecs = 0.1f;
  bool operator==(const TSeriesOptions&) const = default;
};

// `Filter`: the digital filter utility.
struct TFilterSettings {
  int32_t type = 0;
  int32_t numTaps = 81;
  int32_t hpCutoffHz = 1000;
  int32_t lpCutoffHz = 2000;
  int32_t bpCenterHz = 2000;
  int32_t bpWidthHz = 1000;
  int32_t notchCenterHz = 2000;  // "NCenterHz"
  int32_t notchWidthHz = 1000;   // "NWidthHz"
  int32_t doLeft = 1;
  int32_t doRight = 1;
  bool operator==(const TFilterSettings&) const = default;
};

// `Logging`: the data logger.
struct TLoggingSettings {
  int32_t intervalFlag = 1;
  float intervalSecs = 1.0f;
  int32_t useFullSpan = 1;
  float startFreqHz = 0.0f;
  float stopFreqHz = 1000.0f;
  float threshold = -999.0f;
  int32_t dataType = 0;
  std::string logFileName = "datalog.txt";       // "LogFileName", 260
  std::string logViewerProgram = "notepad.exe";  // "LogViewerProgram", 260
  int32_t overwrite = 1;                         // "OverwriteFlag"
  int32_t varekFlag = 0;                         // "VarekFlag" (program settings file)
  bool operator==(const TLoggingSettings&) const = default;
};

// `DelayFinderOpts`.
struct TDelayFinderOptions {
  int32_t displayUnits = 0;
  float speedOfSound = 1130.0f;
  int32_t maxDelayMsec = 500;
  bool operator==(const TDelayFinderOptions&) const = default;
};

// `LEQ`.
struct TLeqSettings {
  int32_t referenceTimePeriodSecs = 3600;  // "ReferenceTimePeriod": 0 reads as 3600
  int32_t weightingType = 1;
  bool operator==(const TLeqSettings&) const = default;
};

// `ReverbOpts`.
struct TReverbOptions {
  int32_t smoothingMethod = 1;
  float smoothingAverageTime = 0.1f;
  int32_t extrapolationMethod = 1;
  int32_t maxDecayTime = 10;
  int32_t displayedDecayTime = 10;
  int32_t displayedRtTime = 5;  // "DisplayedRTTime"
  int32_t displayedDecayBand = 10;
  uint32_t barColor = 16711680;
  uint32_t backgroundColor = 12910591;
  uint32_t decayColor = 128;
  uint32_t surfaceColor = 16711680;
  uint32_t gridColor = 8421504;
  bool operator==(const TReverbOptions&) const = default;
};

// `MacroOpts`.
struct TMacroOptions {
  std::string macroFilename;                        // "MacroFilename", 256
  int32_t overwrite = 1;                            // "OverwriteFlag"
  std::string outputViewerProgram = "notepad.exe";  // "OutputViewerProgram", 260
  std::string outputFilename;  // "OutputFilename", 256; empty: macro_output.txt in the folder
  bool operator==(const TMacroOptions&) const = default;
};

// `FileHistory`: the four most recent wave or configuration files (program settings file
// only, newest first) and the wave file open when the file was written (both files).
inline constexpr size_t kFileHistoryCount = 4;
struct TFileHistory {
  std::array<std::string, kFileHistoryCount> recent;  // keys "1" ... "4"
  std::string openFileName;                           // "OpenFileName"
  bool operator==(const TFileHistory&) const = default;
};

}  // namespace orvanix
