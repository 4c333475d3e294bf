#!/usr/bin/env bash
# Access files with indexes against SQLite, side by side in one script run; prints the
# median wall time of RUNS runs of each, the ratios and the peak memory.
#
# 1. The full run of edvara-anon on the --large sample: Access target (every ID a
#    primary key, the sample's indexes as Access B-trees) against the SQLite target with
#    the same indexes. Goal: at most 2 times. Each run must end with "Fertig".
# 2. A bulk write workload, the same four statements on both files through edvara-sql:
#    every student's surname and first name changed; one teacher's references in
#    SchuelerLeistungsdaten moved to another abbreviation; every tenth row of
#    SchuelerLeistungsdaten deleted; 10,000 rows inserted into it. Goal: at most 5 times
#    SQLite, under 100 MB.
# 3. Lookups by an indexed column (2,000 equality lookups on SchuelerLeistungsdaten, by a
#    number and by a teacher abbreviation, in one process; and one lookup per process):
#    answered from Access's B-trees. With BASELINE_BUILD_DIR, that build's edvara-sql is
#    timed on the same file and statements (an older build answers from in-memory
#    indexes): goal not slower.
#
#   bench/access-index/run.sh [BUILD_DIR] [RUNS]
#
# Environment: NAMES_DIR (name lists; default BUILD_DIR/bin, else data/), SEED,
# BASELINE_BUILD_DIR, WORK_DIR (default a temporary folder).
set -euo pipefail

build=${1:-build}
runs=${2:-3}
seed=${SEED:-20250315}
anon=$build/bin/edvara-anon
sample=$build/bin/edvara-sample
sql=$build/bin/edvara-sql
base=${BASELINE_BUILD_DIR:-}
source "$(dirname "${BASH_SOURCE[0]}")/../names-dir.sh"
for tool in "$anon" "$sample" "$sql" /usr/bin/time; do
  [[ -x $tool ]] || { echo "run.sh: $tool fehlt" >&2; exit 2; }
done

work=${WORK_DIR:-$(mktemp -d)}
trap '[[ -z ${WORK_DIR:-} ]] && rm -rf "$work"' EXIT
"$sample" --out "$work/sq" --large --seed "$seed" >/dev/null
"$sample" --out "$work/ac" --large --access --seed "$seed" >/dev/null

median() { sort -n | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }

# Runs "$@" under /usr/bin/time; appends "seconds kilobytes" to the file $out.
timed() {
  local out=$1
  shift
  /usr/bin/time -f "%e %M" -o "$work/t.txt" "$@"
  cat "$work/t.txt" >>"$out"
}

# --- 1. Full run ----------------------------------------------------------------------
full_run() {  # $1 = sq|ac, $2 = target file name
  rm -rf "$work/run"
  cp -r "$work/$1" "$work/run"
  timed "$work/full-$1.txt" "$anon" --seed 5 --names-dir "$names" --directory "$work/run/Schulver.mdb" \
    "$work/run/$2" >"$work/out.txt" 2>&1
  grep -q "^Fertig" "$work/out.txt" || { echo "run.sh: der Lauf auf $2 endete nicht mit Fertig:" >&2; tail -3 "$work/out.txt" >&2; exit 1; }
}
rm -f "$work"/full-*.txt
for ((i = 1; i <= runs; i++)); do
  full_run sq Edvara.sqlite
  full_run ac Edvara.mdb
done
fsq=$(cut -d' ' -f1 "$work/full-sq.txt" | median)
fac=$(cut -d' ' -f1 "$work/full-ac.txt" | median)
msq=$(cut -d' ' -f2 "$work/full-sq.txt" | sort -n | tail -1)
mac=$(cut -d' ' -f2 "$work/full-ac.txt" | sort -n | tail -1)
echo "Gesamtlauf --large:  SQLite ${fsq} s (${msq} KB)   Access ${fac} s (${mac} KB)   Verhältnis $(ratio "$fac" "$fsq") (Ziel ≤ 2)"

# --- 2. Bulk writes -------------------------------------------------------------------
cat >"$work/bulk.sql" <<'EOF'
UPDATE Schueler SET Name = 'Ö' || Name, Vorname = Vorname || 'é';
UPDATE SchuelerLeistungsdaten SET Fachlehrer = 'NEU' WHERE Fachlehrer = (SELECT Fachlehrer FROM SchuelerLeistungsdaten WHERE Fachlehrer IS NOT NULL GROUP BY Fachlehrer ORDER BY count(*) DESC, Fachlehrer LIMIT 1);
DELETE FROM SchuelerLeistungsdaten WHERE ID % 10 = 0;
INSERT INTO SchuelerLeistungsdaten (ID, Abschnitt_ID, Fach_ID, Hochrechnung, Fachlehrer, Kursart, KursartAllg, Kurs_ID, NotenKrz, Warnung, AbiFach, Wochenstunden, FehlStd, uFehlStd, Sortierung, Zusatzkraft, SchulnrEigner) SELECT ID + 1000000, Abschnitt_ID, Fach_ID, Hochrechnung, Fachlehrer, Kursart, KursartAllg, Kurs_ID, NotenKrz, Warnung, AbiFach, Wochenstunden, FehlStd, uFehlStd, Sortierung, Zusatzkraft, SchulnrEigner FROM SchuelerLeistungsdaten WHERE ID % 10 = 1 ORDER BY ID LIMIT 10000;
SELECT count(*) FROM SchuelerLeistungsdaten;
EOF
bulk() {  # $1 = sq|ac, $2 = target file name
  rm -rf "$work/run"
  cp -r "$work/$1" "$work/run"
  timed "$work/bulk-$1.txt" "$sql" "$work/run/$2" <"$work/bulk.sql" >"$work/bulk-$1.out"
}
rm -f "$work"/bulk-*.txt
for ((i = 1; i <= runs; i++)); do
  bulk sq Edvara.sqlite
  bulk ac Edvara.mdb
done
cmp -s "$work/bulk-sq.out" "$work/bulk-ac.out" || { echo "run.sh: die Schreiblast endet verschieden" >&2; exit 1; }
"$sql" --check "$work/run/Edvara.mdb" >/dev/null || { echo "run.sh: --check meldet Fehler nach der Schreiblast" >&2; exit 1; }
bsq=$(cut -d' ' -f1 "$work/bulk-sq.txt" | median)
bac=$(cut -d' ' -f1 "$work/bulk-ac.txt" | median)
mac=$(cut -d' ' -f2 "$work/bulk-ac.txt" | sort -n | tail -1)
echo "Schreiblast:         SQLite ${bsq} s   Access ${bac} s (${mac} KB)   Verhältnis $(ratio "$bac" "$bsq") (Ziel ≤ 5, < 100 MB)"

# --- 3. Lookups -----------------------------------------------------------------------
"$sql" "$work/ac/Edvara.mdb" "SELECT DISTINCT Abschnitt_ID FROM SchuelerLeistungsdaten ORDER BY 1 LIMIT 1000" |
  tail -n +2 | awk '{ print "SELECT count(*) FROM SchuelerLeistungsdaten WHERE Abschnitt_ID = " $1 ";" }' >"$work/lookups.sql"
"$sql" "$work/ac/Edvara.mdb" "SELECT DISTINCT Fachlehrer FROM SchuelerLeistungsdaten WHERE Fachlehrer IS NOT NULL" |
  tail -n +2 | awk '{ for (k = 0; k < 7; k++) print "SELECT count(*) FROM SchuelerLeistungsdaten WHERE Fachlehrer = '\''" $1 "'\'';" }' |
  head -n 1000 >>"$work/lookups.sql"
lookups() {  # $1 = edvara-sql, $2 = result file
  timed "$2" "$1" --read-only "$work/ac/Edvara.mdb" <"$work/lookups.sql" >"$work/lookups.out"
}
single() {  # $1 = edvara-sql, $2 = result file
  timed "$2" "$1" --read-only "$work/ac/Edvara.mdb" "SELECT count(*) FROM SchuelerLeistungsdaten WHERE Abschnitt_ID = 77" >/dev/null
}
rm -f "$work"/look-*.txt "$work"/one-*.txt
for ((i = 1; i <= runs; i++)); do
  lookups "$sql" "$work/look-new.txt"
  single "$sql" "$work/one-new.txt"
  if [[ -n $base ]]; then
    lookups "$base/bin/edvara-sql" "$work/look-base.txt"
    single "$base/bin/edvara-sql" "$work/one-base.txt"
  fi
done
lnew=$(cut -d' ' -f1 "$work/look-new.txt" | median)
onew=$(cut -d' ' -f1 "$work/one-new.txt" | median)
if [[ -n $base ]]; then
  lbase=$(cut -d' ' -f1 "$work/look-base.txt" | median)
  obase=$(cut -d' ' -f1 "$work/one-base.txt" | median)
  echo "2000 Abfragen:       B-Baum ${lnew} s   Speicherindex (Vergleichsbau) ${lbase} s   Verhältnis $(ratio "$lnew" "$lbase") (Ziel ≤ 1)"
  echo "eine Abfrage:        B-Baum ${onew} s   Speicherindex (Vergleichsbau) ${obase} s   Verhältnis $(ratio "$onew" "$obase")"
else
  echo "2000 Abfragen:       B-Baum ${lnew} s;   eine Abfrage ${onew} s (BASELINE_BUILD_DIR für den Vergleich)"
fi
