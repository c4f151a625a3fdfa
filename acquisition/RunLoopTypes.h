// Run states and the run loop's own texts, shared by the run loop, the analyzer core,
// the GUI and automation. Header only.
#pragma once

#include <cstdint>

#include "files/SettingsRecords.h"

namespace orvanix {

// Operating modes (`OperatingMode`: kModeRealTime 1, kModePostProcessing 2, kModeRecorder 3)
// are those of the configuration records, stored as "OpMode".

// Run state. Never stored.
enum RunState : int32_t {
  kStateRunning = 1,
  kStateStopped = 2,
  kStateRecording = 3,
  kStatePlaying = 4,
};

inline bool IsValidMode(int32_t mode) {
  return mode >= kModeRealTime && mode <= kModeRecorder;
}

// Status texts.
inline constexpr const char* kTextStopped = "Stopped";
inline constexpr const char* kTextRunning = "Running...";
inline constexpr const char* kTextRecording = "Recording...";
inline constexpr const char* kTextWaitingForTrigger = "Waiting for Trigger...";
inline constexpr const char* kTextPlaying = "Playing...";
inline constexpr const char* kTextAcquiring = "Acquiring Data...";
inline constexpr const char* kTextOverload = "OVERLOAD!";

// Status-bar mode texts.
inline constexpr const char* kTextModeRealTime = "Real Time";
inline constexpr const char* kTextModePostProcess = "Post Process";
inline constexpr const char* kTextModeRecorder = "Recorder";

// Messages of the run loop.
inline constexpr const char* kMsgOpenWaveFirst = "Please Open a .WAV file for processing";
inline constexpr const char* kMsgEndOfFile =
    "You have reached the end of the file.  Please rewind and then run the analyzer.";
inline constexpr const char* kMsgCloseToEnd =
    "You are close to the end of the file and there are not enough data samples to perform an "
    "FFT";
inline constexpr const char* kMsgFileTooShort =
    "There are not enough data samples in the file to perform an FFT.  Either reduce the FFT "
    "size or Decimation Ratio or record additional data to increase the file size.";
inline constexpr const char* kMsgNoSoundCards = "No Sound Cards were detected on your system.";
inline constexpr const char* kMsgFormatNotSupported =
    "Sampling rate or bits per sample not supported.";
inline constexpr const char* kMsgModifyWithoutBackup =
    "You are about to modify the disk file and have not selected the \"Make Backup\" file "
    "option.\r\rDo you want to continue?";
// Frame titles.
inline constexpr const char* kTitleWithDocument = "%s [%s]";
inline constexpr const char* kTitleUntitled = "Untitled";
inline constexpr const char* kTitleRecording = "%s - Recording...";

// Messages of our own, for failures the sound devices and the disk report while running.
// Each names what happened and that what was recorded so far is kept.
inline constexpr const char* kMsgRecordingWriteFailed =
    "Recording has stopped because the wave file could not be written (%s).  Everything "
    "recorded before this point has been kept.";
// Input lost while running (shown when it happens, and again at the end of the run if more
// was lost): times the device lost input, then the frames dropped for want of a buffer. The
// last sentence says what the loss means for what the run keeps.
inline constexpr const char* kMsgOverruns =
    "The sound device lost input %llu time(s) during this run (%llu frames dropped): the program "
    "could not keep up with it.  %s";
inline constexpr const char* kMsgOverrunsRecording = "The recording has gaps at those places.";
inline constexpr const char* kMsgOverrunsHistory =
    "The Real-Time data buffer has gaps at those places.";
inline constexpr const char* kMsgOverrunsAnalysis =
    "Blocks analysed across those places do not hold continuous input.";
// Playback that ran dry: times, then the frames of silence played in the gaps.
inline constexpr const char* kMsgUnderruns =
    "The sound device ran out of data to play %llu time(s) during this run (%llu frames of "
    "silence): the program could not keep up with it.  What was heard has gaps at those places.";
// A disk recording reached its size limit: the finished file's name (told without a box).
inline constexpr const char* kMsgRecordingContinues =
    "The recording reached its size limit and was saved as %s.  Recording continues in a new "
    "file.";

}  // namespace orvanix
