#!/usr/bin/env bash
# Builds the product and packs what a Windows user downloads:
# dist/tonvelka-1.1-win32.zip with the 32-bit window and console programs,
# the README as
# README.txt, the LICENSE and the licence of the libsoxr linked into the
# program (its COPYING.LGPL) as LICENSE-libsoxr.txt, all with Windows line ends.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh" > /dev/null
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
cp "$root/build/i686/tonvelka.exe" "$stage/tonvelka.exe"
cp "$root/build/i686/tonvelkacmd.exe" "$stage/tonvelkacmd.exe"
sed 's/\r*$/\r/' "$root/README.md" > "$stage/README.txt"
sed 's/\r*$/\r/' "$root/LICENSE" > "$stage/LICENSE"
sed 's/\r*$/\r/' "$root/build/soxr/src/libsoxr/COPYING.LGPL" > "$stage/LICENSE-libsoxr.txt"
mkdir -p "$root/dist"
archive="$root/dist/tonvelka-1.1-win32.zip"
rm -f "$archive"
# -X: no Unix owners and times beyond the plain ones, as Windows' own zips.
(cd "$stage" && zip -q -X "$archive" tonvelka.exe tonvelkacmd.exe README.txt LICENSE LICENSE-libsoxr.txt)
echo "$archive"
