#include "app/gui/WindowedApp.h"

#include <QApplication>
#include <clocale>
#include <cstdio>
#include <cstdlib>

#include "app/gui/AppIcon.h"
#include "app/gui/GuiTexts.h"
#include "app/gui/MainWin.h"
#include "app/gui/PostProcessPacer.h"
#include "engine/Messages.h"
#include "ui/MessageBoxSink.h"

namespace orvanix {

namespace {

bool Set(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
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
         "  --demo            open the Spectrum view and analyse the wave file at the\n"
         "                    recording's own speed, starting over at its end\n"
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

bool HaveDisplay() {
  return Set("DISPLAY") || Set("WAYLAND_DISPLAY") || Set("QT_QPA_PLATFORM");
}

std::vector<char*> HeadlessArguments(int argc, char** argv) {
  std::vector<char*> args;
  for (int i = 0; i < argc; ++i) {
    if (i > 0 && std::string(argv[i]) == "--demo") continue;
    args.push_back(argv[i]);
  }
  args.push_back(nullptr);
  return args;
}

int RunWindowed(int argc, char** argv) {
  QApplication app(argc, argv);
  // Qt set the locale from the environment; numbers in our files always use '.'.
  std::setlocale(LC_NUMERIC, "C");
  QApplication::setApplicationName("Orvanix");
  QApplication::setApplicationVersion(guitext::kVersion);
  QApplication::setWindowIcon(AppIcon());

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

  TMessageBoxSink sink;
  TScopedMessageSink scopedSink(&sink);
  TCoreOptions coreOptions;
  coreOptions.programSettingsPath = o.settingsPath;
  TAnalyzerCore core(coreOptions);
  TMainWin frame(core);
  sink.SetParent(&frame);
  auto* pacer = new TPostProcessPacer(core, &frame);

  if (frame.ApplicationHidden()) {
    std::fprintf(stderr, "%s\n",
                 Format(guitext::kHiddenStart, core.ProgramSettingsPath().c_str()).c_str());
  } else {
    frame.show();
  }
  frame.StartUp(o.argument);
  if (o.demo) StartDemo(frame, *pacer);
  return app.exec();
}

}  // namespace orvanix
