// RealFft against FFTW's single-precision real-to-complex transform, and against the
// plain radix-2 algorithm with recurrence twiddles that the fast code replaced.
// Read the ratio of BM_RealFft/N to BM_Fftw/N, or the "ratio" counter of BM_PairedForward/N
// and BM_PairedInverse/N, measured in the same loop.
#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <random>
#include <utility>
#include <vector>

#include "engine/Fft.h"

namespace {

// Plain radix-2 decimation in frequency: twiddles by double-precision rotation, no
// table, then the classic bit-reversal swap loop. Kept here only for comparison.
void PlainComplexFft(float* data, uint32_t n, int direction) {
  uint32_t stages = 0;
  for (uint32_t m = 1; m < n && stages < 20; m *= 2) ++stages;
  if (direction == -1) {
    const float scale = 1.0f / static_cast<float>(n);
    for (uint32_t i = 0; i < 2 * n; ++i) data[i] *= scale;
  }
  const double theta = 6.283185307179586 / n;
  double c = std::cos(theta);
  double s = std::sin(theta);
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
    if (stage + 1 < stages) {
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

// Forward only: complex transform of n/2 points, then the split step with gain 2.
void PlainRealFft(float* data, uint32_t n) {
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
    const double a = r * u - s * dr;
    const double b = -r * s - u * dr;
    data[i] = static_cast<float>(o + a);
    data[j] = static_cast<float>(o - a);
    data[i + 1] = static_cast<float>(di + b);
    data[j + 1] = static_cast<float>(b - di);
  }
}

std::vector<float> RandomBlock(uint32_t n) {
  std::mt19937 generator(12345);
  std::uniform_real_distribution<float> uniform(-1.0f, 1.0f);
  std::vector<float> block(n);
  for (float& v : block) v = uniform(generator);
  return block;
}

// The in-place transforms overwrite their input, so every iteration restores it first;
// the copy is counted against us (FFTW below runs out of place with no copy).
void BM_RealFft(benchmark::State& state) {
  const auto n = static_cast<uint32_t>(state.range(0));
  const std::vector<float> source = RandomBlock(n);
  std::vector<float> data(n);
  for (auto _ : state) {
    std::memcpy(data.data(), source.data(), n * sizeof(float));
    orvanix::RealFft(data.data(), n, 1);
    benchmark::DoNotOptimize(data.data());
    benchmark::ClobberMemory();
  }
}

void BM_PlainRealFft(benchmark::State& state) {
  const auto n = static_cast<uint32_t>(state.range(0));
  const std::vector<float> source = RandomBlock(n);
  std::vector<float> data(n);
  for (auto _ : state) {
    std::memcpy(data.data(), source.data(), n * sizeof(float));
    PlainRealFft(data.data(), n);
    benchmark::DoNotOptimize(data.data());
    benchmark::ClobberMemory();
  }
}

void BM_Fftw(benchmark::State& state) {
  const auto n = static_cast<uint32_t>(state.range(0));
  float* in = fftwf_alloc_real(n);
  fftwf_complex* out = fftwf_alloc_complex(n / 2 + 1);
  // Planning with FFTW_MEASURE overwrites the arrays, so the input is filled afterwards.
  fftwf_plan plan = fftwf_plan_dft_r2c_1d(static_cast<int>(n), in, out, FFTW_MEASURE);
  const std::vector<float> source = RandomBlock(n);
  std::memcpy(in, source.data(), n * sizeof(float));
  for (auto _ : state) {
    fftwf_execute(plan);
    benchmark::DoNotOptimize(out);
    benchmark::ClobberMemory();
  }
  fftwf_destroy_plan(plan);
  fftwf_free(out);
  fftwf_free(in);
}

// ---- paired measurements -------------------------------------------------------------------
// On a machine shared with other work, times measured minutes apart move by tens of
// percent. These benchmarks alternate batches of our transform and FFTW's in the same
// loop, each batch timed in thread CPU time, and report the median of the per-round ratios
// (counter "ratio"; below 1.2 is the goal) and of the per-call times ("ours_ns", "fftw_ns").

double ThreadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

template <typename F>
double TimeBatch(F&& call, int count) {
  const double start = ThreadSeconds();
  for (int i = 0; i < count; ++i) call();
  return ThreadSeconds() - start;
}

double Median(std::vector<double> v) {
  if (v.empty()) return 0.0;
  std::nth_element(v.begin(), v.begin() + v.size() / 2, v.end());
  return v[v.size() / 2];
}

// Calls per batch: about 100 microseconds of work, at least one call.
int BatchCalls(uint32_t n) {
  return std::max(1, static_cast<int>(400000 / n));
}

template <typename Ours, typename Theirs>
void RunPaired(benchmark::State& state, uint32_t n, Ours&& ours, Theirs&& theirs) {
  const int calls = BatchCalls(n);
  std::vector<double> ratios, oursTimes, theirTimes;
  bool oursFirst = true;
  for (auto _ : state) {
    double a, b;
    if (oursFirst) {
      a = TimeBatch(ours, calls);
      b = TimeBatch(theirs, calls);
    } else {
      b = TimeBatch(theirs, calls);
      a = TimeBatch(ours, calls);
    }
    oursFirst = !oursFirst;
    if (a > 0.0 && b > 0.0) {
      ratios.push_back(a / b);
      oursTimes.push_back(a / calls * 1e9);
      theirTimes.push_back(b / calls * 1e9);
    }
  }
  state.counters["ratio"] = Median(ratios);
  state.counters["ours_ns"] = Median(oursTimes);
  state.counters["fftw_ns"] = Median(theirTimes);
}

// Forward: ours restores its input and transforms in place; FFTW transforms out of place.
void BM_PairedForward(benchmark::State& state) {
  const auto n = static_cast<uint32_t>(state.range(0));
  const std::vector<float> source = RandomBlock(n);
  std::vector<float> data(n);
  float* in = fftwf_alloc_real(n);
  fftwf_complex* out = fftwf_alloc_complex(n / 2 + 1);
  fftwf_plan plan = fftwf_plan_dft_r2c_1d(static_cast<int>(n), in, out, FFTW_MEASURE);
  std::memcpy(in, source.data(), n * sizeof(float));
  RunPaired(
      state, n,
      [&] {
        std::memcpy(data.data(), source.data(), n * sizeof(float));
        orvanix::RealFft(data.data(), n, 1);
        benchmark::DoNotOptimize(data.data());
      },
      [&] {
        fftwf_execute(plan);
        benchmark::DoNotOptimize(out);
      });
  fftwf_destroy_plan(plan);
  fftwf_free(out);
  fftwf_free(in);
}

// Inverse: both restore their input every call (FFTW's complex-to-real transform
// overwrites it, ours works in place).
void BM_PairedInverse(benchmark::State& state) {
  const auto n = static_cast<uint32_t>(state.range(0));
  std::vector<float> spectrum = RandomBlock(n);
  orvanix::RealFft(spectrum.data(), n, 1);
  std::vector<float> data(n);
  fftwf_complex* in = fftwf_alloc_complex(n / 2 + 1);
  float* out = fftwf_alloc_real(n);
  fftwf_plan plan = fftwf_plan_dft_c2r_1d(static_cast<int>(n), in, out, FFTW_MEASURE);
  // The same spectrum in FFTW's layout: bins 0 ... n/2, half our scale.
  std::vector<float> theirs(n + 2, 0.0f);
  theirs[0] = 0.5f * spectrum[0];
  theirs[n] = 0.5f * spectrum[1];
  for (uint32_t k = 1; k < n / 2; ++k) {
    theirs[2 * k] = 0.5f * spectrum[2 * k];
    theirs[2 * k + 1] = 0.5f * spectrum[2 * k + 1];
  }
  RunPaired(
      state, n,
      [&] {
        std::memcpy(data.data(), spectrum.data(), n * sizeof(float));
        orvanix::RealFft(data.data(), n, -1);
        benchmark::DoNotOptimize(data.data());
      },
      [&] {
        std::memcpy(in, theirs.data(), (n + 2) * sizeof(float));
        fftwf_execute(plan);
        benchmark::DoNotOptimize(out);
      });
  fftwf_destroy_plan(plan);
  fftwf_free(out);
  fftwf_free(in);
}

void Sizes(benchmark::internal::Benchmark* b) {
  for (int64_t n : {1024, 4096, 65536, 1048576}) b->Arg(n);
}

BENCHMARK(BM_RealFft)->Apply(Sizes);
BENCHMARK(BM_Fftw)->Apply(Sizes);
BENCHMARK(BM_PlainRealFft)->Apply(Sizes);
BENCHMARK(BM_PairedForward)->Apply(Sizes);
BENCHMARK(BM_PairedInverse)->Apply(Sizes);

}  // namespace
