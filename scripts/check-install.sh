#!/usr/bin/env bash
# Checks the installed library as a host developer meets it. Installs the
# build into a scratch prefix, then:
#   - compiles every installed header alone (included twice, so its guard is
#     tested too) at C++20 with -Wall -Wextra -Wpedantic -Werror, seeing only
#     the prefix through pkg-config's flags: a header that needs one that is
#     not installed fails here;
#   - builds and runs a host through find_package(OrvaneSpt) that asks for
#     C++17 (the package must raise it to C++20) and one through pkg-config at
#     C++23 (the package must not lower it);
#   - when the designer is installed, builds a Qt host through
#     find_package(OrvaneSpt COMPONENTS Designer) and runs it offscreen;
#   - builds the README's host example and runs it on the example package;
#   - when the Python module is installed, imports it from the prefix, finding
#     the installed library without LD_LIBRARY_PATH.
#
# Usage: scripts/check-install.sh [BUILD-FOLDER]   (default: build)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
cxx=${CXX:-g++}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
prefix=$work/prefix
fail() { echo "check-install: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" > "$work/install.log" || { cat "$work/install.log"; exit 1; }
lib=$(find "$prefix" -name 'libOrvaneSpt.so' | head -1)
[ -n "$lib" ] || fail "the install holds no libOrvaneSpt.so"
libdir=$(dirname "$lib")
export LD_LIBRARY_PATH=$libdir${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}
export PKG_CONFIG_PATH=$libdir/pkgconfig
designer=no
[ -e "$libdir/libOrvaneSptDesigner.so" ] && designer=yes

# Every installed header alone, two at a time.
includedir=$(cd "$(pkg-config --variable=includedir orvanespt)" && pwd)
export cxx includedir work
export base_flags="-std=c++20 -Wall -Wextra -Wpedantic -Werror -fsyntax-only $(pkg-config --cflags orvanespt)"
export qt_flags=""
[ $designer = yes ] && qt_flags="-fPIC $(pkg-config --cflags orvanespt-designer)"
find "$prefix/include" -name '*.h' | sort > "$work/headers"
[ -s "$work/headers" ] || fail "no headers installed"
# shellcheck disable=SC2016
xargs -P2 -I{} bash -c '
  header=$1; rel=${header#"$includedir"/}
  flags=$base_flags
  case $rel in */qt/*) [ -n "$qt_flags" ] || exit 0; flags="$base_flags $qt_flags" ;; esac
  log=$work/header-$(echo "$rel" | tr / _).log
  # shellcheck disable=SC2086
  if ! printf "#include <%s>\n#include <%s>\n" "$rel" "$rel" | $cxx $flags -x c++ - > "$log" 2>&1; then
    echo "check-install: $rel does not compile alone:" >&2; head -20 "$log" >&2; exit 255
  fi' _ {} < "$work/headers" || fail "installed headers that do not compile alone"
echo "check-install: $(wc -l < "$work/headers") installed headers compile alone"

# The CMake host, built as a user would, asking for C++17.
cmake_args=(-DCMAKE_PREFIX_PATH="$prefix" -DORVANE_HOST_DESIGNER=$designer)
cmake -S "$root/tests/install" -B "$work/cmake-host" -G Ninja "${cmake_args[@]}" > "$work/host.log" 2>&1 ||
  { cat "$work/host.log"; fail "the CMake host does not configure"; }
cmake --build "$work/cmake-host" >> "$work/host.log" 2>&1 || { cat "$work/host.log"; fail "the CMake host does not build"; }
"$work/cmake-host/orvane_host" || fail "the CMake host failed (status $?)"
if [ $designer = yes ]; then
  mkdir -m 700 "$work/xdg"
  XDG_RUNTIME_DIR=$work/xdg QT_QPA_PLATFORM=offscreen "$work/cmake-host/orvane_designer_host" || fail "the Qt host failed (status $?)"
fi

# The pkg-config host, at C++23.
# shellcheck disable=SC2046
"$cxx" -std=c++23 -DORVANE_HOST_MIN_CPLUSPLUS=202100L -o "$work/pc-host" "$root/tests/install/host.cpp" \
  $(pkg-config --cflags --libs orvanespt) || fail "the pkg-config host does not build"
"$work/pc-host" || fail "the pkg-config host failed (status $?)"
# The README's host, from its text, through pkg-config; run on a copy of the
# example package when the build has orvane to make it (its save goes to the
# scratch folder instead of /tmp).
awk '/^## A host in a few lines/ {f = 1} f && /^```cpp/ {g = 1; next} g && /^```/ {exit} g' "$root/README.md" |
  sed 's|"/tmp/|"|' > "$work/readme-host.cpp"
[ -s "$work/readme-host.cpp" ] || fail "the README's host example was not found"
# shellcheck disable=SC2046
"$cxx" -std=c++20 -o "$work/readme-host" "$work/readme-host.cpp" $(pkg-config --cflags --libs orvanespt) ||
  fail "the README's host does not build"
readme_run=""
if [ -x "$build/orvane" ]; then
  cmake --build "$build" --target example > "$work/example.log" 2>&1 || { cat "$work/example.log"; fail "no example package"; }
  mkdir -p "$work/run/examples/sales"
  cp "$root/examples/sales/ventas.xpd" "$root/examples/sales/ventas.db" "$work/run/examples/sales/"
  (cd "$work/run" && "$work/readme-host" > "$work/readme-host.out") || fail "the README's host failed (status $?)"
  readme_run=" and ran"
fi
echo "check-install: the README's host built$readme_run"

# The Python module: the prefix's dist-packages, and the library it links
# found from the module's own folder.
python_host=""
pydir=$prefix/lib/python3/dist-packages
if [ -d "$pydir/orvanespt" ]; then
  for f in __init__.py __init__.pyi py.typed; do [ -e "$pydir/orvanespt/$f" ] || fail "the Python module lacks $f"; done
  env -u LD_LIBRARY_PATH PYTHONPATH="$pydir" python3 -c '
import sys, orvanespt
assert orvanespt.__file__.startswith(sys.argv[1]), orvanespt.__file__
rpt = orvanespt.from_xml("<Orvane Name=\"x\"/>")
assert rpt.name == "x" and not rpt.is_dirty' "$pydir" || fail "the installed Python module does not import"
  python_host=", and the Python module imported"
fi

qt_host=""
[ $designer = yes ] && qt_host=", and the Qt host"
echo "check-install: find_package and pkg-config hosts built and ran$qt_host$python_host"
