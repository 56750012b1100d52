#!/usr/bin/env bash
# Builds everything and runs every test: the release build (warnings as
# errors), the unit tests under AddressSanitizer and UndefinedBehaviorSanitizer,
# and the threaded tests under ThreadSanitizer. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh

jobs=$(nproc)
run_preset() {
  local preset=$1
  echo "=== ${preset}: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --parallel "$jobs"
  echo "=== ${preset}: test"
  ctest --preset "$preset" --parallel "$jobs" --no-tests=ignore
}

run_preset release
run_preset asan
run_preset tsan
echo "=== all test runs passed"
