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

cd "$TONVELKA_BUILD"
ctest --output-on-failure --no-tests=error "$@"
