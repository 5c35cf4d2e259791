#!/usr/bin/env bash
# Installs what the build, the program and the tests need on Debian 12.
# Idempotent: asks apt only when a package is missing.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
packages=(cmake make g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
          wine wine64 fonts-wine xvfb xauth sox googletest imagemagick x11-utils xdotool zip unzip
          dpkg-dev)
# The product is the 32-bit program: 32-bit Wine runs it and its tests
# wherever the kernel runs 32-bit programs. Debian's wine32 is the same
# Wine 8.0 as wine64.
if bash "$root/scripts/runs-32bit.sh"; then
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  packages+=(wine32:i386)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q
  apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
