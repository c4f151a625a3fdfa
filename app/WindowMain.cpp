// tessiva-window: the whole Orvanix program, windows included. `tessiva` hands it every
// command line that opens the window; run directly it behaves as `tessiva` does: without a
// display, or when asked with --headless, the analyzer core runs without windows.
#include <cstdio>
#include <string>
#include <vector>

#include "app/Modules.h"
#include "app/core/Headless.h"
#include "app/gui/WindowedApp.h"

int main(int argc, char** argv) {
  orvanix::RegisterProgramModules();
  // A plain `tessiva --help` describes both: the window's options, then the headless ones.
  bool help = false, headless = false;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    help = help || a == "--help" || a == "-h";
    headless = headless || a == "--headless";
  }
  if (help && !headless) {
    std::printf("%s\n%s", orvanix::WindowedUsage().c_str(), orvanix::HeadlessUsage().c_str());
    return 0;
  }
  if (!orvanix::WantsHeadless(argc, argv) && orvanix::HaveDisplay()) {
    return orvanix::RunWindowed(argc, argv);
  }
  std::vector<char*> args = orvanix::HeadlessArguments(argc, argv);
  return orvanix::RunHeadless(static_cast<int>(args.size()) - 1, args.data());
}
