#!/usr/bin/env bash
# Installs what is missing, builds both targets and runs every test under
# Wine on a private display, prefix and HOME. Stops the Xvfb and the
# wineserver it started, also when a test fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"

export TONVELKA_BUILD="$root/build/x86_64"
source "$root/scripts/wine-env.sh"
source "$root/scripts/start-xvfb.sh"

# Two tiny file systems for the fault tests: one that fills up at once and
# one that cannot be written. Where mounting is not allowed, those cases skip.
fault_dir="$TONVELKA_BUILD/faults"
mkdir -p "$fault_dir/full" "$fault_dir/readonly"
mounted=()
if mount -t tmpfs -o size=512k tmpfs "$fault_dir/full" 2> /dev/null; then
  mounted+=("$fault_dir/full")
  export TONVELKA_FULL_FOLDER="$fault_dir/full"
fi
if mount -t tmpfs -o size=64k,ro tmpfs "$fault_dir/readonly" 2> /dev/null; then
  mounted+=("$fault_dir/readonly")
  export TONVELKA_READONLY_FOLDER="$fault_dir/readonly"
fi

cleanup() {
  /usr/lib/wine/wineserver -k > /dev/null 2>&1 || true
  kill "$XVFB_PID" 2> /dev/null || true
  for m in "${mounted[@]}"; do umount "$m" 2> /dev/null || true; done
}
trap cleanup EXIT

cd "$TONVELKA_BUILD"
ctest --output-on-failure --no-tests=error "$@"
