// The utilities' headless options: --delay (the delay finder over the run, its last reading
// printed) and --dtmf FILE.wav (the keys of the whole file, as the segment analysis finds
// them).
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/core/Headless.h"
#include "files/Configuration.h"
#include "files/WaveFile.h"
#include "utilities/ReverbAnalysis.h"
#include "utilities/UtilitiesModule.h"

namespace orvanix {

namespace {

const THeadlessOption kOptions[] = {
    {"--delay", nullptr,
     "the delay between the left and the right channel over the run (a stereo\n"
     "FILE.wav, or --realtime-seconds); prints the last reading"},
    {"--dtmf", "FILE.wav", "print the DTMF keys of the whole file and exit"},
    {"--reverb", "FILE.wav",
     "print the reverberation time per band of a recording of the excitation\n"
     "(mono, 44100 Hz, 16 bits); given several times, also their averaged decay"},
};

}  // namespace

TModuleInfo TUtilitiesModule::Info() {
  return {kName,
          [](TAnalyzerCore& core) -> std::unique_ptr<TCoreModule> {
            return std::make_unique<TUtilitiesModule>(core);
          },
          kOptions};
}

std::string TUtilitiesModule::TakeHeadlessOption(std::string_view name, const std::string& value) {
  if (name == "--delay") {
    headless_.delay = true;
  } else if (name == "--reverb") {
    if (value.empty()) return "--reverb needs a wave file";
    headless_.reverbFiles.push_back(value);
  } else if (name == "--dtmf") {
    if (value.empty()) return "--dtmf needs a wave file";
    headless_.dtmfFile = value;
  }
  return {};
}

void TUtilitiesModule::TakeCommonHeadlessOptions(const THeadlessOptions& options) {
  headless_.hasFileArgument = !options.argument.empty();
}

bool TUtilitiesModule::HeadlessPrepare() {
  if (!headless_.delay) return true;
  return OpenDelayFinder();
}

namespace {

// The recording's samples; false (told) when it is not the measurement's format.
bool ReadRecording(const std::string& path, std::vector<int16_t>& samples) {
  TWaveFile wave(path, StorageMode::Ram, false, std::string());
  if (wave.Error()) return false;
  const WaveFormat& f = wave.Format();
  if (f.channels != 1 || f.sampleRate != kReverbRateHz || f.bytesPerSample != 2) {
    std::fprintf(stderr, "tessiva: %s is not a mono 44100 Hz 16-bit recording\n", path.c_str());
    return false;
  }
  samples.resize(wave.Length());
  for (uint32_t i = 0; i < wave.Length(); ++i) {
    samples[i] = static_cast<int16_t>(wave.GetSample(i, 0, false));
  }
  return true;
}

}  // namespace

int TUtilitiesModule::HeadlessReverb() {
  const TReverbOptions& o = Core().Settings().reverb;
  const TReverbTiming timing = TReverbTiming::For(o.maxDecayTime);
  const char* smoothing[3] = {"None", "Averaging", "Schroeder"};
  std::vector<TReverbData> decays(headless_.reverbFiles.size());
  std::vector<const TReverbData*> pointers;
  for (size_t i = 0; i < decays.size(); ++i) {
    std::vector<int16_t> samples;
    if (!ReadRecording(headless_.reverbFiles[i], samples)) return 1;
    const ReverbLevel level =
        AnalyseRecording(samples, timing, o.smoothingMethod, o.extrapolationMethod, decays[i]);
    if (level != ReverbLevel::Ok) {
      std::string text = level == ReverbLevel::Clipping ? kReverbClipping : kReverbTooLow;
      for (char& c : text) c = c == '\r' ? ' ' : c;
      std::fprintf(stderr, "tessiva: %s: %s\n", headless_.reverbFiles[i].c_str(), text.c_str());
      return 1;
    }
    std::printf("Reverberation time (RT-%d0, %s smoothing, T60 in s) of %s:\n",
                o.extrapolationMethod + 1, smoothing[std::clamp(o.smoothingMethod, 0, 2)],
                headless_.reverbFiles[i].c_str());
    const TReverbData& d = decays[i];
    for (uint32_t b = 0; b < d.BandCount(); ++b) {
      const float f = d.Frames()[0].frequency[b];
      const float t = d.DecayTimes()[b].seconds[5];
      if (f == kReverbWideband) {
        std::printf("  Wideband\t%.3f\n", t);
      } else {
        std::printf("  %g Hz\t%.3f\n", f, t);
      }
    }
    pointers.push_back(&decays[i]);
  }
  if (pointers.size() > 1) {
    const std::vector<double> t60 = AveragedDecayTimes(pointers, 30.0);
    std::printf("Averaged over %zu decays, Schroeder integration, T30 (T60 in s):\n",
                pointers.size());
    for (uint32_t b = 0; b < decays[0].BandCount(); ++b) {
      const float f = decays[0].Frames()[0].frequency[b];
      if (f == kReverbWideband) {
        std::printf("  Wideband\t%.3f\n", t60[b]);
      } else {
        std::printf("  %g Hz\t%.3f\n", f, t60[b]);
      }
    }
  }
  return 0;
}

std::optional<int> TUtilitiesModule::HeadlessRun() {
  if (!headless_.reverbFiles.empty()) return HeadlessReverb();
  if (headless_.dtmfFile.empty()) return std::nullopt;
  TWaveFile wave(headless_.dtmfFile, StorageMode::Ram, false, std::string());
  if (wave.Error()) return 1;  // the reason was reported
  TDtmfSegmentResult result;
  if (!DecodeDtmfSegment(wave, 0, wave.Length(), Core().Settings().processing, result)) return 1;
  std::string text = DtmfResultText(result);
  for (char& c : text) {
    if (c == '\r') c = '\n';
  }
  std::printf("%s\n", text.c_str());
  return 0;
}

int TUtilitiesModule::HeadlessReport() {
  if (!headless_.delay) return 0;
  if (!finder_) return 1;
  const TDelayFinderOptions& options = Core().Settings().delayFinder;
  if (finder_->Status() != DelayStatus::Found) {
    std::printf("Delay: none (%s)\n", DelayReading().c_str());
    return 1;
  }
  std::printf("Delay: %s (%d samples; %s)\n", DelayText(finder_->DelayMsec(), options).c_str(),
              finder_->DelaySamples(),
              finder_->DelaySamples() >= 0 ? "the left channel arrives late"
                                           : "the right channel arrives late");
  return 0;
}

}  // namespace orvanix
