#!/usr/bin/env bash
# Builds the Debian package orvanix_<version>_amd64.deb into the repository's top folder,
# from the Release build in build/ (the one scripts/test.sh makes, so CI builds once).
#
#   bash scripts/package.sh           build the package
#   bash scripts/package.sh --check   also check it as installed: unpacked into a scratch
#                                     root, its tessiva runs --version and analyses the
#                                     installed demo recording; the desktop entry, the
#                                     metainfo and the MIME types are validated, and apt
#                                     resolves its dependencies (a simulated install)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh

build=build
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build"
rm -rf "$build/package"
(cd "$build" && cpack -G DEB >/dev/null)
deb=$(ls "$build"/package/orvanix_*_*.deb)
cp "$deb" .
deb=$(basename "$deb")
echo "Built $deb ($(du -k "$deb" | cut -f1) KB)"
dpkg-deb --info "$deb"

[ "${1:-}" = "--check" ] || exit 0

root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
echo "Checking $deb unpacked in $root"
version=$(dpkg-deb --field "$deb" Version)
bash tests/install/check-installed.sh "$root/usr" "$version"
# A simulated install: apt finds every dependency the package names.
apt-get install --simulate --no-install-recommends "./$deb" >"$root/apt.txt" ||
  { cat "$root/apt.txt"; exit 1; }
grep -E '^Inst orvanix ' "$root/apt.txt"
echo "Package check passed"
