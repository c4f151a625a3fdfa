// The one-level undo of the edit operations: the undo record and its undo file.
#include <unistd.h>

#include <algorithm>

#include "engine/Messages.h"
#include "files/EditTexts.h"
#include "files/WaveFile.h"
#include "files/WaveFileIo.h"
#include "files/WaveTexts.h"

namespace orvanix {

bool TWaveFile::SaveUndo(uint16_t kind, uint32_t startFrame, uint32_t endFrame) {
  endFrame = std::min(endFrame, length_);
  if (endFrame < startFrame) return true;
  DiscardUndo();
  if (kind != kUndoRemove) {
    // The undo file's own failures (a full disk) are told once, as the reason the edit
    // was not made.
    TRecordingSink quiet;
    std::string path;
    bool saved = false;
    {
      TScopedMessageSink scope(&quiet);
      TWaveFile undo(format_, false, tempDir_);
      const int fd = undo.Error() ? -1 : CreateTemporaryFile(tempDir_, path);
      if (fd >= 0) {
        ::close(fd);
        undo.SetFileName(path);
        saved = undo.CopyFramesFrom(*this, startFrame, 0, endFrame - startFrame) && undo.Save();
        if (!saved) ::unlink(path.c_str());
      }
    }
    if (!saved) {
      const std::string reason =
          quiet.Entries().empty() ? std::string(kFailureWritingWaveFile) : quiet.Entries()[0].text;
      ReportError(orvanix::Format(kUndoNotSaved, reason.c_str()));
      return false;
    }
    undoPath_ = path;
  }
  undoAvailable_ = true;
  undoKind_ = kind;
  undoStartFrame_ = startFrame;
  undoEndFrame_ = endFrame;
  undoStart_ = static_cast<float>(Seconds(startFrame));
  undoEnd_ = static_cast<float>(Seconds(endFrame));
  undoLength_ = length_;
  undoValidLength_ = validLength_;
  return true;
}

bool TWaveFile::ApplyUndo() {
  if (!undoAvailable_) return false;
  const uint32_t position = position_;
  bool ok = false;
  if (undoKind_ == kUndoRemove) {
    ok = RemoveFrames(undoStartFrame_, undoEndFrame_);
  } else {
    TWaveFile saved(undoPath_, StorageMode::Disk, false, tempDir_);
    if (!saved.Error()) {
      if (undoKind_ == kUndoWriteBack) {
        ok = CopyFramesFrom(saved, 0, undoStartFrame_, saved.Length());
        // An edit that wrote past the end made the document longer: cut it back.
        if (ok && length_ > undoLength_) ok = Resize(undoLength_);
        if (ok) validLength_ = std::min(undoValidLength_, length_);
      } else {
        ok = InsertFrames(saved, undoStartFrame_);
      }
    }
  }
  position_ = std::min(position, length_);
  if (!ok) {
    ReportError(kUndoFailed);
    return false;
  }
  DiscardUndo();
  return true;
}

void TWaveFile::DiscardUndo() {
  if (!undoPath_.empty()) ::unlink(undoPath_.c_str());
  undoPath_.clear();
  undoAvailable_ = false;
}

}  // namespace orvanix
