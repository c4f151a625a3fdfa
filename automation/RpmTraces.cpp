#include "automation/RpmTraces.h"

#include <algorithm>
#include <cmath>

namespace orvanix {

namespace {

// The largest value a 3-byte sample holds.
constexpr int32_t kMax24 = 8388607;

}  // namespace

void TRpmTraces::Clear() {
  for (auto& table : tables_) table.clear();
  count_ = 0;
}

bool TRpmTraces::Store(int channel, double rpm, std::vector<float> amplitudes) {
  if (channel < 0 || channel > 1 || count_ >= kMaxRpmTraces) return false;
  std::vector<TRpmTrace>& table = tables_[static_cast<size_t>(channel)];
  if (table.size() < count_ + 1) table.resize(count_ + 1);
  table[count_] = TRpmTrace{rpm, std::move(amplitudes)};
  return true;
}

void TRpmTraces::Complete() {
  if (count_ < kMaxRpmTraces) ++count_;
}

const TRpmTrace* TRpmTraces::Trace(int channel, size_t index) const {
  if (channel < 0 || channel > 1 || index >= count_) return nullptr;
  const std::vector<TRpmTrace>& table = tables_[static_cast<size_t>(channel)];
  return index < table.size() ? &table[index] : nullptr;
}

std::optional<size_t> TRpmTraces::Nearest(double rpm) const {
  if (!std::isfinite(rpm)) return std::nullopt;
  const std::vector<TRpmTrace>& table = tables_[0];
  const size_t stored = std::min(count_, table.size());
  std::optional<size_t> best;
  double bestDistance = 0;
  for (size_t i = 0; i < stored; ++i) {
    const double distance = std::fabs(table[i].rpm - rpm);
    // Strictly less: of two traces equally near, the earlier one stays.
    if (!best || distance < bestDistance) {
      best = i;
      bestDistance = distance;
    }
  }
  return best;
}

bool BuildRpmTrack(const TRpmTraces& traces, const TRpmSweep& sweep, uint32_t line, int channels,
                   TRpmTrack& track) {
  track = TRpmTrack{};
  const size_t count = traces.Count();
  if (count == 0 || !(sweep.incrementRpm > 0)) return false;
  const double rate = std::floor(1000.0 / sweep.incrementRpm);
  if (!(rate >= 1) || rate > 4.0e9) return false;
  const TRpmTrace* last = traces.Trace(0, count - 1);
  if (!last) return false;
  const double length = std::floor(1.25 * last->rpm / sweep.incrementRpm);
  const size_t samples =
      length > 0 ? static_cast<size_t>(std::min(length, double(kMaxRpmTrackSamples))) : 0;
  const double offset = std::floor(sweep.startRpm / sweep.incrementRpm);
  track.sampleRateHz = static_cast<uint32_t>(rate);
  track.channels = channels == 2 ? 2 : 1;
  for (int c = 0; c < track.channels; ++c) {
    std::vector<int32_t>& out = track.samples[static_cast<size_t>(c)];
    out.assign(samples, 0);
    for (size_t t = 0; t < count; ++t) {
      const TRpmTrace* trace = traces.Trace(c, t);
      if (!trace || line >= trace->amplitudes.size()) continue;
      const double at = static_cast<double>(t) + offset;
      if (at < 0 || at >= static_cast<double>(samples)) continue;
      const double value = std::max(0.0, kRpmTrackScale * trace->amplitudes[line]);
      out[static_cast<size_t>(at)] =
          static_cast<int32_t>(std::lround(std::min(value, double(kMax24))));
    }
  }
  return true;
}

}  // namespace orvanix
