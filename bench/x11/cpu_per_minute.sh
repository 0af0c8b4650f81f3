#!/usr/bin/env bash
# Bench, run by hand (never a test): two builds of the Linux program `pomarel` in their own
# windows, in turns of one choreography cycle (21 s) each on one display, with the processor
# seconds a minute each used (from /proc, all its threads) and the mean of its --fps reports.
# Uses $DISPLAY, or a headless display of its own from tools/lib/testenv.sh.
# Usage: bench/x11/cpu_per_minute.sh BEFORE_BINARY AFTER_BINARY [turns, default 3]
set -euo pipefail
[ $# -ge 2 ] || { echo "usage: $0 BEFORE_BINARY AFTER_BINARY [turns]" >&2; exit 2; }
before="$(realpath "$1")" after="$(realpath "$2")" turns="${3:-3}"
cd "$(dirname "$0")/../.."

if [ -z "${DISPLAY:-}" ]; then
  export TESTENV_WINE=0
  # shellcheck source=../../tools/lib/testenv.sh
  . tools/lib/testenv.sh
  work="$(mktemp -d -p "${TMPDIR:-/tmp}" pomarel-bench.XXXXXX)"
  testenv_start "$work" >/dev/null || { echo "no display" >&2; exit 1; }
  trap 'testenv_stop; rm -rf "$work"' EXIT
fi
export ASAN_OPTIONS=detect_leaks=0  # in case a sanitizer build is compared

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
declare -A cpu=() seconds=() fps=() reports=()
errors="$(mktemp)"
for ((turn = 1; turn <= turns; turn++)); do
  for label in before after; do
    binary="$before"
    [ "$label" = after ] && binary="$after"
    "$binary" --fps 2>"$errors" &
    pid=$!
    sleep 1  # its window and first frames
    t0="$(date +%s.%N)" c0="$(ticks "$pid")"
    sleep 21
    t1="$(date +%s.%N)" c1="$(ticks "$pid")"
    kill -TERM "$pid"
    wait "$pid" || true
    cpu[$label]="$(echo "${cpu[$label]:-0} + ($c1 - $c0) / $(getconf CLK_TCK)" | bc -l)"
    seconds[$label]="$(echo "${seconds[$label]:-0} + $t1 - $t0" | bc -l)"
    # The first report covers the start; the others one second of the cycle each.
    read -r sum count < <(grep -o '[0-9.]* frames per second' "$errors" | tail -n +2 \
      | awk '{s += $1; n++} END {print s + 0, n + 0}')
    fps[$label]="$(echo "${fps[$label]:-0} + $sum" | bc -l)"
    reports[$label]=$((${reports[$label]:-0} + count))
  done
done
rm -f "$errors"

for label in before after; do
  printf '%-7s %s\n        %6.2f processor seconds a minute, %6.1f frames a second (--fps)\n' \
    "$label" "$([ "$label" = before ] && echo "$before" || echo "$after")" \
    "$(echo "${cpu[$label]} / ${seconds[$label]} * 60" | bc -l)" \
    "$(echo "${fps[$label]} / ${reports[$label]}" | bc -l)"
done
printf 'after / before, processor a minute: %.3f\n' \
  "$(echo "(${cpu[after]} / ${seconds[after]}) / (${cpu[before]} / ${seconds[before]})" | bc -l)"
