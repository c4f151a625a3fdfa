#include "generator/NoiseMaker.h"

#include <cmath>
#include <complex>
#include <numbers>

#include "generator/NoiseResource.h"

namespace orvanix {

namespace {

using Complex = std::complex<double>;

constexpr uint32_t kResourceRate = 44100;

// splitmix64: a fixed, fully specified sequence (the standard distributions are not
// specified bit for bit across libraries).
class TSplitMix {
 public:
  explicit TSplitMix(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in [0, 1).
  double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }

 private:
  uint64_t state_;
};

// In-place radix-2 transform of a power-of-two size; sign -1 forward, +1 inverse (unscaled).
void Radix2(std::vector<Complex>& a, int sign) {
  const size_t n = a.size();
  for (size_t i = 1, j = 0; i < n; ++i) {
    size_t bit = n >> 1;
    for (; j & bit; bit >>= 1) j ^= bit;
    j ^= bit;
    if (i < j) std::swap(a[i], a[j]);
  }
  for (size_t len = 2; len <= n; len <<= 1) {
    const double angle = sign * 2.0 * std::numbers::pi / static_cast<double>(len);
    for (size_t start = 0; start < n; start += len) {
      for (size_t k = 0; k < len / 2; ++k) {
        // Twiddles computed directly, not by recurrence: exact to rounding at every size.
        const Complex w = std::polar(1.0, angle * static_cast<double>(k));
        const Complex u = a[start + k];
        const Complex v = a[start + k + len / 2] * w;
        a[start + k] = u + v;
        a[start + k + len / 2] = u - v;
      }
    }
  }
}

// DFT of any size by Bluestein's chirp: X[k] = sum x[n] e^(sign 2 pi i n k / N), unscaled.
std::vector<Complex> Dft(const std::vector<Complex>& x, int sign) {
  const size_t n = x.size();
  size_t m = 1;
  while (m < 2 * n - 1) m <<= 1;
  // c[j] = e^(sign pi i j^2 / N); j^2 is reduced modulo 2N, the chirp's period, to keep
  // the angle exact for large j.
  std::vector<Complex> chirp(n);
  for (size_t j = 0; j < n; ++j) {
    const uint64_t q = (static_cast<uint64_t>(j) * j) % (2 * static_cast<uint64_t>(n));
    chirp[j] = std::polar(1.0, sign * std::numbers::pi * static_cast<double>(q) / n);
  }
  std::vector<Complex> a(m), b(m);
  for (size_t j = 0; j < n; ++j) a[j] = x[j] * chirp[j];
  b[0] = std::conj(chirp[0]);
  for (size_t j = 1; j < n; ++j) b[j] = b[m - j] = std::conj(chirp[j]);
  Radix2(a, -1);
  Radix2(b, -1);
  for (size_t j = 0; j < m; ++j) a[j] *= b[j];
  Radix2(a, +1);
  std::vector<Complex> out(n);
  for (size_t k = 0; k < n; ++k) out[k] = a[k] * chirp[k] / static_cast<double>(m);
  return out;
}

void Put16(std::vector<uint8_t>& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v & 0xFF));
  out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>((v >> (8 * i)) & 0xFF));
}
void PutTag(std::vector<uint8_t>& out, const char* tag) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(tag[i]));
}

}  // namespace

std::vector<int16_t> MakeNoiseSamples(NoiseColour colour) {
  const bool pink = colour == NoiseColour::Pink;
  const uint32_t samples = pink ? kPinkNoiseSamples : kWhiteNoiseSamples;
  const uint32_t period = NoiseLoopLength(samples);
  TSplitMix random(pink ? 0x70696E6B6E6F6973ull : 0x7768697465736565ull);

  // One period's spectrum: bins 1 ... period/2 - 1 with their magnitude and a random phase,
  // the mirror bins conjugate so that the period is real. DC and Nyquist stay 0.
  std::vector<Complex> spectrum(period);
  const double binHz = static_cast<double>(kResourceRate) / period;
  for (uint32_t k = 1; k < period / 2; ++k) {
    const double hz = k * binHz;
    double magnitude = 1.0;
    if (pink) magnitude = hz < kPinkLowHz ? 0.0 : 1.0 / std::sqrt(hz);
    const double phase = 2.0 * std::numbers::pi * random.Uniform();
    spectrum[k] = std::polar(magnitude, phase);
    spectrum[period - k] = std::conj(spectrum[k]);
  }
  const std::vector<Complex> wave = Dft(spectrum, +1);

  double peak = 0.0;
  for (const Complex& v : wave) peak = std::max(peak, std::fabs(v.real()));
  const double scale = peak > 0.0 ? 32767.0 * std::pow(10.0, kNoisePeakDb / 20.0) / peak : 0.0;
  std::vector<int16_t> out(samples);
  for (uint32_t i = 0; i < samples; ++i) {
    out[i] = static_cast<int16_t>(std::lround(wave[i % period].real() * scale));
  }
  return out;
}

std::vector<uint8_t> MakeNoiseWave(NoiseColour colour) {
  const std::vector<int16_t> samples = MakeNoiseSamples(colour);
  const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
  std::vector<uint8_t> out;
  out.reserve(44 + dataBytes);
  PutTag(out, "RIFF");
  Put32(out, 36 + dataBytes);
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  Put32(out, 16);
  Put16(out, 1);  // PCM
  Put16(out, 1);  // mono
  Put32(out, kResourceRate);
  Put32(out, kResourceRate * 2);
  Put16(out, 2);   // block align
  Put16(out, 16);  // bits
  PutTag(out, "data");
  Put32(out, dataBytes);
  for (int16_t s : samples) Put16(out, static_cast<uint16_t>(s));
  return out;
}

}  // namespace orvanix
