#!/usr/bin/env bash
# Installs the build into a temporary prefix and checks the drop-in layout:
# the Instant-Client-shaped directory with its links and headers, the
# pkg-config file, and a C program built with nothing but the pkg-config
# flags that runs against the installed library.
#
#   check_install.sh <build-dir> <client-dir-relative-to-prefix> <cc> <pkg-config> [cflags...]
#
# OCI_CMAKE names the cmake to install with (default: cmake on PATH).
set -euo pipefail
build=$1 clientrel=$2 cc=$3 pkgconfig=$4
shift 4
extra_cflags=("$@")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
names=(libclntsh.so libclntsh.so.11.1 libclntsh.so.12.1 libclntsh.so.19.1)

prefix=$(mktemp -d /tmp/ocicompat-install-XXXXXX)
trap 'rm -rf "$prefix"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

"${OCI_CMAKE:-cmake}" --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1 || {
  cat "$prefix.log"; rm -f "$prefix.log"; echo "FAIL: cmake --install"; exit 1; }
rm -f "$prefix.log"
client=$prefix/$clientrel
[ -d "$client" ] || { echo "FAIL: no client directory $client"; exit 1; }

# The library itself, and every name a driver tries, resolving to it.
real=$(find "$client" -maxdepth 1 -type f -name 'libocicompat.so.*' | head -n 1)
[ -n "$real" ] || fail "no libocicompat.so.<version> in $client"
for n in "${names[@]}" libocicompat.so; do
  link=$client/$n
  if [ ! -L "$link" ]; then
    fail "$n is not a link"
  elif [ "$(readlink -f "$link")" != "$(readlink -f "$real")" ]; then
    fail "$n resolves to $(readlink -f "$link"), not $real"
  elif [[ "$(readlink "$link")" = /* ]]; then
    fail "$n is an absolute link ($(readlink "$link")): the directory would not move"
  else
    echo "ok: $n -> $(readlink "$link")"
  fi
done

# Headers where an Instant Client SDK has them.
for h in oci.h oratypes.h ocidfn.h ociap.h ociapr.h orl.h xa.h; do
  [ -f "$client/sdk/include/$h" ] || fail "sdk/include/$h missing"
done

# pkg-config: found by PKG_CONFIG_PATH alone, flags pointing into the prefix.
export PKG_CONFIG_PATH
PKG_CONFIG_PATH=$(dirname "$(find "$prefix" -name ocicompat.pc | head -n 1)")
cflags=$("$pkgconfig" --cflags ocicompat) || fail "pkg-config --cflags"
libs=$("$pkgconfig" --libs ocicompat) || fail "pkg-config --libs"
echo "pkg-config: cflags '$cflags' libs '$libs'"
case "$libs" in *-lclntsh*) ;; *) fail "libs do not name -lclntsh" ;; esac

# The program is built with the pkg-config flags alone (warnings are errors:
# the installed headers must compile cleanly) and must load the installed
# library, not the build tree's.
# shellcheck disable=SC2086
"$cc" -Wall -Wextra -Werror "${extra_cflags[@]}" $cflags -o "$prefix/dropin_client" "$here/dropin_client.c" $libs -ldl ||
  { echo "FAIL: building with the pkg-config flags"; exit 1; }
needed=$(LD_LIBRARY_PATH=$client ldd "$prefix/dropin_client" | grep -F libocicompat || true)
echo "ldd: $needed"
case "$needed" in *"$client"*) ;; *) fail "the program does not load the installed library" ;; esac
LD_LIBRARY_PATH=$client "$prefix/dropin_client" "$client" "${names[@]}" ||
  fail "the program failed against the installed library"

if [ "$failures" -eq 0 ]; then
  echo "check_install: installed layout works"
else
  echo "check_install: $failures failure(s)"
  exit 1
fi
