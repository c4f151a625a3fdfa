// The program's shared data (the demo recording, the noise waves, the user guide) found
// relative to the program itself, so an installed copy works under any prefix and a build
// folder works without installing.
//
// The places, first match wins:
//   <program folder>/../share/orvanix   an installed program (prefix/bin/tessiva)
//   <program folder>/..                 a build folder (build/app/tessiva, build/demo/...)
//   <program folder>/../../share/orvanix  the installed windowed program
//                                       (prefix/libexec/orvanix/tessiva-window)
//   the source tree it was built from   the user guide of a program run from its build
// Names are relative and the same in every place: "demo/orvanix-demo.wav",
// "docs/guide/getting-started.md", "README.md".
#pragma once

#include <string>
#include <vector>

namespace orvanix {

// The recording `tessiva --demo` opens when given no file.
inline constexpr const char* kDemoRecording = "demo/orvanix-demo.wav";

// The data folders, in lookup order, for a program in `programDir`.
std::vector<std::string> DataRoots(const std::string& programDir);

// The absolute path of the first existing regular file `relative` under DataRoots, or ""
// when there is none (or `relative` tries to leave the folder with "..").
std::string FindDataFile(const std::string& relative, const std::string& programDir);

// The same for the running program: its folder from /proc/self/exe (or the
// QCoreApplication's, when there is one).
std::string FindDataFile(const std::string& relative);

}  // namespace orvanix
