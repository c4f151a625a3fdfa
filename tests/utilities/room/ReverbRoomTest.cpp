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
#include "generator/NoiseResource.h"
#include "utilities/ReverbAnalysis.h"
#include "utilities/RoomHelpers.h"

namespace orvanix {
namespace {

using test::RoomResponse;
using test::RoomT60;

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
