#!/bin/sh
# The PostgreSQL server that one ctest run shares among the test programs
# (its fixture "postgres"): `start FILE` makes a throwaway server in a fresh
# temporary folder, listening only on a Unix socket there, and writes the
# socket folder and port to FILE; `stop FILE` stops that server at once and
# removes its folder and FILE. Each test makes a database of its own on it
# (tests/support/PostgresServer.cpp). Without Debian's server programs,
# start writes no FILE and the tests start their own server or skip.
set -eu
action=$1
state=$2

stop() {
  [ -f "$state" ] || return 0
  dir=$(sed -n 1p "$state")
  bin=$(sed -n 3p "$state")
  as=""
  [ "$(id -u)" -eq 0 ] && as="runuser -u postgres --"
  if [ -d "$dir/data" ]; then
    $as "$bin/pg_ctl" -D "$dir/data" -m immediate stop >/dev/null 2>&1 || true
  fi
  case $dir in
    /tmp/blastsearch_pg_*) rm -rf "$dir" ;;
  esac
  rm -f "$state"
}

case $action in
  stop)
    stop
    exit 0
    ;;
  start) ;;
  *)
    echo "usage: $0 start|stop FILE" >&2
    exit 2
    ;;
esac

stop
bin=""
for candidate in /usr/lib/postgresql/*/bin; do
  [ -x "$candidate/initdb" ] && [ -x "$candidate/pg_ctl" ] && bin=$candidate
done
if [ -z "$bin" ]; then
  echo "no PostgreSQL server programs in /usr/lib/postgresql: no shared server"
  exit 0
fi
dir=$(mktemp -d /tmp/blastsearch_pg_XXXXXX)
as=""
if [ "$(id -u)" -eq 0 ]; then
  # The server refuses to run as root.
  chown postgres: "$dir"
  as="runuser -u postgres --"
fi
port=$((20000 + $$ % 30000))
if ! $as "$bin/initdb" -D "$dir/data" -U bs_admin -A trust -E SQL_ASCII --locale=C --no-sync \
  >"$dir/initdb.log" 2>&1; then
  echo "initdb failed:" >&2
  cat "$dir/initdb.log" >&2
  rm -rf "$dir"
  exit 1
fi
if ! $as "$bin/pg_ctl" -D "$dir/data" \
  -o "-c listen_addresses='' -k $dir -p $port -c fsync=off -c max_connections=200" \
  -l "$dir/server.log" -w -t 120 start >/dev/null 2>&1; then
  echo "the server did not start:" >&2
  cat "$dir/server.log" >&2
  rm -rf "$dir"
  exit 1
fi
printf '%s\n%s\n%s\n' "$dir" "$port" "$bin" >"$state.part"
mv "$state.part" "$state"
echo "shared test server in $dir, port $port"
