# Sourced by test.sh and bench.sh: installs what is missing, builds both
# targets and starts one private Xvfb that every build's programs share.
# use_build ARCH (x86_64 or i686) then points Wine at that build folder's own
# prefix, HOME and settings, made the first time. On exit it stops the
# wineservers and the Xvfb it started and unmounts whatever the caller put
# into session_mounts.
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"

source "$root/scripts/start-xvfb.sh"
session_prefixes=()
session_mounts=()
end_session() {
  for prefix in "${session_prefixes[@]}"; do
    WINEPREFIX="$prefix" /usr/lib/wine/wineserver -k > /dev/null 2>&1 || true
  done
  kill "$XVFB_PID" 2> /dev/null || true
  for m in "${session_mounts[@]}"; do umount "$m" 2> /dev/null || true; done
}
trap end_session EXIT

# The 32-bit product runs wherever the kernel runs 32-bit programs.
runs_32bit() {
  bash "$root/scripts/runs-32bit.sh"
}

use_build() {
  export TONVELKA_ARCH="$1"
  source "$root/scripts/wine-env.sh"
  session_prefixes+=("$WINEPREFIX")
  source "$root/scripts/wine-display.sh"
  # Every Wine process from now on, the shell's included, starts with the
  # settings above.
  /usr/lib/wine/wineserver -w
}
