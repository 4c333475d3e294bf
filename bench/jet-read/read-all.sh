#!/usr/bin/env bash
# Reads every table listed in LIST (lines "file<TAB>table<TAB>password") with one reader,
# sending the rows to /dev/null: READER is "edvara" (edvara-sql at EDVARA_SQL) or "mdbtools".
set -euo pipefail
reader="$1"
list="$2"
edvara_sql="${3:-}"
while IFS=$'\t' read -r file table password; do
  if [ "$reader" = edvara ]; then
    "$edvara_sql" --read-only --password "$password" "$file" "select * from [$table]" >/dev/null
  else
    mdb-export -D '%Y-%m-%d %H:%M:%S' -T '%Y-%m-%d %H:%M:%S' -b hex "$file" "$table" >/dev/null
  fi
done <"$list"
