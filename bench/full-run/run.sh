#!/usr/bin/env bash
# A full run of edvara-anon on a copy of the large sample database: wall time, the time
# of each stage (from the status and progress lines as they arrive) and the peak memory.
#
#   bench/full-run/run.sh [BUILD_DIR] [RUNS]
#
# BUILD_DIR defaults to ./build; RUNS (default 3) runs are made, each on a fresh copy.
# Environment: SAMPLE_TOOL (edvara-sample; default BUILD_DIR/bin/edvara-sample),
# NAMES_DIR (name lists; default BUILD_DIR/bin, else data/), SEED (default 20250315),
# WORK_DIR (default a temporary folder on the same disk as /tmp), ACCESS=1 (the sample and
# its directory as Access files), SIZE (the sample's --size, default 1).
# compare.sh beside it sets Access and SQLite side by side.
set -euo pipefail

build=${1:-build}
runs=${2:-3}
seed=${SEED:-20250315}
anon=$build/bin/edvara-anon
sample=${SAMPLE_TOOL:-$build/bin/edvara-sample}
source "$(dirname "${BASH_SOURCE[0]}")/../names-dir.sh"
for tool in "$anon" "$sample" /usr/bin/time; do
  [[ -x $tool ]] || { echo "run.sh: $tool fehlt" >&2; exit 2; }
done
[[ -f $names/nachnamen.txt ]] || { echo "run.sh: keine Namenslisten in $names" >&2; exit 2; }

work=${WORK_DIR:-$(mktemp -d)}
trap '[[ -z ${WORK_DIR:-} ]] && rm -rf "$work"' EXIT
sample_options=(--large --size "${SIZE:-1}" --seed "$seed")
target=Edvara.sqlite
if [[ ${ACCESS:-0} == 1 ]]; then
  sample_options+=(--access)
  target=Edvara.mdb
fi
"$sample" --out "$work/original" "${sample_options[@]}" >/dev/null

# Prints each line of the run prefixed with the moment it arrived (the program flushes
# every line, so that is the moment it was written).
stamp() {
  local line
  while IFS= read -r line; do
    printf '%s %s\n' "$EPOCHREALTIME" "$line"
  done
}

# Stage times from the stamped lines: each status line starts a stage; students end at
# their last progress line, the general addresses at "Lehrer bearbeiten", the teachers
# at their last progress line, the place purge at the next status; after "Fertig" the
# file is closed (the write-ahead log goes back into the database file).
stages() {
  awk '
    function mark(name, t) { if (last != "") printf "  %-34s %7.3f s\n", last, t - lastT; last = name; lastT = t }
    { t = $1; $1 = ""; sub(/^ +/, "") }
    /^Programmstart/        { mark("Start, Namenslisten, Verbindungen", t); next }
    /^Schüler bearbeiten/   { mark("Orte, Postleitzahlen, Schüler", t); phase = "S"; next }
    /^Lehrer bearbeiten/    { mark("Lehrkräfte", t); phase = "L"; next }
    /^Schulen zuordnen/     { mark("Schulen", t); next }
    /^Restarbeiten/         { mark("Restarbeiten", t); next }
    /^Externe SQL-Befehle/  { mark("Externe SQL-Befehle", t); next }
    /^Fertig/               { mark("Schließen der Datei", t); next }
    /^Programmende/         { mark("", t); next }
    /\(([0-9]+)\/\1\)$/ || /\(([0-9]+)\/([0-9]+)\)$/ {
      split($NF, p, "[(/)]");
      if (p[2] == p[3] && phase == "S") mark("Allgemeine Adressen", t);
      if (p[2] == p[3] && phase == "L") mark("Orte mit kurzer Postleitzahl", t);
    }
  '
}

for ((i = 1; i <= runs; i++)); do
  rm -rf "$work/run"
  cp -r "$work/original" "$work/run"
  {
    echo "$EPOCHREALTIME Programmstart"
    /usr/bin/time -v -o "$work/time.txt" \
      "$anon" --seed "$seed" --names-dir "$names" --directory "$work/run/Schulver.mdb" "$work/run/$target" \
      2>&1 | stamp
    echo "$EPOCHREALTIME Programmende"
  } >"$work/stamped.txt"
  echo "Lauf $i:"
  stages <"$work/stamped.txt"
  awk -F': ' '/Elapsed \(wall clock\)/ { print "  Gesamt (Uhrzeit)                   " $2 }
              /Maximum resident set size/ { printf "  Größter Speicherbedarf             %.1f MB\n", $2 / 1024 }
              /User time/ { u = $2 } /System time/ { printf "  CPU (Benutzer + System)            %.2f s\n", u + $2 }' \
    "$work/time.txt"
done
