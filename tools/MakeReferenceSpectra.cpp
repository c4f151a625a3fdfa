// Writes the engine's reference output: every configuration of the table in
// tests/engine/ReferenceSpectraHelpers.cpp (every window, every channel-processing mode on
// linear, logarithmic and fractional-octave axes, the averaging types, sample widths,
// decimation, calibration and weighting, FFT sizes 32 ... 2^20) and the direct transforms,
// captured after a few blocks of a fixed synthetic signal. ReferenceSpectraTest compares the
// engine with this file, so that a change meant to make the engine faster can be shown not
// to change a displayed number.
//
// tests/data/reference-spectra.bin was made from the engine of commit 1afb33a (before the
// transform, averaging and decimation were reworked for speed) with the case table of
// today's tests/engine/ReferenceSpectraHelpers.cpp:
//   git worktree add /tmp/old 1afb33a
//   cp tests/engine/ReferenceSpectraHelpers.cpp /tmp/old/tests/engine/
//   cmake --build build --target orvanix-make-reference-spectra   (in /tmp/old)
//   build/tools/orvanix-make-reference-spectra tests/data/reference-spectra.bin
// Regenerate it only for a deliberate change of the engine's results, and say so in the
// commit.
//
// Usage: orvanix-make-reference-spectra OUTPUT.bin
#include <cstdio>
#include <vector>

#include "ReferenceSpectraHelpers.h"

int main(int argc, char** argv) {
  using namespace orvanix::reference;
  if (argc != 2) {
    std::fprintf(stderr, "Usage: %s OUTPUT.bin\n", argv[0]);
    return 2;
  }
  std::vector<ReferenceRecord> records;
  for (const ReferenceCase& c : ReferenceCases()) {
    bool ok = false;
    records.push_back(RunReferenceCase(c, ok));
    if (!ok) {
      std::fprintf(stderr, "%s: the engine objects could not be built\n", c.name.c_str());
      return 1;
    }
  }
  records.push_back(RunTransformCases());
  if (!WriteReferenceFile(argv[1], records)) {
    std::fprintf(stderr, "cannot write %s\n", argv[1]);
    return 1;
  }
  std::printf("%zu records written to %s\n", records.size(), argv[1]);
  return 0;
}
