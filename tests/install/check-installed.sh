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
# The headless program starts without Qt's GUI libraries (they are half its start-up); the
# window is the program under libexec, which tessiva hands windowed command lines to.
! readelf -d "$program" | grep -Eq 'NEEDED.*libQt6(Widgets|Gui)' ||
  fail "bin/tessiva loads Qt's GUI libraries"
[ -x "$prefix/libexec/orvanix/tessiva-window" ] || fail "the windowed program is not installed"

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
desktop-file-validate "$desktop" >"$scratch/desktop.txt" 2>&1 || true
cat "$scratch/desktop.txt"
# Hints pass (several main categories is deliberate: Audio and Science menus both list it);
# warnings and errors do not.
! grep -Eq '(error|warning):' "$scratch/desktop.txt" || fail "desktop-file-validate refused $desktop"
exec_line=$(grep -m1 '^Exec=' "$desktop")
[ -x "$prefix/bin/$(cut -d' ' -f1 <<<"${exec_line#Exec=}")" ] || fail "$exec_line names no installed program"
metainfo=$prefix/share/metainfo/$app.metainfo.xml
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$metainfo" >"$scratch/metainfo.txt" 2>&1 || true
  cat "$scratch/metainfo.txt"
  grep -q 'Validation was successful' "$scratch/metainfo.txt" &&
    ! grep -Eq '^[EW]: ' "$scratch/metainfo.txt" || fail "appstreamcli refused the metainfo"
  grep -q "<release version=\"$(cut -d' ' -f2 <<<"$first")\"" "$metainfo" ||
    fail "the metainfo's release is not the program's version"
fi

# The screenshots the metainfo names are the guide's pictures, installed beside it.
for image in $(grep -o '<image>[^<]*</image>' "$metainfo" | sed 's#</image>##; s#.*/##'); do
  [ -f "$prefix/share/orvanix/docs/images/$image" ] || fail "the metainfo shows $image, which is not installed"
done
[ "$(grep -c '<image>' "$metainfo")" -ge 1 ] || fail "the metainfo shows no screenshot"

# The copyright file names the licence the metainfo names.
copyright=$prefix/share/doc/orvanix/copyright
[ -f "$copyright" ] || fail "share/doc/orvanix/copyright is not installed"
head -1 "$copyright" | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
  fail "the copyright file is not in the Debian copyright format"
license=$(sed -n 's#.*<project_license>\(.*\)</project_license>.*#\1#p' "$metainfo")
[ -n "$license" ] || fail "the metainfo names no project licence"
awk '/^Files: \*$/ {f = 1} f && /^License:/ {print $2; exit}' "$copyright" | grep -qxF "$license" ||
  fail "the copyright file's licence for every file is not the metainfo's $license"
# ... and the paragraph of its own that holds its text.
awk -v want="License: $license" 'previous == "" && $0 == want {found = 1} {previous = $0}
  END {exit !found}' "$copyright" ||
  fail "the copyright file lacks the text paragraph of $license"

# The desktop matches the program's windows to the entry by StartupWMClass: it must be the
# class the running program gives its window. Checked on a virtual display when one can be
# started.
if command -v Xvfb >/dev/null && command -v xwininfo >/dev/null; then
  wm_class=$(grep -m1 '^StartupWMClass=' "$desktop" | cut -d= -f2)
  [ -n "$wm_class" ] || fail "the desktop entry has no StartupWMClass"
  Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$scratch/display" \
    >"$scratch/xvfb.log" 2>&1 &
  xvfb=$!
  display=
  for _ in $(seq 100); do
    display=$(tr -dc 0-9 <"$scratch/display")
    [ -n "$display" ] && break
    kill -0 "$xvfb" 2>/dev/null || break
    sleep 0.1
  done
  if [ -n "$display" ]; then
    env -i HOME="$scratch" XDG_CONFIG_HOME="$scratch/config" XDG_RUNTIME_DIR="$scratch" \
      PATH=/usr/bin:/bin LC_ALL=C DISPLAY=":$display" \
      "$program" --settings "$scratch/window.ini" >"$scratch/window.log" 2>&1 &
    window_program=$!
    classes=
    for _ in $(seq 150); do
      classes=$(DISPLAY=":$display" xwininfo -root -tree 2>/dev/null |
        grep -m1 '"Orvanix - FFT Spectral Analysis System' | grep -o '("[^)]*")' || true)
      [ -n "$classes" ] && break
      sleep 0.1
    done
    kill "$window_program" 2>/dev/null || true
    wait "$window_program" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
    wait "$xvfb" 2>/dev/null || true
    [ -n "$classes" ] || { cat "$scratch/window.log"; fail "the program's window did not appear"; }
    echo "Window class $classes, StartupWMClass=$wm_class"
    # WM_CLASS is (instance, class); the class is the one a desktop matches.
    [ "$(sed 's/("[^"]*" "\([^"]*\)")/\1/' <<<"$classes")" = "$wm_class" ] ||
      fail "the window's class $classes is not StartupWMClass=$wm_class"
  else
    kill "$xvfb" 2>/dev/null || true
    echo "No virtual display: the window class is not checked"
  fi
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

# The client's page, made from its own help, names its verbs.
client_page=$prefix/share/man/man1/tessiva-client.1.gz
[ -f "$client_page" ] || fail "the client's manual page is not installed"
"$prefix/bin/tessiva-client" --help >"$scratch/client-help.txt" ||
  fail "tessiva-client --help does not succeed"
for verb in request execute poke watch; do
  zcat "$client_page" | grep -q "^\.B $verb" || fail "the client's manual page lacks $verb"
done

# Shell completion, from the installed program.
bash "$here/completion-test.sh" "$prefix/bin" "$prefix/share/bash-completion/completions/tessiva" ||
  fail "bash completion"
[ -f "$prefix/share/zsh/vendor-completions/_tessiva" ] || fail "zsh completion is not installed"
echo "Installed tree in $prefix: all checks passed"
