#!/usr/bin/env bash
# Starts or stops a throwaway MariaDB server on 127.0.0.1 for the ODBC tests,
# reached through MariaDB Connector/ODBC with a MySQL-provider OLE DB string.
# Run as root. When ODBCSYSINI names a private driver configuration (as
# pg-server.sh writes one), the MariaDB driver is added to it.
#
#   mariadb-server.sh start   prints the exports the tests need (eval them)
#   mariadb-server.sh stop
set -euo pipefail
dir=${ORVANE_MARIADB_DIR:-/tmp/orvane-mariadb}
port=${ORVANE_MARIADB_PORT:-33069}
password=orvane-maria-secret

start() {
  command -v mariadbd > /dev/null || { echo "mariadb-server: MariaDB is not installed" >&2; exit 1; }
  stop > /dev/null 2>&1 || true
  rm -rf "$dir"
  mkdir -p "$dir"
  mariadb-install-db --no-defaults --datadir="$dir/data" --auth-root-authentication-method=normal \
    --skip-test-db > "$dir/install.log" 2>&1
  mariadbd --no-defaults --datadir="$dir/data" --socket="$dir/sock" --port="$port" --bind-address=127.0.0.1 \
    --user=root --skip-log-bin --pid-file="$dir/pid" > "$dir/server.log" 2>&1 &
  for _ in $(seq 100); do [ -S "$dir/sock" ] && break; sleep 0.1; done
  [ -S "$dir/sock" ] || { echo "mariadb-server: the server did not start (see $dir/server.log)" >&2; exit 1; }
  mariadb --no-defaults -S "$dir/sock" -uroot -e "CREATE DATABASE orvane_test;
    CREATE USER 'orvane'@'127.0.0.1' IDENTIFIED BY '$password';
    GRANT ALL ON orvane_test.* TO 'orvane'@'127.0.0.1';"

  if [ -n "${ODBCSYSINI:-}" ] && [ -f "$ODBCSYSINI/odbcinst.ini" ] &&
     ! grep -q '^\[MariaDB Unicode\]' "$ODBCSYSINI/odbcinst.ini"; then
    local lib
    lib=$(find /usr/lib -name libmaodbc.so 2>/dev/null | head -1)
    printf '\n[MariaDB Unicode]\nDescription=MariaDB Connector/ODBC\nDriver=%s\n' "$lib" >> "$ODBCSYSINI/odbcinst.ini"
  fi
  echo "export ORVANE_TEST_MARIADB='Provider=MySQLProv;Data Source=127.0.0.1;Port=$port;Initial Catalog=orvane_test;'"
  echo "export ORVANE_TEST_MARIADB_USER=orvane"
  echo "export ORVANE_TEST_MARIADB_PASSWORD=$password"
}

stop() {
  if [ -f "$dir/pid" ]; then
    local pid
    pid=$(cat "$dir/pid")
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  fi
  rm -rf "$dir"
}

case "${1:-}" in
  start) start ;;
  stop) stop ;;
  *) echo "usage: $0 start|stop" >&2; exit 2 ;;
esac
