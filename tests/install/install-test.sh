#!/usr/bin/env bash
# `cmake --install` of a build into a scratch prefix, checked as installed:
#   install-test.sh CMAKE BUILD_FOLDER VERSION
set -euo pipefail
cmake=$1
build=$2
version=$3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
# A prefix that is neither the configured one nor the build's: the program finds its data
# relative to itself or not at all.
"$cmake" --install "$build" --prefix "$scratch/some/prefix" >"$scratch/install.log" ||
  { cat "$scratch/install.log"; exit 1; }
bash "$(dirname "$0")/check-installed.sh" "$scratch/some/prefix" "$version"
