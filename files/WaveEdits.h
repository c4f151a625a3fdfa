// The segment edits of the Edit menu on a wave document, each with its one-level undo: copy,
// cut, paste (insert or over), mute and gain adjust. They work the same in RAM and disk mode,
// through TWaveFile's frame moves.
//
// What a failure leaves: an edit whose undo data cannot be saved is not made; an edit that
// fails part way is put back at once from its undo data (kEditFailedUndone), or, when that
// fails too, leaves its undo data for Undo Edit (kEditFailedUndoable). Every failure is
// shown through Messages().
#pragma once

#include <cstdint>
#include <string>

#include "files/StepJob.h"
#include "files/WaveFile.h"
#include "files/WaveImage.h"

namespace orvanix {

// Frames start ... end - 1.
struct TFrameRange {
  uint32_t start = 0;
  uint32_t end = 0;
  bool Empty() const { return end <= start; }
  uint32_t Count() const { return end > start ? end - start : 0; }
};
// Seconds to frames (rate x seconds, truncated), kept inside the document.
TFrameRange FramesOf(const TWaveFile& document, double startSecs, double endSecs);

// The selection as a clipboard image.
bool CopySelection(const TWaveFile& document, TFrameRange range, TWaveImage& image);
// Copy, undo (insert the frames again), remove. `image` gets the removed frames.
bool CutSelection(TWaveFile& document, TFrameRange range, TWaveImage& image);
// Whether a clip can go into the document: equal rate, channels and bytes per sample;
// kDifferingFormats (stop icon) otherwise.
bool SameFormatForEdit(const TWaveFile& document, const TWaveFile& clip);
// Inserts the clip at frame `at` (undo: remove it again).
bool PasteInsert(TWaveFile& document, TWaveFile& clip, uint32_t at);
// Overwrites from frame `at` with the clip, growing the document when the clip runs past its
// end (undo: the old frames back and the old length).
bool PasteOver(TWaveFile& document, TWaveFile& clip, uint32_t at);
// Silence over the selection (undo: the old frames back).
bool MuteSelection(TWaveFile& document, TFrameRange range);

// Puts back an overwriting edit that failed part way from the undo data it saved.
void RecoverOverwrite(TWaveFile& document);

// Gain Adjust as a job of ticks: factors 10^(dB / 20) per channel (the right one only for
// stereo); each sample becomes trunc((sample - zero) x factor + zero), held within the
// sample range. Cancel (Esc) stops: what was scaled stays, the rest is unchanged.
class TGainJob : public TStepJob {
 public:
  TGainJob(TWaveFile& document, TFrameRange range, double leftDb, double rightDb);
  bool Step() override;
  int Percent() const override;
  std::string StatusText() const override;
  bool Failed() const override { return failed_; }
  void Cancel() override { done_ = true; }

 private:
  TWaveFile& document_;
  TFrameRange range_;
  double factors_[2];
  uint32_t next_ = 0;
  bool begun_ = false;
  bool done_ = false;
  bool failed_ = false;
};

// The frames of one tick of a segment job, scaled in place: `scale(sample, channel)` gives
// the new value of each sample of the channels in `channelMask` (bit 0 left, bit 1 right).
// Returns false when the frames could not be read or written.
template <typename Scale>
bool TransformFrames(TWaveFile& document, uint32_t first, uint32_t count, uint32_t channelMask,
                     Scale&& scale);

}  // namespace orvanix

#include "files/WaveEditsInline.h"
