#!/usr/bin/env bash
# What the scrub at the end of a run removes and what it costs: a full run of edvara-anon
# on copies of the large samples (SQLite, and Access): once with --raw-scan, printing how
# many of the replaced originals the file's raw bytes still hold before and after the
# scrub (also on copies with planted leftovers, edvara-sample --leftovers), and what the
# residue search still lists, each without and with --complete; then RUNS times without it (the scan would be timed with the scrub), printing the
# scrub's time against the rest of the run (the target: at most +20 % on the Access
# sample). The time of the scrub is the time between its status line and the next one.
#
#   bench/scrub/run.sh [BUILD_DIR] [RUNS]
#
# BUILD_DIR defaults to ./build; RUNS (default 3; 0: the counts only) runs of each kind, each on a fresh copy;
# the medians are printed last. Environment: NAMES_DIR (name lists; default BUILD_DIR/bin,
# else data/), SEED (default 20250315), WORK_DIR (default a temporary folder).
set -euo pipefail

build=${1:-build}
runs=${2:-3}
seed=${SEED:-20250315}
anon=$build/bin/edvara-anon
sample=$build/bin/edvara-sample
source "$(dirname "${BASH_SOURCE[0]}")/../names-dir.sh"
for tool in "$anon" "$sample"; do
  [[ -x $tool ]] || { echo "run.sh: $tool fehlt" >&2; exit 2; }
done

work=${WORK_DIR:-$(mktemp -d)}
trap '[[ -z ${WORK_DIR:-} ]] && rm -rf "$work"' EXIT
"$sample" --out "$work/sqlite" --large --seed "$seed" >/dev/null
"$sample" --out "$work/access" --large --access --seed "$seed" >/dev/null
# For the byte counts: the same samples with what years of use leave behind (old row
# images, pages given back); without them the scrub would have little to find, since our
# own engine zeroes what it deletes.
"$sample" --out "$work/sqlite-old" --large --seed "$seed" --leftovers >/dev/null
"$sample" --out "$work/access-old" --large --access --seed "$seed" --leftovers >/dev/null

stamp() {
  local line
  while IFS= read -r line; do
    printf '%s %s\n' "$EPOCHREALTIME" "$line"
  done
}

# One run on a fresh copy; prints: kind, scrub seconds, residue search seconds, whole run
# seconds, and with --raw-scan the originals searched, found before and found after.
measure() {
  local kind=$1 target=$2
  shift 2
  rm -rf "$work/run"
  cp -r "$work/$kind" "$work/run"
  {
    echo "$EPOCHREALTIME Programmstart"
    "$anon" "$@" --seed "$seed" --names-dir "$names" --directory "$work/run/Schulver.mdb" "$work/run/$target" 2>&1 | stamp
    echo "$EPOCHREALTIME Programmende"
  } >"$work/stamped.txt"
  awk -v kind="$kind" '
    { t = $1; $1 = ""; sub(/^ +/, "") }
    /^Programmstart/ { start = t }
    /^Freien Speicher überschreiben/ { scrubStart = t }
    /^Verbliebene Originalwerte suchen/ { scrubEnd = t }
    /^Fertig/ { searchEnd = t }
    /^Rohdaten:/ { n = split($0, w, " "); for (i = 1; i <= n; ++i) if (w[i] ~ /^[0-9]+[,.]?$/) num[++k] = w[i] + 0 }
    /^Programmende/ { end = t }
    END {
      if (scrubStart == "" || scrubEnd == "" || searchEnd == "") { print kind " unvollständig" > "/dev/stderr"; exit 1 }
      printf "%s %.3f %.3f %.3f", kind, scrubEnd - scrubStart, searchEnd - scrubEnd, end - start
      if (k >= 4) printf " %d %d %d %d", num[1], num[2], num[3], num[4]
      printf "\n"
    }' "$work/stamped.txt"
}

target_of() { [[ $1 == access ]] && echo Edvara.mdb || echo Edvara.sqlite; }

echo "Rohdaten (ersetzte Originalwerte ab vier Bytes, gesucht in UTF-16LE, Access-Kurzform, Windows-1252, UTF-8;"
echo "\"lebend\": danach noch in Zellen der Tabellen, auch über Nachbarzellen hinweg; \"Spalten\": was die Suche nach"
echo "Originalwerten als ganze Wörter nach dem Lauf meldet, Spalten/Datensätze), ohne und mit --complete:"
for option in "" --complete; do
  for kind in sqlite access sqlite-old access-old; do
    rm -f "$work/rest.csv"
    read -r k _ _ _ searched before after live <<<"$(measure "$kind" "$(target_of "${kind%-old}")" --raw-scan \
      --residue-report "$work/rest.csv" $option)"
    columns=$(awk -F, 'NR > 1 { c++; r += $3 } END { printf "%d/%d", c, r }' "$work/rest.csv")
    printf '  %-10s %-10s: %5d gesucht, vor dem Überschreiben %5d in der Datei, danach %5d, davon lebend %5d; Spalten %s\n' \
      "$k" "${option:-ohne}" "$searched" "$before" "$after" "$live" "$columns"
  done
done

results=()
for ((i = 1; i <= runs; i++)); do
  for kind in sqlite access; do
    line=$(measure "$kind" "$(target_of "$kind")")
    results+=("$line")
    read -r k scrub search whole <<<"$line"
    printf 'Lauf %d, %-6s: Überschreiben %6.3f s, Suche nach Originalwerten %6.3f s, ganzer Lauf %6.3f s\n' \
      "$i" "$k" "$scrub" "$search" "$whole"
  done
done

((runs > 0)) || exit 0
echo "Median:"
for kind in sqlite access; do
  # Plain awk (Debian's default is mawk, without asort).
  printf '%s\n' "${results[@]}" | awk -v kind="$kind" '
    function sort(a, n,   i, j, t) { for (i = 2; i <= n; ++i) for (j = i; j > 1 && a[j - 1] > a[j]; --j) { t = a[j]; a[j] = a[j - 1]; a[j - 1] = t } }
    $1 == kind { s[++n] = $2; r[n] = $3; w[n] = $4 }
    END {
      sort(s, n); sort(r, n); sort(w, n); m = int((n + 1) / 2)
      printf "  %-6s: Überschreiben %.3f s = +%.1f %% auf den Lauf ohne es (%.3f s); Suche nach Originalwerten %.3f s\n",
        kind, s[m], 100 * s[m] / (w[m] - s[m]), w[m] - s[m], r[m]
    }'
done
