// TWaveSummary: a min/max summary of a wave document, like the peak files of sound editors:
// for every block of 256 frames the smallest and largest sample of each channel and of the
// sum and difference of two channels. A view of a long document zoomed out reads the
// summary (a few hundred thousand entries for an hour) instead of every sample.
//
// Values are raw sample values minus the zero value (what the document's CountFactor turns
// into a fraction of full scale or a calibrated unit).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvanix {

class TWaveData;

// What a trace shows of a two-channel document.
enum class SummaryTrace : int { Left = 0, Right = 1, Sum = 2, LeftMinusRight = 3 };

class TWaveSummary {
 public:
  static constexpr uint32_t kBlockFrames = 256;

  // Brings the summary up to date with `document` at `revision`: rebuilt when the document,
  // its format or the revision changed, extended when it only grew. nullptr empties it.
  // Reads the document in large chunks; returns false when a read failed (the summary then
  // covers what was read).
  bool Update(TWaveData* document, uint64_t revision);
  void Clear();

  uint32_t Frames() const { return frames_; }
  uint16_t Channels() const { return channels_; }
  size_t Blocks() const { return min_[0].size(); }

  // The smallest and largest value of a trace over the blocks holding frames from ... to - 1
  // (whole blocks: the edges round outwards). False for an empty range or a trace the
  // document does not have (Right, Sum, LeftMinusRight need two channels).
  bool MinMax(SummaryTrace trace, uint32_t from, uint32_t to, int32_t& low, int32_t& high) const;

 private:
  void Reset(TWaveData* document, uint64_t revision);
  bool Extend();

  TWaveData* document_ = nullptr;
  uint64_t revision_ = 0;
  uint16_t channels_ = 0;
  uint16_t bytes_ = 0;
  int32_t zero_ = 0;
  uint32_t frames_ = 0;  // frames covered by whole or partial blocks
  std::vector<int32_t> min_[4];
  std::vector<int32_t> max_[4];
  std::vector<uint8_t> buffer_;
};

// Decodes `count` little-endian samples of `bytes` bytes (1 unsigned, 2 and 3 signed, 4
// signed 32-bit) into values minus `zero`.
void DecodeSamples(const uint8_t* source, uint32_t count, uint16_t bytes, int32_t zero,
                   int32_t* destination);

}  // namespace orvanix
