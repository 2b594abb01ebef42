#!/usr/bin/env bash
# Runs the benchmarks on a throwaway PostgreSQL 15 cluster of their own and
# removes it at exit.
#
#   bench/run.sh [build-dir] [runs] [fetch|onerow|point|insert|node ...]
#
# build-dir defaults to ./build, where the targets oci_bench and
# bench_insert must be built (cmake --build <dir> --target oci_bench
# bench_insert), and for `node` the target instantclient. Without workload
# names every workload runs.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
runs=${2:-5}
shift $(( $# > 2 ? 2 : $# ))
want() { [ ${#workloads[@]} -eq 0 ] || printf '%s\n' "${workloads[@]}" | grep -qx "$1"; }
workloads=("$@")

dir=$(mktemp -d /tmp/ocicompat-bench-XXXXXX)
port=${OCI_BENCH_PORT:-$(( 55000 + RANDOM % 1000 ))}
cleanup() { bash "$here/../scripts/pg-cluster.sh" stop "$dir" >/dev/null 2>&1 || true; }
trap cleanup EXIT
bash "$here/../scripts/pg-cluster.sh" start "$dir" "$port" >/dev/null
# shellcheck disable=SC1091
. "$dir/pgenv.sh"
uri="postgresql:///$PGDATABASE?host=$PGHOST&port=$PGPORT&user=$PGUSER"

queries=()
for w in fetch onerow point; do want "$w" && queries+=("$w"); done
if [ ${#queries[@]} -gt 0 ]; then
  [ -x "$build/bench/oci_bench" ] || { echo "run.sh: $build/bench/oci_bench not built" >&2; exit 1; }
  "$build/bench/oci_bench" "$uri" "$runs" "${queries[@]}"
fi
if want insert; then
  [ -x "$build/bench/bench_insert" ] || { echo "run.sh: $build/bench/bench_insert not built" >&2; exit 1; }
  "$build/bench/bench_insert" "$uri" "$runs"
fi
if want node; then
  bash "$here/node/run.sh" "$build" "$uri" "$runs"
fi
