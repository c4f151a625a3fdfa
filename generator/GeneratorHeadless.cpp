// The generator's headless options: make a signal and write it to a wave file, or play it on
// the output device while the analyzer runs.
#include <strings.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "acquisition/SoundOutput.h"
#include "app/core/Headless.h"
#include "engine/Messages.h"
#include "engine/TimeText.h"
#include "files/Configuration.h"
#include "files/ConfigurationGenerator.h"
#include "files/Profile.h"
#include "files/WaveData.h"
#include "generator/DetailsChecks.h"
#include "generator/GeneratorModule.h"
#include "generator/OutputLevel.h"
#include "generator/SignalBuilder.h"
#include "generator/SignalFile.h"
#include "generator/SignalGenerator.h"
#include "generator/SignalTypes.h"

namespace orvanix {

namespace {

constexpr THeadlessOption kOptions[] = {
    {"--generate", "TYPE|FILE.cfg",
     "make a signal: TYPE is a generator type (\"1 kHz Tone\", \"Freq Sweep\", ... or its\n"
     "number 0-15), FILE.cfg a configuration holding the generator's settings; written to\n"
     "--output FILE.wav, or played on the output device while --realtime-seconds or\n"
     "--record-seconds run (e.g. --device Loopback)"},
    {"--generate-right", "TYPE", "the right channel's type (stereo)"},
    {"--param", "KEY=VALUE",
     "a setting of the left type, by its configuration key (FStartHz=20, FreqHz0=440,\n"
     "SweepType=2, KeyString=123, WaveFileName=in.wav ...); repeatable"},
    {"--param-right", "KEY=VALUE", "the same for the right channel"},
    {"--level", "L", "output level of both channels in the configured units (dB Full Scale)"},
    {"--seconds", "S", "the written file holds exactly S x rate frames of the looping signal"},
};

// The section of a type's parameters ("" for the types without any).
std::string SectionOf(int32_t type, bool right) {
  const char* base = "";
  switch (type) {
    case kSignalNoiseBurst:
      base = "NoiseBurst";
      break;
    case kSignalMultipleTones:
      base = "Tones";
      break;
    case kSignalToneBurst:
      base = "ToneBurst";
      break;
    case kSignalImd:
      base = "IMD";
      break;
    case kSignalFreqSweep:
      base = "FreqSweep";
      break;
    case kSignalLevelSweep:
      base = "LevelSweep";
      break;
    case kSignalSawtooth:
      base = "Sawtooth";
      break;
    case kSignalTriangular:
      base = "Triangular";
      break;
    case kSignalPulse:
      base = "Pulse";
      break;
    case kSignalSquare:
      base = "Square";
      break;
    case kSignalUserDefined:
      base = "User Defined";
      break;
    case kSignalDtmf:
      return "DTMF";  // shared by both channels
    default:
      return "";
  }
  return std::string(base) + (right ? "R" : "");
}

// A type by its list text (any case) or its number.
int32_t ParseType(const std::string& text) {
  char* end = nullptr;
  const long number = std::strtol(text.c_str(), &end, 10);
  if (end != text.c_str() && *end == '\0') return IsValidSignalType(number) ? number : -1;
  for (int32_t type = 0; type < kSignalTypeCount; ++type) {
    if (strcasecmp(text.c_str(), SignalTypeName(type)) == 0) return type;
  }
  return -1;
}

std::string TypeList() {
  std::string list;
  for (int32_t type = 0; type < kSignalTypeCount; ++type) {
    if (type) list += ", ";
    list += '"';
    list += SignalTypeName(type);
    list += '"';
  }
  return list;
}

std::string ApplyParams(TGeneratorSettings& g, const std::vector<std::string>& params, bool right) {
  if (params.empty()) return {};
  const int32_t type = right ? g.right.type : g.left.type;
  const std::string section = SectionOf(type, right);
  if (section.empty()) return std::string(SignalTypeName(type)) + " has no settings to change";
  TProfile profile;
  SaveGeneratorSettings(profile, g);
  for (const std::string& param : params) {
    const size_t equals = param.find('=');
    const std::string key = param.substr(0, equals);
    if (equals == std::string::npos || key.empty()) return "--param needs KEY=VALUE: " + param;
    if (!profile.HasKey(section, key)) {
      return key + " is not a setting of " + SignalTypeName(type) + " (section [" + section + "])";
    }
    profile.WriteString(section, key, param.substr(equals + 1));
  }
  LoadGeneratorSettings(profile, g);
  return {};
}

}  // namespace

TModuleInfo TGeneratorModule::Info() {
  return {kName,
          [](TAnalyzerCore& core) -> std::unique_ptr<TCoreModule> {
            return std::make_unique<TGeneratorModule>(core);
          },
          kOptions};
}

void TGeneratorModule::TakeCommonHeadlessOptions(const THeadlessOptions& options) {
  headless_.output = options.output;
  headless_.runs = options.realTimeSeconds > 0 || options.recordSeconds > 0;
}

std::string TGeneratorModule::TakeHeadlessOption(std::string_view name, const std::string& value) {
  if (name == "--generate") {
    headless_.generate = value;
    headless_.active = true;
  } else if (name == "--generate-right") {
    headless_.generateRight = value;
  } else if (name == "--param") {
    headless_.params.push_back(value);
  } else if (name == "--param-right") {
    headless_.paramsRight.push_back(value);
  } else if (name == "--level" || name == "--seconds") {
    char* end = nullptr;
    const double v = std::strtod(value.c_str(), &end);
    if (end == value.c_str() || *end != '\0' || !std::isfinite(v)) return "not a number: " + value;
    if (name == "--level") {
      headless_.level = v;
    } else {
      if (!(v > 0.0) || v > kMaxSignalSeconds * 10.0) return "--seconds must be above 0";
      headless_.seconds = v;
    }
  }
  return {};
}

std::string TGeneratorModule::ApplyHeadlessOptions(TGeneratorSettings& g) const {
  const THeadless& h = headless_;
  LoadGeneratorSettings(Core().ProgramProfile(), g);
  if (KindOfPath(h.generate) == PathKind::kConfiguration) {
    TProfile config;
    if (config.Load(h.generate) != ProfileLoad::kLoaded) return "cannot read " + h.generate;
    LoadGeneratorSettings(config, g);
  } else {
    g.left.type = ParseType(h.generate);
    if (g.left.type < 0)
      return "--generate: no type \"" + h.generate + "\"; the types are " + TypeList();
  }
  if (!h.generateRight.empty()) {
    g.right.type = ParseType(h.generateRight);
    if (g.right.type < 0) return "--generate-right: no type \"" + h.generateRight + "\"";
  }
  std::string error = ApplyParams(g, h.params, false);
  if (error.empty()) error = ApplyParams(g, h.paramsRight, true);
  if (!error.empty()) return error;
  if (h.level) g.level.outputLevel = g.level.outputLevelR = static_cast<float>(*h.level);

  // What a dialog would refuse is refused here too, with the dialog's message.
  const WaveFormat analyzer = Core().Settings().processing.format;
  const uint32_t rate = g.samplingRateHz >= static_cast<int32_t>(kMinGeneratorRateHz) &&
                                g.samplingRateHz <= static_cast<int32_t>(kMaxGeneratorRateHz)
                            ? static_cast<uint32_t>(g.samplingRateHz)
                            : analyzer.sampleRate;
  const long nyquist = static_cast<long>(rate / 2);
  for (const TSignalRecord* r : {&g.left, &g.right}) {
    if (r == &g.right && analyzer.channels != 2) break;
    const TDetailsCheck check = CheckSignalRecord(*r, nyquist);
    if (!check.Ok()) return check.message;
  }
  const std::string level =
      CheckOutputLevel(g.level.outputLevel, g.level.outputLevelR, g.level.outputUnits,
                       g.level.fsLevelVolts, g.level.fsOption);
  return level;
}

bool TGeneratorModule::HeadlessPrepare() {
  if (!headless_.active) return true;
  TGeneratorSettings g;
  const std::string error = ApplyHeadlessOptions(g);
  if (!error.empty()) {
    std::fprintf(stderr, "tessiva: %s\n", error.c_str());
    return false;
  }
  Open(&g);
  return generator_ && generator_->Buffer();
}

std::optional<int> TGeneratorModule::HeadlessRun() {
  if (!headless_.active || headless_.runs) return std::nullopt;
  if (headless_.output.empty()) {
    std::fprintf(stderr,
                 "tessiva: --generate needs --output FILE.wav (or --realtime-seconds S to play "
                 "it while analysing)\n");
    return 2;
  }
  const TWaveData& buffer = *generator_->Buffer();
  const TGeneratorSettings& g = generator_->Settings();
  const WaveFormat& f = buffer.Format();
  uint64_t frames = SavedSignalFrames(buffer, g.left.type);
  bool loop = true;
  if (headless_.seconds > 0) {
    frames = static_cast<uint64_t>(std::llround(headless_.seconds * f.sampleRate));
    loop = !PlaysOnce(g.left);
  }
  if (!WriteSignalWave(headless_.output, buffer, frames, loop)) return 1;
  std::string type = SignalTypeName(g.left.type);
  if (f.channels == 2) type += std::string(" / ") + SignalTypeName(g.right.type);
  std::printf(
      "Generated: %s; %u Hz, %u bit, %s; buffer %u frames; wrote %llu frames (%s s) to %s\n",
      type.c_str(), f.sampleRate, f.bitsPerSample, f.channels == 2 ? "stereo" : "mono",
      buffer.CapacityFrames(), static_cast<unsigned long long>(frames),
      TimeText(static_cast<double>(frames) / f.sampleRate).c_str(), headless_.output.c_str());
  return 0;
}

int TGeneratorModule::HeadlessReport() {
  if (!headless_.active || !headless_.runs || !generator_) return 0;
  const TSoundOutput* out = generator_->Output();
  const uint64_t played = out ? out->Position() : 0;
  std::printf("Generator: %s on %s, %llu frames played\n", SignalTypeName(Settings().left.type),
              out ? out->Name().c_str() : "no device", static_cast<unsigned long long>(played));
  return played > 0 ? 0 : 1;
}

}  // namespace orvanix
