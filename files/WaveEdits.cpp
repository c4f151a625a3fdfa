#include "files/WaveEdits.h"

#include <cmath>

#include "engine/Messages.h"
#include "files/EditTexts.h"

namespace orvanix {

TFrameRange FramesOf(const TWaveFile& document, double startSecs, double endSecs) {
  const WaveFormat& format = document.Format();
  TFrameRange range{format.FramesOf(startSecs), format.FramesOf(endSecs)};
  range.end = std::min(range.end, document.Length());
  range.start = std::min(range.start, range.end);
  return range;
}

bool CopySelection(const TWaveFile& document, TFrameRange range, TWaveImage& image) {
  return MakeWaveImage(document, range.start, range.end, image);
}

void RecoverOverwrite(TWaveFile& document) {
  TRecordingSink quiet;
  bool restored = false;
  {
    TScopedMessageSink scope(&quiet);
    restored = document.ApplyUndo();
  }
  ReportError(restored ? kEditFailedUndone : kEditFailedUndoable);
}

bool CutSelection(TWaveFile& document, TFrameRange range, TWaveImage& image) {
  if (range.Empty()) return false;
  if (!CopySelection(document, range, image)) return false;
  if (!document.SaveUndo(kUndoInsert, range.start, range.end)) return false;
  uint32_t moved = 0;
  if (document.RemoveFrames(range.start, range.end, &moved)) return true;
  // Put the frames that moved down back up and the removed ones in again.
  bool restored = false;
  {
    TRecordingSink quiet;
    TScopedMessageSink scope(&quiet);
    TWaveFile removed(document.UndoPath(), StorageMode::Disk, false, document.TempDirectory());
    restored = !removed.Error() && document.RestoreRemoved(removed, range.start, range.end, moved);
  }
  if (restored) {
    document.DiscardUndo();
    ReportError(kEditFailedUndone);
  } else {
    document.DiscardUndo();
    ReportError(kEditFailedDamaged);
  }
  return false;
}

bool SameFormatForEdit(const TWaveFile& document, const TWaveFile& clip) {
  if (document.Format() == clip.Format()) return true;
  ReportError(kDifferingFormats, MessageIcon::Error);
  return false;
}

bool PasteInsert(TWaveFile& document, TWaveFile& clip, uint32_t at) {
  if (!SameFormatForEdit(document, clip)) return false;
  at = std::min(at, document.Length());
  if (!document.InsertFrames(clip, at)) {
    ReportError(kEditFailedUndone);
    return false;
  }
  document.SaveUndo(kUndoRemove, at, at + clip.Length());
  document.SetModified(true);
  return true;
}

bool PasteOver(TWaveFile& document, TWaveFile& clip, uint32_t at) {
  if (!SameFormatForEdit(document, clip)) return false;
  at = std::min(at, document.Length());
  const uint64_t end = uint64_t{at} + clip.Length();
  const uint32_t saveEnd = static_cast<uint32_t>(std::min<uint64_t>(end, document.Length()));
  if (!document.SaveUndo(kUndoWriteBack, at, saveEnd)) return false;
  if (!document.CopyFramesFrom(clip, 0, at, clip.Length())) {
    RecoverOverwrite(document);
    return false;
  }
  document.SetModified(true);
  return true;
}

bool MuteSelection(TWaveFile& document, TFrameRange range) {
  if (range.Empty()) return false;
  if (!document.SaveUndo(kUndoWriteBack, range.start, range.end)) return false;
  if (!document.FillSilence(range.start, range.end)) {
    RecoverOverwrite(document);
    return false;
  }
  return true;
}

// ---- Gain Adjust ----

TGainJob::TGainJob(TWaveFile& document, TFrameRange range, double leftDb, double rightDb)
    : document_(document),
      range_(range),
      factors_{std::pow(10.0, leftDb * 0.05), std::pow(10.0, rightDb * 0.05)} {
  next_ = range_.start;
}

bool TGainJob::Step() {
  if (done_ || failed_) return false;
  if (!begun_) {
    begun_ = true;
    if (range_.Empty()) {
      done_ = true;
      return false;
    }
    if (!document_.SaveUndo(kUndoWriteBack, range_.start, range_.end)) {
      failed_ = true;
      return false;
    }
    return true;
  }
  const uint32_t n = std::min(kTickFrames, range_.end - next_);
  const int32_t zero = document_.Format().zeroValue;
  const bool ok = TransformFrames(document_, next_, n, 3u, [&](int32_t sample, uint32_t c) {
    const double scaled = std::trunc((sample - zero) * factors_[c] + zero);
    // Beyond the 32-bit range the clamp to the sample range takes over.
    return static_cast<int32_t>(std::clamp(scaled, -2147483648.0, 2147483647.0));
  });
  if (!ok) {
    RecoverOverwrite(document_);
    failed_ = true;
    return false;
  }
  next_ += n;
  document_.SetModified(true);
  if (next_ >= range_.end) done_ = true;
  return !done_;
}

int TGainJob::Percent() const {
  const uint32_t total = range_.Count();
  return total ? static_cast<int>(uint64_t{next_ - range_.start} * 100 / total) : 100;
}

std::string TGainJob::StatusText() const {
  return kAdjustingGain;
}

}  // namespace orvanix
