#!/usr/bin/env bash
# Runs a command inside a private headless desktop: Xvfb, a window manager, a
# tray host (trayer), a PulseAudio server with a null sink and a virtual
# microphone ("vmic"), all under one D-Bus session. Every process started here
# is stopped when the command ends, also on failure or interruption.
# Usage: headless-desktop.sh COMMAND [ARGS...]
# KLIPO_DESKTOP_WM chooses the window manager: openbox (the default), xfwm4
# (with its compositor), kwin (kwin_x11) or mutter (mutter --x11). With
# KLIPO_DESKTOP_TRAY=0 no tray host is started.
# With KLIPO_DESKTOP_SCREENS="1920x1080 1280x1024" the desktop has several
# monitors side by side (made by the test helper klipo_set_monitors, looked for
# in KLIPO_SET_MONITORS or the build folder). With KLIPO_DESKTOP_MINIMAL=1 it
# has only the X server, the window manager and the session bus (no tray host,
# no sound server), which starts faster.
set -uo pipefail

work=$(mktemp -d /tmp/klipo-desktop.XXXXXX)
pids=()
cleanup() {
  for ((i=${#pids[@]}-1; i>=0; i--)); do kill "${pids[$i]}" 2>/dev/null; done
  for p in "${pids[@]}"; do
    for _ in $(seq 1 20); do kill -0 "$p" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$p" 2>/dev/null
  done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

wait_for() {  # wait_for SECONDS COMMAND...
  local limit=$1; shift
  for _ in $(seq 1 $((limit * 10))); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  return 1
}

# A free display number.
n=${KLIPO_DISPLAY_START:-91}
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
export DISPLAY=":$n"
# The desktop tests run only on a display made here, never on the user's.
export KLIPO_HEADLESS_DESKTOP="$DISPLAY"
unset WAYLAND_DISPLAY
export XDG_SESSION_TYPE=x11

screens=${KLIPO_DESKTOP_SCREENS:-1920x1080}
width=0; height=0
for s in $screens; do
  w=${s%x*}; h=${s#*x}
  width=$((width + w)); [ "$h" -gt "$height" ] && height=$h
done
# -noreset: the monitors would go with a server reset when the last client leaves.
Xvfb "$DISPLAY" -screen 0 "${width}x${height}x24" -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
pids+=($!)
if ! wait_for 15 xdpyinfo -display "$DISPLAY"; then
  echo "headless desktop: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1
fi
if [ "$(echo $screens | wc -w)" -gt 1 ]; then
  root=$(cd "$(dirname "$0")/.." && pwd)
  tool=${KLIPO_SET_MONITORS:-${KLIPO_BUILD_DIR:-$root/build}/tests/klipo_set_monitors}
  if ! "$tool" $screens; then
    echo "headless desktop: could not make the monitors $screens (build klipo_set_monitors first)" >&2; exit 1
  fi
fi

# Private runtime folder for the sound server, so a user's own session is never touched.
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_RUNTIME_DIR"; chmod 700 "$XDG_RUNTIME_DIR"
export PULSE_RUNTIME_PATH="$XDG_RUNTIME_DIR/pulse"
export PULSE_STATE_PATH="$work/pulse-state"
export HOME_FOR_PULSE="$work"

inner="$work/inner.sh"
cat >"$inner" <<'INNER'
#!/usr/bin/env bash
set -uo pipefail
pids=()
cleanup() {
  for ((i=${#pids[@]}-1; i>=0; i--)); do kill "${pids[$i]}" 2>/dev/null; done
  # A window manager busy with a request may miss the signal: a moment, then for good.
  for p in "${pids[@]}"; do
    for _ in $(seq 1 20); do kill -0 "$p" 2>/dev/null || break; sleep 0.1; done
    kill -9 "$p" 2>/dev/null
  done
  wait 2>/dev/null
}
trap cleanup EXIT
wait_for() { local limit=$1; shift
  for _ in $(seq 1 $((limit * 10))); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done; return 1; }

case "${KLIPO_DESKTOP_WM:-openbox}" in
  openbox) openbox >/dev/null 2>&1 & ;;
  # Its settings live in a private xfconf store under the run's XDG folders.
  xfwm4) xfwm4 --compositor=on >/dev/null 2>&1 & ;;
  kwin) kwin_x11 >/dev/null 2>&1 & ;;
  mutter) mutter --x11 >/dev/null 2>&1 & ;;
  *) echo "headless desktop: unknown window manager ${KLIPO_DESKTOP_WM}" >&2; exit 2 ;;
esac
pids+=($!)
if [ "${KLIPO_DESKTOP_MINIMAL:-0}" = 1 ]; then
  wait_for 10 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q window' || true
  "$@"
  exit $?
fi
if [ "${KLIPO_DESKTOP_TRAY:-1}" != 0 ]; then
  trayer --edge bottom --align right --widthtype request --height 24 >/dev/null 2>&1 &
  pids+=($!)
fi
HOME="$HOME_FOR_PULSE" pulseaudio --daemonize=no --exit-idle-time=-1 -n --disallow-exit \
  --load=module-native-protocol-unix --load="module-null-sink sink_name=vsink" >/dev/null 2>&1 &
pids+=($!)
if wait_for 10 pactl info; then
  pactl load-module module-remap-source master=vsink.monitor source_name=vmic >/dev/null 2>&1
  pactl set-default-source vmic >/dev/null 2>&1
else
  echo "headless desktop: PulseAudio did not start; sound tests will skip" >&2
fi
# The tray host announces itself through the _NET_SYSTEM_TRAY selection.
wait_for 10 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q window' || true
"$@"
INNER
chmod +x "$inner"
dbus-run-session -- "$inner" "$@"
