#!/usr/bin/env bash
# The whole check, as CI runs it:
#   1. install the dependencies (fast when they are there),
#   2. plain build, whole suite (the fixture starts and stops the server),
#   3. ASan+UBSan build, whole suite again,
#   4. valgrind leak check of every unit test of the plain build.
# Every stage runs even when an earlier one failed, so one run shows all
# problems; the exit status is non-zero when any stage failed.
#
# OCI_BUILD_ROOT (parent of build/ and build-asan/) and OCI_JOBS (default 2)
# are passed on to build.sh.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root" || exit 1
jobs=${OCI_JOBS:-2}
build_root=${OCI_BUILD_ROOT:-$root}
plain=$build_root/build
asan=$build_root/build-asan

failed_stages=()
tests_passed=0
tests_failed=0
logdir=$(mktemp -d)
trap 'rm -rf "$logdir"' EXIT

banner() { printf '\n==== %s ====\n' "$*"; }

# Runs ctest in a build tree, echoing its output, and adds its counts to the
# totals. $1: stage name, $2: build dir, rest: ctest arguments.
run_ctest() {
  local stage=$1 dir=$2 log rc line
  shift 2
  log="$logdir/$stage.log"
  (cd "$dir" && ctest --output-on-failure -j"$jobs" "$@") 2>&1 | tee "$log"
  rc=${PIPESTATUS[0]}
  line=$(grep -E '[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
  if [[ "$line" =~ ([0-9]+)\ tests?\ failed\ out\ of\ ([0-9]+) ]]; then
    tests_failed=$((tests_failed + BASH_REMATCH[1]))
    tests_passed=$((tests_passed + BASH_REMATCH[2] - BASH_REMATCH[1]))
  fi
  [ "$rc" -eq 0 ] || failed_stages+=("$stage")
  return "$rc"
}

banner "dependencies"
if ! bash "$root/scripts/install-deps.sh"; then
  echo "test.sh: installing dependencies failed" >&2
  exit 1
fi

banner "plain build"
if bash "$root/scripts/build.sh"; then
  banner "plain build: tests"
  run_ctest plain-tests "$plain" --no-tests=error

  banner "plain build: valgrind leak check of the unit tests"
  vg_opts="--leak-check=full --errors-for-leak-kinds=definite,indirect --error-exitcode=1"
  vg_opts+=" --num-callers=30"
  if [ -f "$root/scripts/valgrind.supp" ]; then
    vg_opts+=" --suppressions=$root/scripts/valgrind.supp"
  fi
  # The project does not include(CTest); an empty dashboard configuration
  # keeps `ctest -T` from complaining about the missing file.
  [ -e "$plain/DartConfiguration.tcl" ] || : >"$plain/DartConfiguration.tcl"
  rm -f "$plain"/Testing/Temporary/MemoryChecker.*.log
  if ! run_ctest valgrind "$plain" -L '^unit$' -LE '^script$' -T memcheck \
      --overwrite MemoryCheckCommand="$(command -v valgrind)" \
      --overwrite MemoryCheckCommandOptions="$vg_opts"; then
    # ctest keeps valgrind's reports in files; show the ones with findings.
    for f in "$plain"/Testing/Temporary/MemoryChecker.*.log; do
      [ -s "$f" ] || continue
      if grep -qE 'definitely lost: [1-9]|indirectly lost: [1-9]|ERROR SUMMARY: [1-9]' "$f"; then
        echo "---- $f"
        cat "$f"
      fi
    done
  fi
else
  failed_stages+=("plain-build")
fi

banner "sanitizer build"
if bash "$root/scripts/build.sh" --sanitize; then
  banner "sanitizer build: tests"
  ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:strict_string_checks=1:check_initialization_order=1} \
  UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1} \
    run_ctest asan-tests "$asan" --no-tests=error
else
  failed_stages+=("asan-build")
fi

banner "summary"
if [ ${#failed_stages[@]} -gt 0 ]; then
  echo "test.sh: failed stages: ${failed_stages[*]}"
else
  echo "test.sh: all stages passed"
fi
echo "(counts add up the plain, valgrind and sanitizer passes)"
echo "tests: $tests_passed passed, $tests_failed failed"
[ ${#failed_stages[@]} -eq 0 ]
