// The analyzer core's own texts: document commands, mode changes, calibration queries and
// measurement. Code and tests use these constants.
#pragma once

namespace orvanix {

// Document commands.
inline constexpr const char* kMsgOpenInRealTime =
    "You are currently using the Real Time Mode.  You must change to either the Post Processing "
    "or Recorder Mode before opening a file.";
inline constexpr const char* kMsgFailureOpeningFile = "Failure opening file: %s";
inline constexpr const char* kMsgSaveBeforeClosing = "%s has changed. Save file before closing?";
inline constexpr const char* kTextUntitledInPrompt = "[Untitled]";
inline constexpr const char* kMsgConfirmDelete = "Are you sure you want to delete: %s";
inline constexpr const char* kMsgFailureDeleting = "Failure deleting file: %s";
inline constexpr const char* kMsgFileIoWhileOpen =
    "You cannot change the File I/O options while an existing .WAV file is open.  Please close "
    "the file.";
inline constexpr const char* kTitleOpeningWave = "Opening Wave file...";
inline constexpr const char* kTitleSavingWave = "Saving Wave file...";
// Our own: a delete that would remove the open document.
// Our own: at exit, after the program settings file could not be read at start-up.
inline constexpr const char* kMsgProgramSettingsKept =
    "The settings file %s could not be read when the program started.  It was kept as %s and "
    "the current settings were saved in a new file.";
inline constexpr const char* kMsgDeleteOpenDocument =
    "The file %s is open.  Close it before deleting it.";

// Dialog texts the GUI uses for the document commands.
inline constexpr const char* kOpenWaveTitle = "Open Wave File";
inline constexpr const char* kSaveWaveTitle = "Save Wave File";
inline constexpr const char* kDeleteWaveTitle = "Delete Wave File";
inline constexpr const char* kWaveFilter = "Wave Files (*.wav)|*.wav|";
inline constexpr const char* kDeleteWaveFilter = "%s (*.wav)|*.wav|";
inline constexpr const char* kWaveFilesText = "Wave Files";

// The calibration query after opening a file without calibration.
inline constexpr const char* kQueryCalibrationTitle = "Warning!";
inline constexpr const char* kQueryCalibrationText =
    "WARNING: You are currently using calibration file \"%s\".  This may not be correct for this "
    ".WAV file.  Do you wish to select a different calibration file at this time?";
inline constexpr const char* kQueryCalibrationKeep = "Continue Using &Current Calibration File";
inline constexpr const char* kQueryCalibrationSelect = "&Select a Different Calibration File";
inline constexpr const char* kQueryCalibrationDisable =
    "&Disable Calibration and Revert To Default Scaling";

// Mode changes.
inline constexpr const char* kMsgConvertHistory =
    "Data is still available in the Real-Time data buffers.\rDo you want to convert this to a WAV "
    "file for further Processing?";

// Measuring the calibration reference.
inline constexpr const char* kMsgCalibrationOverload =
    "The calibration signal is overloading the input.\rReduce the calibration signal level or "
    "decrease the sound card input gain and recalibrate.";
inline constexpr const char* kMsgCalibrationTooLow =
    "The calibration signal level is too low for accurate calibration.\r\rIncrease the "
    "calibration signal level, preamp gain, or input sensitivity (gain)\rof your sound card and "
    "restart the calibration procedure.";

// Status bar.
inline constexpr const char* kStatusRate = "%d Hz";
inline constexpr const char* kStatusBits = "%d Bit";
inline constexpr const char* kStatusMono = "Mono";
inline constexpr const char* kStatusStereo = "Stereo";
inline constexpr const char* kStatusFft = "FFT %ld pts";

// Our own: a command-line macro without a macro processor to run it.
inline constexpr const char* kMsgNoMacroProcessor =
    "Macro files cannot be run: this program has no macro processor yet (%s).";

}  // namespace orvanix
