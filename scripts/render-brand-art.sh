#!/usr/bin/env bash
# Renders src/Brand/art/*.svg to the PNG resources under src/Brand/resources/brand/.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
c++ -std=c++20 -fPIC "$root/src/Brand/art/render_brand_art.cpp" -o "$work/render_brand_art" \
  $(pkg-config --cflags --libs Qt6Gui Qt6Svg)
QT_QPA_PLATFORM=offscreen "$work/render_brand_art" "$root/src/Brand/art" "$root/src/Brand/resources/brand"
