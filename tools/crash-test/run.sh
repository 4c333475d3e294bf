#!/usr/bin/env bash
# Crash test of the Access engine under the whole anonymisation: kills edvara-anon with
# kill -9 at random moments of runs on the Access sample and checks, after each kill, what
# no crash may break; then lets a second run finish on the same file.
# Layer: test tool (shell). It reads the files only through our programs and mdbtools and
# changes nothing but its own copies in the work folder.
#
#   tools/crash-test/run.sh [BUILD_DIR] [KILLS] [SAMPLE OPTION ...]
#
# BUILD_DIR (default ./build) holds bin/edvara-anon, edvara-sql, edvara-sample and the name
# lists. KILLS (default 200) runs are killed. The SAMPLE OPTIONs go to edvara-sample with
# --access (none: the small sample; "--large", "--large --size 2", ...).
#
# Each kill falls at a moment drawn evenly from the length of an uninterrupted run on the
# same sample, measured first (and shortened whenever a run ends before its kill); every
# second kill then waits on for the next commit of a statement, to land while pages are
# being written. After the kill:
#  a) the file is opened again, first by `edvara-sql --check`, which rolls back a journal
#     that the kill left behind and must then find nothing wrong; the journal
#     `<file>-journal` must be gone afterwards, and the file may only have changed if the
#     kill left a journal with a valid header;
#  b) every table reads through mdb-export (exit 0, nothing on stderr) and through
#     edvara-sql, both with the same number of rows, and the independent judge (Jackcess,
#     `judge verify`: every table, every index entry and key) finds nothing wrong;
#  c) the teacher references are whole (see "Teacher references" below), and every table's
#     row count is one that a run passes through between two statements;
#  d) a second run on the same file ends with "Fertig" and exit status 0, leaves no
#     placeholder row "DUMMY" and no journal, every teacher row is anonymised, and the judge
#     accepts the file.
#
# Teacher references. Seven columns name a teacher by abbreviation (K_Lehrer.Kuerzel):
# SchuelerLeistungsdaten.Fachlehrer and .Zusatzkraft, SchuelerLernabschnittsdaten.Klassenlehrer,
# EigeneSchule_Abteilungen.Abteilungsleiter, Kurse.LehrerKrz, Versetzung.KlassenlehrerKrz and
# .StvKlassenlehrerKrz. The teacher stage moves the references of one teacher at a time
# from the old abbreviation to the placeholder row "DUMMY", rewrites the teacher's row, then
# moves them on to the new abbreviation; every step is one statement. So at every moment
# between two statements, and therefore after any kill:
#  R1 every reference that is neither NULL nor empty names the Kuerzel of a K_Lehrer row,
#     compared as the engine compares texts (without regard to letter case);
#  R2 no two K_Lehrer rows carry the same Kuerzel, and at most one carries "DUMMY";
#  R3 a reference names the teacher (the K_Lehrer row, by ID) it named in the sample, or the
#     placeholder row; all references of one teacher in one column name the same row (a
#     cascade statement moves all of them or none); NULL and empty stay as they were;
#  R4 before the run printed "Lehrer bearbeiten", and after it printed the next stage's
#     line, there is no placeholder row, so R3 leaves every reference on its own teacher;
#  R5 a teacher row is either as in the sample or completely rewritten (serial number ending
#     in "X", Kuerzel = LIDKrz, new telephone, mobile and identification numbers).
# After the second run R1 and R2 hold, no placeholder row is left, every teacher row is
# rewritten, and every reference names a teacher. A reference that the kill left parked on
# the placeholder names another teacher then: the second run removes the old placeholder
# row first, and the next teacher's cascade picks up what is parked on "DUMMY". This is
# counted and printed ("einer anderen Lehrkraft zugeordnet"), not failed; with
# REQUIRE_OWN_TEACHER=1 it fails the test.
#
# Environment: CRASH_SEED (the draw of the kill moments; printed, so a run can be repeated),
# RUN_SEED (edvara-anon's --seed, default 7), SEED (the sample's, default 20250315),
# MDB_EXPORT_TABLES=N (mdb-export reads K_Lehrer, the five referencing tables and N tables
# drawn at random after each kill instead of all 102: mdb-export starts slowly, and the
# bounded test in CI must stay short), WORK_DIR (kept; default a temporary folder, kept
# when a check fails), JUDGE (the judge; without it or Java its checks are left out, saying
# so). Exit status: 0 every check passed, 1 a check failed, 2 bad call or missing tool.
set -euo pipefail

build=${1:-build}
kills=${2:-200}
shift $(( $# > 2 ? 2 : $# ))
sample_options=("$@")
bin=$build/bin
anon=$bin/edvara-anon
sql=$bin/edvara-sql
sample=$bin/edvara-sample
run_seed=${RUN_SEED:-7}
crash_seed=${CRASH_SEED:-$(( $(date +%s) % 1000000 ))}
mdb_tables=${MDB_EXPORT_TABLES:-all}

fail_usage() { echo "crash-test: $*" >&2; exit 2; }
for tool in "$anon" "$sql" "$sample"; do
  [[ -x $tool ]] || fail_usage "$tool fehlt (erst bauen)"
done
command -v mdb-export >/dev/null || fail_usage "mdb-export fehlt (Paket mdbtools)"
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/judge.sh"
[[ -z $judge_missing ]] || echo "crash-test: $judge_missing" >&2
[[ -f $bin/nachnamen.txt ]] || fail_usage "keine Namenslisten in $bin"
[[ $kills =~ ^[0-9]+$ ]] || fail_usage "KILLS muss eine Zahl sein"
[[ $mdb_tables == all || $mdb_tables =~ ^[0-9]+$ ]] || fail_usage "MDB_EXPORT_TABLES muss all oder eine Zahl sein"

if [[ -n ${WORK_DIR:-} ]]; then
  work=$WORK_DIR
  keep=1
else
  work=$(mktemp -d)
  keep=0
fi
mkdir -p "$work"
cleanup() { [[ $keep -eq 1 ]] || rm -rf "$work"; }
trap cleanup EXIT

RS=$'\036'
ref=$work/reference
mkdir -p "$ref"

# The seven referencing columns as "table column".
columns=(
  "SchuelerLeistungsdaten Fachlehrer" "SchuelerLeistungsdaten Zusatzkraft"
  "SchuelerLernabschnittsdaten Klassenlehrer" "EigeneSchule_Abteilungen Abteilungsleiter"
  "Kurse LehrerKrz" "Versetzung KlassenlehrerKrz" "Versetzung StvKlassenlehrerKrz"
)

# Per row of a referencing column: "ID,key", the key being the ID of the K_Lehrer row the
# reference names (compared as Access compares text, without regard to case), N for NULL,
# E for empty, X:text for a reference that names no teacher. One line: edvara-sql reads a statement per line.
reference_keys_sql() {
  local table=$1 column=$2
  echo "select T.ID, case when T.$column is null then 'N' when T.$column = '' then 'E' else" \
    "coalesce((select min(K.ID) from K_Lehrer K where K.Kuerzel = T.$column collate JET_NOCASE), 'X:' || T.$column) end" \
    "from $table T order by T.ID"
}

# Runs the statements on standard input in one edvara-sql process, each behind a line
# "@@name" of its own (a statement "select 1 as [@@name] where 0" prints just that
# header), and writes each statement's rows, without their header, to DIR/name.
# Fails when edvara-sql fails.
run_sections() {
  local file=$1 dir=$2
  rm -rf "$dir"
  mkdir -p "$dir"
  "$sql" "$file" 2>"$dir.err" | awk -v dir="$dir" '
    /^@@/ { if (out != "") close(out); out = dir "/" substr($0, 3); skip = 1; printf "" > out; next }
    skip { skip = 0; next }
    out != "" { print > out }'
}

# Row counts of every table, one "table count" line each.
row_counts() {
  local file=$1
  sed 's/.*/select count(*) from [&]/' "$ref/tables.txt" | "$sql" "$file" | grep -v '^count' |
    paste -d' ' "$ref/tables.txt" -
}

# The statements of the teacher checks, in sections for run_sections.
teacher_statements() {
  section() { echo "select 1 as [@@$1] where 0"; }
  section dummies; echo "select count(*) from K_Lehrer where Kuerzel = 'DUMMY'"
  section dummyid; echo "select min(ID) from K_Lehrer where Kuerzel = 'DUMMY'"
  section twice; echo "select count(*) from (select Kuerzel from K_Lehrer group by Kuerzel collate JET_NOCASE having count(*) > 1)"
  local i t col
  for ((i = 0; i < ${#columns[@]}; i++)); do
    read -r t col <<<"${columns[$i]}"
    section "dangling$i"
    echo "select count(*) from $t T where T.$col <> '' and not exists (select 1 from K_Lehrer K where K.Kuerzel = T.$col collate JET_NOCASE)"
    section "keys$i"; reference_keys_sql "$t" "$col"
  done
  section torn
  echo "select count(*) from K_Lehrer where Kuerzel <> 'DUMMY' and substr(SerNr, 5, 1) = 'X' and not (Kuerzel = LIDKrz" \
    "and substr(Tel, 1, 6) = '01234-' and substr(Handy, 1, 5) = '0197-' and length(IdentNr1) = 7 and Geschlecht in (3, 4))"
  section rows; echo "select * from K_Lehrer order by ID"
}

# --- the sample and an uninterrupted run --------------------------------------------
"$sample" --out "$ref/sample" --access --seed "${SEED:-20250315}" "${sample_options[@]}" >/dev/null
original=$ref/sample/Edvara.mdb
directory=$ref/sample/Schulver.mdb
"$sql" --tables "$original" >"$ref/tables.txt"
teacher_statements >"$ref/teachers.sql"
run_sections "$original" "$ref/teachers" <"$ref/teachers.sql"
for ((i = 0; i < ${#columns[@]}; i++)); do tr -d '"' <"$ref/teachers/keys$i" >"$ref/keys$i"; done
cp "$ref/teachers/rows" "$ref/K_Lehrer.csv"
row_counts "$original" >"$ref/counts-before.txt"

cp "$original" "$ref/full.mdb"
start=$(date +%s%N)
"$anon" --seed "$run_seed" --names-dir "$bin" --directory "$directory" "$ref/full.mdb" >"$ref/full.log" 2>&1 ||
  { echo "crash-test: der Lauf ohne Abbruch scheitert:" >&2; tail -5 "$ref/full.log" >&2; keep=1; exit 1; }
end=$(date +%s%N)
run_ms=$(( (end - start) / 1000000 ))
row_counts "$ref/full.mdb" >"$ref/counts-after.txt"

# The tables mdb-export reads after a kill: all, or (MDB_EXPORT_TABLES=N) K_Lehrer and the
# referencing tables plus N others drawn anew for each kill.
export_tables() {
  if [[ $mdb_tables == all ]]; then
    cat "$ref/tables.txt"
    return
  fi
  printf '%s\n' K_Lehrer SchuelerLeistungsdaten SchuelerLernabschnittsdaten EigeneSchule_Abteilungen Kurse Versetzung
  grep -vxE 'K_Lehrer|SchuelerLeistungsdaten|SchuelerLernabschnittsdaten|EigeneSchule_Abteilungen|Kurse|Versetzung' \
    "$ref/tables.txt" |
    awk -v s="$crash_seed" -v i="$attempts" -v n="$mdb_tables" 'BEGIN { srand((s * 104729 + i) % 2147483647) } { print rand(), $0 }' |
    sort -g | head -n "$mdb_tables" | cut -d' ' -f2-
}

# Allowed row counts after a kill. A table the run empties or cuts with one statement
# has its count before or after; K_Lehrer may hold the placeholder row as well; K_Schule is
# emptied and filled row by row, K_Ort loses its unused places one by one: anything
# between. Everything else keeps its count.
awk 'NR == FNR { before[$1] = $2; next } {
       t = $1; a = before[t]; b = $2
       if (t == "K_Schule") print t, 0, (a > b ? a : b), "range"
       else if (t == "K_Ort") print t, (a < b ? a : b), (a > b ? a : b), "range"
       else if (t == "K_Lehrer") print t, a, a + 1, "either"
       else print t, a, b, "either"
     }' "$ref/counts-before.txt" "$ref/counts-after.txt" >"$ref/counts-allowed.txt"

echo "crash-test: $kills Abbrüche, Beispiel: --access ${sample_options[*]}, Lauf ohne Abbruch ${run_ms} ms," \
  "CRASH_SEED=$crash_seed, Arbeitsordner $work"
echo "crash-test: $(wc -l <"$ref/tables.txt") Tabellen; mdb-export liest je Abbruch $([[ $mdb_tables == all ]] && echo alle || echo "6 + $mdb_tables")"

# --- checks ----------------------------------------------------------------------------
failures=()
note_failure() { failures+=("$1"); }

# R1-R5 on FILE. MODE: "during" (placeholder allowed), "none" (no placeholder: before or
# after the teacher stage) or "final" (after a second run: references on another teacher
# are counted, not failed, unless REQUIRE_OWN_TEACHER=1).
check_teachers() {
  local file=$1 mode=$2 what=$3 q=$work/teachers n dummy
  if ! run_sections "$file" "$q" <"$ref/teachers.sql"; then
    note_failure "$what: edvara-sql kann die Lehrkräfte und Verweise nicht lesen: $(head -1 "$q.err")"
    return
  fi
  n=$(cat "$q/dummies")
  dummy=$(cat "$q/dummyid")
  [[ -n $dummy ]] || dummy=none
  if [[ $mode == during ]]; then
    [[ $n == 0 || $n == 1 ]] || note_failure "$what: R2 Platzhalterzeilen DUMMY: $n"
  else
    [[ $n == 0 ]] || note_failure "$what: R4 Platzhalterzeilen DUMMY: $n"
  fi
  n=$(cat "$q/twice")
  [[ $n == 0 ]] || note_failure "$what: R2 mehrfach vergebene Kürzel: $n"
  local i t col out missing changed wrong splitted other parked
  for ((i = 0; i < ${#columns[@]}; i++)); do
    read -r t col <<<"${columns[$i]}"
    n=$(cat "$q/dangling$i")
    [[ $n == 0 ]] || note_failure "$what: R1 $t.$col: Verweise ohne Lehrkraft: $n"
    out=$(tr -d '"' <"$q/keys$i" | awk -F, -v dummy="$dummy" -v mode="$mode" '
      NR == FNR { orig[$1] = substr($0, index($0, ",") + 1); next }
      { cur[$1] = substr($0, index($0, ",") + 1) }
      END {
        for (id in orig) {
          k = orig[id]
          if (!(id in cur)) { missing++; continue }
          c = cur[id]
          if (k !~ /^[0-9]+$/) { if (c != k) changed++; continue }
          if (mode == "final") { if (c != k) { if (c ~ /^[0-9]+$/) other++; else wrong++ } continue }
          if (c != k) { if (mode == "during" && c == dummy) parked++; else wrong++ }
          if ((k in seen) && seen[k] != c) splitted++
          seen[k] = c
        }
        printf "%d %d %d %d %d %d\n", missing, changed, wrong, splitted, other, parked
      }' "$ref/keys$i" -)
    read -r missing changed wrong splitted other parked <<<"$out"
    [[ $missing == 0 ]] || note_failure "$what: $t: $missing Zeilen fehlen"
    [[ $changed == 0 ]] || note_failure "$what: R3 $t.$col: $changed leere oder verwaiste Verweise geändert"
    [[ $wrong == 0 ]] || note_failure "$what: R3 $t.$col: $wrong Verweise auf eine falsche Zeile"
    [[ $splitted == 0 ]] || note_failure "$what: R3 $t.$col: Verweise einer Lehrkraft auf zwei Zeilen verteilt ($splitted)"
    if [[ $other != 0 ]]; then
      reassigned=$((reassigned + other))
      [[ ${REQUIRE_OWN_TEACHER:-0} != 1 ]] ||
        note_failure "$what: $t.$col: $other Verweise einer anderen Lehrkraft zugeordnet"
    fi
    parked_total=$((parked_total + parked))
  done
  # R5: teacher rows as in the sample or completely rewritten.
  n=$(cat "$q/torn")
  [[ $n == 0 ]] || note_failure "$what: R5 halb umgeschriebene Lehrkräfte: $n"
  out=$(awk -F, '
    NR == FNR { orig[$1] = $0; next }
    { seen[$1] = 1 }
    $3 == "\"DUMMY\"" { next }
    !($1 in orig) { extra++; next }
    $0 == orig[$1] { kept++; next }
    $0 !~ /"0[0-9][0-9][0-9]X"/ { torn++ }
    END { for (id in orig) if (!(id in seen)) lost++; printf "%d %d %d %d\n", lost, extra, torn, kept }' \
    "$ref/K_Lehrer.csv" "$q/rows")
  local lost extra torn kept
  read -r lost extra torn kept <<<"$out"
  [[ $lost == 0 ]] || note_failure "$what: $lost Lehrkräfte fehlen"
  [[ $extra == 0 ]] || note_failure "$what: $extra Lehrkräfte zu viel"
  [[ $torn == 0 ]] || note_failure "$what: R5 teilweise geänderte Lehrkräfte: $torn"
  [[ $mode != final || $kept == 0 ]] || note_failure "$what: nicht anonymisierte Lehrkräfte: $kept"
}

# The judge's verdict on FILE (left out where it cannot run).
check_judge() {
  local file=$1 what=$2 out
  [[ -z $judge_missing ]] || return 0
  out=$(judge_run verify "$file" 2>&1) ||
    note_failure "$what: judge verify: $(grep -E 'FAIL|exception' <<<"$out" | head -3 | tr '\n' ' ')"
}

# (a) and (b) and the row counts, on the file just killed.
check_file() {
  local file=$1 what=$2 out rc
  rc=0
  out=$("$sql" --check "$file" 2>&1) || rc=$?
  [[ $rc -eq 0 ]] || note_failure "$what: edvara-sql --check (Status $rc): $(head -3 <<<"$out" | tr '\n' ' ')"
  [[ ! -e $file-journal ]] || note_failure "$what: das Journal $file-journal ist nach dem Öffnen noch da"
  row_counts "$file" >"$work/counts.txt" || note_failure "$what: edvara-sql kann nicht alle Tabellen zählen"
  sed 's/.*/select * from [&]/' "$ref/tables.txt" | "$sql" "$file" >/dev/null 2>"$work/sql-err.txt" ||
    note_failure "$what: edvara-sql liest nicht alle Tabellen: $(head -1 "$work/sql-err.txt")"
  local t n ours
  while IFS= read -r t; do
    rc=0
    n=$(mdb-export -H -b hex -R "$RS" "$file" "$t" 2>"$work/mdb-err.txt" | tr -cd "$RS" | wc -c) || rc=$?
    if [[ $rc -ne 0 || -s $work/mdb-err.txt ]]; then
      note_failure "$what: mdb-export $t (Status $rc): $(head -1 "$work/mdb-err.txt")"
      continue
    fi
    ours=$(awk -v t="$t" '$1 == t { print $2 }' "$work/counts.txt")
    [[ $n == "$ours" ]] || note_failure "$what: $t: mdb-export liest $n Zeilen, edvara-sql $ours"
  done < <(export_tables)
  out=$(awk 'NR == FNR { lo[$1] = $2; hi[$1] = $3; kind[$1] = $4; next }
             { t = $1; n = $2
               if (kind[t] == "range" ? (n < lo[t] || n > hi[t]) : (n != lo[t] && n != hi[t]))
                 printf "%s hat %d Zeilen (erlaubt: %d %s %d); ", t, n, lo[t], kind[t] == "range" ? "bis" : "oder", hi[t] }' \
        "$ref/counts-allowed.txt" "$work/counts.txt")
  [[ -z $out ]] || note_failure "$what: Zeilenzahl zwischen zwei Anweisungen unmöglich: $out"
  check_judge "$file" "$what"
}

# --- the kills ---------------------------------------------------------------------------
declare -A by_stage=()
done_kills=0 attempts=0 too_late=0 rolled_back=0 journal_left=0 hot_journals=0 reassigned=0 parked_total=0 parked_kills=0
failed_kills=0
file=$work/Edvara.mdb
while [[ $done_kills -lt $kills ]]; do
  attempts=$((attempts + 1))
  if [[ $attempts -gt $((kills * 5 + 20)) ]]; then
    echo "crash-test: zu viele Läufe endeten vor dem Abbruch" >&2
    keep=1
    exit 1
  fi
  rm -f "$file" "$file-journal"
  cp "$original" "$file"
  delay_ms=$(awk -v s="$crash_seed" -v i="$attempts" -v r="$run_ms" 'BEGIN { srand((s * 7919 + i) % 2147483647); printf "%d", rand() * r }')
  started=$(date +%s%N)
  "$anon" --seed "$run_seed" --names-dir "$bin" --directory "$directory" "$file" >"$work/run.log" 2>&1 &
  pid=$!
  sleep "$(awk -v d="$delay_ms" 'BEGIN { printf "%.3f", d / 1000 }')"
  moment=Zufall
  if (( attempts % 2 == 0 )); then
    # Every second kill waits from there for a statement's commit: the journal's header
    # is written, so the file may be half changed. Read by the shell itself, which is fast
    # enough to see most commits of the larger statements.
    moment=Commit
    deadline=$((SECONDS + 2))
    while (( SECONDS < deadline )) && kill -0 "$pid" 2>/dev/null; do
      head=
      IFS= read -r -N 8 head 2>/dev/null <"$file-journal" || true
      [[ $head != EDVJETJ1 ]] || break
    done
  fi
  kill -9 "$pid" 2>/dev/null || true
  status=0
  { wait "$pid"; } 2>/dev/null || status=$?
  if [[ $status -eq 0 ]]; then
    # The run was quicker than the one measured (a machine busy with other work at
    # first): later kills are drawn from its length.
    too_late=$((too_late + 1))
    took=$(( ($(date +%s%N) - started) / 1000000 ))
    (( took >= run_ms )) || run_ms=$took
    continue
  fi
  if [[ $status -ne 137 ]]; then
    echo "crash-test: ein Lauf scheitert ohne Abbruch (Status $status):" >&2
    tail -3 "$work/run.log" >&2
    keep=1
    exit 1
  fi
  done_kills=$((done_kills + 1))
  failures=()
  stage=$(grep -v '^ ' "$work/run.log" | tail -1 || true)
  [[ -n $stage ]] || stage="(Start)"
  by_stage[$stage]=$(( ${by_stage[$stage]:-0} + 1 ))
  [[ ! -e $file-journal ]] || journal_left=$((journal_left + 1))
  head=
  IFS= read -r -N 8 head 2>/dev/null <"$file-journal" || true
  if [[ $head == EDVJETJ1 ]]; then hot=1; hot_journals=$((hot_journals + 1)); else hot=0; fi
  cp "$file" "$work/killed.mdb"
  what="Abbruch $done_kills nach $delay_ms ms ($moment, $stage)"

  check_file "$file" "$what"
  if ! cmp -s "$file" "$work/killed.mdb"; then
    rolled_back=$((rolled_back + 1))
    [[ $hot == 1 ]] || note_failure "$what: die Datei wurde beim Öffnen geändert, ohne dass ein Journal bereitlag"
  fi
  if grep -qx 'Schulen zuordnen\|Restarbeiten\|Fertig' "$work/run.log" || ! grep -qx 'Lehrer bearbeiten' "$work/run.log"; then
    mode=none
  else
    mode=during
  fi
  before_parked=$parked_total
  check_teachers "$file" "$mode" "$what"
  [[ $parked_total -eq $before_parked ]] || parked_kills=$((parked_kills + 1))

  # (d) a second run on the same file
  status=0
  "$anon" --seed "$run_seed" --names-dir "$bin" --directory "$directory" "$file" >"$work/second.log" 2>&1 || status=$?
  if [[ $status -ne 0 ]] || ! grep -qx 'Fertig' "$work/second.log"; then
    note_failure "$what: der zweite Lauf endet nicht mit „Fertig“ (Status $status): $(tail -2 "$work/second.log" | tr '\n' ' ')"
  else
    [[ ! -e $file-journal ]] || note_failure "$what: nach dem zweiten Lauf liegt ein Journal"
    rc=0
    out=$("$sql" --check "$file" 2>&1) || rc=$?
    [[ $rc -eq 0 ]] || note_failure "$what: nach dem zweiten Lauf: edvara-sql --check: $(head -2 <<<"$out" | tr '\n' ' ')"
    check_judge "$file" "$what, zweiter Lauf"
    check_teachers "$file" final "$what, zweiter Lauf"
  fi

  if [[ ${#failures[@]} -eq 0 ]]; then
    printf 'Abbruch %3d nach %6d ms %-7s %-20s %s ok\n' "$done_kills" "$delay_ms" "$moment" "$stage" \
      "$([[ $hot == 1 ]] && echo "Journal zurückgespielt")"
  else
    failed_kills=$((failed_kills + 1))
    keep=1
    mkdir -p "$work/failed-$done_kills"
    cp "$work/killed.mdb" "$work/failed-$done_kills/nach-dem-abbruch.mdb"
    cp "$work/run.log" "$work/second.log" "$work/failed-$done_kills/"
    printf 'Abbruch %3d nach %6d ms %-7s %-20s FEHLER\n' "$done_kills" "$delay_ms" "$moment" "$stage"
    printf '    %s\n' "${failures[@]}"
  fi
done

echo "== $done_kills Abbrüche mit kill -9 ($too_late Läufe endeten vorher), CRASH_SEED=$crash_seed"
for s in "${!by_stage[@]}"; do printf '   %-22s %d\n' "$s" "${by_stage[$s]}"; done | sort
echo "   Journal nach dem Abbruch vorhanden: $journal_left, davon mit gültigem Kopf (mitten im Schreiben):" \
  "$hot_journals; beim Öffnen zurückgespielt (Datei geändert): $rolled_back"
echo "   Abbrüche mit Verweisen auf dem Platzhalter: $parked_kills ($parked_total Verweise);" \
  "nach dem zweiten Lauf einer anderen Lehrkraft zugeordnet: $reassigned Verweise"
if [[ $failed_kills -gt 0 ]]; then
  echo "== FEHLER bei $failed_kills Abbrüchen; Dateien in $work/failed-*" >&2
  exit 1
fi
echo "== alle Prüfungen bestanden"
