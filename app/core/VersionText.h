// What `tessiva --version` and the about box say: the program's version (set in the
// top-level CMakeLists.txt, nowhere else) and the libraries it runs with.
#pragma once

#include <string>

namespace orvanix {

// "0.1.0": the CMake project version.
const char* ProgramVersion();

// Several lines, each ending in '\n':
//   tessiva 0.1.0
//   Qt 6.4.2 (built with 6.4.2)
//   PortAudio V19.7.0-devel, revision ...
//   FFT: Orvanix's own, single precision, avx2 kernel
// Versions are those of the libraries loaded now, not only those built against.
std::string VersionText();

}  // namespace orvanix
