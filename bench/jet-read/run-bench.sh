#!/usr/bin/env bash
# Reading every table of every Access fixture, then of the large sample database in Access
# format: edvara-sql (our engine through the database layer) against Debian's mdb-export,
# as whole runs over all tables. Prints the median wall
# time of each over RUNS alternating runs (default 7, after one warm-up each) and the ratios;
# a ratio below 1 means edvara-sql is faster. edvara-sql is timed twice: one process per
# table, as mdb-export must be run, and one process per file with the statements on
# standard input, as an administrator would use it.
#   bench/jet-read/run-bench.sh [RUNS] [BUILD_DIR]
set -euo pipefail

runs="${1:-7}"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source_dir="$(cd "$here/../.." && pwd)"
build_dir="${2:-$source_dir/build}"
fixtures="${EDVARA_ACCESS_FIXTURES:-$source_dir/../shared/fixtures/access}"
edvara_sql="$build_dir/bin/edvara-sql"
[ -x "$edvara_sql" ] || { echo "run-bench: $edvara_sql fehlt (erst bauen)" >&2; exit 2; }
command -v mdb-export >/dev/null || { echo "run-bench: mdb-export fehlt (Paket mdbtools)" >&2; exit 2; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

now() { date +%s%N; }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

# Lists the tables of the files given as "file<TAB>password" lines on standard input
# into the work folder SET, then times the three readers over them.
measure() {
  local set="$work/$1" title="$2" n=0
  mkdir -p "$set"
  while IFS=$'\t' read -r f password; do
    n=$((n + 1))
    mdb-tables -1 "$f" | while IFS= read -r t; do
      [ -n "$t" ] || continue
      printf '%s\t%s\t%s\n' "$f" "$t" "$password" >>"$set/tables.tsv"
      printf 'select * from [%s]\n' "$t" >>"$set/$n.sql"
    done
    printf '%s\t%s\t%s\n' "$f" "$password" "$set/$n.sql" >>"$set/files.tsv"
  done
  echo "== $title: files: $(wc -l <"$set/files.tsv")  tables: $(wc -l <"$set/tables.tsv")"
  for reader in edvara edvara-per-file mdbtools; do
    "$here/read-all.sh" "$reader" "$set" "$edvara_sql"
  done
  local perTable=() perFile=() theirs=() t0 t1 t2 t3
  for ((i = 0; i < runs; i++)); do
    t0=$(now); "$here/read-all.sh" edvara "$set" "$edvara_sql"
    t1=$(now); "$here/read-all.sh" edvara-per-file "$set" "$edvara_sql"
    t2=$(now); "$here/read-all.sh" mdbtools "$set"
    t3=$(now)
    perTable+=($(((t1 - t0) / 1000)))
    perFile+=($(((t2 - t1) / 1000)))
    theirs+=($(((t3 - t2) / 1000)))
  done
  local a f b
  a=$(printf '%s\n' "${perTable[@]}" | median)
  f=$(printf '%s\n' "${perFile[@]}" | median)
  b=$(printf '%s\n' "${theirs[@]}" | median)
  awk -v a="$a" -v f="$f" -v b="$b" 'BEGIN {
    printf "mdb-export, one run per table:        %8.1f ms\n", b / 1000
    printf "edvara-sql, one run per table:        %8.1f ms  ratio %.2f\n", a / 1000, a / b
    printf "edvara-sql, one run per file (stdin): %8.1f ms  ratio %.2f\n", f / 1000, f / b
  }'
}

# The real files Access wrote.
for f in "$fixtures"/*.mdb "$fixtures"/*.accdb; do
  case "$(basename "$f")" in password*) printf '%s\tpassword\n' "$f" ;; *) printf '%s\ttulvan\n' "$f" ;; esac
done | measure fixtures "Access-Testdateien"

# A school database of realistic size: the large sample in Access format.
sample_tool="$build_dir/bin/edvara-sample"
if [ -x "$sample_tool" ]; then
  "$sample_tool" --out "$work/sample" --large --access >/dev/null
  printf '%s\ttulvan\n%s\ttulvan\n' "$work/sample/Edvara.mdb" "$work/sample/Schulver.mdb" |
    measure sample "große Beispieldatenbank (Access)"
fi
