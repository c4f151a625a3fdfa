#include "engine/SeriesData.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

#include "engine/Messages.h"
#include "engine/ProcessingSettings.h"
#include "engine/Smoothing.h"

namespace orvanix {

namespace {

constexpr uint32_t kFilterCentre = kDecimationTaps / 2;  // 19
constexpr double kPi = 3.141592653589793;

// Representable range of a sample width, so that filtered values never wrap on encoding.
void RawLimits(uint32_t bytes, int32_t& low, int32_t& high) {
  switch (bytes) {
    case 1:
      low = 0, high = 255;
      break;
    case 3:
      low = -0x800000, high = 0x7FFFFF;
      break;
    default:
      low = -32768, high = 32767;
      break;
  }
}

}  // namespace

TSeriesData::TSeriesData(uint32_t samples, const WaveFormat& format, uint32_t decimation,
                         bool lowPass)
    : format_(format) {
  format_.Normalise();
  bytes_ = format_.bytesPerSample;
  zero_ = format_.zeroValue;
  decimation_ = decimation == 0 ? 1 : decimation;
  if (decimation_ > kMaxDecimationRatio) {
    error_ = true;
    return;
  }
  filtered_ = decimation_ > 1 && lowPass;
  const uint64_t capacity = uint64_t{samples} + (filtered_ ? kDecimationTaps : 0);
  if (capacity > kMaxSeriesSamples) {
    error_ = true;
    return;
  }
  capacity_ = static_cast<uint32_t>(capacity);
  try {
    memory_.assign(size_t{capacity_} * bytes_, 0);
  } catch (const std::bad_alloc&) {
    error_ = true;
    capacity_ = 0;
    return;
  }
  Clear(0, capacity_);
  SetCalibrationRatio(1.f);
  if (filtered_) DesignFilter();
}

void TSeriesData::DesignFilter() {
  const double rate = format_.sampleRate;
  const double omega = (rate * 0.5 / decimation_) * kPi / (rate * 0.5);
  std::array<float, kDecimationTaps> h{};
  h[kFilterCentre] = static_cast<float>(0.3183098861837907 * omega);
  for (uint32_t k = 1; k <= kFilterCentre; ++k) {
    const float tap = static_cast<float>(std::sin(k * omega) / (k * kPi));
    h[kFilterCentre + k] = tap;
    h[kFilterCentre - k] = tap;
  }
  // The Hanning taper trades a little transition width for a stopband far below the
  // truncated sinc's -20 dB ripple.
  TSmoothing taper(kDecimationTaps, kWindowHanning, kCorrectionNone);
  if (!taper.Error()) taper.ApplyInPlace(h.data());
  coefficients_ = h;
}

void TSeriesData::SetCalibrationRatio(float ratio) {
  if (ratio == 0.f) ratio = 1.f;
  // In double: max - min of a 4-byte format does not fit in 32 bits.
  const float fullScale =
      static_cast<float>((static_cast<double>(format_.maxValue) - format_.minValue) * 0.5);
  scaleFactor_ = fullScale > 0.f ? ratio / fullScale : ratio;
}

uint32_t TSeriesData::DecimatedCount() const {
  if (filtered_ && capacity_ < kDecimationTaps) return 0;
  const uint32_t block = filtered_ ? capacity_ - kDecimationTaps : capacity_;
  return block / decimation_;
}

void TSeriesData::PutSample(uint32_t index, int32_t raw) {
  if (index >= capacity_) return;
  EncodeSample(&memory_[size_t{index} * bytes_], bytes_, raw);
}

int32_t TSeriesData::GetRaw(uint32_t index) const {
  if (index >= capacity_) return zero_;
  return DecodeSample(&memory_[size_t{index} * bytes_], bytes_, zero_);
}

float TSeriesData::GetSample(uint32_t index, bool scaled) const {
  if (index >= capacity_) return 0.f;
  const float value = static_cast<float>(GetRaw(index) - zero_);
  return scaled ? value * scaleFactor_ : value;
}

namespace {

// destination[i] = (raw[i] - zero) x scale, times window[i] when there is a window: the
// products in that order, as a copy followed by the window would form them.
template <bool kWindowed, typename Decode>
void Convert(const uint8_t* p, uint32_t bytes, uint32_t count, int32_t zero, float scale,
             const float* __restrict window, float* __restrict destination, Decode decode) {
  for (size_t i = 0; i < count; ++i) {
    const float value = static_cast<float>(decode(p + i * bytes) - zero) * scale;
    destination[i] = kWindowed ? value * window[i] : value;
  }
}

}  // namespace

void TSeriesData::GetSamples(uint32_t from, uint32_t count, float* destination, bool scaled,
                             const float* window) const {
  const uint32_t available = from < capacity_ ? std::min(count, capacity_ - from) : 0;
  const float scale = scaled ? scaleFactor_ : 1.f;
  const uint8_t* p = available ? &memory_[size_t{from} * bytes_] : nullptr;
  const int32_t zero = zero_;
  // One loop per width: decoding through the generic accessor costs more than the transform.
  const auto sixteen = [](const uint8_t* q) {
    return int32_t{static_cast<int16_t>(static_cast<uint16_t>(q[0] | (q[1] << 8)))};
  };
  const uint32_t bytes = bytes_;
  const auto any = [bytes, zero](const uint8_t* q) { return DecodeSample(q, bytes, zero); };
  if (bytes_ == 2) {
    window ? Convert<true>(p, 2, available, zero, scale, window, destination, sixteen)
           : Convert<false>(p, 2, available, zero, scale, window, destination, sixteen);
  } else {
    window ? Convert<true>(p, bytes, available, zero, scale, window, destination, any)
           : Convert<false>(p, bytes, available, zero, scale, window, destination, any);
  }
  // Past the buffer the samples are 0 (times the window: a negative value makes it -0).
  for (uint32_t i = available; i < count; ++i) destination[i] = window ? 0.f * window[i] : 0.f;
}

uint8_t* TSeriesData::SampleAddress(uint32_t index) {
  return index < capacity_ ? &memory_[size_t{index} * bytes_] : nullptr;
}

const uint8_t* TSeriesData::SampleAddress(uint32_t index) const {
  return index < capacity_ ? &memory_[size_t{index} * bytes_] : nullptr;
}

void TSeriesData::Decimate() {
  if (error_ || decimation_ < 2) return;
  const uint32_t kept = capacity_ / decimation_;
  uint32_t k = 0;
  if (filtered_ && capacity_ > kDecimationTaps + 1) {
    const uint32_t outputs = capacity_ - (kDecimationTaps + 1);  // filtered positions
    const uint32_t filteredKept = std::min(kept, (outputs + decimation_ - 1) / decimation_);
    while (k < filteredKept) {
      const uint32_t group = std::min(kDecimationGroup, filteredKept - k);
      FilterGroup(k, group);
      k += group;
    }
  }
  // The rest (all of them unfiltered) are the samples themselves, each read before
  // anything at or after its position is written.
  for (; k < kept; ++k) {
    const uint64_t source = std::min<uint64_t>(uint64_t{k} * decimation_, capacity_ - 1);
    PutSample(k, GetRaw(static_cast<uint32_t>(source)));
  }
}

// Outputs first ... first + count - 1 of the filter, only those that are kept: output k
// reads x[kD ... kD + 38] and is written to x[k], which no later output reads (kD > k for
// every later one). Each output sums its taps in order in double, so the values are those
// of filtering every sample and keeping one in D.
void TSeriesData::FilterGroup(uint32_t first, uint32_t count) {
  double x[(kDecimationGroup - 1) * kMaxDecimationRatio + kDecimationTaps];
  const uint32_t from = first * decimation_;
  const uint32_t span = (count - 1) * decimation_ + kDecimationTaps;
  const uint8_t* p = &memory_[size_t{from} * bytes_];
  if (bytes_ == 2) {
    for (uint32_t i = 0; i < span; ++i, p += 2) {
      x[i] = static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8))) - zero_;
    }
  } else {
    for (uint32_t i = 0; i < span; ++i, p += bytes_) x[i] = DecodeSample(p, bytes_, zero_) - zero_;
  }
  int32_t low = 0, high = 0;
  RawLimits(bytes_, low, high);
  const auto store = [&](uint32_t index, double y) {
    // Filtered relative to the zero value: an 8-bit offset of 127 must not pick up the
    // filter's DC gain error or the truncation bias.
    PutSample(index, std::clamp(static_cast<int32_t>(y) + zero_, low, high));
  };
  double h[kDecimationTaps];
  for (uint32_t j = 0; j < kDecimationTaps; ++j) h[j] = coefficients_[j];
  const uint32_t d = decimation_;
  uint32_t k = 0;
  // Eight outputs at a time, in pairs of lanes: eight independent sums keep the vector
  // adder busy; each lane sums its own taps in order.
  typedef double Pair __attribute__((vector_size(16)));
  for (; k + 8 <= count; k += 8) {
    const double* x0 = x + size_t{k} * d;
    Pair y[4] = {};
    for (uint32_t j = 0; j < kDecimationTaps; ++j) {
      const Pair tap = {h[j], h[j]};
      for (uint32_t l = 0; l < 4; ++l) {
        const Pair v = {x0[2 * l * d + j], x0[(2 * l + 1) * d + j]};
        y[l] += v * tap;
      }
    }
    for (uint32_t l = 0; l < 4; ++l) {
      store(first + k + 2 * l, y[l][0]);
      store(first + k + 2 * l + 1, y[l][1]);
    }
  }
  for (; k < count; ++k) {
    const double* x0 = x + size_t{k} * d;
    double y = 0.0;
    for (uint32_t j = 0; j < kDecimationTaps; ++j) y += x0[j] * h[j];
    store(first + k, y);
  }
}

int TSeriesData::PeakLevel() const {
  if (error_) return 0;
  const uint32_t count = std::min(DecimatedCount(), capacity_);
  int64_t peak = 0;
  if (bytes_ == 2) {
    // The common 16-bit case as a plain min/max over the samples, which the compiler
    // vectorises; the general path decodes one sample at a time.
    int16_t low = 0, high = 0;
    for (uint32_t i = 0; i < count; ++i) {
      int16_t v;
      std::memcpy(&v, &memory_[size_t{i} * 2], sizeof v);
      low = std::min(low, v);
      high = std::max(high, v);
    }
    peak = std::max<int64_t>(int64_t{high} - zero_, zero_ - int64_t{low});
  } else {
    for (uint32_t i = 0; i < count; ++i) {
      peak = std::max<int64_t>(peak, std::llabs(int64_t{GetRaw(i)} - zero_));
    }
  }
  const int64_t range = int64_t{format_.maxValue} - zero_;
  if (peak >= range - 1) return 10;
  if (range <= 1) return 0;
  const double level = 10.0 * std::log(static_cast<double>(std::max<int64_t>(peak, 1))) /
                       std::log(static_cast<double>(range));
  return std::clamp(static_cast<int>(level), 0, 9);
}

SampleExtremes TSeriesData::MinMax(uint32_t from, uint32_t to, bool rms, bool scaled) const {
  SampleExtremes result;
  to = std::min(to, capacity_);
  if (from >= to) return result;
  if (!rms) {
    float low = GetSample(from, scaled), high = low;
    for (uint32_t i = from + 1; i < to; ++i) {
      const float v = GetSample(i, scaled);
      low = std::min(low, v);
      high = std::max(high, v);
    }
    result.low = low;
    result.high = high;
    return result;
  }
  double positive = 0.0, negative = 0.0;
  uint32_t positives = 0, negatives = 0;
  for (uint32_t i = from; i < to; ++i) {
    const double v = GetSample(i, scaled);
    if (v > 0.0) {
      positive += v * v;
      ++positives;
    } else if (v < 0.0) {
      negative += v * v;
      ++negatives;
    }
  }
  if (positives) result.high = static_cast<float>(std::sqrt(positive / positives));
  if (negatives) result.low = -static_cast<float>(std::sqrt(negative / negatives));
  return result;
}

void TSeriesData::Clear(uint32_t from, uint32_t to) {
  to = std::min(to, capacity_);
  for (uint32_t i = from; i < to; ++i) PutSample(i, zero_);
}

bool TSeriesData::FindTrigger(uint32_t from, uint32_t length, uint16_t type, uint16_t slope,
                              float thresholdPercent, uint32_t& index) const {
  if (error_) return false;
  const double t = thresholdPercent * (static_cast<double>(format_.maxValue) - zero_) / 100.0;
  const uint64_t end = std::min<uint64_t>(uint64_t{from} + length, capacity_);
  const bool edge = type == kTriggerEdge;
  const bool negative = slope == kSlopeNegative;
  for (uint64_t m = from; m < end; ++m) {
    const double s = GetRaw(static_cast<uint32_t>(m));
    bool fired;
    if (edge) {
      if (m + 1 >= capacity_) break;
      const double next = GetRaw(static_cast<uint32_t>(m + 1));
      fired = negative ? s - next >= t : next - s >= t;
    } else {
      fired = negative ? s <= zero_ - t : s >= zero_ + t;
    }
    if (fired) {
      index = static_cast<uint32_t>(m);
      return true;
    }
  }
  return false;
}

}  // namespace orvanix
