#!/usr/bin/env bash
# Renders the designer's dialogs and editor window on the example definition
# to PNG files for the README (docs/images/), offscreen, with real fonts.
# Run after building: scripts/render-designer.sh [BUILD_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
cd "$root"
# The record source, filter and formula pictures read the example database.
[ -f examples/sales/ventas.db ] || scripts/build-example.sh "$build/orvane"
QT_QPA_PLATFORM=offscreen "$build/orvane-designer" --screenshots docs/images examples/sales/ventas.xml
