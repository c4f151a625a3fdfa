#!/usr/bin/env bash
# Headless Post-Processing throughput: a 10-minute 48 kHz mono 16-bit file (made with sox),
# FFT 4096, Hanning, 50 % overlap, exponential "Infinite" averaging, logarithmic amplitude.
# Reports the wall time of the analysis (from the run's start to its end, file opening
# excluded) and seconds of audio analysed per wall second, for both storage modes, and the
# whole process's time (start-up and loading included). Goal: the whole process in disk
# mode (the default) within 0.12 s, 5000x real time.
#
#   bash bench/throughput.sh            # uses build/, builds tessiva if needed
#   BUILD_DIR=build-x bash bench/throughput.sh
#   PERF=1 bash bench/throughput.sh     # also: where the time goes (perf report, top symbols)
#   SETTINGS=1 bash bench/throughput.sh # also: the costly settings on a stereo file (below)
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
    # The process alone: no pipe or subshell inside the timed command.
    whole=$( { TIMEFORMAT=%R; time "$tessiva" "${options[@]}" --settings "$scratch/$mode.ini" \
               "$wave" >"$scratch/out.txt" 2>"$scratch/err.txt"; } 2>&1 )
    line=$(grep '^Analysis time' "$scratch/out.txt")
    printf '%-4s run %d: %s; whole process %s s\n' "$mode" "$run" "$line" "$whole"
  done
done

if [ "${PERF:-0}" = 1 ] && command -v perf >/dev/null; then
  perf record -q -o "$scratch/perf.data" "$tessiva" "${options[@]}" --settings "$scratch/ram.ini" \
    "$wave" >/dev/null 2>&1
  perf report -i "$scratch/perf.data" --no-children --stdio 2>/dev/null | grep -E '^ +[0-9]' | head -15
fi

# The settings that cost most per block, on ten minutes of 48 kHz stereo, FFT 4096, no overlap,
# against the plain run (left channel only): the analysis's CPU time per setting, median of 3,
# and its ratio (goal: at most 2).
if [ "${SETTINGS:-0}" = 1 ]; then
  stereo=$scratch/stereo.wav
  sox -n -r 48000 -b 16 -c 2 "$stereo" synth 600 sine 1000 vol 0.5
  base=(--headless --fft 4096 --window 4 --average infinite --average-type exponential --amp log
        --settings "$scratch/ram.ini")
  cpu() {
    for run in 1 2 3; do
      "$tessiva" "${base[@]}" "$@" "$stereo" | sed -n 's/^Analysis time: .* wall, \([0-9.]*\) s CPU.*/\1/p'
    done | sort -n | sed -n 2p
  }
  plain=$(cpu --channel-mode 0)
  printf '%-40s %6.3f s CPU\n' "plain (mode 0)" "$plain"
  # The last column divides by how many times each sample is analysed (both channels: 2;
  # 75 % overlap: 4), which is how the goal is put: at most 2x per analysed sample.
  while IFS='|' read -r name times args; do
    # shellcheck disable=SC2086
    t=$(cpu $args)
    printf '%-40s %6.3f s CPU  %.2fx  %.2fx per analysed sample\n' "$name" "$t" \
      "$(echo "$t / $plain" | bc -l)" "$(echo "$t / $plain / $times" | bc -l)"
  done <<'LIST'
both channels (mode 2)|2|--channel-mode 2
decimation 10|1|--channel-mode 0 --decimation 10
coherence (mode 10)|2|--channel-mode 10
mode 11 on 1/3-octave bands|2|--channel-mode 11 --freq octave
FFT 65536, log axis, 75 % overlap|4|--channel-mode 0 --fft 65536 --freq log --overlap 75
LIST
fi
