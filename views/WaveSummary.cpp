#include "views/WaveSummary.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "files/WaveData.h"

namespace orvanix {

void DecodeSamples(const uint8_t* s, uint32_t count, uint16_t bytes, int32_t zero, int32_t* d) {
  switch (bytes) {
    case 1:
      for (uint32_t i = 0; i < count; ++i) d[i] = static_cast<int32_t>(s[i]) - zero;
      break;
    case 2:
      for (uint32_t i = 0; i < count; ++i) {
        d[i] = static_cast<int16_t>(s[2 * i] | (s[2 * i + 1] << 8)) - zero;
      }
      break;
    case 3:
      for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* p = s + 3 * i;
        int32_t v = p[0] | (p[1] << 8) | (p[2] << 16);
        if (v & 0x800000) v -= 0x1000000;
        d[i] = v - zero;
      }
      break;
    default:
      for (uint32_t i = 0; i < count; ++i) {
        int32_t v;
        std::memcpy(&v, s + 4 * i, 4);
        d[i] = v - zero;
      }
      break;
  }
}

void TWaveSummary::Clear() {
  document_ = nullptr;
  revision_ = 0;
  channels_ = 0;
  frames_ = 0;
  for (int t = 0; t < 4; ++t) {
    min_[t].clear();
    max_[t].clear();
  }
}

void TWaveSummary::Reset(TWaveData* document, uint64_t revision) {
  Clear();
  document_ = document;
  revision_ = revision;
  const WaveFormat& f = document->Format();
  channels_ = f.channels;
  bytes_ = f.bytesPerSample;
  zero_ = f.zeroValue;
}

bool TWaveSummary::Update(TWaveData* document, uint64_t revision) {
  if (!document) {
    Clear();
    return true;
  }
  const WaveFormat& f = document->Format();
  if (document != document_ || revision != revision_ || f.channels != channels_ ||
      f.bytesPerSample != bytes_ || document->Length() < frames_) {
    Reset(document, revision);
  }
  return Extend();
}

bool TWaveSummary::Extend() {
  const uint32_t length = document_->Length();
  if (channels_ < 1 || bytes_ < 1 || bytes_ > 4) return false;
  // Start again at the last partial block.
  uint32_t block = frames_ / kBlockFrames;
  for (int t = 0; t < (channels_ >= 2 ? 4 : 1); ++t) {
    min_[t].resize(block);
    max_[t].resize(block);
  }
  uint32_t from = block * kBlockFrames;
  constexpr uint32_t kChunkBlocks = 256;  // 65536 frames per read
  std::vector<int32_t> values[2];
  bool ok = true;
  while (from < length) {
    const uint32_t count = std::min(kChunkBlocks * kBlockFrames, length - from);
    const int channels = std::min<int>(channels_, 2);
    for (int c = 0; c < channels; ++c) {
      buffer_.resize(static_cast<size_t>(count) * bytes_);
      values[c].resize(count);
      if (!document_->ReadChannel(buffer_.data(), from, count, static_cast<uint32_t>(c))) {
        ok = false;
        break;
      }
      DecodeSamples(buffer_.data(), count, bytes_, zero_, values[c].data());
    }
    if (!ok) break;
    for (uint32_t b = 0; b < count; b += kBlockFrames) {
      const uint32_t n = std::min(kBlockFrames, count - b);
      int32_t lo[4] = {INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX};
      int32_t hi[4] = {INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN};
      for (uint32_t i = b; i < b + n; ++i) {
        const int32_t l = values[0][i];
        lo[0] = std::min(lo[0], l);
        hi[0] = std::max(hi[0], l);
        if (channels == 2) {
          const int32_t r = values[1][i];
          lo[1] = std::min(lo[1], r);
          hi[1] = std::max(hi[1], r);
          lo[2] = std::min(lo[2], l + r);
          hi[2] = std::max(hi[2], l + r);
          lo[3] = std::min(lo[3], l - r);
          hi[3] = std::max(hi[3], l - r);
        }
      }
      for (int t = 0; t < (channels == 2 ? 4 : 1); ++t) {
        min_[t].push_back(lo[t]);
        max_[t].push_back(hi[t]);
      }
    }
    from += count;
  }
  frames_ = std::max(frames_, std::min(from, length));
  if (!ok) frames_ = static_cast<uint32_t>(min_[0].size()) * kBlockFrames;
  return ok;
}

bool TWaveSummary::MinMax(SummaryTrace trace, uint32_t from, uint32_t to, int32_t& low,
                          int32_t& high) const {
  const int t = static_cast<int>(trace);
  if (t < 0 || t > 3) return false;
  const std::vector<int32_t>& lo = min_[t];
  const std::vector<int32_t>& hi = max_[t];
  if (lo.empty() || to <= from) return false;
  const size_t first = from / kBlockFrames;
  const size_t last = std::min(lo.size(), static_cast<size_t>((to - 1) / kBlockFrames) + 1);
  if (first >= last) return false;
  low = *std::min_element(lo.begin() + static_cast<ptrdiff_t>(first),
                          lo.begin() + static_cast<ptrdiff_t>(last));
  high = *std::max_element(hi.begin() + static_cast<ptrdiff_t>(first),
                           hi.begin() + static_cast<ptrdiff_t>(last));
  return true;
}

}  // namespace orvanix
