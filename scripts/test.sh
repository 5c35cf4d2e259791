#!/usr/bin/env bash
# Installs what is missing, builds both targets and runs every test under
# Wine on a private display, prefix and HOME. Stops the Xvfb and the
# wineserver it started, also when a test fails.
set -euo pipefail
source "$(dirname "$0")/session.sh"

# Two tiny file systems for the fault tests: one that fills up at once and
# one that cannot be written. Where mounting is not allowed, those cases skip.
fault_dir="$TONVELKA_BUILD/faults"
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

cd "$TONVELKA_BUILD"
ctest --output-on-failure --no-tests=error "$@"
