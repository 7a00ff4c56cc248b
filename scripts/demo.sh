#!/usr/bin/env bash
# Builds the simulated daemon and runs a short client session against its
# bundled demo desktop: each request line is shown with the daemon's answer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DUIAD_TESTS=OFF >/dev/null
cmake --build build/release -j "${UIAD_JOBS:-2}" --target uiad-sim >/dev/null

requests=(
  '{"cmd":"ping"}'
  '{"cmd":"windows"}'
  '{"cmd":"list_apps"}'
  '{"cmd":"foreground"}'
  '{"cmd":"scan","app":"notes"}'
  '{"cmd":"probe","app":"notes","id":"name:button:OK"}'
  '{"cmd":"shutdown"}'
)
responses=$(printf '%s\n' "${requests[@]}" | build/release/src/bin/uiad-sim)
mapfile -t lines <<<"$responses"
echo "< ${lines[0]}"
for i in "${!requests[@]}"; do
  echo "> ${requests[$i]}"
  echo "< ${lines[$((i + 1))]:-}"
done
