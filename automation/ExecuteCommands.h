// The execute commands: their names in matching order and how a received command text
// selects one and yields its argument. Standard C++ only (fuzzed and tested on its own);
// running a matched command is TExecuteRunner's job.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvanix {

// One value per command, in matching order (the order of ExecuteCommandName).
enum ExecuteId : int32_t {
  kExRun = 0,
  kExRunCount,
  kExSingleStep,
  kExStop,
  kExRewind,
  kExFastForward,
  kExRecord,
  kExPlay,
  kExGoTo,
  kExResetAverage,
  kExTrigger,
  kExResetOverload,
  kExPeakHoldOn,
  kExEnablePeakHold,
  kExPeakHoldOff,
  kExDisablePeakHold,
  kExAverageSize,
  kExSetAverageSize,
  kExSetAverageType,
  kExSetChannel,
  kExFftOverlap,
  kExSetFftOverlap,
  kExFftSize,
  kExSetFftSize,
  kExModeRealTime,
  kExModeRecorder,
  kExModePostProcessing,
  kExSetSamplingRate,
  kExSetDecimationRatio,
  kExWindowBartlett,  // ... kExWindowUniform: the nine windows in their type order
  kExWindowBlackman,
  kExWindowFlatTop,
  kExWindowHamming,
  kExWindowHanning,
  kExWindowKaiser,
  kExWindowParzen,
  kExWindowTriangular,
  kExWindowUniform,
  kExOpenGenerator,
  kExCloseGenerator,
  kExStartGenerator,
  kExStopGenerator,
  kExOpenDelayFinder,
  kExCloseDelayFinder,
  kExApplyDelayFinder,
  kExSetDelay,
  kExSetOverlay,
  kExShowOverlay,
  kExHideOverlay,
  kExMarker1,  // ... kExMarker6
  kExMarker2,
  kExMarker3,
  kExMarker4,
  kExMarker5,
  kExMarker6,
  kExFileOpen,
  kExFileSave,
  kExFileClose,
  kExFileDelete,
  kExExitApplication,
  kExFileDecimate,
  kExFileMerge,
  kExHideWindow,
  kExShowWindow,
  kExMinimizeWindow,
  kExRestoreWindow,
  kExMaximizeWindow,
  kExCascadeWindows,
  kExTileVertical,
  kExTileHorizontal,
  kExSetDataLoggingFile,
  kExEnableDataLogging,
  kExDisableDataLogging,
  kExLoggingOn,
  kExLoggingOff,
  kExSetAmplitudeScaling,
  kExSetFrequencyScaling,
  kExSetOctave,
  kExSetSpectrumWeighting,
  kExSetPsdType,
  kExEnablePsd,
  kExDisablePsd,
  kExSetMicFile,
  kExSetLeftMicFile,
  kExSetRightMicFile,
  kExEnableMic,
  kExDisableMic,
  kExMicEnableNoRestart,
  kExMicDisableNoRestart,
  kExTriggerOn,
  kExTriggerOff,
  kExTriggerReArmOn,
  kExTriggerReArmOff,
  kExTriggerThreshold,
  kExSpectrumSpan,
  kExPhaseSpan,
  kExSpectrogramSpan,
  kExSurfaceSpan,
  kExSetTimeSegment,
  kExCopyBitmap,
  kExSetInputDevice,
  kExSetOutputDevice,
  kExCalibrate,
  kExSaveCalibration,
  kExOpenTimeSeries,  // Open, Close, Restore, Maximize for each of the five views
  kExCloseTimeSeries,
  kExRestoreTimeSeries,
  kExMaximizeTimeSeries,
  kExOpenSpectrum,
  kExCloseSpectrum,
  kExRestoreSpectrum,
  kExMaximizeSpectrum,
  kExOpenPhase,
  kExClosePhase,
  kExRestorePhase,
  kExMaximizePhase,
  kExOpenSpectrogram,
  kExCloseSpectrogram,
  kExRestoreSpectrogram,
  kExMaximizeSpectrogram,
  kExOpenSurface,
  kExCloseSurface,
  kExRestoreSurface,
  kExMaximizeSurface,
  kExPrintTimeSeries,  // ... kExPrintSurface: the five views in the same order
  kExPrintSpectrum,
  kExPrintPhase,
  kExPrintSpectrogram,
  kExPrintSurface,
  kExAnnotation1,
  kExAnnotation2,
  kExSaveGeneratorSignal,
  kExSetGeneratorType,
  kExSetGeneratorTone,
  kExSetGeneratorWaveFile,
  kExOpenReverb,
  kExCloseReverb,
  kExStartReverb,
  kExSaveReverb,
  kExOpenMacro,
  kExCloseMacro,
  kExOpenMacroFile,
  kExStartMacro,
  kExStopMacro,
  kExHideMenu,
  kExShowMenu,
  kExHideToolbar,
  kExShowToolbar,
  kExHideStatusbar,
  kExShowStatusbar,
  kExHidePlotToolbars,
  kExShowPlotToolbars,
  kExUseTempFile,
  kExecuteCount
};

// Longest command text accepted.
inline constexpr size_t kMaxExecuteBytes = 280;

// The command's name as matched ("[Run]", "[Set FFT Size ").
std::string_view ExecuteCommandName(ExecuteId id);

struct TExecuteMatch {
  ExecuteId id = kExRun;
  std::string argument;  // empty for commands without one
};

// The first command the text selects, compared without regard to case, or nothing (an
// empty text, one longer than kMaxExecuteBytes, an unknown command).
std::optional<TExecuteMatch> MatchExecuteCommand(std::string_view text);

// Argument helpers with the classic conversions: the leading integer or real of the text
// (blanks skipped, garbage after the number ignored), 0 when there is none; values beyond
// the integer range saturate.
int64_t LeadingInteger(std::string_view text);
double LeadingReal(std::string_view text);

}  // namespace orvanix
