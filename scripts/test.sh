#!/usr/bin/env bash
# The whole test suite: unit and protocol tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, the same tests built optimised (Release), the
# Python client's tests over the instrumented uiad-sim, the Windows cross build
# of uiad.exe, the Node client and MCP server's tests, the Wine end-to-end suite
# and a bounded fuzzing run of the protocol layer and the scene loader. Every
# build treats warnings as errors. Ends with "N passed, M failed",
# counting every test case, with each build and the fuzzing run as one case.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=${UIAD_JOBS:-2}
fuzz_seconds=${UIAD_FUZZ_SECONDS:-60}

bash scripts/install-deps.sh || { echo "dependency installation failed"; exit 1; }

passed=0
failed=0
failures=()
stage_log=$(mktemp)
trap 'rm -f "$stage_log"' EXIT
# step NAME COMMAND...: runs one stage. A stage whose output ends in a line
# "N passed, M failed" (or ctest's "... M tests failed out of T") counts its
# cases; any other stage counts as one case.
step() {
  local name=$1; shift
  echo "=== $name"
  local start=$SECONDS status=0
  "$@" 2>&1 | tee "$stage_log"
  status=${PIPESTATUS[0]}
  local p f line
  line=$(grep -E '^[0-9]+ passed, [0-9]+ failed$' "$stage_log" | tail -n 1)
  if [ -n "$line" ]; then
    p=${line%% passed*}; f=${line#*, }; f=${f%% failed*}
  elif line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$stage_log" | tail -n 1) && [ -n "$line" ]; then
    f=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
    p=$(( $(sed -E 's/.* tests failed out of ([0-9]+).*/\1/' <<<"$line") - f ))
  elif [ "$status" -eq 0 ]; then
    p=1; f=0
  else
    p=0; f=1
  fi
  [ "$status" -eq 0 ] || [ "$f" -gt 0 ] || f=1
  passed=$((passed + p)); failed=$((failed + f))
  if [ "$status" -eq 0 ]; then
    echo "=== $name: PASS ($((SECONDS - start)) s)"
  else
    failures+=("$name"); echo "=== $name: FAIL ($((SECONDS - start)) s)"
  fi
}

linux_build() {
  cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DUIAD_SANITIZE=ON -DUIAD_WERROR=ON \
    >/dev/null &&
    cmake --build build/asan -j "$jobs"
}
unit_and_protocol_tests() {
  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest --test-dir build/asan --output-on-failure -j "$jobs" --timeout 120
}
# The Python client, installed offline from Debian's packages into a fresh venv
# (which also registers its pytest plugin), tested against the instrumented
# uiad-sim, and type-checked. Builds nothing: it needs the linux build above.
python_client() {
  local python=/usr/bin/python3 venv=build/python-client log status p f
  [ -x "$python" ] || python=python3
  rm -rf "$venv"
  if ! "$python" -m venv --system-site-packages "$venv" ||
    ! "$venv/bin/python" -m pip install -q --no-index --no-build-isolation ./clients/python; then
    echo "0 passed, 1 failed"; return 1
  fi
  log=$(mktemp)
  UIAD_SIM="$root/build/asan/src/bin/uiad-sim" \
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    "$venv/bin/python" -m pytest -p no:cacheprovider clients/python/tests 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
  p=$(tail -n 1 "$log" | grep -oE '[0-9]+ passed' | cut -d' ' -f1)
  f=0
  for n in $(tail -n 1 "$log" | grep -oE '[0-9]+ (failed|errors?)' | cut -d' ' -f1); do f=$((f + n)); done
  rm -f "$log"
  p=${p:-0}
  [ "$status" -eq 0 ] || [ "$f" -gt 0 ] || f=1
  if (cd clients/python && "$python" -m mypy --strict --cache-dir "$root/build/mypy-cache" src); then
    p=$((p + 1))
  else
    f=$((f + 1)); status=1
  fi
  echo "$p passed, $f failed"
  [ "$status" -eq 0 ]
}
# Some warnings come from the optimiser only, and some faults show only in
# optimised code; the tests take seconds next to the build, so both run.
release_build() {
  cmake -S . -B build/release-tests -G Ninja -DCMAKE_BUILD_TYPE=Release -DUIAD_WERROR=ON \
    >/dev/null &&
    cmake --build build/release-tests -j "$jobs"
}
release_tests() {
  ctest --test-dir build/release-tests --output-on-failure -j "$jobs" --timeout 120
}
windows_build() {
  cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DUIAD_TESTS=OFF -DUIAD_WERROR=ON >/dev/null &&
    cmake --build build/win -j "$jobs"
}
# The Node client and MCP server: installed from the lock file, type-checked, and
# tested over the instrumented uiad-sim; its packing test bundles the optimised
# uiad-sim and the cross-built uiad.exe, so it runs after both builds.
node_client() {
  local log status p f
  if ! (cd clients/node && npm ci --no-audit --no-fund); then
    echo "0 passed, 1 failed"; return 1
  fi
  log=$(mktemp)
  (cd clients/node &&
    UIAD_DAEMON="$root/build/asan/src/bin/uiad-sim" \
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    node --test --test-reporter=spec) 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
  p=$(grep -aE '^\S+ pass [0-9]+$' "$log" | tail -n 1 | grep -oE '[0-9]+$')
  f=$(grep -aE '^\S+ fail [0-9]+$' "$log" | tail -n 1 | grep -oE '[0-9]+$')
  rm -f "$log"
  p=${p:-0}; f=${f:-0}
  [ "$status" -eq 0 ] || [ "$f" -gt 0 ] || f=1
  if (cd clients/node && npx tsc -p .); then
    p=$((p + 1))
  else
    f=$((f + 1)); status=1
  fi
  echo "$p passed, $f failed"
  [ "$status" -eq 0 ]
}
wine_suite() {
  UIAD_EXE="$root/build/win/src/bin/uiad.exe" UIAD_WINE_BUILD="$root/build/win" \
    bash tests/wine/run.sh
}
# Two fuzzers share the stage's time: two thirds for the protocol layer over
# the demo desktop, the rest for the scene loader. Any finding (a crash, a
# sanitizer report, a leak, an input running over 10 s) fails the stage and
# leaves the input in build/fuzz/.
fuzz_run() {
  local protocol_seconds=$((fuzz_seconds * 2 / 3)) scene_seconds status=0
  scene_seconds=$((fuzz_seconds - protocol_seconds))
  CC=clang CXX=clang++ cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DUIAD_FUZZ=ON \
    -DUIAD_TESTS=OFF -DUIAD_WERROR=ON >/dev/null &&
    cmake --build build/fuzz -j "$jobs" --target protocol_fuzzer scene_fuzzer || return 1
  mkdir -p build/fuzz/protocol-corpus build/fuzz/scene-corpus
  cp -n fuzz/corpus/protocol/* build/fuzz/protocol-corpus/ 2>/dev/null
  cp -n scenes/demo.json tests/data/scenes/*.json fuzz/corpus/scene/* build/fuzz/scene-corpus/ \
    2>/dev/null
  # Entropic scheduling off: an input of the protocol fuzzer covers tens of
  # thousands of features, and their bookkeeping took half the time.
  build/fuzz/fuzz/protocol_fuzzer -entropic=0 -dict=fuzz/protocol.dict -max_len=4096 -timeout=10 \
    -max_total_time="$protocol_seconds" -print_final_stats=1 -artifact_prefix=build/fuzz/ \
    build/fuzz/protocol-corpus || status=1
  build/fuzz/fuzz/scene_fuzzer -max_len=32768 -timeout=10 -max_total_time="$scene_seconds" \
    -print_final_stats=1 -artifact_prefix=build/fuzz/ build/fuzz/scene-corpus || status=1
  return "$status"
}

step "linux build (asan+ubsan)" linux_build
step "unit and protocol tests" unit_and_protocol_tests
step "python client tests" python_client
step "linux release build with tests" release_build
step "unit and protocol tests (release)" release_tests
step "windows cross build" windows_build
step "node client and MCP server tests" node_client
step "wine end-to-end suite" wine_suite
step "fuzz protocol layer and scene loader (${fuzz_seconds} s)" fuzz_run

echo
[ ${#failures[@]} -eq 0 ] || printf 'failed stage: %s\n' "${failures[@]}"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
