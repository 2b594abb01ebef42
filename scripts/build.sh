#!/usr/bin/env bash
# Configures and builds the library, tests and examples.
#
#   build.sh [--sanitize] [extra cmake arguments...]
#
# The plain build goes to build/, the ASan+UBSan build to build-asan/, both
# under the repository root unless OCI_BUILD_ROOT names another parent.
# OCI_JOBS sets the parallelism (default 2).
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
name=build
sanitize=OFF
extra=()
for arg in "$@"; do
  case "$arg" in
    --sanitize) name=build-asan; sanitize=ON ;;
    -h|--help) sed -n '2,9p' "${BASH_SOURCE[0]}"; exit 0 ;;
    *) extra+=("$arg") ;;
  esac
done

dir=${OCI_BUILD_ROOT:-$root}/$name
cmake -S "$root" -B "$dir" \
  -DCMAKE_BUILD_TYPE="${CMAKE_BUILD_TYPE:-RelWithDebInfo}" \
  -DOCICOMPAT_SANITIZE="$sanitize" "${extra[@]}"
cmake --build "$dir" -j"${OCI_JOBS:-2}"
echo "build.sh: built $dir"
