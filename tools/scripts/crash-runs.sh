#!/usr/bin/env bash
# Kills edvara-anon with -9 at random moments of runs on the large sample, lets a second
# run finish each time, and checks that no reference changed its person or school:
# every teacher reference names the same teacher (by ID) as before the first run, every
# student whose school lay in the redrawn range names a row of K_Schule (students of one
# school together, no two schools merged), no "DUMMY" and no journal is left, and the file
# is intact (stock SQLite's integrity check; for Access files the engine's own check).
#
#   tools/scripts/crash-runs.sh [BUILD_DIR] [KILLS]
#
# BUILD_DIR defaults to ./build, KILLS to 200. Half of the moments are drawn over the
# whole run, a quarter within the teacher stage, a quarter within the school stage (the
# stages' lengths come from an undisturbed run first). Environment: SEED (sample, default
# 20250315), WORK_DIR (default a temporary folder, removed at the end; a folder given here
# stays and keeps the file and logs of every failed check in failed-N), NAMES_DIR (default BUILD_DIR/bin),
# FORMAT (sqlite, the default, or access: the --access sample, checked with the engine's
# own `edvara-sql --check` in place of stock SQLite's integrity check).
# Prints one line per kill and a summary; exits 1 if any check failed.
set -euo pipefail

build=${1:-build}
kills=${2:-200}
seed=${SEED:-20250315}
anon=$build/bin/edvara-anon
sample=$build/bin/edvara-sample
sql=$build/bin/edvara-sql
names=${NAMES_DIR:-$build/bin}
for tool in "$anon" "$sample" "$sql"; do
  [[ -x $tool ]] || { echo "crash-runs.sh: $tool fehlt" >&2; exit 2; }
done
format=${FORMAT:-sqlite}
case $format in
  sqlite) sample_args=() target_name=Edvara.sqlite
    command -v sqlite3 >/dev/null || { echo "crash-runs.sh: sqlite3 fehlt" >&2; exit 2; } ;;
  access) sample_args=(--access) target_name=Edvara.mdb ;;
  *) echo "crash-runs.sh: FORMAT muss sqlite oder access sein" >&2; exit 2 ;;
esac

work=${WORK_DIR:-$(mktemp -d)}
trap '[[ -z ${WORK_DIR:-} ]] && rm -rf "$work"' EXIT
mkdir -p "$work"
"$sample" --out "$work/original" --large "${sample_args[@]}" --seed "$seed" >/dev/null
# Directory schools outside the redrawn range drop out of K_Schule on any second run,
# crash or not (the design keeps only the range); the check here is about crashes.
"$sql" "$work/original/Schulver.mdb" "DELETE FROM DBS WHERE Schulnr NOT BETWEEN '100000' AND '200000'" >/dev/null
original=$work/original/$target_name
directory=$work/original/Schulver.mdb

references=(SchuelerLeistungsdaten.Fachlehrer SchuelerLeistungsdaten.Zusatzkraft
  SchuelerLernabschnittsdaten.Klassenlehrer EigeneSchule_Abteilungen.Abteilungsleiter Kurse.LehrerKrz
  Versetzung.KlassenlehrerKrz Versetzung.StvKlassenlehrerKrz)

# Every teacher reference with the ID of the teacher it names, as Access compares.
teacher_refs() {
  local ref table column
  for ref in "${references[@]}"; do
    table=${ref%.*} column=${ref#*.}
    "$sql" --read-only "$1" "SELECT '$ref ' || r.ID || ': ' || ifnull(group_concat(t.ID), '-') FROM $table r
      LEFT JOIN K_Lehrer t ON t.Kuerzel = r.$column COLLATE JET_NOCASE GROUP BY r.ID ORDER BY r.ID" 2>&1 \
      || echo "$ref: nicht lesbar"
  done
}

# The rows of a query as "a,b" lines (no header, no quotes; the values hold neither).
rows() { "$sql" --read-only "$1" "$2" 2>&1 | tail -n +2 | tr -d '"'; }

# Students whose school is a K_Schule row of the range: "ID,Schulnr".
range_students() {
  rows "$1" "SELECT ID, LSSchulnr FROM Schueler WHERE LSSchulnr IN
    (SELECT SchulNr FROM K_Schule WHERE SchulNr BETWEEN '100000' AND '200000') ORDER BY ID"
}

teacher_refs "$original" >"$work/teachers.before"
range_students "$original" >"$work/students.before"

# Runs the program on $1; writes each output line to $2 prefixed with milliseconds since
# the start. $3: "" (no kill), or "STATUS|DELAY" to kill -9 DELAY seconds after the line
# STATUS (or after the start, for STATUS "-"). Sets $status to the exit status.
run_anon() {
  local target=$1 log=$2 plan=${3:-} fifo=$work/fifo line start killer=
  rm -f "$fifo" && mkfifo "$fifo"
  start=${EPOCHREALTIME/./}
  local seed=$RANDOM
  echo "$seed" >"$log.seed"
  "$anon" --names-dir "$names" --directory "$directory" --seed "$seed" "$target" >"$fifo" 2>"$log.err" &
  local pid=$! when=${plan%%|*} delay=${plan#*|}
  if [[ -n $plan && $when == - ]]; then
    (sleep "$delay"; kill -9 "$pid" 2>/dev/null) & killer=$!
  fi
  : >"$log"
  while IFS= read -r line; do
    printf '%s %s\n' $(( (${EPOCHREALTIME/./} - start) / 1000 )) "$line" >>"$log"
    if [[ -n $plan && $line == "$when" ]]; then
      (sleep "$delay"; kill -9 "$pid" 2>/dev/null) & killer=$!
    fi
  done <"$fifo"
  status=0
  wait "$pid" 2>/dev/null || status=$?
  [[ -n $killer ]] && { kill "$killer" 2>/dev/null || true; wait "$killer" 2>/dev/null || true; }
  return 0
}

stage_ms() { awk -v s="$2" '{t = $1; line = substr($0, index($0, " ") + 1)} line == s {print t; exit}' "$1"; }

cp "$original" "$work/calibration.$format"
run_anon "$work/calibration.$format" "$work/calibration.log"
[[ $status == 0 ]] || { echo "crash-runs.sh: der ungestörte Lauf endet mit $status" >&2; cat "$work/calibration.log.err" >&2; exit 2; }
t_teachers=$(stage_ms "$work/calibration.log" "Lehrer bearbeiten")
t_schools=$(stage_ms "$work/calibration.log" "Schulen zuordnen")
t_rest=$(stage_ms "$work/calibration.log" "Restarbeiten")
t_end=$(stage_ms "$work/calibration.log" "Fertig")
echo "Ungestörter Lauf: $t_end ms, davon Lehrkräfte $((t_schools - t_teachers)) ms, Schulen $((t_rest - t_schools)) ms"

seconds() { awk -v ms="$1" 'BEGIN { printf "%.4f", ms / 1000 }'; }
random_ms() { echo $(( (RANDOM * 32768 + RANDOM) % ($1 + 1) )); }

failed=0 killed=0 in_teachers=0 in_schools=0
for ((i = 1; i <= kills; i++)); do
  case $((i % 4)) in
    2) plan="Lehrer bearbeiten|$(seconds "$(random_ms $((t_schools - t_teachers)))")" ;;
    3) plan="Schulen zuordnen|$(seconds "$(random_ms $((t_rest - t_schools)))")" ;;
    *) plan="-|$(seconds "$(random_ms "$t_end")")" ;;
  esac
  target=$work/target.$format
  rm -f "$target" "$target"-*
  cp "$original" "$target"
  run_anon "$target" "$work/first.log" "$plan"
  first=$status
  # Where the kill fell: the last status line the killed run printed.
  last=$(awk '{line = substr($0, index($0, " ") + 1)} line !~ /^ / {s = line} END {print s}' "$work/first.log")
  if [[ $first == 137 ]]; then
    killed=$((killed + 1))
    [[ $last == "Lehrer bearbeiten" ]] && in_teachers=$((in_teachers + 1))
    [[ $last == "Schulen zuordnen" ]] && in_schools=$((in_schools + 1))
  fi
  [[ -z ${WORK_DIR:-} ]] || cp "$target" "$work/after-first.$format"
  run_anon "$target" "$work/second.log"
  second=$status
  problems=()
  [[ $second == 0 ]] || problems+=("zweiter Lauf endet mit $second: $(head -c 300 "$work/second.log.err")")
  teacher_refs "$target" >"$work/teachers.after"
  cmp -s "$work/teachers.before" "$work/teachers.after" \
    || problems+=("$(diff "$work/teachers.before" "$work/teachers.after" | grep -c '^>' || true) Lehrerverweise nennen eine andere Lehrkraft")
  rows "$target" "SELECT ID, LSSchulnr FROM Schueler ORDER BY ID" >"$work/students.after" || true
  rows "$target" "SELECT SchulNr FROM K_Schule" >"$work/schools.after" || true
  school_problem=$(awk -F, '
    FILENAME == ARGV[1] { known[$1] = 1; next }
    FILENAME == ARGV[2] { now[$1] = $2; next }
    { old = $2; new = now[$1]
      if (!(new in known)) lost++
      if ((old in newOf && newOf[old] != new) || (new in oldOf && oldOf[new] != old)) apart++
      newOf[old] = new; oldOf[new] = old }
    END { if (lost + apart) printf "%d Schüler ohne Schule, %d von ihrer Schule getrennt", lost, apart }
  ' "$work/schools.after" "$work/students.after" "$work/students.before")
  [[ -z $school_problem ]] || problems+=("$school_problem")
  dummies=0
  for ref in K_Lehrer.Kuerzel "${references[@]}"; do
    n=$("$sql" --read-only "$target" "SELECT count(*) FROM ${ref%.*} WHERE ${ref#*.} = 'DUMMY'" 2>/dev/null | tail -1) || n=
    [[ $n =~ ^[0-9]+$ ]] || { problems+=("${ref%.*} nicht lesbar"); n=0; }
    dummies=$((dummies + n))
  done
  [[ $dummies == 0 ]] || problems+=("$dummies mal DUMMY übrig")
  if [[ $format == sqlite ]]; then
    integrity=$(sqlite3 "$target" 'PRAGMA integrity_check' 2>&1 | head -1) || true
    [[ $integrity == ok ]] || problems+=("integrity_check: $integrity")
  elif ! integrity=$("$sql" --check "$target" 2>&1); then
    problems+=("edvara-sql --check: $(echo "$integrity" | head -1)")
  fi
  [[ ! -e $target-journal ]] || problems+=("Journal übrig")
  if ((${#problems[@]})); then
    failed=$((failed + 1))
    # Kept for a look afterwards when the work folder is the caller's.
    if [[ -n ${WORK_DIR:-} ]]; then
      mkdir -p "$work/failed-$i"
      cp "$target" "$work/after-first.$format" "$work"/first.log* "$work"/second.log* "$work/failed-$i/" 2>/dev/null || true
    fi
    printf '%3d: %-28s erster Lauf %3s (%s): FEHLER: %s\n' "$i" "$plan" "$first" "$last" "${problems[*]}"
  else
    printf '%3d: %-28s erster Lauf %3s (%s): in Ordnung\n' "$i" "$plan" "$first" "$last"
  fi
done

echo "$kills Läufe, $killed davon mit kill -9 beendet ($in_teachers bei \"Lehrer bearbeiten\", $in_schools bei \"Schulen zuordnen\"); Prüfung nach dem zweiten Lauf fehlgeschlagen: $failed"
((failed == 0))
