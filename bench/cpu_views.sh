#!/usr/bin/env bash
# The window with all five plot views open (time series, spectrum, phase, spectrogram, 3-D
# surface) in Real-Time mode on the virtual Loopback device: 48 kHz stereo 16-bit, FFT 4096,
# both channels, offscreen. Reports the process's CPU time per wall second over a stretch after
# start-up (goal: under 10 % of one core), read from /proc like `top` does.
#
#   bash bench/cpu_views.sh               # uses build/, builds tessiva if needed
#   SECONDS_TO_RUN=60 BUILD_DIR=build-x bash bench/cpu_views.sh
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
seconds=${SECONDS_TO_RUN:-20}
settle=5
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target tessiva >/dev/null

scratch=$(mktemp -d)
pid=
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then kill "$pid"; wait "$pid" || true; fi
  rm -rf "$scratch"
}
trap cleanup EXIT
export XDG_CONFIG_HOME=$scratch/config XDG_DATA_HOME=$scratch/data
ini=$scratch/tessiva.ini
printf '[Paths]\nWav=%s\nTmp=%s\n' "$scratch" "$scratch" >"$ini"

# A short headless run resolves the Loopback device numbers and writes every setting.
"$build/app/tessiva" --headless --quiet --settings "$ini" --save-settings --device Loopback \
  --rate 48000 --channels 2 --bits 16 --fft 4096 --channel-mode 2 --realtime-seconds 0.2 \
  >/dev/null 2>&1
python3 - "$ini" <<'EOF'
import configparser, sys
path = sys.argv[1]
ini = configparser.ConfigParser(interpolation=None, strict=False)
ini.optionxform = str
ini.read(path)
for section in ("ViewStatus", "FileIO"):
    if not ini.has_section(section):
        ini.add_section(section)
for key in ("TimeSeries", "OrvanePlot", "PhasePlot", "Spectrogram", "SurfacePlot"):
    ini["ViewStatus"][key] = "1"
ini["FileIO"]["RunOnLaunch"] = "1"
with open(path, "w") as f:
    ini.write(f, space_around_delimiters=False)
EOF

QT_QPA_PLATFORM=offscreen "$build/app/tessiva" --settings "$ini" \
  2> >(grep -v -e '^ALSA' -e '^Cannot' -e '^jack' -e '^JackShm' >&2) &
pid=$!
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
sleep "$settle"
hz=$(getconf CLK_TCK)
before=$(ticks)
start=$(date +%s.%N)
sleep "$seconds"
after=$(ticks)
end=$(date +%s.%N)
echo "five views, Real-Time on Loopback, 48 kHz stereo, FFT 4096:" \
  "$(echo "scale=1; 100 * ($after - $before) / $hz / ($end - $start)" | bc) % of one core" \
  "over $seconds s after ${settle} s of start-up"
