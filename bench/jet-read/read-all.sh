#!/usr/bin/env bash
# Reads every table of the work folder WORK (made by run-bench.sh: tables.tsv with lines
# "file<TAB>table<TAB>password", files.tsv with "file<TAB>password<TAB>statements file")
# with one reader, sending the rows to /dev/null. READER:
#   edvara            one edvara-sql run per table (as mdb-export must be run)
#   edvara-per-file   one edvara-sql run per file, its tables' statements on standard input
#   mdbtools          one mdb-export run per table
# With a fourth argument N, the edvara and mdbtools readers read only the first table of
# tables.tsv, N times over, one fresh process each time (the cost of one table's read).
set -euo pipefail
reader="$1"
work="$2"
edvara_sql="${3:-}"
repeat="${4:-}"
tables() {
  if [ -n "$repeat" ]; then
    local first
    first="$(head -n 1 "$work/tables.tsv")"
    for ((k = 0; k < repeat; k++)); do printf '%s\n' "$first"; done
  else
    cat "$work/tables.tsv"
  fi
}
case "$reader" in
edvara)
  tables | while IFS=$'\t' read -r file table password; do
    "$edvara_sql" --read-only --password "$password" "$file" "select * from [$table]" >/dev/null
  done
  ;;
edvara-per-file)
  while IFS=$'\t' read -r file password statements; do
    "$edvara_sql" --read-only --password "$password" "$file" <"$statements" >/dev/null
  done <"$work/files.tsv"
  ;;
mdbtools)
  tables | while IFS=$'\t' read -r file table password; do
    mdb-export -D '%Y-%m-%d %H:%M:%S' -T '%Y-%m-%d %H:%M:%S' -b hex "$file" "$table" >/dev/null
  done
  ;;
*)
  echo "read-all: unbekannter Leser $reader" >&2
  exit 2
  ;;
esac
