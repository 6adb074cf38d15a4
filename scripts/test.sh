#!/usr/bin/env bash
# Builds the library, the command-line host, the example and every test
# program, then runs all tests. On a fresh Debian 12 machine run it as root:
# it installs the packages it needs first, and starts a throwaway PostgreSQL
# server and a throwaway MariaDB server on 127.0.0.1 for the ODBC tests
# (stopped again at the end).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${ORVANE_BUILD_DIR:-$root/build}
jobs=$(nproc)

bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_WERROR=ON -DORVANE_BUILD_PYTHON=ON ${ORVANE_CMAKE_ARGS:-}
cmake --build "$build" -j"$jobs"

stops=()
trap 'for s in "${stops[@]}"; do bash "$root/scripts/$s" stop || true; done' EXIT
if [ "$(id -u)" -eq 0 ] && [ -z "${ORVANE_TEST_PG:-}" ]; then
  export ORVANE_PG_DIR=${ORVANE_PG_DIR:-/tmp/orvane-pg-$$}
  stops+=(pg-server.sh)
  eval "$(bash "$root/scripts/pg-server.sh" start)"
fi
if [ "$(id -u)" -eq 0 ] && [ -z "${ORVANE_TEST_MARIADB:-}" ]; then
  export ORVANE_MARIADB_DIR=${ORVANE_MARIADB_DIR:-/tmp/orvane-mariadb-$$}
  stops+=(mariadb-server.sh)
  eval "$(bash "$root/scripts/mariadb-server.sh" start)"
fi
ctest --test-dir "$build" --output-on-failure -j"$jobs"
