#!/usr/bin/env bash
# Installs what is missing, builds both targets and starts the program under
# Wine on the current display (the user's own Wine prefix and registry).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"
: "${DISPLAY:?Set DISPLAY to the display the program should appear on}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
source "$root/scripts/wine-display.sh"
exec /usr/lib/wine/wine64 "$root/build/x86_64/tonvelka.exe"
