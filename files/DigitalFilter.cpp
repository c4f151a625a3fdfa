#include "files/DigitalFilter.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "engine/Messages.h"
#include "engine/Smoothing.h"
#include "engine/TimeText.h"
#include "files/EditTexts.h"

namespace orvanix {

namespace {

constexpr double kPi = std::numbers::pi;

// One cosine-modulated ideal low pass, added into `taps`.
void AddComponent(std::vector<double>& taps, int32_t centre, double c, double w) {
  taps[centre] += w / kPi;
  for (int32_t k = 1; k <= centre; ++k) {
    const double tap = std::cos(k * c) * std::sin(k * w) / (k * kPi);
    taps[centre + k] += tap;
    taps[centre - k] += tap;
  }
}

}  // namespace

int32_t ClampFilterTaps(int32_t taps) {
  return std::clamp(taps, kMinFilterTaps, kMaxFilterTaps);
}

std::vector<float> FilterCoefficients(const TFilterSettings& s, double nyquist) {
  const int32_t count = ClampFilterTaps(s.numTaps);
  const int32_t centre = (count - 1) / 2;
  std::vector<double> taps(static_cast<size_t>(count), 0.0);
  const double n = nyquist > 0 ? nyquist : 1.0;
  switch (s.type) {
    case kHighPass:
      AddComponent(taps, centre, kPi, 0.0);
      AddComponent(taps, centre, kPi, kPi * (n - s.hpCutoffHz) / n);
      break;
    case kBandPass:
      for (int i = 0; i < 2; ++i) {
        AddComponent(taps, centre, kPi * s.bpCenterHz / n, kPi * s.bpWidthHz / (2.0 * n));
      }
      break;
    case kNotch:
      AddComponent(taps, centre, 0.0, kPi * (s.notchCenterHz - s.notchWidthHz / 2.0) / n);
      AddComponent(taps, centre, kPi, kPi * (n - (s.notchCenterHz + s.notchWidthHz / 2.0)) / n);
      break;
    default:  // low pass
      AddComponent(taps, centre, 0.0, kPi * s.lpCutoffHz / n);
      AddComponent(taps, centre, kPi, 0.0);
      break;
  }
  // Both components share the window, so it multiplies their sum.
  TSmoothing window(static_cast<uint32_t>(count), kWindowHanning, kCorrectionNone);
  std::vector<float> result(taps.size());
  for (size_t i = 0; i < taps.size(); ++i) {
    const double w = window.Error() ? 1.0 : window.Table()[i];
    result[i] = static_cast<float>(taps[i] * w);
  }
  return result;
}

TFilterJob::TFilterJob(TWaveFile& document, TFrameRange range, const TFilterSettings& settings)
    : document_(document), range_(range), settings_(settings), next_(range.start) {
  const bool stereo = document.Format().channels == 2;
  if (settings.doLeft || !stereo) channelMask_ |= 1u;
  if (stereo && settings.doRight) channelMask_ |= 2u;
}

bool TFilterJob::Begin() {
  begun_ = true;
  taps_ = FilterCoefficients(settings_, document_.Format().sampleRate * 0.5);
  if (!document_.SaveUndo(kUndoWriteBack, range_.start, range_.end)) {
    failed_ = true;
    return false;
  }
  const uint32_t centre = static_cast<uint32_t>(taps_.size() - 1) / 2;
  for (uint32_t c = 0; c < 2; ++c) {
    if (!(channelMask_ & (1u << c))) continue;
    history_[c].resize(centre);
    if (!ReadInputs(c, int64_t{range_.start} - centre, centre, history_[c].data())) {
      RecoverOverwrite(document_);
      failed_ = true;
      return false;
    }
  }
  return true;
}

bool TFilterJob::ReadInputs(uint32_t channel, int64_t first, uint32_t count, double* out) {
  const WaveFormat& format = document_.Format();
  const int64_t length = document_.Length();
  std::fill(out, out + count, 0.0);
  const int64_t from = std::max<int64_t>(first, 0);
  const int64_t to = std::min<int64_t>(first + count, length);
  const uint32_t align = format.BlockAlign();
  const uint32_t offset = format.ChannelIndex(channel) * format.bytesPerSample;
  raw_.resize(size_t{kPieceFrames} * align);
  for (int64_t at = from; at < to;) {
    const uint32_t n = static_cast<uint32_t>(std::min<int64_t>(kPieceFrames, to - at));
    if (!document_.ReadFrames(static_cast<uint32_t>(at), n, raw_.data())) return false;
    for (uint32_t i = 0; i < n; ++i) {
      out[at - first + i] = DecodeSample(raw_.data() + size_t{i} * align + offset,
                                         format.bytesPerSample, format.zeroValue) -
                            format.zeroValue;
    }
    at += n;
  }
  return true;
}

bool TFilterJob::Step() {
  if (done_ || failed_) return false;
  if (!begun_) return Begin();  // the first tick computes the coefficients
  const WaveFormat& format = document_.Format();
  const uint32_t b = std::min(kTickFrames, range_.end - next_);
  const uint32_t taps = static_cast<uint32_t>(taps_.size());
  const uint32_t centre = (taps - 1) / 2;
  const uint32_t ahead = taps - 1 - centre;
  std::vector<uint8_t> samples(size_t{b} * format.bytesPerSample);
  for (uint32_t c = 0; c < 2 && b > 0; ++c) {
    if (!(channelMask_ & (1u << c))) continue;
    window_.resize(size_t{centre} + b + ahead);
    std::copy(history_[c].begin(), history_[c].end(), window_.begin());
    if (!ReadInputs(c, next_, b + ahead, window_.data() + centre)) {
      RecoverOverwrite(document_);
      failed_ = true;
      return false;
    }
    for (uint32_t i = 0; i < b; ++i) {
      double y = 0.0;
      const double* v = window_.data() + i;
      for (uint32_t j = 0; j < taps; ++j) y += taps_[j] * v[j];
      const double value = std::trunc(y + format.zeroValue);
      const int32_t sample = static_cast<int32_t>(std::clamp(
          value, static_cast<double>(format.minValue), static_cast<double>(format.maxValue)));
      EncodeSample(samples.data() + size_t{i} * format.bytesPerSample, format.bytesPerSample,
                   sample);
    }
    std::copy(window_.begin() + b, window_.begin() + b + centre, history_[c].begin());
    if (!document_.WriteChannel(samples.data(), next_, b, c)) {
      RecoverOverwrite(document_);
      failed_ = true;
      return false;
    }
  }
  next_ += b;
  document_.SetModified(true);
  if (next_ >= range_.end) done_ = true;
  return !done_;
}

void TFilterJob::Cancel() {
  if (done_ || failed_) return;
  if (begun_) document_.ApplyUndo();
  failed_ = true;
}

int TFilterJob::Percent() const {
  const uint32_t total = range_.Count();
  return total ? static_cast<int>(100 - uint64_t{range_.end - next_} * 100 / total) : 100;
}

std::string TFilterJob::StatusText() const {
  if (!begun_) return kComputingCoefficients;
  const WaveFormat& format = document_.Format();
  const double rate = format.sampleRate ? format.sampleRate : 1.0;
  return Format(kFilteringSegment, TimeText(range_.start / rate).c_str(),
                TimeText(range_.end / rate).c_str());
}

}  // namespace orvanix
