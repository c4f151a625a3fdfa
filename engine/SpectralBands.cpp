// Octave bands, extremes, peak picking and band power of a TSpectralData.
#include <algorithm>
#include <cmath>
#include <new>

#include "engine/Decibels.h"
#include "engine/Messages.h"
#include "engine/SpectralData.h"
#include "engine/Weighting.h"

namespace orvanix {

namespace {

// Peaks on a linear axis must exceed this many bins on either side.
constexpr uint32_t kPeakNeighbours = 5;
constexpr uint32_t kMaxPeakRank = 10;
// The lowest bins hold DC and its leakage: range searches start at bin 3.
constexpr uint32_t kFirstRangeBin = 3;

}  // namespace

void TSpectralData::UpdateBands(bool mean, bool hold) {
  if (bandValues_.size() != bands_.Count()) return;
  // Power changes only with an update following, so a pending one still sees its own power
  // when it runs; only a hold compares with the values before, which must exist by then.
  if (!hold && !peakHold_) {
    bandsPending_ = true;
    bandsMean_ = mean;
    return;
  }
  FreshBandValues();
  ComputeBands(mean, hold);
}

void TSpectralData::ComputeBands(bool mean, bool hold) const {
  const uint32_t count = bands_.Count();
  for (uint32_t b = 0; b < count; ++b) {
    const float v = bands_.BandValueDb(b, power_.data(), mean);
    if (!hold || v > bandValues_[b]) bandValues_[b] = v;
  }
  uint32_t peak = bands_.FirstValidBand();
  for (uint32_t b = peak + 1; b < count; ++b) {
    if (bandValues_[b] > bandValues_[peak]) peak = b;
  }
  peakBand_ = peak;
}

const std::vector<float>& TSpectralData::FreshBandValues() const {
  if (bandsPending_) {
    bandsPending_ = false;
    ComputeBands(bandsMean_, false);
  }
  return bandValues_;
}

uint32_t TSpectralData::PeakBand() const {
  FreshBandValues();
  return peakBand_;
}

void TSpectralData::SetPeakHold(bool on) {
  FreshBandValues();
  peakHold_ = on;
}

float TSpectralData::BandValue(uint32_t band) const {
  const std::vector<float>& values = FreshBandValues();
  return band < values.size() ? values[band] : kNoDb;
}

float TSpectralData::BandCentre(uint32_t i) const {
  return octave_ && i < bands_.Count() ? bands_.Band(i).nominal : 0.f;
}

float TSpectralData::BandLower(uint32_t i) const {
  return octave_ && i < bands_.Count() ? bands_.Band(i).lower : 0.f;
}

float TSpectralData::BandUpper(uint32_t i) const {
  return octave_ && i < bands_.Count() ? bands_.Band(i).upper : 0.f;
}

float TSpectralData::MaxValue(uint32_t from, uint32_t to) const {
  const uint32_t count = ValueCount();
  if (error_ || count == 0) return 0.f;
  to = std::min(to, count - 1);
  if (from > to) return 0.f;
  float best = Value(from);
  for (uint32_t i = from + 1; i <= to; ++i) best = std::max(best, Value(i));
  return best;
}

SpectrumPoint TSpectralData::MinValue(uint32_t from, uint32_t to) const {
  SpectrumPoint result;
  const uint32_t count = ValueCount();
  if (error_ || count == 0) return result;
  from = std::max(from, kFirstRangeBin);
  to = std::min(to, count - 1);
  if (from > to) return result;
  result.index = from;
  result.value = Value(from);
  for (uint32_t i = from + 1; i <= to; ++i) {
    const float v = Value(i);
    if (v < result.value) {
      result.value = v;
      result.index = i;
    }
  }
  result.frequency = octave_ ? BandCentre(result.index) : grid_.BinFrequency(result.index);
  return result;
}

bool TSpectralData::Peaks(uint32_t from, uint32_t to, uint32_t n, SpectrumPoint& peak) const {
  if (error_ || n > kMaxPeakRank) return false;
  uint32_t picked[kMaxPeakRank + 1];
  uint32_t index = 0;
  for (uint32_t rank = 0; rank <= n; ++rank) {
    const auto taken = [&](uint32_t i) {
      return std::find(picked, picked + rank, i) != picked + rank;
    };
    index = 0;
    if (octave_) {
      const std::vector<float>& bandValues = FreshBandValues();
      const uint32_t end = std::min(to, bands_.Count());
      float best = kNoDb;
      for (uint32_t b = std::max(from, bands_.FirstValidBand()); b < end; ++b) {
        if (!taken(b) && bandValues[b] > best) {
          best = bandValues[b];
          index = b;
        }
      }
    } else if (bins_ > 2 * kPeakNeighbours) {
      const uint32_t last = std::min(to, bins_ - 1 - kPeakNeighbours);
      float best = -10000000.f;
      for (uint32_t i = std::max(from, kPeakNeighbours); i <= last; ++i) {
        const float p = power_[i];
        if (taken(i) || !(p > best)) continue;
        bool local = true;
        for (uint32_t k = 1; k <= kPeakNeighbours && local; ++k) {
          local = p > power_[i - k] && p > power_[i + k];
        }
        if (local) {
          best = p;
          index = i;
        }
      }
    }
    picked[rank] = index;
  }
  peak.index = index;
  peak.frequency = octave_ ? BandCentre(index) : grid_.BinFrequency(index);
  peak.value = Value(index);
  return true;
}

const std::vector<float>* TSpectralData::StandardCurve(int weighting) const {
  std::vector<float>& curve = standardCurves_[weighting - kWeightA];
  if (curve.size() != bins_) {
    try {
      curve.assign(bins_, 1.f);
    } catch (const std::bad_alloc&) {
      std::vector<float>().swap(curve);
      Messages().Report(kInsufficientMemory, "", MessageIcon::Error);
      return nullptr;
    }
    CurveOntoBins(WeightingTable(weighting), grid_, curve.data());
  }
  return &curve;
}

float TSpectralData::BandPower(uint32_t from, uint32_t to, int weighting, bool inDb) const {
  // Nothing to sum (an empty range, a silent spectrum) reads as the empty value of the form
  // asked for, never as a level.
  const float empty = inDb ? kNoDb : 0.f;
  if (error_ || weighting < -1 || weighting > kWeightC) return empty;
  double sum = 0.0;
  if (weighting == -1) {
    // As displayed: the displayed values back in linear form, squared. A bin or band that
    // holds no value shows kNoDb (or its tiny linear image), which is not power.
    const bool dbDisplay = ampScale_ == 1 && !coherence_;
    const std::vector<float>& bandValues = FreshBandValues();
    uint32_t first = from, last = to;
    if (octave_) {
      if (bands_.Count() == 0) return empty;
      last = std::min(to, bands_.LastBand());
    } else {
      first = std::max(from, kFirstRangeBin);
      last = std::min(to, bins_ - 1);
    }
    for (uint32_t i = first; i <= last; ++i) {
      const bool hasValue =
          octave_ ? i < bandValues.size() && bandValues[i] != kNoDb : power_[i] > 0.f;
      if (!hasValue) continue;
      const double v = Value(i);
      const double linear = dbDisplay ? FromDbAmplitude(v) : v;
      sum += linear * linear;
    }
    if (!octave_) sum *= WindowPowerFactor(windowType_);
    if (!(sum > 0.0)) return empty;
    return inDb ? ToDb(sum) : static_cast<float>(std::sqrt(sum));
  }

  const std::vector<float>* curve = weighting == kWeightFlat ? nullptr : StandardCurve(weighting);
  if (weighting != kWeightFlat && curve == nullptr) return empty;
  uint32_t first = from, last = to;
  if (octave_) {
    if (bands_.Count() == 0) return empty;
    last = std::min(to, bands_.LastBand());
    if (first > last) return empty;
    first = grid_.FrequencyBin(bands_.Band(first).lower);
    last = grid_.FrequencyBin(bands_.Band(last).upper);
  }
  first = std::max(first, kFirstRangeBin);
  last = std::min(last, bins_ - 1);
  for (uint32_t i = first; i <= last; ++i) {
    double p = power_[i];
    // Take the display weighting out before the requested one goes in.
    if (!weighting_.empty()) p /= double{weighting_[i]} * weighting_[i];
    if (curve) p *= double{(*curve)[i]} * (*curve)[i];
    sum += p;
  }
  if (!octave_) sum *= WindowPowerFactor(windowType_);
  if (!(sum > 0.0)) return empty;
  if (!inDb) return static_cast<float>(std::sqrt(sum));
  const float db = ToDb(sum);
  return db == kNoDb ? db : db + DisplayDbOffset();
}

}  // namespace orvanix
