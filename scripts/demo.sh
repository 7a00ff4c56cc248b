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
  '{"cmd":"scan"}'
  '{"cmd":"probe","app":"PREFERENCES","id":"e:auto:1"}'
  '{"cmd":"probe","app":"preferences","id":"name:button:Apply"}'
  '{"cmd":"probe","app":"calculator","id":"auto:1"}'
  '{"cmd":"scan","app":"text editor","max_depth":1}'
  '{"cmd":"menus","app":"Text Editor"}'
  '{"cmd":"invoke_menu","app":"text editor","path":"File > Save As"}'
  '{"cmd":"invoke_menu","app":"text editor","path":"view>zoom in"}'
  '{"cmd":"invoke_menu","app":"text editor","path":"Edit>Redo"}'
  '{"cmd":"context_menu","app":"text editor","id":"auto:15"}'
  '{"cmd":"scan","app":"file browser"}'
  '{"cmd":"hover","app":"file browser","id":"name:button:Up"}'
  '{"cmd":"scroll","app":"file browser","id":"name:row:photo.jpg","direction":"page_down"}'
  '{"cmd":"scroll","app":"file browser","id":"name:row:photo.jpg","direction":"end"}'
  '{"cmd":"scroll","app":"file browser","id":"name:row:photo.jpg"}'
  '{"cmd":"mouse_click","app":"file browser","id":"name:row:setup.exe","button":"right"}'
  '{"cmd":"perform","app":"file browser","id":"name:button:Up","action":"AXPress"}'
  '{"cmd":"key","app":"preferences","id":"auto:txtUserName","key":"bob"}'
  '{"cmd":"key","app":"preferences","key":"Enter"}'
  '{"cmd":"set_value","app":"preferences","id":"auto:txtUserName","text":"carol"}'
  '{"cmd":"scan","app":"preferences","max_elements":5}'
  '{"cmd":"screenshot","app":"preferences","path":"build/demo-preferences.bmp"}'
  '{"cmd":"dismiss_dialogs","titles":["preferences"],"prefer":["Cancel"]}'
  '{"cmd":"wait_for_change","timeout_ms":2000}'
  '{"cmd":"dismiss_dialogs","titles":["download complete"],"prefer":["close"]}'
  '{"cmd":"click","app":"file browser","id":"name:tab:View"}'
  '{"cmd":"set_value","app":"file browser","id":"auto:SearchBox","text":"report"}'
  '{"cmd":"attrs","app":"file browser","id":"auto:SearchBox"}'
  '{"cmd":"scan","app":"file browser"}'
  '{"cmd":"shutdown"}'
)
responses=$(printf '%s\n' "${requests[@]}" | build/release/src/bin/uiad-sim)
mapfile -t lines <<<"$responses"
echo "< ${lines[0]}"
for i in "${!requests[@]}"; do
  echo "> ${requests[$i]}"
  echo "< ${lines[$((i + 1))]:-}"
done
# The snapshot text of the first scan, as a client would print it.
echo
echo "ui_block of the first scan:"
printf '%s\n' "${lines[5]}" | python3 -c 'import json, sys; print(json.loads(sys.stdin.read())["ui_block"])'
# The last scan shows what the click and the set_value did.
echo
echo "ui_block of the last scan:"
printf '%s\n' "${lines[$(( ${#requests[@]} - 1 ))]}" | python3 -c 'import json, sys; print(json.loads(sys.stdin.read())["ui_block"])'
# The screenshot is an ordinary bitmap file that any image viewer opens.
echo
echo "screenshot of the Preferences dialog: build/demo-preferences.bmp"
