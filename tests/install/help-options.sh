#!/usr/bin/env bash
# Prints the option names of a help text on stdin, one a line: the words starting with "-"
# in the column before the description of each indented option line.
sed -n 's/^  \(-.*\)$/\1/p' | sed 's/  .*//' | tr ',' '\n' | awk '$1 ~ /^-/ { print $1 }' |
  sort -u
