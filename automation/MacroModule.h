// TMacroModule: the macro processor inside the analyzer core. It is the core's macro host
// (a .mac on the command line, "[File Open x.mac]", "[Open Macro File"), steps the running
// macro once per pass of the event loop (less often while it waits), sends its lines to the
// automation server's command processor and request handler, and posts "Macro Status" and
// "File Closed" to the advise links.
//
// Registered as "macro" after "automation" (app/Modules.cpp). The macro window (when there
// is one) edits Macro()'s text and drives Run and Stop.
#pragma once

#include <QTimer>
#include <memory>
#include <string>

#include "app/core/CoreModule.h"
#include "automation/Macro.h"

namespace orvanix {

class TAutomationModule;

class TMacroModule : public TCoreModule, public TMacroHost, public TMacroServer {
 public:
  static constexpr std::string_view kName = "macro";
  static TModuleInfo Info();

  explicit TMacroModule(TAnalyzerCore& core);
  ~TMacroModule() override;

  std::string_view Name() const override { return kName; }
  TMacro& Macro() { return macro_; }

  // Run and Stop as the window's buttons and the execute commands do them.
  void Run();
  void Stop();
  // "Macro Status": the running flag while the macro processor is open (its window, or a
  // macro loaded without one), -1 when it is closed.
  int Status() const;
  // The window opened or closed (the GUI tells).
  void SetWindowOpen(bool open);
  // Told whenever the state changes (the window updates its buttons and title).
  void SetChangeHandler(std::function<void()> handler) { changed_ = std::move(handler); }
  const std::string& Path() const { return path_; }
  void SetPath(const std::string& path) { path_ = path; }

  // Loads a .mac file without running it; false (reported) when it cannot be read.
  bool Load(const std::string& path);
  // Counts the loads: a window showing the text reloads its editor when it changes.
  uint64_t TextVersion() const { return textVersion_; }
  // Where Run takes the text from (the window's editor while it is open); empty: the text
  // loaded last.
  void SetTextSource(std::function<std::string()> source) { textSource_ = std::move(source); }

  // ---- TMacroHost ----
  bool LoadAndRun(const std::string& path) override;
  bool Active() const override { return macro_.Running(); }
  bool Step() override;

  // ---- TMacroServer ----
  bool Execute(const std::string& command) override;
  std::optional<int32_t> FindItem(const std::string& name) override;
  std::string ItemText(int32_t item) override;

  // ---- TCoreModule ----
  void LoadProgramSettings(const TProfile& program) override;
  void TakeCommonHeadlessOptions(const THeadlessOptions& options) override;
  std::optional<int> HeadlessRun() override;
  void Shutdown() override;

 private:
  TAutomationModule* Automation() const;
  void ApplyOptions();
  void Pace();
  void Changed();

  TMacro macro_;
  QTimer timer_;
  std::string path_;
  bool loaded_ = false;
  bool windowOpen_ = false;
  bool headlessMacro_ = false;
  bool failed_ = false;
  std::function<void()> changed_;
  std::function<std::string()> textSource_;
  uint64_t textVersion_ = 0;
};

}  // namespace orvanix
