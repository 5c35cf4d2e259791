#!/usr/bin/env bash
# The package a Windows user downloads: exactly the 32-bit product, the README
# (with its version and manifest), the README as README.txt and the LICENSE,
# the texts with Windows line ends.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
zip=$(bash "$root/scripts/package.sh" | tail -n1)
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
unzip -q "$zip" -d "$out"
[ "$(cd "$out" && ls | tr '\n' ' ')" = "LICENSE README.txt tonvelka.exe " ] || { unzip -l "$zip"; exit 1; }
cmp "$out/tonvelka.exe" "$root/build/i686/tonvelka.exe"
i686-w64-mingw32-objdump -f "$out/tonvelka.exe" | grep -q 'file format pei-i386' || { echo "not the 32-bit program"; exit 1; }
# What Explorer's Properties and the system read from the program.
i686-w64-mingw32-strings -el "$out/tonvelka.exe" | tr '\n' ' ' | grep -q 'OriginalFilename tonvelka.exe .*ProductVersion 1.1.0.0' || { echo "no version"; exit 1; }
grep -q '<activeCodePage[^>]*>UTF-8</activeCodePage>' "$out/tonvelka.exe" || { echo "no manifest with the UTF-8 code page"; exit 1; }
for text in README.txt LICENSE; do
  if grep -qv $'\r$' "$out/$text"; then echo "$text has lines without a Windows line end"; exit 1; fi
  [ "$(tr -d '\r' < "$out/$text")" = "$(cat "$root/${text/README.txt/README.md}")" ] || { echo "$text differs"; exit 1; }
done
echo "package ok: $zip"
