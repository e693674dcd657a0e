#!/usr/bin/env bash
# Installs what KlipoVersa needs, builds it and starts it in the tray.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh" -DKLIPO_BUILD_TESTS=OFF -DKLIPO_BUILD_BENCH=OFF
exec "${KLIPO_BUILD_DIR:-$root/build}/src/klipoversa" "$@"
