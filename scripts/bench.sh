#!/usr/bin/env bash
# Runs the benchmarks briefly and prints the ratios they are read by, so that a slowdown shows
# in the log: the transforms against FFTW (same loop, interleaved), the cost per analysed
# sample of the expensive settings against the plain run, and the spectrum view's paint
# times. Informative only: nothing here fails on a slow machine (a shared CI runner's times
# move by tens of percent); it fails only when a benchmark cannot run.
#
#   bash scripts/bench.sh              # uses build/ (Release), builds the benchmarks if needed
#   BUILD_DIR=build-x bash scripts/bench.sh
#   MIN_TIME=0.5 bash scripts/bench.sh # longer runs, steadier numbers
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
min_time=${MIN_TIME:-0.05}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVANIX_BUILD_BENCH=ON >/dev/null
targets=(orvanix_bench)
if grep -q '^orvanix_plot_bench:' <(ninja -C "$build" -t targets all 2>/dev/null); then
  targets+=(orvanix_plot_bench)
fi
cmake --build "$build" --target "${targets[@]}" >/dev/null

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

"$build/bench/orvanix_bench" --benchmark_filter='BM_Paired|BM_Block' \
  --benchmark_min_time="$min_time" --benchmark_repetitions=3 \
  --benchmark_format=json --benchmark_out="$scratch/engine.json" >/dev/null
if [ -x "$build/bench/orvanix_plot_bench" ]; then
  "$build/bench/orvanix_plot_bench" --benchmark_min_time="$min_time" --benchmark_repetitions=3 \
    --benchmark_format=json --benchmark_out="$scratch/paint.json" >/dev/null
fi

python3 - "$scratch" <<'EOF'
import json, os, statistics, sys

def runs(path):
    if not os.path.exists(path):
        return {}
    out = {}
    for b in json.load(open(path))["benchmarks"]:
        if b.get("run_type") != "iteration":
            continue
        if b.get("error_occurred"):
            sys.exit("benchmark failed: %s: %s" % (b["name"], b.get("error_message", "")))
        out.setdefault(b["run_name"], []).append(b)
    return out

engine = runs(os.path.join(sys.argv[1], "engine.json"))
paint = runs(os.path.join(sys.argv[1], "paint.json"))
median = lambda rows, key: statistics.median(r[key] for r in rows)

print("Transforms, ours / FFTW (median of 3; goal at most 1.2):")
for name, rows in engine.items():
    if name.startswith("BM_Paired"):
        print("  %-28s %.2f" % (name, median(rows, "ratio")))

blocks = {n.split("/", 1)[1]: median(r, "items_per_second")
          for n, r in engine.items() if n.startswith("BM_Block/")}
if "plain" in blocks:
    print("Cost per analysed sample against the plain run (goal at most 2.0):")
    for name, rate in blocks.items():
        if name != "plain":
            print("  %-28s %.2f" % (name, blocks["plain"] / rate))
    # The plain run transforms one channel; the two-channel results need both transforms.
    if "both" in blocks:
        print("Two-channel results against both channels transformed and averaged (mode 2):")
        for name in ("mode10", "mode11octave"):
            if name in blocks:
                print("  %-28s %.2f" % (name, blocks["both"] / blocks[name]))

if paint:
    print("Spectrum view paint at 1600 x 900, ms (goal 2, 4 at device pixel ratio 2): a"
          " repaint's wall and process CPU time, then the first paint's wall time:")
    for name, rows in paint.items():
        cpu = median(rows, "cpu_ms") if all("cpu_ms" in r for r in rows) else float("nan")
        first = median(rows, "first_ms") if all("first_ms" in r for r in rows) else float("nan")
        print("  %-56s %.2f  %.2f  %.1f" % (name, median(rows, "real_time"), cpu, first))
EOF
