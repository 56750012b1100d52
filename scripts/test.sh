#!/usr/bin/env bash
# Checks the formatting, builds everything and runs every test: the release
# build (warnings as errors), the unit tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, and the threaded tests under ThreadSanitizer.
# Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh

# Seconds, before any build: clang-format names each file it would change.
echo "=== format: clang-format dry run"
find src tests bench \( -name '*.cpp' -o -name '*.h' \) -print0 |
  xargs -0 clang-format-14 --dry-run --Werror

jobs=$(nproc)
passed=0
failed=0
run_preset() {
  local preset=$1
  echo "=== ${preset}: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --parallel "$jobs"
  echo "=== ${preset}: test"
  local log
  log=$(mktemp)
  local status=0
  # A preset that selects no test (a label nobody carries any more) fails.
  ctest --preset "$preset" --parallel "$jobs" --no-tests=error | tee "$log" || status=$?
  # ctest's summary: "100% tests passed, 0 tests failed out of 23"
  local summary
  summary=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -n 1 || true)
  rm -f "$log"
  if [ -n "$summary" ]; then
    local total failures
    failures=$(sed -E 's/.*passed, ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$summary")
    total=$(sed -E 's/.*failed out of ([0-9]+).*/\1/' <<<"$summary")
    passed=$((passed + total - failures))
    failed=$((failed + failures))
  fi
  if [ "$status" -ne 0 ]; then
    echo "${passed} passed, $((failed > 0 ? failed : 1)) failed"
    exit "$status"
  fi
}

run_preset release
run_preset asan
run_preset tsan

# Fuzzing: every libFuzzer target of tests/fuzz/ for TESSEL_FUZZ_SECONDS (10)
# each, from its committed seeds, two at a time on a two-core machine.
run_preset fuzz
echo "=== all test runs passed"
echo "${passed} passed, ${failed} failed"
