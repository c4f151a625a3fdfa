#include "utilities/DTMFData.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/SpectralData.h"

namespace orvanix {

namespace {

constexpr char kKeypad[4][4] = {
    {'1', '2', '3', 'A'}, {'4', '5', '6', 'B'}, {'7', '8', '9', 'C'}, {'*', '0', '#', 'D'}};
// Beyond this a peak near a tone is surely another frequency (the telephone rule's 3.5 %).
constexpr double kSearchSpan = 0.035;

}  // namespace

TDtmfTones ReadDtmfTones(const TSpectralData& s) {
  TDtmfTones tones;
  const double width = s.BinWidth();
  const uint32_t values = s.ValueCount();
  double voiceBand = 0;
  if (width > 0.0) {
    const uint32_t last = std::min<uint32_t>(s.BinCount() - 1, s.FrequencyBin(3400.0f));
    for (uint32_t k = s.FrequencyBin(400.0f); k <= last; ++k) voiceBand += s.AveragePower(k);
  }
  for (size_t i = 0; i < kDtmfFrequencies.size(); ++i) {
    const double f = kDtmfFrequencies[i];
    const uint32_t nearest = s.FrequencyBin(static_cast<float>(f));
    tones.levelDb[i] = s.Value(nearest);
    tones.peakHz[i] = 0.0f;
    if (!(width > 0.0) || values < 3) continue;
    // The largest line within the span (at least the nearest line and its neighbours).
    const double spanLines = std::max(1.0, f * kSearchSpan / width);
    const uint32_t from = static_cast<uint32_t>(std::max(1.0, std::floor(nearest - spanLines)));
    const uint32_t to =
        static_cast<uint32_t>(std::min<double>(values - 2, std::ceil(nearest + spanLines)));
    if (from > to) continue;
    uint32_t peak = from;
    for (uint32_t k = from; k <= to; ++k) {
      if (s.Value(k) > s.Value(peak)) peak = k;
    }
    // A parabola through the peak line and its neighbours places the peak between lines.
    const double a = s.Value(peak - 1), b = s.Value(peak), c = s.Value(peak + 1);
    const double curve = a - 2.0 * b + c;
    const double offset = curve < 0.0 ? std::clamp(0.5 * (a - c) / curve, -0.5, 0.5) : 0.0;
    tones.peakHz[i] = static_cast<float>((peak + offset) * width);
    // The Hanning window's main lobe: two lines each side of the peak.
    double lobe = 0;
    for (uint32_t k = peak > 2 ? peak - 2 : 0; k <= peak + 2 && k < s.BinCount(); ++k) {
      lobe += s.AveragePower(k);
    }
    tones.share[i] = voiceBand > 0 ? static_cast<float>(lobe / voiceBand) : 0.0f;
  }
  return tones;
}

TDTMFData::TDTMFData(float thresholdDb, int32_t minDurationMsec, int32_t minSpacingMsec) {
  SetParameters(thresholdDb, minDurationMsec, minSpacingMsec);
}

void TDTMFData::SetParameters(float thresholdDb, int32_t minDurationMsec, int32_t minSpacingMsec) {
  thresholdDb_ = thresholdDb;
  minDuration_ = minDurationMsec;
  minSpacing_ = minSpacingMsec;
  Reset();
}

void TDTMFData::Reset() {
  toneStart_ = 0;
  keyEnd_ = 0;
  spacingRef_ = 0;
  duration_ = 0;
  currentKey_ = ' ';
  runningKey_ = ' ';
  keys_.clear();
}

void TDTMFData::CopyKeys(char* buffer) const {
  std::memcpy(buffer, keys_.data(), keys_.size());
  buffer[keys_.size()] = '\0';
}

int TDTMFData::Feed(const TSpectralData& spectrum, int32_t timeMsec) {
  return Feed(ReadDtmfTones(spectrum), timeMsec);
}

int TDTMFData::Feed(const TDtmfTones& tones, int32_t t) {
  if (t < 0) t = 0;
  if (spacingRef_ < 0) spacingRef_ = 0;
  if (t < spacingRef_) spacingRef_ = t - 100;  // time went back (a rewind)

  // The two strongest tones, the first of equals winning; -999.9 is no level at all.
  int a = -1, c = -1;
  float best = -999.9f;
  for (int i = 0; i < 8; ++i) {
    if (tones.levelDb[i] > best) best = tones.levelDb[i], a = i;
  }
  best = -999.9f;
  for (int i = 0; i < 8; ++i) {
    if (i != a && tones.levelDb[i] > best) best = tones.levelDb[i], c = i;
  }
  bool valid =
      a >= 0 && c >= 0 && tones.levelDb[a] >= thresholdDb_ && tones.levelDb[c] >= thresholdDb_;

  // One row tone and one column tone make a key; two of a kind make none.
  currentKey_ = ' ';
  if (a >= 0 && c >= 0 && (a < 4) != (c < 4)) {
    const int row = std::min(a, c), column = std::max(a, c) - 4;
    currentKey_ = kKeypad[row][column];
  }
  if (currentKey_ == ' ') valid = false;
  if (valid && frequencyCheck_) {
    for (int i : {a, c}) {
      const double f = kDtmfFrequencies[i];
      if (!(std::fabs(tones.peakHz[i] - f) <= kDtmfFrequencyTolerance * f)) valid = false;
    }
    if (!(tones.share[a] + tones.share[c] >= kDtmfPairShare)) valid = false;
  }
  // A running key that turns into another ends there; the new one starts after the spacing.
  if (valid && toneStart_ != 0 && currentKey_ != runningKey_) valid = false;

  if (valid) {
    if (toneStart_ == 0) {
      if (spacingRef_ + minSpacing_ < t) {
        toneStart_ = t;
        duration_ = 0;
        runningKey_ = currentKey_;
      }
    } else {
      duration_ = t - toneStart_;
    }
    return 0;
  }
  if (duration_ > 0 && duration_ >= minDuration_) {
    // The key is the one its spectra showed; the falling edge may already show another pair.
    keyEnd_ = t;
    spacingRef_ = t;
    toneStart_ = 0;
    duration_ = 0;
    Append(runningKey_);
    runningKey_ = ' ';
    return 1;
  }
  toneStart_ = 0;
  keyEnd_ = 0;
  duration_ = 0;
  runningKey_ = ' ';
  return 0;
}

void TDTMFData::Append(char key) {
  if (keys_.size() >= kMaxKeys) keys_.erase(0, keys_.size() - kMaxKeys + 1);
  keys_.push_back(key);
}

}  // namespace orvanix
