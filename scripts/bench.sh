#!/usr/bin/env bash
# Builds the benchmarks and runs them under Wine on a private display; each
# prints its own figures.
# Usage: bash scripts/bench.sh [bench_name ...] [-- arguments for each bench]
# They run on the 64-bit build under wine64; TONVELKA_ARCH=i686 runs the
# 32-bit product's under 32-bit Wine instead, and TONVELKA_ARCH="x86_64 i686"
# runs each bench on both, one after the other, so the figures of the two
# builds are taken side by side.
set -euo pipefail
archs=(${TONVELKA_ARCH:-x86_64})
benches=()
while (($#)) && [ "$1" != -- ]; do benches+=("$1"); shift; done
(($#)) && shift
source "$(dirname "$0")/session.sh"
for arch in "${archs[@]}"; do
  case "$arch" in
    x86_64) ;;
    i686) runs_32bit || { echo "The i686 benchmarks cannot run: this kernel runs no 32-bit programs" >&2; exit 1; } ;;
    *) echo "TONVELKA_ARCH is x86_64, i686 or both, not $arch" >&2; exit 1 ;;
  esac
done
if ((${#benches[@]} == 0)); then
  for exe in "$root/build/${archs[0]}"/bench_*.exe; do
    exe=${exe##*/}
    benches+=("${exe%.exe}")
  done
fi
for bench in "${benches[@]}"; do
  for arch in "${archs[@]}"; do
    use_build "$arch"
    echo "== $bench ($arch)"
    (cd "$TONVELKA_BUILD" && "$TONVELKA_WINE" "$bench.exe" "$@")
  done
done
