#include "engine/OctaveBands.h"

#include <charconv>
#include <cmath>
#include <new>

#include "engine/Decibels.h"

namespace orvanix {

namespace {

// Preferred numbers of one decade, used to round band centres to their labelled values.
constexpr int kPreferred[81] = {
    100, 103, 106, 109, 112, 115, 118, 121, 125, 130, 133, 137, 140, 145, 150, 155, 160,
    165, 170, 175, 180, 185, 190, 195, 200, 206, 212, 218, 224, 230, 237, 244, 250, 257,
    265, 272, 280, 290, 300, 307, 315, 325, 335, 345, 355, 365, 375, 387, 400, 412, 425,
    437, 450, 462, 475, 487, 500, 515, 530, 545, 560, 580, 600, 615, 630, 650, 670, 690,
    710, 730, 750, 775, 800, 825, 850, 875, 900, 925, 950, 975, 1000};

// Finest resolution offered; a larger n is taken as this, which also bounds the table.
constexpr uint32_t kMaxOctaveNumber = 96;
// Centres stop here even for an absurd Nyquist frequency (10^9 Hz): keeps the table bounded.
constexpr double kMaxCentreHz = 1e9;

double PowerOfTen(int exponent) {
  return std::pow(10.0, exponent);
}

// Nominal (labelled) centre of a band with exact centre f, for 1/n octave.
float NominalCentre(double f, uint32_t n) {
  if (f <= 1.0) return 1.f;
  if (f >= 100000.0) return 100000.f;
  // scale s = 10^digits, chosen by decade.
  int digits;
  if (n > 24) {
    digits = f < 10.0 ? 3 : f < 100.0 ? 2 : f < 1000.0 ? 1 : f < 10000.0 ? 0 : -1;
  } else {
    digits = f < 10.0 ? 2 : f < 100.0 ? 1 : f < 1000.0 ? 0 : f < 10000.0 ? -1 : -2;
  }
  // Dividing by a power of ten written as an exact integer avoids 0.1 and 0.01.
  const double up = digits >= 0 ? PowerOfTen(digits) : 1.0;
  const double down = digits >= 0 ? 1.0 : PowerOfTen(-digits);
  const double scaled = f * up / down;
  if (n > 24) return static_cast<float>(std::trunc(scaled) * down / up);
  const double target = std::trunc(scaled + 0.5);
  int best = kPreferred[0];
  for (int candidate : kPreferred) {
    if (std::fabs(candidate - target) < std::fabs(best - target)) best = candidate;
  }
  return static_cast<float>(best * down / up);
}

}  // namespace

bool TOctaveBands::Build(uint32_t octaveNumber, const FrequencyGrid& grid) {
  bands_.reset();
  bins_.reset();
  count_ = 0;
  firstValid_ = 0;
  uint32_t n = octaveNumber == 0 ? 1 : octaveNumber;
  if (n > kMaxOctaveNumber) n = kMaxOctaveNumber;
  octaveNumber_ = n;

  const double step = 0.3 / n;  // decades per band: 10^0.3 per octave
  const double limit = std::fmin(static_cast<double>(grid.nyquist), kMaxCentreHz);
  uint32_t count = 0;
  while (std::pow(10.0, count * step) < limit) ++count;

  if (count > 0) {
    bands_.reset(new (std::nothrow) OctaveBand[count]);
    bins_.reset(new (std::nothrow) BandBins[count]);
    if (!bands_ || !bins_) {
      bands_.reset();
      bins_.reset();
      return false;
    }
  }
  count_ = count;

  const double halfBand = std::pow(2.0, 0.5 / n);
  for (uint32_t i = 0; i < count; ++i) {
    const double f = std::pow(10.0, i * step);
    OctaveBand& band = bands_[i];
    band.centre = static_cast<float>(f);
    band.nominal = NominalCentre(f, n);
    band.upper = static_cast<float>(f * halfBand);
    // Consecutive bands share their edge: 10^0.3 is not quite 2, so the edges computed
    // from each centre would leave tiny gaps.
    band.lower = i == 0 ? static_cast<float>(f / halfBand) : bands_[i - 1].upper;
  }

  const float width = grid.binWidth;
  const float half = width * 0.5f;
  firstValid_ = count;
  for (uint32_t i = 0; i < count; ++i) {
    BandBins& map = bins_[i];
    map.startBin = grid.FrequencyBin(bands_[i].lower);
    map.endBin = grid.FrequencyBin(bands_[i].upper);
    float startWeight = 0.f;
    float endWeight = 0.f;
    if (width > 0.f) {
      startWeight = (grid.BinFrequency(map.startBin) + half - bands_[i].lower) / width;
      endWeight = (bands_[i].upper - (grid.BinFrequency(map.endBin) - half)) / width;
    }
    // An edge beyond the last bin would otherwise count that bin many times over (or
    // negatively): a bin never contributes more than its whole power.
    map.startWeight = std::fmin(std::fmax(startWeight, 0.f), 1.f);
    map.endWeight = std::fmin(std::fmax(endWeight, 0.f), 1.f);
    if (firstValid_ == count && map.endBin > map.startBin + 1) firstValid_ = i;
  }
  if (firstValid_ == count) firstValid_ = LastBand();
  return true;
}

uint32_t TOctaveBands::BandOfFrequency(float f) const {
  if (count_ == 0 || !(f >= bands_[0].lower)) return 0;
  if (f >= bands_[count_ - 1].upper) return LastBand();
  // First band whose upper edge lies above f: its lower edge is the previous upper edge.
  uint32_t lo = 0;
  uint32_t hi = LastBand();
  while (lo < hi) {
    const uint32_t mid = (lo + hi) / 2;
    if (bands_[mid].upper > f) {
      hi = mid;
    } else {
      lo = mid + 1;
    }
  }
  return lo;
}

float TOctaveBands::BandValueDb(uint32_t band, const float* power, bool mean) const {
  if (band >= Count() || power == nullptr) return kNoDb;
  const BandBins& map = bins_[band];
  const uint32_t a = map.startBin;
  const uint32_t e = map.endBin;
  double sum = static_cast<double>(power[a]) * map.startWeight +
               static_cast<double>(power[e]) * map.endWeight;
  for (uint32_t i = a + 1; i < e; ++i) sum += power[i];
  if (mean) {
    double divisor = static_cast<double>(e) - static_cast<double>(a) - 1.0 +
                     static_cast<double>(map.startWeight) + map.endWeight;
    if (divisor == 0.0) divisor = 1.0;
    sum /= divisor;
  }
  return ToDb(sum);
}

std::string BandLabel(float nominal) {
  char text[64];
  const auto result = std::to_chars(text, text + sizeof text, nominal, std::chars_format::fixed, 3);
  if (result.ec != std::errc()) return std::string();
  std::string label(text, result.ptr);
  const size_t point = label.find('.');
  if (point != std::string::npos) {
    size_t last = label.find_last_not_of('0');
    if (last == point) --last;
    label.erase(last + 1);
  }
  return label;
}

}  // namespace orvanix
