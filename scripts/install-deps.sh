#!/usr/bin/env bash
# Installs every Debian package the build, the tests, the example and the
# benchmarks need. Safe to run again: apt-get skips what is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config ccache git
  libpugixml-dev libexpat1-dev libzip-dev zip unzip libxxhash-dev
  libsqlite3-dev sqlite3
  unixodbc unixodbc-dev odbc-postgresql libsqliteodbc
  postgresql mariadb-server odbc-mariadb tdsodbc odbc-mdbtools
  libcli11-dev nlohmann-json3-dev
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  python3 python3-dev pybind11-dev python3-pytest doxygen
  qt6-base-dev qt6-translations-l10n fonts-dejavu-core
  clang libclang-rt-14-dev
  dpkg-dev fakeroot lintian desktop-file-utils libxml2-utils shared-mime-info man-db
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "install-deps: run as root (apt-get) to install: ${missing[*]}" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
