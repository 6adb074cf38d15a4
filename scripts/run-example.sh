#!/usr/bin/env bash
# The main job on the example: installs what is missing, builds the project,
# builds the example sales database and package, and shows the packaged
# report (its tree and its definition XML). Run as root on a fresh machine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ORVANE_BUILD_DIR:-$root/build}

bash "$root/scripts/install-deps.sh" >/dev/null
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j"$(nproc)" --target orvane >/dev/null
bash "$root/scripts/build-example.sh" "$build/orvane"

cd "$root"
echo "== orvane show --detailed examples/sales/ventas.xpd"
"$build/orvane" show --detailed examples/sales/ventas.xpd
echo "== orvane xml examples/sales/ventas.xpd"
"$build/orvane" xml examples/sales/ventas.xpd
