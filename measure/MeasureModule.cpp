#include "measure/MeasureModule.h"

#include <cstdio>

#include "engine/Messages.h"
#include "engine/ProcessingStep.h"
#include "files/ConfigTexts.h"
#include "files/Configuration.h"
#include "files/ConfigurationGenerator.h"
#include "files/Profile.h"
#include "measure/DataLogModule.h"
#include "measure/Measurements.h"
#include "measure/SegmentModule.h"

namespace orvanix {

namespace {

// IMD test tones of the generator: "Standard Set 1" is 250 Hz / 8020 Hz, "Standard Set 2"
// 60 Hz / 7000 Hz, "Custom" the user's pair.
constexpr int32_t kImdStandardSet1 = 0;
constexpr int32_t kImdCustom = 2;
constexpr float kImdSet1HighHz = 8020.f;

constexpr THeadlessOption kOptions[] = {
    {"--measure", "LIST",
     "print measurements after the run: a comma-separated list of thd, thdn, imd, snr,\n"
     "sinad, sfdr, nf, peakfreq, peakamp, power, or all"},
};

std::unique_ptr<TCoreModule> MakeModule(TAnalyzerCore& core) {
  return std::make_unique<TMeasureModule>(core);
}

}  // namespace

TMeasureModule::TMeasureModule(TAnalyzerCore& core) : TCoreModule(core) {}

TMeasureModule::~TMeasureModule() = default;

std::optional<int32_t> TMeasureModule::PolarityOfCommand(int32_t command) {
  if (command == kCmdNoiseFigureLR) return kNoiseFigureLeftVsRight;
  if (command == kCmdNoiseFigureRL) return kNoiseFigureRightVsLeft;
  return std::nullopt;
}

bool TMeasureModule::OwnsCommand(int32_t command) const {
  return PolarityOfCommand(command).has_value();
}

bool TMeasureModule::Execute(int32_t command) {
  if (const std::optional<int32_t> polarity = PolarityOfCommand(command)) {
    Core().SetNoiseFigurePolarity(*polarity);
    return false;  // the window is the frame's to open
  }
  return false;
}

bool TMeasureModule::IsChecked(int32_t command) const {
  if (const std::optional<int32_t> polarity = PolarityOfCommand(command)) {
    return Core().IsWindowOpen(kWindowNoiseFigure) &&
           Core().Settings().viewStatus.noiseFigurePolarity == *polarity;
  }
  return false;
}

float TMeasureModule::ImdHighToneHz(const TImdParams& imd) {
  if (imd.imdType == kImdStandardSet1) return kImdSet1HighHz;
  if (imd.imdType == kImdCustom) return imd.hiFreqHz;
  return kImdDefaultHighToneHz;
}

float TMeasureModule::ImdHighToneHz() const {
  if (!Core().IsWindowOpen(kWindowSignalGenerator)) return kImdDefaultHighToneHz;
  // The generator reads its settings when its window opens: from a configuration that
  // reopened it, or else from the program settings file, where it writes them back when
  // it closes.
  if (configGenerator_) return ImdHighToneHz(configGenerator_->left.imd);
  TGeneratorSettings settings;
  LoadGeneratorSettings(Core().ProgramProfile(), settings);
  return ImdHighToneHz(settings.left.imd);
}

void TMeasureModule::ConfigurationLoaded(const TProfile& config) {
  configGenerator_.reset();
  if (config.GetInt(kSectionViewStatus, kViewStatusKeys[kSignalGeneratorWindow], 0) == 1) {
    TGeneratorSettings settings;
    LoadGeneratorSettings(config, settings);
    configGenerator_ = settings;
  }
}

std::string TMeasureModule::TakeHeadlessOption(std::string_view name, const std::string& value) {
  if (name != "--measure") return {};
  headlessKinds_.clear();
  std::string_view rest = value;
  while (!rest.empty()) {
    const size_t comma = rest.find(',');
    const std::string_view word = rest.substr(0, comma);
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    if (word == "all") {
      for (int kind = 0; kind < kAnalysisTypeCount; ++kind) {
        headlessKinds_.push_back(static_cast<AnalysisType>(kind));
      }
      continue;
    }
    const AnalysisType kind = AnalysisOfName(word);
    if (kind == kAnalysisTypeCount) {
      return "--measure: unknown measurement \"" + std::string(word) +
             "\" (thd, thdn, imd, snr, sinad, sfdr, nf, peakfreq, peakamp, power, all)";
    }
    headlessKinds_.push_back(kind);
  }
  if (headlessKinds_.empty()) return "--measure needs a list of measurements";
  return {};
}

std::vector<std::string> TMeasureModule::MeasurementLines() const {
  std::vector<std::string> lines;
  const TEngineObjects& engine = Core().Engine();
  const int32_t polarity = Core().Settings().viewStatus.noiseFigurePolarity;
  for (AnalysisType kind : headlessKinds_) {
    const TReadoutLines readout = ReadoutLines(kind, engine, polarity);
    const char* title = AnalysisInfo(kind).title;
    if (readout.count < 2) {
      lines.push_back(std::string(title) + ": " + readout.line[0]);
    } else {
      for (int i = 0; i < readout.count; ++i) {
        lines.push_back(Format("%s (%d): %s", title, i + 1, readout.line[i].c_str()));
      }
    }
  }
  return lines;
}

int TMeasureModule::HeadlessReport() {
  if (headlessKinds_.empty()) return 0;
  // A run that averaged nothing (a file that could not be read, too short for one block) has
  // no measurement: the window's zero readouts would pass for results in a script's output.
  const TEngineObjects& engine = Core().Engine();
  bool computed = false;
  for (const TSpectralData* s : {engine.left.get(), engine.right.get(), engine.dual.get()}) {
    computed = computed || (s && s->AverageCount() > 0);
  }
  if (!computed) {
    std::fprintf(stderr, "tessiva: no spectrum was computed, so nothing was measured\n");
    return 1;
  }
  for (const std::string& line : MeasurementLines()) std::printf("%s\n", line.c_str());
  return 0;
}

void RegisterMeasureModule() {
  // The segment analyses report before the measurements, which then read their average.
  RegisterModule(TSegmentModule::Info());
  RegisterModule({TMeasureModule::kName, MakeModule, kOptions});
  RegisterModule(TDataLogModule::Info());
}

}  // namespace orvanix
