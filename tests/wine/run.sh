#!/usr/bin/env bash
# Runs the Wine end-to-end suite (see README.md beside this file).
# UIAD_EXE and UIAD_WINE_BUILD name the daemon and the Windows build directory.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
command -v python3 >/dev/null || { [ "$(id -u)" -eq 0 ] && apt-get install -y -qq python3; }
exec python3 "$here/run_wine_tests.py" "$@"
