#!/usr/bin/env bash
# Exits 0 where the kernel runs 32-bit x86 programs, 1 where it does not.
# Some kernels are built without them and answer "Exec format error" to every
# 32-bit program, 32-bit Wine included, so the scripts ask before they install
# or start it. The question is the smallest such program there is: a static
# i386 ELF of 96 bytes whose only instructions are exit(42) through int 0x80.
# It is written out here rather than compiled, since the machine may have no
# 32-bit compiler, and into the build folder, since /tmp may forbid running.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
mkdir -p "$root/build"
probe="$root/build/i386-probe"
{
  # ELF header: 32-bit, little-endian, executable, i386, entry 0x08048054,
  # one program header at offset 52.
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'
  printf '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00'
  printf '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00'
  printf '\x00\x00\x00\x00'
  # One loadable, readable and executable segment: the whole file of 96 bytes.
  printf '\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08'
  printf '\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00'
  # mov ebx, 42; mov eax, 1 (exit); int 0x80
  printf '\xbb\x2a\x00\x00\x00\xb8\x01\x00\x00\x00\xcd\x80'
} > "$probe"
chmod +x "$probe"
status=0
"$probe" 2> /dev/null || status=$?
rm -f "$probe"
((status == 42))
