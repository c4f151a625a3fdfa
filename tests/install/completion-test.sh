#!/usr/bin/env bash
# The bash completion of tessiva, run as bash runs it:
#   completion-test.sh PROGRAM_FOLDER COMPLETION_FILE
set -euo pipefail
export PATH="$1:/usr/bin:/bin"
# shellcheck disable=SC1090
source "$2"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0

# What bash offers after the words given (the last one being completed; "" for a new word).
offers() {
  COMP_WORDS=("$@")
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _tessiva
  printf '%s\n' "${COMPREPLY[@]}" | sort | tr '\n' ' ' | sed 's/ $//'
}
expect() {
  local want=$1
  shift
  local got
  got=$(offers "$@")
  if [ "$got" != "$want" ]; then
    echo "completing '$*': got '$got', expected '$want'" >&2
    failed=1
  fi
}

# Option names, the program's own and its modules'.
expect "--average --average-spectrum --average-type" tessiva --avera
expect "--generate --generate-right" tessiva --gener
expect "--demo" tessiva --dem
expect "--headless --help" tessiva --he
# Choices of an option's value; placeholders ("N" of "N|infinite") are not offered.
expect "lin log" tessiva --amp ""
expect "lin log octave" tessiva --headless --freq ""
expect "infinite" tessiva --average ""
expect "exponential" tessiva --average-type ex
# A value that is a number: nothing to offer, and no option names either.
expect "" tessiva --fft ""
# Files: the argument is a wave file, a configuration or a macro, in either case; the
# value of --output a wave file; folders are offered to go into.
mkdir "$scratch/sub"
touch "$scratch/a.wav" "$scratch/B.WAV" "$scratch/c.cfg" "$scratch/d.mac" "$scratch/e.txt"
cd "$scratch"
expect "B.WAV a.wav c.cfg d.mac sub" tessiva ""
expect "B.WAV a.wav sub" tessiva --headless --output ""
expect "B.WAV a.wav c.cfg d.mac e.txt sub" tessiva --settings ""
exit $failed
