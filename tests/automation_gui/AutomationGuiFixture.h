// The windowed program with the automation server, the macro processor and the generator,
// serving on a scratch socket, and a client on it; a message sink that lets events run
// while it asks, as a modal message box does.
#pragma once

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "automation/AutomationGui.h"
#include "automation/MacroModule.h"
#include "generator/GeneratorModule.h"
#include "generator/SignalGeneratorWindow.h"
#include "tests/automation/AutomationTestSupport.h"
#include "tests/gui/GuiTestHelpers.h"

namespace orvanix::test {

// Asks as a message box does: events run while it is "open", as they do under a modal
// box. `whenAsked` looks at the world at the moment the question appears.
class TAskingSink : public TMessageSink {
 public:
  void Report(std::string_view text, std::string_view, MessageIcon) override {
    reports.emplace_back(text);
    WaitFor([] { return false; }, 50);
  }
  MessageAnswer Ask(std::string_view text, std::string_view, MessageButtons, MessageAnswer,
                    MessageIcon) override {
    questions.emplace_back(text);
    if (whenAsked) whenAsked();
    WaitFor([] { return false; }, 50);
    return answer;
  }
  std::vector<std::string> reports, questions;
  MessageAnswer answer = MessageAnswer::Cancel;
  std::function<void()> whenAsked;
};

class AutomationGuiFixture : public GuiFixture {
 protected:
  void SetUp() override {
    GuiFixture::SetUp();
    ::setenv("TESSIVA_SOCKET", Path("tessiva.sock").c_str(), 1);
    RegisterGeneratorWindows();
    RegisterAutomationGui();
    TCoreOptions options;
    options.programSettingsPath = SettingsPath();
    core_ = std::make_unique<TAnalyzerCore>(options);
    auto automation = std::make_unique<TAutomationModule>(*core_);
    automation_ = automation.get();
    core_->AddModule(std::move(automation));
    auto macro = std::make_unique<TMacroModule>(*core_);
    macro_ = macro.get();
    core_->AddModule(std::move(macro));
    core_->AddModule(std::make_unique<TGeneratorModule>(*core_));
    TMainWinOptions frameOptions;
    frameOptions.chooser = &chooser_;
    frameOptions.banner = false;
    frameOptions.deviceFolder = QString::fromStdString(Path("snd"));
    frame_ = std::make_unique<TMainWin>(*core_, frameOptions);
    frame_->show();
    std::string error;
    ASSERT_TRUE(automation_->Serve(Path("tessiva.sock"), error)) << error;
    ASSERT_TRUE(client_.Connect(Path("tessiva.sock")));
  }

  void TearDown() override {
    ::unsetenv("TESSIVA_SOCKET");
    GuiFixture::TearDown();
  }

  std::string Answer(const std::string& command) { return client_.Ask("execute " + command).head; }

  // A Post-Processing document with an edit not saved: closing it asks first.
  void OpenChangedDocument() {
    ASSERT_TRUE(frame_->RunCommand(kCmdModePostProcess));
    const std::string path = Path("changed.wav");
    WriteToneWave(path, 44100, 1, 44100, {{BinHz(93), 0.5}});
    ASSERT_TRUE(core_->OpenWave(path));
    core_->Document()->PutSample(100, 0, 0);
    ASSERT_TRUE(core_->Document()->Modified());
  }

  TAutomationModule* automation_ = nullptr;
  TMacroModule* macro_ = nullptr;
  TPumpedClient client_;
};

}  // namespace orvanix::test
