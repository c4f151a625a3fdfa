// The texts of the edit operations and the file utilities (Decimate, Merge), gathered so that
// code and tests use the same constants.
#pragma once

#include <cstdint>

namespace orvanix {

// Undo kinds of TWaveFile::SaveUndo.
inline constexpr uint16_t kUndoRemove = 0;     // remove start ... end (after an insertion)
inline constexpr uint16_t kUndoWriteBack = 1;  // write the undo file back from start
inline constexpr uint16_t kUndoInsert = 2;     // insert the undo file at start (after a cut)

// Edit commands.
inline constexpr const char* kSelectSegmentFirst = "You must first select a time segment.";
inline constexpr const char* kDifferingFormats =
    "Files are of differing formats.  Cannot perform edit.";
inline constexpr const char* kGainAdjustTitle = "Gain Adjust";
inline constexpr const char* kGainAdjustGroup = "Gain Adjust Levels";
inline constexpr const char* kLeftGainText = "Left Channel Gain (dB)";
inline constexpr const char* kRightGainText = "Right Channel Gain (dB)";
inline constexpr const char* kGainRange = "Gain must be between %ld and %ld dB";
inline constexpr int kMinGainDb = -60;
inline constexpr int kMaxGainDb = 10;
inline constexpr const char* kAdjustingGain = "Adjusting Signal Gain... press <Esc> to cancel.";

// Playback of the selection.
inline constexpr double kMinSpeed = 0.1;
inline constexpr double kMaxSpeed = 10.0;
inline constexpr const char* kSpeedTitle = "Arbitrary Speed";
inline constexpr const char* kSpeedLabel = "Speed factor (0.1 ... 10; 1 is normal speed):";
inline constexpr const char* kSpeedRange = "Speed must be between %.1f and %.0f";

// Digital filtering.
inline constexpr const char* kFilterTitle = "Digital Filtering";
inline constexpr const char* kFilterTypeGroup = "Filter Type";
inline constexpr const char* kFilterTypeTexts[] = {"&Low Pass", "&High Pass", "&Band Pass",
                                                   "&Notch"};
inline constexpr const char* kFilterParametersGroup = "Filter Parameters";
inline constexpr const char* kCutoffText = "Cutoff Freq (Hz)";
inline constexpr const char* kCenterText = "Center Freq (Hz)";
inline constexpr const char* kWidthText = "Width (Hz)";
inline constexpr const char* kChannelSelectionGroup = "Channel Selection";
inline constexpr const char* kFilterLeftText = "Le&ft channel";
inline constexpr const char* kFilterRightText = "&Right channel";
inline constexpr const char* kRolloffGroup = "Filter Rolloff (shape factor)";
inline constexpr const char* kRolloffTexts[] = {"&Gentle (fastest)", "&Moderate",
                                                "&Steep (slowest)"};
inline constexpr int kRolloffTaps[] = {39, 81, 199};
inline constexpr const char* kStartText = "&Start";
inline constexpr const char* kCutoffRange = "Cutoff Frequency must be between %ld and %ld Hz";
inline constexpr const char* kCenterRange = "Center Frequency must be between %ld and %ld Hz";
inline constexpr const char* kWidthRange = "Width Frequency must be between %ld and %ld Hz";
inline constexpr const char* kComputingCoefficients = "Computing Filter Coefficients";
inline constexpr const char* kFilteringSegment = "Filtering time segment: %s to %s";
inline constexpr const char* kCancelFilterQuestion =
    "Are you sure you want to cancel the filtering process?";

// Decimate.
inline constexpr const char* kDecimateTitle = "Decimate Wave File";
inline constexpr const char* kDecimateRatioText = "Decimation Ratio:";
inline constexpr const char* kOldRateText = "Old Sampling Rate (Hz):";
inline constexpr const char* kNewRateText = "New Sampling Rate (Hz):";
inline constexpr const char* kDecimateFilterText = "Apply low pass filter prior to decimating";
inline constexpr const char* kDestinationTitle = "Select Destination File";
inline constexpr const char* kSavingWave = "Saving Wave file...";
inline constexpr const char* kDestinationIsOpen =
    "%s is the open document; choose another file for the decimated copy.";

// Merge.
inline constexpr const char* kMergeInformation =
    "This option allows you to combine two single\rchannel (mono) files into a stereo file.";
inline constexpr const char* kMergeInformationTitle = "Information";
inline constexpr const char* kLeftSourceTitle = "Select Source for Left Channel";
inline constexpr const char* kRightSourceTitle = "Select Source for Right Channel";
inline constexpr const char* kMergeInputFailure = "Failure opening input file: %s\n";
inline constexpr const char* kMergeNotMono = "Error: Input files must both be mono format";
inline constexpr const char* kMergeRates = "Error: Input files must have the same sampling rate";
inline constexpr const char* kMergePrecision =
    "Error: Input files must have the same sampling precision";
inline constexpr const char* kMergingFiles = "Merging files... press <Esc> to cancel.";

// Failures that the design leaves unsaid.
inline constexpr const char* kUndoNotSaved =
    "The edit was not made: its undo data could not be saved.  %s";
inline constexpr const char* kUndoFailed =
    "The edit could not be undone; the undo data is kept so that you may try again.";
inline constexpr const char* kEditFailedUndone =
    "The edit failed part way; the document was put back as it was.";
inline constexpr const char* kEditFailedUndoable =
    "The edit failed part way and could not be put back at once; use Undo Edit to restore "
    "the document.";
inline constexpr const char* kEditFailedDamaged =
    "The edit failed part way and the document could not be put back.  Close it without "
    "saving to keep the file as it was on disk.";
inline constexpr const char* kClipboardNotWave =
    "The clipboard does not hold wave data that can be pasted.";

}  // namespace orvanix
