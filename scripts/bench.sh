#!/usr/bin/env bash
# Builds the benchmarks and runs them under Wine on a private display; each
# prints its own figures. Usage: bash scripts/bench.sh [bench_name ...]
# They run the 64-bit build under wine64; TONVELKA_ARCH=i686 runs the 32-bit
# product's under 32-bit Wine instead.
set -euo pipefail
arch=${TONVELKA_ARCH:-x86_64}
source "$(dirname "$0")/session.sh"
if [ "$arch" = i686 ] && ! runs_32bit; then
  echo "The i686 benchmarks cannot run: this kernel runs no 32-bit programs" >&2
  exit 1
fi
use_build "$arch"
cd "$TONVELKA_BUILD"
benches=("$@")
if ((${#benches[@]} == 0)); then
  for exe in bench_*.exe; do benches+=("${exe%.exe}"); done
fi
for bench in "${benches[@]}"; do
  echo "== $bench ($arch)"
  "$TONVELKA_WINE" "$bench.exe"
done
