#!/usr/bin/env bash
# The package a Windows user downloads: exactly the 32-bit product, the window
# and the console program (each of its subsystem, with its version and
# manifest), the README as README.txt, the LICENSE and libsoxr's licence, the
# texts with Windows line ends; the README says where libsoxr's source is.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
zip=$(bash "$root/scripts/package.sh" | tail -n1)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
unzip -q "$zip" -d "$out"
[ "$(cd "$out" && ls | tr '\n' ' ')" = "LICENSE LICENSE-libsoxr.txt README.txt tonvelka.exe tonvelkacmd.exe " ] || { unzip -l "$zip"; exit 1; }
# subsystem: 2 is the window's, 3 the console's.
for program in tonvelka:2 tonvelkacmd:3; do
  exe=${program%%:*}.exe
  cmp "$out/$exe" "$root/build/i686/$exe"
  i686-w64-mingw32-objdump -f "$out/$exe" | grep -q 'file format pei-i386' || { echo "$exe: not the 32-bit program"; exit 1; }
  # Read whole first: grep -q would end the pipe early, which pipefail counts.
  headers=$(i686-w64-mingw32-objdump -p "$out/$exe")
  grep -q "^Subsystem[[:space:]]*0000000${program##*:}" <<< "$headers" || { echo "$exe: wrong subsystem"; exit 1; }
  # What Explorer's Properties and the system read from the program.
  i686-w64-mingw32-strings -el "$out/$exe" | tr '\n' ' ' | grep -q "OriginalFilename $exe .*ProductVersion 1.1.0.0" || { echo "$exe: no version"; exit 1; }
  grep -q '<activeCodePage[^>]*>UTF-8</activeCodePage>' "$out/$exe" || { echo "$exe: no manifest with the UTF-8 code page"; exit 1; }
  # libsoxr is linked into the program itself, not beside it.
  grep -qi 'soxr.*\.dll' <<< "$headers" && { echo "$exe: libsoxr as a DLL"; exit 1; }
done
# No window, message box or registry write in the console program (the
# headers read last, in the loop).
grep -qE 'USER32|MessageBox|CreateWindow|CreateDialog|RegSetValue|RegCreateKey' <<< "$headers" &&
  { echo "tonvelkacmd.exe: imports window or registry writes"; exit 1; }
declare -A origin=([README.txt]="$root/README.md" [LICENSE]="$root/LICENSE"
                   [LICENSE-libsoxr.txt]="$root/build/soxr/src/libsoxr/COPYING.LGPL")
for text in "${!origin[@]}"; do
  if grep -qv $'\r$' "$out/$text"; then echo "$text has lines without a Windows line end"; exit 1; fi
  [ "$(tr -d '\r' < "$out/$text")" = "$(cat "${origin[$text]}")" ] || { echo "$text differs"; exit 1; }
done
grep -q 'GNU LESSER GENERAL PUBLIC LICENSE' "$out/LICENSE-libsoxr.txt" || { echo "no LGPL"; exit 1; }
tr -d '\r' < "$out/README.txt" | tr '\n' ' ' | grep -q "Debian's source package libsoxr 0.1.3" || { echo "no word of libsoxr's source"; exit 1; }
echo "package ok: $zip"
