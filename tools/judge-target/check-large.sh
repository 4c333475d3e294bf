#!/usr/bin/env bash
# The judge-target tests of the suite (tests/tools/judge-target) on the `--large` sample,
# too long for the suite: for each kind of relationship, an Access target made by the judge
# (`edvara-judge-target --extra-indexes --relationships KIND`) takes a full run with every
# option, which must end with "Fertig" and exit 0; the judge (`judge verify`) and our check
# (`edvara-sql --check`) accept the file; every table holds what the same run leaves of the
# SQLite sample (same seeds, the sample's columns, rows compared sorted); then Jackcess
# writes to it (`judge mutate`), and both accept it again.
# Layer: test tool (shell). It changes only its own files in the work folder.
#
#   tools/judge-target/check-large.sh [BUILD_DIR] [KIND ...]
#
# BUILD_DIR (default ./build) holds bin/edvara-anon, edvara-sql, edvara-sample,
# edvara-judge-target and the name lists. KIND: none, plain, cascade (default: plain cascade).
# Environment: SEED (the sample's, default 20250315), RUN_SEED (edvara-anon's, default 7),
# SIZE (edvara-sample --size, default 1), WORK_DIR (kept; default a temporary folder, kept
# when a check fails), JUDGE. Exit status: 0 every check passed, 1 a check failed, 2 bad
# call or missing tool.
set -euo pipefail

build=${1:-build}
shift $(( $# > 0 ? 1 : 0 ))
kinds=("$@")
[[ ${#kinds[@]} -gt 0 ]] || kinds=(plain cascade)
bin=$build/bin
seed=${SEED:-20250315}
run_seed=${RUN_SEED:-7}
size=${SIZE:-1}
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/judge.sh"
for tool in edvara-anon edvara-sql edvara-sample edvara-judge-target; do
  [[ -x $bin/$tool ]] || { echo "check-large: $bin/$tool fehlt (erst bauen)" >&2; exit 2; }
done
[[ -z $judge_missing ]] || { echo "check-large: $judge_missing" >&2; exit 2; }
[[ -f $bin/nachnamen.txt ]] || { echo "check-large: keine Namenslisten in $bin" >&2; exit 2; }

if [[ -n ${WORK_DIR:-} ]]; then work=$WORK_DIR; keep=1; else work=$(mktemp -d); keep=0; fi
mkdir -p "$work"
trap '[[ $keep -eq 1 ]] || rm -rf "$work"' EXIT
failures=0
fail() { echo "check-large: FEHLER: $*" >&2; failures=$((failures + 1)); keep=1; }

# A run with every option; returns 1 (after noting the failure) unless it ends with "Fertig".
anonymise() {
  local file=$1 log=$2 status=0
  "$bin/edvara-anon" --seed "$run_seed" --names-dir "$bin" --directory "$work/sample/Schulver.mdb" "$file" >"$log" 2>&1 ||
    status=$?
  [[ $status -eq 0 ]] && grep -qx Fertig "$log" && return 0
  fail "$(basename "$file"): der Lauf endet nicht mit „Fertig“ (Status $status): $(tail -2 "$log" | tr '\n' ' ')"
  return 1
}

# Every table of FILE in the columns of the SQLite sample, rows sorted, into folder $2.
dump_tables() {
  local file=$1 dir=$2 t columns
  mkdir -p "$dir"
  while IFS= read -r t; do
    columns=$("$bin/edvara-sql" "$work/sample/Edvara.sqlite" "select * from [$t] where 0" | head -1 |
      tr ',' '\n' | tr -d '"' | sed 's/.*/[&]/' | paste -sd, -)
    "$bin/edvara-sql" "$file" "select $columns from [$t]" | tail -n +2 | LC_ALL=C sort >"$dir/$t.csv"
  done <"$work/tables.txt"
}

check_both() {
  local file=$1 what=$2 out
  out=$(judge_run verify "$file" 2>&1) || fail "$what: judge verify: $(grep -E 'FAIL|exception' <<<"$out" | head -5 | tr '\n' ' ')"
  out=$("$bin/edvara-sql" --check "$file" 2>&1) || fail "$what: edvara-sql --check: $(head -3 <<<"$out" | tr '\n' ' ')"
}

echo "check-large: Beispiel --large --size $size, Arbeitsordner $work"
"$bin/edvara-sample" --out "$work/sample" --large --size "$size" --seed "$seed" >/dev/null
"$bin/edvara-sql" --tables "$work/sample/Edvara.sqlite" >"$work/tables.txt"
cp "$work/sample/Edvara.sqlite" "$work/run.sqlite"
anonymise "$work/run.sqlite" "$work/run-sqlite.log" || exit 1
dump_tables "$work/run.sqlite" "$work/expected"

for kind in "${kinds[@]}"; do
  file=$work/judge-$kind.mdb
  start=$(date +%s)
  "$bin/edvara-judge-target" --out "$file" --from "$work/sample/Edvara.sqlite" --extra-indexes --relationships "$kind" \
    --judge "$judge" >/dev/null || { fail "$kind: edvara-judge-target scheitert"; continue; }
  made=$(($(date +%s) - start))
  start=$(date +%s)
  finished=1
  anonymise "$file" "$work/run-$kind.log" || finished=0
  ran=$(($(date +%s) - start))
  # A run that stopped must leave a file both accept; what it holds is then no comparison.
  check_both "$file" "$kind, nach dem Lauf"
  if [[ $finished -eq 0 ]]; then
    echo "check-large: $kind: Ziel in ${made} s angelegt, Lauf abgebrochen nach ${ran} s, $failures Fehler bisher"
    continue
  fi
  dump_tables "$file" "$work/actual-$kind"
  while IFS= read -r t; do
    cmp -s "$work/expected/$t.csv" "$work/actual-$kind/$t.csv" ||
      fail "$kind: $t weicht vom Lauf auf der SQLite-Datei ab ($(diff "$work/expected/$t.csv" "$work/actual-$kind/$t.csv" | grep -c '^[<>]') Zeilen)"
  done <"$work/tables.txt"
  out=$(judge_run mutate "$file" 2>&1) || fail "$kind: judge mutate: $(grep -E 'ERROR|exception' <<<"$out" | head -3 | tr '\n' ' ')"
  check_both "$file" "$kind, nachdem Jackcess schrieb"
  echo "check-large: $kind: Ziel in ${made} s angelegt, Lauf ${ran} s, $failures Fehler bisher"
done
[[ $failures -eq 0 ]] || { echo "check-large: $failures Fehler; Dateien in $work" >&2; exit 1; }
echo "check-large: alles in Ordnung"
