// The execute commands in the windowed program, through the socket: the frame's windows
// really open, close and arrange, overlays are stored, and "[Exit Application]" closes the
// frame the way its close button does (save prompt included), after the client has its
// answer and with the macro that sent it stopped.
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "AutomationGuiFixture.h"
#include "app/gui/SpectrumWindow.h"
#include "app/gui/StatusBar.h"
#include "app/gui/TransportBar.h"
#include "app/gui/ViewWindows.h"
#include "automation/AutomationGui.h"
#include "automation/MacroModule.h"
#include "generator/GeneratorModule.h"
#include "generator/SignalGeneratorWindow.h"
#include "views/OrvanePlot.h"

namespace orvanix::test {
namespace {

using AutomationFrame = AutomationGuiFixture;

TEST_F(AutomationFrame, ViewCommandsOpenArrangeAndCloseTheViews) {
  EXPECT_EQ(Answer("[Maximize Spectrum]"), "answer not-processed");  // not open
  EXPECT_EQ(Answer("[Open Spectrum]"), "answer processed");
  ASSERT_TRUE(core_->IsWindowOpen(kWindowSpectrum));
  QMdiSubWindow* window = frame_->Windows().SubWindow(kWindowSpectrum);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(Answer("[Maximize Spectrum]"), "answer processed");
  EXPECT_TRUE(window->isMaximized());
  EXPECT_EQ(Answer("[Restore Spectrum]"), "answer processed");
  EXPECT_FALSE(window->isMaximized());
  // Opening an open view keeps the one there.
  EXPECT_EQ(Answer("[Open Spectrum]"), "answer processed");
  EXPECT_EQ(frame_->Windows().SubWindow(kWindowSpectrum), window);
  EXPECT_EQ(Answer("[Close Spectrum]"), "answer processed");
  EXPECT_FALSE(core_->IsWindowOpen(kWindowSpectrum));
  EXPECT_EQ(Answer("[Close Spectrum]"), "answer processed");  // closed already
}

TEST_F(AutomationFrame, DecorationsAndTheFrameFollowTheirCommands) {
  EXPECT_EQ(Answer("[Hide Statusbar]"), "answer processed");
  EXPECT_FALSE(frame_->StatusBarWidget()->isVisible());
  EXPECT_EQ(Answer("[Show Statusbar]"), "answer processed");
  EXPECT_TRUE(frame_->StatusBarWidget()->isVisible());
  EXPECT_EQ(Answer("[Hide Menu]"), "answer processed");
  EXPECT_FALSE(frame_->menuBar()->isVisible());
  EXPECT_EQ(Answer("[Show Menu]"), "answer processed");
  EXPECT_TRUE(frame_->menuBar()->isVisible());
  EXPECT_EQ(Answer("[Hide Toolbar]"), "answer processed");
  EXPECT_FALSE(frame_->TransportBar()->isVisible());
  // The plot views here have no toolbars of their own.
  EXPECT_EQ(Answer("[Hide Plot Toolbars]"), "answer not-processed");
  // Nothing to copy until a plot view is active.
  EXPECT_EQ(Answer("[Copy to Clipboard as Bitmap]"), "answer not-processed");
  EXPECT_EQ(Answer("[Open Spectrum]"), "answer processed");
  frame_->MdiArea()->setActiveSubWindow(frame_->Windows().SubWindow(kWindowSpectrum));
  EXPECT_EQ(Answer("[Copy to Clipboard as Bitmap]"), "answer processed");

  EXPECT_EQ(Answer("[Hide Window]"), "answer processed");
  EXPECT_FALSE(frame_->isVisible());
  EXPECT_EQ(Answer("[Show Window]"), "answer processed");
  EXPECT_TRUE(frame_->isVisible());
  EXPECT_FALSE(frame_->isMinimized());
}

TEST_F(AutomationFrame, UtilityWindowsOpenOnceTheCommandIsAnswered) {
  EXPECT_EQ(Answer("[Open Generator]"), "answer processed");
  ASSERT_TRUE(WaitFor([&] { return core_->IsWindowOpen(kWindowSignalGenerator); }, 5000));
  EXPECT_EQ(Answer("[Close Generator]"), "answer processed");
  EXPECT_TRUE(WaitFor([&] { return !core_->IsWindowOpen(kWindowSignalGenerator); }, 5000));
}

TEST_F(AutomationFrame, OverlaysAreStoredShownAndHiddenInTheSpectrumView) {
  EXPECT_EQ(Answer("[Set Overlay 2]"), "answer not-processed");  // no spectrum view
  ASSERT_EQ(Answer("[Open Spectrum]"), "answer processed");
  ASSERT_TRUE(frame_->RunCommand(kCmdModePostProcess));
  const std::string path = Path("tone.wav");
  WriteToneWave(path, 44100, 1, 44100, {{BinHz(93), 0.5}});
  ASSERT_EQ(Answer("[File Open " + path + "]"), "answer processed");
  ASSERT_EQ(Answer("[Single Step]"), "answer processed");

  TOrvanePlot* plot = frame_->Windows().Spectrum()->Plot();
  EXPECT_EQ(Answer("[Set Overlay 2]"), "answer processed");
  ASSERT_TRUE(WaitFor([&] { return plot->Overlay(0, 2) != nullptr; }, 5000));
  EXPECT_TRUE(std::filesystem::exists(plot->OverlayPath(0, 2)));
  EXPECT_EQ(plot->Overlay(0, 1), nullptr);
  EXPECT_EQ(Answer("[Hide Overlay 2]"), "answer processed");
  EXPECT_TRUE(WaitFor([&] { return plot->Overlay(0, 2) == nullptr; }, 5000));
  EXPECT_EQ(Answer("[Show Overlay 2]"), "answer processed");
  EXPECT_TRUE(WaitFor([&] { return plot->Overlay(0, 2) != nullptr; }, 5000));
  EXPECT_TRUE(sink_.Entries().empty());
}

TEST_F(AutomationFrame, ExitApplicationAsksAsTheCloseButtonDoesAfterAnswering) {
  OpenChangedDocument();
  TAskingSink asking;
  TScopedMessageSink scoped(&asking);
  bool answered = false;
  bool answeredBeforeAsked = false;
  asking.whenAsked = [&] {
    WaitFor([&] { return client_.Socket().bytesAvailable() > 0; }, 1000);
    answeredBeforeAsked = answered || client_.Socket().bytesAvailable() > 0;
  };

  // Cancelled: the program and the changed document stay.
  client_.Send("execute [Exit Application]");
  const TMessage reply = client_.Next();
  answered = reply.received;
  EXPECT_EQ(reply.head, "answer processed");
  ASSERT_TRUE(WaitFor([&] { return !asking.questions.empty(); }, 5000));
  EXPECT_TRUE(answeredBeforeAsked);
  EXPECT_FALSE(frame_->Exited());
  EXPECT_TRUE(frame_->isVisible());
  ASSERT_TRUE(core_->HasDocument());
  EXPECT_TRUE(core_->Document()->Modified());

  // Not saved: the frame goes through its exit.
  asking.answer = MessageAnswer::No;
  EXPECT_EQ(Answer("[Exit Application]"), "answer processed");
  EXPECT_TRUE(WaitFor([&] { return frame_->Exited(); }, 5000));
  EXPECT_EQ(asking.questions.size(), 2u);
}

TEST_F(AutomationFrame, ExitApplicationSentByAMacroStopsTheMacroFirst) {
  OpenChangedDocument();
  TAskingSink asking;
  TScopedMessageSink scoped(&asking);
  const std::string macro = Path("leave.mac");
  std::ofstream(macro) << "SetOutputFile leave.txt\n"
                          "OutputComment before\n"
                          "Send [Exit Application]\n"
                          "OutputComment after\n";
  ASSERT_TRUE(macro_->LoadAndRun(macro));
  ASSERT_TRUE(WaitFor([&] { return !asking.questions.empty(); }, 5000));
  EXPECT_FALSE(macro_->Macro().Running());
  WaitFor([] { return false; }, 100);
  std::stringstream output;
  output << std::ifstream(Path("leave.txt")).rdbuf();
  EXPECT_EQ(output.str(), "before\n");
  EXPECT_FALSE(frame_->Exited());
}

}  // namespace
}  // namespace orvanix::test
