# Sourced by test.sh and bench.sh: installs what is missing, builds both
# targets, and sets up the private Wine prefix, HOME and display in the
# x86_64 build folder. On exit it stops the wineserver and Xvfb it started and
# unmounts whatever the caller put into session_mounts.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"

export TONVELKA_BUILD="$root/build/x86_64"
source "$root/scripts/wine-env.sh"
source "$root/scripts/start-xvfb.sh"
source "$root/scripts/wine-display.sh"
# Every Wine process from now on, the shell's included, starts with the
# settings above.
/usr/lib/wine/wineserver -w

session_mounts=()
end_session() {
  /usr/lib/wine/wineserver -k > /dev/null 2>&1 || true
  kill "$XVFB_PID" 2> /dev/null || true
  for m in "${session_mounts[@]}"; do umount "$m" 2> /dev/null || true; done
}
trap end_session EXIT
