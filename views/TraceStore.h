// TTraceStore: the slices of the spectrogram and the 3-D surface, spectra handed to a view
// one by one from outside the run loop: a segment analysis rebuilds the view from a stretch
// of the document, slice S - 1 (the earliest) down to slice 0 (the latest), and the data
// links of an external program fill them the same way. The view replays the store into its
// image whenever it is rebuilt, so a resize or an option change keeps the picture.
//
// A slice keeps the displayed values of its spectra (Value of every index), the centre
// frequency of every index and the time; nothing of the engine objects it came from.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace orvanix {

class TSpectralData;

struct TTrace {
  std::vector<float> values;       // displayed value per index (bin or band)
  std::vector<float> frequencies;  // centre frequency per index, ascending
  bool Empty() const { return values.empty(); }
  // The trace of a spectrum as it is displayed now.
  static TTrace Of(const TSpectralData& spectrum);
  // The index whose centre frequency is nearest `hz` (0 for an empty trace).
  uint32_t IndexOf(float hz) const;
  // The largest value over indices from ... to (inclusive, clamped).
  float MaxValue(uint32_t from, uint32_t to) const;
};

struct TTraceSlice {
  bool valid = false;
  double timeSecs = 0.0;
  TTrace primary;
  TTrace secondary;  // empty when the mode shows one result
};

class TTraceStore {
 public:
  // Empties every slice and makes `count` of them (negative counts as 0).
  void Reset(int count);
  // Empties every slice, keeping the count.
  void Clear();
  int Count() const { return static_cast<int>(slices_.size()); }
  // Slice n = 0 (latest) ... Count() - 1 (earliest). False for an index outside the store.
  bool Set(int n, double timeSecs, const TSpectralData* primary, const TSpectralData* secondary);
  bool Set(int n, TTraceSlice slice);
  const TTraceSlice& Slice(int n) const { return slices_[static_cast<size_t>(n)]; }
  // Whether any slice holds a trace.
  bool Filled() const;

 private:
  std::vector<TTraceSlice> slices_;
};

}  // namespace orvanix
