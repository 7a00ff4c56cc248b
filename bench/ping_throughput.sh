#!/usr/bin/env bash
# Ping throughput of the simulated daemon against a plain C++ line echo: the
# same 200,000 request lines piped through each, output piped onward and
# counted. Build first in Release, for example:
#   cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release && cmake --build build-release
#   bench/ping_throughput.sh build-release
set -euo pipefail
build=${1:-build-release}
lines=${PING_LINES:-200000}
daemon="$build/src/bin/uiad-sim"
echo_bin="$build/bench/line_echo"
for binary in "$daemon" "$echo_bin"; do
  [ -x "$binary" ] || { echo "missing $binary: build $build first" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
awk -v n="$lines" 'BEGIN { for (i = 0; i < n; i++) print "{\"cmd\":\"ping\"}" }' > "$work/requests"
echo '{}' > "$work/empty.json"

# Prints the seconds one run takes and checks the number of lines it wrote.
timed_run() {
  local expected=$1; shift
  local start end count
  start=$(date +%s.%N)
  count=$(cat "$work/requests" | "$@" | wc -l)
  end=$(date +%s.%N)
  [ "$count" -eq "$expected" ] || { echo "$1 wrote $count lines, expected $expected" >&2; exit 1; }
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.6f\n", b - a }' 
}

best() {  # best of three runs, in seconds
  local expected=$1; shift
  local b="" t
  for _ in 1 2 3; do
    t=$(timed_run "$expected" "$@")
    if [ -z "$b" ] || awk -v t="$t" -v b="$b" 'BEGIN { exit !(t < b) }'; then b=$t; fi
  done
  echo "$b"
}

daemon_s=$(best $((lines + 1)) "$daemon" "$work/empty.json")
echo_s=$(best "$lines" "$echo_bin")
awk -v n="$lines" -v d="$daemon_s" -v e="$echo_s" 'BEGIN {
  printf "requests:   %d ping lines, best of 3 runs each\n", n
  printf "uiad-sim:   %.3f s  %8.0f lines/s\n", d, n / d
  printf "line_echo:  %.3f s  %8.0f lines/s\n", e, n / e
  printf "ratio:      %.2f (daemon / echo throughput)\n", e / d
}'
