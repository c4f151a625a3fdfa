// Runs the execute commands on the analyzer core: each one through the same core
// operation its menu item or toolbar button runs, with the argument rules and refusals of
// the command table (ExecuteCommands.h).
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace orvanix {

class TAnalyzerCore;
class TAutomationFrame;
class TItemAnswers;
class TMacroHost;

enum class ExecuteResult { Processed, NotProcessed, Busy };

class TExecuteRunner {
 public:
  TExecuteRunner(TAnalyzerCore& core, TItemAnswers& items);

  // The frame's windows (nullptr: none; the window commands answer not processed).
  void SetFrame(TAutomationFrame* frame) { frame_ = frame; }
  // The macro processor for the macro commands (nullptr: they change nothing).
  void SetMacroHost(TMacroHost* macro) { macro_ = macro; }
  // "[Exit Application]" without a frame: the program is asked to end (headless).
  void SetExitHandler(std::function<void()> handler) { exit_ = std::move(handler); }
  // The macro processor's Run and Stop (its window's buttons).
  struct TMacroWindow {
    std::function<void()> start;
    std::function<void()> stop;
  };
  void SetMacroWindow(TMacroWindow window) { macroWindow_ = std::move(window); }

  ExecuteResult Execute(std::string_view text);

 private:
  ExecuteResult Run(int32_t id, const std::string& argument);
  ExecuteResult Settings(int32_t id, const std::string& argument);
  ExecuteResult Files(int32_t id, const std::string& argument);
  ExecuteResult Windows(int32_t id, const std::string& argument);
  ExecuteResult Utilities(int32_t id, const std::string& argument);
  ExecuteResult FileUtility(int32_t id, const std::string& argument);
  ExecuteResult OpenMacroFile(const std::string& path);

  TAnalyzerCore& core_;
  TItemAnswers& items_;
  TAutomationFrame* frame_ = nullptr;
  TMacroHost* macro_ = nullptr;
  std::function<void()> exit_;
  TMacroWindow macroWindow_;
};

}  // namespace orvanix
