#!/bin/sh
# replay_on_server.sh TALVERO_REPLAY FILE.scn: plays the file on a fresh store of its own on the
# PostgreSQL server named by TALVERO_PG_URL; exit 77 (skipped) when no server is named.
[ -n "${TALVERO_PG_URL:-}" ] || exit 77
exec "$1" --server "$TALVERO_PG_URL" "$2"
