#!/usr/bin/env bash
# Checks an installed Orvanix as a user meets it:
#   check-installed.sh PREFIX [VERSION]
# PREFIX is the installed tree (the folder holding bin/ and share/), wherever it was put:
# the program must find its own data there. VERSION, when given, is what --version must say.
set -euo pipefail
prefix=$(cd "$1" && pwd)
version=${2:-}
here=$(cd "$(dirname "$0")" && pwd)
program=$prefix/bin/tessiva
app=org.orvanix.Orvanix
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
# The program runs as a user's would, with nothing of the build around it.
run() {
  env -i HOME="$scratch" XDG_CONFIG_HOME="$scratch/config" XDG_RUNTIME_DIR="$scratch" \
    PATH=/usr/bin:/bin LC_ALL=C "$@"
}

[ -x "$program" ] || fail "$program is not installed"

# --version: the build's version first, then the libraries in use.
run "$program" --version >"$scratch/version.txt" || fail "tessiva --version failed"
cat "$scratch/version.txt"
first=$(head -1 "$scratch/version.txt")
[[ $first =~ ^tessiva\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "--version begins with '$first'"
[ -z "$version" ] || [ "$first" = "tessiva $version" ] || fail "--version says '$first', not $version"
for library in '^Qt 6\.' '^PortAudio ' '^FFT: .* (scalar|portable|sse2|avx2) kernel$'; do
  grep -Eq "$library" "$scratch/version.txt" || fail "--version lacks a line matching $library"
done

# The installed demo recording, analysed headless: 1 kHz at -6 dBFS left, 440 Hz at
# -10 dBFS right (a flat-top window reads both within a hundredth of a dB).
demo=$prefix/share/orvanix/demo/orvanix-demo.wav
[ -f "$demo" ] || fail "the demo recording is not installed"
run "$program" --headless --settings "$scratch/tessiva.ini" --window 2 --average infinite \
  "$demo" >"$scratch/demo.txt" || fail "tessiva --headless on the demo recording failed"
cat "$scratch/demo.txt"
grep -q '^Left:  peak 1001.29 Hz (bin 93): -6.00 dB' "$scratch/demo.txt" || fail "left channel"
grep -q '^Right: peak 441.43 Hz (bin 41): -10.00 dB' "$scratch/demo.txt" || fail "right channel"

# The user guide and the noise waves beside it.
for file in docs/guide/getting-started.md docs/guide/main-window.md README.md; do
  [ -f "$prefix/share/orvanix/$file" ] || fail "share/orvanix/$file is not installed"
done
for image in $(grep -oh '(\.\./images/[^)]*)' "$prefix"/share/orvanix/docs/guide/*.md | tr -d '()' | sort -u); do
  [ -f "$prefix/share/orvanix/docs/guide/$image" ] || fail "the guide's $image is not installed"
done

# Desktop entry and metainfo, as the desktop's own tools read them.
desktop=$prefix/share/applications/$app.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate refused $desktop"
exec_line=$(grep -m1 '^Exec=' "$desktop")
[ -x "$prefix/bin/$(cut -d' ' -f1 <<<"${exec_line#Exec=}")" ] || fail "$exec_line names no installed program"
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$prefix/share/metainfo/$app.metainfo.xml" ||
    fail "appstreamcli refused the metainfo"
  grep -q "<release version=\"$(cut -d' ' -f2 <<<"$first")\"" "$prefix/share/metainfo/$app.metainfo.xml" ||
    fail "the metainfo's release is not the program's version"
fi

# Our file kinds: the MIME database builds from our XML, and every type the desktop entry
# opens is known to it or to the system's.
cp -r "$prefix/share/mime" "$scratch/mime"
update-mime-database "$scratch/mime" >/dev/null || fail "update-mime-database refused our MIME XML"
for type in $(grep '^MimeType=' "$desktop" | cut -d= -f2 | tr ';' ' '); do
  [ -f "$scratch/mime/$type.xml" ] || [ -f "/usr/share/mime/$type.xml" ] ||
    grep -qs "<alias type=\"$type\"" /usr/share/mime/packages/*.xml ||
    fail "the desktop entry opens $type, which no MIME database defines"
done

# Icons: every hicolor size, each PNG as large as its folder says, and the SVG.
for size in 16 22 24 32 48 64 128 256; do
  png=$prefix/share/icons/hicolor/${size}x${size}/apps/$app.png
  [ -f "$png" ] || fail "the ${size}x$size icon is not installed"
  got=$(python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(24); print("%dx%d" % struct.unpack(">II", d[16:24]) if d[:8]==b"\x89PNG\r\n\x1a\n" else "not a PNG")' "$png")
  [ "$got" = "${size}x$size" ] || fail "the ${size}x$size icon is $got"
done
python3 -c 'import sys, xml.dom.minidom as m; m.parse(sys.argv[1])' \
  "$prefix/share/icons/hicolor/scalable/apps/$app.svg" || fail "the SVG icon is not well-formed XML"

# The manual page lists every option the program's help lists.
page=$prefix/share/man/man1/tessiva.1.gz
[ -f "$page" ] || fail "the manual page is not installed"
zcat "$page" | sed 's/\\-/-/g' >"$scratch/page.txt"
run "$program" --help >"$scratch/help.txt"
for option in $(bash "$here/help-options.sh" <"$scratch/help.txt"); do
  grep -q -- "$option" "$scratch/page.txt" || fail "the manual page lacks $option"
done

# Shell completion, from the installed program.
bash "$here/completion-test.sh" "$prefix/bin" "$prefix/share/bash-completion/completions/tessiva" ||
  fail "bash completion"
[ -f "$prefix/share/zsh/vendor-completions/_tessiva" ] || fail "zsh completion is not installed"
echo "Installed tree in $prefix: all checks passed"
