#!/usr/bin/env bash
# Renders every settings tab in every theme through the program's own
# --render-settings mode, into build/gallery/settings/ (or the folder given).
# Each render reads a settings file of its own, so the user's are untouched.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
binary="${TESSEL_NAV:-$root/build/release/src/tessel-nav}"
out="${1:-$root/build/gallery/settings}"
mkdir -p "$out"
config="$(mktemp -d)"
trap 'rm -rf "$config"' EXIT
mkdir -p "$config/TesselNav"

for theme in system light dark tessel; do
  printf '{"containerRadiusMigrated": true, "appearanceMode": "%s"}\n' "$theme" \
    > "$config/TesselNav/defaults.json"
  for tab in General Apps Appearance Layout; do
    name="$(echo "settings-$tab-$theme" | tr '[:upper:]' '[:lower:]')"
    # The render exits 0 whatever happened; its line says whether it worked.
    line="$(XDG_CONFIG_HOME="$config" TESSEL_SETTINGS_TAB="$tab" \
      "$binary" --render-settings "$out/$name.png")"
    echo "$line"
    if [[ "$line" == *"render FAILED"* ]]; then
      echo "settings-gallery: $name.png was not rendered" >&2
      exit 1
    fi
  done
done
