// The macro window in the frame: opened and run by the execute commands, its editor's text
// is what runs, its buttons follow the run, the output shows as it is written, and closing
// it (or the program) asks about a running macro and about text not saved.
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "AutomationGuiFixture.h"
#include "app/gui/ViewWindows.h"
#include "automation/MacroOptionsDialog.h"
#include "automation/MacroTexts.h"
#include "automation/MacroWindow.h"
#include "files/Configuration.h"

namespace orvanix::test {
namespace {

class MacroWindow : public AutomationGuiFixture {
 protected:
  void SetUp() override {
    AutomationGuiFixture::SetUp();
    TMacroWindow::UseChooser(&chooser_);
  }
  void TearDown() override {
    AutomationGuiFixture::TearDown();
    TMacroWindow::UseChooser(nullptr);
  }

  TMacroWindow* Window() const {
    QMdiSubWindow* child = frame_->Windows().SubWindow(kWindowMacro);
    return child ? qobject_cast<TMacroWindow*>(child->widget()) : nullptr;
  }

  // As the user types it: the text replaces what was there and counts as changed.
  static void Type(TMacroWindow* window, const std::string& text) {
    window->Editor()->selectAll();
    window->Editor()->insertPlainText(QString::fromStdString(text));
  }

  std::string Write(const std::string& name, const std::string& text) {
    const std::string path = Path(name);
    std::ofstream(path) << text;
    return path;
  }

  std::string Read(const std::string& name) {
    std::stringstream text;
    text << std::ifstream(Path(name)).rdbuf();
    return text.str();
  }
};

TEST_F(MacroWindow, OpenMacroFileShowsTheFileRunsItAndShowsItsOutput) {
  const std::string macro = Write("seq.mac",
                                  "SetOutputFile seq.txt\n"
                                  "OutputComment first\n"
                                  "Loop 3\n"
                                  "Output FFT Size\n"
                                  "LoopEnd\n"
                                  "WaitSeconds 0.3\n"
                                  "OutputComment last\n");
  EXPECT_EQ(Answer("[Open Macro File " + macro + "]"), "answer processed");
  ASSERT_TRUE(WaitFor([&] { return Window() != nullptr; }, 5000));
  TMacroWindow* window = Window();
  EXPECT_EQ(window->Editor()->toPlainText().toStdString().substr(0, 21), "SetOutputFile seq.txt");
  EXPECT_EQ(frame_->Windows().SubWindow(kWindowMacro)->windowTitle().toStdString(),
            "Macro - [" + macro + "]");
  // While it runs (in its wait): Stop only, and the text cannot be edited.
  ASSERT_TRUE(WaitFor([&] { return macro_->Macro().Waiting(); }, 5000));
  EXPECT_FALSE(window->RunButton()->isEnabled());
  EXPECT_TRUE(window->StopButton()->isEnabled());
  EXPECT_FALSE(window->ViewButton()->isEnabled());
  EXPECT_TRUE(window->Editor()->isReadOnly());
  EXPECT_EQ(client_.Ask("request Macro Status").data, "1");
  ASSERT_TRUE(WaitFor([&] { return !macro_->Macro().Running(); }, 5000));
  EXPECT_EQ(Read("seq.txt"), "first\n4096\n4096\n4096\nlast\n");
  EXPECT_TRUE(WaitFor(
      [&] { return window->OutputView()->toPlainText() == "first\n4096\n4096\n4096\nlast\n"; },
      2000));
  EXPECT_TRUE(window->RunButton()->isEnabled());
  EXPECT_FALSE(window->StopButton()->isEnabled());
  EXPECT_FALSE(window->Editor()->isReadOnly());
  EXPECT_EQ(client_.Ask("request Macro Status").data, "0");
  EXPECT_TRUE(sink_.Entries().empty());
  // A file that cannot be read is refused at once, with no message box in between.
  EXPECT_EQ(Answer("[Open Macro File " + Path("none.mac") + "]"), "answer not-processed");
}

TEST_F(MacroWindow, RunRunsTheEditorsTextAndStartMacroPressesRun) {
  ASSERT_EQ(Answer("[Open Macro]"), "answer processed");
  ASSERT_TRUE(WaitFor([&] { return Window() != nullptr; }, 5000));
  TMacroWindow* window = Window();
  EXPECT_FALSE(window->RunButton()->isEnabled());  // no text
  EXPECT_FALSE(window->StopButton()->isEnabled());
  Type(window, "SetOutputFile typed.txt\nOutputComment typed here\n");
  EXPECT_TRUE(window->RunButton()->isEnabled());
  EXPECT_EQ(Answer("[Start Macro]"), "answer processed");
  ASSERT_TRUE(WaitFor([&] { return !macro_->Macro().Running(); }, 5000));
  EXPECT_EQ(Read("typed.txt"), "typed here\n");
  // A changed line runs as it now stands.
  Type(window, "SetOutputFile typed.txt\nOutputComment changed\n");
  window->Run();
  ASSERT_TRUE(WaitFor([&] { return !macro_->Macro().Running(); }, 5000));
  EXPECT_EQ(Read("typed.txt"), "changed\n");  // overwritten at the run's start
}

TEST_F(MacroWindow, ClosingAsksAboutTheRunningMacroAndTheChangedText) {
  TAskingSink asking;
  TScopedMessageSink scoped(&asking);
  ASSERT_TRUE(frame_->RunCommand(kCmdMacroWindow));
  TMacroWindow* window = Window();
  ASSERT_NE(window, nullptr);
  Type(window, "WaitSeconds 100\n");
  window->Run();
  ASSERT_TRUE(macro_->Macro().Running());

  // "No": the macro runs on and the window stays.
  asking.answer = MessageAnswer::No;
  EXPECT_FALSE(frame_->Windows().SubWindow(kWindowMacro)->close());
  ASSERT_EQ(asking.questions.size(), 1u);
  EXPECT_EQ(asking.questions[0], kMacroStillRunning);
  EXPECT_TRUE(macro_->Macro().Running());
  // The program's exit asks the same before anything else, and stays on "No".
  EXPECT_FALSE(frame_->close());
  EXPECT_FALSE(frame_->Exited());
  EXPECT_TRUE(macro_->Macro().Running());

  // "Yes" stops it; then the text not saved: Cancel keeps the window.
  asking.questions.clear();
  window->Stop();
  window->Run();
  std::vector<MessageAnswer> answers = {MessageAnswer::Yes, MessageAnswer::Cancel};
  asking.whenAsked = [&] {
    asking.answer = answers.front();
    answers.erase(answers.begin());
  };
  EXPECT_FALSE(frame_->Windows().SubWindow(kWindowMacro)->close());
  ASSERT_EQ(asking.questions.size(), 2u);
  EXPECT_EQ(asking.questions[1], Format(kMacroChanged, kMacroUntitledName));
  EXPECT_FALSE(macro_->Macro().Running());
  ASSERT_NE(Window(), nullptr);

  // Yes saves (Save As for an untitled macro), then the window goes.
  chooser_.Answer(Path("kept.mac"));
  asking.whenAsked = nullptr;
  asking.answer = MessageAnswer::Yes;
  EXPECT_TRUE(frame_->Windows().SubWindow(kWindowMacro)->close());
  EXPECT_EQ(Read("kept.mac"), "WaitSeconds 100\n");
  EXPECT_FALSE(core_->IsWindowOpen(kWindowMacro));
  EXPECT_EQ(client_.Ask("request Macro Status").data, "-1");
}

TEST_F(MacroWindow, SaveAsAndOpenGoThroughTheMacroFileDialogs) {
  ASSERT_TRUE(frame_->RunCommand(kCmdMacroWindow));
  TMacroWindow* window = Window();
  Type(window, "; a comment\nMacroEnd");
  chooser_.Answer(Path("saved.mac"));
  ASSERT_TRUE(window->SaveAs());
  EXPECT_EQ(chooser_.Requests().back().title, kMacroSaveTitle);
  EXPECT_EQ(chooser_.Requests().back().filter, kMacroFilter);
  EXPECT_EQ(Read("saved.mac"), "; a comment\nMacroEnd\n");
  EXPECT_EQ(window->windowTitle().toStdString(), "Macro - [" + Path("saved.mac") + "]");
  EXPECT_FALSE(std::filesystem::exists(Path("saved.mac.saving")));
  EXPECT_EQ(core_->Settings().macro.macroFilename, Path("saved.mac"));

  const std::string other = Write("other.mac", "OutputComment x\n");
  chooser_.Answer(other);
  ASSERT_TRUE(window->Open());
  EXPECT_EQ(chooser_.Requests().back().title, kMacroOpenTitle);
  EXPECT_EQ(window->Editor()->toPlainText().toStdString(), "OutputComment x");
  EXPECT_EQ(window->windowTitle().toStdString(), "Macro - [" + other + "]");
  ASSERT_TRUE(window->New());
  EXPECT_EQ(window->windowTitle().toStdString(), kMacroTitleUntitled);
  // Open and Save As choose the file the window starts with next time; New does not.
  EXPECT_EQ(core_->Settings().macro.macroFilename, other);
  ASSERT_TRUE(core_->SaveConfiguration(Path("setup.cfg")));
  EXPECT_NE(Read("setup.cfg").find("MacroFilename=" + other), std::string::npos);
}

TEST_F(MacroWindow, OptionsDialogChoosesTheOutputFileAndAppendMode) {
  const std::string folder = core_->LastFolder(kFolderMacro);
  TMacroOptions options;
  options.overwrite = 1;
  TMacroOptionsDialog dialog(nullptr, options, folder, &chooser_);
  chooser_.Answer(Path("log.txt"));
  dialog.PickOutput();
  EXPECT_EQ(chooser_.Requests().back().title, kMacroPickOutputTitle);
  EXPECT_EQ(chooser_.Requests().back().filter, "Macro Output File (*.txt)|*.txt|");
  dialog.AppendButton()->setChecked(true);
  dialog.OnOk();
  EXPECT_EQ(dialog.Result().outputFilename, Path("log.txt"));
  EXPECT_EQ(dialog.Result().overwrite, 0);
  dialog.OnDefaults();
  EXPECT_TRUE(dialog.OverwriteButton()->isChecked());
  EXPECT_EQ(dialog.OutputEdit()->text().toStdString(), folder + "/macro_output.txt");
  EXPECT_EQ(dialog.ViewerEdit()->text().toStdString(), "Notepad.exe");

  // Appending: two runs leave two lines in the chosen file (Overwrite would leave one).
  ASSERT_TRUE(frame_->RunCommand(kCmdMacroWindow));
  TMacroWindow* window = Window();
  TMacroOptions append;
  append.outputFilename = Path("log.txt");
  append.overwrite = 0;
  window->ApplyOptions(append);
  EXPECT_EQ(core_->Settings().macro.overwrite, 0);
  Type(window, "OutputComment once\n");
  for (int run = 0; run < 2; ++run) {
    window->Run();
    ASSERT_TRUE(WaitFor([&] { return !macro_->Macro().Running(); }, 5000));
  }
  EXPECT_EQ(Read("log.txt"), "once\nonce\n");
}

}  // namespace
}  // namespace orvanix::test
