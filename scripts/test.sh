#!/usr/bin/env bash
# Builds and runs every test. With --sanitize: the engine, file and measurement tests under
# AddressSanitizer and UndefinedBehaviorSanitizer, in a separate build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

if [ "${1:-}" = "--sanitize" ]; then
  build=build-asan
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANIX_SANITIZE=ON \
    -DORVANIX_BUILD_GUI=OFF >/dev/null
  cmake --build "$build"
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir "$build" --output-on-failure -j2 -L 'engine|files|measure'
else
  build=build
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build"
  ctest --test-dir "$build" --output-on-failure -j2
fi
