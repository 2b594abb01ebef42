#!/usr/bin/env bash
# The Windows stage of CI: cross-builds voskarioci.dll, the demo and the tests
# with mingw-w64 and runs the tests under wine against a native PostgreSQL 15
# on 127.0.0.1.
#   1. apt packages: mingw-w64 compilers and wine (skipped when present),
#   2. Windows libpq, iconv, libintl, GMP, MPFR (scripts/win-deps.sh, cached),
#   3. a wine prefix (cached beside the dependencies),
#   4. configure and build with cmake/mingw-w64-x86_64.cmake,
#   5. ctest; every test program runs through wine.
#
# OCI_WIN_CACHE (default /var/cache/ocicompat-win when writable, else
# ~/.cache/ocicompat-win) holds the dependency prefix and the wine prefix;
# OCI_WIN_BUILD (default $OCI_BUILD_ROOT/build-win or ./build-win) the build
# tree; OCI_JOBS (default 2) the parallel jobs.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=${OCI_JOBS:-2}
build=${OCI_WIN_BUILD:-${OCI_BUILD_ROOT:-$root}/build-win}
if [ -z "${OCI_WIN_CACHE:-}" ]; then
  if mkdir -p /var/cache/ocicompat-win 2>/dev/null && [ -w /var/cache/ocicompat-win ]; then
    OCI_WIN_CACHE=/var/cache/ocicompat-win
  else
    OCI_WIN_CACHE=${XDG_CACHE_HOME:-$HOME/.cache}/ocicompat-win
  fi
fi

banner() { printf '\n==== %s ====\n' "$*"; }
stage_start=$SECONDS
stage_time() { printf 'windows-test: %s took %d s\n' "$1" $((SECONDS - stage_start)); stage_start=$SECONDS; }

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"
  elif command -v sudo >/dev/null 2>&1; then sudo "$@"
  else echo "windows-test: need root to run: $*" >&2; exit 1
  fi
}

banner "windows: packages"
packages=(g++-mingw-w64-x86-64 gcc-mingw-w64-x86-64 mingw-w64-tools wine wine64 m4 make dpkg-dev)
missing=()
for p in "${packages[@]}"; do
  [ "$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)" = "install ok installed" ] || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update -q
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
stage_time packages

banner "windows: dependencies"
deps=$(bash "$root/scripts/win-deps.sh" "$OCI_WIN_CACHE/deps-bookworm-pg15-1" | tail -n 1)
stage_time dependencies

banner "windows: wine prefix"
export WINEPREFIX=$OCI_WIN_CACHE/wine WINEARCH=win64 WINEDEBUG=-all
if [ ! -f "$WINEPREFIX/.ocicompat-ready" ]; then
  rm -rf "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1
  wineserver -w
  : >"$WINEPREFIX/.ocicompat-ready"
fi
stage_time "wine prefix"

banner "windows: build"
if command -v ccache >/dev/null 2>&1; then
  export CMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER:-ccache}
  export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
fi
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DOCICOMPAT_WIN_DEPS="$deps" -DCMAKE_BUILD_TYPE=Release -DOCICOMPAT_BENCH=OFF \
  -DOCICOMPAT_WINDOWS_PREFIX=ON
cmake --build "$build" -j"$jobs"
stage_time build

banner "windows: tests under wine"
# wine's service processes inherit ctest's output pipe and hold every test
# open until they exit; a wineserver that outlives the tests, started here
# with its services, makes each test end as soon as its program does. It
# goes by itself a minute after the last program of the prefix ends: it is
# not killed, since another run may share the prefix.
wineserver -p60 </dev/null >/dev/null 2>&1 || true
wine cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
rc=0
(cd "$build" && ctest --output-on-failure -j"$jobs" --no-tests=error) || rc=$?
stage_time tests
exit "$rc"
