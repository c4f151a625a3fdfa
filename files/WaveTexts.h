// The texts the wave document shows, gathered so that code and tests use the same constants.
// Texts with "%s" take a path; format them with Format() of engine/Messages.h.
#pragma once

#include "engine/Messages.h"

namespace orvanix {

// Messages of the wave document's own failures.
inline constexpr const char* kFailureOpeningFile = "Failure Opening file: %s";
inline constexpr const char* kWaveFormatInvalid = "The wave file format is invalid";
inline constexpr const char* kInsufficientMemoryToLoad =
    "Insufficient memory to load wave data.  %ld bytes needed.";
inline constexpr const char* kFailureWritingWaveFile = "Failure writing wave file.";
inline constexpr const char* kFailureDeletingTempFile = "Failure Deleting Temp file";
inline constexpr const char* kCalibrationChunkCreateError =
    "Error on mmioCreateChunk for Calibration data";
inline constexpr const char* kCalibrationWriteError = "Error writing Calibration data to wave file";
// kInsufficientMemory (engine/Messages.h) covers temporary buffers and recording growth.

// Shown when a RAM recording buffer of the configured length cannot be allocated.
inline constexpr const char* kInsufficientRecordingMemory =
    "Insufficient memory available.  Reduce the \"Max Recording Time\" value under the "
    "<File><File I/O Options> menu or change to the \"Hard Disk\" recording method.";

// Asked before a disk-mode recording goes straight into an open file (Yes/No).
inline constexpr const char* kModifyWithoutBackupQuestion =
    "You are about to modify the disk file and have not selected the \"Make Backup\" file "
    "option.\r\rDo you want to continue?";

// Automatic names of recordings that reached the disk size limit: wave folder, local time.
inline constexpr const char* kRecordingFileName = "%s/recording_%s.wav";
inline constexpr const char* kRecordingTimeFormat = "%04d_%02d_%02d_%02d%02d%02d";

// Refusals of malformed or unreadable files, more precise than kWaveFormatInvalid. Each takes
// the path first. The first three are kWaveFormatInvalid with the file and the reason.
inline constexpr const char* kNotRiffWave =
    "The wave file format is invalid: %s is not a RIFF WAVE file.";
inline constexpr const char* kNoFmtChunk = "The wave file format is invalid: %s has no fmt chunk.";
inline constexpr const char* kNoDataChunk =
    "The wave file format is invalid: %s has no data chunk.";
inline constexpr const char* kEmptyDataChunk =
    "The wave file %s holds no sound: its data chunk is empty.";
inline constexpr const char* kNoWholeFrame =
    "The wave file %s holds no sound: its data chunk is shorter than one frame of %u bytes.";
inline constexpr const char* kChunkPastEnd =
    "The wave file %s is damaged or truncated: a chunk runs past the end of the file.";
inline constexpr const char* kTooManyChunks =
    "The wave file %s is damaged: it holds too many chunks before its data.";
inline constexpr const char* kFmtTooShort =
    "The wave file %s is damaged: its fmt chunk is shorter than 14 bytes.";
inline constexpr const char* kRepeatedFmt =
    "The wave file %s is damaged: it has more than one fmt chunk.";
inline constexpr const char* kDataBeforeFmt =
    "The wave file %s is damaged: its data chunk comes before its fmt chunk.";
inline constexpr const char* kUnsupportedChannels =
    "The wave file %s has %u channels; only mono and stereo files can be read.";
inline constexpr const char* kInvalidBlockAlign =
    "The wave file %s has an invalid block align of %u bytes for %u channels.";
inline constexpr const char* kUnsupportedSampleSize =
    "The wave file %s has %u-byte samples; only 8, 16 and 24-bit files can be read.";
inline constexpr const char* kNotIntegerPcm =
    "The wave file %s is not integer PCM (format tag %u); it cannot be read.";
inline constexpr const char* kZeroSampleRate = "The wave file %s has a sample rate of 0 Hz.";
inline constexpr const char* kFailureReadingFile = "Failure reading wave file: %s";
// Not a refusal: a file whose header announces more data than it holds (a streaming writer's
// 0xFFFFFFFF sizes, a recording cut off) is read as far as it goes. Path, frames, duration.
inline constexpr const char* kWaveTruncated =
    "The wave file %s is truncated: its header announces more sound than the file holds.  "
    "The %u frames present (%s s) were read.";

// Writing: the format's 32-bit sizes cap a file near 4 GB; a full disk keeps what was written.
inline constexpr const char* kWaveTooLarge =
    "The wave data would exceed the 4 GB size limit of a WAV file.";
inline constexpr const char* kDiskFull =
    "Failure writing wave file: the disk is full.  Everything written before is kept.";
// A working file holding unsaved data is not deleted after a failed save.
inline constexpr const char* kWorkingFileKept = "The unsaved wave data was kept in %s";

}  // namespace orvanix
