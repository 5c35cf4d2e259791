#!/usr/bin/env bash
# Builds the benchmarks and runs them under Wine on a private display; each
# prints its own figures. Usage: bash scripts/bench.sh [bench_name ...]
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
benches=("$@")
if ((${#benches[@]} == 0)); then
  for exe in bench_*.exe; do benches+=("${exe%.exe}"); done
fi
for bench in "${benches[@]}"; do
  echo "== $bench"
  /usr/lib/wine/wine64 "$bench.exe"
done
