#include "app/gui/WindowedApp.h"

#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "app/core/CoreModule.h"
#include "app/core/DataFiles.h"
#include "app/core/VersionText.h"
#include "app/gui/AppIcon.h"
#include "app/gui/DesktopPalette.h"
#include "app/gui/GuiTexts.h"
#include "app/gui/MainWin.h"
#include "app/gui/PostProcessPacer.h"
#include "engine/Messages.h"
#include "ui/MessageBoxSink.h"

namespace orvanix {

namespace {

// Ctrl+C in the terminal and the session's SIGTERM close the window the way its close
// button does, so the settings are saved. The handler only writes a byte to a socket; the
// main loop reads it.
int gSignalSockets[2] = {-1, -1};

void OnSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = ::write(gSignalSockets[0], &byte, 1);
}

void CloseOnSignals(QWidget& frame) {
  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, gSignalSockets) != 0) return;
  auto* notifier = new QSocketNotifier(gSignalSockets[1], QSocketNotifier::Read, &frame);
  QObject::connect(notifier, &QSocketNotifier::activated, &frame, [&frame] {
    char byte = 0;
    [[maybe_unused]] const ssize_t got = ::read(gSignalSockets[1], &byte, 1);
    // A hidden application's window closing quits nothing by itself.
    const bool hidden = !frame.isVisible();
    if (frame.close() && hidden) QApplication::quit();
  });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
}

// The demonstration: the Spectrum view on the opened file, analysed at its own pace, over
// and over.
void StartDemo(TMainWin& frame, TPostProcessPacer& pacer) {
  TAnalyzerCore& core = frame.Core();
  if (!core.HasDocument() || core.Mode() != kModePostProcessing) return;  // reported already
  if (!core.IsWindowOpen(kWindowSpectrum)) frame.RunCommand(kCmdViewSpectrum);
  pacer.SetEnabled(true, true);
  frame.RunCommand(kCmdRun);
}

}  // namespace

std::string WindowedUsage() {
  return "Usage: tessiva [options] [FILE.wav | FILE.cfg | FILE.mac]\n"
         "\n"
         "Opens the Orvanix window. A wave file is opened for Post-Processing, a configuration\n"
         "is loaded, a macro is run. Without a display the program runs headless (see\n"
         "tessiva --headless --help).\n"
         "\n"
         "  --demo            open the Spectrum view and analyse the wave file (without one,\n"
         "                    the bundled demo recording) at the recording's own speed,\n"
         "                    starting over at its end\n"
         "  --settings FILE   program settings file (default $XDG_CONFIG_HOME/orvanix/"
         "tessiva.ini)\n"
         "  --headless        run without windows\n"
         "  --help, --version\n";
}

TWindowedOptions ParseWindowedCommandLine(const std::vector<std::string>& args) {
  TWindowedOptions o;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--demo") {
      o.demo = true;
    } else if (a == "--help" || a == "-h") {
      o.help = true;
    } else if (a == "--settings") {
      if (i + 1 >= args.size()) {
        if (o.error.empty()) o.error = "--settings needs a value";
      } else {
        o.settingsPath = args[++i];
      }
    } else if (!a.empty() && a[0] == '-') {
      if (o.error.empty()) o.error = "unknown option " + a;
    } else if (o.argument.empty()) {
      o.argument = a;
    } else if (o.error.empty()) {
      o.error = "only one file may be given";
    }
  }
  return o;
}

int RunWindowed(int argc, char** argv) {
  QApplication app(argc, argv);
  // Qt set the locale from the environment; numbers in our files always use '.'.
  std::setlocale(LC_NUMERIC, "C");
  QApplication::setApplicationName("Orvanix");
  QApplication::setApplicationVersion(ProgramVersion());
  QApplication::setWindowIcon(AppIcon());
  // Desktops match the window to its menu entry (icon, name, taskbar grouping) by this name.
  QGuiApplication::setDesktopFileName(QStringLiteral("org.orvanix.Orvanix"));
  // Dialogs, menus and the status bar in the desktop's light or dark look, from the first
  // window on.
  (new TDesktopPalette(&app))->FollowDesktop();

  const TWindowedOptions o =
      ParseWindowedCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  if (!o.error.empty()) {
    std::fprintf(stderr, "tessiva: %s\n\n%s", o.error.c_str(), WindowedUsage().c_str());
    return 2;
  }
  if (o.help) {
    std::fputs(WindowedUsage().c_str(), stdout);
    return 0;
  }
  std::string argument = o.argument;
  if (o.demo && argument.empty()) {
    argument = FindDataFile(kDemoRecording);
    if (argument.empty()) std::fprintf(stderr, "tessiva: %s\n", guitext::kNoDemoRecording);
  }

  TMessageBoxSink sink;
  TScopedMessageSink scopedSink(&sink);
  TCoreOptions coreOptions;
  coreOptions.programSettingsPath = o.settingsPath;
  TAnalyzerCore core(coreOptions);
  InstallModules(core);
  TMainWin frame(core);
  sink.SetParent(&frame);
  auto* pacer = new TPostProcessPacer(core, &frame);
  CloseOnSignals(frame);

  if (frame.ApplicationHidden()) {
    std::fprintf(stderr, "%s\n",
                 Format(guitext::kHiddenStart, core.ProgramSettingsPath().c_str()).c_str());
  } else {
    frame.show();
  }
  frame.StartUp(argument);
  if (o.demo) StartDemo(frame, *pacer);
  return app.exec();
}

}  // namespace orvanix
