#include "automation/MacroModule.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <cstdio>

#include "app/core/Headless.h"
#include "automation/AutomationModule.h"
#include "automation/Items.h"
#include "engine/Messages.h"
#include "files/Configuration.h"

namespace orvanix {

namespace {

std::unique_ptr<TCoreModule> MakeModule(TAnalyzerCore& core) {
  return std::make_unique<TMacroModule>(core);
}

bool IsMacroPath(const std::string& path) {
  if (path.size() < 4) return false;
  std::string tail = path.substr(path.size() - 4);
  for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return tail == ".mac";
}

// While a wait runs, a look 50 times a second is plenty; otherwise one line per pass.
constexpr int kWaitingStepMsec = 20;

}  // namespace

TModuleInfo TMacroModule::Info() {
  return {kName, MakeModule, {}};
}

TMacroModule::TMacroModule(TAnalyzerCore& core) : TCoreModule(core), macro_(*this) {
  core.SetMacroHost(this);
  timer_.setSingleShot(true);
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    Step();
    Pace();
  });
  macro_.onStatusChanged = [this] {
    if (TAutomationModule* automation = Automation()) {
      automation->Server().PostItem(kItemMacroStatus);
    }
    Changed();
  };
  macro_.onOutputClosed = [this](const std::string& path) {
    if (TAutomationModule* automation = Automation()) {
      automation->Items().FileClosed(path);
      automation->Server().PostItem(kItemFileClosed);
    }
  };
  if (TAutomationModule* automation = Automation()) {
    automation->Items().SetMacroStatusSource([this] { return Status(); });
    automation->Runner().SetMacroHost(this);
    TExecuteRunner::TMacroWindow window;
    window.start = [this] { Run(); };
    window.stop = [this] { Stop(); };
    automation->Runner().SetMacroWindow(window);
  }
}

TMacroModule::~TMacroModule() {
  Core().SetMacroHost(nullptr);
}

TAutomationModule* TMacroModule::Automation() const {
  return Core().FindModule<TAutomationModule>(TAutomationModule::kName);
}

void TMacroModule::ApplyOptions() {
  const TAnalyzerSettings& s = Core().Settings();
  std::string folder = s.paths.folders[kFolderMacro];
  if (folder.empty()) folder = Core().LastFolder(kFolderMacro);
  macro_.SetFolder(folder.empty() ? "." : folder);
  macro_.SetDefaultOutput(s.macro.outputFilename);
  macro_.SetOverwrite(s.macro.overwrite != 0);
}

void TMacroModule::LoadProgramSettings(const TProfile&) {
  path_ = Core().Settings().macro.macroFilename;
}

int TMacroModule::Status() const {
  if (!windowOpen_ && !loaded_) return -1;
  return macro_.Running() ? 1 : 0;
}

void TMacroModule::SetWindowOpen(bool open) {
  windowOpen_ = open;
  if (open) return;
  Stop();
  // Closed with its window: "Macro Status" answers -1 again.
  loaded_ = false;
}

void TMacroModule::Run() {
  if (macro_.Running()) return;
  if (textSource_) macro_.SetText(textSource_());
  ApplyOptions();
  loaded_ = true;
  failed_ = false;
  macro_.Run();
  Pace();
}

void TMacroModule::Stop() {
  macro_.Stop();
  timer_.stop();
}

bool TMacroModule::Load(const std::string& path) {
  std::string error;
  macro_.Stop();
  if (!macro_.Load(path, error)) {
    failed_ = true;
    ReportError(error, MessageIcon::Warning);
    return false;
  }
  path_ = path;
  ++textVersion_;
  Changed();
  return true;
}

bool TMacroModule::LoadAndRun(const std::string& path) {
  if (!Load(path)) return false;
  // The loaded text runs, not what a window's editor held before it showed this one.
  const auto source = std::move(textSource_);
  textSource_ = nullptr;
  Run();
  textSource_ = source;
  return true;
}

bool TMacroModule::Step() {
  const bool more = macro_.Step();
  const std::string error = macro_.TakeError();
  if (!error.empty()) {
    failed_ = true;
    // Shown once the step is over: a message box must not open inside it.
    QTimer::singleShot(0, [error] { ReportError(error, MessageIcon::Warning); });
  }
  return more;
}

void TMacroModule::Pace() {
  if (!macro_.Running()) {
    timer_.stop();
    return;
  }
  timer_.start(macro_.Waiting() ? kWaitingStepMsec : 0);
}

void TMacroModule::Changed() {
  if (changed_) changed_();
}

bool TMacroModule::Execute(const std::string& command) {
  TAutomationModule* automation = Automation();
  return automation && automation->Runner().Execute(command) == ExecuteResult::Processed;
}

std::optional<int32_t> TMacroModule::FindItem(const std::string& name) {
  return orvanix::FindItem(name);
}

std::string TMacroModule::ItemText(int32_t item) {
  TAutomationModule* automation = Automation();
  if (!automation) return {};
  return automation->Items().Text(item).value_or(std::string());
}

void TMacroModule::TakeCommonHeadlessOptions(const THeadlessOptions& options) {
  headlessMacro_ = IsMacroPath(options.argument);
}

std::optional<int> TMacroModule::HeadlessRun() {
  if (!headlessMacro_) return std::nullopt;
  if (!macro_.Running()) return failed_ ? 1 : 0;
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (!macro_.Running()) loop.quit();
  });
  poll.start(kWaitingStepMsec);
  loop.exec();
  // The error message was queued behind the last step.
  QCoreApplication::processEvents();
  Core().Stop();
  return failed_ ? 1 : 0;
}

void TMacroModule::Shutdown() {
  Stop();
}

}  // namespace orvanix
