// tessiva: the Orvanix program. Headless command lines (--headless, --help of the headless
// program, --version, or no display) run here, in a process that never loads Qt's GUI
// libraries; a command line that opens the window is handed over to tessiva-window, the
// same program with its windows, in the same process (exec).
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/Modules.h"
#include "app/core/Headless.h"

namespace {

#ifdef ORVANIX_WINDOW_PROGRAM_INSTALLED
// Replaces this process with the windowed program: beside this one in the build tree,
// under libexec when installed. Returns only when neither could be started.
void ExecWindowProgram(char** argv) {
  char self[4096];
  const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self - 1);
  int error = n > 0 ? 0 : errno;
  if (n > 0) {
    self[n] = '\0';
    std::string dir(self);
    dir.erase(dir.find_last_of('/') + 1);
    for (const std::string& path :
         {dir + "tessiva-window", dir + ORVANIX_WINDOW_PROGRAM_INSTALLED}) {
      ::execv(path.c_str(), argv);
      if (error == 0 || errno != ENOENT) error = errno;
    }
  }
  std::fprintf(stderr, "tessiva: the window cannot be opened: tessiva-window: %s\n",
               std::strerror(error));
}
#endif

}  // namespace

int main(int argc, char** argv) {
#ifdef ORVANIX_WINDOW_PROGRAM_INSTALLED
  if (orvanix::CallOf(argc, argv, orvanix::HaveDisplay()) != orvanix::ProgramCall::kHeadless) {
    ExecWindowProgram(argv);
    // Without it the analyzer still runs, as it does without a display.
  }
#endif
  orvanix::RegisterProgramModules();
  std::vector<char*> args = orvanix::HeadlessArguments(argc, argv);
  return orvanix::RunHeadless(static_cast<int>(args.size()) - 1, args.data());
}
