#!/usr/bin/env bash
# Builds the Debian packages as a packager would (a build for /usr, cpack -G
# DEB) and checks them without installing them on this machine:
#   - lintian reports no error (its warnings are printed);
#   - dpkg-deb --contents: each package holds what it is for, with its
#     copyright file and changelog, and its dependencies name our own;
#   - the designer's desktop entry passes desktop-file-validate, its file type
#     is well-formed XML that update-mime-database maps *.xpd to, as a zip;
#   - the manual pages are installed and man renders them without a warning;
#   - the packages unpack together into a scratch folder and the orvane
#     there runs; apt, simulating, finds all their dependencies.
#
# Usage: scripts/check-packages.sh [BUILD-FOLDER]   (default: build-deb)
# ORVANE_CMAKE_ARGS adds configure options (-DORVANE_BUILD_PYTHON=ON).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-deb}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
fail() { echo "check-packages: $*" >&2; status=1; }

# shellcheck disable=SC2086
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORVANE_WERROR=ON \
  -DCMAKE_INSTALL_PREFIX=/usr -DORVANE_BUILD_TESTS=OFF -DORVANE_BUILD_BENCH=OFF ${ORVANE_CMAKE_ARGS:-} >/dev/null
cmake --build "$build" -j"$(nproc)"
debs=$build/packages
rm -rf "$debs"
(cd "$build" && cpack -G DEB -B "$debs" > "$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; exit 1; }

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
major=${version%%.*}
arch=$(dpkg --print-architecture)
triplet=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
lib=usr/lib/$triplet
python=no
grep -Eiq '^ORVANE_BUILD_PYTHON:[A-Z]+=(ON|TRUE|YES|1)$' "$build/CMakeCache.txt" && python=yes

# package, then the paths (extended regular expressions) it must hold.
expected=(
  "liborvanespt$major" "$lib/libOrvaneSpt\.so\.$major$" "$lib/libOrvaneSpt\.so\.$version$"
  "liborvanespt-dev" "$lib/libOrvaneSpt\.so$" "usr/include/orvanespt/model/Orvane\.h$"
    "usr/include/orvanespt/(platform|data|print)/" "$lib/cmake/OrvaneSpt/OrvaneSptConfig\.cmake$"
    "$lib/cmake/OrvaneSpt/OrvaneSptTargets\.cmake$" "$lib/pkgconfig/orvanespt\.pc$"
  "orvanespt-help" "usr/share/orvanespt/help/orvane\.html$"
  "orvane" "usr/bin/orvane$" "usr/share/man/man1/orvane\.1\.gz$"
  "liborvanesptdesigner$major" "$lib/libOrvaneSptDesigner\.so\.$major$"
  "liborvanesptdesigner-dev" "$lib/libOrvaneSptDesigner\.so$" "usr/include/orvanespt/designer/qt/QtSeams\.h$"
    "$lib/cmake/OrvaneSpt/OrvaneSptDesignerTargets\.cmake$" "$lib/pkgconfig/orvanespt-designer\.pc$"
  "orvane-designer" "usr/bin/orvane-designer$" "usr/share/man/man1/orvane-designer\.1\.gz$"
    "usr/share/applications/orvane-designer\.desktop$" "usr/share/mime/packages/orvane-designer\.xml$"
    "usr/share/icons/hicolor/scalable/apps/orvane-designer\.svg$"
)
for size in 16 32 48 64 128 256; do
  expected+=("usr/share/icons/hicolor/${size}x$size/apps/orvane-designer\.png$")
done
[ $python = yes ] && expected+=("python3-orvanespt" "usr/lib/python3/dist-packages/.*\.so$")
# What each package must depend on, besides what dpkg-shlibdeps finds.
declare -A depends=(
  [liborvanespt-dev]="liborvanespt$major (= $version)"
  [orvane]="liborvanespt$major (= $version)"
  [liborvanesptdesigner$major]="liborvanespt$major (= $version)"
  [liborvanesptdesigner-dev]="liborvanesptdesigner$major (= $version)"
  [orvane-designer]="liborvanesptdesigner$major (= $version)"
  [python3-orvanespt]="liborvanespt$major (= $version)"
)

package=""
for item in "${expected[@]}"; do
  if [[ $item != */* ]]; then
    package=$item
    deb=""
    for f in "$debs/${package}_${version}_"{"$arch",all}.deb; do [ -f "$f" ] && deb=$f; done
    if [ -z "$deb" ]; then fail "no package $package"; continue; fi
    dpkg-deb --contents "$deb" | awk '{print $6}' | sed 's|^\./||' > "$work/$package.list"
    for doc in copyright changelog.gz; do
      grep -qx "usr/share/doc/$package/$doc" "$work/$package.list" || fail "$package has no usr/share/doc/$package/$doc"
    done
    want=${depends[$package]:-}
    if [ -n "$want" ] && ! dpkg-deb --field "$deb" Depends | grep -qF "$want"; then
      fail "$package does not depend on $want: $(dpkg-deb --field "$deb" Depends)"
    fi
    continue
  fi
  [ -f "$work/$package.list" ] && ! grep -Eq "^$item" "$work/$package.list" && fail "$package holds no $item"
done
count=$(find "$debs" -maxdepth 1 -name '*.deb' | wc -l)
packages=$(printf '%s\n' "${expected[@]}" | grep -cv /)
[ "$count" -eq "$packages" ] || fail "$count packages made, $packages expected: $(cd "$debs" && echo *.deb)"
grep -q "^libOrvaneSpt $major liborvanespt$major " <(dpkg-deb --info "$debs/liborvanespt${major}_${version}_$arch.deb" shlibs) ||
  fail "liborvanespt$major has no shlibs entry for libOrvaneSpt.so.$major"

echo "check-packages: lintian on $count packages"
lintian_status=0
lintian --fail-on error --tag-display-limit 0 "$debs"/*.deb > "$work/lintian.log" 2>&1 || lintian_status=$?
grep -v '^running with root privileges' "$work/lintian.log" || true
[ $lintian_status -eq 0 ] || fail "lintian reports errors (status $lintian_status)"

# Everything unpacked together, as apt would install it.
unpacked=$work/root
for deb in "$debs"/*.deb; do dpkg-deb -x "$deb" "$unpacked"; done
desktop-file-validate "$unpacked/usr/share/applications/orvane-designer.desktop" || fail "the desktop entry is not valid"
mime=$unpacked/usr/share/mime
xmllint --noout "$mime/packages/orvane-designer.xml" || fail "the file type is not well-formed XML"
update-mime-database "$mime" 2>/dev/null
grep -q ':\*\.xpd$' "$mime/globs2" || fail "update-mime-database maps no type to *.xpd"
grep -q ' application/zip$' "$mime/subclasses" || fail "the report package type is no kind of application/zip"
type=$(sed -n 's/^[0-9]*:\([^:]*\):\*\.xpd$/\1/p' "$mime/globs2")
grep -q "^MimeType=.*$type;" "$unpacked/usr/share/applications/orvane-designer.desktop" ||
  fail "the desktop entry does not open $type"
for page in "$unpacked"/usr/share/man/man1/*.1.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "man warns on $(basename "$page"): $warnings"
done
LD_LIBRARY_PATH=$unpacked/$lib "$unpacked/usr/bin/orvane" --help > /dev/null || fail "the unpacked orvane does not run"
# apt would find every dependency the packages name (a simulation: nothing is
# installed), when this machine has Debian's package lists.
if [ -n "$(apt-cache policy libc6 | sed -n 's/^ *Candidate: *//p' | grep -v none)" ]; then
  apt-get install --simulate "$debs"/*.deb > "$work/apt.log" 2>&1 ||
    { cat "$work/apt.log"; fail "apt cannot install the packages"; }
fi

[ $status -eq 0 ] && echo "check-packages: $count packages in $debs are fine"
exit $status
