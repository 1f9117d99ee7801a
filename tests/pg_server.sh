#!/bin/sh
# A throwaway PostgreSQL server for the tests: a temporary cluster on a Unix socket, no TCP port.
#
#   tests/pg_server.sh start STATE   prints the connection URL to use (and nothing else on stdout)
#   tests/pg_server.sh stop STATE    stops the server and removes its cluster
#   tests/pg_server.sh restart STATE restarts it, as an administrator would (for the tests of
#                                    lost connections)
#
# STATE is a file where start notes the cluster's folder for stop. When TALVERO_PG_URL is set,
# start prints it and starts nothing, and stop leaves that server alone: a test run only ever
# stops a server it started.
#
# The server runs with fsync=off, for the speed of the tests. With TALVERO_PG_DURABLE=1 at start
# (make bench), it syncs every commit to the disk as a production server does, so that the
# benchmarks time durable writes; a restart keeps the choice made at start.
set -eu

action=${1:-}
state=${2:-}
if [ -z "$action" ] || [ -z "$state" ]; then
  echo "usage: $0 start|stop|restart STATE_FILE" >&2
  exit 2
fi

bindir=${PG_BINDIR:-}
if [ -z "$bindir" ]; then
  bindir=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)
fi

# initdb refuses to run as root: the cluster then belongs to the unprivileged postgres account.
as_owner() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u postgres -- "$@"
  else
    "$@"
  fi
}

start() {
  if [ -n "${TALVERO_PG_URL:-}" ]; then
    rm -f "$state"
    echo "$TALVERO_PG_URL"
    return
  fi
  if [ ! -x "$bindir/initdb" ]; then
    echo "pg_server: no PostgreSQL server programs found (install postgresql)" >&2
    exit 1
  fi
  dir=$(mktemp -d "${TMPDIR:-/tmp}/talvero-pg-XXXXXX")
  chmod 700 "$dir"
  [ "$(id -u)" -eq 0 ] && chown postgres: "$dir"
  echo "$dir" >"$state"
  fsync=off
  [ "${TALVERO_PG_DURABLE:-}" = 1 ] && fsync=on
  echo "$fsync" >"$dir/fsync"
  as_owner "$bindir/initdb" -D "$dir/data" -U talvero --auth=trust --encoding=UTF8 --locale=C \
    >"$dir/initdb.log" 2>&1 || { cat "$dir/initdb.log" >&2; stop; exit 1; }
  run_server start || { cat "$dir/server.log" >&2; stop; exit 1; }
  echo "postgresql:///postgres?host=$dir&user=talvero"
}

# Only the socket in the cluster's own folder: nothing else on the machine can reach it.
run_server() {
  as_owner "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 -m fast \
    -o "-c listen_addresses= -k $dir -c fsync=$(cat "$dir/fsync") -c synchronous_commit=on" \
    "$1" >/dev/null
}

restart() {
  [ -f "$state" ] || { echo "pg_server: this run started no server" >&2; exit 1; }
  dir=$(cat "$state")
  run_server restart
}

stop() {
  [ -f "$state" ] || return 0
  dir=$(cat "$state")
  if [ -n "$dir" ] && [ -d "$dir/data" ] && [ -f "$dir/data/postmaster.pid" ]; then
    as_owner "$bindir/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null || true
  fi
  case "$dir" in
    */talvero-pg-*) rm -rf "$dir" ;;
  esac
  rm -f "$state"
}

case "$action" in
  start) start ;;
  stop) stop ;;
  restart) restart ;;
  *) echo "usage: $0 start|stop|restart STATE_FILE" >&2; exit 2 ;;
esac
