#!/usr/bin/env bash
# The full run of edvara-anon on a school-shaped Access target that the independent judge
# made (Jackcess, `edvara-judge-target --extra-indexes`, from the `--large` SQLite sample)
# against the same run on that SQLite sample, side by side; then a peer comparison: the
# judge's own write workload (`judge bench`: 2,000 student name updates, one teacher's grade
# references moved, every tenth grade deleted, 10,000 grades inserted) against the same four
# steps as SQL through edvara-sql, each on a fresh copy of the target. Ratios at the end.
# Layer: benchmark (shell). It measures and judges nothing; it changes only its own copies.
#
#   bench/judge-target/run.sh [BUILD_DIR] [RUNS]
#
# BUILD_DIR defaults to ./build (a release build: edvara-anon, edvara-sample, edvara-sql,
# edvara-judge-target), RUNS (default 3) runs of each, alternating. Both full runs read the
# sample's SQLite school directory, so they differ only in the target's format. The copies
# of the peer comparison lie in memory (/dev/shm, where there is one) for both sides:
# Jackcess flushes the file to the disk after every row it writes, which would measure the
# disk, not the engines.
# Environment: SEED (default 20250315), SIZE (edvara-sample --size, default 1),
# TARGET_OPTIONS (default "--extra-indexes"; e.g. "--extra-indexes --relationships plain"
# for the full run on a target with enforced relationships: the judge's workload then
# trips over them and its part is left out), TARGET=sample (the Access side is our own
# `edvara-sample --large --access` file instead of the judge's: figures while the engine
# cannot yet write to the judge's), NAMES_DIR, WORK_DIR (default a temporary folder,
# removed at the end), BENCH_DIR (the peer comparison's copies), JUDGE (the judge; default
# ../shared/judges/jackcess/judge).
set -euo pipefail

build=${1:-build}
runs=${2:-3}
seed=${SEED:-20250315}
size=${SIZE:-1}
target_options=${TARGET_OPTIONS:---extra-indexes}
bin=$build/bin
source "$(dirname "${BASH_SOURCE[0]}")/../names-dir.sh"
source "$(dirname "${BASH_SOURCE[0]}")/../../tools/scripts/judge.sh"
for tool in "$bin/edvara-anon" "$bin/edvara-sample" "$bin/edvara-sql" "$bin/edvara-judge-target" /usr/bin/time; do
  [[ -x $tool ]] || { echo "run.sh: $tool fehlt" >&2; exit 2; }
done
[[ -z $judge_missing ]] || { echo "run.sh: $judge_missing" >&2; exit 2; }
[[ -f $names/nachnamen.txt ]] || { echo "run.sh: keine Namenslisten in $names" >&2; exit 2; }
[[ $runs =~ ^[1-9][0-9]*$ ]] || { echo "run.sh: RUNS muss eine Zahl ab 1 sein" >&2; exit 2; }

work=${WORK_DIR:-$(mktemp -d)}
[[ -n ${WORK_DIR:-} ]] || trap 'rm -rf "$work"' EXIT
mkdir -p "$work"

"$bin/edvara-sample" --out "$work/sample" --large --size "$size" --seed "$seed" >/dev/null
access_label="Access (vom Prüfer)"
if [[ ${TARGET:-judge} == sample ]]; then
  access_label="Access (edvara-sample)"
  echo "== Beispiel --large --size $size, als Access-Datei von edvara-sample (TARGET=sample)"
  "$bin/edvara-sample" --out "$work/access" --large --size "$size" --seed "$seed" --access >/dev/null
  mv "$work/access/Edvara.mdb" "$work/judge.mdb"
else
  echo "== Beispiel --large --size $size und das Ziel des Prüfers ($target_options)"
  start=$(date +%s%N)
  # shellcheck disable=SC2086
  "$bin/edvara-judge-target" --out "$work/judge.mdb" --from "$work/sample/Edvara.sqlite" $target_options \
    --judge "$judge"
  echo "  angelegt in $(( ($(date +%s%N) - start) / 1000000 )) ms, $(du -m "$work/judge.mdb" | cut -f1) MB"
fi
directory=$work/sample/Schulver.mdb
bench_dir=${BENCH_DIR:-}
if [[ -z $bench_dir ]]; then
  if [[ -d /dev/shm && -w /dev/shm ]]; then bench_dir=$(mktemp -d /dev/shm/judge-bench-XXXXXX); else bench_dir=$work/bench; fi
  trap 'rm -rf "$bench_dir"; [[ -n ${WORK_DIR:-} ]] || rm -rf "$work"' EXIT
fi
mkdir -p "$bench_dir"

# min and median of column $2 of file $1
stats() { cut -d' ' -f"$2" "$1" | sort -g | awk '{ a[NR] = $1 } END { printf "%s %s\n", a[1], (NR % 2 ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2) }'; }

# /usr/bin/time's figures of one command: "wall cpu peakKiB" appended to $1.
timed() {
  local out=$1
  shift
  /usr/bin/time -v -o "$work/time.txt" "$@" >"$work/log.txt" 2>&1 || {
    echo "run.sh: $* scheitert:" >&2
    tail -5 "$work/log.txt" >&2
    exit 1
  }
  awk -F': ' '
    /Elapsed \(wall clock\)/ { n = split($2, p, ":"); w = 0; for (i = 1; i <= n; ++i) w = w * 60 + p[i] }
    /User time/ { u = $2 } /System time/ { s = $2 } /Maximum resident set size/ { m = $2 }
    END { printf "%.3f %.3f %d\n", w, u + s, m }' "$work/time.txt" >>"$out"
}

fresh() { local d=${3:-$work}; rm -f "$d/copy.$2" "$d/copy.$2-journal"; cp "$1" "$d/copy.$2"; echo "$d/copy.$2"; }

anonymise() {
  timed "$1" "$bin/edvara-anon" --seed "$seed" --names-dir "$names" --directory "$directory" "$2"
  grep -qx 'Fertig' "$work/log.txt" || { echo "run.sh: der Lauf auf $2 endete nicht mit „Fertig“:" >&2; tail -5 "$work/log.txt" >&2; exit 1; }
}

echo "== Ganzer Lauf, $runs je Ziel, abwechselnd"
: >"$work/run-sqlite.txt"
: >"$work/run-judge.txt"
for ((i = 1; i <= runs; i++)); do
  anonymise "$work/run-sqlite.txt" "$(fresh "$work/sample/Edvara.sqlite" sqlite)"
  anonymise "$work/run-judge.txt" "$(fresh "$work/judge.mdb" mdb)"
done
printf '  %-22s %18s %18s %20s\n' "" "Uhrzeit s" "CPU s" "Speicher MB"
declare -A med=()
for which in sqlite judge; do
  line=$(printf '  %-22s' "$([[ $which == sqlite ]] && echo "SQLite-Beispiel" || echo "$access_label")")
  for col in 1 2 3; do
    read -r lo mid < <(stats "$work/run-$which.txt" "$col")
    med[$which$col]=$mid
    if [[ $col -eq 3 ]]; then
      line+=$(awk -v a="$mid" -v b="$lo" 'BEGIN { printf " %11.1f (%6.1f)", a / 1024, b / 1024 }')
    else
      line+=$(awk -v a="$mid" -v b="$lo" 'BEGIN { printf " %9.2f (%6.2f)", a, b }')
    fi
  done
  echo "$line"
done
paste -d' ' "$work/run-judge.txt" "$work/run-sqlite.txt" | awk '{ print $1 / $4, $2 / $5 }' >"$work/pairs.txt"
read -r wall_lo wall_mid < <(stats "$work/pairs.txt" 1)
read -r cpu_lo cpu_mid < <(stats "$work/pairs.txt" 2)
awk -v a="$wall_mid" -v b="$wall_lo" -v c="$cpu_mid" -v d="$cpu_lo" -v m="${med[judge3]}" -v n="${med[sqlite3]}" 'BEGIN {
  printf "  Verhältnis Access/SQLite je Paar, Median (kleinstes): Uhrzeit %.2f (%.2f), CPU %.2f (%.2f); Speicher %.2f\n", a, b, c, d, m / n }'

if [[ $target_options == *--relationships* && $target_options != *"--relationships none"* ]]; then
  echo "== Vergleich mit dem Prüfer entfällt: seine Arbeit (Verweise auf ein Kürzel ZZZ) verstößt gegen die Beziehungen"
  exit 0
fi

# Our four steps as SQL, one edvara-sql process each (a process start and the file's open
# included, as the judge's figures include its open separately: see "Start" below).
top=$("$bin/edvara-sql" "$work/judge.mdb" \
  "select Fachlehrer from SchuelerLeistungsdaten where Fachlehrer is not null group by Fachlehrer order by count(*) desc, Fachlehrer limit 1" |
  tail -1 | tr -d '"')
columns=$("$bin/edvara-sql" "$work/judge.mdb" "select * from SchuelerLeistungsdaten where 0" | head -1 | tr -d '"')
others=$(tr ',' '\n' <<<"$columns" | grep -vx ID | paste -sd, -)
steps=(
  "start|select 1"
  "update-names|update Schueler set Name = 'N' & ID, Vorname = 'V' & ID"
  "update-ref|update SchuelerLeistungsdaten set Fachlehrer = 'ZZZ' where Fachlehrer = '${top//\'/\'\'}'"
  "delete|delete from SchuelerLeistungsdaten where ID mod 10 = 0"
  "insert|insert into SchuelerLeistungsdaten (ID, $others) select top 10000 ID + 1000000, $others from SchuelerLeistungsdaten"
)
echo "== Schreibarbeit des Prüfers (judge bench) gegen dieselben vier Schritte als SQL (edvara-sql), $runs je Seite"
: >"$work/judge-bench.txt"
for step in "${steps[@]}"; do : >"$work/ours-${step%%|*}.txt"; done
for ((i = 1; i <= runs; i++)); do
  copy=$(fresh "$work/judge.mdb" bench "$bench_dir")
  judge_run bench "$copy" >"$work/judge-out.txt" 2>"$work/judge-err.txt" ||
    { echo "run.sh: judge bench scheitert:" >&2; tail -3 "$work/judge-err.txt" >&2; exit 1; }
  # "open A update-names B (n) update-ref C (n, TEACHER) delete D (n) insert E (n)"; the
  # teacher's abbreviation may hold blanks, so each figure is found by its word.
  awk '/^open/ {
    n = split("open update-names update-ref delete insert", w, " ")
    line = ""
    for (i = 1; i <= n; ++i) { match($0, w[i] " [0-9.]+"); line = line (i > 1 ? " " : "") substr($0, RSTART + length(w[i]) + 1, RLENGTH - length(w[i]) - 1) }
    print line }' "$work/judge-out.txt" >>"$work/judge-bench.txt"
  copy=$(fresh "$work/judge.mdb" bench "$bench_dir")
  for step in "${steps[@]}"; do
    timed "$work/ours-${step%%|*}.txt" "$bin/edvara-sql" "$copy" "${step#*|}"
  done
done
printf '  %-14s %16s %20s %22s %10s\n' "Schritt" "Jackcess s" "edvara-sql s" "edvara-sql ohne Start" "Verhältnis"
read -r _ start_mid < <(stats "$work/ours-start.txt" 1)
col=2
total_j=0
total_o=0
for name in update-names update-ref delete insert; do
  read -r _ j < <(stats "$work/judge-bench.txt" "$col")
  read -r _ o < <(stats "$work/ours-$name.txt" 1)
  net=$(awk -v o="$o" -v s="$start_mid" 'BEGIN { d = o - s; printf "%.3f", (d > 0 ? d : 0) }')
  total_j=$(awk -v a="$total_j" -v b="$j" 'BEGIN { print a + b }')
  total_o=$(awk -v a="$total_o" -v b="$net" 'BEGIN { print a + b }')
  awk -v n="$name" -v j="$j" -v o="$o" -v t="$net" 'BEGIN {
    printf "  %-14s %16.3f %20.3f %22.3f %10s\n", n, j, o, t, (j > 0 ? sprintf("%.2f", t / j) : "-") }'
  col=$((col + 1))
done
read -r _ open_mid < <(stats "$work/judge-bench.txt" 1)
awk -v j="$total_j" -v o="$total_o" -v s="$start_mid" -v jo="$open_mid" 'BEGIN {
  printf "  %-14s %16.3f %20s %22.3f %10.2f\n", "zusammen", j, "", o, (j > 0 ? o / j : 0)
  printf "  (Mediane; Start: edvara-sql mit select 1 %.3f s; Öffnen bei Jackcess %.3f s; Verhältnis = edvara-sql ohne Start / Jackcess)\n", s, jo }'
