// tessiva-window: the whole Orvanix program, windows included. `tessiva` hands it every
// command line that opens the window; run directly it behaves as `tessiva` does: without a
// display, or when asked with --headless, the analyzer core runs without windows.
#include <cstdio>
#include <vector>

#include "app/Modules.h"
#include "app/core/Headless.h"
#include "app/gui/WindowedApp.h"

int main(int argc, char** argv) {
  orvanix::RegisterProgramModules();
  switch (orvanix::CallOf(argc, argv, orvanix::HaveDisplay())) {
    case orvanix::ProgramCall::kBothHelps:
      std::printf("%s\n%s", orvanix::WindowedUsage().c_str(), orvanix::HeadlessUsage().c_str());
      return 0;
    case orvanix::ProgramCall::kWindow:
      return orvanix::RunWindowed(argc, argv);
    case orvanix::ProgramCall::kHeadless:
      break;
  }
  std::vector<char*> args = orvanix::HeadlessArguments(argc, argv);
  return orvanix::RunHeadless(static_cast<int>(args.size()) - 1, args.data());
}
