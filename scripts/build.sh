#!/usr/bin/env bash
# Configures and builds KlipoVersa in Release with warnings on, into build/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KLIPO_BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
