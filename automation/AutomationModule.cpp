#include "automation/AutomationModule.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "app/core/Headless.h"
#include "automation/AutomationTexts.h"
#include "automation/Protocol.h"
#include "engine/ProcessingStep.h"
#include "files/WaveFile.h"

namespace orvanix {

namespace {

constexpr THeadlessOption kOptions[] = {
    {"--serve", nullptr,
     "serve automation clients (tessiva-client, python/orvanix_client.py) until\n"
     "\"[Exit Application]\" or SIGTERM; a FILE given is opened first"},
    {"--socket", "PATH", "the automation socket (default $XDG_RUNTIME_DIR/orvanix/tessiva.sock)"},
};

std::unique_ptr<TCoreModule> MakeModule(TAnalyzerCore& core) {
  return std::make_unique<TAutomationModule>(core);
}

volatile std::sig_atomic_t gTerminate = 0;

}  // namespace

TModuleInfo TAutomationModule::Info() {
  return {kName, MakeModule, kOptions};
}

TAutomationModule::TAutomationModule(TAnalyzerCore& core)
    : TCoreModule(core),
      items_(core),
      runner_(core, items_),
      server_(std::make_unique<TAutomationServer>(*this)),
      links_(std::make_unique<TDataLinks>(
          core, *server_,
          [this](std::string_view text, std::string& error) { return TakeSamples(text, error); })) {
  // Headless, "[Exit Application]" ends the serving loop. The windowed program closes
  // through its frame instead (TAutomationFrame::Close): the same save prompts as its
  // close button, never a quit that skips them.
  if (core.Headless()) runner_.SetExitHandler([this] { exitRequested_ = true; });
  WatchDocument();
  if (!core.Headless() && QCoreApplication::instance()) {
    // The windowed program serves from its start. A second instance finds the socket taken
    // and runs without a server; it says so on stderr only, not in a message box.
    QTimer::singleShot(0, server_.get(), [this] {
      if (server_->Listening()) return;
      std::string error;
      if (!Serve({}, error))
        std::fprintf(stderr, "tessiva: automation server: %s\n", error.c_str());
    });
  }
}

TAutomationModule::~TAutomationModule() = default;

bool TAutomationModule::Serve(const std::string& path, std::string& error) {
  std::string where = path;
  if (where.empty()) {
    const char* named = std::getenv(kSocketEnvironment);
    where = named && *named ? std::string(named) : TAutomationServer::DefaultSocketPath(error);
  }
  if (where.empty()) return false;
  return server_->Listen(where, error);
}

std::optional<std::string> TAutomationModule::ItemText(int32_t item) {
  return items_.Text(item);
}

std::string_view TAutomationModule::Execute(std::string_view command) {
  switch (runner_.Execute(command)) {
    case ExecuteResult::Processed:
      return kAnswerProcessed;
    case ExecuteResult::Busy:
      return kAnswerBusy;
    default:
      return kAnswerNotProcessed;
  }
}

std::string_view TAutomationModule::Poke(std::string_view samples, std::string& error) {
  // While a link supplies the data, samples from a client would mix with them.
  if (links_->Active()) return kAnswerBusy;
  return TakeSamples(samples, error);
}

std::string_view TAutomationModule::TakeSamples(std::string_view samples, std::string& error) {
  if (Core().IsRunning() || Core().Mode() != kModeRealTime) return kAnswerBusy;
  const ProcessingSettings& p = Core().Engine().settings;
  const size_t length = static_cast<size_t>(p.fftSize) * std::max<uint16_t>(1, p.decimationRatio);
  std::vector<int32_t> values;
  if (!ParseSampleText(samples, p.format.minValue, p.format.maxValue, length, values, error)) {
    return {};
  }
  poking_ = true;
  const bool processed = Core().ProcessSamples(values);
  poking_ = false;
  return processed ? kAnswerProcessed : kAnswerBusy;
}

void TAutomationModule::LinksChanged() {}

bool TAutomationModule::ConsumesSpectra() const {
  return server_->AnyLinks();
}

void TAutomationModule::BlockProcessed(double) {
  items_.SetBlockInFlight(!poking_);
  server_->PostAll();
  items_.SetBlockInFlight(false);
}

void TAutomationModule::WatchDocument() {
  const TWaveFile* doc = Core().Document();
  documentPath_ = doc ? doc->TargetPath() : std::string();
}

void TAutomationModule::DocumentChanged() {
  const std::string before = documentPath_;
  WatchDocument();
  if (!before.empty() && documentPath_ != before) {
    items_.FileClosed(before);
    server_->PostItem(kItemFileClosed);
  }
}

void TAutomationModule::StatusChanged() {
  const bool logging = Core().DataLogging();
  if (logging_ && !logging) server_->PostItem(kItemLoggingStatus);
  logging_ = logging;
}

void TAutomationModule::SettingsChanged() {
  StatusChanged();
}

std::string TAutomationModule::TakeHeadlessOption(std::string_view name, const std::string& value) {
  if (name == "--serve") serveHeadless_ = true;
  if (name == "--socket") socketPath_ = value;
  return {};
}

std::optional<int> TAutomationModule::HeadlessRun() {
  if (!serveHeadless_) return std::nullopt;
  std::string error;
  if (!Serve(socketPath_, error)) {
    std::fprintf(stderr, "tessiva: automation server: %s\n", error.c_str());
    return 1;
  }
  std::fprintf(stderr, "tessiva: serving on %s\n", server_->SocketPath().c_str());
  std::signal(SIGTERM, [](int) { gTerminate = 1; });
  std::signal(SIGINT, [](int) { gTerminate = 1; });
  QEventLoop loop;
  QTimer poll;
  // Signals only set a flag; the loop looks at it (and at the exit request) 20 times a
  // second.
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (exitRequested_ || gTerminate) loop.quit();
  });
  poll.start(50);
  loop.exec();
  Core().Stop();
  server_->Close();
  return 0;
}

void TAutomationModule::Shutdown() {
  links_->Disconnect();
  server_->Close();
}

}  // namespace orvanix
