#!/usr/bin/env bash
# Builds the library and runs examples/demo.c against a throwaway cluster,
# then examples/node/demo.js (node-oracledb) when node and npm are present.
# Exits with the demo's status; the cluster is removed however the demo ends.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${OCI_BUILD_ROOT:-$root}/build

bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"

demo=$build/examples/ocicompat-demo
[ -x "$demo" ] || { echo "demo.sh: $demo was not built" >&2; exit 1; }

pgdir="/tmp/ocicompat-pg-$(id -u)-demo-$(printf %s "$build" | md5sum | cut -c1-8)"
trap 'bash "$root/scripts/pg-cluster.sh" stop "$pgdir" >/dev/null || true' EXIT
bash "$root/scripts/pg-cluster.sh" start "$pgdir" "${OCI_PG_PORT:-54329}"
# shellcheck source=/dev/null
. "$pgdir/pgenv.sh"

# The demo gets its connect identifier the way an OCI application would: as
# a connect string. The throwaway cluster listens on a unix socket only, so
# a URI names it.
connect="postgresql:///$PGDATABASE?host=$PGHOST&port=$PGPORT"
echo
set +e
"$demo" "$connect"
status=$?
set -e
echo
echo "demo.sh: demo exited with status $status"

# node-oracledb (thick mode) on the Instant-Client-shaped build directory,
# when node and npm are there; oracledb is installed once into the build tree.
if [ "$status" -eq 0 ] && command -v node >/dev/null 2>&1 && command -v npm >/dev/null 2>&1; then
  nodedir=$build/examples/node
  mkdir -p "$nodedir"
  cp "$root/examples/node/package.json" "$nodedir/"
  if [ -f "$nodedir/node_modules/oracledb/package.json" ] ||
     (cd "$nodedir" && npm install --no-audit --no-fund --prefer-offline --loglevel=error); then
    echo
    set +e
    OCI_COMPAT=oracle NODE_PATH=$nodedir/node_modules \
      node "$root/examples/node/demo.js" "$build/instantclient" "$connect"
    status=$?
    set -e
    echo
    echo "demo.sh: node example exited with status $status"
  else
    echo "demo.sh: npm could not install oracledb, node example skipped"
  fi
elif [ "$status" -eq 0 ]; then
  echo "demo.sh: node/npm not found, node example skipped"
fi
exit "$status"
