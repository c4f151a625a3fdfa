#!/usr/bin/env bash
# Builds Orvanix and runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target orvanix-demo
exec build/tools/orvanix-demo "$@"
