# Sourced with TONVELKA_ARCH set to x86_64 or i686: points Wine at that build
# folder's private prefix (its own registry) and HOME, with an ALSA null
# device so audio playback works without a sound card, and exports
# TONVELKA_BUILD and TONVELKA_WINE, the loader for that build: wine64 for the
# 64-bit build, 32-bit Wine for the 32-bit product. Both prefixes are 64-bit
# ones, so the product runs there as it does on 64-bit Windows, where nearly
# every user runs it: under WOW64, its system folder redirected,
# IsWow64Process true. A 32-bit prefix is made in 9 s instead of 12 but runs
# the suite no faster.
: "${TONVELKA_ARCH:?}"
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
case "$TONVELKA_ARCH" in
  x86_64) export TONVELKA_WINE=/usr/lib/wine/wine64 ;;
  i686) export TONVELKA_WINE=/usr/lib/wine/wine ;;
  *) echo "TONVELKA_ARCH is x86_64 or i686, not $TONVELKA_ARCH" >&2; exit 1 ;;
esac
export TONVELKA_BUILD="$root/build/$TONVELKA_ARCH"
export WINEPREFIX="$TONVELKA_BUILD/wineprefix" WINEARCH=win64
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
# A program that crashes writes Wine's backtrace into the test's output and
# ends, rather than waiting behind Wine's crash dialog until CTest's time-out.
test_programs_reg="$TONVELKA_BUILD/test-programs.reg"
{
  printf 'REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Managed"=-\r\n'
  printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\r\n"ShowCrashDialog"=dword:00000000\r\n'
  for exe in "$TONVELKA_BUILD"/test_*.exe "$TONVELKA_BUILD"/bench_*.exe; do
    [ -e "$exe" ] || continue
    printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\%s\\X11 Driver]\r\n"Managed"="N"\r\n' \
      "$(basename "$exe")"
  done
} > "$test_programs_reg"
"$TONVELKA_WINE" regedit /S "Z:${test_programs_reg//\//\\}" > /dev/null 2>&1 || true
