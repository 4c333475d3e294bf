#!/usr/bin/env bash
# Reading Access tables: edvara-sql (our engine through the database layer) against
# Debian's mdb-export, side by side in the same script run. Prints the median wall time of
# each over RUNS alternating runs (default 7, after one warm-up each) and the ratios; a
# ratio below 1 means edvara-sql is faster.
#
# 1. One table, fresh processes: the same table read N times, one process each time, for
#    a small table of a fixture and a small, a middle and the largest table of the large
#    sample; the time of one process. This is how scripts call such tools.
# 2. Every table of every Access fixture, then of the large sample database in Access
#    format, as whole runs: edvara-sql one process per table (as mdb-export must be run)
#    and one process per file with the statements on standard input.
#
# With BASELINE_BUILD_DIR, that build's edvara-sql is timed alongside (before/after).
#   bench/jet-read/run-bench.sh [RUNS] [BUILD_DIR] [BASELINE_BUILD_DIR]
set -euo pipefail

runs="${1:-7}"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source_dir="$(cd "$here/../.." && pwd)"
build_dir="${2:-$source_dir/build}"
baseline_dir="${3:-}"
fixtures="${EDVARA_ACCESS_FIXTURES:-$source_dir/../shared/fixtures/access}"
edvara_sql="$build_dir/bin/edvara-sql"
[ -x "$edvara_sql" ] || { echo "run-bench: $edvara_sql fehlt (erst bauen)" >&2; exit 2; }
baseline_sql=""
if [ -n "$baseline_dir" ]; then
  baseline_sql="$baseline_dir/bin/edvara-sql"
  [ -x "$baseline_sql" ] || { echo "run-bench: $baseline_sql fehlt" >&2; exit 2; }
fi
command -v mdb-export >/dev/null || { echo "run-bench: mdb-export fehlt (Paket mdbtools)" >&2; exit 2; }

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

now() { date +%s%N; }
median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }

# Times the readers given as "label<TAB>command..." lines (each command is run as is,
# RUNS times after one warm-up, alternating with the others) and prints the median of
# each with its ratio to the first, divided by DIVISOR (the work of one run).
time_readers() {
  local divisor="$1" unit="$2"; shift 2
  local -a labels=() commands=()
  local line
  for line in "$@"; do
    labels+=("${line%%$'\t'*}")
    commands+=("${line#*$'\t'}")
  done
  local n=${#commands[@]} i r t0 t1
  for ((i = 0; i < n; i++)); do eval "${commands[i]}"; done
  local -a samples=()
  for ((i = 0; i < n; i++)); do samples[i]=""; done
  for ((r = 0; r < runs; r++)); do
    for ((i = 0; i < n; i++)); do
      t0=$(now); eval "${commands[i]}"; t1=$(now)
      samples[i]+="$(((t1 - t0) / 1000)) "
    done
  done
  local base=""
  for ((i = 0; i < n; i++)); do
    local m
    m=$(printf '%s\n' ${samples[i]} | median)
    [ -n "$base" ] || base="$m"
    awk -v l="${labels[i]}" -v m="$m" -v b="$base" -v d="$divisor" -v u="$unit" -v first="$i" 'BEGIN {
      if (first == 0) printf "%-44s %9.2f ms %s\n", l, m / 1000 / d, u
      else printf "%-44s %9.2f ms %s  ratio %.2f\n", l, m / 1000 / d, u, m / b
    }'
  done
}

# One table read again and again, one fresh process each time.
measure_one() {
  local file="$1" table="$2" password="$3" times="$4" title="$5"
  local set="$work/one-$RANDOM"
  mkdir -p "$set"
  printf '%s\t%s\t%s\n' "$file" "$table" "$password" >"$set/tables.tsv"
  echo "== Eine Tabelle je Prozess: $title ($times Prozesse je Lauf)"
  local -a readers=("mdb-export"$'\t'"'$here/read-all.sh' mdbtools '$set' '' $times"
                    "edvara-sql"$'\t'"'$here/read-all.sh' edvara '$set' '$edvara_sql' $times")
  [ -z "$baseline_sql" ] ||
    readers+=("edvara-sql (Vergleichsstand)"$'\t'"'$here/read-all.sh' edvara '$set' '$baseline_sql' $times")
  time_readers "$times" "je Prozess" "${readers[@]}"
}

# Lists the tables of the files given as "file<TAB>password" lines on standard input
# into the work folder SET, then times the readers over all of them.
measure_all() {
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
  echo "== Alle Tabellen: $title: files: $(wc -l <"$set/files.tsv")  tables: $(wc -l <"$set/tables.tsv")"
  local -a readers=("mdb-export, one run per table"$'\t'"'$here/read-all.sh' mdbtools '$set'"
                    "edvara-sql, one run per table"$'\t'"'$here/read-all.sh' edvara '$set' '$edvara_sql'"
                    "edvara-sql, one run per file (stdin)"$'\t'"'$here/read-all.sh' edvara-per-file '$set' '$edvara_sql'")
  [ -z "$baseline_sql" ] ||
    readers+=("edvara-sql (Vergleichsstand), per table"$'\t'"'$here/read-all.sh' edvara '$set' '$baseline_sql'"
              "edvara-sql (Vergleichsstand), per file"$'\t'"'$here/read-all.sh' edvara-per-file '$set' '$baseline_sql'")
  time_readers 1 "" "${readers[@]}"
}

sample_tool="$build_dir/bin/edvara-sample"
sample=""
if [ -x "$sample_tool" ]; then
  "$sample_tool" --out "$work/sample" --large --access >/dev/null
  sample="$work/sample/Edvara.mdb"
fi

measure_one "$fixtures/testV2000.mdb" Table1 tulvan 100 "testV2000.mdb, Table1 (2 Zeilen)"
if [ -n "$sample" ]; then
  measure_one "$sample" K_Ort tulvan 100 "große Beispieldatenbank, K_Ort"
  measure_one "$sample" Schueler tulvan 20 "große Beispieldatenbank, Schueler (2000 Zeilen)"
  measure_one "$sample" SchuelerLeistungsdaten tulvan 2 "große Beispieldatenbank, SchuelerLeistungsdaten (über 100000 Zeilen)"
fi

# The real files Access wrote.
for f in "$fixtures"/*.mdb "$fixtures"/*.accdb; do
  case "$(basename "$f")" in password*) printf '%s\tpassword\n' "$f" ;; *) printf '%s\ttulvan\n' "$f" ;; esac
done | measure_all fixtures "Access-Testdateien"

# A school database of realistic size: the large sample in Access format.
if [ -n "$sample" ]; then
  printf '%s\ttulvan\n%s\ttulvan\n' "$sample" "$work/sample/Schulver.mdb" |
    measure_all sample "große Beispieldatenbank (Access)"
fi
