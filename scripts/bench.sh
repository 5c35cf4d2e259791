#!/usr/bin/env bash
# Builds the benchmarks and runs them under Wine on a private display; each
# prints its own figures. Usage: bash scripts/bench.sh [bench_name ...]
set -euo pipefail
source "$(dirname "$0")/session.sh"
cd "$TONVELKA_BUILD"
benches=("$@")
if ((${#benches[@]} == 0)); then
  for exe in bench_*.exe; do benches+=("${exe%.exe}"); done
fi
for bench in "${benches[@]}"; do
  echo "== $bench"
  /usr/lib/wine/wine64 "$bench.exe"
done
