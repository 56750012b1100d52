#!/usr/bin/env bash
# Builds the program and runs it on the simulated host's default scenario
# (or on the scenario file named by TESSEL_SIM_SCENARIO).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/deps.sh
cmake --preset release >/dev/null
cmake --build --preset release --parallel "$(nproc)" --target tessel-nav

binary=build/release/src/tessel-nav
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  exec xvfb-run -a "$binary" "$@"
fi
exec "$binary" "$@"
