#!/usr/bin/env bash
# Starts or stops a throwaway PostgreSQL 15 server on 127.0.0.1 for the ODBC
# tests, and writes the ODBC driver configuration they use. Run as root: the
# server itself runs as the postgres user in a private folder.
#
#   pg-server.sh start   prints the exports the tests need (eval them)
#   pg-server.sh stop
set -euo pipefail
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
dir=${ORVANE_PG_DIR:-/tmp/orvane-pg}
port=${ORVANE_PG_PORT:-54329}
password=orvane-test-secret

start() {
  [ -n "$bin" ] || { echo "pg-server: PostgreSQL is not installed" >&2; exit 1; }
  stop >/dev/null 2>&1 || true
  rm -rf "$dir"
  mkdir -p "$dir"
  chown postgres:postgres "$dir"
  printf '%s\n' "$password" > "$dir/pwfile"
  chown postgres:postgres "$dir/pwfile"
  su postgres -s /bin/sh -c "$bin/initdb -D $dir/data -U postgres --auth-local=trust --auth-host=md5 -E UTF8 --locale=C.UTF-8 --pwfile=$dir/pwfile" \
    > "$dir/initdb.log" 2>&1
  rm -f "$dir/pwfile"
  su postgres -s /bin/sh -c "$bin/pg_ctl -D $dir/data -l $dir/server.log -o \"-c listen_addresses=127.0.0.1 -p $port -k $dir\" -w start" > /dev/null
  su postgres -s /bin/sh -c "$bin/psql -h $dir -p $port -U postgres -c 'CREATE DATABASE orvane_test'" > /dev/null

  # Private ODBC configuration: Debian's driver template turns on a
  # communication log under /tmp that can hold connection details.
  local odbc=$dir/odbc
  mkdir -p "$odbc"
  local pglib sqlitelib
  pglib=$(find /usr/lib -name psqlodbcw.so 2>/dev/null | head -1)
  sqlitelib=$(find /usr/lib -name libsqlite3odbc.so 2>/dev/null | head -1)
  cat > "$odbc/odbcinst.ini" <<INI
[PostgreSQL Unicode]
Description=PostgreSQL ODBC driver (Unicode)
Driver=$pglib
CommLog=0
Debug=0

[SQLite3]
Description=SQLite3 ODBC driver
Driver=$sqlitelib
INI
  # SQL Server and Access cannot run here; their drivers still take part.
  local lib
  for entry in "FreeTDS:libtdsodbc.so" "MDBTools:libmdbodbc.so"; do
    lib=$(find /usr/lib -name "${entry#*:}" 2>/dev/null | head -1)
    if [ -n "$lib" ]; then printf '\n[%s]\nDriver=%s\n' "${entry%%:*}" "$lib" >> "$odbc/odbcinst.ini"; fi
  done
  : > "$odbc/odbc.ini"
  chmod 755 "$dir"
  echo "export ODBCSYSINI=$odbc"
  echo "export ODBCINI=$odbc/odbc.ini"
  echo "export ORVANE_TEST_PG='Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=$port;Database=orvane_test;'"
  echo "export ORVANE_TEST_PG_USER=postgres"
  echo "export ORVANE_TEST_PG_PASSWORD=$password"
  echo "export ORVANE_TEST_PG_OLEDB='Provider=PostgreSQL OLE DB Provider;Data Source=127.0.0.1;Location=orvane_test;Extended Properties=\"PORT=$port\";'"
  echo "export ORVANE_TEST_PG_OLEDB_USER=postgres"
  echo "export ORVANE_TEST_PG_OLEDB_PASSWORD=$password"
}

stop() {
  if [ -f "$dir/data/postmaster.pid" ]; then
    kill -TERM "$(head -1 "$dir/data/postmaster.pid")" 2>/dev/null || true
    for _ in $(seq 50); do [ -f "$dir/data/postmaster.pid" ] || break; sleep 0.1; done
  fi
  rm -rf "$dir"
}

case "${1:-}" in
  start) start ;;
  stop) stop ;;
  *) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
