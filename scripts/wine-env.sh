# Sourced with TONVELKA_ARCH set to x86_64 or i686: points Wine at that build
# folder's private prefix (its own registry) and HOME, with an ALSA null
# device so audio playback works without a sound card, and exports
# TONVELKA_BUILD and TONVELKA_WINE, the loader for that build. The 64-bit
# build runs under wine64 in a 64-bit prefix; the 32-bit product under
# wine32 in a 32-bit prefix, which Wine creates in 9 s where a 64-bit one
# with its 32-bit half takes 12 s, and which runs the 32-bit suite no slower.
: "${TONVELKA_ARCH:?}"
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
case "$TONVELKA_ARCH" in
  x86_64) export TONVELKA_WINE=/usr/lib/wine/wine64 WINEARCH=win64 ;;
  i686) export TONVELKA_WINE=/usr/lib/wine/wine WINEARCH=win32 ;;
  *) echo "TONVELKA_ARCH is x86_64 or i686, not $TONVELKA_ARCH" >&2; exit 1 ;;
esac
export TONVELKA_BUILD="$root/build/$TONVELKA_ARCH"
export WINEPREFIX="$TONVELKA_BUILD/wineprefix"
export HOME="$TONVELKA_BUILD/home"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$HOME"
printf 'pcm.!default { type null }\n' > "$HOME/.asoundrc"
if [ ! -f "$WINEPREFIX/.tonvelka-ready" ]; then
  "$TONVELKA_WINE" wineboot --init > /dev/null 2>&1 || true
  /usr/lib/wine/wineserver -w
  touch "$WINEPREFIX/.tonvelka-ready"
fi
# Without a window manager on the private display, Wine waits up to two
# seconds for one at every window that is hidden or destroyed. The test
# programs, which make and destroy hundreds of windows, get unmanaged windows
# of their own. The program and the shell get whatever wine-display.sh gives
# them on a user's display, so the end-to-end tests meet what a user meets.
test_programs_reg="$TONVELKA_BUILD/test-programs.reg"
{
  printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"=-\r\n'
  for exe in "$TONVELKA_BUILD"/test_*.exe "$TONVELKA_BUILD"/bench_*.exe; do
    [ -e "$exe" ] || continue
    printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\%s\\X11 Driver]\r\n"Managed"="N"\r\n' \
      "$(basename "$exe")"
  done
} > "$test_programs_reg"
"$TONVELKA_WINE" regedit /S "Z:${test_programs_reg//\//\\}" > /dev/null 2>&1 || true
