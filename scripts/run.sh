#!/usr/bin/env bash
# Installs what is missing, builds both targets and starts the program under
# Wine on the current display (the user's own Wine prefix and registry): the
# 64-bit build under wine64, or with TONVELKA_ARCH=i686 the 32-bit product,
# the very program Windows users get, under 32-bit Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
arch=${TONVELKA_ARCH:-x86_64}
case "$arch" in
  x86_64) export TONVELKA_WINE=/usr/lib/wine/wine64 ;;
  i686) export TONVELKA_WINE=/usr/lib/wine/wine ;;
  *) echo "TONVELKA_ARCH is x86_64 or i686, not $arch" >&2; exit 1 ;;
esac
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"
if [ "$arch" = i686 ] && ! bash "$root/scripts/runs-32bit.sh"; then
  echo "The 32-bit program cannot run here: this kernel runs no 32-bit programs" >&2
  exit 1
fi
: "${DISPLAY:?Set DISPLAY to the display the program should appear on}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
source "$root/scripts/wine-display.sh"
exec "$TONVELKA_WINE" "$root/build/$arch/tonvelka.exe"
