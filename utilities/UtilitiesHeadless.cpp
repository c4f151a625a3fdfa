// The utilities' headless options: --delay (the delay finder over the run, its last reading
// printed), --dtmf FILE.wav (the keys of the whole file, as the segment analysis finds
// them) and --reverb (the reverberation time of recordings, or measured through the devices).
#include <QEventLoop>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "acquisition/SoundPort.h"
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
    {"--reverb", "[FILE.wav]",
     "print the reverberation time per band of a recording of the excitation\n"
     "(mono, 44100 Hz, 16 bits; given several times, also their averaged decay);\n"
     "without FILE, measure it through the sound devices (--device Loopback with\n"
     "--loopback-ir ROOM.wav for a synthetic room)"},
    {"--reverb-excitations", "N", "excitations a measured --reverb plays and averages (1 ... 16)"},
    {"--reverb-max-decay", "SECONDS", "the maximum decay time of a measured --reverb (1 ... 30)"},
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
    if (value.empty()) {
      headless_.reverbLive = true;
    } else {
      headless_.reverbFiles.push_back(value);
    }
  } else if (name == "--reverb-excitations" || name == "--reverb-max-decay") {
    char* end = nullptr;
    const long n = std::strtol(value.c_str(), &end, 10);
    const bool excitations = name == "--reverb-excitations";
    if (end == value.c_str() || *end || n < 1 || n > (excitations ? 16 : 30)) {
      return std::string(name) + (excitations ? " must be 1 ... 16" : " must be 1 ... 30");
    }
    (excitations ? headless_.excitations : headless_.maxDecaySecs) = static_cast<int>(n);
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

namespace {

void PrintBandLine(float frequency, double seconds) {
  if (frequency == kReverbWideband) {
    std::printf("  Wideband\t%.3f\n", seconds);
  } else {
    std::printf("  %g Hz\t%.3f\n", frequency, seconds);
  }
}

// The design's reading of one decay: the 60 dB time per band slot.
void PrintDecayTimes(const TReverbOptions& o, const std::string& of, const TReverbData& d) {
  const char* smoothing[3] = {"None", "Averaging", "Schroeder"};
  std::printf("Reverberation time (RT-%d0, %s smoothing, T60 in s) of %s:\n",
              std::clamp(o.extrapolationMethod, 0, 2) + 1,
              smoothing[std::clamp(o.smoothingMethod, 0, 2)], of.c_str());
  for (uint32_t b = 0; b < d.BandCount(); ++b) {
    PrintBandLine(d.Frames()[0].frequency[b], d.DecayTimes()[b].seconds[5]);
  }
}

void PrintAveraged(size_t count, const TReverbData& first, const std::vector<double>& t60) {
  std::printf("Averaged over %zu decays, Schroeder integration, T30 (T60 in s):\n", count);
  for (uint32_t b = 0; b < first.BandCount() && b < t60.size(); ++b) {
    PrintBandLine(first.Frames()[0].frequency[b], t60[b]);
  }
}

}  // namespace

int TUtilitiesModule::HeadlessReverb() {
  const TReverbOptions& o = Core().Settings().reverb;
  const TReverbTiming timing = TReverbTiming::For(o.maxDecayTime);
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
    PrintDecayTimes(o, headless_.reverbFiles[i], decays[i]);
    pointers.push_back(&decays[i]);
  }
  if (pointers.size() > 1) {
    PrintAveraged(pointers.size(), decays[0], AveragedDecayTimes(pointers, 30.0));
  }
  return 0;
}

int TUtilitiesModule::HeadlessLiveReverb() {
  if (headless_.excitations > 0) SetReverbExcitations(headless_.excitations);
  if (headless_.maxDecaySecs > 0) {
    const int32_t seconds = headless_.maxDecaySecs;
    Core().ChangeSettings([seconds](TAnalyzerSettings& s) { s.reverb.maxDecayTime = seconds; },
                          SettingsOrigin::Outside);
  }
  const int32_t inputId = Core().Settings().devices.inputDeviceId;
  const int32_t outputId = Core().Settings().devices.outputDeviceId;
  std::printf("Measuring through %s -> %s, %d excitation(s), maximum decay %d s\n",
              TSoundPort::DeviceName(TSoundDirection::Output, outputId).c_str(),
              TSoundPort::DeviceName(TSoundDirection::Input, inputId).c_str(), reverbExcitations_,
              Core().Settings().reverb.maxDecayTime);
  std::fflush(stdout);
  QEventLoop loop;
  ReverbOutcome outcome = ReverbOutcome::Cancelled;
  SetReverbFinishedHandler([&](ReverbOutcome o) {
    outcome = o;
    loop.quit();
  });
  if (StartReverb()) loop.exec();
  SetReverbFinishedHandler({});
  if (outcome != ReverbOutcome::Measured) return 1;
  const std::string of = reverbExcitations_ > 1 ? std::to_string(reverbExcitations_) +
                                                      " excitations (energy mean of their decays)"
                                                : std::string("the measurement");
  PrintDecayTimes(Core().Settings().reverb, of, reverb_);
  if (!averagedT60_.empty()) PrintAveraged(reverbExcitations_, reverb_, averagedT60_);
  return 0;
}

std::optional<int> TUtilitiesModule::HeadlessRun() {
  if (!headless_.reverbFiles.empty()) return HeadlessReverb();
  if (headless_.reverbLive) return HeadlessLiveReverb();
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
