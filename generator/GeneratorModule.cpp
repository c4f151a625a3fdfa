#include "generator/GeneratorModule.h"

#include <QTimer>
#include <filesystem>

#include "app/core/Commands.h"
#include "engine/Messages.h"
#include "files/ConfigTexts.h"
#include "files/Configuration.h"
#include "files/ConfigurationGenerator.h"
#include "files/Profile.h"
#include "files/WaveFile.h"
#include "generator/GeneratorTexts.h"
#include "generator/SignalGenerator.h"
#include "generator/SignalTypes.h"

namespace orvanix {

namespace {

// Two names of one file: the same file when both resolve to the same path.
bool SameFile(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  std::error_code error;
  if (std::filesystem::exists(a, error) && std::filesystem::exists(b, error)) {
    return std::filesystem::equivalent(a, b, error);
  }
  return std::filesystem::weakly_canonical(a, error) == std::filesystem::weakly_canonical(b, error);
}

}  // namespace

TGeneratorModule::TGeneratorModule(TAnalyzerCore& core)
    : TCoreModule(core), rebuildTimer_(std::make_unique<QTimer>()) {
  rebuildTimer_->setSingleShot(true);
  QObject::connect(rebuildTimer_.get(), &QTimer::timeout, [this] {
    if (generator_ && generator_->NeedsRebuild()) {
      generator_->SetOutputDevice(Core().Settings().devices.outputDeviceId);
    }
  });
}

TGeneratorModule::~TGeneratorModule() = default;

const TGeneratorSettings& TGeneratorModule::Settings() const {
  return generator_ ? generator_->Settings() : settings_;
}

float TGeneratorModule::ImdHighToneHz() const {
  return generator_ ? orvanix::ImdHighToneHz(generator_->Settings().left.imd) : 7000.0f;
}

void TGeneratorModule::SetChangeHandler(std::function<void()> handler) {
  changed_ = std::move(handler);
  if (generator_) generator_->SetChangeHandler([this] { Notify(); });
}

void TGeneratorModule::Notify() const {
  if (changed_) changed_();
}

void TGeneratorModule::Open(const TGeneratorSettings* settings) {
  if (generator_) return;
  if (settings) {
    settings_ = *settings;
  } else if (pendingConfig_) {
    settings_ = *pendingConfig_;
  } else {
    LoadGeneratorSettings(Core().ProgramProfile(), settings_);
  }
  pendingConfig_.reset();
  generator_ = std::make_unique<TSignalGenerator>(Core(), settings_);
  generator_->SetChangeHandler([this] { Notify(); });
  generator_->BuildSignal();
  Notify();
}

void TGeneratorModule::Close() {
  if (!generator_) return;
  generator_->Stop();
  settings_ = generator_->Settings();
  SaveGeneratorSettings(Core().ProgramProfile(), settings_);
  generator_.reset();
  rebuildTimer_->stop();
  Notify();
}

void TGeneratorModule::OpenForWindow(const void* window) {
  if (generator_ && window_ != window) Close();
  window_ = window;
  Open();
}

void TGeneratorModule::CloseForWindow(const void* window) {
  if (window_ != window) return;
  window_ = nullptr;
  Close();
}

bool TGeneratorModule::SaveSignalCommand(const std::string& path) {
  if (!generator_ || path.empty()) return false;
  const RunState state = Core().State();
  const bool wasRunning = Core().IsRunning();
  if (wasRunning) Core().Stop();
  Core().SetLastFolder(kFolderWave, std::filesystem::path(path).parent_path().string());
  bool saved = false;
  const TWaveFile* document = Core().Document();
  if (document &&
      (SameFile(path, document->TargetPath()) || SameFile(path, document->WorkingPath()))) {
    ReportError(Format(gentext::kFileInUse, path.c_str()), MessageIcon::Warning);
  } else {
    saved = generator_->SaveSignal(path);
  }
  if (wasRunning) {
    if (state == kStatePlaying) {
      Core().Play();
    } else {
      Core().Start();
    }
  }
  return saved;
}

// ---- TCoreModule ----

bool TGeneratorModule::OwnsCommand(int32_t command) const {
  return command == kCmdSaveSignal;
}

bool TGeneratorModule::IsEnabled(int32_t command) const {
  return command == kCmdSaveSignal && generator_ != nullptr;
}

bool TGeneratorModule::Execute(int32_t command) {
  (void)command;
  return false;  // the path comes from the window's save dialog
}

void TGeneratorModule::SaveProgramSettings(TProfile& program) const {
  if (generator_) SaveGeneratorSettings(program, generator_->Settings());
}

void TGeneratorModule::Shutdown() {
  if (generator_) generator_->Stop();
}

void TGeneratorModule::AnalyzerInputStarted() {
  if (generator_) generator_->StartOutput();
}

void TGeneratorModule::AnalyzerStopped() {
  if (generator_) generator_->Stop();
}

void TGeneratorModule::AddToReport(TReportContext& context) const {
  context.generatorSignalName = SignalTypeName(Settings().left.type);
}

void TGeneratorModule::SettingsChanged() {
  if (generator_ && generator_->NeedsRebuild()) rebuildTimer_->start(0);
}

void TGeneratorModule::ConfigurationLoaded(const TProfile& config) {
  if (config.GetInt(kSectionViewStatus, kViewStatusKeys[kSignalGeneratorWindow], 0) != 1) return;
  TGeneratorSettings loaded;
  LoadGeneratorSettings(config, loaded);
  pendingConfig_ = loaded;
}

void TGeneratorModule::SavingConfiguration(TProfile& config) {
  if (generator_) SaveGeneratorSettings(config, generator_->Settings());
}

}  // namespace orvanix
