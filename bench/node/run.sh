#!/usr/bin/env bash
# The node-oracledb fetch benchmark, called by bench/run.sh with the cluster
# it started:
#
#   bench/node/run.sh <build-dir> <connect-uri> <runs>
#
# Needs node and npm (skipped with a note otherwise), the library built in
# <build-dir> (its instantclient/ directory) and a C compiler for the C
# reference; oracledb@6.10.0 is installed into <build-dir>/bench/node once.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "$1" && pwd) uri=$2 runs=$3

if ! command -v node >/dev/null 2>&1 || ! command -v npm >/dev/null 2>&1; then
  echo; echo "node-oracledb fetch: skipped (node/npm not installed)"; exit 0
fi
client=$build/instantclient
[ -e "$client/libclntsh.so" ] || { echo "run.sh: $client/libclntsh.so not built (target instantclient)" >&2; exit 1; }

work=$build/bench/node
mkdir -p "$work"
cp "$here/package.json" "$work/"
if ! [ -f "$work/node_modules/oracledb/package.json" ] &&
   ! (cd "$work" && npm install --no-audit --no-fund --prefer-offline --loglevel=error >/dev/null); then
  echo; echo "node-oracledb fetch: skipped (npm could not install oracledb)"; exit 0
fi

# The C reference, built against the same client directory.
# shellcheck disable=SC2046
"${CC:-cc}" -O2 -Wall -Wextra -I"$client/sdk/include" -o "$work/fetch_ref" "$here/fetch_ref.c" \
  -L"$client" -lclntsh -Wl,-rpath,"$client" $(pkg-config --cflags --libs libpq)

OCI_COMPAT=oracle NODE_PATH=$work/node_modules node "$here/fetch.js" "$client" "$uri" "$runs" "$work/fetch_ref"
