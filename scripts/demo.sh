#!/usr/bin/env bash
# Builds the library and runs examples/demo.c against a throwaway cluster.
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
exit "$status"
