#!/usr/bin/env bash
# Builds the example sales report: the SQLite database examples/sales/ventas.db
# from ventas.sql, and the package examples/sales/ventas.xpd from ventas.xml
# with its picture and text resources. Both are generated files (not kept in
# git). The report's connection strings name the database by a path relative
# to the definition, so reports run from any folder.
#
# Usage: scripts/build-example.sh [path/to/orvane]   (default: build/orvane)
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
orvane="${1:-$root/build/orvane}"
dir="$root/examples/sales"

if [ ! -x "$orvane" ]; then
  echo "build-example: $orvane not found; build the project first or pass the orvane binary" >&2
  exit 1
fi

# Built aside and moved into place, so a failed run leaves no half database.
rm -f "$dir/ventas.db.new"
if command -v sqlite3 >/dev/null; then
  sqlite3 -bail "$dir/ventas.db.new" < "$dir/ventas.sql"
else
  python3 -c 'import sqlite3, sys; c = sqlite3.connect(sys.argv[1]); c.executescript(open(sys.argv[2], encoding="utf-8").read()); c.close()' \
    "$dir/ventas.db.new" "$dir/ventas.sql"
fi
mv -f "$dir/ventas.db.new" "$dir/ventas.db"

cd "$root"
"$orvane" pack examples/sales/ventas.xml -o examples/sales/ventas.xpd \
  --picture logo=examples/sales/logo.png --text pie=examples/sales/pie.txt

echo "build-example: wrote examples/sales/ventas.db and examples/sales/ventas.xpd"
