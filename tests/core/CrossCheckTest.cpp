// The analyzer's numbers checked against tools that share none of its code: SciPy's Welch
// estimate and numpy's FFT (tests/tools/welch.py, reading the WAV files with Python's own
// `wave` module), sox's level statistics, the IEC A-weighting formula, and closed forms.
// Every test makes its own input (with sox, or with the exact writer below), runs the real
// analyzer core over it in Post-Processing mode to the end of the file, and compares.
//
// How a displayed bin relates to SciPy's 'spectrum' power. Our block is x[n] (raw sample
// minus zero), windowed by w[n] * c with w the symmetric Hanning window and c = 10^0.315 the
// window's amplitude factor. The forward real transform returns 2 X(k), X(k) = sum x w c
// e^(-2 pi i k n / N), and every bin is scaled by 1 / (N * FS) with FS = (max - min) / 2 of
// the sample format (formats run from -max to max: 32767 for 16 bits, 8388607 for 24), so
// the stored power of one block is
//     q(k) = 4 c^2 |Xw(k)|^2 / (N FS)^2,     Xw(k) = sum x[n] w[n] e^(-2 pi i k n / N).
// "Infinite" exponential averaging is the plain mean of q over the blocks, and the linear
// display shows V(k) = 100 sqrt(mean q(k)) percent of full scale.
// scipy.signal.welch(scaling='spectrum', window=hann(N, sym), detrend=False) returns for
// 0 < k < N/2 the one-sided power Pxx(k) = 2 mean |Xw(k)|^2 / S1^2 with S1 = sum w =
// (N - 1) / 2 (raw sample units squared). Eliminating mean |Xw|^2:
//     V(k) = 100 * sqrt(2 Pxx(k)) / FS * c * S1 / N = 100 * sqrt(2 Pxx(k)) / FS * R,
//     R = 10^0.315 * (N - 1) / (2 N)   (1.0324380 for N = 4096).
// sqrt(2 Pxx) is the peak amplitude of a sine on a bin centre, so R is exactly the factor by
// which the window's amplitude correction overstates such a tone: 10^0.315 instead of
// 1 / mean(w) = 2 N / (N - 1) (the 103.3 % reading of a full-scale tone).
#include <gtest/gtest.h>
#include <stdio.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <numbers>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

#include "app/core/AnalyzerCore.h"
#include "engine/Calibration.h"
#include "engine/ProcessingStep.h"
#include "engine/Smoothing.h"
#include "engine/SpectralData.h"
#include "engine/Weighting.h"
#include "files/CalibrationFile.h"
#include "files/ConfigTexts.h"
#include "files/WaveFile.h"
#include "tests/core/CoreTestSupport.h"

namespace orvanix {
namespace {

constexpr uint32_t kRate = 48000;
constexpr uint32_t kN = 4096;
constexpr uint32_t kBins = kN / 2;
// The Hanning window's correction exponents (amplitude, energy) and its power factor.
const double kAmplitudeFactor = std::pow(10.0, 0.315);
const double kHanningPowerFactor = std::pow(10.0, -0.204);
constexpr const char* kEnergyExponentText = "0.213";

// ---- outside tools ------------------------------------------------------------------------

std::string Capture(const std::string& command) {
  std::string out;
  if (FILE* pipe = ::popen(command.c_str(), "r")) {
    char buffer[65536];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    ::pclose(pipe);
  }
  return out;
}

// An interpreter that has numpy and SciPy: Debian's python3-scipy belongs to the system
// interpreter, which a python3 earlier on the PATH (a version manager's) may not see.
const std::string& Python() {
  static const std::string found = [] {
    for (const char* candidate : {"/usr/bin/python3", "python3"}) {
      const std::string probe =
          std::string(candidate) + " -c 'import numpy, scipy.signal' >/dev/null 2>&1";
      if (std::system(probe.c_str()) == 0) return std::string(candidate);
    }
    return std::string();
  }();
  return found;
}

bool HaveSox() {
  static const bool found = std::system("sox --version >/dev/null 2>&1") == 0;
  return found;
}

std::string Script() {
  return std::string(ORVANIX_SOURCE_DIR) + "/tests/tools/welch.py";
}

std::string RunScript(const std::string& arguments) {
  return Capture(Python() + " " + Script() + " " + arguments + " 2>&1");
}

bool RunSox(const std::string& arguments) {
  return std::system(("sox " + arguments + " 2>/dev/null").c_str()) == 0;
}

#define REQUIRE_PYTHON() \
  if (Python().empty()) GTEST_SKIP() << "python3 with numpy and scipy is not installed"
#define REQUIRE_SOX() \
  if (!HaveSox()) GTEST_SKIP() << "sox is not installed"

// SciPy's Welch estimate of every channel of a file (scaling 'spectrum', see the top).
struct TWelch {
  uint32_t rate = 0, channels = 0, frames = 0, segments = 0;
  std::vector<std::vector<double>> pxx;  // [channel][bin 0 ... N/2]
};

TWelch Welch(const std::string& path, uint32_t n, uint32_t noverlap) {
  TWelch result;
  std::istringstream lines(
      RunScript("spectrum " + path + " " + std::to_string(n) + " " + std::to_string(noverlap)));
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    std::string tag;
    fields >> tag;
    if (tag == "info") {
      fields >> result.rate >> result.channels >> result.frames >> result.segments;
      result.pxx.assign(result.channels, std::vector<double>(n / 2 + 1, -1.0));
    } else if (tag == "pxx") {
      uint32_t c = 0, k = 0;
      double v = 0;
      fields >> c >> k >> v;
      if (c < result.pxx.size() && k < result.pxx[c].size()) result.pxx[c][k] = v;
    }
  }
  return result;
}

// The Python band levels (dB re a full-scale sine) and the channel's rms in dBFS.
struct TBandLevel {
  uint32_t index = 0;
  double lowerHz = 0, upperHz = 0, levelDb = 0;
};
struct TBandReference {
  double rmsDb = 0;
  std::vector<TBandLevel> bands;
};

TBandReference PythonBands(const std::string& path, uint32_t n, uint32_t noverlap, uint32_t octave,
                           uint32_t channel) {
  TBandReference result;
  std::istringstream lines(RunScript("bands " + path + " " + std::to_string(n) + " " +
                                     std::to_string(noverlap) + " " + std::to_string(octave) + " " +
                                     std::to_string(channel) + " " + kEnergyExponentText));
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    std::string tag;
    fields >> tag;
    if (tag == "rms") {
      fields >> result.rmsDb;
    } else if (tag == "band") {
      TBandLevel band;
      fields >> band.index >> band.lowerHz >> band.upperHz >> band.levelDb;
      result.bands.push_back(band);
    }
  }
  return result;
}

// "RMS lev dB" of the first (whole-file) column of `sox FILE -n stats`; NaN when missing.
double SoxRmsLevelDb(const std::string& path) {
  std::istringstream lines(Capture("sox " + path + " -n stats 2>&1"));
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("RMS lev dB", 0) == 0) return std::stod(line.substr(10));
  }
  return std::nan("");
}

// ---- exact input ----------------------------------------------------------------------------

// Writes a plain PCM WAV (16 or 24 bits) without our wave code; `sample(frame, channel)`
// gives each raw value.
bool WritePcm(const std::string& path, uint32_t rate, uint16_t channels, uint16_t bytes,
              uint32_t frames, const std::function<int32_t(uint32_t, uint32_t)>& sample) {
  std::vector<uint8_t> out;
  auto put = [&out](uint32_t v, int count) {
    for (int i = 0; i < count; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
  };
  const uint32_t data = frames * channels * bytes;
  out.insert(out.end(), {'R', 'I', 'F', 'F'});
  put(36 + data, 4);
  out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
  put(16, 4);
  put(1, 2);
  put(channels, 2);
  put(rate, 4);
  put(rate * channels * bytes, 4);
  put(channels * bytes, 2);
  put(8u * bytes, 2);
  out.insert(out.end(), {'d', 'a', 't', 'a'});
  put(data, 4);
  for (uint32_t i = 0; i < frames; ++i) {
    for (uint32_t c = 0; c < channels; ++c) put(static_cast<uint32_t>(sample(i, c)), bytes);
  }
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
  return std::fclose(f) == 0 && ok;
}

// The largest sample value, which is also (max - min) / 2: a full-scale sine is 1.0.
double FullScale(uint16_t bytes) {
  return std::ldexp(1.0, 8 * bytes - 1) - 1.0;
}

// R of the comment at the top.
double HanningRatio(uint32_t n) {
  return kAmplitudeFactor * (n - 1.0) / (2.0 * n);
}

// |sum x[n] w[n] e^(-2 pi i k n / N)| over the first N frames of a channel, in double: a
// direct DFT of what the engine transforms (w empty: rectangular).
double DirectDft(const std::function<int32_t(uint32_t, uint32_t)>& sample, uint32_t channel,
                 uint32_t n, uint32_t k, const std::vector<double>& w = {}) {
  double re = 0, im = 0;
  for (uint32_t i = 0; i < n; ++i) {
    const double v = sample(i, channel) * (w.empty() ? 1.0 : w[i]);
    const double phase = 2.0 * std::numbers::pi * ((uint64_t{k} * i) % n) / n;
    re += v * std::cos(phase);
    im -= v * std::sin(phase);
  }
  return std::hypot(re, im);
}

std::vector<double> SymmetricHanning(uint32_t n) {
  std::vector<double> w(n);
  for (uint32_t i = 0; i < n; ++i) {
    w[i] = 0.5 + 0.5 * std::cos(std::numbers::pi * (2.0 * i / (n - 1.0) - 1.0));
  }
  return w;
}

// A sum of sines, each `amplitude` (fraction of full scale) at `hz`, rounded to the format.
struct TTone {
  double hz;
  double amplitude;
};
std::function<int32_t(uint32_t, uint32_t)> Tones(uint32_t rate, uint16_t bytes,
                                                 std::vector<std::vector<TTone>> perChannel) {
  const double max = std::ldexp(1.0, 8 * bytes - 1) - 1.0;
  return [=](uint32_t frame, uint32_t channel) {
    double v = 0;
    for (const TTone& t : perChannel[channel]) {
      v += t.amplitude * std::sin(2.0 * std::numbers::pi * t.hz * frame / rate);
    }
    return static_cast<int32_t>(std::lround(std::clamp(v * max, -max, max)));
  };
}

// Frames that make exactly `blocks` hops of `hop` after the first block (plus `extra`).
uint32_t FramesFor(uint32_t n, uint32_t hop, uint32_t blocks, uint32_t extra = 0) {
  return n + (blocks - 1) * hop + extra;
}

// Worst deviation of the displayed bins from SciPy's Welch estimate over bins from ... to.
struct TDeviation {
  double worst = 0;  // largest |ours - ref| / allowed
  uint32_t bin = 0;
  double ours = 0, ref = 0;
  double largestRelative = 0;  // largest |ours - ref| / ref over bins above the floor
};

// ---- the fixture ----------------------------------------------------------------------------

class TBlockTimes : public TAnalyzerObserver {
 public:
  void BlockProcessed(double t) override { times.push_back(t); }
  std::vector<double> times;
};

class CrossCheckTest : public test::CoreFixture {
 protected:
  // Settings every cross-check starts from: FFT 4096, Hanning, "Infinite" exponential
  // averaging, no peak hold, no decimation, linear axes, no weighting. The calibration is
  // the core's (off unless a test sets it).
  static void Plain(TAnalyzerSettings& s) {
    s.processing.fftSize = static_cast<int32_t>(kN);
    s.processing.decimationRatio = 1;
    s.processing.smoothingWindow = kWindowHanning;
    s.processing.overlapPercent = 50;
    s.processing.averageBlocks = kInfiniteAverages;
    s.processing.averageType = kAverageExponential;
    s.processing.peakHold = 0;
    s.processing.delayTimeMsec = 0.f;
    s.processing.excludeOverloaded = 0;
    s.processing.channelProcessing = s.processing.format.channels == 2 ? kBothChannels : kLeftOnly;
    s.scaling.ampScale = 0;
    s.scaling.freqScale = 0;
    s.scaling.weighting = kWeightFlat;
    s.scaling.spectralDensity = 0;
    s.scaling.micCompensation = 0;
    s.trigger.enable = 0;
  }

  // Opens `path`, applies Plain and then `edit`, and runs Post-Processing to the end.
  void Analyse(const std::string& path, const std::function<void(TAnalyzerSettings&)>& edit = {}) {
    ASSERT_TRUE(core_->OpenWave(path)) << path;
    ASSERT_TRUE(core_->ChangeSettings(
        [&](TAnalyzerSettings& s) {
          Plain(s);
          if (edit) edit(s);
        },
        SettingsOrigin::Dialog));
    times_.times.clear();
    core_->AddObserver(&times_, kRoleDataLogger);
    core_->SetHeadlessConsumer(true);
    ASSERT_TRUE(core_->Start());
    ASSERT_TRUE(core_->WaitUntilStopped(30000));
    core_->RemoveObserver(&times_);
  }

  // A channel's spectrum; a missing one fails the test and reads as an empty spectrum.
  const TSpectralData& Spectrum(uint32_t channel) const {
    static const TSpectralData missing(ProcessingSettings{}, ScalingSettings{}, 0);
    const TEngineObjects& e = core_->Engine();
    const TSpectralData* spectrum = channel == 0 ? e.left.get() : e.right.get();
    if (spectrum == nullptr) {
      ADD_FAILURE() << "no spectrum for channel " << channel;
      return missing;
    }
    return *spectrum;
  }

  // Compares bins from ... to of a channel's linear display with R * 100 sqrt(2 Pxx) / FS.
  // allowed = relative * ref + floor * (largest reference value in the range).
  TDeviation Compare(const TSpectralData& ours, const std::vector<double>& pxx, double fullScale,
                     uint32_t from, uint32_t to, double relative, double floor) const {
    const double ratio = HanningRatio(ours.FftSize());
    std::vector<double> ref(to + 1, 0.0);
    double largest = 0;
    for (uint32_t k = from; k <= to; ++k) {
      ref[k] = 100.0 * ratio * std::sqrt(2.0 * pxx[k]) / fullScale;
      largest = std::max(largest, ref[k]);
    }
    TDeviation d;
    for (uint32_t k = from; k <= to; ++k) {
      const double v = ours.Value(k);
      const double allowed = relative * ref[k] + floor * largest;
      const double score = std::fabs(v - ref[k]) / allowed;
      if (score > d.worst) d = {score, k, v, ref[k], d.largestRelative};
      if (ref[k] > floor * largest) {
        d.largestRelative = std::max(d.largestRelative, std::fabs(v - ref[k]) / ref[k]);
      }
    }
    return d;
  }

  std::string Make(const std::string& name) const { return scratch_.File(name); }

  // Analyses a noise file and checks every channel, bin by bin, against Welch's estimate.
  void ExpectNoiseMatchesWelch(const std::string& path, uint32_t channels, uint16_t bytes,
                               uint32_t segments, const char* label);

  TBlockTimes times_;
};

std::string Describe(const TDeviation& d) {
  std::ostringstream os;
  os.precision(9);
  os << "worst at bin " << d.bin << ": ours " << d.ours << ", SciPy " << d.ref << " (score "
     << d.worst << ", largest relative difference " << d.largestRelative << ")";
  return os.str();
}

// Float arithmetic in the engine against double in SciPy (eps = 6e-8). A bin is a float
// FFT (12 stages, each rounding once: errors of a few eps of the block's largest
// components, adding up like a random walk), squared, and averaged in float over at most
// 90 blocks here (the rounding of the running mean walks to about sqrt(90) eps = 6e-7 of
// the power, 3e-7 of the value). Bins of comparable magnitude (noise, the tones) agree to
// a few 1e-7 (measured: 4e-7 at most); allowed 3e-6, 50 eps. Bins far below the block's
// largest component carry the FFT's absolute rounding noise instead, about eps of the
// largest bin (measured 6e-8, -144 dB): the floor of 5e-7 of the largest value (-126 dB)
// allows eight times that and still sees the symmetric window's leakage (-70 dB and more
// two bins from a tone) and, at 16 bits, the rounding noise of the file (about -120 dB
// per bin).
constexpr double kRelative = 3e-6;

void CrossCheckTest::ExpectNoiseMatchesWelch(const std::string& path, uint32_t channels,
                                             uint16_t bytes, uint32_t segments, const char* label) {
  const TWelch welch = Welch(path, kN, kN / 2);
  ASSERT_EQ(welch.channels, channels);
  ASSERT_EQ(welch.segments, segments);
  Analyse(path);
  EXPECT_EQ(core_->BlockCount(), segments);
  for (uint32_t c = 0; c < channels; ++c) {
    const TDeviation d =
        Compare(Spectrum(c), welch.pxx[c], FullScale(bytes), 1, kBins - 2, kRelative, 0);
    EXPECT_LE(d.worst, 1.0) << label << ", channel " << c << ": " << Describe(d);
    std::printf("%s, channel %u: %s\n", label, c, Describe(d).c_str());
  }
}
constexpr double kFloor = 5e-7;

// ---- 1. bin by bin against scipy.signal.welch ----------------------------------------------

TEST_F(CrossCheckTest, TwoTonesOnBinCentresMatchWelch16BitMono) {
  REQUIRE_PYTHON();
  const std::string path = Make("tones16.wav");
  const double width = double{kRate} / kN;
  // Bins 100 and 700: a loud tone and one 34 dB below it. Both repeat every 1024 frames, so
  // every block (hop 2048) holds the same samples.
  const auto tones = Tones(kRate, 2, {{{100 * width, 0.5}, {700 * width, 0.01}}});
  ASSERT_TRUE(WritePcm(path, kRate, 1, 2, FramesFor(kN, kN / 2, 21), tones));
  const TWelch welch = Welch(path, kN, kN / 2);
  ASSERT_EQ(welch.segments, 21u);
  Analyse(path);
  EXPECT_EQ(core_->BlockCount(), 21u);
  const TSpectralData& left = Spectrum(0);
  ASSERT_EQ(left.AverageCount(), 21u);

  // The exact ratio at the tone bins: R = 10^0.315 (N - 1) / (2N).
  const double fs = FullScale(2);
  const double ratio = HanningRatio(kN);
  EXPECT_NEAR(ratio, 1.0324380, 1e-7);
  const std::vector<double> hanning = SymmetricHanning(kN);
  for (uint32_t k : {100u, 700u}) {
    SCOPED_TRACE(k);
    const double measured = left.Value(k) / (100.0 * std::sqrt(2.0 * welch.pxx[0][k]) / fs);
    EXPECT_NEAR(measured, ratio, 2e-6 * ratio);
    // A direct DFT in double of the (repeated) block gives the same reading.
    const double direct =
        100.0 * 2.0 * kAmplitudeFactor * DirectDft(tones, 0, kN, k, hanning) / (double{kN} * fs);
    EXPECT_NEAR(left.Value(k), direct, 2e-6 * direct);
  }
  // So the tones read their amplitudes times R. Rounding to 16 bits moves a windowed bin by
  // at most R x 0.5 LSB x 2 sum(w) / (N sum(w) / N) = R x 1 LSB.
  const double lsb = 100.0 * ratio / fs;
  EXPECT_NEAR(left.Value(100), 100.0 * 0.5 * ratio, lsb);
  EXPECT_NEAR(left.Value(700), 100.0 * 0.01 * ratio, lsb);

  const TDeviation d = Compare(left, welch.pxx[0], fs, 1, kBins - 2, kRelative, kFloor);
  EXPECT_LE(d.worst, 1.0) << Describe(d);
  std::printf("16-bit two tones: %s\n", Describe(d).c_str());
}

TEST_F(CrossCheckTest, TwoTonesOnBinCentresMatchWelch24BitStereo) {
  REQUIRE_PYTHON();
  const std::string path = Make("tones24.wav");
  const double width = double{kRate} / kN;
  ASSERT_TRUE(WritePcm(path, kRate, 2, 3, FramesFor(kN, kN / 2, 15),
                       Tones(kRate, 3,
                             {{{100 * width, 0.5}, {700 * width, 0.001}},
                              {{333 * width, 0.25}, {1500 * width, 0.03}}})));
  const TWelch welch = Welch(path, kN, kN / 2);
  ASSERT_EQ(welch.channels, 2u);
  Analyse(path);
  ASSERT_EQ(core_->Engine().settings.channelProcessing, kBothChannels);
  EXPECT_EQ(core_->BlockCount(), 15u);
  const double fs = FullScale(3);
  for (uint32_t c = 0; c < 2; ++c) {
    const TDeviation d = Compare(Spectrum(c), welch.pxx[c], fs, 1, kBins - 2, kRelative, kFloor);
    EXPECT_LE(d.worst, 1.0) << "channel " << c << ": " << Describe(d);
    std::printf("24-bit two tones, channel %u: %s\n", c, Describe(d).c_str());
  }
  // The tones read their amplitudes times R, within one (24-bit) LSB.
  const double ratio = HanningRatio(kN);
  const double lsb = 100.0 * ratio / fs;
  EXPECT_NEAR(Spectrum(0).Value(100), 50.0 * ratio, lsb);
  EXPECT_NEAR(Spectrum(0).Value(700), 0.1 * ratio, lsb);
  EXPECT_NEAR(Spectrum(1).Value(333), 25.0 * ratio, lsb);
  EXPECT_NEAR(Spectrum(1).Value(1500), 3.0 * ratio, lsb);
}

TEST_F(CrossCheckTest, WhiteNoiseMatchesWelch16BitMono) {
  REQUIRE_PYTHON();
  REQUIRE_SOX();
  const std::string path = Make("noise16.wav");
  ASSERT_TRUE(RunSox("-R -n -r 48000 -b 16 -c 1 " + path + " synth " +
                     std::to_string(FramesFor(kN, kN / 2, 40)) + "s whitenoise vol 0.5"));
  ASSERT_NO_FATAL_FAILURE(ExpectNoiseMatchesWelch(path, 1, 2, 40, "16-bit white noise"));
}

TEST_F(CrossCheckTest, WhiteAndPinkNoiseMatchWelch24BitStereo) {
  REQUIRE_PYTHON();
  REQUIRE_SOX();
  // wavpcm: a plain PCM header, which Python's wave module reads (not the extensible one
  // sox writes for 24 bits by default). Left white, right pink.
  const std::string path = Make("noise24.wav");
  ASSERT_TRUE(RunSox("-R -n -t wavpcm -r 48000 -b 24 -c 2 " + path + " synth " +
                     std::to_string(FramesFor(kN, kN / 2, 30)) + "s whitenoise pinknoise vol 0.5"));
  ASSERT_NO_FATAL_FAILURE(ExpectNoiseMatchesWelch(path, 2, 3, 30, "24-bit noise"));
}

// ---- 2. blocks and end position ---------------------------------------------------------------

TEST_F(CrossCheckTest, BlocksAndEndPositionFollowTheClosedForm) {
  // Deterministic noise (a 32-bit LCG) that fills 1000 frames past the last whole hop, so the
  // count must come from the floor of the closed form.
  const std::string path = Make("count.wav");
  constexpr uint32_t kFrames = 40000;
  uint32_t seed = 12345;
  ASSERT_TRUE(WritePcm(path, kRate, 1, 2, kFrames, [&seed](uint32_t, uint32_t) {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<int32_t>(static_cast<int16_t>(seed >> 16)) / 4;
  }));
  for (uint16_t overlap : {uint16_t{0}, uint16_t{50}, uint16_t{75}}) {
    SCOPED_TRACE(overlap);
    const uint32_t hop = (100 - overlap) * kN / 100;
    // Blocks start at 0, hop, 2 hop, ... while a whole block fits.
    const uint32_t blocks = (kFrames - kN) / hop + 1;
    Analyse(path, [overlap](TAnalyzerSettings& s) { s.processing.overlapPercent = overlap; });
    EXPECT_EQ(core_->Engine().settings.hopSize, static_cast<int32_t>(hop));
    EXPECT_EQ(core_->BlockCount(), blocks);
    EXPECT_EQ(Spectrum(0).AverageCount(), blocks);
    // The run ends at the end of the file, past the samples no whole block reached.
    EXPECT_EQ(core_->Document()->Position(), kFrames);
    // Each block is stamped with the time of its centre.
    ASSERT_EQ(times_.times.size(), blocks);
    for (uint32_t k = 0; k < blocks; ++k) {
      EXPECT_NEAR(times_.times[k], (k * hop + kN / 2.0) / kRate, 1e-9) << "block " << k;
    }
    if (!Python().empty()) {
      // The same segments: the averages agree with SciPy's at this overlap.
      const TWelch welch = Welch(path, kN, kN - hop);
      ASSERT_EQ(welch.segments, blocks);
      const TDeviation d =
          Compare(Spectrum(0), welch.pxx[0], FullScale(2), 1, kBins - 2, kRelative, 0);
      EXPECT_LE(d.worst, 1.0) << Describe(d);
    }
  }
}

// ---- 3. total power against sox ----------------------------------------------------------------

TEST_F(CrossCheckTest, TotalPowerOfNoiseAgreesWithSoxRms) {
  REQUIRE_SOX();
  const std::string path = Make("rms.wav");
  const uint32_t frames = FramesFor(kN, kN / 2, 60);
  ASSERT_TRUE(RunSox("-R -n -r 48000 -b 16 -c 1 " + path + " synth " + std::to_string(frames) +
                     "s whitenoise vol 0.5"));
  const double soxRms = SoxRmsLevelDb(path);
  ASSERT_TRUE(std::isfinite(soxRms));
  // Logarithmic display, so that "as displayed" reads the dB values back.
  Analyse(path, [](TAnalyzerSettings& s) { s.scaling.ampScale = 1; });
  const TSpectralData& left = Spectrum(0);
  const float displayed = left.BandPower(0, kBins - 1, -1, true);
  const float flat = left.BandPower(0, kBins - 1, 0, true);

  // What the total must read. For white noise of variance s^2, E|Xw(k)|^2 = s^2 sum w^2 with
  // sum w^2 = 3 (N - 1) / 8 for the symmetric Hanning window, so each bin holds
  // 4 c^2 s^2 (3/8)(N - 1) / (N^2 FS^2). Band power sums bins 3 ... B - 2 (bin B - 1 is never
  // averaged): K = B - 4 of the B bins the one-sided power is spread over, then multiplies
  // by the window power factor p = 10^-0.204. Total = 2 (s/FS)^2 * [c^2 p (3/8)(N-1)/N] *
  // [K / B]. In dB: the rms level + 10 log10 2 (levels are referred to a full-scale sine's
  // peak, sox's to full-scale DC) + the window term + the range term.
  const double windowTerm = 10.0 * std::log10(kAmplitudeFactor * kAmplitudeFactor *
                                              kHanningPowerFactor * 0.375 * (kN - 1.0) / kN);
  const double rangeTerm = 10.0 * std::log10((kBins - 4.0) / kBins);
  // sox refers its levels to 32768, we to 32767.
  const double soxFullScale = 20.0 * std::log10(32768.0 / 32767.0);
  const double expected = soxRms + soxFullScale + 10.0 * std::log10(2.0) + windowTerm + rangeTerm;
  // The power factor p = (10^0.213 / 10^0.315)^2 is not the Hanning (mean / rms)^2 = 2/3, but it
  // is paired with the amplitude factor 10^0.315 instead of the exact 1 / mean = 2: the two
  // deviations cancel to within 0.001 dB (10^0.426 x 3/8 = 1.00007).
  EXPECT_NEAR(windowTerm, 0.0, 0.0011);
  // With p = 2/3 the same sum would read 10 log10(10^0.63 x 3/8 x 2/3) = +0.28 dB high.
  EXPECT_NEAR(10.0 * std::log10(kAmplitudeFactor * kAmplitudeFactor * 0.375 * 2.0 / 3.0), 0.28,
              0.005);
  // Tolerance: sox prints 2 decimals (0.005 dB); the Hanning-weighted, overlapped blocks
  // weight the samples unevenly (from 0.5 to 1 of each other at 50 % overlap, tapering at the
  // file's ends), so the two estimates of the same noise differ by about
  // 0.25 / sqrt(frames) relative = 0.003 dB for 2.6 s of 48 kHz: 0.02 dB is 4 sigma plus
  // the rounding.
  EXPECT_NEAR(displayed, expected, 0.02) << "sox RMS lev " << soxRms << " dB";
  EXPECT_NEAR(flat, expected, 0.02) << "sox RMS lev " << soxRms << " dB";
  // The displayed dB values carry float rounding only.
  EXPECT_NEAR(displayed, flat, 1e-3);
  std::printf(
      "sox RMS lev %.2f dB; total power as displayed %.4f dB, flat %.4f dB, expected "
      "%.4f dB\n",
      soxRms, displayed, flat, expected);

  // On a linear display "as displayed" sums the squares of percentages: its square root is
  // the total in percent of full scale. The flat power does not depend on the display.
  Analyse(path, [](TAnalyzerSettings& s) { s.scaling.ampScale = 0; });
  const double percent = 100.0 * std::pow(10.0, flat / 20.0);
  EXPECT_NEAR(Spectrum(0).BandPower(0, kBins - 1, -1, false), percent, 1e-5 * percent);
  EXPECT_NEAR(Spectrum(0).BandPower(0, kBins - 1, 0, true), flat, 1e-4);
}

// ---- 4. fractional-octave bands -----------------------------------------------------------------

TEST_F(CrossCheckTest, ThirdOctaveBandOfAToneReadsItsLevel) {
  const std::string path = Make("third-tone.wav");
  const uint32_t frames = FramesFor(kN, kN / 2, 20);
  ASSERT_TRUE(WritePcm(path, kRate, 1, 2, frames, Tones(kRate, 2, {{{1000.0, 0.25}}})));
  Analyse(path, [](TAnalyzerSettings& s) {
    s.scaling.ampScale = 1;
    s.scaling.freqScale = 2;
    s.scaling.octaveNumber = 3;
  });
  const TSpectralData& left = Spectrum(0);
  const uint32_t band = left.BandOfFrequency(1000.f);
  EXPECT_EQ(left.BandCentre(band), 1000.f);
  EXPECT_EQ(left.PeakBin(), band);
  // An energy-corrected window sums a tone's bins to its power (Parseval): c_e^2 x 3/8 x
  // (N-1)/N = 10^0.426 x 3/8 x 4095/4096 = -0.0007 dB from the tone's level. The band's
  // edges (891 and 1122 Hz) lie 9 bins and more from the tone, beyond which the window's
  // leakage holds under 1e-6 of its power; 16-bit rounding adds -121 dB to the band.
  // 16-bit rounding: at most 1 LSB of 8192 (0.001 dB).
  const double toneDb = 20.0 * std::log10(0.25);
  EXPECT_NEAR(left.Value(band), toneDb, 0.005);
  // The neighbours hold only leakage and rounding.
  EXPECT_LT(left.Value(band - 2), toneDb - 60.0);
  EXPECT_LT(left.Value(band + 2), toneDb - 60.0);

  if (Python().empty()) return;
  const TBandReference ref = PythonBands(path, kN, kN / 2, 3, 0);
  ASSERT_FALSE(ref.bands.empty());
  EXPECT_EQ(ref.bands.front().index, left.FirstValidBand());
  for (const TBandLevel& b : ref.bands) {
    // More than 70 dB below the tone both hold leakage and rounding noise only, where float
    // and double part.
    if (b.levelDb < toneDb - 70.0) {
      EXPECT_LT(left.Value(b.index), toneDb - 60.0) << "band " << b.index;
      continue;
    }
    EXPECT_NEAR(left.Value(b.index), b.levelDb, 0.001) << "band " << b.index;
  }
}

TEST_F(CrossCheckTest, ThirdOctaveBandsOfWhiteNoiseRiseOneDbPerBand) {
  REQUIRE_PYTHON();
  REQUIRE_SOX();
  const std::string path = Make("third-noise.wav");
  const uint32_t blocks = 90;
  ASSERT_TRUE(RunSox("-R -n -r 48000 -b 16 -c 1 " + path + " synth " +
                     std::to_string(FramesFor(kN, kN / 2, blocks)) + "s whitenoise vol 0.5"));
  Analyse(path, [](TAnalyzerSettings& s) {
    s.scaling.ampScale = 1;
    s.scaling.freqScale = 2;
    s.scaling.octaveNumber = 3;
  });
  const TSpectralData& left = Spectrum(0);
  const TBandReference ref = PythonBands(path, kN, kN / 2, 3, 0);
  ASSERT_FALSE(ref.bands.empty());
  EXPECT_EQ(ref.bands.front().index, left.FirstValidBand());

  // Band by band against numpy's FFT of the same blocks with the same band edges: float
  // against double only.
  for (const TBandLevel& b : ref.bands) {
    EXPECT_NEAR(left.BandLower(b.index), b.lowerHz, 1e-4 * b.lowerHz) << "band " << b.index;
    EXPECT_NEAR(left.BandUpper(b.index), b.upperHz, 1e-4 * b.upperHz) << "band " << b.index;
    EXPECT_NEAR(left.Value(b.index), b.levelDb, 0.001) << "band " << b.index;
  }

  // The physics: centres 10^(i/10) with each lower edge the previous upper edge make every
  // band 10^0.1 times as wide as the one below, so white noise rises exactly 1 dB per band,
  // from 2 (s/FS)^2 x width / (rate / 2) (levels re a full-scale sine, s the rms).
  // Scatter of a band of m bins averaged over M blocks: (10 / ln 10) sqrt(g / (m M)) dB,
  // where g = 1.94 x 1.06 = 2.05 counts the correlations the Hanning window brings: between
  // neighbouring bins (power correlation (2/3)^2 at one bin, (1/6)^2 at two) and between
  // blocks overlapping by half ((1/6)^2). Allowed: 4 sigma per band, and 4 sigma of the
  // least-squares slope over the bands from 200 Hz.
  const double binWidth = double{kRate} / kN;
  std::vector<double> x, y, sigma;
  for (const TBandLevel& b : ref.bands) {
    const double width = b.upperHz - b.lowerHz;
    const double expected =
        ref.rmsDb + 10.0 * std::log10(2.0) + 10.0 * std::log10(width / (kRate / 2.0));
    const double sigmaDb = 10.0 / std::log(10.0) * std::sqrt(2.05 / (width / binWidth * blocks));
    EXPECT_NEAR(left.Value(b.index), expected, 4.0 * sigmaDb) << "band " << b.index;
    if (b.lowerHz >= 200.0) {
      x.push_back(b.index);
      y.push_back(left.Value(b.index));
      sigma.push_back(sigmaDb);
    }
  }
  ASSERT_GE(x.size(), 10u);
  const double meanX = std::accumulate(x.begin(), x.end(), 0.0) / x.size();
  const double meanY = std::accumulate(y.begin(), y.end(), 0.0) / y.size();
  double sxx = 0, sxy = 0, slopeVariance = 0;
  for (size_t i = 0; i < x.size(); ++i) {
    sxx += (x[i] - meanX) * (x[i] - meanX);
    sxy += (x[i] - meanX) * (y[i] - meanY);
  }
  for (size_t i = 0; i < x.size(); ++i) {
    slopeVariance += std::pow((x[i] - meanX) / sxx * sigma[i], 2);
  }
  const double slope = sxy / sxx;
  EXPECT_NEAR(slope, 1.0, 4.0 * std::sqrt(slopeVariance)) << "dB per band";
  std::printf("white noise: 1/3-octave bands rise %.4f dB per band (sigma %.4f, %zu bands)\n",
              slope, std::sqrt(slopeVariance), x.size());
}

// ---- 5. A-weighting -----------------------------------------------------------------------------

TEST_F(CrossCheckTest, AWeightedPowerOfA100HzTone) {
  // FFT 16384 (2.9 Hz bins): the tone's energy spreads over +-2 bins, where the curve
  // changes by +-0.75 dB almost linearly, so its energy-weighted mean stays within 0.01 dB
  // of the value at 100 Hz, a point of the table (-19.1 dB).
  constexpr uint32_t kLongN = 16384;
  const std::string path = Make("a100.wav");
  ASSERT_TRUE(WritePcm(path, kRate, 1, 2, FramesFor(kLongN, kLongN / 2, 3),
                       Tones(kRate, 2, {{{100.0, 0.5}}})));
  Analyse(path, [](TAnalyzerSettings& s) {
    s.processing.fftSize = kLongN;
    s.scaling.ampScale = 1;
  });
  const TSpectralData& flatDisplay = Spectrum(0);
  const uint32_t last = kLongN / 2 - 1;
  const double flat = flatDisplay.BandPower(0, last, kWeightFlat, true);
  const double aWeighted = flatDisplay.BandPower(0, last, kWeightA, true);
  EXPECT_NEAR(aWeighted - flat, -19.1, 0.02);
  // The tone's own level: amplitude 0.5 is -6.02 dB re a full-scale sine.
  EXPECT_NEAR(flat, 20.0 * std::log10(0.5), 0.01);

  // The same with the A curve on the display: "as displayed" is the A-weighted power, and
  // the flat request takes the display weighting out again.
  core_->ChangeSettings([](TAnalyzerSettings& s) { s.scaling.weighting = kWeightA; },
                        SettingsOrigin::Dialog);
  ASSERT_TRUE(core_->Rewind());
  ASSERT_TRUE(core_->Start());
  ASSERT_TRUE(core_->WaitUntilStopped(30000));
  const TSpectralData& aDisplay = Spectrum(0);
  EXPECT_NEAR(aDisplay.BandPower(0, last, -1, true), aWeighted, 0.002);
  EXPECT_NEAR(aDisplay.BandPower(0, last, kWeightFlat, true), flat, 0.002);

  if (Python().empty()) return;
  // Against the IEC 61672 formula: at 100 Hz it gives -19.145 dB; the table's -19.1 is that
  // rounded to 0.1 dB.
  std::vector<uint32_t> bins;
  std::string arguments = "aweight 100";
  for (double hz : {20.0, 31.5, 63.0, 100.0, 140.0, 250.0, 500.0, 1000.0, 2000.0, 4000.0, 6300.0,
                    8000.0, 10000.0, 12500.0, 16000.0, 20000.0, 22000.0, 23900.0}) {
    bins.push_back(aDisplay.FrequencyBin(static_cast<float>(hz)));
    char text[32];
    std::snprintf(text, sizeof text, " %.6f", double{aDisplay.BinFrequency(bins.back())});
    arguments += text;
  }
  std::istringstream lines(RunScript(arguments));
  std::vector<double> iec;
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    std::string tag;
    double f = 0, db = 0;
    if (fields >> tag >> f >> db && tag == "aweight") iec.push_back(db);
  }
  ASSERT_EQ(iec.size(), bins.size() + 1);
  EXPECT_NEAR(iec[0], -19.145, 0.001);
  // The table's rounding (0.045 dB here) and the tone's spread (0.01 dB).
  EXPECT_NEAR(aWeighted - flat, iec[0], 0.06);
  iec.erase(iec.begin());
  std::vector<float> curve;
  TSpectralData probe(core_->Engine().settings, core_->Engine().scaling, 0);
  ASSERT_TRUE(probe.BuildWeightingCurve(kWeightA, curve));
  std::printf("A-weighting, table and spline against IEC 61672:\n");
  for (size_t i = 0; i < bins.size(); ++i) {
    const double ours = 20.0 * std::log10(curve[bins[i]]);
    const double hz = aDisplay.BinFrequency(bins[i]);
    std::printf("  %8.1f Hz  ours %8.3f dB  IEC %8.3f dB  difference %+.3f dB\n", hz, ours, iec[i],
                ours - iec[i]);
    // Up to 20 kHz the table is the formula rounded to 0.1 dB (0.05 dB) and the spline
    // between its points stays as close. Above, the table's 25.12 kHz point (-10.0 dB, the
    // formula -12.4 dB) lifts the curve: reported, not held against the engine.
    if (hz <= 20000.0) {
      EXPECT_NEAR(ours, iec[i], 0.06) << hz << " Hz";
    }
  }
}

// ---- 6. calibration end to end
// -------------------------------------------------------------------

TEST_F(CrossCheckTest, CalibratedFullScaleSineReadsVolts) {
  // A .cal as the calibration dialog leaves it after measuring a 1.0 V rms reference at half
  // full scale: full scale is then 1.0 x sqrt(2) / 0.5 = 2.828 V peak.
  const double ratio = std::sqrt(2.0) / 0.5;
  const std::string cal = Make("ref.cal");
  {
    FILE* f = std::fopen(cal.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fprintf(f,
                 "[%s]\nRefLevel=1.000000\nRefUnits=%d\nRefType=%d\nConversionType=0\n"
                 "IntegrationType=0\nLabelLinear=Volts peak\nLabelLog=dBV peak\nLabelType=%d\n"
                 "PctFullScaleLeft=0.500000\nPctFullScaleRight=0.500000\n"
                 "CalRatioLeft=%f\nCalRatioRight=%f\nLeftChannelName=Left\n"
                 "RightChannelName=Right\n",
                 kSectionCalibration, kUnitVolts, kRefRms, kRefPeak, ratio, ratio);
    ASSERT_EQ(std::fclose(f), 0);
  }
  TCalibration record = DefaultCalibration();
  ASSERT_EQ(LoadCalibration(cal, record), CalibrationLoad::kLoaded);
  // What the dialog computes from the reference agrees with the stored ratio.
  TCalibration recomputed = record;
  ComputeRatios(recomputed);
  EXPECT_NEAR(recomputed.calRatioLeft, ratio, 1e-6 * ratio);
  record.enabled = 1;

  // The largest 16-bit sine on bin 256 (period 16 frames, so every block is the same).
  const std::string path = Make("fullscale.wav");
  const double width = double{kRate} / kN;
  const auto sine = Tones(kRate, 2, {{{256 * width, 1.0}}});
  ASSERT_TRUE(WritePcm(path, kRate, 1, 2, FramesFor(kN, kN, 2), sine));
  // Its amplitude by a direct DFT in double: the rounding errors repeat with the sine and
  // fall on its bin, a few millionths of full scale (at most 1 LSB).
  const double amplitude = 2.0 * DirectDft(sine, 0, kN, 256) / kN / FullScale(2);
  EXPECT_NEAR(amplitude, 1.0, 1.0 / FullScale(2));
  const double hanningAmplitude = 2.0 * kAmplitudeFactor *
                                  DirectDft(sine, 0, kN, 256, SymmetricHanning(kN)) / kN /
                                  FullScale(2);

  auto run = [&](int32_t labelType, uint16_t window, uint16_t ampScale) {
    record.labelType = labelType;
    core_->SetCalibration(record);
    Analyse(path, [&](TAnalyzerSettings& s) {
      s.processing.smoothingWindow = window;
      s.processing.overlapPercent = 0;
      s.scaling.ampScale = ampScale;
    });
    EXPECT_TRUE(Spectrum(0).Calibrated());
    return double{Spectrum(0).Value(256)};
  };
  // Uniform window: the bin reads the amplitude, 2.83 V peak and 2.0 V rms (float: 1e-6).
  EXPECT_NEAR(run(kRefPeak, kWindowUniform, 0), 2.8284271 * amplitude, 3e-6);
  EXPECT_NEAR(run(kRefRms, kWindowUniform, 0), 2.0 * amplitude, 2e-6);
  EXPECT_NEAR(run(kRefRms, kWindowUniform, 0), 2.0, 2.0 / FullScale(2));
  // Logarithmic axis in dBV rms: 20 log10 2.0 = 6.02 dB.
  EXPECT_NEAR(run(kRefRms, kWindowUniform, 1), 20.0 * std::log10(2.0 * amplitude), 1e-5);
  // Hanning with its amplitude factor 10^0.315 reads R = 1.0324 times as much (+0.28 dB).
  EXPECT_NEAR(hanningAmplitude, amplitude * HanningRatio(kN), 1e-5);
  EXPECT_NEAR(run(kRefPeak, kWindowHanning, 0), 2.8284271 * hanningAmplitude, 3e-6);
}

}  // namespace
}  // namespace orvanix
