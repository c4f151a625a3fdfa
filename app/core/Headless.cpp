#include "app/core/Headless.h"

#include <sys/resource.h>

#include <QCoreApplication>
#include <algorithm>
#include <chrono>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numbers>
#include <optional>

#include "acquisition/LoopbackDevice.h"
#include "acquisition/RunLoop.h"
#include "acquisition/SoundInput.h"
#include "app/core/AnalyzerCore.h"
#include "app/core/CoreModule.h"
#include "app/core/VersionText.h"
#include "engine/Messages.h"
#include "engine/ProcessingStep.h"
#include "engine/TimeText.h"
#include "files/Configuration.h"
#include "files/WaveFile.h"

namespace orvanix {

namespace {

// Messages to stderr; every question takes its default answer, and says so.
class THeadlessSink : public TMessageSink {
 public:
  explicit THeadlessSink(bool quiet) : quiet_(quiet) {}
  void Report(std::string_view text, std::string_view, MessageIcon icon) override {
    if (quiet_ && icon == MessageIcon::Information) return;
    std::fprintf(stderr, "tessiva: %s\n", Flatten(text).c_str());
  }
  MessageAnswer Ask(std::string_view text, std::string_view, MessageButtons,
                    MessageAnswer defaultAnswer, MessageIcon) override {
    static const char* const kWords[] = {"OK", "Cancel", "Yes", "No"};
    std::fprintf(stderr, "tessiva: %s [answered %s]\n", Flatten(text).c_str(),
                 kWords[static_cast<int>(defaultAnswer)]);
    return defaultAnswer;
  }

 private:
  // Message boxes break lines with '\r'; a terminal wants one line.
  static std::string Flatten(std::string_view text) {
    std::string line;
    for (char c : text) {
      if (c == '\r' || c == '\n') {
        if (!line.empty() && line.back() != ' ') line += ' ';
      } else {
        line += c;
      }
    }
    return line;
  }
  bool quiet_;
};

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
}

// The report line's value: the text after its last tab.
std::string ReportValue(const std::string& line) {
  const size_t tab = line.find_last_of('\t');
  return tab == std::string::npos ? line : line.substr(tab + 1);
}

const char* AveragingName(uint16_t type) {
  switch (type) {
    case kAverageLinear:
      return "linear";
    case kAverageVector:
      return "vector";
    default:
      return "exponential";
  }
}

void PrintSettings(const TAnalyzerCore& core) {
  const TEngineObjects& engine = core.Engine();
  const ProcessingSettings& p = engine.settings;
  const ScalingSettings& s = engine.scaling;
  const std::string blocks = p.averageBlocks >= kInfiniteAverages ? std::string("Infinite")
                                                                  : std::to_string(p.averageBlocks);
  std::printf("Settings: %u Hz, %u bit, %s; FFT %d pts, decimation %u, %s window, overlap %u %%\n",
              p.format.sampleRate, p.format.bitsPerSample,
              p.format.channels == 2 ? "stereo" : "mono", p.fftSize, p.decimationRatio,
              TSmoothing::TypeName(p.smoothingWindow).c_str(), p.overlapPercent);
  std::printf("          %s averaging of %s block(s), %s amplitude, channel processing: %s\n",
              AveragingName(p.averageType), blocks.c_str(),
              s.ampScale == 1 ? "logarithmic" : "linear",
              ReportValue(ChannelProcessingReportText(EffectiveMode(p))).c_str());
}

void PrintPeak(const char* name, const TSpectralData* spectrum) {
  if (!spectrum || spectrum->Error()) return;
  const uint32_t peak = spectrum->PeakBin();
  const float value = spectrum->Value(peak);
  const char* unit = spectrum->IsRatio()               ? ""
                     : spectrum->AmplitudeScale() == 1 ? " dB"
                                                       : " % of full scale";
  if (spectrum->FrequencyScale() == 2 && spectrum->BandCount() > 0) {
    std::printf("%-6s peak band %.1f Hz: %.2f%s (%u averages)\n", name, spectrum->BandCentre(peak),
                value, unit, spectrum->AverageCount());
  } else {
    std::printf("%-6s peak %.2f Hz (bin %u): %.2f%s (%u averages)\n", name,
                spectrum->BinFrequency(peak), peak, value, unit, spectrum->AverageCount());
  }
}

void PrintResults(const TAnalyzerCore& core) {
  const TEngineObjects& engine = core.Engine();
  const uint16_t mode = EffectiveMode(engine.settings);
  if (mode <= kBothChannels) {
    if (mode != kRightOnly) PrintPeak("Left:", engine.left.get());
    if (mode != kLeftOnly) PrintPeak("Right:", engine.right.get());
  } else {
    PrintPeak("Result:", engine.dual.get());
    if (engine.dual2) PrintPeak("Coherence:", engine.dual2.get());
  }
}

void ApplyOverrides(TAnalyzerCore& core, const THeadlessOptions& o) {
  core.ChangeSettings(
      [&o](TAnalyzerSettings& s) {
        ProcessingSettings& p = s.processing;
        if (o.rate || o.channels || o.bits) {
          p.format.Set(o.channels.value_or(p.format.channels),
                       o.rate.value_or(static_cast<int>(p.format.sampleRate)),
                       o.bits ? static_cast<uint32_t>(*o.bits / 8) : p.format.bytesPerSample);
        }
        if (o.fftSize) p.fftSize = *o.fftSize;
        if (o.windowType) p.smoothingWindow = static_cast<uint16_t>(*o.windowType);
        if (o.averageBlocks) p.averageBlocks = *o.averageBlocks;
        if (o.averageType) p.averageType = static_cast<uint16_t>(*o.averageType);
        if (o.overlap) p.overlapPercent = static_cast<uint16_t>(*o.overlap);
        if (o.channelMode) p.channelProcessing = static_cast<uint16_t>(*o.channelMode);
        if (o.decimation) p.decimationRatio = static_cast<uint16_t>(*o.decimation);
        if (o.ampScale) s.scaling.ampScale = static_cast<uint16_t>(*o.ampScale);
        if (o.freqScale) s.scaling.freqScale = static_cast<uint16_t>(*o.freqScale);
      },
      SettingsOrigin::Outside);
}

bool SelectDevice(TAnalyzerCore& core, const std::string& name) {
  const int in = TSoundPort::FindDevice(TSoundDirection::Input, name);
  const int out = TSoundPort::FindDevice(TSoundDirection::Output, name);
  if (in < 0 && out < 0) {
    std::fprintf(stderr, "tessiva: no sound device named \"%s\"\n", name.c_str());
    return false;
  }
  core.ChangeSettings(
      [&](TAnalyzerSettings& s) {
        if (in >= 0) s.devices.inputDeviceId = in;
        if (out >= 0) s.devices.outputDeviceId = out;
      },
      SettingsOrigin::Outside);
  return true;
}

int AnalyseDocument(TAnalyzerCore& core, const THeadlessOptions& o) {
  const TWaveFile* doc = core.Document();
  const WaveFormat& f = doc->Format();
  std::printf("File: %s (%u Hz, %u bit, %s, %s s)\n", doc->TargetPath().c_str(), f.sampleRate,
              f.bitsPerSample, f.channels == 2 ? "stereo" : "mono",
              TimeText(doc->LengthSeconds()).c_str());
  PrintSettings(core);
  if (o.blocks > 0) core.SetBlockLimit(true, o.blocks - 1);
  const auto wallStart = std::chrono::steady_clock::now();
  const double cpuStart = CpuSeconds();
  if (!core.Start()) return 1;
  core.WaitUntilStopped(24 * 3600 * 1000);
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
  const double cpu = CpuSeconds() - cpuStart;
  const double audio = doc->LengthSeconds();
  std::printf("Blocks processed: %llu (overloaded: %u), position %s s\n",
              static_cast<unsigned long long>(core.BlockCount()), core.Status().overloadCount,
              TimeText(doc->PositionSeconds()).c_str());
  PrintResults(core);
  std::printf("Analysis time: %.3f s wall, %.3f s CPU; %.0f s of audio per second\n", wall, cpu,
              wall > 0 ? audio / wall : 0.0);
  return core.BlockCount() > 0 ? 0 : 1;
}

// The input frames of a timed run: seconds x rate, rounded.
uint64_t TimedFrames(const TAnalyzerCore& core, double seconds) {
  return static_cast<uint64_t>(
      std::llround(seconds * core.Settings().processing.format.sampleRate));
}

// Waits for a timed run, which stops by itself on its sample count; a device that stops
// delivering is given up after the run's length and ten seconds more.
bool WaitForTimedRun(TAnalyzerCore& core, double seconds) {
  const bool stopped = core.WaitUntilStopped(static_cast<int>(seconds * 1000.0) + 10000);
  core.Stop();
  return stopped;
}

uint64_t InputFrames(TAnalyzerCore& core) {
  const TSoundInput* in = core.Input();
  return in ? in->Position() : 0;
}

int RunRealTime(TAnalyzerCore& core, const THeadlessOptions& o) {
  if (!core.SetMode(kModeRealTime)) return 1;
  PrintSettings(core);
  const TSoundInput* in = core.Input();
  std::printf("Input: %s\n", in && in->HasDevice() ? in->Name().c_str() : "none");
  const uint64_t frames = TimedFrames(core, o.realTimeSeconds);
  core.SetInputFrameLimit(frames);
  const auto wallStart = std::chrono::steady_clock::now();
  const double cpuStart = CpuSeconds();
  if (!core.Start()) return 1;
  const bool stopped = WaitForTimedRun(core, o.realTimeSeconds);
  const uint64_t blocks = core.BlockCount();
  const TStatusInfo status = core.Status();
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
  const double cpu = CpuSeconds() - cpuStart;
  const uint64_t analysed = std::min(InputFrames(core), frames);
  std::printf("Blocks processed: %llu in %.2f s (%.1f blocks/s), overloaded: %u, overruns: %llu\n",
              static_cast<unsigned long long>(blocks), wall, wall > 0 ? blocks / wall : 0.0,
              status.overloadCount, static_cast<unsigned long long>(status.overrunCount));
  std::printf("Input analysed: %llu frames (%s s)\n", static_cast<unsigned long long>(analysed),
              TimeText(static_cast<double>(analysed) /
                       std::max<uint32_t>(1, core.Engine().settings.format.sampleRate))
                  .c_str());
  PrintResults(core);
  std::printf("CPU: %.3f s in %.2f s wall = %.2f %% of one core\n", cpu, wall,
              wall > 0 ? 100.0 * cpu / wall : 0.0);
  // A run cut short (the device failed) did not see its whole length.
  return blocks > 0 && stopped && analysed == frames ? 0 : 1;
}

int RunRecording(TAnalyzerCore& core, const THeadlessOptions& o) {
  if (!core.SetMode(kModeRecorder) || !core.NewDocument()) return 1;
  PrintSettings(core);
  const uint64_t frames = TimedFrames(core, o.recordSeconds);
  core.SetInputFrameLimit(frames);
  if (!core.Start()) return 1;
  if (const TWaveFile* doc = core.Document()) {
    std::printf("Recording into %s\n", doc->WorkingPath().c_str());
    std::fflush(stdout);
  }
  const bool stopped = WaitForTimedRun(core, o.recordSeconds);
  const uint64_t recorded = std::min(InputFrames(core), frames);
  const TWaveFile* doc = core.Document();
  if (!doc) return 1;
  std::printf("Recorded %s s (%u frames)\n", TimeText(doc->ValidLengthSeconds()).c_str(),
              doc->ValidLength());
  if (!o.output.empty()) {
    if (!core.SaveDocumentAs(o.output)) return 1;
    std::printf("Saved %s\n", o.output.c_str());
  }
  return stopped && recorded == frames ? 0 : 1;
}

// Hands each module its options; false (after saying why) when one is refused.
bool GiveModuleOptions(TAnalyzerCore& core, const THeadlessOptions& o) {
  for (const auto& [name, value] : o.moduleOptions) {
    const TModuleInfo* info = FindHeadlessOption(name);
    TCoreModule* module = info ? core.FindModule(info->name) : nullptr;
    if (!module) continue;
    const std::string error = module->TakeHeadlessOption(name, value);
    if (!error.empty()) {
      std::fprintf(stderr, "tessiva: %s\n", error.c_str());
      return false;
    }
  }
  return true;
}

// The Loopback's impulse responses and noise from the command line; false (reported) when a
// response cannot be read.
bool ApplyLoopbackOptions(const THeadlessOptions& o) {
  if (o.loopbackIrLeft.empty() && o.loopbackIrRight.empty() && !o.loopbackNoiseDb) return true;
  TLoopbackSettings settings = TLoopbackDevice::Instance().Settings();
  if (!o.loopbackIrLeft.empty()) settings.impulseLeft = o.loopbackIrLeft;
  if (!o.loopbackIrRight.empty()) settings.impulseRight = o.loopbackIrRight;
  if (o.loopbackNoiseDb)
    settings.noiseLevel = static_cast<float>(std::pow(10.0, *o.loopbackNoiseDb / 20.0));
  std::string error;
  if (!TLoopbackDevice::Instance().SetSettings(settings, &error)) {
    std::fprintf(stderr, "tessiva: %s\n", error.c_str());
    return false;
  }
  return true;
}

}  // namespace

int RunHeadless(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  // Qt set the locale from the environment; numbers in our files always use '.'.
  std::setlocale(LC_NUMERIC, "C");

  std::vector<std::string> args(argv + 1, argv + argc);
  const THeadlessOptions o = ParseCommandLine(args);
  if (!o.error.empty()) {
    std::fprintf(stderr, "tessiva: %s\n\n%s", o.error.c_str(), HeadlessUsage().c_str());
    return 2;
  }
  if (o.help) {
    std::fputs(HeadlessUsage().c_str(), stdout);
    return 0;
  }
  if (o.version) {
    std::fputs(VersionText().c_str(), stdout);
    return 0;
  }

  THeadlessSink sink(o.quiet);
  TScopedMessageSink scopedSink(&sink);
  TCoreOptions coreOptions;
  coreOptions.headless = true;
  coreOptions.programSettingsPath = o.settingsPath;
  coreOptions.saveProgramSettings = o.saveSettings;
  TAnalyzerCore core(coreOptions);
  InstallModules(core);
  if (!GiveModuleOptions(core, o)) return 2;

  if (!o.device.empty() && !SelectDevice(core, o.device)) return 2;
  if (o.loopbackToneHz > 0) {
    const double hz = o.loopbackToneHz;
    TLoopbackDevice::Instance().SetSource(
        [hz](uint64_t first, uint32_t frames, uint32_t rate, double* left, double* right) {
          const double w = 2.0 * std::numbers::pi * hz / rate;
          for (uint32_t i = 0; i < frames; ++i) {
            const double v = 0.5 * std::sin(w * static_cast<double>(first + i));
            left[i] = v;
            right[i] = v;
          }
        });
  }

  if (!ApplyLoopbackOptions(o)) return 2;

  // A batch opens its files one by one itself.
  core.StartUp(HasModuleOption(o, "--batch") ? std::string() : o.argument);
  ApplyOverrides(core, o);

  int code = 0;
  std::optional<int> own;
  for (TCoreModule* module : core.Modules()) {
    module->TakeCommonHeadlessOptions(o);
    if (!module->HeadlessPrepare()) {
      own = 1;
      break;
    }
  }
  for (TCoreModule* module : core.Modules()) {
    if (own) break;
    own = module->HeadlessRun();
  }
  if (own) {
    code = *own;
  } else if (o.realTimeSeconds > 0) {
    code = RunRealTime(core, o);
  } else if (o.recordSeconds > 0) {
    code = RunRecording(core, o);
  } else if (core.Document() && core.Mode() == kModePostProcessing) {
    code = AnalyseDocument(core, o);
  } else if (!o.argument.empty() && KindOfPath(o.argument) == PathKind::kConfiguration) {
    for (const std::string& line : core.ConfigurationReport()) std::printf("%s\n", line.c_str());
  } else if (!o.argument.empty()) {
    code = 1;  // the file could not be opened; the reason was shown
  } else if (o.moduleOptions.empty()) {
    std::fputs(HeadlessUsage().c_str(), stdout);
  }
  if (!own) {
    for (TCoreModule* module : core.Modules()) {
      const int reported = module->HeadlessReport();
      if (code == 0) code = reported;
    }
  }
  TLoopbackDevice::Instance().SetSource({});
  core.RequestExit();
  core.Shutdown();
  return code;
}

}  // namespace orvanix
