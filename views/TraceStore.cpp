#include "views/TraceStore.h"

#include <algorithm>
#include <cmath>

#include "engine/SpectralData.h"

namespace orvanix {

TTrace TTrace::Of(const TSpectralData& spectrum) {
  TTrace trace;
  const uint32_t count = spectrum.ValueCount();
  trace.values.resize(count);
  trace.frequencies.resize(count);
  const bool bands = spectrum.BandCount() > 0;
  for (uint32_t i = 0; i < count; ++i) {
    trace.values[i] = spectrum.Value(i);
    trace.frequencies[i] = bands ? spectrum.BandCentre(i) : spectrum.BinFrequency(i);
  }
  return trace;
}

uint32_t TTrace::IndexOf(float hz) const {
  if (frequencies.empty()) return 0;
  const auto it = std::lower_bound(frequencies.begin(), frequencies.end(), hz);
  if (it == frequencies.begin()) return 0;
  if (it == frequencies.end()) return static_cast<uint32_t>(frequencies.size() - 1);
  const size_t i = static_cast<size_t>(it - frequencies.begin());
  return static_cast<uint32_t>(
      std::fabs(frequencies[i] - hz) < std::fabs(hz - frequencies[i - 1]) ? i : i - 1);
}

float TTrace::MaxValue(uint32_t from, uint32_t to) const {
  if (values.empty()) return 0.0f;
  const uint32_t last = static_cast<uint32_t>(values.size() - 1);
  from = std::min(from, last);
  to = std::min(to, last);
  if (from > to) std::swap(from, to);
  return *std::max_element(values.begin() + from, values.begin() + to + 1);
}

void TTraceStore::Reset(int count) {
  slices_.assign(static_cast<size_t>(std::max(count, 0)), TTraceSlice{});
}

void TTraceStore::Clear() {
  for (TTraceSlice& slice : slices_) slice = TTraceSlice{};
}

bool TTraceStore::Set(int n, double timeSecs, const TSpectralData* primary,
                      const TSpectralData* secondary) {
  TTraceSlice slice;
  slice.valid = primary != nullptr;
  slice.timeSecs = timeSecs;
  if (primary) slice.primary = TTrace::Of(*primary);
  if (secondary) slice.secondary = TTrace::Of(*secondary);
  return Set(n, std::move(slice));
}

bool TTraceStore::Set(int n, TTraceSlice slice) {
  if (n < 0 || n >= Count()) return false;
  slices_[static_cast<size_t>(n)] = std::move(slice);
  return true;
}

bool TTraceStore::Filled() const {
  return std::any_of(slices_.begin(), slices_.end(), [](const TTraceSlice& s) { return s.valid; });
}

}  // namespace orvanix
