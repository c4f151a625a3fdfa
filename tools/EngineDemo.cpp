// Runs the spectrum engine on a synthesised signal and prints what it finds: a 1 kHz tone at
// -6 dBFS with a little white noise, 48 kHz 16-bit mono, Hanning window, 8 exponential
// averages; first the narrowband peak, then the 1/3-octave band levels.
#include <cmath>
#include <cstdio>
#include <random>

#include "engine/OctaveBands.h"
#include "engine/ProcessingStep.h"

using namespace orvanix;

namespace {

constexpr double kPi = 3.141592653589793;
constexpr uint32_t kRateHz = 48000;
constexpr double kToneHz = 1000.0;
constexpr double kToneAmplitude = 0.5 * 32767;  // -6 dBFS
constexpr double kNoiseRms = 3.0;               // counts: about -81 dBFS
constexpr int kBlocks = 8;

// Feeds `kBlocks` consecutive blocks of the signal through the processing step.
bool Analyse(const ProcessingSettings& settings, const ScalingSettings& scaling,
             TEngineObjects& engine) {
  if (!BuildEngineObjects(settings, scaling, engine)) return false;
  ApplyCalibration(nullptr, engine);
  std::mt19937 rng(42);
  std::normal_distribution<double> noise(0.0, kNoiseRms);
  TSeriesData& series = *engine.seriesLeft;
  uint64_t t = 0;  // sample clock: the tone runs on across blocks
  for (int block = 0; block < kBlocks; ++block) {
    for (uint32_t i = 0; i < series.Count(); ++i, ++t) {
      const double v = kToneAmplitude * std::sin(2 * kPi * kToneHz * t / kRateHz) + noise(rng);
      series.PutSample(i, static_cast<int32_t>(std::lround(v)));
    }
    series.Decimate();
    ProcessBlock(engine);
  }
  return true;
}

}  // namespace

int main() {
  ProcessingSettings settings;
  settings.format = MakeWaveFormat(1, kRateHz, 2);
  settings.fftSize = 4096;
  settings.smoothingWindow = kWindowHanning;
  settings.averageType = kAverageExponential;
  settings.averageBlocks = kBlocks;
  ScalingSettings scaling;
  scaling.ampScale = 1;   // logarithmic: dB re full scale
  scaling.freqScale = 0;  // linear

  std::printf(
      "Orvanix engine demo: %.0f Hz at -6 dBFS plus noise, %u Hz 16-bit, N = %d, %s, "
      "%d exponential averages\n",
      kToneHz, kRateHz, settings.fftSize, TSmoothing::TypeName(kWindowHanning).c_str(), kBlocks);

  TEngineObjects engine;
  if (!Analyse(settings, scaling, engine)) return 1;
  const TSpectralData& spectrum = *engine.left;
  const uint32_t peak = spectrum.PeakBin();
  std::printf("Peak: %.1f Hz  %.2f dB  (bin %u of %u, bin width %.2f Hz, %u blocks averaged)\n",
              spectrum.PeakFrequency(), spectrum.Value(peak), peak, spectrum.BinCount(),
              spectrum.BinWidth(), spectrum.AverageCount());

  scaling.freqScale = 2;  // fractional octave
  scaling.octaveNumber = 3;
  if (!Analyse(settings, scaling, engine)) return 1;
  const TSpectralData& bands = *engine.left;
  std::printf("\n1/3-octave bands (Hz, dB re full scale):\n");
  for (uint32_t b = bands.FirstValidBand(); b <= bands.LastBand(); ++b) {
    std::printf("%8s %8.1f\n", BandLabel(bands.BandCentre(b)).c_str(), bands.Value(b));
  }
  std::printf("Loudest band: %s Hz\n", BandLabel(bands.PeakFrequency()).c_str());
  return 0;
}
