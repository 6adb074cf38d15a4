#!/usr/bin/env bash
# Compares what the built libOrvaneSpt.so exports (demangled, sorted) with
# abi/OrvaneSpt.symbols and fails on any difference, printing it. After a
# change to the public API, decide the version with abi/README.md, then run
# this script with --update and commit the new list.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
update=0
if [ "${1:-}" = "--update" ]; then update=1; shift; fi
build=${1:-$root/build}
list=$root/abi/OrvaneSpt.symbols

# The library the link name points at: a build folder that outlived a version
# change still holds the older ones.
lib=$(readlink -f "$build/libOrvaneSpt.so" 2>/dev/null || true)
[ -n "$lib" ] && [ -f "$lib" ] || { echo "check-abi: no libOrvaneSpt.so in $build; build the OrvaneSpt target first" >&2; exit 1; }
current=$(mktemp)
trap 'rm -f "$current"' EXIT
# Defined dynamic symbols, without the address and type columns.
nm -D --defined-only -C "$lib" | cut -d' ' -f3- | LC_ALL=C sort -u > "$current"

if [ "$update" -eq 1 ]; then
  cp "$current" "$list"
  echo "check-abi: $list updated ($(wc -l < "$list") symbols)"
  exit 0
fi
if bad=$(grep -E '(^|[^[:alnum:]_])(detail|designer)::' "$current"); then
  echo "check-abi: internal symbols are exported:" >&2
  echo "$bad" >&2
  exit 1
fi
if ! diff -u "$list" "$current" >&2; then
  cat >&2 <<MSG
check-abi: the library's exported symbols differ from abi/OrvaneSpt.symbols
(- gone, + new). If the change is meant, read abi/README.md for the version
the change needs, then run: bash scripts/check-abi.sh --update ${1:-}
and commit abi/OrvaneSpt.symbols with it.
MSG
  exit 1
fi
echo "check-abi: $(wc -l < "$list") exported symbols, as listed"
