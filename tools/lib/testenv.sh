# The one test environment of every tool and test: a headless display (Xvfb) with a window
# manager, a PulseAudio null sink to play into and record from, and a Wine prefix of its own.
# Sourced by tools/test and tools/run; run as a command by the end-to-end harness
# (tests/e2e/harness.py), which needs environments of other shapes during a test.
#   testenv_start <workdir> [WxHxD]   exports DISPLAY, WINEPREFIX, XDG_RUNTIME_DIR, ...
#   testenv_stop                      ends what testenv_start started
#   testenv.sh start <workdir> [WxHxD] / testenv.sh stop <workdir>
#                                     the same from another process; the variables are kept
#                                     in <workdir>/testenv.env (NUL-separated NAME=value)
# Switches, as variables: TESTENV_WINE=0 (no Wine prefix), TESTENV_PREFIX_FROM=<prefix> (the
# new prefix a copy of that one), TESTENV_SOUND=0 (no sound sink; the caller's stays),
# TESTENV_MONITORS="GEOMETRY..." (RandR monitors as `xrandr --setmonitor` takes them, the
# first one primary; Wine is told to read them). Wine talks to the X server and to PulseAudio
# found through these variables only.

# Display numbers of these environments. Earlier versions of these tools picked from 90 to
# 250 by a check that can race; staying above that range leaves their runs undisturbed.
TESTENV_FIRST_DISPLAY=300
TESTENV_LAST_DISPLAY=699

testenv_start() {
  local work="$1" screen="${2:-1024x768x24}"
  mkdir -p "$work"
  TESTENV_WORK="$(cd "$work" && pwd)"
  TESTENV_EXPORTS=(TESTENV_WORK)
  testenv_display "$screen" || return 1
  if [ "${TESTENV_SOUND:-1}" != 0 ]; then
    testenv_sound
  fi
  if [ "${TESTENV_WINE:-1}" != 0 ]; then
    testenv_export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEPREFIX="$TESTENV_WORK/wineprefix"
    testenv_wine_up
  fi
  testenv_save
}

# testenv_export NAME=value...: exported, and kept for testenv_save.
testenv_export() {
  local pair
  for pair in "$@"; do
    export "${pair?}"
    TESTENV_EXPORTS+=("${pair%%=*}")
  done
}

# Xvfb on the first display number it can claim, its window manager and its monitors.
# The claim is the server's own lock file, /tmp/.X<n>-lock, which it makes atomically with
# its pid inside: of two starts that pick one number at once, one server exits and its
# starter goes on to the next number. (Xvfb's -displayfd takes no lock file, so its servers
# and those of other tools could still take one number together.)
testenv_display() {
  local screen="$1" n pid i owner
  TESTENV_XVFB_PID=""
  for n in $(seq "$TESTENV_FIRST_DISPLAY" "$TESTENV_LAST_DISPLAY"); do
    # Numbers in use are passed over; a lock left by a server that was killed is not, since
    # Xvfb replaces it (and its socket) itself.
    owner="$(tr -dc 0-9 2>/dev/null <"/tmp/.X$n-lock")" || owner=""
    if [ -n "$owner" ]; then
      [ -d "/proc/$owner" ] && continue
    elif [ -e "/tmp/.X11-unix/X$n" ]; then
      continue  # a server without a lock file
    fi
    # -noreset: by default Xvfb resets whenever its last client leaves and refuses connections
    # meanwhile, which the first check below would cause just as the window manager connects.
    Xvfb ":$n" -screen 0 "$screen" -nolisten tcp -ac -noreset >>"$TESTENV_WORK/xvfb.log" 2>&1 &
    pid=$!
    for i in $(seq 1 150); do
      kill -0 "$pid" 2>/dev/null || break
      owner="$(tr -dc 0-9 2>/dev/null <"/tmp/.X$n-lock")" || owner=""
      [ -n "$owner" ] && [ "$owner" != "$pid" ] && [ -d "/proc/$owner" ] && break  # another server has it
      if [ "$owner" = "$pid" ] && DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
        TESTENV_XVFB_PID=$pid
        break
      fi
      sleep 0.1
    done
    [ -n "$TESTENV_XVFB_PID" ] && break
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  [ -n "$TESTENV_XVFB_PID" ] || { echo "testenv: no X display could be started" >&2; return 1; }
  testenv_export DISPLAY=":$n"
  TESTENV_EXPORTS+=(TESTENV_XVFB_PID)
  if [ -n "${TESTENV_MONITORS:-}" ]; then
    # shellcheck disable=SC2086
    testenv_monitors $TESTENV_MONITORS || return 1
  fi
  testenv_window_manager
}

# testenv_monitors GEOMETRY...: one RandR monitor per geometry on the display's one screen,
# the first on the screen's output (so the primary), the others on none. Wine reads them
# through Xinerama once the prefix says UseXRandR=N (testenv_wine_up).
testenv_monitors() {
  local geometry i=0 output=screen
  for geometry in "$@"; do
    i=$((i + 1))
    xrandr --setmonitor "M$i" "$geometry" "$output" >/dev/null || { echo "testenv: monitor $geometry refused" >&2; return 1; }
    output=none
  done
}

# Every Windows desktop has a window manager. Without one Wine waits about 2 s for an answer
# whenever a shown window is destroyed, and focus and stacking differ from a real desktop.
#   testenv_window_manager   starts openbox on $DISPLAY; sets TESTENV_WM_PID
testenv_window_manager() {
  local i
  for _ in 1 2 3; do
    openbox --sm-disable </dev/null >>"$TESTENV_WORK/openbox-${DISPLAY#:}.log" 2>&1 &
    TESTENV_WM_PID=$!
    for i in $(seq 1 100); do
      xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break 2
      kill -0 "$TESTENV_WM_PID" 2>/dev/null || break  # it gave up: start it again
      sleep 0.1
    done
  done
  TESTENV_EXPORTS+=(TESTENV_WM_PID)
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
  echo "testenv: openbox did not start" >&2
  return 1
}

# A null sink of this environment's own. PulseAudio refuses to share a daemon across runtime
# dirs, so each environment gets its own.
testenv_sound() {
  local i
  testenv_export XDG_RUNTIME_DIR="$TESTENV_WORK/xdg" PULSE_RUNTIME_PATH="$TESTENV_WORK/xdg/pulse"
  mkdir -p "$XDG_RUNTIME_DIR"
  chmod 700 "$XDG_RUNTIME_DIR"
  TESTENV_PULSE=1
  TESTENV_EXPORTS+=(TESTENV_PULSE)
  pulseaudio --daemonize=yes --exit-idle-time=-1 -n \
    --load="module-null-sink sink_name=capture" \
    --load=module-native-protocol-unix </dev/null >"$TESTENV_WORK/pulse.log" 2>&1 || true
  for i in $(seq 1 50); do
    pactl info >/dev/null 2>&1 && break
    sleep 0.1
  done
  pactl set-default-sink capture >/dev/null 2>&1 || echo "testenv: no PulseAudio sink; sound tests will fail" >&2
}

# testenv_wine_up: the prefix of $WINEPREFIX made (if new) and its server kept up until
# testenv_stop or `wineserver -k`, with Wine's own services running. A server that stays up
# spares every program its start, and programs started together do not race to start it.
# The services start with the first program of a prefix and inherit its handles: started by
# a program without any, they never hold a test's pipe open.
testenv_wine_up() {
  if [ ! -f "$WINEPREFIX/system.reg" ] && [ -f "${TESTENV_PREFIX_FROM:-/nonexistent}/system.reg" ]; then
    # A copy of a made prefix takes seconds; Wine's first start, half a minute on a loaded
    # machine. The copy gets a server of its own: Wine keys servers by the prefix's inode.
    mkdir -p "$WINEPREFIX"
    cp -a "$TESTENV_PREFIX_FROM/." "$WINEPREFIX/"
  fi
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i </dev/null >"$TESTENV_WORK/wineboot-$(basename "$WINEPREFIX").log" 2>&1 || true
  fi
  if [ -n "${TESTENV_MONITORS:-}" ]; then
    # Through XRandR Wine sees the one output of Xvfb's screen; through Xinerama it sees the
    # RandR monitors. Read by the desktop process when it starts, hence before the server below.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /d N /f </dev/null >/dev/null 2>&1 || true
  fi
  wineserver -w 2>/dev/null || true
  wineserver -p 2>/dev/null || true
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
  TESTENV_PREFIX_UP=1
  TESTENV_EXPORTS+=(TESTENV_PREFIX_UP)
  return 0
}

# The exported variables into $TESTENV_WORK/testenv.env, for `testenv.sh stop` and the harness.
testenv_save() {
  local name
  for name in "${TESTENV_EXPORTS[@]}"; do
    printf '%s=%s\0' "$name" "${!name}"
  done >"$TESTENV_WORK/testenv.env"
}

testenv_load() {
  local pair
  [ -f "$1/testenv.env" ] || return 1
  while IFS= read -r -d '' pair; do
    export "${pair?}"
  done <"$1/testenv.env"
}

# Ends only what this environment started: a caller's prefix or sound server that it merely
# shares (TESTENV_WINE=0, TESTENV_SOUND=0) stays up.
testenv_stop() {
  local i
  [ -n "${TESTENV_PREFIX_UP:-}" ] && { wineserver -k 2>/dev/null || true; }
  [ -n "${TESTENV_PULSE:-}" ] && { pulseaudio --kill >/dev/null 2>&1 || true; }
  [ -n "${TESTENV_WM_PID:-}" ] && { kill "$TESTENV_WM_PID" 2>/dev/null || true; }
  if [ -n "${TESTENV_XVFB_PID:-}" ] && kill "$TESTENV_XVFB_PID" 2>/dev/null; then
    # Gone, and its display number free again, before this returns.
    for i in $(seq 1 50); do
      kill -0 "$TESTENV_XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
  fi
  TESTENV_PREFIX_UP="" TESTENV_PULSE="" TESTENV_WM_PID="" TESTENV_XVFB_PID=""
  return 0
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  case "${1:-}:$#" in
    start:2 | start:3)
      shift
      testenv_start "$@" || { testenv_stop; exit 1; }
      ;;
    stop:2)
      testenv_load "$2" && testenv_stop
      ;;
    *)
      echo "usage: testenv.sh start <workdir> [WxHxD] | stop <workdir>" >&2
      exit 2
      ;;
  esac
fi
