// TAutomationModule: the automation server inside the analyzer core. It answers the
// server's requests from the core (TItemAnswers), runs execute commands (TExecuteRunner)
// and pokes, posts the advise links after every block and on the single-item events, and
// keeps the spectra computed while a link is open.
//
// The windowed program serves from its start; `tessiva --headless --serve` serves until
// "[Exit Application]" (or a signal) ends it. Registered as "automation" (app/Modules.cpp).
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "app/core/CoreModule.h"
#include "automation/AutomationServer.h"
#include "automation/DataLinks.h"
#include "automation/ExecuteRunner.h"
#include "automation/ItemAnswers.h"

namespace orvanix {

class TAutomationModule : public TCoreModule, public TAutomationHandler {
 public:
  static constexpr std::string_view kName = "automation";
  static TModuleInfo Info();

  explicit TAutomationModule(TAnalyzerCore& core);
  ~TAutomationModule() override;

  std::string_view Name() const override { return kName; }
  ObserverRole Role() const override { return kRoleAutomation; }

  // Starts the server on `path` (empty: $TESSIVA_SOCKET, else the default place). False
  // when it could not (the reason in `error`); the analyzer goes on without it.
  bool Serve(const std::string& path, std::string& error);
  TAutomationServer& Server() { return *server_; }
  TItemAnswers& Items() { return items_; }
  TExecuteRunner& Runner() { return runner_; }
  // The analyzer's own links to other programs' servers (Paste Link).
  TDataLinks& Links() { return *links_; }

  // ---- TAutomationHandler ----
  std::optional<std::string> ItemText(int32_t item) override;
  std::string_view Execute(std::string_view command) override;
  std::string_view Poke(std::string_view samples, std::string& error) override;
  void LinksChanged() override;

  // ---- TCoreModule ----
  bool ConsumesSpectra() const override;
  void BlockProcessed(double analysisTimeSecs) override;
  void DocumentChanged() override;
  void StatusChanged() override;
  void SettingsChanged() override;
  std::string TakeHeadlessOption(std::string_view name, const std::string& value) override;
  std::optional<int> HeadlessRun() override;
  void Shutdown() override;

 private:
  void WatchDocument();
  // Samples of a poke or of a plain data link, processed as an acquired block.
  std::string_view TakeSamples(std::string_view samples, std::string& error);

  TItemAnswers items_;
  TExecuteRunner runner_;
  std::unique_ptr<TAutomationServer> server_;
  std::unique_ptr<TDataLinks> links_;
  bool serveHeadless_ = false;
  std::string socketPath_;
  std::string documentPath_;
  bool logging_ = false;
  bool exitRequested_ = false;
  bool poking_ = false;  // a poke's block is announced outside the run loop
};

}  // namespace orvanix
