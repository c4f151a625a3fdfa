#include "files/WaveFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "engine/Messages.h"
#include "engine/TimeText.h"
#include "files/Riff.h"
#include "files/WaveFileFormat.h"
#include "files/WaveFileIo.h"
#include "files/WaveTexts.h"

namespace orvanix {

bool DiskWriteFailsForTesting(uint32_t frames);  // files/WaveFileEdit.cpp

TWaveFile::TWaveFile(const std::string& path, StorageMode mode, bool makeBackup,
                     const std::string& tempDir)
    : mode_(mode),
      makeBackup_(mode == StorageMode::Disk && makeBackup),
      tempDir_(tempDir),
      targetPath_(path) {
  const bool opened = Disk() ? OpenDisk(path) : LoadRam(path);
  if (!opened) error_ = true;
  modified_ = false;
}

TWaveFile::TWaveFile(uint32_t capacityFrames, const WaveFormat& format, const std::string& tempDir)
    : TWaveData(capacityFrames, format), created_(true), untitled_(true), tempDir_(tempDir) {}

TWaveFile::TWaveFile(const WaveFormat& format, bool makeBackup, const std::string& tempDir)
    : mode_(StorageMode::Disk),
      makeBackup_(makeBackup),
      created_(true),
      untitled_(true),
      tempDir_(tempDir) {
  format_ = format;
  format_.Normalise();
  SetFullScale(fullScale_[0], fullScale_[1]);
  const int fd = CreateTemporaryFile(tempDir, workingPath_);
  if (fd < 0) {
    ReportError(orvanix::Format(kFailureOpeningFile, workingPath_.c_str()));
    workingPath_.clear();
    error_ = true;
    return;
  }
  workingIsTemporary_ = true;
  fd_ = fd;
  uint8_t header[kWaveHeaderBytes];
  BuildWaveHeader(format_, 0, header);
  if (!WriteAt(fd_, 0, header, sizeof header)) {
    ReportError(kFailureWritingWaveFile);
    error_ = true;
  }
}

TWaveFile::~TWaveFile() {
  bool closed = true;
  if (fd_ >= 0) {
    const bool synced = workingIsTemporary_ || SyncWorking();
    closed = ::close(fd_) == 0 && synced;
    fd_ = -1;
  }
  if (!closed) ReportError(kFailureWritingWaveFile);
  if (workingIsTemporary_ && !workingPath_.empty() && closed) {
    if (saveFailed_) {
      ReportError(orvanix::Format(kWorkingFileKept, workingPath_.c_str()), MessageIcon::Warning);
    } else if (::unlink(workingPath_.c_str()) != 0 && errno != ENOENT) {
      ReportError(kFailureDeletingTempFile);
    }
  }
  if (!undoPath_.empty()) ::unlink(undoPath_.c_str());
}

bool CheckWaveFile(const std::string& path, bool forWriting, std::string& message) {
  message.clear();
  const int fd = OpenRegularFile(path, forWriting ? O_RDWR : O_RDONLY);
  if (fd < 0) {
    message = orvanix::Format(kFailureOpeningFile, path.c_str());
    return false;
  }
  WaveLayout layout;
  const bool ok = ParseWave(fd, path, false, layout, message);
  ::close(fd);
  return ok;
}

void TWaveFile::ReportTruncated(const std::string& path) const {
  ReportError(
      orvanix::Format(kWaveTruncated, path.c_str(), length_, TimeText(LengthSeconds()).c_str()),
      MessageIcon::Warning);
}

bool TWaveFile::LoadRam(const std::string& path) {
  const int fd = OpenRegularFile(path, O_RDONLY);
  if (fd < 0) {
    ReportError(orvanix::Format(kFailureOpeningFile, path.c_str()));
    return false;
  }
  WaveLayout layout;
  std::string message;
  bool ok = ParseWave(fd, path, false, layout, message);
  if (!ok && !message.empty()) ReportError(message);
  if (ok) {
    format_ = layout.format;
    SetFullScale(fullScale_[0], fullScale_[1]);
    const uint64_t bytes = uint64_t{layout.frames} * BlockAlign();
    if (!AllocateFrames(layout.frames)) {
      ReportError(orvanix::Format(kInsufficientMemoryToLoad, static_cast<long>(bytes)));
      ok = false;
    } else if (!ReadAt(fd, layout.dataOffset, memory_.get(), static_cast<size_t>(bytes))) {
      ReportError(orvanix::Format(kFailureReadingFile, path.c_str()));
      ReleaseMemory();
      ok = false;
    }
  }
  ::close(fd);
  if (!ok) return false;
  length_ = validLength_ = layout.frames;
  position_ = 0;
  dataOffset_ = layout.dataOffset;
  calibrationPresent_ = layout.hasCalibration;
  if (layout.hasCalibration) calibration_ = layout.calibration;
  if (layout.dataCut) ReportTruncated(path);
  return true;
}

bool TWaveFile::OpenDisk(const std::string& path) {
  if (!makeBackup_) {
    workingPath_ = path;
    return OpenWorking(path, false);
  }
  // Check the user's file before copying it, so that a file we refuse costs no copy.
  const int source = OpenRegularFile(path, O_RDONLY);
  if (source < 0) {
    ReportError(orvanix::Format(kFailureOpeningFile, path.c_str()));
    return false;
  }
  WaveLayout layout;
  std::string message;
  if (!ParseWave(source, path, false, layout, message)) {
    if (!message.empty()) ReportError(message);
    ::close(source);
    return false;
  }
  const int copy = CreateTemporaryFile(tempDir_, workingPath_);
  if (copy < 0) {
    ReportError(orvanix::Format(kFailureOpeningFile, workingPath_.c_str()));
    workingPath_.clear();
    ::close(source);
    return false;
  }
  workingIsTemporary_ = true;
  const bool copied = CopyRange(source, 0, layout.fileSize, copy, 0);
  ::close(source);
  if (::close(copy) != 0 || !copied) {
    ReportError(kFailureWritingWaveFile);
    return false;
  }
  return OpenWorking(path, false);
}

bool TWaveFile::OpenWorking(const std::string& shownPath, bool fromSave) {
  const int fd = OpenRegularFile(workingPath_, O_RDWR);
  if (fd < 0) {
    ReportError(orvanix::Format(kFailureOpeningFile, shownPath.c_str()));
    return false;
  }
  WaveLayout layout;
  std::string message;
  if (!ParseWave(fd, shownPath, fromSave, layout, message)) {
    if (!message.empty()) ReportError(message);
    ::close(fd);
    return false;
  }
  readAhead_.Invalidate();
  fd_ = fd;
  format_ = layout.format;
  SetFullScale(fullScale_[0], fullScale_[1]);
  dataOffset_ = layout.dataOffset;
  dataBytes_ = layout.dataBytes;
  riffEnd_ = layout.riffEnd;
  fileEnd_ = layout.fileSize;
  length_ = validLength_ = layout.frames;
  position_ = 0;
  framesSinceSync_ = 0;
  sizesOverstated_ = layout.riffCut || layout.dataCut;
  if (!fromSave) {
    calibrationPresent_ = layout.hasCalibration;
    if (layout.hasCalibration) calibration_ = layout.calibration;
    if (layout.dataCut) ReportTruncated(shownPath);
  }
  // Our own copy gets sizes that match what it holds at once, so that nothing later reads
  // or places bytes the file never had; the user's own file only when something is written.
  if (workingIsTemporary_ && !CorrectOverstatedSizes()) {
    ReportError(kFailureWritingWaveFile);
    CloseWorking(false);
    return false;
  }
  return true;
}

bool TWaveFile::CorrectOverstatedSizes() {
  if (!sizesOverstated_) return true;
  if (!CommitDataSize(dataBytes_)) return false;
  sizesOverstated_ = false;
  return true;
}

void TWaveFile::CloseWorking(bool sync) {
  if (fd_ < 0) return;
  const bool synced = !sync || SyncWorking();
  const bool ok = ::close(fd_) == 0 && synced;
  fd_ = -1;
  readAhead_.Invalidate();
  if (!ok) ReportError(kFailureWritingWaveFile);
}

void TWaveFile::MarkWritten() {
  unsynced_ = true;
  readAhead_.Invalidate();
}

bool TWaveFile::SyncWorking() {
  if (!unsynced_) return true;
  if (::fsync(fd_) != 0) return false;
  unsynced_ = false;
  return true;
}

bool TWaveFile::InPlace() const {
  return Disk() && !workingIsTemporary_ && !workingPath_.empty() && workingPath_ == targetPath_;
}

void TWaveFile::SetFileName(const std::string& path) {
  targetPath_ = path;
  untitled_ = false;
}

void TWaveFile::SetCalibration(const TCalibration& record) {
  calibration_ = record;
  calibrationPresent_ = true;
  calibrationChanged_ = true;
}

void TWaveFile::ClearCalibration() {
  std::memset(static_cast<void*>(&calibration_), 0, sizeof calibration_);
  calibrationPresent_ = false;
}

void TWaveFile::SetUndo(float startSeconds, float endSeconds, uint16_t kind) {
  undoAvailable_ = true;
  undoStart_ = startSeconds;
  undoEnd_ = endSeconds;
  undoKind_ = kind;
}

// ---- disk storage ----

bool TWaveFile::LoadFrames(uint32_t frame, uint32_t count, uint8_t* dest) const {
  if (!Disk()) return TWaveData::LoadFrames(frame, count, dest);
  if (fd_ < 0 || uint64_t{frame} + count > length_) return false;
  const uint64_t align = BlockAlign();
  return readAhead_.Read(fd_, dataOffset_ + frame * align, dest, static_cast<size_t>(count * align),
                         dataOffset_ + length_ * align);
}

uint64_t TWaveFile::FrameLimit() const {
  if (!Disk()) return TWaveData::FrameLimit();
  // The RIFF size field, dataOffset - 8 + data + pad, must stay within 32 bits.
  const uint64_t maxEnd = 0xFFFFFFFFull + 8 - 1;
  const uint64_t bytes = dataOffset_ < maxEnd ? maxEnd - dataOffset_ : 0;
  return std::min<uint64_t>(bytes / BlockAlign(), 0xFFFFFFFFull);
}

void TWaveFile::RefuseWriteBeyondLimit() {
  if (Disk()) ReportError(kWaveTooLarge);
}

void TWaveFile::NoteWrite() {
  // Writes straight into the user's file leave nothing to save.
  if (!InPlace()) modified_ = true;
}

bool TWaveFile::HasTail() const {
  return fileEnd_ > dataOffset_ + dataBytes_ + (dataBytes_ & 1u);
}

bool TWaveFile::DropTail() {
  const uint64_t end = dataOffset_ + dataBytes_;
  MarkWritten();
  if (::ftruncate(fd_, static_cast<off_t>(end)) != 0) return false;
  fileEnd_ = end;
  return true;
}

bool TWaveFile::CommitDataSize(uint64_t dataBytes) {
  const uint64_t end = dataOffset_ + dataBytes;
  const uint8_t pad = 0;
  MarkWritten();
  if ((dataBytes & 1u) && !WriteAt(fd_, end, &pad, 1)) return false;
  const uint64_t paddedEnd = end + (dataBytes & 1u);
  fileEnd_ = std::max(fileEnd_, paddedEnd);
  uint8_t size[4];
  PutU32(size, static_cast<uint32_t>(dataBytes));
  if (!WriteAt(fd_, dataOffset_ - 4, size, 4)) return false;
  PutU32(size, static_cast<uint32_t>(paddedEnd - 8));
  if (!WriteAt(fd_, 4, size, 4)) return false;
  dataBytes_ = dataBytes;
  riffEnd_ = paddedEnd;
  // The user's own file keeps its calibration chunk after data that grew over it.
  if (InPlace() && calibrationPresent_ && fileEnd_ == riffEnd_) AppendCalibration(fd_, riffEnd_);
  return true;
}

void TWaveFile::AppendCalibration(int fd, uint64_t offset) {
  uint8_t chunk[kCalibrationChunkBytes];
  BuildCalibrationChunk(calibration_, chunk);
  if (fd == fd_) MarkWritten();
  const char* failure = nullptr;
  if (!WriteAt(fd, offset, chunk, 8)) {
    failure = kCalibrationChunkCreateError;
  } else if (!WriteAt(fd, offset + 8, chunk + 8, kCalibrationRecordBytes)) {
    failure = kCalibrationWriteError;
  }
  if (failure) {
    ReportError(failure);
    calibrationPresent_ = false;
    if (::ftruncate(fd, static_cast<off_t>(offset)) != 0) {
      // The partial chunk stays after the RIFF chunk, where readers skip it.
    }
    if (fd == fd_) fileEnd_ = offset;
    return;
  }
  if (fd == fd_) {
    fileEnd_ = std::max(fileEnd_, offset + kCalibrationChunkBytes);
  }
}

uint32_t TWaveFile::StoreFrames(uint32_t frame, uint32_t count, const uint8_t* src) {
  if (!Disk()) return TWaveData::StoreFrames(frame, count, src);
  if (fd_ < 0) return 0;
  if (!CorrectOverstatedSizes()) {
    ReportError(kFailureWritingWaveFile);
    error_ = true;
    return 0;
  }
  const uint64_t align = BlockAlign();
  const uint64_t offset = frame * align;
  const uint64_t end = offset + count * align;
  // Data growing over other chunks would leave their remains after it: cut them off first.
  if (end > dataBytes_ && HasTail() && !DropTail()) {
    ReportError(kFailureWritingWaveFile);
    error_ = true;
    return 0;
  }
  size_t written = 0;
  MarkWritten();
  bool ok = !DiskWriteFailsForTesting(count) &&
            WriteAt(fd_, dataOffset_ + offset, src, static_cast<size_t>(count * align), &written);
  const int writeError = errno;
  const uint32_t stored = static_cast<uint32_t>(written / align);
  const uint64_t storedEnd = offset + stored * align;
  fileEnd_ = std::max(fileEnd_, dataOffset_ + offset + written);
  // Whatever reached the disk is covered by the chunk sizes, even after a failure.
  if (storedEnd > dataBytes_ && !CommitDataSize(storedEnd)) ok = false;
  if (!ok) {
    ReportError(writeError == ENOSPC ? kDiskFull : kFailureWritingWaveFile);
    error_ = true;
    return stored;
  }
  // Flush about once a second of sound, so that a power cut loses at most that much.
  framesSinceSync_ += stored;
  if (framesSinceSync_ >= std::max<uint64_t>(format_.sampleRate, 1)) {
    if (::fdatasync(fd_) == 0) unsynced_ = false;
    framesSinceSync_ = 0;
  }
  return stored;
}

bool TWaveFile::Resize(uint32_t frames) {
  if (!Disk()) return TWaveData::Resize(frames);
  if (fd_ < 0) return false;
  if (!CorrectOverstatedSizes()) {
    ReportError(kFailureWritingWaveFile);
    return false;
  }
  if (frames > length_) {
    const uint32_t from = length_;
    uint8_t piece[kPieceFrames * 8];
    FillSilenceBytes(piece, kPieceFrames);
    for (uint32_t at = from; at < frames;) {
      const uint32_t n = std::min(kPieceFrames, frames - at);
      if (uint64_t{at} + n > FrameLimit()) {
        RefuseWriteBeyondLimit();
        return false;
      }
      if (StoreFrames(at, n, piece) != n) return false;
      at += n;
      length_ = validLength_ = at;  // the silence is in the file, as written frames are
    }
  } else {
    const uint64_t bytes = uint64_t{frames} * BlockAlign();
    MarkWritten();
    if (::ftruncate(fd_, static_cast<off_t>(dataOffset_ + bytes)) != 0) {
      ReportError(kFailureWritingWaveFile);
      return false;
    }
    fileEnd_ = dataOffset_ + bytes;
    if (!CommitDataSize(bytes)) {
      ReportError(kFailureWritingWaveFile);
      return false;
    }
    length_ = frames;
    validLength_ = std::min(validLength_, length_);
    position_ = std::min(position_, length_);
  }
  NoteWrite();
  return true;
}

bool TWaveFile::GrowForRecording() {
  return Disk() ? true : TWaveData::GrowForRecording();
}

// ---- recording helpers ----

std::unique_ptr<TWaveFile> NewRecording(StorageMode mode, const WaveFormat& format,
                                        uint32_t maxRamSeconds, bool makeBackup,
                                        const std::string& tempDir) {
  std::unique_ptr<TWaveFile> wave;
  if (mode == StorageMode::Ram) {
    WaveFormat normal = format;
    normal.Normalise();
    const uint64_t frames = uint64_t{normal.sampleRate} * maxRamSeconds;
    const uint64_t maxFrames = kMaxWaveDataBytes / normal.BlockAlign();
    if (frames <= maxFrames) {
      wave = std::make_unique<TWaveFile>(static_cast<uint32_t>(frames), normal, tempDir);
    }
    if (!wave || wave->Error()) {
      ReportError(kInsufficientRecordingMemory);
      return nullptr;
    }
  } else {
    wave = std::make_unique<TWaveFile>(format, makeBackup, tempDir);
    if (wave->Error()) return nullptr;
  }
  return wave;
}

std::string RecordingFileName(const std::string& waveFolder, const std::tm& t) {
  const std::string stamp = orvanix::Format(kRecordingTimeFormat, t.tm_year + 1900, t.tm_mon + 1,
                                            t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec);
  return orvanix::Format(kRecordingFileName, waveFolder.c_str(), stamp.c_str());
}

}  // namespace orvanix
