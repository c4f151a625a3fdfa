#!/usr/bin/env bash
# Headless Post-Processing throughput: a 10-minute 48 kHz mono 16-bit file (made with sox),
# FFT 4096, Hanning, 50 % overlap, exponential "Infinite" averaging, logarithmic amplitude.
# Reports the wall time of the analysis (from the run's start to its end, file opening
# excluded) and seconds of audio analysed per wall second, for both storage modes, and the
# whole process's time. Goal: at most 0.3 s for the analysis (2000x real time).
#
#   bash bench/throughput.sh            # uses build/, builds tessiva if needed
#   BUILD_DIR=build-x bash bench/throughput.sh
#   PERF=1 bash bench/throughput.sh     # also: where the time goes (perf report, top symbols)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target tessiva >/dev/null
tessiva=$build/app/tessiva

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data
wave=$scratch/ten-minutes.wav
sox -n -r 48000 -b 16 -c 1 "$wave" synth 600 sine 1000 vol 0.5
printf '[FileIO]\nWaveFileMode=0\n' >"$scratch/ram.ini"
printf '[FileIO]\nWaveFileMode=1\nMakeBackup=0\n' >"$scratch/disk.ini"
options=(--headless --fft 4096 --window 4 --overlap 50 --average infinite
         --average-type exponential --amp log)

for mode in ram disk; do
  for run in 1 2 3; do
    start=$(date +%s.%N)
    line=$("$tessiva" "${options[@]}" --settings "$scratch/$mode.ini" "$wave" | grep '^Analysis time')
    end=$(date +%s.%N)
    printf '%-4s run %d: %s; whole process %.3f s\n' "$mode" "$run" "$line" "$(echo "$end - $start" | bc)"
  done
done

if [ "${PERF:-0}" = 1 ] && command -v perf >/dev/null; then
  perf record -q -o "$scratch/perf.data" "$tessiva" "${options[@]}" --settings "$scratch/ram.ini" \
    "$wave" >/dev/null 2>&1
  perf report -i "$scratch/perf.data" --no-children --stdio 2>/dev/null | grep -E '^ +[0-9]' | head -15
fi
