// The command line of the headless program.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/core/CoreModule.h"
#include "app/core/Headless.h"
#include "engine/ProcessingSettings.h"
#include "engine/Smoothing.h"

namespace orvanix {

namespace {

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

}  // namespace

namespace {

// The modules' options, in the layout of the table above.
std::string ModuleUsage() {
  std::string text;
  for (const TModuleInfo& info : RegisteredModules()) {
    for (const THeadlessOption& option : info.headlessOptions) {
      std::string head = std::string("  ") + option.name;
      if (option.valueName) head += std::string(" ") + option.valueName;
      if (head.size() < 25) {
        head.resize(25, ' ');
      } else {
        head += "\n" + std::string(25, ' ');
      }
      std::string help = option.help;
      for (size_t at = help.find('\n'); at != std::string::npos; at = help.find('\n', at + 1)) {
        help.insert(at + 1, std::string(25, ' '));
      }
      text += head + help + "\n";
    }
  }
  return text.empty() ? text : "\n" + text;
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
         "  --loopback-ir FILE.wav convolve the Loopback's left channel (what a mono input\n"
         "                         hears) with this mono impulse response\n"
         "  --loopback-ir-right FILE.wav\n"
         "                         the same for the right channel\n"
         "  --loopback-noise DB    add white noise of this RMS level (dB re full scale)\n"
         "\n"
         "Settings (otherwise those of the program settings file):\n"
         "  --fft N                FFT size (32 ... 1048576, a power of two)\n"
         "  --window N             smoothing window 0-9 (4 Hanning, 8 Uniform, 2 Flat top)\n"
         "  --average N|infinite   averaging blocks\n"
         "  --average-type exponential|linear|vector\n"
         "                         averaging type\n"
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
         "  --help, --version\n" +
         ModuleUsage();
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
    } else if (a == "--loopback-ir") {
      value(o.loopbackIrLeft);
    } else if (a == "--loopback-ir-right") {
      value(o.loopbackIrRight);
    } else if (a == "--loopback-noise") {
      double db = 0;
      number(db);
      o.loopbackNoiseDb = db;
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
    } else if (const TModuleInfo* module = FindHeadlessOption(a)) {
      const auto& options = module->headlessOptions;
      const auto option = std::find_if(options.begin(), options.end(),
                                       [&a](const THeadlessOption& o) { return a == o.name; });
      std::string given;
      const std::string words = option->valueName ? option->valueName : "";
      // "[FILE.wav]": a value only when a wave file follows.
      if (words.size() > 2 && words.front() == '[') {
        const std::string next = i + 1 < args.size() ? args[i + 1] : std::string();
        const bool wave =
            next.size() > 4 && next[0] != '-' && (next.ends_with(".wav") || next.ends_with(".WAV"));
        if (wave) given = args[++i];
        o.moduleOptions.emplace_back(a, given);
        continue;
      }
      const size_t count = words.empty() ? 0 : std::count(words.begin(), words.end(), ' ') + 1;
      bool complete = true;
      for (size_t k = 0; k < count && complete; ++k) {
        std::string next;
        complete = value(next);
        given += (k ? "\n" : "") + next;
      }
      if (complete) o.moduleOptions.emplace_back(a, given);
    } else if (!a.empty() && a[0] == '-') {
      fail("unknown option " + a);
    } else {
      if (o.argument.empty()) o.argument = a;
      o.files.push_back(a);
    }
  }
  if (o.files.size() > 1 && !HasModuleOption(o, "--batch")) {
    fail("only one file may be given (several with --batch)");
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

bool HasModuleOption(const THeadlessOptions& options, std::string_view name) {
  return std::any_of(options.moduleOptions.begin(), options.moduleOptions.end(),
                     [name](const auto& option) { return option.first == name; });
}

bool HaveDisplay() {
  const auto set = [](const char* name) {
    const char* value = std::getenv(name);
    return value && *value;
  };
  return set("DISPLAY") || set("WAYLAND_DISPLAY") || set("QT_QPA_PLATFORM");
}

ProgramCall CallOf(int argc, char** argv, bool haveDisplay) {
  bool help = false, headless = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    help = help || a == "--help" || a == "-h";
    headless = headless || a == "--headless";
  }
  if (help && !headless) return ProgramCall::kBothHelps;
  return haveDisplay && !WantsHeadless(argc, argv) ? ProgramCall::kWindow : ProgramCall::kHeadless;
}

std::vector<char*> HeadlessArguments(int argc, char** argv) {
  std::vector<char*> args;
  for (int i = 0; i < argc; ++i) {
    if (i > 0 && std::string(argv[i]) == "--demo") continue;
    args.push_back(argv[i]);
  }
  args.push_back(nullptr);
  return args;
}

bool WantsHeadless(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--headless" || a == "--help" || a == "-h" || a == "--version") return true;
  }
  return false;
}

}  // namespace orvanix
