// The digital filter's magnitude response, measured the way a user would: white noise in both
// channels of a document, the filter run over the left channel only, and the analyzer's real
// transfer function (left / right) averaged over the whole file. It must match the response
// of the same taps that scipy.signal.freqz computes, within 0.5 dB across the pass band.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iomanip>
#include <sstream>

#include "EditTestHelpers.h"
#include "engine/ProcessingStep.h"
#include "engine/SpectralData.h"
#include "files/Configuration.h"
#include "files/DigitalFilter.h"

namespace orvanix {
namespace {

class FilterResponseTest : public test::EditFixture {
 protected:
  // Filters a 44.1 kHz noise file with `settings` and returns "freq dB" lines of the
  // measured transfer function, one per bin.
  std::string Measure(TFilterSettings settings) {
    const uint32_t rate = 44100;
    const std::string path = scratch_.File("noise.wav");
    uint32_t state = 12345;
    int16_t last = 0;
    test::WriteWave16(path, rate, 2, rate * 12, [&](uint32_t, uint32_t c) {
      if (c == 0) {
        state = state * 1664525u + 1013904223u;
        last = static_cast<int16_t>((static_cast<int32_t>(state >> 16) - 32768) / 4);
      }
      return last;  // the same noise in both channels
    });
    UseStorage(StorageMode::Ram, true);
    EXPECT_TRUE(core_->SetMode(kModePostProcessing));
    EXPECT_TRUE(core_->OpenWave(path));
    core_->SetSelection(0.0, 12.0);
    settings.doLeft = 1;
    settings.doRight = 0;
    EXPECT_TRUE(Edit().Filter(settings));
    taps_ = FilterCoefficients(settings, rate / 2.0);

    core_->ChangeSettings(
        [](TAnalyzerSettings& s) {
          s.processing.fftSize = 4096;
          s.processing.smoothingWindow = kWindowHanning;
          s.processing.channelProcessing = kRealTransferLR;
          s.processing.averageType = kAverageLinear;
          s.processing.averageBlocks = kInfiniteAverages;
          s.processing.overlapPercent = 50;
          s.scaling.ampScale = 1;  // dB
          s.scaling.freqScale = 0;
        },
        SettingsOrigin::Dialog);
    core_->SetHeadlessConsumer(true);
    EXPECT_TRUE(core_->Rewind());
    EXPECT_TRUE(core_->Start());
    EXPECT_TRUE(core_->WaitUntilStopped(120000));
    const TSpectralData* h = core_->Engine().dual.get();
    EXPECT_TRUE(h && h->IsRatio());
    std::ostringstream out;
    for (uint32_t bin = 1; h && bin + 1 < h->BinCount(); ++bin) {
      out << h->BinFrequency(bin) << " " << h->Value(bin) << "\n";
    }
    core_->Document()->SetModified(false);
    return out.str();
  }

  // The largest deviation from freqz over the pass band (where freqz is within 1 dB of 0 dB),
  // and how many bins that band holds.
  std::string Compare(const std::string& measured) {
    const std::string dir = scratch_.Path();
    std::ofstream(dir + "/measured.txt") << measured;
    std::ofstream taps(dir + "/taps.txt");
    for (float t : taps_) taps << std::setprecision(9) << t << "\n";
    taps.close();
    std::ofstream(dir + "/compare.py")
        << "import numpy, sys\n"
           "from scipy.signal import freqz\n"
           "m = numpy.loadtxt(sys.argv[1] + '/measured.txt')\n"
           "b = numpy.loadtxt(sys.argv[1] + '/taps.txt')\n"
           "w, h = freqz(b, worN=m[:, 0], fs=44100)\n"
           "ref = 20 * numpy.log10(numpy.abs(h))\n"
           "band = numpy.abs(ref) < 1.0\n"
           "print('%.3f %d' % (numpy.max(numpy.abs(m[band, 1] - ref[band])), band.sum()))\n";
    return test::Capture(test::Python() + " " + dir + "/compare.py " + dir);
  }

  std::vector<float> taps_;
};

TEST_F(FilterResponseTest, EveryTypeMatchesFreqzOfItsTapsInThePassBand) {
  ASSERT_FALSE(test::Python().empty()) << "python3 with numpy and scipy (scripts/install-deps.sh)";
  struct Case {
    const char* name;
    TFilterSettings settings;
    int minBins;
  };
  std::vector<Case> cases(4);
  cases[0].name = "low pass 3 kHz, 81 taps";
  cases[0].settings.type = kLowPass;
  cases[0].settings.lpCutoffHz = 3000;
  cases[0].minBins = 200;
  cases[1].name = "high pass 5 kHz, 199 taps";
  cases[1].settings.type = kHighPass;
  cases[1].settings.hpCutoffHz = 5000;
  cases[1].settings.numTaps = 199;
  cases[1].minBins = 1500;
  cases[2].name = "band pass 8 kHz +- 2 kHz, 199 taps";
  cases[2].settings.type = kBandPass;
  cases[2].settings.bpCenterHz = 8000;
  cases[2].settings.bpWidthHz = 4000;
  cases[2].settings.numTaps = 199;
  cases[2].minBins = 250;
  cases[3].name = "notch 6 kHz, 2 kHz wide, 39 taps";
  cases[3].settings.type = kNotch;
  cases[3].settings.notchCenterHz = 6000;
  cases[3].settings.notchWidthHz = 2000;
  cases[3].settings.numTaps = 39;
  cases[3].minBins = 1000;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string result = Compare(Measure(c.settings));
    std::istringstream in(result);
    double worst = 99;
    int bins = 0;
    ASSERT_TRUE(in >> worst >> bins) << result;
    std::printf("%s: %d pass-band bins, worst deviation %.3f dB\n", c.name, bins, worst);
    EXPECT_GE(bins, c.minBins);
    EXPECT_LE(worst, 0.5) << "worst deviation in the pass band, dB";
    ASSERT_TRUE(core_->CloseDocument());
  }
}

}  // namespace
}  // namespace orvanix
