#!/usr/bin/env bash
# The interface-snapshot self-check as CI runs it: the program, with no display
# at all, draws its floating pieces into a temporary folder; this checks the
# exit status, the printed paths, the list file and the pictures themselves
# (klipo_snapshot_verify), then the bad inputs: a root that cannot be made, a
# light folder that cannot be made, an empty or absent variable, a relative
# path. Usage: ui-snapshot-check.sh [BUILD_DIR]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-${KLIPO_BUILD_DIR:-$root/build}}
build=$(cd "$build" 2>/dev/null && pwd) || { echo "ui-snapshot-check: no build folder ${1:-}" >&2; exit 1; }
app=$build/src/klipoversa
verify=$build/tests/selfcheck/klipo_snapshot_verify
for f in "$app" "$verify"; do
  [ -x "$f" ] || { echo "ui-snapshot-check: $f is missing (build with -DKLIPO_BUILD_TESTS=ON)" >&2; exit 1; }
done

work=$(mktemp -d /tmp/klipo-snapshot.XXXXXX)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home XDG_CONFIG_HOME=$work/config XDG_DATA_HOME=$work/data XDG_CACHE_HOME=$work/cache \
       XDG_RUNTIME_DIR=$work/runtime
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME"
mkdir -m 700 "$XDG_RUNTIME_DIR"

failures=0
fail() { echo "ui-snapshot-check: FAILED: $*" >&2; failures=$((failures + 1)); }

names="toolbar-normal toolbar-annotate-with-style toolbar-translated hint-selecting hint-editing rec-options-bar
rec-control-bar scroll-control-bar overlay-composite"
expected_list() {  # expected_list ROOT LOOKS...
  local out=$1; shift
  for look in "$@"; do for n in $names; do echo "$out/$look/$n.png"; done; done
}

# snapshot NAME DIR VALUE: runs the check from DIR with KLIPO_UI_SNAPSHOT_DIR=VALUE and no
# display; its output goes to $work/NAME.out and .err, its status to $work/NAME.status.
snapshot() {
  (cd "$2" && env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM KLIPO_UI_SNAPSHOT_DIR="$3" \
     KLIPO_INSTANCE_NAME="snapshot-$1" timeout 60 "$app" >"$work/$1.out" 2>"$work/$1.err")
  echo $? >"$work/$1.status"
}
# normal_start NAME DIR [VALUE]: the program started without (or with an empty)
# variable on the offscreen platform; it must still be running after 3 s.
normal_start() {
  local dir=$2 variable=(-u KLIPO_UI_SNAPSHOT_DIR)
  [ $# -ge 3 ] && variable=(KLIPO_UI_SNAPSHOT_DIR="$3")
  (cd "$dir" && env -u DISPLAY -u WAYLAND_DISPLAY "${variable[@]}" QT_QPA_PLATFORM=offscreen \
     KLIPO_INSTANCE_NAME="snapshot-$1" timeout -s TERM 3 "$app" >"$dir.out" 2>"$dir.err")
  echo $? >"$dir.status"
}
status_of() { cat "$work/$1.status"; }

mkdir -p "$work/cwd-rel" "$work/half" "$work/cwd-empty" "$work/cwd-absent"
: >"$work/half/light"
: >"$work/plain"

# The bad inputs run side by side with the main run.
snapshot rel "$work/cwd-rel" rel/out &
snapshot blocked "$work" "$work/plain/out" &
snapshot half "$work" "$work/half" &
normal_start empty "$work/cwd-empty" "" &
normal_start absent "$work/cwd-absent" &

start=$(date +%s%N)
snapshot main "$work" "$work/out"
elapsed=$(( ($(date +%s%N) - start) / 1000000 ))
echo "ui-snapshot-check: the snapshot run took $((elapsed / 1000)).$(printf %03d $((elapsed % 1000))) s (wall time)"

# The main run: 18 paths in order, the same list on disk, each line ended.
[ "$(status_of main)" = 0 ] || fail "exit status $(status_of main), not 0: $(tail -3 "$work/main.err")"
expected_list "$work/out" dark light >"$work/main.expected"
cmp -s "$work/main.expected" "$work/main.out" || fail "printed paths differ: $(diff "$work/main.expected" "$work/main.out" | head -5)"
cmp -s "$work/main.out" "$work/out/snapshot_list.txt" || fail "snapshot_list.txt differs from what was printed"
[ "$(tail -c 1 "$work/out/snapshot_list.txt" | od -An -c | tr -d ' ')" = '\n' ] || fail "snapshot_list.txt does not end with a line break"
[ "$(find "$work/out" -name '*.png' | wc -l)" = 18 ] || fail "not 18 PNG files under the root"
while read -r png; do
  [ "$(head -c 8 "$png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$png is not a PNG"
done <"$work/main.out"
env -u DISPLAY QT_QPA_PLATFORM=offscreen "$verify" "$work/out" || fail "the pictures (see above)"

wait
# A root below a regular file: no PNG, one empty line, a failure.
[ "$(status_of blocked)" = 1 ] || fail "unmakeable root: exit status $(status_of blocked), not 1"
[ "$(od -An -c "$work/blocked.out" | tr -d ' ')" = '\n' ] || fail "unmakeable root: printed $(head -c 80 "$work/blocked.out" | tr '\n' '|'), not one empty line"
# Only the light folder cannot be made: the nine dark files, a failure.
[ "$(status_of half)" = 1 ] || fail "no light folder: exit status $(status_of half), not 1"
expected_list "$work/half" dark | cmp -s - "$work/half.out" || fail "no light folder: printed paths are not the nine dark ones"
[ "$(find "$work/half" -name '*.png' | wc -l)" = 9 ] || fail "no light folder: not nine PNG files"
# A relative root lands under the current folder.
[ "$(status_of rel)" = 0 ] || fail "relative root: exit status $(status_of rel), not 0"
expected_list "$work/cwd-rel/rel/out" dark light | cmp -s - "$work/rel.out" || fail "relative root: paths not under the current folder"
# An empty or absent variable: the program starts as usual and writes nothing.
for case in empty absent; do
  dir=$work/cwd-$case
  [ "$(cat "$dir.status")" = 124 ] || fail "$case variable: the program ended (status $(cat "$dir.status")) instead of starting: $(tail -3 "$dir.err")"
  ! grep -q 'png$' "$dir.out" || fail "$case variable: printed snapshot paths"
  [ -z "$(ls -A "$dir")" ] || fail "$case variable: wrote $(ls -A "$dir" | head -3)"
done

if [ "$failures" -gt 0 ]; then
  echo "ui-snapshot-check: $failures check(s) failed" >&2
  exit 1
fi
echo "ui-snapshot-check: all checks passed"
