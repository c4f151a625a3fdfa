#include "ReferenceSpectraHelpers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

#include "engine/Calibration.h"
#include "engine/Fft.h"
#include "engine/ProcessingStep.h"

namespace orvanix::reference {

namespace {

constexpr double kTwoPi = 6.283185307179586;
// Values kept of an array stored by hash, spread evenly over it.
constexpr uint32_t kSampledValues = 16;

// A linear congruential generator: the same noise on every platform and library.
class Noise {
 public:
  explicit Noise(uint64_t seed) : state_(seed) {}
  // Uniform in [-1, 1).
  double Next() {
    state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<double>(state_ >> 11) * (2.0 / 9007199254740992.0) - 1.0;
  }

 private:
  uint64_t state_;
};

// The two channels as fractions of full scale: tones off the bin centres, a little noise,
// the right channel partly a delayed copy of the left (so that coherence and transfer
// functions have something to find), and one full-scale click for the peak level.
void MakeSignal(size_t length, std::vector<double>& left, std::vector<double>& right) {
  Noise noiseLeft(0x1234abcdull), noiseRight(0x9876fedcull);
  left.assign(length, 0.0);
  right.assign(length, 0.0);
  for (size_t i = 0; i < length; ++i) {
    const double t = static_cast<double>(i) / 48000.0;
    left[i] = 0.4 * std::sin(kTwoPi * 1234.5 * t) + 0.1 * std::sin(kTwoPi * 5555.0 * t + 0.3) +
              0.01 * noiseLeft.Next();
  }
  for (size_t i = 0; i < length; ++i) {
    const double t = static_cast<double>(i) / 48000.0;
    const double delayed = i >= 3 ? left[i - 3] : 0.0;
    right[i] = 0.5 * delayed + 0.2 * std::sin(kTwoPi * 777.7 * t) + 0.01 * noiseRight.Next();
  }
  if (length > 700) left[700] = 1.0;
}

int32_t ToRaw(double fraction, const WaveFormat& format) {
  const double full = format.maxValue - format.zeroValue;
  const double value = std::clamp(std::round(fraction * full), -full, full);
  return static_cast<int32_t>(value) + format.zeroValue;
}

ReferenceCase Base(const std::string& name) {
  ReferenceCase c;
  c.name = name;
  return c;
}

ReferenceCase Stereo(const std::string& name, uint16_t mode, uint16_t freqScale) {
  ReferenceCase c = Base(name);
  c.channels = 2;
  c.mode = mode;
  c.freqScale = freqScale;
  return c;
}

std::vector<ReferenceCase> BuildCases() {
  std::vector<ReferenceCase> cases;
  // Every window, on a linear and on a fractional-octave axis (energy correction there).
  for (uint16_t w = 0; w < 10; ++w) {
    ReferenceCase c = Base("window " + std::to_string(w));
    c.window = w;
    cases.push_back(c);
    c.name += " octave";
    c.freqScale = 2;
    c.fftSize = 128;
    cases.push_back(c);
  }
  // Every channel-processing mode on the three frequency axes.
  for (uint16_t mode = 0; mode < 13; ++mode) {
    for (uint16_t freq = 0; freq < 3; ++freq) {
      ReferenceCase c =
          Stereo("mode " + std::to_string(mode) + " freq " + std::to_string(freq), mode, freq);
      if (freq == 1) c.ampScale = 0;  // linear amplitudes: percent of full scale
      c.silentRightFirst = mode >= 4;
      cases.push_back(c);
    }
  }
  // Averaging types (the linear ring wraps after 3 blocks of 7), peak hold, Infinite. Linear
  // averaging is compared within a bound (see ReferenceSpectraTest.cpp), for the results
  // whose bound follows simply from the averaged terms: auto spectra, a cross spectrum,
  // coherence.
  for (uint16_t mode : {0, 3, 6, 10, 11}) {
    const std::string m = " mode " + std::to_string(mode);
    ReferenceCase c = Stereo("linear 3" + m, mode, 0);
    c.averageType = 1;
    c.averageBlocks = 3;
    c.blocks = 7;
    c.fftSize = 128;
    if (mode != 11) cases.push_back(c);
    c.name = "linear 3 octave" + m;
    c.freqScale = 2;
    if (mode == 0 || mode == 3) cases.push_back(c);
    c = Stereo("vector 4" + m, mode, 0);
    c.averageType = 2;
    c.averageBlocks = 4;
    c.blocks = 6;
    cases.push_back(c);
    c = Stereo("peak hold" + m, mode, 0);
    c.peakHold = 1;
    c.averageBlocks = 2;
    cases.push_back(c);
    c.name = "peak hold octave" + m;
    c.freqScale = 2;
    cases.push_back(c);
  }
  {
    ReferenceCase c = Stereo("linear 1000 mode 2", 2, 0);
    c.averageType = 1;
    c.averageBlocks = 1000;
    c.fftSize = 128;
    cases.push_back(c);
    c = Stereo("linear 2000 mode 2", 2, 0);
    c.averageType = 1;
    c.averageBlocks = 2000;
    cases.push_back(c);
    c = Stereo("infinite mode 2", 2, 0);
    c.averageBlocks = 1000000;
    cases.push_back(c);
    c = Stereo("linear 1 mode 2", 2, 0);
    c.averageType = 1;
    c.averageBlocks = 1;
    c.fftSize = 128;
    cases.push_back(c);
  }
  // Sample widths and decimation (filtered and not).
  {
    ReferenceCase c = Base("8 bit decimation 4");
    c.bytesPerSample = 1;
    c.decimation = 4;
    cases.push_back(c);
    c = Base("24 bit decimation 10");
    c.bytesPerSample = 3;
    c.decimation = 10;
    cases.push_back(c);
    c = Base("16 bit decimation 3 unfiltered");
    c.decimation = 3;
    c.lowPass = 0;
    cases.push_back(c);
    c = Stereo("decimation 10 mode 10", 10, 0);
    c.decimation = 10;
    cases.push_back(c);
    c = Stereo("decimation 2 mode 11 octave", 11, 2);
    c.decimation = 2;
    cases.push_back(c);
  }
  // Scaling: calibration with its unit offset, weighting, spectral density.
  for (uint16_t weighting : {1, 2, 3}) {
    ReferenceCase c = Stereo("weighting " + std::to_string(weighting), 2, 0);
    c.weighting = weighting;
    c.fftSize = 1024;
    cases.push_back(c);
  }
  {
    ReferenceCase c = Stereo("calibrated A octave mode 2", 2, 2);
    c.calibrated = true;
    c.weighting = 1;
    c.fftSize = 1024;
    cases.push_back(c);
    c = Stereo("calibrated linear amplitude mode 8", 8, 0);
    c.calibrated = true;
    c.ampScale = 0;
    c.impulse = true;
    cases.push_back(c);
    c = Base("density power");
    c.density = 1;
    cases.push_back(c);
    c = Base("density amplitude linear");
    c.density = 1;
    c.densityType = 1;
    c.ampScale = 0;
    cases.push_back(c);
    c = Base("1/12 octave 8192");
    c.freqScale = 2;
    c.octaveNumber = 12;
    c.fftSize = 8192;
    cases.push_back(c);
  }
  // FFT sizes: the plain transform (32), the smallest fast one, the sizes that recurse
  // depth first, the largest.
  for (int32_t n : {32, 128, 4096, 8192, 65536, 1048576}) {
    ReferenceCase c = Base("fft " + std::to_string(n));
    c.fftSize = n;
    c.blocks = n >= 65536 ? 2 : 4;
    c.impulse = n <= 8192;
    cases.push_back(c);
  }
  return cases;
}

void AddSpectrum(ReferenceRecord& record, const std::string& prefix, TSpectralData* spectrum,
                 bool full) {
  if (spectrum == nullptr) return;
  const uint32_t bins = spectrum->BinCount();
  std::vector<float> power(bins), complex(2 * size_t{bins}), values(spectrum->ValueCount());
  for (uint32_t i = 0; i < bins; ++i) {
    power[i] = spectrum->AveragePower(i);
    complex[2 * i] = spectrum->AverageReal(i);
    complex[2 * i + 1] = spectrum->AverageImag(i);
  }
  for (uint32_t i = 0; i < values.size(); ++i) values[i] = spectrum->Value(i);
  record.arrays.push_back(MakeArray(prefix + ".power", power, full));
  record.arrays.push_back(MakeArray(prefix + ".complex", complex, full));
  record.arrays.push_back(MakeArray(prefix + ".values", values, full));
  if (spectrum->BandCount() > 0) {
    std::vector<float> bands(spectrum->BandCount());
    for (uint32_t b = 0; b < bands.size(); ++b) bands[b] = spectrum->BandValue(b);
    record.arrays.push_back(MakeArray(prefix + ".bands", bands, full));
  }
  const std::vector<float> stats = {static_cast<float>(spectrum->PeakBin()),
                                    static_cast<float>(spectrum->AverageCount())};
  record.arrays.push_back(MakeArray(prefix + ".stats", stats, true));
}

ReferenceArray Hashed(const std::string& name, const std::vector<float>& data) {
  ReferenceArray a;
  a.name = name;
  a.length = static_cast<uint32_t>(data.size());
  a.hash = HashFloats(data.data(), data.size());
  a.stride = std::max<uint32_t>(1, a.length / kSampledValues);
  for (size_t i = 0; i < data.size(); i += a.stride) a.values.push_back(data[i]);
  return a;
}

// Deterministic transform input: uniform in [-1, 1).
std::vector<float> TransformInput(size_t count) {
  Noise noise(0x51f7ull);
  std::vector<float> data(count);
  for (float& v : data) v = static_cast<float>(noise.Next());
  return data;
}

}  // namespace

bool NeedsTolerance(const ReferenceCase& c) {
  return c.averageType == kAverageLinear && c.averageBlocks <= 1000;
}

const std::vector<ReferenceCase>& ReferenceCases() {
  static const std::vector<ReferenceCase> cases = BuildCases();
  return cases;
}

uint64_t HashFloats(const float* data, size_t count) {
  uint64_t hash = 0xcbf29ce484222325ull;
  for (size_t i = 0; i < count; ++i) {
    uint32_t bits;
    std::memcpy(&bits, &data[i], sizeof bits);
    for (int b = 0; b < 4; ++b) {
      hash ^= (bits >> (8 * b)) & 0xFFu;
      hash *= 0x100000001b3ull;
    }
  }
  return hash;
}

ReferenceArray MakeArray(const std::string& name, const std::vector<float>& data, bool full) {
  if (data.size() > (full ? kFullArrayLimit : kSampledValues)) return Hashed(name, data);
  ReferenceArray a;
  a.name = name;
  a.length = static_cast<uint32_t>(data.size());
  a.hash = HashFloats(data.data(), data.size());
  a.values = data;
  return a;
}

ReferenceRecord RunReferenceCase(const ReferenceCase& c, bool& ok) {
  ReferenceRecord record;
  record.caseName = c.name;
  ProcessingSettings settings;
  settings.format = MakeWaveFormat(c.channels, c.rateHz, c.bytesPerSample);
  settings.fftSize = c.fftSize;
  settings.decimationRatio = c.decimation;
  settings.lowPassFilter = c.lowPass;
  settings.smoothingWindow = c.window;
  settings.averageType = c.averageType;
  settings.averageBlocks = c.averageBlocks;
  settings.peakHold = c.peakHold;
  settings.channelProcessing = c.mode;
  ScalingSettings scaling;
  scaling.ampScale = c.ampScale;
  scaling.freqScale = c.freqScale;
  scaling.octaveNumber = c.octaveNumber;
  scaling.weighting = c.weighting;
  scaling.spectralDensity = c.density;
  scaling.spectralDensityType = c.densityType;
  TEngineObjects engine;
  ok = BuildEngineObjects(settings, scaling, engine);
  if (!ok) return record;
  if (c.calibrated) {
    TCalibration calibration = DefaultCalibration();
    calibration.enabled = 1;
    calibration.refUnits = kUnitSplAir;
    calibration.labelType = kRefRms;
    calibration.calRatioLeft = 3.5f;
    calibration.calRatioRight = 0.8f;
    ApplyCalibration(&calibration, engine);
  }
  ResetSpectra(engine);

  TSeriesData* series[2] = {engine.seriesLeft.get(), engine.seriesRight.get()};
  const WaveFormat& format = engine.settings.format;
  const uint32_t capacity = series[0]->Count();
  const size_t hop = size_t{static_cast<uint32_t>(c.fftSize)} * c.decimation / 2;
  std::vector<double> signal[2];
  MakeSignal(hop * (c.blocks - 1) + capacity, signal[0], signal[1]);
  std::vector<float> levels;
  for (uint32_t b = 0; b < c.blocks; ++b) {
    for (int ch = 0; ch < 2; ++ch) {
      TSeriesData* s = series[ch];
      if (s == nullptr) continue;
      const bool silent = ch == 1 && b == 0 && c.silentRightFirst;
      for (uint32_t i = 0; i < capacity; ++i) {
        s->PutSample(i, silent ? format.zeroValue : ToRaw(signal[ch][b * hop + i], format));
      }
      s->Decimate();
      levels.push_back(static_cast<float>(s->PeakLevel()));
    }
    ProcessBlock(engine);
  }

  const bool full = NeedsTolerance(c);
  AddSpectrum(record, "left", engine.left.get(), full);
  AddSpectrum(record, "right", engine.right.get(), full);
  AddSpectrum(record, "dual", engine.dual.get(), full);
  AddSpectrum(record, "dual2", engine.dual2.get(), full);
  for (int ch = 0; ch < 2; ++ch) {
    if (series[ch] == nullptr) continue;
    // The block the spectra are computed from; past it the buffer is the decimation's
    // scratch, which nothing reads.
    std::vector<float> raw(series[ch]->DecimatedCount());
    for (uint32_t i = 0; i < raw.size(); ++i) raw[i] = static_cast<float>(series[ch]->GetRaw(i));
    record.arrays.push_back(Hashed(ch == 0 ? "series.left.raw" : "series.right.raw", raw));
  }
  record.arrays.push_back(MakeArray("series.levels", levels, true));
  if (c.impulse) {
    TSpectralData* primary = engine.dual ? engine.dual.get() : engine.left.get();
    if (primary->Inverse()) {
      std::vector<float> h(primary->FftSize());
      for (uint32_t i = 0; i < h.size(); ++i) h[i] = primary->InverseSample(i);
      record.arrays.push_back(MakeArray("impulse", h, full));
    }
  }
  return record;
}

ReferenceRecord RunTransformCases() {
  ReferenceRecord record;
  record.caseName = "transforms";
  for (uint32_t log2 = 1; log2 <= 21; ++log2) {
    const uint32_t n = 1u << log2;
    const std::string size = std::to_string(n);
    std::vector<float> data = TransformInput(n);
    RealFft(data.data(), n, 1);
    record.arrays.push_back(Hashed("real.forward." + size, data));
    data = TransformInput(n);
    RealFft(data.data(), n, -1);
    record.arrays.push_back(Hashed("real.inverse." + size, data));
    if (log2 > 20) continue;
    data = TransformInput(2 * size_t{n});
    ComplexFft(data.data(), n, 1);
    record.arrays.push_back(Hashed("complex.forward." + size, data));
    data = TransformInput(2 * size_t{n});
    ComplexFft(data.data(), n, -1);
    record.arrays.push_back(Hashed("complex.inverse." + size, data));
  }
  return record;
}

// ---- file ----------------------------------------------------------------------------------

namespace {

constexpr char kMagic[8] = {'O', 'R', 'V', 'R', 'E', 'F', '0', '1'};
// Far above anything the table produces; guards the reader against a damaged file.
constexpr uint32_t kMaxCount = 1u << 24;

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void PutU64(std::vector<uint8_t>& out, uint64_t v) {
  for (int i = 0; i < 8; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void PutString(std::vector<uint8_t>& out, const std::string& s) {
  PutU32(out, static_cast<uint32_t>(s.size()));
  out.insert(out.end(), s.begin(), s.end());
}

class Reader {
 public:
  explicit Reader(const std::vector<uint8_t>& bytes) : bytes_(bytes) {}
  bool U32(uint32_t& v) {
    uint64_t w;
    if (!Bytes(4, w)) return false;
    v = static_cast<uint32_t>(w);
    return true;
  }
  bool U64(uint64_t& v) { return Bytes(8, v); }
  bool String(std::string& s) {
    uint32_t n;
    if (!U32(n) || n > bytes_.size() - at_) return false;
    s.assign(reinterpret_cast<const char*>(bytes_.data()) + at_, n);
    at_ += n;
    return true;
  }
  bool Float(float& f) {
    uint32_t bits;
    if (!U32(bits)) return false;
    std::memcpy(&f, &bits, sizeof f);
    return true;
  }
  bool Skip(size_t n) {
    if (n > bytes_.size() - at_) return false;
    at_ += n;
    return true;
  }
  size_t Position() const { return at_; }

 private:
  bool Bytes(int n, uint64_t& v) {
    if (static_cast<size_t>(n) > bytes_.size() - at_) return false;
    v = 0;
    for (int i = 0; i < n; ++i) v |= uint64_t{bytes_[at_ + i]} << (8 * i);
    at_ += n;
    return true;
  }
  const std::vector<uint8_t>& bytes_;
  size_t at_ = 0;
};

}  // namespace

bool WriteReferenceFile(const std::string& path, const std::vector<ReferenceRecord>& records) {
  std::vector<uint8_t> out(kMagic, kMagic + sizeof kMagic);
  PutU32(out, static_cast<uint32_t>(records.size()));
  for (const ReferenceRecord& r : records) {
    PutString(out, r.caseName);
    PutU32(out, static_cast<uint32_t>(r.arrays.size()));
    for (const ReferenceArray& a : r.arrays) {
      PutString(out, a.name);
      PutU32(out, a.length);
      PutU64(out, a.hash);
      PutU32(out, a.stride);
      PutU32(out, static_cast<uint32_t>(a.values.size()));
      for (float v : a.values) {
        uint32_t bits;
        std::memcpy(&bits, &v, sizeof bits);
        PutU32(out, bits);
      }
    }
  }
  const std::string temporary = path + ".part";
  std::FILE* f = std::fopen(temporary.c_str(), "wb");
  if (f == nullptr) return false;
  const bool written = std::fwrite(out.data(), 1, out.size(), f) == out.size();
  const bool closed = std::fclose(f) == 0;
  if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
    std::remove(temporary.c_str());
    return false;
  }
  return true;
}

bool ReadReferenceFile(const std::string& path, std::vector<ReferenceRecord>& records) {
  records.clear();
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> f(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!f) return false;
  std::vector<uint8_t> bytes;
  uint8_t chunk[65536];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, f.get())) > 0) {
    bytes.insert(bytes.end(), chunk, chunk + got);
  }
  if (bytes.size() < sizeof kMagic || std::memcmp(bytes.data(), kMagic, sizeof kMagic) != 0) {
    return false;
  }
  Reader in(bytes);
  uint32_t recordCount;
  if (!in.Skip(sizeof kMagic) || !in.U32(recordCount) || recordCount > kMaxCount) return false;
  for (uint32_t r = 0; r < recordCount; ++r) {
    ReferenceRecord record;
    uint32_t arrayCount;
    if (!in.String(record.caseName) || !in.U32(arrayCount) || arrayCount > kMaxCount) {
      return false;
    }
    for (uint32_t k = 0; k < arrayCount; ++k) {
      ReferenceArray a;
      uint32_t stored;
      if (!in.String(a.name) || !in.U32(a.length) || !in.U64(a.hash) || !in.U32(a.stride) ||
          !in.U32(stored) || stored > kMaxCount || a.stride == 0) {
        return false;
      }
      a.values.resize(stored);
      for (float& v : a.values) {
        if (!in.Float(v)) return false;
      }
      record.arrays.push_back(std::move(a));
    }
    records.push_back(std::move(record));
  }
  return in.Position() == bytes.size();
}

}  // namespace orvanix::reference
