#!/usr/bin/env bash
# Builds Orvanix and runs it on the bundled demo recording (5 s of stereo tones made at build
# time). With a display it opens the window; without one (DISPLAY and WAYLAND_DISPLAY empty)
# it runs headless and prints what it found. Arguments, when given, go to tessiva instead.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target tessiva orvanix_demo_wave
demo=build/demo/orvanix-demo.wav
if [ $# -gt 0 ]; then
  exec build/app/tessiva "$@"
elif [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  # Flat-top window and averaging over the whole file: the tones read at their true levels.
  exec build/app/tessiva --headless --window 2 --average infinite "$demo"
else
  # --demo opens the Spectrum view and plays the analysis at the recording's own pace, looping.
  exec build/app/tessiva --demo "$demo"
fi
