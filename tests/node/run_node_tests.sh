#!/usr/bin/env bash
# Runs the node-oracledb test files in thick mode against the installed
# Instant-Client-shaped directory and the throwaway cluster (PGHOST/PGPORT
# from the test fixture), with the library in its Oracle-compatible mode.
#
#   run_node_tests.sh <build-dir> <client-dir-relative-to-prefix> <sanitize ON|OFF>
#
# oracledb@6.10.0 is installed with npm into <build-dir>/node once; later
# runs find it there and do not touch the network. Exits 77 (skipped) with
# the reason when node or npm is missing or the library is a sanitizer build.
# OCI_CMAKE names the cmake to install with (default: cmake on PATH).
set -euo pipefail
build=$1 clientrel=$2 sanitize=$3
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
skip() { echo "SKIPPED: $*"; exit 77; }

case "$sanitize" in
  ON|on|1|TRUE|true)
    skip "sanitizer build: node would have to load the ASan runtime first" ;;
esac
command -v node >/dev/null 2>&1 || skip "node is not installed (scripts/install-deps.sh installs it)"
command -v npm >/dev/null 2>&1 || skip "npm is not installed (scripts/install-deps.sh installs it)"
major=$(node -p 'process.versions.node.split(".")[0]')
[ "$major" -ge 18 ] || skip "node $(node --version) has no built-in test runner (need 18 or later)"

work=$build/node
mkdir -p "$work"
cp "$here/package.json" "$work/package.json"
want=$(node -p "require('$here/package.json').dependencies.oracledb")
have=$(node -p "try { require('$work/node_modules/oracledb/package.json').version } catch (e) { '' }")
if [ "$have" != "$want" ]; then
  echo "installing oracledb@$want into $work"
  (cd "$work" && npm install --no-audit --no-fund --prefer-offline --loglevel=error) ||
    skip "npm could not install oracledb@$want (no registry access?)"
fi

# A fresh install of the library, as a user would have it.
prefix=$work/prefix
rm -rf "$prefix"
"${OCI_CMAKE:-cmake}" --install "$build" --prefix "$prefix" >/dev/null
client=$prefix/$clientrel
[ -e "$client/libclntsh.so" ] || { echo "FAIL: $client/libclntsh.so was not installed"; exit 1; }

export OCICOMPAT_LIBDIR=$client
export OCI_COMPAT=oracle
export NODE_PATH=$work/node_modules
# Dates travel as wall-clock times; a zone away from UTC makes an offset
# slip show up.
export TZ=America/New_York
cd "$here"
echo "node $(node --version), oracledb $want, client directory $client"
exec node --test ./*.test.js
