#!/usr/bin/env bash
# Reading every table of every Access fixture: edvara-sql (our engine through the database
# layer) against Debian's mdb-export, as whole runs over all tables. Prints the median wall
# time of each over RUNS alternating runs (default 7, after one warm-up each) and their ratio;
# a ratio below 1 means edvara-sql is faster.
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

list="$(mktemp)"
trap 'rm -f "$list"' EXIT
for f in "$fixtures"/*.mdb "$fixtures"/*.accdb; do
  password=tulvan
  case "$(basename "$f")" in password*) password=password ;; esac
  mdb-tables -1 "$f" | while IFS= read -r t; do
    [ -n "$t" ] && printf '%s\t%s\t%s\n' "$f" "$t" "$password"
  done
done >"$list"
echo "tables: $(wc -l <"$list")"

now() { date +%s%N; }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

"$here/read-all.sh" edvara "$list" "$edvara_sql"
"$here/read-all.sh" mdbtools "$list"
ours=()
theirs=()
for ((i = 0; i < runs; i++)); do
  t0=$(now); "$here/read-all.sh" edvara "$list" "$edvara_sql"; t1=$(now)
  "$here/read-all.sh" mdbtools "$list"; t2=$(now)
  ours+=($(((t1 - t0) / 1000)))
  theirs+=($(((t2 - t1) / 1000)))
done
a=$(printf '%s\n' "${ours[@]}" | median)
b=$(printf '%s\n' "${theirs[@]}" | median)
awk -v a="$a" -v b="$b" 'BEGIN {
  printf "edvara-sql: %.1f ms  mdb-export: %.1f ms  ratio edvara-sql/mdb-export: %.2f\n", a / 1000, b / 1000, a / b
}'
