#!/usr/bin/env bash
# Configures and builds both targets: build/i686 (the product) and
# build/x86_64, after libsoxr for both; the tests run on both, under 32-bit
# Wine and wine64.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)
# The one third-party library, fetched and built once into build/soxr.
bash "$root/scripts/build-soxr.sh"
for arch in i686 x86_64; do
  cmake -S "$root" -B "$root/build/$arch" \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$arch.cmake" \
        -DCMAKE_BUILD_TYPE=Release > /dev/null
  cmake --build "$root/build/$arch" -j "$jobs"
done
