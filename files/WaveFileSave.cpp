// Saving the wave document: RAM mode writes a new file; disk mode puts the working file in
// place. Either way the user's file is replaced all-or-nothing (ReplaceFile) or, for a new
// recording, by renaming the finished working file over it.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "engine/Messages.h"
#include "files/Riff.h"
#include "files/WaveFile.h"
#include "files/WaveFileFormat.h"
#include "files/WaveFileIo.h"
#include "files/WaveTexts.h"

namespace orvanix {

namespace {

void ReportReplaceFailure(ReplaceResult result, const std::string& target, int writeError) {
  if (result == ReplaceResult::OpenFailed) {
    ReportError(orvanix::Format(kFailureOpeningFile, target.c_str()));
  } else {
    ReportError(writeError == ENOSPC ? kDiskFull : kFailureWritingWaveFile);
  }
}

}  // namespace

bool TWaveFile::Save() {
  if (untitled_) return false;
  return Disk() ? SaveDisk(true) : SaveRam();
}

bool TWaveFile::SaveRam() {
  const uint64_t bytes = uint64_t{validLength_} * BlockAlign();
  if (bytes > kMaxWaveDataBytes) {
    ReportError(kWaveTooLarge);
    error_ = true;
    return false;
  }
  int writeError = 0;
  const ReplaceResult result = ReplaceFile(targetPath_, [&](int fd) {
    uint8_t header[kWaveHeaderBytes];
    BuildWaveHeader(format_, static_cast<uint32_t>(bytes), header);
    const uint8_t pad = 0;
    uint64_t end = kWaveHeaderBytes + bytes;
    if (!WriteAt(fd, 0, header, sizeof header) ||
        (bytes > 0 && !WriteAt(fd, kWaveHeaderBytes, memory_.get(), static_cast<size_t>(bytes))) ||
        ((bytes & 1u) && !WriteAt(fd, end++, &pad, 1))) {
      writeError = errno;
      return false;
    }
    if (calibrationPresent_) AppendCalibration(fd, end);
    return true;
  });
  if (result != ReplaceResult::Ok) {
    ReportReplaceFailure(result, targetPath_, writeError);
    error_ = true;
    return false;
  }
  modified_ = false;
  untitled_ = false;
  created_ = false;
  dataOffset_ = kWaveHeaderBytes;
  return true;
}

bool TWaveFile::CalibrationOnDisk() const {
  if (fileEnd_ != riffEnd_ + kCalibrationChunkBytes) return false;
  uint8_t expected[kCalibrationChunkBytes];
  uint8_t found[kCalibrationChunkBytes];
  BuildCalibrationChunk(calibration_, expected);
  return ReadAt(fd_, riffEnd_, found, sizeof found) &&
         std::memcmp(expected, found, sizeof found) == 0;
}

bool TWaveFile::SaveDisk(bool reopen) {
  if (fd_ < 0) return false;
  const uint64_t validBytes = uint64_t{validLength_} * BlockAlign();
  if (InPlace()) {
    // Every write already went into the target. Only a calibration record attached since the
    // file was opened is still to be written.
    if (calibrationPresent_ && calibrationChanged_ && !CalibrationOnDisk()) {
      // A chunk after data whose size overstates it would be read as sound.
      MarkWritten();
      if (CorrectOverstatedSizes() && ::ftruncate(fd_, static_cast<off_t>(riffEnd_)) == 0) {
        fileEnd_ = riffEnd_;
        AppendCalibration(fd_, riffEnd_);
      }
    }
    calibrationChanged_ = false;
    if (!SyncWorking()) {
      ReportError(kFailureWritingWaveFile);
      return false;
    }
    modified_ = false;
    saveFailed_ = false;
    return true;
  }
  // The working file is read back by the placement; its own flush comes with a rename.
  if (validBytes != dataBytes_ && !CommitDataSize(validBytes)) {
    ReportError(kFailureWritingWaveFile);
    saveFailed_ = true;
    return false;
  }
  if (!PlaceWorkingFile(!reopen)) {
    saveFailed_ = true;
    return false;
  }
  saveFailed_ = false;
  if (!reopen) return true;
  const uint32_t position = position_;
  if (!OpenWorking(targetPath_, true)) {
    error_ = true;  // saved, but the object cannot go on with the file
    return true;
  }
  position_ = position < length_ ? position : length_;
  modified_ = false;
  created_ = false;
  return true;
}

bool TWaveFile::PlaceWorkingFile(bool releasing) {
  int writeError = 0;
  const bool rename = workingIsTemporary_ && ((created_ && !makeBackup_) || releasing);
  if (!rename) {
    // A copy of the RIFF chunk, then our calibration chunk: an old record after the RIFF chunk
    // of the working file is not carried over.
    const uint64_t riffEnd = riffEnd_;
    const ReplaceResult result = ReplaceFile(targetPath_, [&](int fd) {
      if (!CopyRange(fd_, 0, riffEnd, fd, 0)) {
        writeError = errno;
        return false;
      }
      if (calibrationPresent_) AppendCalibration(fd, riffEnd);
      return true;
    });
    if (result != ReplaceResult::Ok) {
      ReportReplaceFailure(result, targetPath_, writeError);
      return false;
    }
    CloseWorking(!workingIsTemporary_);
    if (!makeBackup_) workingPath_ = targetPath_;  // go on with the new file
    return true;
  }

  // A finished temporary file becomes the target: cut what follows the RIFF chunk, attach the
  // calibration record, and give it the permissions of a user file.
  MarkWritten();
  if (::ftruncate(fd_, static_cast<off_t>(riffEnd_)) == 0) fileEnd_ = riffEnd_;
  if (calibrationPresent_) AppendCalibration(fd_, fileEnd_);
  struct stat old;
  ::fchmod(fd_, ::stat(targetPath_.c_str(), &old) == 0 ? (old.st_mode & 07777) : DefaultFileMode());
  MarkWritten();
  if (!SyncWorking()) {
    ReportError(kFailureWritingWaveFile);
    return false;
  }
  if (::rename(workingPath_.c_str(), targetPath_.c_str()) == 0) {
    SyncFolderOf(targetPath_);
  } else {
    // Typically another file system than the temporary folder's: copy, then delete.
    const uint64_t end = fileEnd_;
    const ReplaceResult result = ReplaceFile(targetPath_, [&](int fd) {
      if (CopyRange(fd_, 0, end, fd, 0)) return true;
      writeError = errno;
      return false;
    });
    if (result != ReplaceResult::Ok) {
      ReportError(writeError == ENOSPC ? kDiskFull : kFailureWritingWaveFile);
      return false;
    }
    if (::unlink(workingPath_.c_str()) != 0) ReportError(kFailureDeletingTempFile);
  }
  CloseWorking(false);
  workingPath_ = targetPath_;
  workingIsTemporary_ = false;
  return true;
}

bool TWaveFile::SaveAndRelease() {
  if (untitled_) return false;
  if (Disk()) {
    if (!SaveDisk(false)) return false;
    CloseWorking(!workingIsTemporary_);
    if (workingIsTemporary_ && ::unlink(workingPath_.c_str()) != 0 && errno != ENOENT) {
      ReportError(kFailureDeletingTempFile);
    }
  } else if (!SaveRam()) {
    return false;
  }
  ForgetEverything();
  return true;
}

void TWaveFile::ForgetEverything() {
  if (!undoPath_.empty()) ::unlink(undoPath_.c_str());
  tempDir_.clear();
  targetPath_.clear();
  workingPath_.clear();
  undoPath_.clear();
  undoAvailable_ = false;
  ClearCalibration();
  calibrationChanged_ = false;
  ReleaseMemory();
  workingIsTemporary_ = false;
  saveFailed_ = false;
  modified_ = false;
  created_ = false;
  untitled_ = true;
  dataOffset_ = kWaveHeaderBytes;
  dataBytes_ = 0;
  sizesOverstated_ = false;
  riffEnd_ = fileEnd_ = kWaveHeaderBytes;
  position_ = length_ = validLength_ = 0;
}

}  // namespace orvanix
