#!/bin/sh
# The main job on the sample: generate the sample school database and directory as
# Access files (as schools have them), show a few of its rows, anonymise it in place with
# edvara-anon, show the same rows again, and check the file with the engine's own check.
set -eu
cd "$(dirname "$0")/../.."
bin=${1:-build}/bin
demo=${1:-build}/demo
rm -rf "$demo"
mkdir -p "$demo"
"$bin/edvara-sample" --out "$demo" --seed 2026 --access

show() {
  "$bin/edvara-sql" "$demo/Edvara.mdb" "$1"
}
view() {
  echo "-- Schüler (die ersten 5)"
  show "select top 5 ID, Name, Vorname, Strasse, PLZ, OrtAbk, Geburtsdatum, Email from Schueler order by ID"
  echo "-- Lehrkräfte (die ersten 5)"
  show "select top 5 ID, Kuerzel, Nachname, Vorname, Geburtsdatum, IdentNr1 from K_Lehrer order by ID"
  echo "-- Andere Schulen (die ersten 5)"
  show "select top 5 ID, SchulNr, Name, Ort from K_Schule order by ID"
  echo "-- Eigene Schule"
  show "select Schulnr, Bezeichnung1, Bezeichnung2, Ort, SchulleiterName from EigeneSchule"
}

echo "==== Vorher"
view
echo "==== Anonymisieren"
"$bin/edvara-anon" --seed 1 --names-dir data --directory "$demo/Schulver.mdb" "$demo/Edvara.mdb"
echo "==== Nachher"
view
echo "==== Prüfung der Datei"
"$bin/edvara-sql" --check "$demo/Edvara.mdb"
