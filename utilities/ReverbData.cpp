#include "utilities/ReverbData.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include <unistd.h>

#include "files/WaveFileIo.h"
#include "measure/Schroeder.h"

namespace orvanix {

namespace {

// The most frames any measurement can hold: a 30 s maximum decay.
const uint32_t kMostFrames = static_cast<uint32_t>((30 + 1) / kReverbFrameStep);

void PutInt(std::vector<uint8_t>& out, int32_t v) {
  const uint32_t u = static_cast<uint32_t>(v);
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(u >> (8 * i)));
}
int32_t GetInt(const uint8_t* p) {
  return static_cast<int32_t>(uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 |
                              uint32_t{p[3]} << 24);
}

}  // namespace

TReverbTiming TReverbTiming::For(int32_t maxDecaySecs) {
  TReverbTiming t;
  t.maxDecay = std::clamp(maxDecaySecs, 1, 30);
  t.noise = std::max(t.maxDecay, 4);
  t.total = t.maxDecay + t.noise + 1.4;
  t.frameCapacity = static_cast<uint32_t>((t.maxDecay + 1) / kReverbFrameStep);
  return t;
}

void TReverbData::Reset(const TReverbTiming& timing) {
  ReverbFrame empty;
  for (uint32_t s = 0; s < kReverbSlots; ++s) {
    empty.frequency[s] = 0.0f;
    empty.level[s] = kReverbEmpty;
    empty.smoothed[s] = kReverbEmpty;
  }
  empty.time = 0.0f;
  frames_.assign(timing.frameCapacity, empty);
  bandCount_ = 0;
  frameCount_ = 0;
  frameStep_ = kReverbFrameStep;
  maxDecay_ = timing.maxDecay;
  times_ = {};
}

void TReverbData::SetFrameCount(uint32_t count) {
  frameCount_ = std::min<uint32_t>(count, static_cast<uint32_t>(frames_.size()));
}

void TReverbData::Normalise() {
  if (frameCount_ == 0) return;
  const ReverbFrame first = frames_[0];
  for (uint32_t k = 0; k < frameCount_; ++k) {
    for (uint32_t b = 0; b < bandCount_; ++b) frames_[k].level[b] -= first.level[b];
  }
}

void TReverbData::Smooth(int32_t method, int32_t extrapolation) {
  for (uint32_t k = 0; k < frameCount_; ++k) {
    std::copy_n(frames_[k].level, kReverbSlots, frames_[k].smoothed);
  }
  if (method == kSmoothAveraging) {
    const int span = std::clamp(static_cast<int>(0.1 / frameStep_), 2, 50);
    for (int64_t j = 1; j < int64_t{frameCount_} - span - 1 + 1; ++j) {
      for (uint32_t b = 0; b < bandCount_; ++b) {
        double sum = 0;
        for (int i = 0; i < span; ++i) sum += std::pow(10.0, frames_[j + i].level[b] / 10.0);
        const double mean = sum / span;
        frames_[j].smoothed[b] =
            mean > 0 ? static_cast<float>(10.0 * std::log10(mean)) : static_cast<float>(mean);
      }
    }
  } else if (method == kSmoothSchroeder && frameCount_ > 1) {
    // The 60 dB time of the plain decay bounds the integration: beyond it lies the floor.
    ComputeDecayTimes(extrapolation);
    std::vector<double> terms, tails;
    for (uint32_t b = 0; b < bandCount_; ++b) {
      int64_t e = static_cast<int64_t>((times_[b].seconds[5] + 0.1) / frameStep_);
      if (e >= int64_t{frameCount_} || e < 1) e = frameCount_ - 1;
      terms.assign(e + 1, 0.0);
      for (int64_t k = 0; k <= e; ++k) terms[k] = std::pow(10.0, frames_[k].level[b] / 20.0);
      tails.assign(e + 1, 0.0);
      SchroederIntegrate(terms, tails);
      const double total = tails[0] > 0 ? tails[0] : 1.0;
      for (int64_t k = 0; k <= e; ++k) {
        const double candidate = 20.0 * std::log10(tails[k] / total);
        if (candidate > frames_[e].level[b]) frames_[k].smoothed[b] = static_cast<float>(candidate);
      }
    }
  }
  ComputeDecayTimes(extrapolation);
}

void TReverbData::ComputeDecayTimes(int32_t extrapolation) {
  times_ = {};
  for (uint32_t b = 0; b < kReverbSlots; ++b) {
    TBandDecayTimes& t = times_[b];
    t.frequency = frames_.empty() ? 0.0f : frames_[0].frequency[b];
    t.seconds.fill(-1.0f);
    t.notMeasured.fill(1);
    if (b >= bandCount_) continue;
    for (uint32_t k = 0; k < frameCount_; ++k) {
      const double drop = frames_[0].smoothed[b] - frames_[k].smoothed[b];
      for (int m = 0; m < 6; ++m) {
        if (t.notMeasured[m] && drop >= 10.0 * (m + 1)) {
          t.seconds[m] = frames_[k].time - frames_[0].time;
          t.notMeasured[m] = 0;
        }
      }
    }
    auto& s = t.seconds;
    if (s[0] >= maxDecay_) s[0] = 0;
    if (s[1] >= maxDecay_) s[1] = 2 * s[0];
    if (extrapolation == kRt10) {
      for (int m = 1; m < 6; ++m) s[m] = (m + 1) * s[0];
    } else if (extrapolation == kRt20) {
      if (s[1] < 0) s[1] = 2 * s[0];
      s[2] = 1.5f * s[1], s[3] = 2.0f * s[1], s[4] = 2.5f * s[1], s[5] = 3.0f * s[1];
    } else {
      if (s[1] < 0) s[1] = 2 * s[0];
      if (s[2] < 0) s[2] = 1.5f * s[1];
      s[3] = 1.33333f * s[2], s[4] = 1.66666f * s[2], s[5] = 2.0f * s[2];
    }
  }
}

std::vector<uint8_t> TReverbData::ToBytes() const {
  std::vector<uint8_t> out;
  out.reserve(12 + size_t{frameCount_} * sizeof(ReverbFrame));
  PutInt(out, kReverbMagic);
  PutInt(out, static_cast<int32_t>(bandCount_));
  PutInt(out, static_cast<int32_t>(frameCount_));
  for (uint32_t k = 0; k < frameCount_; ++k) {
    const float* values = &frames_[k].frequency[0];
    for (int i = 0; i < 94; ++i) {
      uint32_t bits;
      std::memcpy(&bits, values + i, 4);
      PutInt(out, static_cast<int32_t>(bits));
    }
  }
  return out;
}

std::string TReverbData::FromBytes(const uint8_t* data, size_t size) {
  if (size < 4) return kReverbReadError;
  if (GetInt(data) != kReverbMagic) return kReverbInvalid;
  if (size < 12) return kReverbReadError;
  const int32_t bands = GetInt(data + 4);
  const int32_t frames = GetInt(data + 8);
  // Counts outside what a measurement can make: the file is not one of ours.
  if (bands < 1 || bands > int32_t{kReverbSlots} || frames < 1 ||
      frames > static_cast<int32_t>(kMostFrames)) {
    return kReverbInvalid;
  }
  if ((size - 12) / sizeof(ReverbFrame) < static_cast<size_t>(frames)) return kReverbReadError;
  std::vector<ReverbFrame> loaded(frames);
  for (int32_t k = 0; k < frames; ++k) {
    float* values = &loaded[k].frequency[0];
    for (int i = 0; i < 94; ++i) {
      const uint32_t bits = static_cast<uint32_t>(GetInt(data + 12 + (size_t{94} * k + i) * 4));
      std::memcpy(values + i, &bits, 4);
      if (!std::isfinite(values[i])) return kReverbInvalid;
    }
  }
  const double lastTime = loaded.back().time;
  if (!(lastTime >= 0.0 && lastTime <= 31.0)) return kReverbInvalid;
  frames_ = std::move(loaded);
  bandCount_ = static_cast<uint32_t>(bands);
  frameCount_ = static_cast<uint32_t>(frames);
  maxDecay_ = std::clamp(static_cast<int32_t>(std::lround(lastTime)), 1, 30);
  frameStep_ = kReverbFrameStep;
  return {};
}

std::string TReverbData::Save(const std::string& path) const {
  const std::vector<uint8_t> bytes = ToBytes();
  const ReplaceResult result = ReplaceFile(path, [&bytes](int fd) {
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
      if (n <= 0) return false;
      done += static_cast<size_t>(n);
    }
    return true;
  });
  if (result == ReplaceResult::OpenFailed) return kReverbCreateFailed;
  if (result == ReplaceResult::WriteFailed) return kReverbWriteError;
  return {};
}

std::string TReverbData::Load(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return kReverbOpenFailed;
  // Bounded by the largest file a measurement makes, so that no size field sizes memory.
  const size_t most = 12 + size_t{kMostFrames} * sizeof(ReverbFrame) + 1;
  std::vector<uint8_t> bytes(most);
  const size_t got = std::fread(bytes.data(), 1, most, f);
  const bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) return kReverbReadError;
  return FromBytes(bytes.data(), got);
}

}  // namespace orvanix
