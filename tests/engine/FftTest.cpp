// The transforms against a direct DFT in double precision, against the plain radix-2
// algorithm with recurrence twiddles, and on signals whose spectra are known in closed form.
#include "engine/Fft.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdint>
#include <limits>
#include <random>
#include <thread>
#include <utility>
#include <vector>

namespace orvanix {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kEps = std::numeric_limits<float>::epsilon();

std::vector<float> RandomReals(size_t count, uint32_t seed) {
  std::mt19937 generator(seed);
  std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
  std::vector<float> values(count);
  for (float& v : values) v = uniform(generator);
  return values;
}

double Rms(const std::vector<float>& values) {
  double sum = 0.0;
  for (float v : values) sum += double{v} * v;
  return std::sqrt(sum / static_cast<double>(values.size()));
}

unsigned Log2(uint32_t n) {
  unsigned bits = 0;
  while ((1u << bits) < n) ++bits;
  return bits;
}

// Largest |a[i] - b[i]| and where it is.
struct MaxError {
  double value = 0.0;
  size_t index = 0;
};
MaxError Compare(const std::vector<float>& actual, const std::vector<double>& expected) {
  MaxError worst;
  for (size_t i = 0; i < expected.size(); ++i) {
    const double e = std::abs(actual[i] - expected[i]);
    if (!(e <= worst.value)) worst = {e, i};
  }
  return worst;
}

// X(k) = sum x(j) e^(sign 2 pi i jk/n) over n complex points, in double.
std::vector<std::complex<double>> DirectDft(const std::vector<std::complex<double>>& x, int sign) {
  const size_t n = x.size();
  std::vector<std::complex<double>> roots(n);
  for (size_t m = 0; m < n; ++m) roots[m] = std::polar(1.0, sign * 2.0 * kPi * m / n);
  std::vector<std::complex<double>> result(n);
  for (size_t k = 0; k < n; ++k) {
    std::complex<double> sum = 0.0;
    for (size_t j = 0; j < n; ++j) sum += x[j] * roots[(j * k) % n];
    result[k] = sum;
  }
  return result;
}

// One bin of the forward DFT of real samples, in double.
std::complex<double> RealDftBin(const std::vector<float>& x, size_t k) {
  const size_t n = x.size();
  std::complex<double> sum = 0.0;
  for (size_t j = 0; j < n; ++j)
    sum += double{x[j]} * std::polar(1.0, -2.0 * kPi * ((j * k) % n) / n);
  return sum;
}

// What RealFft's forward layout must hold for these samples.
std::vector<double> ExpectedRealLayout(const std::vector<float>& x) {
  const size_t n = x.size();
  std::vector<std::complex<double>> z(x.begin(), x.end());
  const auto spectrum = DirectDft(z, -1);
  std::vector<double> layout(n);
  layout[0] = 2.0 * spectrum[0].real();
  layout[1] = 2.0 * spectrum[n / 2].real();
  for (size_t k = 1; k < n / 2; ++k) {
    layout[2 * k] = 2.0 * spectrum[k].real();
    layout[2 * k + 1] = 2.0 * spectrum[k].imag();
  }
  return layout;
}

// A float FFT's error grows with log2 n; per bin it scales with the bins' typical size,
// sqrt(n) times the input RMS for noise. The factor 2 is the real layout's.
double BinTolerance(uint32_t n, double inputRms) {
  return 2.0 * kEps * Log2(n) * std::sqrt(static_cast<double>(n)) * inputRms * 2.0;
}

// The plain algorithm the fast code must agree with: radix-2 decimation in frequency, twiddles
// by double-precision rotation, the classic bit-reversal loop, and the split step.
void PlainComplexFft(float* data, uint32_t n, int direction) {
  uint32_t stages = 0;
  for (uint32_t m = 1; m < n && stages < 20; m *= 2) ++stages;
  if (direction == -1) {
    const float scale = 1.0f / static_cast<float>(n);
    for (uint32_t i = 0; i < 2 * n; ++i) data[i] *= scale;
  }
  const double theta = 6.283185307179586 / n;
  double c = std::cos(theta), s = std::sin(theta);
  uint32_t span = n;
  for (uint32_t stage = 0; stage < stages; ++stage) {
    const uint32_t half = span / 2;
    for (uint32_t l = 0; l < n; l += span) {
      float* a = data + 2 * l;
      float* b = data + 2 * (l + half);
      const float ar = a[0], ai = a[1];
      a[0] = ar + b[0];
      a[1] = ai + b[1];
      b[0] = ar - b[0];
      b[1] = ai - b[1];
    }
    double wr = 1.0, wi = 0.0;
    for (uint32_t k = 1; k < half; ++k) {
      const double t = wr * c - wi * s;
      wi = wi * c + wr * s;
      wr = t;
      const double si = direction == -1 ? wi : -wi;
      for (uint32_t l = k; l < n; l += span) {
        float* a = data + 2 * l;
        float* b = data + 2 * (l + half);
        const double dr = a[0] - b[0], di = a[1] - b[1];
        a[0] += b[0];
        a[1] += b[1];
        b[0] = static_cast<float>(dr * wr - di * si);
        b[1] = static_cast<float>(dr * si + di * wr);
      }
    }
    const double s2 = 2.0 * s * c;
    c = 1.0 - 2.0 * s * s;
    s = s2;
    span = half;
  }
  uint32_t l = 0;
  for (uint32_t j = 0; j + 1 < n; ++j) {
    if (j < l) {
      std::swap(data[2 * j], data[2 * l]);
      std::swap(data[2 * j + 1], data[2 * l + 1]);
    }
    uint32_t k = n / 2;
    while (k >= 1 && k <= l) {
      l -= k;
      k /= 2;
    }
    l += k;
  }
}

void PlainRealFftForward(float* data, uint32_t n) {
  PlainComplexFft(data, n / 2, 1);
  const double c = std::sin(6.283185307179586 / n);
  const double d = std::sqrt(1.0 - c * c);
  const float e = data[0], f = data[1];
  data[1] = 2.0f * (e - f);
  data[0] = 2.0f * (e + f);
  double h = 1.0, s = 0.0;
  for (uint32_t i = 2; i <= n / 2; i += 2) {
    const uint32_t j = n - i;
    const double u = d * h - c * s;
    s = d * s + c * h;
    h = u;
    const double o = data[i] + data[j], r = data[i + 1] + data[j + 1];
    const double dr = data[i] - data[j], di = data[i + 1] - data[j + 1];
    const double a = r * u - s * dr, b = -r * s - u * dr;
    data[i] = static_cast<float>(o + a);
    data[j] = static_cast<float>(o - a);
    data[i + 1] = static_cast<float>(di + b);
    data[j + 1] = static_cast<float>(b - di);
  }
}

std::vector<double> ToDouble(const std::vector<float>& v) {
  return {v.begin(), v.end()};
}

TEST(RealFft, ForwardMatchesDirectDft) {
  for (uint32_t n : {2u, 4u, 8u, 32u, 64u, 128u, 256u, 1024u, 4096u}) {
    const std::vector<float> input = RandomReals(n, 1000 + n);
    std::vector<float> data = input;
    ASSERT_TRUE(RealFft(data.data(), n, 1));
    const MaxError error = Compare(data, ExpectedRealLayout(input));
    EXPECT_LE(error.value, BinTolerance(n, Rms(input)))
        << "n = " << n << ", position " << error.index;
  }
}

TEST(RealFft, ForwardSpotChecksOfLargeSizes) {
  for (uint32_t n : {65536u, 1u << 20}) {
    const std::vector<float> input = RandomReals(n, 7);
    std::vector<float> data = input;
    ASSERT_TRUE(RealFft(data.data(), n, 1));
    const double tolerance = BinTolerance(n, Rms(input));
    EXPECT_NEAR(data[0], 2.0 * RealDftBin(input, 0).real(), tolerance) << "n = " << n;
    EXPECT_NEAR(data[1], 2.0 * RealDftBin(input, n / 2).real(), tolerance) << "n = " << n;
    for (size_t k : {size_t{1}, size_t{3}, size_t{777}, size_t{n / 4}, size_t{n / 4 + 1},
                     size_t{n / 2 - 5}, size_t{n / 2 - 1}}) {
      const std::complex<double> bin = RealDftBin(input, k);
      EXPECT_NEAR(data[2 * k], 2.0 * bin.real(), tolerance) << "n = " << n << ", bin " << k;
      EXPECT_NEAR(data[2 * k + 1], 2.0 * bin.imag(), tolerance) << "n = " << n << ", bin " << k;
    }
  }
}

// The fast code must give what the plain algorithm gives, for every size in use.
TEST(RealFft, AgreesWithPlainAlgorithmAtEverySize) {
  for (uint32_t n = 32; n <= (1u << 20); n *= 2) {
    const std::vector<float> input = RandomReals(n, n);
    std::vector<float> fast = input;
    std::vector<float> plain = input;
    ASSERT_TRUE(RealFft(fast.data(), n, 1));
    PlainRealFftForward(plain.data(), n);
    const MaxError error = Compare(fast, ToDouble(plain));
    EXPECT_LE(error.value, BinTolerance(n, Rms(input)))
        << "n = " << n << ", position " << error.index;
  }
}

// A round trip alone would pass a transform that is wrong in both directions, which is why
// the forward direction is checked against the DFT above and the inverse below.
TEST(RealFft, ForwardThenInverseIsIdentityAtEverySize) {
  for (uint32_t n = 2; n <= (1u << 21); n *= 2) {
    const std::vector<float> input = RandomReals(n, 3 * n);
    std::vector<float> data = input;
    ASSERT_TRUE(RealFft(data.data(), n, 1));
    ASSERT_TRUE(RealFft(data.data(), n, -1));
    const MaxError error = Compare(data, ToDouble(input));
    EXPECT_LE(error.value, 4.0 * kEps * (Log2(n) + 1) * Rms(input))
        << "n = " << n << ", position " << error.index;
  }
}

TEST(RealFft, InverseMatchesDirectDft) {
  for (uint32_t n : {2u, 32u, 256u, 2048u}) {
    // A spectrum in the real layout; its samples are x(j) = (1/n) sum X(k) e^(+2 pi i jk/n)
    // over the Hermitian-symmetric full spectrum, with the layout holding 2 X.
    const std::vector<float> layout = RandomReals(n, 5 * n);
    std::vector<std::complex<double>> full(n);
    full[0] = layout[0] / 2.0;
    full[n / 2] = layout[1] / 2.0;
    for (size_t k = 1; k < n / 2; ++k) {
      full[k] = {layout[2 * k] / 2.0, layout[2 * k + 1] / 2.0};
      full[n - k] = std::conj(full[k]);
    }
    const auto samples = DirectDft(full, +1);
    std::vector<double> expected(n);
    for (size_t j = 0; j < n; ++j) expected[j] = samples[j].real() / n;
    std::vector<float> data = layout;
    ASSERT_TRUE(RealFft(data.data(), n, -1));
    const MaxError error = Compare(data, expected);
    EXPECT_LE(error.value, 4.0 * kEps * (Log2(n) + 1) * Rms(layout))
        << "n = " << n << ", position " << error.index;
  }
}

TEST(RealFft, ConstantAndAlternatingBlocks) {
  const uint32_t n = 4096;
  const float v = 0.75f;
  std::vector<float> constant(n, v);
  ASSERT_TRUE(RealFft(constant.data(), n, 1));
  EXPECT_NEAR(constant[0], 2.0 * n * v, 2.0 * n * v * 1e-6);
  for (size_t i = 1; i < n; ++i) ASSERT_NEAR(constant[i], 0.0, 1e-3) << "position " << i;

  std::vector<float> alternating(n);
  for (size_t i = 0; i < n; ++i) alternating[i] = i % 2 == 0 ? v : -v;
  ASSERT_TRUE(RealFft(alternating.data(), n, 1));
  EXPECT_NEAR(alternating[1], 2.0 * n * v, 2.0 * n * v * 1e-6);
  EXPECT_NEAR(alternating[0], 0.0, 1e-3);
  for (size_t i = 2; i < n; ++i) ASSERT_NEAR(alternating[i], 0.0, 1e-3) << "position " << i;
}

TEST(RealFft, DiracGivesAPureLinearPhase) {
  const uint32_t n = 1024;
  const size_t at = 5;
  std::vector<float> data(n, 0.0f);
  data[at] = 1.0f;
  ASSERT_TRUE(RealFft(data.data(), n, 1));
  EXPECT_NEAR(data[0], 2.0, 1e-6);
  EXPECT_NEAR(data[1], at % 2 == 0 ? 2.0 : -2.0, 1e-6);
  for (size_t k = 1; k < n / 2; ++k) {
    const double angle = -2.0 * kPi * static_cast<double>(k * at) / n;
    ASSERT_NEAR(data[2 * k], 2.0 * std::cos(angle), 1e-5) << "bin " << k;
    ASSERT_NEAR(data[2 * k + 1], 2.0 * std::sin(angle), 1e-5) << "bin " << k;
  }
}

TEST(RealFft, SineOnABinCentreFillsOneBin) {
  const uint32_t n = 8192;
  const size_t bin = 100;
  const double amplitude = 0.5;
  std::vector<float> data(n);
  for (size_t j = 0; j < n; ++j) {
    data[j] =
        static_cast<float>(amplitude * std::sin(2.0 * kPi * static_cast<double>(bin * j) / n));
  }
  ASSERT_TRUE(RealFft(data.data(), n, 1));
  // X(bin) = -i A n / 2, and the layout holds twice that.
  EXPECT_NEAR(data[2 * bin], 0.0, 1e-2);
  EXPECT_NEAR(data[2 * bin + 1], -amplitude * n, amplitude * n * 1e-5);
  double leakage = 0.0;
  for (size_t k = 0; k < n / 2; ++k) {
    if (k == bin) continue;
    leakage = std::max({leakage, std::abs(double{data[2 * k]}), std::abs(double{data[2 * k + 1]})});
  }
  EXPECT_LE(leakage, 1e-2);
}

TEST(ComplexFft, BothDirectionsMatchDirectDft) {
  for (uint32_t n : {1u, 2u, 4u, 8u, 16u, 32u, 64u, 128u, 256u, 1024u, 4096u}) {
    std::mt19937 generator(n);
    std::uniform_real_distribution<double> uniform(-1.0, 1.0);
    std::vector<std::complex<double>> x(n);
    std::vector<float> interleaved(2 * n);
    for (size_t j = 0; j < n; ++j) {
      interleaved[2 * j] = static_cast<float>(uniform(generator));
      interleaved[2 * j + 1] = static_cast<float>(uniform(generator));
      x[j] = {interleaved[2 * j], interleaved[2 * j + 1]};
    }
    const double rms = Rms(interleaved);
    for (int direction : {1, -1}) {
      const auto spectrum = DirectDft(x, direction == 1 ? -1 : +1);
      const double divisor = direction == 1 ? 1.0 : static_cast<double>(n);
      std::vector<double> expected(2 * n);
      for (size_t k = 0; k < n; ++k) {
        expected[2 * k] = spectrum[k].real() / divisor;
        expected[2 * k + 1] = spectrum[k].imag() / divisor;
      }
      std::vector<float> data = interleaved;
      ASSERT_TRUE(ComplexFft(data.data(), n, direction));
      const double tolerance =
          4.0 * kEps * (Log2(n) + 1) * std::sqrt(static_cast<double>(n)) * rms / divisor;
      const MaxError error = Compare(data, expected);
      EXPECT_LE(error.value, tolerance)
          << "n = " << n << ", direction " << direction << ", position " << error.index;
    }
  }
}

TEST(ComplexFft, AgreesWithPlainAlgorithmAtEverySize) {
  for (uint32_t n = 1; n <= (1u << 20); n *= 2) {
    const std::vector<float> input = RandomReals(2 * size_t{n}, n + 5);
    for (int direction : {1, -1}) {
      std::vector<float> fast = input;
      std::vector<float> plain = input;
      ASSERT_TRUE(ComplexFft(fast.data(), n, direction));
      PlainComplexFft(plain.data(), n, direction);
      const double divisor = direction == 1 ? 1.0 : static_cast<double>(n);
      const double tolerance =
          2.0 * kEps * (Log2(n) + 1) * std::sqrt(static_cast<double>(n)) * Rms(input) / divisor;
      const MaxError error = Compare(fast, ToDouble(plain));
      EXPECT_LE(error.value, tolerance)
          << "n = " << n << ", direction " << direction << ", position " << error.index;
    }
  }
}

TEST(ComplexFft, ForwardThenInverseIsIdentityAtEverySize) {
  for (uint32_t n = 1; n <= (1u << 20); n *= 2) {
    const std::vector<float> input = RandomReals(2 * size_t{n}, n + 17);
    std::vector<float> data = input;
    ASSERT_TRUE(ComplexFft(data.data(), n, 1));
    ASSERT_TRUE(ComplexFft(data.data(), n, -1));
    const MaxError error = Compare(data, ToDouble(input));
    EXPECT_LE(error.value, 4.0 * kEps * (Log2(n) + 1) * Rms(input))
        << "n = " << n << ", position " << error.index;
  }
}

// Runs `check` once with every vector kernel this build and processor can run (the scalar
// one always), restoring the chosen kernel afterwards.
template <typename Check>
void ForEachKernel(Check check) {
  const FftKernel active = ActiveFftKernel();
  for (FftKernel kernel :
       {FftKernel::kScalar, FftKernel::kPortable, FftKernel::kSse2, FftKernel::kAvx2}) {
    if (!SelectFftKernel(kernel)) continue;
    SCOPED_TRACE(FftKernelName(kernel));
    check();
  }
  SelectFftKernel(active);
}

// Values written around the array must survive every size and direction with every
// kernel: an overrun or a stray write in any pass would change them.
TEST(Transforms, NeverWriteOutsideTheArray) {
  ForEachKernel([] {
    constexpr size_t kGuard = 64;
    constexpr float kSentinel = -12345.5f;
    for (uint32_t n = 2; n <= (1u << 20); n *= 2) {
      for (int direction : {1, -1}) {
        for (bool complex : {false, true}) {
          const size_t floats = complex ? 2 * size_t{n} : n;
          std::vector<float> buffer(floats + 2 * kGuard, kSentinel);
          const std::vector<float> input = RandomReals(floats, n);
          std::copy(input.begin(), input.end(), buffer.begin() + kGuard);
          float* data = buffer.data() + kGuard;
          ASSERT_TRUE(complex ? ComplexFft(data, n, direction) : RealFft(data, n, direction));
          for (size_t g = 0; g < kGuard; ++g) {
            ASSERT_EQ(buffer[g], kSentinel) << "before, n = " << n << ", direction " << direction
                                            << (complex ? ", complex" : ", real");
            ASSERT_EQ(buffer[kGuard + floats + g], kSentinel)
                << "after, n = " << n << ", direction " << direction
                << (complex ? ", complex" : ", real");
          }
        }
      }
    }
  });
}

// The scaled forward transform is the plain one followed by the multiplications, to the
// bit, with every kernel and at every size (below, at and above the sizes where the bins
// go through a second array).
TEST(RealFftScaled, EqualsTheTransformThenTheBinScaling) {
  ForEachKernel([] {
    for (uint32_t n = 2; n <= (1u << 21); n *= 2) {
      const std::vector<float> input = RandomReals(n, n + 7);
      const std::vector<float> scale = RandomReals(n / 2, n + 8);
      std::vector<float> expected = input;
      ASSERT_TRUE(RealFft(expected.data(), n, 1));
      for (uint32_t k = 0; k < n / 2; ++k) {
        expected[2 * k] *= scale[k];
        expected[2 * k + 1] *= scale[k];
      }
      std::vector<float> actual = input;
      ASSERT_TRUE(RealFftScaled(actual.data(), n, scale.data()));
      ASSERT_EQ(actual, expected) << "n = " << n;
    }
  });
  std::vector<float> data = RandomReals(64, 3);
  const std::vector<float> before = data;
  EXPECT_FALSE(RealFftScaled(data.data(), 64, nullptr));
  EXPECT_FALSE(RealFftScaled(data.data(), 48, before.data()));
  EXPECT_EQ(data, before);
}

// Every kernel gives the same bits, signs of zeros included, on inputs where exact zeros
// meet: all zeros, one impulse, a constant (the stored reference output uses noise only).
TEST(FftKernels, AgreeToTheBitOnZerosImpulsesAndConstants) {
  std::vector<std::vector<float>> first;  // results of the first kernel, in order
  bool recording = true;
  size_t at = 0;
  ForEachKernel([&] {
    for (uint32_t n = 2; n <= (1u << 16); n *= 2) {
      for (int shape = 0; shape < 3; ++shape) {
        std::vector<float> input(2 * size_t{n}, shape == 2 ? 0.5f : 0.0f);
        if (shape == 1) input[3] = 1.0f;
        for (int transform = 0; transform < 3; ++transform) {
          std::vector<float> data = input;
          if (transform == 0) ASSERT_TRUE(RealFft(data.data(), n, 1));
          if (transform == 1) ASSERT_TRUE(RealFft(data.data(), n, -1));
          if (transform == 2) ASSERT_TRUE(ComplexFft(data.data(), n, -1));
          if (recording) {
            first.push_back(data);
            continue;
          }
          const std::vector<float>& expected = first[at++];
          for (size_t i = 0; i < data.size(); ++i) {
            ASSERT_EQ(std::signbit(data[i]), std::signbit(expected[i]))
                << "n " << n << " shape " << shape << " transform " << transform << " [" << i
                << "]";
            ASSERT_EQ(data[i], expected[i]);
          }
        }
      }
    }
    recording = false;
    at = 0;
  });
}

TEST(FftKernels, ScalarAlwaysThereAndUnavailableOnesRefused) {
  const FftKernel active = ActiveFftKernel();
  EXPECT_TRUE(FftKernelAvailable(FftKernel::kScalar));
  EXPECT_TRUE(FftKernelAvailable(active));
  for (FftKernel kernel : {FftKernel::kPortable, FftKernel::kSse2, FftKernel::kAvx2}) {
    if (FftKernelAvailable(kernel)) continue;
    EXPECT_FALSE(SelectFftKernel(kernel)) << FftKernelName(kernel);
    EXPECT_EQ(ActiveFftKernel(), active);
  }
#if defined(__x86_64__)
  EXPECT_TRUE(FftKernelAvailable(FftKernel::kSse2));
  EXPECT_NE(active, FftKernel::kScalar) << "x86-64 always has a vector kernel";
#endif
}

TEST(Transforms, RefuseUnsupportedArgumentsAndLeaveDataAlone) {
  std::vector<float> data = RandomReals(64, 1);
  const std::vector<float> before = data;
  EXPECT_FALSE(RealFft(data.data(), 0, 1));
  EXPECT_FALSE(RealFft(data.data(), 1, 1));
  EXPECT_FALSE(RealFft(data.data(), 48, 1));
  EXPECT_FALSE(RealFft(data.data(), 1u << 22, 1));
  EXPECT_FALSE(RealFft(data.data(), 64, 0));
  EXPECT_FALSE(RealFft(data.data(), 64, 2));
  EXPECT_FALSE(RealFft(nullptr, 64, 1));
  EXPECT_FALSE(ComplexFft(data.data(), 0, 1));
  EXPECT_FALSE(ComplexFft(data.data(), 24, -1));
  EXPECT_FALSE(ComplexFft(data.data(), 1u << 21, 1));
  EXPECT_FALSE(ComplexFft(data.data(), 32, -2));
  EXPECT_FALSE(ComplexFft(nullptr, 32, 1));
  EXPECT_EQ(data, before);
}

// The first use of a size builds its tables; threads racing to it must all get the same,
// complete tables.
TEST(Transforms, FirstUseFromSeveralThreadsAgrees) {
  // ctest runs each test in its own process, where this is the first use of the size. The
  // small size goes through each thread's own second array.
  for (uint32_t n : {1u << 21, 4096u}) {
    const std::vector<float> input = RandomReals(n, 99);
    std::vector<std::vector<float>> results(4, input);
    std::vector<std::thread> threads;
    for (auto& result : results) {
      threads.emplace_back([&result, n] { RealFft(result.data(), n, 1); });
    }
    for (auto& thread : threads) thread.join();
    for (size_t t = 1; t < results.size(); ++t) EXPECT_EQ(results[t], results[0]) << "thread " << t;
    const double tolerance = BinTolerance(n, Rms(input));
    for (size_t k : {size_t{1}, size_t{n / 5}, size_t{n / 4}, size_t{n / 2 - 1}}) {
      const std::complex<double> bin = RealDftBin(input, k);
      EXPECT_NEAR(results[0][2 * k], 2.0 * bin.real(), tolerance) << "bin " << k;
      EXPECT_NEAR(results[0][2 * k + 1], 2.0 * bin.imag(), tolerance) << "bin " << k;
    }
  }
}

TEST(TFft, AcceptsPowersOfTwoFrom32To65536) {
  for (uint32_t n = 32; n <= 65536; n *= 2) {
    const TFft fft(n);
    EXPECT_FALSE(fft.Error()) << n;
    EXPECT_EQ(fft.Size(), n);
  }
  for (uint32_t n : {0u, 16u, 31u, 48u, 1000u, 131072u, 1u << 20}) {
    const TFft fft(n);
    EXPECT_TRUE(fft.Error()) << n;
    EXPECT_EQ(fft.Size(), 512u) << n;
  }
}

TEST(TFft, BothForwardOperationsRunTheRealTransform) {
  const uint32_t n = 256;
  const std::vector<float> input = RandomReals(n, 4);
  std::vector<float> expected = input;
  ASSERT_TRUE(RealFft(expected.data(), n, 1));
  const TFft fft(n);
  std::vector<float> a = input, b = input;
  fft.Forward(a.data());
  fft.RealForward(b.data());
  EXPECT_EQ(a, expected);
  EXPECT_EQ(b, expected);

  // A failed object was not built for the caller's array, so it must not touch it.
  const TFft failed(100);
  std::vector<float> small = RandomReals(100, 5);
  const std::vector<float> before = small;
  failed.Forward(small.data());
  failed.RealForward(small.data());
  EXPECT_EQ(small, before);
}

}  // namespace
}  // namespace orvanix
