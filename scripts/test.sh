#!/usr/bin/env bash
# Installs everything, builds KlipoVersa with its tests and benchmarks, and runs
# every test: widget tests on Qt's offscreen platform, the X11 ones inside a
# private headless desktop. Never touches the real home folder or clipboard.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${KLIPO_BUILD_DIR:-$root/build}
"$root/scripts/install-deps.sh" --tests
"$root/scripts/build.sh" -DKLIPO_BUILD_TESTS=ON -DKLIPO_BUILD_BENCH=ON

# A throw-away home for the whole run.
sandbox=$(mktemp -d /tmp/klipo-test-home.XXXXXX)
trap 'rm -rf "$sandbox"' EXIT
export HOME="$sandbox/home" XDG_CONFIG_HOME="$sandbox/config" XDG_DATA_HOME="$sandbox/data" \
       XDG_CACHE_HOME="$sandbox/cache"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME"
# Only the fonts the install step installs, whatever else the machine has:
# pictures of text and the layouts of the windows come out the same everywhere.
export FONTCONFIG_FILE="$root/tests/support/fonts.conf"

timeout 300 "$root/scripts/ui-snapshot-check.sh" "$build"
cd "$build"
# The tests without a desktop first, all at once; then the desktop tests,
# which take a desktop of their own one at a time, under openbox and, beside
# them in a second desktop, under xfwm4 with its compositor (all but those
# labelled openbox, which hold under openbox only). They do not share the
# processor with the busy tests without a desktop.
"$root/scripts/headless-desktop.sh" ctest --output-on-failure --parallel "$(nproc)" -LE desktop "$@" |
  tee "$sandbox/ctest.log"
KLIPO_DESKTOP_WM=xfwm4 KLIPO_DISPLAY_START=140 "$root/scripts/headless-desktop.sh" \
  ctest --output-on-failure -L desktop -LE openbox "$@" >"$sandbox/ctest-xfwm4.log" 2>&1 &
second=$!
first_status=0
"$root/scripts/headless-desktop.sh" ctest --output-on-failure -L desktop "$@" | tee -a "$sandbox/ctest.log" ||
  first_status=$?
second_status=0
wait "$second" || second_status=$?
echo "== the desktop tests under xfwm4"
tee -a "$sandbox/ctest.log" <"$sandbox/ctest-xfwm4.log"
if [ "$first_status" -ne 0 ] || [ "$second_status" -ne 0 ]; then
  echo "test.sh: tests failed (under openbox: status $first_status, under xfwm4: $second_status)" >&2
  exit 1
fi
# Inside the desktop every test runs: one that reports itself skipped lost it.
if grep -q '(Skipped)$' "$sandbox/ctest.log"; then
  echo "test.sh: tests were skipped instead of run inside the headless desktop (see above)" >&2
  exit 1
fi
