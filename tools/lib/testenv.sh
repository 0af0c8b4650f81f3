# Sourced by tools/test, tools/run and tools/bench: a headless display (Xvfb) with a window
# manager, a PulseAudio null sink to play into and record from, and a Wine prefix of this
# run's own.
#   testenv_start <workdir> [WxHxD]   exports DISPLAY, WINEPREFIX, XDG_RUNTIME_DIR, ...
#   testenv_stop                      ends what testenv_start started
# Wine talks to the X server and to PulseAudio found through these variables only.

testenv_free_display() {
  local n
  for n in $(seq 90 190); do
    if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then
      echo "$n"
      return 0
    fi
  done
  return 1
}

testenv_start() {
  local work="$1" screen="${2:-1024x768x24}"
  mkdir -p "$work"
  TESTENV_WORK="$(cd "$work" && pwd)"
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEPREFIX="$TESTENV_WORK/wineprefix"
  export XDG_RUNTIME_DIR="$TESTENV_WORK/xdg"
  mkdir -p "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"

  local n
  n="$(testenv_free_display)" || { echo "testenv: no free X display" >&2; return 1; }
  # -noreset: by default Xvfb resets whenever its last client leaves and refuses connections
  # meanwhile, which the first check below would cause just as the window manager connects.
  Xvfb ":$n" -screen 0 "$screen" -nolisten tcp -ac -noreset >"$TESTENV_WORK/xvfb.log" 2>&1 &
  TESTENV_XVFB_PID=$!
  export DISPLAY=":$n"
  local i
  for i in $(seq 1 100); do
    xdpyinfo >/dev/null 2>&1 && break
    sleep 0.1
  done
  xdpyinfo >/dev/null 2>&1 || { echo "testenv: Xvfb did not start" >&2; return 1; }
  testenv_window_manager


  # PulseAudio refuses to share a daemon across runtime dirs, so each run gets its own.
  export PULSE_RUNTIME_PATH="$XDG_RUNTIME_DIR/pulse"
  pulseaudio --daemonize=yes --exit-idle-time=-1 -n \
    --load="module-null-sink sink_name=capture" \
    --load=module-native-protocol-unix >"$TESTENV_WORK/pulse.log" 2>&1 || true
  for i in $(seq 1 50); do
    pactl info >/dev/null 2>&1 && break
    sleep 0.1
  done
  pactl set-default-sink capture >/dev/null 2>&1 || echo "testenv: no PulseAudio sink; sound tests will fail" >&2

  # TESTENV_WINE=0: no Wine prefix, for the native Linux program.
  [ "${TESTENV_WINE:-1}" = 0 ] && return 0
  testenv_wine_up
}

# testenv_wine_up: the prefix of $WINEPREFIX made (if new) and its server kept up until
# testenv_stop or `wineserver -k`, with Wine's own services running. A server that stays up
# spares every program its start, and programs started together do not race to start it.
# The services start with the first program of a prefix and inherit its handles: started by
# a program without any, they never hold a test's pipe open.
testenv_wine_up() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >"$TESTENV_WORK/wineboot-$(basename "$WINEPREFIX").log" 2>&1 || true
  fi
  wineserver -w 2>/dev/null || true
  wineserver -p 2>/dev/null || true
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
  return 0
}

# Every Windows desktop has a window manager. Without one Wine waits about 2 s for an answer
# whenever a shown window is destroyed, and focus and stacking differ from a real desktop.
#   testenv_window_manager   starts openbox on $DISPLAY; sets TESTENV_WM_PID
testenv_window_manager() {
  local try i
  for try in 1 2 3; do
    openbox --sm-disable >>"$TESTENV_WORK/openbox-${DISPLAY#:}.log" 2>&1 &
    TESTENV_WM_PID=$!
    for i in $(seq 1 100); do
      xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
      kill -0 "$TESTENV_WM_PID" 2>/dev/null || break  # it gave up: start it again
      sleep 0.1
    done
  done
  echo "testenv: openbox did not start" >&2
  return 1
}

testenv_stop() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null || true
  [ -n "${XDG_RUNTIME_DIR:-}" ] && pulseaudio --kill >/dev/null 2>&1 || true
  [ -n "${TESTENV_WM_PID:-}" ] && kill "$TESTENV_WM_PID" 2>/dev/null || true
  TESTENV_WM_PID=""
  [ -n "${TESTENV_XVFB_PID:-}" ] && kill "$TESTENV_XVFB_PID" 2>/dev/null || true
  TESTENV_XVFB_PID=""
}
