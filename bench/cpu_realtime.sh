#!/usr/bin/env bash
# Real-Time mode on the virtual Loopback device: 48 kHz stereo 16-bit, FFT 4096, both
# channels (channel processing 2), a 1 kHz tone, for 20 s, headless, with the default
# Real-Time history buffer. Reports the process's CPU time per wall second (goal: under 3 %
# of one core) and the blocks processed per second, which is how often the views would move
# (goal: 30 or more at FFT 4096 and below).
#
#   bash bench/cpu_realtime.sh            # uses build/, builds tessiva if needed
#   SECONDS_TO_RUN=60 BUILD_DIR=build-x FFT=16384 bash bench/cpu_realtime.sh
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
seconds=${SECONDS_TO_RUN:-20}
fft=${FFT:-4096}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target tessiva >/dev/null

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
export XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data
printf '[Paths]\nWav=%s\nTmp=%s\n' "$scratch" "$scratch" >"$scratch/tessiva.ini"

# tessiva prints the analysis's own CPU share; /usr/bin/time adds the whole process's.
/usr/bin/time -f 'whole process: %U s user + %S s system in %e s = %P of one core' \
  "$build/app/tessiva" --headless --settings "$scratch/tessiva.ini" --device Loopback \
  --loopback-tone 1000 --rate 48000 --channels 2 --bits 16 --fft "$fft" --channel-mode 2 \
  --realtime-seconds "$seconds" 2> >(grep -v -e '^ALSA' -e '^Cannot' -e '^jack' -e '^JackShm' >&2)
