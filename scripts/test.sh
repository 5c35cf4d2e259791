#!/usr/bin/env bash
# Installs what is missing, builds both targets and runs every test on both:
# the 64-bit build under wine64, then the 32-bit product under 32-bit Wine
# (skipped, with one line that says so, where the kernel runs no 32-bit
# programs). One private Xvfb serves both; each build folder has its own Wine
# prefix and HOME. Arguments go to both ctest runs; TONVELKA_ARCH=x86_64 or
# i686 runs one suite only. Stops the Xvfb and the wineservers it started,
# also when a test fails, and fails when a test of either suite fails.
set -euo pipefail
wanted=${TONVELKA_ARCH:-x86_64 i686}
case "$wanted" in
  "x86_64 i686" | x86_64 | i686) ;;
  *) echo "TONVELKA_ARCH is x86_64 or i686, not $wanted" >&2; exit 1 ;;
esac
source "$(dirname "$0")/session.sh"

# Two tiny file systems for the fault tests: one that fills up at once and
# one that cannot be written. Where mounting is not allowed, those cases skip.
# The suites run one after the other, so they share them.
fault_dir="$root/build/faults"
mkdir -p "$fault_dir/full" "$fault_dir/readonly"
if mount -t tmpfs -o size=512k tmpfs "$fault_dir/full" 2> /dev/null; then
  session_mounts+=("$fault_dir/full")
  export TONVELKA_FULL_FOLDER="$fault_dir/full"
fi
if mount -t tmpfs -o size=64k,ro tmpfs "$fault_dir/readonly" 2> /dev/null; then
  session_mounts+=("$fault_dir/readonly")
  export TONVELKA_READONLY_FOLDER="$fault_dir/readonly"
fi

# Room for a destination of more than 4 GB, which the converter must refuse
# to finish: the pages are only taken as the test writes them.
mkdir -p "$fault_dir/large"
if mount -t tmpfs -o size=4160m tmpfs "$fault_dir/large" 2> /dev/null; then
  session_mounts+=("$fault_dir/large")
  export TONVELKA_LARGE_FOLDER="$fault_dir/large"
fi

# Runs one build's suite; its summary lines name the build.
run_suite() {
  use_build "$1"
  echo "== $1 suite, under $TONVELKA_WINE"
  (cd "$TONVELKA_BUILD" && ctest --output-on-failure --no-tests=error "${@:2}") |
    sed -u "s/^[0-9]*% tests passed.*/$1: &/; s/^Total Test time.*/$1: &/"
}

failed=0
if [[ " $wanted " == *" x86_64 "* ]]; then
  run_suite x86_64 "$@" || failed=1
fi
if [[ " $wanted " == *" i686 "* ]]; then
  if runs_32bit; then
    run_suite i686 "$@" || failed=1
  else
    echo "i686 suite skipped: this kernel runs no 32-bit programs"
  fi
fi
exit "$failed"
