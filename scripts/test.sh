#!/usr/bin/env bash
# Builds and runs every test. With --sanitize: the engine, file, measurement and generator
# tests under AddressSanitizer and UndefinedBehaviorSanitizer, in a separate build folder. With --tsan:
# the acquisition tests (sound ports, Loopback device, run loop: the code with threads)
# under ThreadSanitizer, in build-tsan/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

if [ "${1:-}" = "--sanitize" ]; then
  build=build-asan
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANIX_SANITIZE=ON \
    -DORVANIX_BUILD_GUI=OFF >/dev/null
  cmake --build "$build"
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
    ctest --test-dir "$build" --output-on-failure -j2 -L 'engine|files|measure|generator|utilities|linktext'
elif [ "${1:-}" = "--tsan" ]; then
  build=build-tsan
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANIX_TSAN=ON >/dev/null
  # Only the acquisition test programs (and the libraries under them) are built, without the
  # PortAudio/ALSA ones: their threads are PortAudio's (uninstrumented), our side of them is
  # the device callback the Loopback tests drive, and under the sanitizer ALSA's probing
  # takes minutes per test.
  targets=()
  for source in tests/acquisition/*Test.cpp; do
    name=$(basename "$source" .cpp)
    [ "$name" = PortAudioAlsaTest ] || targets+=("$name")
  done
  cmake --build "$build" --target "${targets[@]}"
  # ALSA gets a configuration with only a null default device: the system's would load the
  # PulseAudio plugin while PortAudio lists the devices, whose threads ThreadSanitizer cannot
  # follow (uninstrumented).
  alsa=$(mktemp -d)
  trap 'rm -rf "$alsa"' EXIT
  printf 'pcm.!default { type null }\n' >"$alsa/asound.conf"
  # halt_on_error: any report fails the test that caused it.
  ALSA_CONFIG_PATH="$alsa/asound.conf" TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
    ctest --test-dir "$build" --output-on-failure -j2 -L acquisition -E '^PortAudioAlsa'
else
  build=build
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$build"
  ctest --test-dir "$build" --output-on-failure -j2
fi
