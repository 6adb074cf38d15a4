#!/usr/bin/env bash
# Installs the built library into a scratch prefix and builds a tiny host
# program against it twice: through find_package(OrvaneSpt) and through
# pkg-config. Each host is run to prove it loads and works.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix

cmake --install "$build" --prefix "$prefix" > "$work/install.log" || { cat "$work/install.log"; exit 1; }
libdir=$(dirname "$(find "$prefix" -name 'libOrvaneSpt.so' | head -1)")
export LD_LIBRARY_PATH=$libdir${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}

cmake -S "$root/tests/install" -B "$work/cmake-host" -G Ninja -DCMAKE_PREFIX_PATH="$prefix" > "$work/host.log"
cmake --build "$work/cmake-host" >> "$work/host.log" || { cat "$work/host.log"; exit 1; }
"$work/cmake-host/orvane_host" || { echo "check-install: the CMake host failed (status $?)" >&2; exit 1; }

export PKG_CONFIG_PATH=$libdir/pkgconfig
# shellcheck disable=SC2046
g++ -o "$work/pc-host" "$root/tests/install/host.cpp" $(pkg-config --cflags --libs orvanespt)
"$work/pc-host" || { echo "check-install: the pkg-config host failed (status $?)" >&2; exit 1; }
echo "check-install: find_package and pkg-config hosts built and ran"
