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
cleanup() {
  /usr/lib/wine/wineserver -k > /dev/null 2>&1 || true
  kill "$XVFB_PID" 2> /dev/null || true
}
trap cleanup EXIT

cd "$TONVELKA_BUILD"
ctest --output-on-failure --no-tests=error "$@"
