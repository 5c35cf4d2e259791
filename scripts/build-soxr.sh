#!/usr/bin/env bash
# Fetches Debian's source package of libsoxr (0.1.3), the resampler the
# program links statically, and builds it for both MinGW targets into
# build/soxr/<triplet>/ (libsoxr.a, soxr.h); its licence, which the package
# carries, stays in build/soxr/src/libsoxr/COPYING.LGPL. What is built stays there: a
# second run neither fetches nor builds again. The machine's own package
# lists are left alone: apt reads a private source list and keeps its lists
# and caches under build/soxr/apt.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out="$root/build/soxr"
version=0.1.3
triplets=(i686-w64-mingw32 x86_64-w64-mingw32)

# The 32-bit product computes on SSE2, as the 64-bit build does (see
# CMakeLists.txt), and so does its libsoxr: built for the x87 unit, it gave
# the 32-bit product other samples than the 64-bit build from the same input.
c_flags_for() {
  if [ "$1" = i686-w64-mingw32 ]; then echo "-msse2 -mfpmath=sse"; fi
}

built_for() {
  [ -f "$out/$1/libsoxr.a" ] && [ -f "$out/$1/soxr.h" ] &&
    [ "$(cat "$out/$1/c-flags" 2> /dev/null)" = "$(c_flags_for "$1")" ]
}

built() {
  [ -f "$out/src/libsoxr/COPYING.LGPL" ] || return 1
  for t in "${triplets[@]}"; do built_for "$t" || return 1; done
}
built && exit 0

# Runs a command with its output in a log, shown only when it fails.
quietly() {
  local log=$1
  shift
  "$@" > "$log" 2>&1 || { cat "$log" >&2; echo "failed: $*" >&2; exit 1; }
}

# deb-src entries for the archives the machine installs binary packages from,
# from its one-line lists and its deb822 lists.
source_entries() {
  local list
  for list in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    if [ -f "$list" ]; then sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$list"; fi
  done
  awk '
    function flush() {
      if (types ~ /(^| )deb( |$)/ && enabled != "no" && uris != "" && suites != "") {
        n = split(uris, u, " "); m = split(suites, s, " ")
        for (i = 1; i <= n; i++) for (j = 1; j <= m; j++)
          printf "deb-src %s%s %s %s\n", (signed != "" ? "[signed-by=" signed "] " : ""), u[i], s[j], comps
      }
      types = uris = suites = comps = signed = enabled = ""
    }
    /^[ \t]*$/ { flush(); next }
    /^#/ { next }
    { key = $1; sub(/:$/, "", key); $1 = ""; sub(/^ /, "") }
    key == "Types" { types = $0 } key == "URIs" { uris = $0 } key == "Suites" { suites = $0 }
    key == "Components" { comps = $0 } key == "Signed-By" { signed = $0 } key == "Enabled" { enabled = $0 }
    END { flush() }' /etc/apt/sources.list.d/*.sources 2> /dev/null || true
}

fetch_source() {
  local apt="$out/apt"
  mkdir -p "$apt/lists/partial" "$apt/cache/archives/partial" "$apt/parts" "$out/src"
  source_entries > "$apt/sources.list"
  local options=(-o Dir::Etc::sourcelist="$apt/sources.list" -o Dir::Etc::sourceparts="$apt/parts"
                 -o Dir::State::Lists="$apt/lists" -o Dir::Cache="$apt/cache"
                 -o APT::Sandbox::User=root)
  apt-get -q "${options[@]}" update > /dev/null
  (cd "$out/src" && apt-get -q "${options[@]}" source --download-only libsoxr > /dev/null)
  local dsc
  dsc=$(ls "$out/src"/libsoxr_"$version"-*.dsc 2> /dev/null | head -n1)
  [ -n "$dsc" ] || { echo "The archive holds no libsoxr $version:" "$out/src"/*.dsc >&2; exit 1; }
  rm -rf "$out/src/libsoxr"
  quietly "$out/unpack.log" dpkg-source -q -x "$dsc" "$out/src/libsoxr"
}

build_for() {
  local triplet=$1 work="$out/work-$1"
  rm -rf "$work"
  quietly "$work.log" cmake -Wno-dev -S "$out/src/libsoxr" -B "$work" -DCMAKE_SYSTEM_NAME=Windows \
        -DCMAKE_C_COMPILER="$triplet-gcc-posix" -DCMAKE_BUILD_TYPE=Release \
        -DBUILD_SHARED_LIBS=OFF -DBUILD_TESTS=OFF -DBUILD_EXAMPLES=OFF \
        -DWITH_OPENMP=OFF -DWITH_LSR_BINDINGS=OFF -DCMAKE_C_FLAGS="$(c_flags_for "$triplet")"
  quietly "$work.log" cmake --build "$work" -j "$(nproc)"
  mkdir -p "$out/$triplet"
  cp "$work/src/libsoxr.a" "$out/src/libsoxr/src/soxr.h" "$out/$triplet/"
  c_flags_for "$triplet" > "$out/$triplet/c-flags"
}

[ -f "$out/src/libsoxr/src/soxr.h" ] || fetch_source
for t in "${triplets[@]}"; do built_for "$t" || build_for "$t"; done
built
echo "libsoxr $version built for ${triplets[*]} in $out"
