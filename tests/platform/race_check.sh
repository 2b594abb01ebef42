#!/bin/sh
# Race checks of the thread package and of environments created from many
# threads, each in a build tree of its own:
#
#   tests/platform/race_check.sh tsan [build-dir]      ThreadSanitizer build
#   tests/platform/race_check.sh helgrind [build-dir]  plain build under helgrind
#
# ThreadSanitizer cannot be combined with the address and undefined-behaviour
# sanitizers of OCICOMPAT_SANITIZE, and valgrind cannot run either, hence the
# separate trees (default ./build-tsan and ./build-helgrind).
set -eu
here=$(cd "$(dirname "$0")" && pwd)
src=$(cd "$here/../.." && pwd)
mode=${1:-tsan}
targets="platform_thread_stress_test platform_test env_threads_test"

case "$mode" in
tsan)
    build=${2:-build-tsan}
    flags="-fsanitize=thread -fno-omit-frame-pointer"
    cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOCICOMPAT_SANITIZE=OFF \
        -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
        -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread -DCMAKE_SHARED_LINKER_FLAGS=-fsanitize=thread
    cmake --build "$build" --target $targets -j"$(nproc)"
    export TSAN_OPTIONS="halt_on_error=1 exitcode=66 ${TSAN_OPTIONS:-}"
    "$build/tests/platform/platform_thread_stress_test"
    "$build/tests/platform/platform_test" --gtest_filter='ThreadTest.*:KeyTest.*'
    "$build/tests/env/env_threads_test"
    ;;
helgrind)
    build=${2:-build-helgrind}
    cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOCICOMPAT_SANITIZE=OFF
    cmake --build "$build" --target $targets -j"$(nproc)"
    for run in "platform/platform_thread_stress_test" "platform/platform_test --gtest_filter=ThreadTest.*:KeyTest.*" \
               "env/env_threads_test"; do
        # shellcheck disable=SC2086
        valgrind --tool=helgrind --error-exitcode=66 --suppressions="$here/helgrind.supp" \
            "$build/tests/"$run
    done
    ;;
*)
    echo "usage: $0 tsan|helgrind [build-dir]" >&2
    exit 2
    ;;
esac
