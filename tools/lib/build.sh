# Configure and build with the output kept in logs, for every tool that builds: tools/test,
# tools/package and tests/fuzz/run. A build's chatter stays in its logs; a failure prints the
# log's end, so that CI's output shows why without the thousand lines before it.
#   configure_and_build <log base> <configure arguments...> -- <build arguments...>
#     runs `cmake <configure arguments>` into <log base>.configure.log, then
#     `cmake --build <build arguments> -j <cores>` into <log base>.build.log; returns 1 on failure.
#     With no configure arguments the folder is taken as configured and only built.

configure_and_build() {
  local base="$1"
  shift
  local configure=()
  while [ $# -gt 0 ] && [ "$1" != -- ]; do
    configure+=("$1")
    shift
  done
  [ "${1:-}" = -- ] && shift
  mkdir -p "$(dirname "$base")"
  if [ ${#configure[@]} -gt 0 ] && ! cmake "${configure[@]}" >"$base.configure.log" 2>&1; then
    tail -n 60 "$base.configure.log"
    return 1
  fi
  if ! cmake --build "$@" -j "$(nproc)" >"$base.build.log" 2>&1; then
    tail -n 60 "$base.build.log"
    return 1
  fi
}
