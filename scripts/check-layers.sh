#!/usr/bin/env bash
# Keeps the layers pointing one way: platform/ includes nothing of ours but
# platform/, and no file outside the Qt designer includes a Qt header.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
fail=0
if grep -rnE '#include\s+"(model|data|print|designer)/' platform/ ; then
  echo "check-layers: platform/ must not include the other layers" >&2
  fail=1
fi
dirs=()
for d in platform model data print designer cli; do [ -d "$d" ] && dirs+=("$d"); done
if grep -rnE '#include\s+<Q[A-Za-z]*(/|>)' --include='*.h' --include='*.cpp' "${dirs[@]}" \
    | grep -v '^designer/qt/' ; then
  echo "check-layers: Qt headers belong to designer/qt/ only" >&2
  fail=1
fi
exit $fail
