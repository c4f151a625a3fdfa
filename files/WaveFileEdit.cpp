// The frame moves of the edit operations: block copies between documents, moves within one,
// insertion and removal. Every move goes through one piece of at most kPieceFrames frames,
// so that a disk-mode document never has more than that in memory.
#include <algorithm>
#include <cerrno>
#include <memory>
#include <new>

#include "engine/Messages.h"
#include "files/WaveFile.h"
#include "files/WaveTexts.h"

namespace orvanix {

namespace {

uint64_t g_writesBeforeFailure = 0;

constexpr size_t kMaxBlockAlign = 8;

}  // namespace

void SetDiskWriteFailureForTesting(uint64_t frames) {
  g_writesBeforeFailure = frames;
}

bool DiskWriteFailsForTesting(uint32_t frames) {
  if (g_writesBeforeFailure == 0) return false;
  if (frames < g_writesBeforeFailure) {
    g_writesBeforeFailure -= frames;
    return false;
  }
  g_writesBeforeFailure = 0;
  errno = EIO;
  return true;
}

bool TWaveFile::ReadFrames(uint32_t frame, uint32_t count, uint8_t* dest) const {
  if (uint64_t{frame} + count > length_) return false;
  return count == 0 || LoadFrames(frame, count, dest);
}

bool TWaveFile::WriteFrames(uint32_t frame, uint32_t count, const uint8_t* src) {
  if (uint64_t{frame} + count > length_) return false;
  if (count == 0) return true;
  const uint32_t stored = StoreFrames(frame, count, src);
  if (stored > 0) {
    NoteWrite();
    validLength_ = std::max(validLength_, frame + stored);
  }
  return stored == count;
}

bool TWaveFile::CopyFramesFrom(TWaveFile& source, uint32_t from, uint32_t to, uint32_t count,
                               uint32_t* copied) {
  if (copied) *copied = 0;
  if (source.format_.BlockAlign() != BlockAlign()) return false;
  if (uint64_t{from} + count > source.length_ || to > length_) return false;
  const uint64_t end = uint64_t{to} + count;
  if (end > FrameLimit() && mode_ == StorageMode::Disk) {
    ReportError(kWaveTooLarge);
    return false;
  }
  if (mode_ == StorageMode::Ram && end > capacity_) {
    if (end > 0xFFFFFFFFull || !Resize(static_cast<uint32_t>(end))) {
      ReportError(kInsufficientMemory);
      return false;
    }
  }
  uint8_t piece[kPieceFrames * kMaxBlockAlign];
  uint32_t done = 0;
  while (done < count) {
    const uint32_t n = std::min(kPieceFrames, count - done);
    if (!source.LoadFrames(from + done, n, piece)) {
      ReportError(kFailureWritingWaveFile);
      break;
    }
    const uint32_t stored = StoreFrames(to + done, n, piece);
    if (stored > 0) {
      NoteWrite();
      length_ = std::max(length_, to + done + stored);
      validLength_ = std::max(validLength_, to + done + stored);
    }
    done += stored;
    if (stored != n) break;  // disk mode said why
  }
  if (copied) *copied = done;
  return done == count;
}

bool TWaveFile::MoveFrames(uint32_t from, uint32_t to, uint32_t count, uint32_t* moved) {
  if (moved) *moved = 0;
  if (count == 0 || from == to) return true;
  if (uint64_t{from} + count > length_ || uint64_t{to} + count > length_) return false;
  uint8_t piece[kPieceFrames * kMaxBlockAlign];
  uint32_t done = 0;
  bool ok = true;
  while (done < count) {
    const uint32_t n = std::min(kPieceFrames, count - done);
    // Moving up takes the pieces from the end backwards, so that no frame is overwritten
    // before it was read; moving down from the start forwards.
    const uint32_t offset = to > from ? count - done - n : done;
    if (!LoadFrames(from + offset, n, piece)) {
      ReportError(kFailureWritingWaveFile);
      ok = false;
      break;
    }
    if (StoreFrames(to + offset, n, piece) != n) {
      ok = false;
      break;
    }
    done += n;
  }
  if (done > 0) NoteWrite();
  if (moved) *moved = done;
  return ok;
}

bool TWaveFile::InsertFrames(TWaveFile& source, uint32_t at) {
  const uint32_t k = source.length_;
  const uint32_t oldLength = length_;
  const uint32_t oldValid = validLength_;
  if (at > oldLength || source.format_.BlockAlign() != BlockAlign()) return false;
  if (k == 0) return true;
  const uint64_t newLength = uint64_t{oldLength} + k;
  if (newLength > 0xFFFFFFFFull || (mode_ == StorageMode::Disk && newLength > FrameLimit())) {
    ReportError(mode_ == StorageMode::Disk ? kWaveTooLarge : kInsufficientMemory);
    return false;
  }
  // Room first: a full disk or a lack of memory shows here, before anything moved.
  if (!Resize(static_cast<uint32_t>(newLength))) {
    if (mode_ == StorageMode::Ram) ReportError(kInsufficientMemory);
    Resize(oldLength);
    validLength_ = oldValid;
    return false;
  }
  const uint32_t position = position_;
  uint32_t moved = 0;
  bool ok = MoveFrames(at, at + k, oldLength - at, &moved);
  if (!ok) {
    // The last `moved` frames went up by k: bring them back down.
    const uint32_t first = oldLength - moved;
    MoveFrames(first + k, first, moved);
  } else if (!CopyFramesFrom(source, 0, at, k)) {
    MoveFrames(at + k, at, oldLength - at);
    ok = false;
  }
  if (!ok) {
    Resize(oldLength);
    validLength_ = oldValid;
  } else {
    validLength_ = static_cast<uint32_t>(std::max<uint64_t>(uint64_t{oldValid} + k, at + k));
    validLength_ = std::min(validLength_, length_);
  }
  position_ = std::min(position, length_);
  return ok;
}

bool TWaveFile::RemoveFrames(uint32_t start, uint32_t end, uint32_t* moved) {
  if (moved) *moved = 0;
  end = std::min(end, length_);
  if (start >= end) return true;
  const uint32_t position = position_;
  const uint32_t oldValid = validLength_;
  const uint32_t removed = end - start;
  if (!MoveFrames(end, start, length_ - end, moved)) return false;
  if (!Resize(length_ - removed)) return false;
  validLength_ = oldValid > end ? oldValid - removed : std::min(oldValid, start);
  position_ = std::min(position, length_);
  return true;
}

bool TWaveFile::RestoreRemoved(TWaveFile& removed, uint32_t start, uint32_t end, uint32_t moved) {
  // Frames end ... end + moved - 1 went down to start: take them back up, then put the
  // removed ones in again.
  const uint32_t position = position_;
  const bool ok = MoveFrames(start, end, moved) && CopyFramesFrom(removed, 0, start, end - start);
  position_ = position;
  return ok;
}

void TWaveFile::MarkUntitled() {
  targetPath_.clear();
  untitled_ = true;
  modified_ = true;
}

}  // namespace orvanix
