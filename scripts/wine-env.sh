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
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  /usr/lib/wine/wine64 wineboot --init > /dev/null 2>&1 || true
  /usr/lib/wine/wineserver -w
fi
