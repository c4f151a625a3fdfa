// Reverberation time of synthetic rooms: impulse responses made here with a known 60 dB time
// per 1/3-octave band (0.3 ... 2.0 s), the excitation played through the Loopback device's
// convolution, recorded as 16-bit samples and analysed. Prints the error per band for each
// smoothing and RT-n; requires the averaged Schroeder reading of four excitations (RT-30) to
// hold every band from 125 Hz to 4 kHz within 10 % and their mean within 5 %.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "acquisition/LoopbackConvolver.h"
#include "engine/Fft.h"
#include "generator/NoiseResource.h"
#include "utilities/ReverbAnalysis.h"

namespace orvanix {
namespace {

// The room: 2.0 s at 100 Hz falling with log frequency to 0.3 s at 16 kHz.
double RoomT60(double hz) {
  const double x = std::clamp(std::log2(hz / 100.0) / std::log2(160.0), 0.0, 1.0);
  return 2.0 - 1.7 * x;
}

// White noise split into 1/3-octave bands in the frequency domain, each band under its own
// exponential envelope, summed: 2.6 s at 44.1 kHz, scaled to `energy`.
std::vector<float> RoomResponse(uint32_t seed, double energy) {
  const uint32_t n = 1u << 17;
  const double rate = kReverbRateHz;
  std::mt19937 random(seed);
  std::normal_distribution<double> gauss(0.0, 1.0);
  std::vector<float> white(n);
  for (float& v : white) v = static_cast<float>(gauss(random));
  RealFft(white.data(), n, 1);
  std::vector<double> room(n, 0.0);
  std::vector<float> band(n);
  for (int k = -20; k <= 22; ++k) {  // centres 10 Hz ... 16 kHz
    const double centre = 1000.0 * std::pow(2.0, k / 3.0);
    const double lo = centre * std::pow(2.0, -1.0 / 6), hi = centre * std::pow(2.0, 1.0 / 6);
    std::fill(band.begin(), band.end(), 0.0f);
    for (uint32_t bin = 1; bin < n / 2; ++bin) {
      const double f = bin * rate / n;
      if (f >= lo && f < hi) band[2 * bin] = white[2 * bin], band[2 * bin + 1] = white[2 * bin + 1];
    }
    RealFft(band.data(), n, -1);
    const double decay = 3.0 * std::log(10.0) / RoomT60(centre);  // amplitude: 60 dB in T60
    for (uint32_t i = 0; i < n; ++i) room[i] += band[i] * std::exp(-decay * i / rate);
  }
  const size_t length = static_cast<size_t>(2.6 * rate);
  double sum = 0;
  for (size_t i = 0; i < length; ++i) sum += room[i] * room[i];
  std::vector<float> taps(length);
  for (size_t i = 0; i < length; ++i)
    taps[i] = static_cast<float>(room[i] * std::sqrt(energy / sum));
  return taps;
}

// The excitation through the room as the Loopback's input records it.
std::vector<int16_t> Record(const std::vector<int16_t>& excitation,
                            const std::vector<float>& room) {
  TLoopbackConvolver convolver;
  convolver.SetResponse(room);
  std::vector<double> signal(excitation.size());
  for (size_t i = 0; i < signal.size(); ++i) signal[i] = excitation[i] / 32767.0;
  for (size_t at = 0; at < signal.size(); at += 1024) {
    convolver.Process(signal.data() + at,
                      static_cast<uint32_t>(std::min<size_t>(1024, signal.size() - at)));
  }
  std::vector<int16_t> out(signal.size());
  for (size_t i = 0; i < out.size(); ++i) {
    out[i] =
        static_cast<int16_t>(std::lround(std::clamp(signal[i], -1.0, 32767.0 / 32768) * 32767.0));
  }
  return out;
}

std::vector<int16_t> Pink() {
  TNoiseResources resources;
  EXPECT_TRUE(LoadNoiseResources(resources));
  const auto& s = resources.pink.Samples();
  return std::vector<int16_t>(s.begin(), s.begin() + resources.pink.LoopLength());
}

TEST(ReverbRoomTest, SyntheticRoomThroughTheLoopbackConvolution) {
  const TReverbTiming timing = TReverbTiming::For(3);
  const std::vector<int16_t> pink = Pink();
  ASSERT_FALSE(pink.empty());
  const std::vector<float> room = RoomResponse(11, 0.5);

  // One excitation, every smoothing and RT-n: the design's reading.
  const std::vector<int16_t> recording = Record(BuildExcitation(timing, pink), room);
  EXPECT_NEAR(FindSyncTime(recording), 0.8, 0.05);
  const char* smoothing[3] = {"None", "Averaging", "Schroeder"};
  for (int32_t s = 0; s < 3; ++s) {
    for (int32_t x = 0; x < 3; ++x) {
      TReverbData data;
      ASSERT_EQ(AnalyseRecording(recording, timing, s, x, data), ReverbLevel::Ok);
      std::printf("one decay, %-9s RT-%d0:", smoothing[s], x + 1);
      for (uint32_t b = 0; b + 1 < data.BandCount(); ++b) {
        const double f = data.Frames()[0].frequency[b];
        if (f < 120 || f > 4100) continue;
        const double t = data.DecayTimes()[b].seconds[5];
        std::printf(" %g:%+.0f%%", f, 100.0 * (t / RoomT60(f) - 1.0));
      }
      std::printf("\n");
    }
  }

  // Four excitations, each another stretch of the pink noise, averaged and integrated.
  std::vector<TReverbData> decays(4);
  std::vector<const TReverbData*> pointers;
  for (size_t e = 0; e < decays.size(); ++e) {
    const auto excitation = BuildExcitation(timing, pink, e * pink.size() / 4);
    ASSERT_EQ(AnalyseRecording(Record(excitation, room), timing, kSmoothNone, kRt30, decays[e]),
              ReverbLevel::Ok);
    pointers.push_back(&decays[e]);
  }
  for (double range : {20.0, 30.0}) {
    const std::vector<double> t60 = AveragedDecayTimes(pointers, range);
    double sum = 0;
    int count = 0;
    std::printf("four decays, Schroeder, T%.0f:", range);
    for (uint32_t b = 0; b + 1 < decays[0].BandCount(); ++b) {
      const double f = decays[0].Frames()[0].frequency[b];
      if (f < 120 || f > 4100) continue;
      const double error = t60[b] / RoomT60(f) - 1.0;
      std::printf(" %g:%+.1f%%", f, 100.0 * error);
      if (range == 30.0) EXPECT_LT(std::fabs(error), 0.10) << f << " Hz";
      sum += error;
      ++count;
    }
    std::printf("  mean %+.1f%%\n", 100.0 * sum / count);
    if (range == 30.0) {
      EXPECT_EQ(count, 16);
      EXPECT_LT(std::fabs(sum / count), 0.05);
    }
  }
}

}  // namespace
}  // namespace orvanix
