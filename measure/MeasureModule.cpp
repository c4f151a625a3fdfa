#include "measure/MeasureModule.h"

#include "files/ConfigTexts.h"
#include "files/Configuration.h"
#include "files/ConfigurationGenerator.h"
#include "files/Profile.h"
#include "measure/Measurements.h"

namespace orvanix {

namespace {

// IMD test tones of the generator: "Standard Set 1" is 250 Hz / 8020 Hz, "Standard Set 2"
// 60 Hz / 7000 Hz, "Custom" the user's pair.
constexpr int32_t kImdStandardSet1 = 0;
constexpr int32_t kImdCustom = 2;
constexpr float kImdSet1HighHz = 8020.f;

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

void RegisterMeasureModule() {
  RegisterModule({TMeasureModule::kName, MakeModule, {}});
}

}  // namespace orvanix
