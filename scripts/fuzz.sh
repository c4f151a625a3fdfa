#!/usr/bin/env bash
# Builds one libFuzzer target (clang, ASan + UBSan) in build-fuzz/ and runs it for a while on a
# corpus seeded from the files under tests/data. Crashes land in build-fuzz/artifacts/<target>/;
# turn each into a regression file under tests/data (for wave files: tests/data/wav-malformed
# with a line in its expected.txt).
#   scripts/fuzz.sh <target> <seconds>      e.g. scripts/fuzz.sh WavReaderFuzz 300
set -euo pipefail
cd "$(dirname "$0")/.."

target=${1:?usage: scripts/fuzz.sh <target> <seconds>}
seconds=${2:-60}
build=build-fuzz

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ \
  -DORVANIX_FUZZ=ON -DORVANIX_SANITIZE=ON -DORVANIX_BUILD_GUI=OFF -DORVANIX_BUILD_TESTS=OFF \
  >/dev/null
cmake --build "$build" --target "$target" -j2

corpus=$build/corpus/$target
artifacts=$build/artifacts/$target
mkdir -p "$corpus" "$artifacts"
# Seeds named by content, so that files of the same name in different folders all count.
find tests/data -type f -size -1024k -print0 | while IFS= read -r -d '' seed; do
  cp "$seed" "$corpus/seed-$(sha1sum "$seed" | cut -c1-16)"
done

ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=1 UBSAN_OPTIONS=print_stacktrace=1 \
  "$build/fuzz/$target" "$corpus" -max_total_time="$seconds" -max_len=65536 \
  -artifact_prefix="$artifacts/" -print_final_stats=1
