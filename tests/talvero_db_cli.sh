#!/bin/sh
# talvero_db_cli.sh TALVERO_DB: talvero-db as a new user tries it, on a fresh embedded store and,
# when TALVERO_PG_URL names a server, on a fresh schema of that server (dropped afterwards).
tool=$1
work=$(mktemp -d)
schema=talvero_cli_$$
failures=0
cleanup() {
  [ -n "${TALVERO_PG_URL:-}" ] && psql -q "$TALVERO_PG_URL" -c "DROP SCHEMA IF EXISTS $schema CASCADE" \
    >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT

# status WANTED COMMAND...: runs it, output in $work/out and $work/err.
status() {
  wanted=$1
  shift
  "$@" >"$work/out" 2>"$work/err"
  got=$?
  if [ "$got" != "$wanted" ]; then
    echo "FAIL ($got, not $wanted): $*" >&2
    cat "$work/err" >&2
    failures=$((failures + 1))
  fi
}
same() {
  if [ "$1" != "$2" ]; then
    printf 'FAIL: %s\n  expected: %s\n  found:    %s\n' "$3" "$2" "$1" >&2
    failures=$((failures + 1))
  fi
}

records='COMPTEUR 999 "^^041"
RUBSAISIE 003 "SALAIRE DE BASE^0^^0^+^1^^0^^0^^^^^^^^^^^^^0"
RUBSAISIE 014 "PRIME]MULTIPLE^A\\B"'

try_on() {
  db=$1
  status 0 "$tool" --db "$db" create
  status 1 "$tool" --db "$db" create
  printf '%s\nRUBSAISIE 015 "X"\nAUTRE 016 "X"\n' "$records" | status 1 "$tool" --db "$db" import
  same "$(cat "$work/err")" "talvero-db: ligne 5 : Le fichier AUTRE n'existe pas. Rien n'a été importé." \
    "a refused line names its number and nothing is imported"
  printf '# catalogue\n\n%s\n' "$records" | status 0 "$tool" --db "$db" import
  status 0 "$tool" --db "$db" export
  same "$(cat "$work/out")" "$records" "export gives back what import read"
  status 0 "$tool" query --db "$db" 'SSELECT RUBSAISIE AVEC 1 = "PRIME]" PAR 1' "0 1 2"
  same "$(cat "$work/out")" '014]PRIME\MULTIPLE]A\B' "query prints rows in the notation"
  status 1 "$tool" --db "$db" query 'SSELECT RUBSAISIE AVEC 1 = "PRIME'
  printf 'RUBSAISIE 003 "SALAIRE^0^^0^+^1^^0^^0^^^^^^^^^^^^^0"\n' | status 0 "$tool" --db "$db" import
  status 0 "$tool" --db "$db" restore RUBSAISIE 003 1
  status 0 "$tool" --db "$db" history RUBSAISIE 003
  same "$(cut -f1,5 "$work/out" | tr "\t" " " | cut -c1-18)" "1 \"SALAIRE DE BASE
2 \"SALAIRE^0^^0^+^
3 \"SALAIRE DE BASE" "history lists every version"
  status 1 "$tool" --db "$db" restore RUBSAISIE 003 9
  status 1 "$tool" --db "$db" check
  same "$(cat "$work/out")" "RUBSAISIE 014 : l'écran ne peut pas l'ouvrir : l'attribut 2 (\"A\\B\") n'est pas un code de sa liste." \
    "check finds the item the screen cannot open"
}

status 0 "$tool" --help
for command in create import export query history restore check; do
  status 0 "$tool" "$command" --help
done
status 2 "$tool"
status 2 "$tool" frobnicate
status 2 "$tool" restore RUBSAISIE 003
status 1 "$tool" --db "$work/absent.db" export

try_on "$work/store.db"
if [ -n "${TALVERO_PG_URL:-}" ]; then
  psql -q "$TALVERO_PG_URL" -c "CREATE SCHEMA $schema" >/dev/null || failures=$((failures + 1))
  case "$TALVERO_PG_URL" in
    *\?*) url="$TALVERO_PG_URL&options=-csearch_path%3D$schema" ;;
    *) url="$TALVERO_PG_URL?options=-csearch_path%3D$schema" ;;
  esac
  try_on "$url"
fi
[ "$failures" = 0 ]
