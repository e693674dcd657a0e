#!/usr/bin/env bash
# Runs the floating-window checks (the desktop test shell_floating_desktop_test:
# the toast, pins, bars and tray, and which window is picked, raised and given
# the keys) under every window manager Debian ships that this machine has, each
# with the panel and compositor a user would run with it, and prints a table:
# one row per check, one column per desktop. Needs a build with tests
# (scripts/build.sh -DKLIPO_BUILD_TESTS=ON). Never touches the real home.
# Usage: floating-window-checks.sh [BUILD_DIR]
# Exit status 0 when every check passes everywhere it ran.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-${KLIPO_BUILD_DIR:-$root/build}}
test_binary="$build/tests/app/shell/shell_floating_desktop_test"
if [ ! -x "$test_binary" ]; then
  echo "floating-window checks: $test_binary is missing (build with -DKLIPO_BUILD_TESTS=ON)" >&2
  exit 2
fi

results=$(mktemp -d /tmp/klipo-floating-checks.XXXXXX)
trap 'rm -rf "$results"' EXIT

# name | window manager | tray host of the desktop | programs started beside it
desktops=(
  "openbox+picom+tint2|openbox|0|picom tint2"
  "xfwm4+xfce4-panel|xfwm4|0|xfce4-panel"
  "kwin_x11|kwin|1|"
  "mutter --x11|mutter|1|"
)

ran=()
for entry in "${desktops[@]}"; do
  IFS='|' read -r name wm tray extras <<<"$entry"
  wm_program=$wm
  [ "$wm" = kwin ] && wm_program=kwin_x11
  missing=""
  for program in $wm_program $extras; do command -v "$program" >/dev/null || missing="$missing $program"; done
  if [ -n "$missing" ]; then
    echo "== $name: not installed:$missing" >&2
    continue
  fi
  echo "== $name" >&2
  sandbox=$(mktemp -d /tmp/klipo-test-home.XXXXXX)
  mkdir -p "$sandbox/home" "$sandbox/config" "$sandbox/data" "$sandbox/cache"
  # The panel's first start asks which layout to use: give it its default one.
  if [[ " $extras " == *" xfce4-panel "* ]]; then
    mkdir -p "$sandbox/config/xfce4/xfconf/xfce-perchannel-xml"
    cp /etc/xdg/xfce4/panel/default.xml "$sandbox/config/xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml" 2>/dev/null
  fi
  slug=${name//[^a-z0-9]/_}
  HOME="$sandbox/home" XDG_CONFIG_HOME="$sandbox/config" XDG_DATA_HOME="$sandbox/data" \
  XDG_CACHE_HOME="$sandbox/cache" KLIPO_DESKTOP_WM=$wm KLIPO_DESKTOP_TRAY=$tray \
    timeout 600 "$root/scripts/headless-desktop.sh" bash -c '
      extras=$1; shift
      others=()
      for program in $extras; do "$program" >/dev/null 2>&1 & others+=($!); done
      sleep 2  # the panel and compositor come up
      "$@"
      status=$?
      for p in "${others[@]}"; do kill "$p" 2>/dev/null; done
      exit $status' _ "$extras" "$test_binary" --gtest_output="json:$results/$slug.json" \
    >"$results/$slug.log" 2>&1
  rm -rf "$sandbox"
  ran+=("$name|$slug")
done

# The table, from the tests' JSON reports.
python3 - "$results" "${ran[@]}" <<'PY'
import json, os, sys
folder, runs = sys.argv[1], [r.split('|') for r in sys.argv[2:]]
checks = [
    ("toastAndPin_StayOnTheScreen_WhileAnotherProgramIsActive", "toast and pin shown while another program is active"),
    ("pin_AfterAFullScreenTranslation_IsOnEveryDesktopAbove_AndOutOfTheTaskBarAndPager",
     "pin above, on every desktop, off task bar after Ctrl+Shift+F"),
    ("pin_AfterEveryKindOfScreenshot_IsStillOnEveryDesktopAbove", "pin above, on every desktop after every screenshot road"),
    ("overlayEnded_KeysGoToTheProgramThatHadThemAgain", "keys back to the program in use after the overlay"),
    ("recordingBars_FloatOutOfTheTaskBar_AndReturnGivesTheFocusBack", "recording bars off the task bar, focus back after Return"),
    ("overlayAndFullScreenTranslation_LeaveNoWindowOfOursDemandingAttention", "no window of ours demanding attention"),
    ("xembedTrayStartedAfterTheProgram_GetsTheIcon_AlsoWhenRestarted", "XEmbed tray started 5 s late gets the icon"),
    ("statusNotifierTrayStartedAfterTheProgram_GetsTheIcon", "StatusNotifier tray started 5 s late gets the icon"),
    ("fullScreenResult_ComesInFrontWithTheKeys_BesideTheProgramWithTheLatestInput",
     "result panel on top with the keys after Ctrl+Shift+F"),
    ("fullScreenResult_ClosedWithEsc_GivesTheKeysBack_AndLeavesTheLibraryBehind",
     "keys back to the program in use after Esc on the result"),
    ("captures_LeaveTheLibraryBehindTheProgramsThatCoveredIt", "library stays behind other programs after captures"),
    ("windowPicking_TakesWhatShowsOfAWindowThatDrawsItsOwnFrame_AndTheWindowBelowItsShadow",
     "window picking beside a client-side-decorated window"),
]
outcome = {}
for name, slug in runs:
    path = os.path.join(folder, slug + ".json")
    try:
        report = json.load(open(path))
    except (OSError, ValueError):
        report = {"testsuites": []}
    for suite in report.get("testsuites", []):
        for test in suite.get("testsuite", []):
            state = "skipped" if test.get("result") == "SKIPPED" else ("FAILED" if test.get("failures") else "ok")
            outcome[(name, test["name"])] = state
width = max(len(label) for _, label in checks)
columns = [name for name, _ in runs]
print("| " + "check".ljust(width) + " | " + " | ".join(columns) + " |")
print("|-" + "-" * width + "-|-" + "-|-".join("-" * len(c) for c in columns) + "-|")
failed = False
for test, label in checks:
    cells = []
    for name in columns:
        state = outcome.get((name, test), "not run")
        failed |= state in ("FAILED", "not run")
        cells.append(state.ljust(len(name)))
    print("| " + label.ljust(width) + " | " + " | ".join(cells) + " |")
for name, slug in runs:
    if any(outcome.get((name, t)) != "ok" for t, _ in checks):
        print("\n" + name + ": see the test output below", file=sys.stderr)
        sys.stderr.write(open(os.path.join(folder, slug + ".log"), errors="replace").read()[-6000:])
sys.exit(1 if failed else 0)
PY
