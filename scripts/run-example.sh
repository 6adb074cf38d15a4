#!/usr/bin/env bash
# The main job on the example: installs what is missing, builds the project,
# builds the example sales database and package, and runs the packaged
# report: its parameters and its three-level master-detail walk over the
# SQLite database. Run as root on a fresh machine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ORVANE_BUILD_DIR:-$root/build}

bash "$root/scripts/install-deps.sh" >/dev/null
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target orvane >/dev/null
bash "$root/scripts/build-example.sh" "$build/orvane"

cd "$root"
echo "== orvane run examples/sales/ventas.xpd"
"$build/orvane" run examples/sales/ventas.xpd "$@"
