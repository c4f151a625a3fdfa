// TWaveFile: the wave document. Every stored or recorded signal lives in one: the open document,
// the recording target, the Real-Time history buffer and the temporary objects of the edit,
// import and export operations. It stores its samples in one of two ways:
//  - RAM mode: one memory block; files are read whole on open and written whole on save.
//  - disk mode: the samples stay in a working file (a temporary copy of the user's file when
//    make-backup is set, else the file itself, or a new temporary file for a new recording);
//    every read and write goes to that file.
// In disk mode the RIFF and data chunk sizes of the working file cover everything written
// after every write, so a recording cut off by a crash or power loss is a valid WAV file.
// Saves of user files go through a temporary file beside the target, flushed and renamed over
// it, so that a failed save never destroys the user's file.
//
// Construction never throws: on any failure the error flag is set (and the reason shown
// through Messages()); the caller tests Error() at once and discards the object.
#pragma once

#include <ctime>
#include <memory>
#include <string>

#include "engine/Calibration.h"
#include "files/ReadAhead.h"
#include "files/WaveData.h"

namespace orvanix {

// The values of the `WaveFileMode` setting.
enum class StorageMode : uint16_t { Ram = 0, Disk = 1 };

class TWaveFile : public TWaveData {
 public:
  // Opens an existing file. `makeBackup` matters in disk mode only: set, the file is copied to
  // a new temporary file in `tempDir` (empty: the system's temporary folder) which becomes the
  // working file; clear, the file itself is opened for reading and writing and edited in place.
  // A calibration chunk in the file sets the calibration record. A file whose header
  // announces more sound than it holds is read as far as it goes, with a warning
  // (kWaveTruncated); its sizes are corrected in the working file before anything is written
  // after the frames that were read.
  TWaveFile(const std::string& path, StorageMode mode, bool makeBackup, const std::string& tempDir);
  // A new RAM buffer of `capacityFrames` frames of silence (created and untitled).
  TWaveFile(uint32_t capacityFrames, const WaveFormat& format, const std::string& tempDir);
  // A new disk recording: a temporary working file in `tempDir` holding the 44-byte header and
  // an empty data chunk (created and untitled; length, position and valid length 0).
  TWaveFile(const WaveFormat& format, bool makeBackup, const std::string& tempDir);
  // Closes the working file; deletes it when it is a temporary file (unless a failed save
  // left unsaved data in it: then it is kept and its path shown), and deletes the undo file.
  ~TWaveFile() override;

  StorageMode Mode() const { return mode_; }
  bool MakeBackup() const { return makeBackup_; }
  bool Created() const { return created_; }
  bool Untitled() const { return untitled_; }
  // Disk mode working directly on the target file: writes need no save.
  bool InPlace() const;
  const std::string& TempDirectory() const { return tempDir_; }
  const std::string& TargetPath() const { return targetPath_; }
  const std::string& WorkingPath() const { return workingPath_; }
  const std::string& UndoPath() const { return undoPath_; }
  // Byte offset of the first sample in the working file (44 for files we write).
  uint64_t DataOffset() const { return dataOffset_; }

  // Writes the object to its target path; refused (false) while untitled. RAM mode writes the
  // header, the valid frames and the calibration chunk; disk mode puts the working file in
  // place (see the .cpp) and goes on with the target as working file unless make-backup is
  // set. Failures are shown and return false; the user's file is left as it was.
  bool Save();
  // Saves like Save, then forgets paths, calibration and samples: the object refers to no
  // file any more (the run loop uses it when a disk recording reaches its size limit).
  bool SaveAndRelease();
  // Sets the target path and clears the untitled flag.
  void SetFileName(const std::string& path);

  void SetCalibration(const TCalibration& record);
  bool HasCalibration() const { return calibrationPresent_; }
  void GetCalibration(TCalibration& dest) const { dest = calibration_; }
  // Zeroes the record and clears the calibration-present flag.
  void ClearCalibration();

  // Undo state kept for the edit operations; the undo file is deleted with the object.
  bool UndoAvailable() const { return undoAvailable_; }
  float UndoStartSeconds() const { return undoStart_; }
  float UndoEndSeconds() const { return undoEnd_; }
  uint16_t UndoKind() const { return undoKind_; }
  void SetUndo(float startSeconds, float endSeconds, uint16_t kind);
  void ClearUndo() { undoAvailable_ = false; }
  void SetUndoPath(const std::string& path) { undoPath_ = path; }

  bool Resize(uint32_t frames) override;
  bool GrowForRecording() override;

  // ---- edit operations (files/WaveFileEdit.cpp, files/WaveFileUndo.cpp) ----
  // They move frames in pieces of at most kPieceFrames, in RAM and disk mode alike, and
  // leave the position where it was. Failures are shown through Messages().
  //
  // Whole interleaved frames at `frame`, within the length; the position is not moved.
  bool ReadFrames(uint32_t frame, uint32_t count, uint8_t* dest) const;
  // Overwrites whole frames within the length; the position is not moved.
  bool WriteFrames(uint32_t frame, uint32_t count, const uint8_t* src);
  // Copies `count` frames from frame `from` of `source` to frame `to` of this document; a
  // RAM document too small for to + count grows first. `copied` (when given) gets the
  // frames that arrived.
  bool CopyFramesFrom(TWaveFile& source, uint32_t from, uint32_t to, uint32_t count,
                      uint32_t* copied = nullptr);
  // Moves `count` frames from `from` to `to` within the document, as memmove does (the
  // regions may overlap). `moved` gets the frames moved before a failure: the last ones
  // when moving up, the first ones when moving down.
  bool MoveFrames(uint32_t from, uint32_t to, uint32_t count, uint32_t* moved = nullptr);
  // Inserts every frame of `source` at frame `at`: the document grows, the frames from `at`
  // on move up. On a failure the document is put back as it was where that can be done.
  bool InsertFrames(TWaveFile& source, uint32_t at);
  // Removes frames start ... end - 1: the frames after them move down, the document shrinks.
  // On a failure `moved` says how many frames had moved down (the document is longer than
  // it should be and the removed frames are partly overwritten; see RestoreRemoved).
  bool RemoveFrames(uint32_t start, uint32_t end, uint32_t* moved = nullptr);
  // Puts back a removal that failed after `moved` frames, from `removed` (frames start ...
  // end - 1 as they were, e.g. the undo file).
  bool RestoreRemoved(TWaveFile& removed, uint32_t start, uint32_t end, uint32_t moved);

  // One-level undo. SaveUndo records how to put frames start ... end - 1 back (start raised
  // to 0, end lowered to the length; nothing when end < start): kind 0 removes them again
  // (after an insertion), kind 1 writes the saved frames back over them, kind 2 inserts the
  // saved frames at start (after a removal). Kinds 1 and 2 copy the frames into a new undo
  // file (prefix "wav", in the temporary folder); any earlier undo file is deleted. The
  // frames are kept exactly (the seconds are for showing): undo restores the document byte
  // for byte, its length included. False, with the reason shown, when the undo file
  // cannot be written: the caller must not go on with the edit.
  bool SaveUndo(uint16_t kind, uint32_t startFrame, uint32_t endFrame);
  // Applies the undo data, deletes the undo file and clears the undo flag. On a failure
  // the undo data is kept, so that the user may try again.
  bool ApplyUndo();
  uint32_t UndoStartFrame() const { return undoStartFrame_; }
  uint32_t UndoEndFrame() const { return undoEndFrame_; }
  // Drops the undo data and its file.
  void DiscardUndo();
  // An object made from a file that is only a carrier (the clipboard's image): it becomes
  // untitled and modified, as a new document.
  void MarkUntitled();

 protected:
  bool LoadFrames(uint32_t frame, uint32_t count, uint8_t* dest) const override;
  uint32_t StoreFrames(uint32_t frame, uint32_t count, const uint8_t* src) override;
  uint64_t FrameLimit() const override;
  void NoteWrite() override;
  void RefuseWriteBeyondLimit() override;

 private:
  bool Disk() const { return mode_ == StorageMode::Disk; }
  bool LoadRam(const std::string& path);
  void ReportTruncated(const std::string& path) const;
  // Writes sizes that cover what the working file holds when its header overstates them;
  // false when that write failed.
  bool CorrectOverstatedSizes();
  bool OpenDisk(const std::string& path);
  // The disk-mode open of the working file: parses it and keeps it open for reading and
  // writing. `fromSave` accepts an empty data chunk and keeps the object's calibration.
  bool OpenWorking(const std::string& shownPath, bool fromSave);
  void CloseWorking(bool sync);
  // Flushes the working file when something was written to it since the last flush.
  bool SyncWorking();
  // Every change of the working file's bytes or size goes through here first: it is to be
  // flushed, and the read-ahead buffer no longer holds what the file does.
  void MarkWritten();
  // Bytes after the data chunk and its pad (other chunks, the calibration chunk).
  bool HasTail() const;
  bool DropTail();
  // Sets the data chunk to `dataBytes` bytes: pad byte, data and RIFF size fields; an in-place
  // file with calibration gets its calibration chunk back after the data.
  bool CommitDataSize(uint64_t dataBytes);
  // Appends the calibration chunk at `offset` of `fd`; on failure shows the calibration
  // messages, truncates the file back to `offset` and clears the calibration-present flag.
  void AppendCalibration(int fd, uint64_t offset);
  bool SaveRam();
  bool SaveDisk(bool reopen);
  // Puts the working file at the target: a copy for make-backup and opened files, a rename
  // (or, across file systems, a copy) for new recordings and, when releasing, every temporary.
  bool PlaceWorkingFile(bool releasing);
  bool CalibrationOnDisk() const;
  void ForgetEverything();

  StorageMode mode_ = StorageMode::Ram;
  bool makeBackup_ = false;
  bool created_ = false;
  bool untitled_ = false;
  bool workingIsTemporary_ = false;  // the working file is ours to delete
  bool saveFailed_ = false;          // the working file holds data a save could not place
  bool undoAvailable_ = false;
  float undoStart_ = 0.f;
  float undoEnd_ = 0.f;
  uint16_t undoKind_ = 0;
  uint32_t undoStartFrame_ = 0;
  uint32_t undoEndFrame_ = 0;
  uint32_t undoLength_ = 0;       // length and valid length before the edit (kind 1 may
  uint32_t undoValidLength_ = 0;  // have written past the end)
  bool calibrationPresent_ = false;
  bool calibrationChanged_ = false;  // set since the file was opened or last saved in place
  TCalibration calibration_{};
  std::string tempDir_;
  std::string targetPath_;
  std::string workingPath_;
  std::string undoPath_;

  // Disk mode: the open working file and where its chunks are.
  int fd_ = -1;
  uint64_t dataOffset_ = 44;
  uint64_t dataBytes_ = 0;  // the data chunk's size field
  uint64_t riffEnd_ = 44;   // end of the RIFF chunk and its pad byte
  uint64_t fileEnd_ = 44;   // size of the working file
  uint64_t framesSinceSync_ = 0;
  bool unsynced_ = false;         // written since the last flush
  bool sizesOverstated_ = false;  // the RIFF or data size runs past the end of the file
  mutable TReadAhead readAhead_;  // sample reads of the data chunk
};

// Checks, without loading anything, that `path` is a wave file TWaveFile can open: a regular
// file that opens (for writing too when `forWriting`, as disk mode without backup needs) and
// that the reader accepts. False with the reason in `message`, which names the file; nothing
// is shown. A truncated file passes (opening it warns).
bool CheckWaveFile(const std::string& path, bool forWriting, std::string& message);

// The recording target of Recorder mode without an open file: a RAM buffer of rate x
// `maxRamSeconds` frames (kInsufficientRecordingMemory when it cannot be had), or a new disk
// recording. Null after a failure, which has been shown.
std::unique_ptr<TWaveFile> NewRecording(StorageMode mode, const WaveFormat& format,
                                        uint32_t maxRamSeconds, bool makeBackup,
                                        const std::string& tempDir);

// Test seam: disk-mode writes fail (EIO) once `frames` more frames have been stored, as a
// failing disk would; 0 turns it off. Not thread-safe; for tests only.
void SetDiskWriteFailureForTesting(uint64_t frames);

// "folder/recording_YYYY_MM_DD_hhmmss.wav" for a recording finished at `localTime`.
std::string RecordingFileName(const std::string& waveFolder, const std::tm& localTime);

}  // namespace orvanix
