// The segment analyses on recordings made here: RMS level, crest factor and Leq against
// numpy on the same samples, the block count and Leq closed forms, the Schroeder curve of an
// exponential decay, the Hilbert envelope of a sine, the Q factor of a resonance, and the raw
// samples of a segment in every sample width.
#include "measure/Segment.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>

#include "engine/Messages.h"
#include "tests/measure/MeasureTestSupport.h"

namespace orvanix {
namespace {

// A 16-bit recording of `frames` frames from a signal in [-1, 1].
std::unique_ptr<TWaveData> Recording(uint32_t rate, uint16_t channels, uint32_t frames,
                                     const test::TSignal& signal) {
  auto wave = std::make_unique<TWaveData>(frames, MakeWaveFormat(channels, rate, 2));
  EXPECT_FALSE(wave->Error());
  for (uint32_t i = 0; i < frames; ++i) {
    for (uint16_t c = 0; c < channels; ++c) {
      const double v = std::clamp(signal(i, c), -1.0, 1.0) * 32767.0;
      wave->PutSample(static_cast<int32_t>(std::lround(v)), i, c);
    }
  }
  wave->Rewind();
  return wave;
}

// numpy's answer for channel `channel` of frames a ... b - 1 of the recording: the printed
// numbers of `expression` (x: the samples as fractions of full scale).
std::vector<double> Numpy(TWaveData& wave, uint32_t channel, uint32_t a, uint32_t b,
                          const std::string& expression, const test::TScratch& scratch) {
  const std::string raw = scratch.File("samples.raw");
  {
    std::ofstream out(raw, std::ios::binary);
    for (uint32_t i = a; i < b; ++i) {
      const int16_t v = static_cast<int16_t>(wave.GetSample(i, channel, false));
      out.write(reinterpret_cast<const char*>(&v), 2);
    }
  }
  const std::string script = scratch.File("check.py");
  std::ofstream(script) << "import numpy as np\n"
                        << "x = np.fromfile('" << raw << "', dtype='<i2').astype(np.float64)"
                        << " / 32767.0\n"
                        << "print(*[repr(float(v)) for v in (" << expression << ")])\n";
  std::vector<double> values;
  if (std::FILE* pipe = ::popen(("/usr/bin/python3 '" + script + "' 2>&1").c_str(), "r")) {
    char line[4096] = {};
    std::string text;
    while (std::fgets(line, sizeof line, pipe)) text += line;
    ::pclose(pipe);
    std::istringstream in(text);
    for (double v; in >> v;) values.push_back(v);
    EXPECT_FALSE(values.empty()) << text;
  }
  return values;
}

TEST(SegmentTest, RmsAndCrestFactorAgreeWithNumpyOnEachChannel) {
  test::TScratch scratch;
  std::mt19937 random(7);
  std::normal_distribution<double> noise(0.0, 0.05);
  std::vector<double> left(96000), right(96000);
  for (size_t i = 0; i < left.size(); ++i) {
    left[i] = 0.4 * test::Sine(997.0, 48000, i) + noise(random);
    right[i] = 0.1 * test::Sine(123.0, 48000, i) + 0.3 * (i % 4800 == 0 ? 1.0 : 0.0);
  }
  auto wave = Recording(48000, 2, 96000,
                        [&](uint64_t i, uint32_t c) { return c == 0 ? left[i] : right[i]; });
  const TCalibration none = ClearedCalibration();
  const TSegmentLevels levels = SegmentLevels(*wave, 0.25, 1.75, none);
  ASSERT_EQ(levels.channels, 2);
  for (uint32_t c = 0; c < 2; ++c) {
    const std::vector<double> expected =
        Numpy(*wave, c, 12000, 84000,
              "20*np.log10(np.sqrt(np.mean(x*x))), "
              "20*np.log10(np.max(np.abs(x))/np.sqrt(np.mean(x*x)))",
              scratch);
    ASSERT_EQ(expected.size(), 2u);
    EXPECT_NEAR(levels.level[c], expected[0], 0.01) << "channel " << c;
    EXPECT_NEAR(levels.crestDb[c], expected[1], 0.01) << "channel " << c;
    EXPECT_NEAR(20 * std::log10(levels.crest[c]), levels.crestDb[c], 1e-9);
  }
  // A sine's crest factor is sqrt(2); the messages show both channels.
  auto sine = Recording(48000, 1, 48000,
                        [](uint64_t i, uint32_t) { return 0.5 * test::Sine(1000.0, 48000, i); });
  const TSegmentLevels one = SegmentLevels(*sine, 0.0, 1.0, none);
  EXPECT_NEAR(one.crest[0], std::sqrt(2.0), 1e-3);
  EXPECT_EQ(CrestMessage(one),
            Format("Crest Factor = %6.2f   (%6.2f dB)", one.crest[0], one.crestDb[0]));
  EXPECT_EQ(RmsMessage(one, none), Format("RMS Level\r\t%6.4f\tPercent Full Scale\r\t%6.2f\tdBFS",
                                          one.rms[0], one.level[0]));
  EXPECT_EQ(RmsMessage(levels, none).rfind("RMS Level\rLeft:\t", 0), 0u);
  // An empty stretch: zeros and no value, never a read outside the recording.
  const TSegmentLevels empty = SegmentLevels(*sine, 2.0, 3.0, none);
  EXPECT_EQ(empty.rms[0], 0.0);
  EXPECT_EQ(empty.crest[0], 0.0);
  EXPECT_FLOAT_EQ(empty.level[0], -999.9);
}

TEST(SegmentTest, BlockSpanAndLeqClosedForms) {
  ProcessingSettings p = test::SettingsFor(1024, 44100);
  // A 2-second segment at 44100 Hz with FFT 1024 averages 2 x 88200 / 1024 = 172 blocks.
  TBlockSpan span = BlockSpan(p, 3.0, 5.0);
  EXPECT_EQ(span.blocks, 172u);
  EXPECT_NEAR(span.t0, 3.0 - 512.0 / 44100, 1e-12);
  // Moved back by half a block, never before 0; nothing when the end is before half a block.
  span = BlockSpan(p, 0.0, 1.0);
  EXPECT_EQ(span.t0, 0.0);
  EXPECT_EQ(BlockSpan(p, 0.0, 0.01).blocks, 0u);
  p.decimationRatio = 2;
  EXPECT_EQ(BlockSpan(p, 3.0, 5.0).blocks, 86u);

  EXPECT_NEAR(LeqFromLevel(80.0, 60.0, 3600.0), 62.218, 0.001);
  EXPECT_NEAR(LeqFromLevel(-1e9, 60.0, 3600.0), -80.0, 1e-9);
  TLeqResult r;
  r.leq[0] = 62.2185;
  r.weighting = 1;
  EXPECT_EQ(LeqMessage(r), "Leq = 62.22 dB A");
  r.channels = 2;
  r.leq[1] = -80.0;
  r.weighting = 0;
  EXPECT_EQ(LeqMessage(r), "Leq (left) = 62.22 dB\rLeq (right) = -80.00 dB");
}

TEST(SegmentTest, LeqOfTheSegmentAgreesWithNumpyFlatAndAWeighted) {
  test::TScratch scratch;
  // Three steady tones: every block of the segment holds the same power, so the average
  // spectrum's level is the samples' mean square (a full-scale sine reads 0 dB).
  auto wave = Recording(48000, 1, 48000 * 6, [](uint64_t i, uint32_t) {
    return 0.3 * test::Sine(101.0, 48000, i) + 0.2 * test::Sine(1003.0, 48000, i, 1.0) +
           0.1 * test::Sine(3989.0, 48000, i, 2.0);
  });
  ProcessingSettings p = test::SettingsFor(4096);
  p.smoothingWindow = 4;  // Hanning
  ScalingSettings scaling;
  scaling.ampScale = 1;
  TEngineObjects engine;
  ASSERT_TRUE(BuildEngineObjects(p, scaling, engine));
  ApplyCalibration(nullptr, engine);
  const TBlockSpan span = BlockSpan(engine.settings, 1.0, 5.0);
  ASSERT_EQ(AverageSegment(*wave, engine, engine.settings, span), span.blocks);
  EXPECT_EQ(engine.left->AverageCount(), span.blocks);
  // The settings' averaging comes back (here exponential of 1 block).
  EXPECT_EQ(engine.left->AveragingBlocks(), 1u);
  EXPECT_EQ(engine.left->AveragingType(), uint32_t{kAverageExponential});

  const uint32_t a = static_cast<uint32_t>(span.t0 * 48000);
  const uint32_t b = static_cast<uint32_t>(span.t1 * 48000);
  const double seconds = span.t1 - span.t0;
  // IEC 61672 A weighting, from its poles, in numpy.
  const std::vector<double> expected =
      Numpy(*wave, 0, a, b,
            "[10*np.log10(2*np.mean(x*x)*" + std::to_string(seconds) +
                "/3600), "
                "10*np.log10(sum((a*a)*10**(w/10) for a, w in zip([0.3, 0.2, 0.1], "
                "[20*np.log10(12194**2*f**4/((f*f+20.6**2)*np.sqrt((f*f+107.7**2)*(f*f+737.9**2))"
                "*(f*f+12194**2)))+2.0 for f in (101.0, 1003.0, 3989.0)]))*" +
                std::to_string(seconds) + "/3600)][0:2]",
            scratch);
  ASSERT_EQ(expected.size(), 2u);
  const TLeqResult flat = SegmentLeq(engine.left.get(), nullptr, seconds, 3600.0, 0);
  EXPECT_NEAR(flat.leq[0], expected[0], 0.01);
  const TLeqResult weighted = SegmentLeq(engine.left.get(), nullptr, seconds, 3600.0, 1);
  EXPECT_NEAR(weighted.leq[0], expected[1], 0.05);
}

TEST(SegmentTest, SchroederCurveOfAnExponentialDecayIsTheClosedForm) {
  // |x_k| = A exp(-k / tau): the backward sum from k is A (e^(-k/tau) - e^(-n/tau)) /
  // (1 - e^(-1/tau)), so the curve is full scale times (e^(-k/tau) - e^(-n/tau)) /
  // (1 - e^(-n/tau)). The sign of the samples does not count.
  const uint32_t n = 48000;
  const double tau = 4800.0;
  std::vector<int32_t> samples(n);
  for (uint32_t k = 0; k < n; ++k) {
    const double v = 20000.0 * std::exp(-double(k) / tau) * (k % 2 ? -1.0 : 1.0);
    samples[k] = static_cast<int32_t>(std::lround(v));
  }
  std::vector<int32_t> curve = samples;
  SchroederCurve(curve, 0, 32767);
  const double end = std::exp(-double(n) / tau);
  for (uint32_t k : {0u, 1u, 100u, 4800u, 20000u, 47999u}) {
    const double expected = 32767.0 * (std::exp(-double(k) / tau) - end) / (1.0 - end);
    // Rounding the decay to integers moves the sums by a few parts in 10^5.
    EXPECT_NEAR(curve[k], expected, 2.0 + 2e-4 * expected) << "k = " << k;
  }
  EXPECT_EQ(curve[0], 32767);
  // 8-bit samples measure from 127; silence changes nothing.
  std::vector<int32_t> bytes = {127, 227, 27, 127};
  SchroederCurve(bytes, 127, 255);
  EXPECT_EQ(bytes, (std::vector<int32_t>{255, 255, 191, 127}));
  std::vector<int32_t> silent(100, 0);
  SchroederCurve(silent, 0, 32767);
  EXPECT_EQ(silent, std::vector<int32_t>(100, 0));
}

TEST(SegmentTest, HilbertEnvelopeOfASineIsItsAmplitude) {
  // 20000 samples: two full chunks and a last one of 3616 padded to 4096.
  for (uint32_t n : {20000u, 8192u, 100u}) {
    std::vector<int32_t> samples(n);
    for (uint32_t k = 0; k < n; ++k) {
      samples[k] = static_cast<int32_t>(std::lround(10000.0 * test::Sine(1000.0, 48000, k, 0.3)));
    }
    HilbertEnvelope(samples, 0);
    // Away from the chunk edges the envelope is the amplitude within 1 %.
    for (uint32_t k = 0; k < n; ++k) {
      const uint32_t inChunk = k % 8192;
      const uint32_t chunkEnd = std::min<uint32_t>(8192, n - (k - inChunk));
      if (inChunk < 400 || chunkEnd - inChunk < 400) continue;
      ASSERT_NEAR(samples[k], 10000, 100) << "n = " << n << ", k = " << k;
    }
  }
}

TEST(SegmentTest, QualityFactorOfAResonanceFromItsHalfPowerPoints) {
  // 4096 Hz, FFT 16384: 0.25 Hz per bin. A resonance at 1000 Hz whose power halves 0.25 Hz
  // either side (Q 2000). On the 0.1 Hz grid the first points at or below half power are
  // 0.3 Hz out, so the bandwidth reads 0.6 Hz and Q 1667.
  std::vector<float> p(8192, 1e-9f);
  for (uint32_t k = 3800; k < 4200; ++k) {
    const double f = k * 0.25;
    p[k] = static_cast<float>(1.0 / (1.0 + std::pow((f - 1000.0) / 0.25, 2)));
  }
  auto s = test::SpectrumWithPowers(p, 4096);
  const TQualityFactor q = QualityFactor(*s, 990.f, 1010.f);
  EXPECT_FLOAT_EQ(q.peakHz, 1000.f);
  EXPECT_NEAR(q.bandwidthHz, 0.6f, 1e-3f);
  EXPECT_NEAR(q.q, 1000.f / 0.6f, 2.f);
  // Edges beyond the range give up (edge 0), so the bandwidth is not a real one.
  const TQualityFactor narrow = QualityFactor(*s, 999.9f, 1000.1f);
  EXPECT_EQ(narrow.q, 0.f);
  EXPECT_EQ(QualityMessage(q, nullptr),
            Format("Peak Frequency = %6.3f Hz\rBandwidth = %6.3f Hz\rQuality Factor = %6.3f",
                   q.peakHz, q.bandwidthHz, q.q));
}

}  // namespace
}  // namespace orvanix

namespace orvanix {
namespace {

// The raw samples of a segment as each sample width stores them: unsigned 8-bit around 128,
// signed 16 and 24-bit with their signs, per channel, beyond the end clamped.
TEST(SegmentTest, RawSegmentsReadEverySampleWidthWithItsSign) {
  for (uint16_t bytes : {1, 2, 3}) {
    const WaveFormat f = MakeWaveFormat(2, 8000, bytes);
    TWaveData wave(40, f);
    ASSERT_FALSE(wave.Error());
    const int32_t values[] = {f.minValue,      f.minValue + 1, f.zeroValue - 1, f.zeroValue,
                              f.zeroValue + 1, f.maxValue - 1, f.maxValue};
    for (uint32_t i = 0; i < 40; ++i) {
      wave.PutSample(values[i % 7], i, 0);
      wave.PutSample(values[6 - i % 7], i, 1);
    }
    std::vector<int32_t> left, right;
    ASSERT_TRUE(ReadRawSegment(wave, 10, 30, 0, left));
    ASSERT_TRUE(ReadRawSegment(wave, 10, 30, 1, right));
    ASSERT_EQ(left.size(), 20u);
    ASSERT_EQ(right.size(), 20u);
    for (uint32_t k = 0; k < 20; ++k) {
      EXPECT_EQ(left[k], values[(10 + k) % 7]) << bytes << " bytes, sample " << k;
      EXPECT_EQ(right[k], values[6 - (10 + k) % 7]) << bytes << " bytes, sample " << k;
    }
    std::vector<int32_t> tail;
    ASSERT_TRUE(ReadRawSegment(wave, 35, 1000, 0, tail));
    EXPECT_EQ(tail.size(), 5u);
    ASSERT_TRUE(ReadRawSegment(wave, 30, 30, 0, tail));
    EXPECT_TRUE(tail.empty());
  }
}

}  // namespace
}  // namespace orvanix
