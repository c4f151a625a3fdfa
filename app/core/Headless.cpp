#include "app/core/Headless.h"

#include <sys/resource.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <chrono>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <numbers>

#include "acquisition/LoopbackDevice.h"
#include "acquisition/RunLoop.h"
#include "acquisition/SoundInput.h"
#include "app/core/AnalyzerCore.h"
#include "app/core/TimeText.h"
#include "engine/Messages.h"
#include "engine/ProcessingStep.h"
#include "files/Configuration.h"
#include "files/WaveFile.h"

namespace orvanix {

namespace {

constexpr const char* kVersion = "0.1.0";

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

bool ParseNumber(const std::string& text, double& value) {
  char* end = nullptr;
  value = std::strtod(text.c_str(), &end);
  return end != text.c_str() && *end == '\0' && std::isfinite(value);
}

bool ParseInt(const std::string& text, int& value) {
  double v = 0;
  if (!ParseNumber(text, v) || v != std::floor(v) || std::fabs(v) > 2e9) return false;
  value = static_cast<int>(v);
  return true;
}

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

int RunRealTime(TAnalyzerCore& core, const THeadlessOptions& o) {
  if (!core.SetMode(kModeRealTime)) return 1;
  PrintSettings(core);
  const TSoundInput* in = core.Input();
  std::printf("Input: %s\n", in && in->HasDevice() ? in->Name().c_str() : "none");
  const auto wallStart = std::chrono::steady_clock::now();
  const double cpuStart = CpuSeconds();
  if (!core.Start()) return 1;
  // A run that stops by itself (a device failure) ends the wait early.
  const bool stoppedEarly = core.WaitUntilStopped(static_cast<int>(o.realTimeSeconds * 1000.0));
  const uint64_t blocks = core.BlockCount();
  const TStatusInfo status = core.Status();
  core.Stop();
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - wallStart).count();
  const double cpu = CpuSeconds() - cpuStart;
  std::printf("Blocks processed: %llu in %.2f s (%.1f blocks/s), overloaded: %u, overruns: %llu\n",
              static_cast<unsigned long long>(blocks), wall, wall > 0 ? blocks / wall : 0.0,
              status.overloadCount, static_cast<unsigned long long>(status.overrunCount));
  PrintResults(core);
  std::printf("CPU: %.3f s in %.2f s wall = %.2f %% of one core\n", cpu, wall,
              wall > 0 ? 100.0 * cpu / wall : 0.0);
  return blocks > 0 && !stoppedEarly ? 0 : 1;
}

int RunRecording(TAnalyzerCore& core, const THeadlessOptions& o) {
  if (!core.SetMode(kModeRecorder) || !core.NewDocument()) return 1;
  PrintSettings(core);
  if (!core.Start()) return 1;
  if (const TWaveFile* doc = core.Document()) {
    std::printf("Recording into %s\n", doc->WorkingPath().c_str());
    std::fflush(stdout);
  }
  const bool stoppedEarly = core.WaitUntilStopped(static_cast<int>(o.recordSeconds * 1000.0));
  core.Stop();
  const TWaveFile* doc = core.Document();
  if (!doc) return 1;
  std::printf("Recorded %s s (%u frames)\n", TimeText(doc->ValidLengthSeconds()).c_str(),
              doc->ValidLength());
  if (!o.output.empty()) {
    if (!core.SaveDocumentAs(o.output)) return 1;
    std::printf("Saved %s\n", o.output.c_str());
  }
  return stoppedEarly ? 1 : 0;
}

}  // namespace

std::string HeadlessUsage() {
  return "Usage: tessiva --headless [options] [FILE.wav | FILE.cfg | FILE.mac]\n"
         "\n"
         "Runs the analyzer without windows. Messages go to stderr, questions take their\n"
         "default answers, results go to stdout.\n"
         "\n"
         "  FILE.wav               analyse the file to its end (Post-Processing mode) and print\n"
         "                         the blocks processed and the peak of the averaged spectrum\n"
         "  FILE.cfg               load the configuration and print its report\n"
         "  FILE.mac               run the macro file\n"
         "\n"
         "Runs without a file:\n"
         "  --realtime-seconds S   analyse the sound input for S seconds (Real-Time mode)\n"
         "  --record-seconds S     record the sound input for S seconds (Recorder mode)\n"
         "  --output FILE.wav      save the recording there\n"
         "  --device NAME          use the input and output device of that name (e.g. Loopback)\n"
         "  --loopback-tone HZ     feed the Loopback input a sine of HZ at half full scale\n"
         "\n"
         "Settings (otherwise those of the program settings file):\n"
         "  --fft N                FFT size (32 ... 1048576, a power of two)\n"
         "  --window N             smoothing window 0-9 (4 Hanning, 8 Uniform, 2 Flat top)\n"
         "  --average N|infinite   averaging blocks\n"
         "  --average-type T       exponential, linear or vector\n"
         "  --overlap P            overlap percent (Post-Processing)\n"
         "  --channel-mode M       channel processing 0-12 (2: both channels)\n"
         "  --decimation D         decimation ratio 1-50\n"
         "  --rate HZ, --channels N, --bits B   input format (Real-Time, Recorder)\n"
         "  --amp lin|log          amplitude scale\n"
         "  --freq lin|log|octave  frequency scale\n"
         "  --blocks N             stop after N blocks\n"
         "\n"
         "  --settings FILE        program settings file (default $XDG_CONFIG_HOME/orvanix/"
         "tessiva.ini)\n"
         "  --save-settings        write the program settings file at exit (not done by default:\n"
         "                         a batch run leaves the user's settings alone)\n"
         "  --quiet                no information messages\n"
         "  --help, --version\n";
}

THeadlessOptions ParseCommandLine(const std::vector<std::string>& args) {
  THeadlessOptions o;
  auto fail = [&o](const std::string& text) {
    if (o.error.empty()) o.error = text;
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= args.size()) {
        fail(a + " needs a value");
        return false;
      }
      out = args[++i];
      return true;
    };
    auto number = [&](double& out) {
      std::string text;
      if (value(text) && !ParseNumber(text, out)) fail("not a number: " + text);
    };
    auto integer = [&](std::optional<int>& out) {
      std::string text;
      int v = 0;
      if (!value(text)) return;
      if (!ParseInt(text, v)) {
        fail("not a whole number: " + text);
        return;
      }
      out = v;
    };
    std::string text;
    if (a == "--headless") {
      o.headless = true;
    } else if (a == "--help" || a == "-h") {
      o.help = true;
    } else if (a == "--version") {
      o.version = true;
    } else if (a == "--quiet") {
      o.quiet = true;
    } else if (a == "--save-settings") {
      o.saveSettings = true;
    } else if (a == "--settings") {
      value(o.settingsPath);
    } else if (a == "--realtime-seconds") {
      number(o.realTimeSeconds);
    } else if (a == "--record-seconds") {
      number(o.recordSeconds);
    } else if (a == "--output") {
      value(o.output);
    } else if (a == "--device") {
      value(o.device);
    } else if (a == "--loopback-tone") {
      number(o.loopbackToneHz);
    } else if (a == "--blocks") {
      double v = 0;
      number(v);
      if (v < 1 || v != std::floor(v)) fail("--blocks needs a count of at least 1");
      o.blocks = static_cast<uint64_t>(v);
    } else if (a == "--fft") {
      integer(o.fftSize);
    } else if (a == "--window") {
      integer(o.windowType);
    } else if (a == "--average") {
      if (value(text)) {
        int v = 0;
        if (text == "infinite" || text == "Infinite") {
          o.averageBlocks = kInfiniteAverages;
        } else if (ParseInt(text, v) && v >= 1) {
          o.averageBlocks = v;
        } else {
          fail("--average needs a count or \"infinite\"");
        }
      }
    } else if (a == "--average-type") {
      if (value(text)) {
        if (text == "exponential")
          o.averageType = kAverageExponential;
        else if (text == "linear")
          o.averageType = kAverageLinear;
        else if (text == "vector")
          o.averageType = kAverageVector;
        else
          fail("--average-type is exponential, linear or vector");
      }
    } else if (a == "--overlap") {
      integer(o.overlap);
    } else if (a == "--channel-mode") {
      integer(o.channelMode);
    } else if (a == "--decimation") {
      integer(o.decimation);
    } else if (a == "--rate") {
      integer(o.rate);
    } else if (a == "--channels") {
      integer(o.channels);
    } else if (a == "--bits") {
      integer(o.bits);
    } else if (a == "--amp") {
      if (value(text)) {
        if (text == "lin")
          o.ampScale = 0;
        else if (text == "log")
          o.ampScale = 1;
        else
          fail("--amp is lin or log");
      }
    } else if (a == "--freq") {
      if (value(text)) {
        if (text == "lin")
          o.freqScale = 0;
        else if (text == "log")
          o.freqScale = 1;
        else if (text == "octave")
          o.freqScale = 2;
        else
          fail("--freq is lin, log or octave");
      }
    } else if (!a.empty() && a[0] == '-') {
      fail("unknown option " + a);
    } else if (o.argument.empty()) {
      o.argument = a;
    } else {
      fail("only one file may be given");
    }
  }
  // Values that would size the engine are checked here, where the user can be told.
  if (o.fftSize && !IsValidFftSize(*o.fftSize)) fail("--fft must be a power of two 32 ... 1048576");
  if (o.windowType && (*o.windowType < 0 || *o.windowType >= kWindowTypeCount)) {
    fail("--window must be 0 ... 9");
  }
  if (o.overlap && (*o.overlap < 0 || *o.overlap > 99)) fail("--overlap must be 0 ... 99");
  if (o.channelMode && (*o.channelMode < 0 || *o.channelMode >= kChannelProcessingModes)) {
    fail("--channel-mode must be 0 ... 12");
  }
  if (o.decimation && (*o.decimation < 1 || *o.decimation > kMaxDecimationRatio)) {
    fail("--decimation must be 1 ... 50");
  }
  if (o.channels && (*o.channels < 1 || *o.channels > 2)) fail("--channels must be 1 or 2");
  if (o.bits && *o.bits != 8 && *o.bits != 16 && *o.bits != 24) fail("--bits must be 8, 16 or 24");
  if (o.rate && (*o.rate < 1000 || *o.rate > 384000)) fail("--rate must be 1000 ... 384000");
  if (o.realTimeSeconds < 0 || o.recordSeconds < 0) fail("durations cannot be negative");
  return o;
}

bool WantsHeadless(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--headless" || a == "--help" || a == "-h" || a == "--version") return true;
  }
  return false;
}

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
    std::printf("tessiva %s\n", kVersion);
    return 0;
  }

  THeadlessSink sink(o.quiet);
  TScopedMessageSink scopedSink(&sink);
  TCoreOptions coreOptions;
  coreOptions.headless = true;
  coreOptions.programSettingsPath = o.settingsPath;
  coreOptions.saveProgramSettings = o.saveSettings;
  TAnalyzerCore core(coreOptions);

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

  core.StartUp(o.argument);
  ApplyOverrides(core, o);

  int code = 0;
  if (o.realTimeSeconds > 0) {
    code = RunRealTime(core, o);
  } else if (o.recordSeconds > 0) {
    code = RunRecording(core, o);
  } else if (core.Document() && core.Mode() == kModePostProcessing) {
    code = AnalyseDocument(core, o);
  } else if (!o.argument.empty() && KindOfPath(o.argument) == PathKind::kConfiguration) {
    for (const std::string& line : core.ConfigurationReport()) std::printf("%s\n", line.c_str());
  } else if (!o.argument.empty()) {
    code = 1;  // the file could not be opened; the reason was shown
  } else {
    std::fputs(HeadlessUsage().c_str(), stdout);
  }
  TLoopbackDevice::Instance().SetSource({});
  core.RequestExit();
  core.Shutdown();
  return code;
}

}  // namespace orvanix
