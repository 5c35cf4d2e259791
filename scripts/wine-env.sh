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
  # Without a window manager on the private display, Wine waits up to two
  # seconds for one at every window that is hidden or destroyed; unmanaged
  # windows need no such answer.
  /usr/lib/wine/wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f > /dev/null 2>&1
  /usr/lib/wine/wineserver -w
  touch "$WINEPREFIX/.tonvelka-ready"
fi
