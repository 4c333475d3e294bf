#!/usr/bin/env bash
# Reproduces a fault of the rollback journal: a second program that opens an Access file
# for reading while a writer has it open removes the writer's journal `<file>-journal`,
# although it is then refused with "gesperrt". The writer goes on journalling into the
# removed file, so a crash of the writer from then on cannot be rolled back at the next
# open: the file may keep half a statement.
# Layer: test tool (shell); works on a copy of the small Access sample only.
#
#   tools/crash-test/reader-removes-journal.sh [BUILD_DIR] [--show-damage]
#
# With --show-damage it goes on to show the harm on the large sample: the writer changes
# every row of SchuelerLeistungsdaten in one statement and is killed during that
# statement's commit (seen through its removed journal in /proc), with growing delays,
# until the file keeps part of the statement; the next open finds no journal to undo it.
#
# Exit status: 0 the journal survives the reader (fault mended), 1 the fault is there,
# 2 a tool is missing.
set -euo pipefail

build=${1:-build}
sql=$build/bin/edvara-sql
sample=$build/bin/edvara-sample
for tool in "$sql" "$sample"; do
  [[ -x $tool ]] || { echo "reader-removes-journal: $tool fehlt" >&2; exit 2; }
done
work=$(mktemp -d)
writer=
cleanup() {
  exec 7>&- 2>/dev/null || true
  [[ -z $writer ]] || { kill "$writer" 2>/dev/null || true; wait "$writer" 2>/dev/null || true; }
  rm -rf "$work"
}
trap cleanup EXIT

show_damage=0
[[ ${2:-} != --show-damage ]] || show_damage=1
if [[ $show_damage == 1 ]]; then
  "$sample" --out "$work" --access --large >/dev/null
else
  "$sample" --out "$work" --access >/dev/null
fi
file=$work/Edvara.mdb
mkfifo "$work/statements"

# The writer: edvara-sql keeps the file open (and locked) while it waits for statements.
"$sql" "$file" <"$work/statements" >"$work/writer.log" 2>&1 &
writer=$!
exec 7>"$work/statements"
echo "update K_Lehrer set Tel='1' where ID=1" >&7
for _ in $(seq 50); do [[ -e $file-journal ]] && break; sleep 0.1; done
[[ -e $file-journal ]] || { echo "reader-removes-journal: der Schreiber legt kein Journal an" >&2; exit 2; }
echo "1. Der Schreiber (edvara-sql, PID $writer) hat die Datei offen; sein Journal liegt bereit: $file-journal"

status=0
"$sql" --read-only "$file" "select count(*) from K_Lehrer" >/dev/null 2>"$work/reader.err" || status=$?
echo "2. Ein Leser (edvara-sql --read-only) öffnet die Datei: Status $status, $(cat "$work/reader.err")"

echo "update K_Lehrer set Tel='2' where ID=1" >&7
sleep 0.5
if [[ -e $file-journal ]]; then
  echo "3. Das Journal ist noch da: in Ordnung."
  exit 0
fi
echo "3. FEHLER: Das Journal des Schreibers ist gelöscht, obwohl der Leser abgewiesen wurde."
deleted=$(ls -l "/proc/$writer/fd" 2>/dev/null | grep -c -- '-journal (deleted)' || true)
echo "   Der Schreiber schreibt seine nächste Anweisung in ein gelöschtes Journal" \
  "(offene gelöschte Journale: $deleted); stürzt er jetzt ab, nimmt das nächste Öffnen nichts zurück."
[[ $show_damage == 1 ]] || exit 1

# The harm: kill the writer during the commit of a statement over a whole table.
exec 7>&-
wait "$writer" 2>/dev/null || true
writer=
cp "$file" "$work/base.mdb"
rows=$("$sql" "$file" "select count(*) from SchuelerLeistungsdaten" | tail -1)
for delay in 0.01 0.02 0.03 0.04 0.05 0.06 0.08 0.1 0.15 0.2 0.3; do
  cp "$work/base.mdb" "$file"
  rm -f "$file-journal" "$work/statements"
  mkfifo "$work/statements"
  "$sql" "$file" <"$work/statements" >"$work/writer.log" 2>&1 &
  writer=$!
  exec 7>"$work/statements"
  echo "update K_Lehrer set Tel='1' where ID=1" >&7
  sleep 0.3
  "$sql" --read-only "$file" "select 1" >/dev/null 2>&1 || true
  fd=$(ls -l "/proc/$writer/fd" | awk '/-journal \(deleted\)/ { print $9 }')
  echo "update SchuelerLeistungsdaten set Fachlehrer='ZZZ'" >&7
  end=$((SECONDS + 10))
  while (( SECONDS < end )); do
    head=
    IFS= read -r -N 8 head 2>/dev/null <"/proc/$writer/fd/$fd" || true
    [[ $head != EDVJETJ1 ]] || break
  done
  sleep "$delay"
  kill -9 "$writer"
  wait "$writer" 2>/dev/null || true
  writer=
  exec 7>&-
  changed=$("$sql" "$file" "select count(*) from SchuelerLeistungsdaten where Fachlehrer='ZZZ'" | tail -1)
  echo "   Abbruch $delay s nach Beginn des Commits: $changed von $rows Zeilen geändert," \
    "Journal $([[ -e $file-journal ]] && echo vorhanden || echo "nicht vorhanden")"
  if [[ $changed != 0 && $changed != "$rows" ]]; then
    echo "4. FEHLER: Die Anweisung ist nach dem Wiederöffnen halb ausgeführt."
    exit 1
  fi
done
exit 1
