// The frame: menus, accelerators and enabling in each mode, the toolbar, titles, the file
// history, dropped files, the Open flow, exit with placements, and the hidden start.
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeySequence>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QSet>

#include "app/core/Commands.h"
#include "app/core/CoreTexts.h"
#include "app/core/Headless.h"
#include "app/gui/CommandMenus.h"
#include "app/gui/Placement.h"
#include "app/gui/StatusBar.h"
#include "app/gui/TransportBar.h"
#include "app/gui/ViewWindows.h"
#include "app/gui/WindowedApp.h"
#include "files/Configuration.h"
#include "files/Profile.h"
#include "files/WaveFile.h"
#include "tests/gui/GuiTestHelpers.h"

namespace orvanix::test {
namespace {

class MainWinTest : public GuiFixture {
 protected:
  QAction* Action(int32_t command) { return frame_->Commands().Action(command); }
  bool Enabled(int32_t command) {
    frame_->UpdateCommands();
    QAction* action = Action(command);
    return action && action->isEnabled();
  }
  std::string ShortToneFile(const std::string& name, uint32_t frames = 44100) {
    const std::string path = Path(name);
    WriteToneWave(path, 44100, 1, frames, {{BinHz(93), 0.5}});
    return path;
  }
  // Every shortcut of an action, as portable text.
  static QStringList Keys(QAction* action) {
    QStringList keys;
    for (const QKeySequence& key : action->shortcuts()) keys << key.toString();
    return keys;
  }
};

// The menus as the user reads them, written out here rather than taken from the command
// table the frame builds them from: a wrong, missing or misplaced label fails.
QStringList MenuTexts(QMenu* menu, const QString& prefix = {}) {
  QStringList texts;
  for (QAction* action : menu->actions()) {
    if (action->isSeparator() || !action->isVisible()) continue;
    if (action->menu()) {
      texts << MenuTexts(action->menu(), prefix + action->text() + " > ");
    } else {
      texts << prefix + action->text();
    }
  }
  return texts;
}

TEST_F(MainWinTest, EveryMenuItemHasItsLabelMenuAndKeys) {
  MakeFrame();
  const std::vector<QMenu*>& menus = frame_->Commands().Menus();
  QStringList titles;
  for (QMenu* menu : menus) titles << menu->title();
  EXPECT_EQ(titles, (QStringList{"&File", "&Edit", "&Mode", "&View", "&Options", "&Utilities",
                                 "&Config", "&Window", "&Help"}));
  auto texts = [&](const char* title) {
    QMenu* menu = frame_->Commands().Menu(title);
    return menu ? MenuTexts(menu) : QStringList{};
  };
  EXPECT_EQ(
      texts("&File"),
      (QStringList{"&New...", "&Open...\tCtrl+O", "&Close", "&Save\tCtrl+S", "Save &As...\tCtrl+A",
                   "&Delete...", "&File I/O Options...", "&Import...", "&Export...", "Deci&mate...",
                   "Mer&ge...", "&Print\tCtrl+P", "P&rinter Setup...",
                   "Anno&tations and Margins...", "Set Pat&hs...", "E&xit\tAlt+F4"}));
  EXPECT_EQ(texts("&Edit"),
            (QStringList{"&Undo Edit\tCtrl+Z", "Cu&t\tShift+Del", "&Copy\tCtrl+Ins",
                         "&Paste Insert\tShift+Ins", "Paste &Over", "&Mute", "&Gain Adjust",
                         "Select &All", "Paste Lin&k", "P&lay", "Play &Special > &Loop\tCtrl+L",
                         "Play &Special > &Half Speed", "Play &Special > &Double Speed",
                         "Play &Special > &Arbitrary Speed", "&Filter..."}));
  EXPECT_EQ(texts("&Mode"), (QStringList{"&Real Time", "R&ecorder", "&Post Process"}));
  EXPECT_EQ(texts("&View"), (QStringList{"&Time Series", "&Spectrum", "&Phase", "Spectro&gram",
                                         "3&D Surface", "&Clear All Views"}));
  EXPECT_EQ(texts("&Options"),
            (QStringList{"&Settings...\tF4", "Sc&aling...\tF5", "&Trigger...\tF6",
                         "&Calibration...\tF9", "&Markers...", "&Device...", "T&ime Series...",
                         "Spect&rum...", "&Phase...", "Spectro&gram...", "3-D S&urface..."}));
  EXPECT_EQ(texts("&Utilities"),
            (QStringList{
                "&Signal Generator...\tF11", "Save Signal To &Wave File...", "Peak &Frequency",
                "Peak &Amplitude", "Total &Power", "&Total Harmonic Distortion (THD)",
                "Total Harmonic Distortion + &Noise (THD+N)", "&Intermodulation Distortion (IMD)",
                "Signal to Noise &Ratio (SNR)", "Signal to Nois&e And Distortion (SINAD)",
                "&Noise Figure (NF) > Left vs Right", "&Noise Figure (NF) > Right vs Left",
                "Dela&y Finder", "Re&verberation Time", "DT&MF Decoder", "&Data Logging > &On",
                "&Data Logging > O&ff", "&Data Logging > &Setup...", "&Data Logging > &View..."}));
  EXPECT_EQ(texts("&Config"),
            (QStringList{"&Save Configuration...\tF7", "&Load Configuration...\tF8",
                         "&View Configuration", "&Print Configuration"}));
  EXPECT_EQ(texts("&Window"), (QStringList{"&Cascade\tShift+F5", "&Tile Vertical\tShift+F4",
                                           "Tile &Horizontal\tShift+F3", "Arrange &Icons",
                                           "Close All &Views", "Close All &Utilities"}));
  EXPECT_EQ(texts("&Help"), (QStringList{"&Contents...\tF1", "&Search for Help on...",
                                         "Application &Notes...", "&Release Notes...", "&About"}));
  // Each item runs its own command.
  EXPECT_EQ(Action(kCmdOpen)->data().toInt(), 101);
  EXPECT_EQ(Action(kCmdPrinterSetup)->data().toInt(), 131);
  EXPECT_EQ(Action(kCmdAnnotations)->data().toInt(), 138);
  EXPECT_EQ(Action(kCmdCalibration)->data().toInt(), 137);
  EXPECT_EQ(Action(kCmdApplicationNotes)->data().toInt(), 178);
  EXPECT_EQ(Action(kCmdReleaseNotes)->data().toInt(), 270);
  EXPECT_EQ(Action(kCmdLoggingView)->data().toInt(), 204);
  // Keys from the accelerator table, not from the label text.
  EXPECT_EQ(Keys(Action(kCmdOpen)), QStringList{"Ctrl+O"});
  EXPECT_EQ(Keys(Action(kCmdSave)), QStringList{"Ctrl+S"});
  EXPECT_EQ(Keys(Action(kCmdSaveAs)), QStringList{"Ctrl+A"});
  EXPECT_EQ(Keys(Action(kCmdPrint)), QStringList{"Ctrl+P"});
  EXPECT_EQ(Keys(Action(kCmdCut)), QStringList{"Shift+Del"});
  EXPECT_EQ(Keys(Action(kCmdPasteInsert)), QStringList{"Shift+Ins"});
  EXPECT_EQ(Keys(Action(kCmdUndoEdit)), QStringList{"Ctrl+Z"});
  EXPECT_EQ(Keys(Action(kCmdLoop)), QStringList{"Ctrl+L"});
  EXPECT_EQ(Keys(Action(kCmdSettings)), QStringList{"F4"});
  EXPECT_EQ(Keys(Action(kCmdScaling)), QStringList{"F5"});
  EXPECT_EQ(Keys(Action(kCmdTrigger)), QStringList{"F6"});
  EXPECT_EQ(Keys(Action(kCmdSaveConfiguration)), QStringList{"F7"});
  EXPECT_EQ(Keys(Action(kCmdLoadConfiguration)), QStringList{"F8"});
  EXPECT_EQ(Keys(Action(kCmdCalibration)), QStringList{"F9"});
  EXPECT_EQ(Keys(Action(kCmdSignalGenerator)), QStringList{"F11"});
  EXPECT_EQ(Keys(Action(kCmdHelpContents)), QStringList{"F1"});
  EXPECT_EQ(Keys(Action(kCmdCascade)), QStringList{"Shift+F5"});
  EXPECT_EQ(Keys(Action(kCmdTileVertical)), QStringList{"Shift+F4"});
  EXPECT_EQ(Keys(Action(kCmdTileHorizontal)), QStringList{"Shift+F3"});
  // The transport keys, letters in either case, and Enter for a single step.
  EXPECT_EQ(Keys(Action(kCmdRun)), (QStringList{"Alt+R", "Alt+Shift+R"}));
  EXPECT_EQ(Keys(Action(kCmdStop)), (QStringList{"Alt+S", "Alt+Shift+S"}));
  EXPECT_EQ(Keys(Action(kCmdPlayDocument)), (QStringList{"Alt+P", "Alt+Shift+P"}));
  EXPECT_EQ(Keys(Action(kCmdRewind)), (QStringList{"Alt+D", "Alt+Shift+D"}));
  EXPECT_EQ(Keys(Action(kCmdSingleStep)), (QStringList{"Return", "Enter"}));
  EXPECT_TRUE(frame_->actions().contains(Action(kCmdRun)));
  // Items without keys of their own show only the label's text.
  EXPECT_TRUE(Action(kCmdCopy)->shortcuts().isEmpty());
  EXPECT_TRUE(Action(kCmdExit)->shortcuts().isEmpty());
  // No key runs two commands.
  QStringList all;
  for (int32_t command : frame_->Commands().Commands()) all << Keys(Action(command));
  EXPECT_EQ(all.size(), QSet<QString>(all.begin(), all.end()).size());
}

TEST_F(MainWinTest, EnablingFollowsTheModeAndTheDocument) {
  MakeFrame();
  ASSERT_EQ(core_->Mode(), kModeRealTime);
  // Real-Time mode.
  EXPECT_FALSE(Enabled(kCmdNew));
  EXPECT_TRUE(Enabled(kCmdOpen));
  EXPECT_FALSE(Enabled(kCmdClose));
  EXPECT_FALSE(Enabled(kCmdSave));
  EXPECT_FALSE(Enabled(kCmdSaveAs));
  EXPECT_TRUE(Enabled(kCmdDelete));
  EXPECT_TRUE(Enabled(kCmdFileIoOptions));
  EXPECT_FALSE(Enabled(kCmdRewind));
  EXPECT_FALSE(Enabled(kCmdPlayDocument));
  EXPECT_TRUE(Enabled(kCmdSingleStep));
  EXPECT_FALSE(Enabled(kCmdStop));
  EXPECT_TRUE(Action(kCmdModeRealTime)->isChecked());
  EXPECT_FALSE(Action(kCmdModePostProcess)->isChecked());
  // Features this program does not have yet stay greyed in every mode.
  for (int32_t command : {kCmdImport, kCmdExport, kCmdDecimate, kCmdMerge, kCmdUndoEdit, kCmdCut,
                          kCmdCopy, kCmdPasteInsert, kCmdPasteLink, kCmdPlay, kCmdFilter,
                          kCmdViewTimeSeries, kCmdViewPhase, kCmdViewSpectrogram, kCmdViewSurface,
                          kCmdSignalGenerator, kCmdThd, kCmdLoggingOn, kCmdTimeSeriesOptions}) {
    EXPECT_FALSE(Enabled(command)) << command;
  }

  // What this program has is there in every mode.
  for (int32_t command :
       {kCmdCalibration, kCmdPrinterSetup, kCmdAnnotations, kCmdApplicationNotes}) {
    EXPECT_TRUE(Enabled(command)) << command;
  }

  // Post-Processing without a document.
  ASSERT_TRUE(frame_->RunCommand(kCmdModePostProcess));
  EXPECT_TRUE(Action(kCmdModePostProcess)->isChecked());
  EXPECT_FALSE(Action(kCmdModeRealTime)->isChecked());
  EXPECT_TRUE(Enabled(kCmdNew));
  EXPECT_FALSE(Enabled(kCmdClose));
  EXPECT_FALSE(Enabled(kCmdRun));
  EXPECT_FALSE(Enabled(kCmdRewind));
  EXPECT_FALSE(Enabled(kCmdSingleStep));

  // Post-Processing with a document.
  ASSERT_TRUE(core_->OpenWave(ShortToneFile("a.wav")));
  EXPECT_TRUE(Enabled(kCmdClose));
  EXPECT_TRUE(Enabled(kCmdSave));
  EXPECT_TRUE(Enabled(kCmdSaveAs));
  EXPECT_FALSE(Enabled(kCmdDelete));
  EXPECT_TRUE(Enabled(kCmdRun));
  EXPECT_TRUE(Enabled(kCmdRewind));
  EXPECT_TRUE(Enabled(kCmdSingleStep));
  EXPECT_FALSE(Enabled(kCmdPlayDocument));

  // Recorder with the document.
  ASSERT_TRUE(frame_->RunCommand(kCmdModeRecorder));
  EXPECT_TRUE(Action(kCmdModeRecorder)->isChecked());
  EXPECT_TRUE(Enabled(kCmdPlayDocument));
  EXPECT_TRUE(Enabled(kCmdRewind));

  // The spectrum view's item is checked while it is open.
  EXPECT_TRUE(core_->IsWindowOpen(kWindowSpectrum) == Action(kCmdViewSpectrum)->isChecked());
}

TEST_F(MainWinTest, ToolbarFollowsTheMode) {
  MakeFrame();
  EXPECT_EQ(frame_->TransportBar()->Commands(),
            (std::vector<int32_t>{kCmdOpen, kCmdRun, kCmdStop}));
  ASSERT_TRUE(frame_->RunCommand(kCmdModePostProcess));
  EXPECT_EQ(frame_->TransportBar()->Commands(),
            (std::vector<int32_t>{kCmdOpen, kCmdRun, kCmdStop, kCmdRewind}));
  ASSERT_TRUE(frame_->RunCommand(kCmdModeRecorder));
  EXPECT_EQ(frame_->TransportBar()->Commands(),
            (std::vector<int32_t>{kCmdOpen, kCmdRun, kCmdStop, kCmdPlayDocument, kCmdRewind}));
  EXPECT_EQ(frame_->TransportBar()->height(), TTransportBar::kHeight);
  EXPECT_EQ(frame_->StatusBarWidget()->height(), TStatusBar::kHeight);
  // Choosing the mode it is in changes nothing.
  EXPECT_TRUE(frame_->RunCommand(kCmdModeRecorder));
  EXPECT_EQ(core_->Mode(), kModeRecorder);
}

TEST_F(MainWinTest, OpenAsksForAWaveFileAndTitlesTheFrame) {
  MakeFrame();
  EXPECT_EQ(frame_->windowTitle().toStdString(), kProgramTitle);
  // Refused in Real-Time mode before any dialog.
  EXPECT_FALSE(frame_->RunCommand(kCmdOpen));
  EXPECT_TRUE(sink_.Contains(kMsgOpenInRealTime));
  EXPECT_TRUE(chooser_.Requests().empty());

  ASSERT_TRUE(frame_->RunCommand(kCmdModePostProcess));
  const std::string path = ShortToneFile("tone.wav");
  chooser_.Answer(path);
  ASSERT_TRUE(frame_->RunCommand(kCmdOpen));
  ASSERT_EQ(chooser_.Requests().size(), 1u);
  const TFileRequest& request = chooser_.Requests()[0];
  EXPECT_EQ(request.kind, TFileRequest::Kind::Open);
  EXPECT_EQ(request.title, "Open Wave File");
  EXPECT_EQ(request.filter, "Wave Files (*.wav)|*.wav|");
  EXPECT_EQ(request.folder, scratch_.path().toStdString());
  EXPECT_EQ(frame_->windowTitle().toStdString(), std::string(kProgramTitle) + " [" + path + "]");
  // The file became the first history item.
  QAction* first = Action(kCmdHistory1);
  EXPECT_TRUE(first->isVisible());
  EXPECT_EQ(first->text().toStdString(), "1. " + path);
  EXPECT_FALSE(Action(kCmdHistory2)->isVisible());

  // Cancelling the dialog changes nothing.
  EXPECT_FALSE(frame_->RunCommand(kCmdOpen));
  EXPECT_EQ(core_->Document()->TargetPath(), path);

  // Close: the title is the program title alone.
  ASSERT_TRUE(frame_->RunCommand(kCmdClose));
  EXPECT_EQ(frame_->windowTitle().toStdString(), kProgramTitle);
  // The history item opens it again.
  ASSERT_TRUE(frame_->RunCommand(kCmdHistory1));
  EXPECT_EQ(core_->DocumentName(), path);
}

TEST_F(MainWinTest, SaveAsAndDeleteUseTheirDialogs) {
  MakeFrame();
  ASSERT_TRUE(frame_->RunCommand(kCmdModePostProcess));
  ASSERT_TRUE(core_->OpenWave(ShortToneFile("orig.wav")));
  const std::string copy = Path("copy.wav");
  chooser_.Answer(copy);
  ASSERT_TRUE(frame_->RunCommand(kCmdSaveAs));
  EXPECT_EQ(chooser_.Requests().back().title, "Save Wave File");
  EXPECT_EQ(chooser_.Requests().back().kind, TFileRequest::Kind::Save);
  EXPECT_TRUE(QFile::exists(QString::fromStdString(copy)));
  EXPECT_EQ(frame_->windowTitle().toStdString(), std::string(kProgramTitle) + " [" + copy + "]");

  ASSERT_TRUE(frame_->RunCommand(kCmdClose));
  chooser_.Answer(Path("orig.wav"));
  sink_.QueueAnswer(MessageAnswer::Yes);
  ASSERT_TRUE(frame_->RunCommand(kCmdDelete));
  EXPECT_EQ(chooser_.Requests().back().title, "Delete Wave File");
  EXPECT_EQ(chooser_.Requests().back().filter, "Wave Files (*.wav)|*.wav|");
  EXPECT_TRUE(sink_.Contains("Are you sure you want to delete: " + Path("orig.wav")));
  EXPECT_FALSE(QFile::exists(QString::fromStdString(Path("orig.wav"))));
}

// Every way of opening a file makes its folder the one the next wave-file dialog starts in,
// and so does a Save As; never the configured wave folder once another was used.
TEST_F(MainWinTest, SaveDialogStartsInTheFolderLastUsed) {
  MakeFrame();
  ASSERT_TRUE(frame_->RunCommand(kCmdModePostProcess));
  for (const char* folder : {"dropped", "chosen", "saved"}) {
    ASSERT_TRUE(QDir(scratch_.path()).mkpath(folder));
  }
  const std::string dropped = ShortToneFile("dropped/a.wav");
  const std::string chosen = ShortToneFile("chosen/b.wav");
  auto saveDialogFolder = [&] {
    chooser_.Answer("");  // cancelled: only where it started matters
    frame_->RunCommand(kCmdSaveAs);
    return chooser_.Requests().back().folder;
  };

  ASSERT_TRUE(frame_->OpenDroppedPaths({QString::fromStdString(dropped)}));
  EXPECT_EQ(saveDialogFolder(), Path("dropped"));

  chooser_.Answer(chosen);
  ASSERT_TRUE(frame_->RunCommand(kCmdOpen));
  EXPECT_EQ(chooser_.Requests().back().folder, Path("dropped"));
  EXPECT_EQ(saveDialogFolder(), Path("chosen"));

  // The history's second item is the dropped file.
  ASSERT_TRUE(frame_->RunCommand(kCmdHistory2));
  ASSERT_EQ(core_->DocumentName(), dropped);
  EXPECT_EQ(saveDialogFolder(), Path("dropped"));

  chooser_.Answer(Path("saved/c.wav"));
  ASSERT_TRUE(frame_->RunCommand(kCmdSaveAs));
  EXPECT_EQ(saveDialogFolder(), Path("saved"));
  chooser_.Answer("");
  frame_->RunCommand(kCmdOpen);
  EXPECT_EQ(chooser_.Requests().back().folder, Path("saved"));
}

TEST_F(MainWinTest, OnlyTheFirstDroppedFileOpens) {
  MakeFrame();
  const std::string first = ShortToneFile("first.wav");
  const std::string second = ShortToneFile("second.wav");
  ASSERT_TRUE(
      frame_->OpenDroppedPaths({QString::fromStdString(first), QString::fromStdString(second)}));
  EXPECT_EQ(core_->DocumentName(), first);
  // A dropped file in Real-Time mode moves to Post-Processing and enters the history.
  EXPECT_EQ(core_->Mode(), kModePostProcessing);
  EXPECT_EQ(core_->FileHistory(), std::vector<std::string>{first});
  EXPECT_EQ(Action(kCmdHistory1)->text().toStdString(), "1. " + first);
}

TEST_F(MainWinTest, ViewCommandsOpenAndCloseTheSpectrumWindow) {
  MakeFrame();
  frame_->StartUp({});
  // The spectrum view is open by default.
  ASSERT_TRUE(core_->IsWindowOpen(kWindowSpectrum));
  TChildWindow* window = frame_->Windows().SubWindow(kWindowSpectrum);
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(window->windowTitle(), "Spectrum");
  EXPECT_TRUE(window->isVisible());
  // Without a stored placement the first window fills the area.
  EXPECT_EQ(window->geometry(), QRect(QPoint(0, 0), frame_->MdiArea()->viewport()->size()));
  // Print prints the current view: the spectrum view can.
  frame_->MdiArea()->setActiveSubWindow(window);
  EXPECT_TRUE(Enabled(kCmdPrint));
  window->setGeometry(20, 30, 400, 250);
  ASSERT_TRUE(frame_->RunCommand(kCmdViewSpectrum));
  EXPECT_FALSE(core_->IsWindowOpen(kWindowSpectrum));
  EXPECT_FALSE(Enabled(kCmdPrint));
  EXPECT_FALSE(Action(kCmdViewSpectrum)->isChecked());
  // Closing saved its placement to the program settings; opening restores it.
  TWindowPlacement placement;
  ASSERT_TRUE(ReadPlacement(core_->ProgramProfile(), "Spectrum", placement));
  EXPECT_EQ(placement.left, 20);
  EXPECT_EQ(placement.top, 30);
  EXPECT_EQ(placement.right, 420);
  EXPECT_EQ(placement.bottom, 280);
  ASSERT_TRUE(frame_->RunCommand(kCmdViewSpectrum));
  EXPECT_TRUE(Action(kCmdViewSpectrum)->isChecked());
  EXPECT_EQ(frame_->Windows().SubWindow(kWindowSpectrum)->geometry(), QRect(20, 30, 400, 250));
  // The window's own close button does what the command does.
  frame_->Windows().SubWindow(kWindowSpectrum)->close();
  EXPECT_FALSE(core_->IsWindowOpen(kWindowSpectrum));
  ASSERT_TRUE(frame_->RunCommand(kCmdViewSpectrum));
  ASSERT_TRUE(frame_->RunCommand(kCmdCloseAllViews));
  EXPECT_FALSE(core_->IsWindowOpen(kWindowSpectrum));
  EXPECT_TRUE(frame_->MdiArea()->subWindowList().isEmpty() ||
              WaitFor([&] { return frame_->MdiArea()->subWindowList().isEmpty(); }, 2000));
}

TEST_F(MainWinTest, TilingPlacesTheWindowsInTheArea) {
  MakeFrame();
  frame_->StartUp({});
  ASSERT_TRUE(core_->IsWindowOpen(kWindowSpectrum));
  QMdiSubWindow* window = frame_->Windows().SubWindow(kWindowSpectrum);
  window->setGeometry(5, 5, 100, 80);
  const QSize area = frame_->MdiArea()->viewport()->size();
  ASSERT_TRUE(frame_->RunCommand(kCmdTileHorizontal));
  EXPECT_EQ(window->geometry(), QRect(QPoint(0, 0), area));
  window->setGeometry(5, 5, 100, 80);
  ASSERT_TRUE(frame_->RunCommand(kCmdTileVertical));
  EXPECT_EQ(window->geometry(), QRect(QPoint(0, 0), area));
  ASSERT_TRUE(frame_->RunCommand(kCmdCascade));
  EXPECT_TRUE(window->isVisible());
}

TEST_F(MainWinTest, ExitSavesSettingsAndPlacementsForTheNextStart) {
  MakeFrame();
  frame_->StartUp({});
  frame_->setGeometry(50, 60, 900, 640);
  ASSERT_TRUE(core_->IsWindowOpen(kWindowSpectrum));
  frame_->Windows().SubWindow(kWindowSpectrum)->setGeometry(10, 12, 500, 300);
  ASSERT_TRUE(frame_->RunCommand(kCmdModePostProcess));
  const std::string path = ShortToneFile("kept.wav");
  ASSERT_TRUE(core_->OpenWave(path));
  CloseFrame();

  TProfile program;
  ASSERT_EQ(program.Load(SettingsPath(), false), ProfileLoad::kLoaded);
  TWindowPlacement main;
  ASSERT_TRUE(ReadPlacement(program, "Main", main));
  EXPECT_EQ(NormalRect(main), QRect(50, 60, 900, 640));
  EXPECT_EQ(program.GetString("ViewStatus", "OrvanePlot", ""), "1");
  EXPECT_EQ(program.GetString("Mode", "OpMode", ""), "2");
  EXPECT_EQ(program.GetString("FileHistory", "OpenFileName", ""), path);

  // The next start restores all of it.
  MakeFrame();
  frame_->StartUp({});
  EXPECT_EQ(frame_->geometry(), QRect(50, 60, 900, 640));
  ASSERT_TRUE(core_->IsWindowOpen(kWindowSpectrum));
  EXPECT_EQ(frame_->Windows().SubWindow(kWindowSpectrum)->geometry(), QRect(10, 12, 500, 300));
  EXPECT_EQ(core_->Mode(), kModePostProcessing);
  EXPECT_EQ(core_->DocumentName(), path);
}

TEST_F(MainWinTest, ACancelledSavePromptKeepsTheProgramRunning) {
  MakeFrame();
  ASSERT_TRUE(frame_->RunCommand(kCmdModePostProcess));
  ASSERT_TRUE(core_->OpenWave(ShortToneFile("edited.wav")));
  // A write marks the document modified.
  core_->Document()->PutSample(100, 0, 0);
  ASSERT_TRUE(core_->Document()->Modified());
  sink_.QueueAnswer(MessageAnswer::Cancel);
  EXPECT_FALSE(frame_->close());
  EXPECT_FALSE(frame_->Exited());
  EXPECT_TRUE(core_->HasDocument());
  sink_.QueueAnswer(MessageAnswer::No);
  EXPECT_TRUE(frame_->close());
  EXPECT_TRUE(frame_->Exited());
}

TEST_F(MainWinTest, AHiddenApplicationShowsNothing) {
  WriteProgramSettings("[ViewStatus]\nHideApplicationWindow=1\n");
  MakeFrame();
  ASSERT_TRUE(frame_->ApplicationHidden());
  frame_->StartUp({});
  EXPECT_FALSE(frame_->isVisible());
  // No banner, and the reopened spectrum view stays hidden.
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    EXPECT_FALSE(widget->isVisible()) << widget->metaObject()->className();
  }
  ASSERT_TRUE(core_->IsWindowOpen(kWindowSpectrum));
  EXPECT_FALSE(frame_->Windows().SubWindow(kWindowSpectrum)->isVisible());
}

TEST(WindowedCommandLineTest, OptionsAndTheHeadlessFallback) {
  TWindowedOptions o = ParseWindowedCommandLine({"--demo", "demo.wav"});
  EXPECT_TRUE(o.error.empty());
  EXPECT_TRUE(o.demo);
  EXPECT_EQ(o.argument, "demo.wav");
  o = ParseWindowedCommandLine({"--settings", "/tmp/t.ini", "a.cfg"});
  EXPECT_EQ(o.settingsPath, "/tmp/t.ini");
  EXPECT_EQ(o.argument, "a.cfg");
  EXPECT_FALSE(o.demo);
  EXPECT_FALSE(ParseWindowedCommandLine({"--fft", "1024"}).error.empty());
  EXPECT_FALSE(ParseWindowedCommandLine({"a.wav", "b.wav"}).error.empty());
  EXPECT_FALSE(ParseWindowedCommandLine({"--settings"}).error.empty());

  // Falling back to the headless program drops what only the window understands.
  char program[] = "tessiva", demo[] = "--demo", file[] = "demo.wav";
  char* argv[] = {program, demo, file, nullptr};
  const std::vector<char*> args = HeadlessArguments(3, argv);
  ASSERT_EQ(args.size(), 3u);
  EXPECT_STREQ(args[0], "tessiva");
  EXPECT_STREQ(args[1], "demo.wav");
  EXPECT_EQ(args[2], nullptr);
}

}  // namespace
}  // namespace orvanix::test
