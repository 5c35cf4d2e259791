# Sourced by the scripts that run our programs under Wine for tests: a private
# prefix (its own registry) and a private HOME inside the build folder, an
# ALSA null device so audio playback works without a sound card.
: "${TONVELKA_BUILD:?}"
export WINEPREFIX="$TONVELKA_BUILD/wineprefix"
export HOME="$TONVELKA_BUILD/home"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
mkdir -p "$HOME"
printf 'pcm.!default { type null }\n' > "$HOME/.asoundrc"
if [ ! -f "$WINEPREFIX/.tonvelka-ready" ]; then
  /usr/lib/wine/wine64 wineboot --init > /dev/null 2>&1 || true
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
/usr/lib/wine/wine64 regedit /S "Z:${test_programs_reg//\//\\}" > /dev/null 2>&1 || true
