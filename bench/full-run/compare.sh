#!/usr/bin/env bash
# The full run of edvara-anon on an Access target against the same run on a SQLite target,
# side by side in one script: wall time, CPU time and peak memory (/usr/bin/time -v) of
# each, the minimum and median over RUNS runs, and the ratios Access/SQLite. At the end,
# the peak memory of each kind for every SIZE side by side, with the ratio of each size's
# to the first size's (memory that grows with the file shows there).
# Layer: benchmark (shell). It measures and judges nothing; it changes only its own copies.
#
#   bench/full-run/compare.sh [BUILD_DIR] [RUNS] [SIZE ...]
#
# BUILD_DIR defaults to ./build, RUNS (default 5) runs of each, alternating SQLite and
# Access, each on a fresh copy of its sample. Each SIZE (default "1 4") is one pair of
# samples: `edvara-sample --large --size SIZE`, as SQLite and as Access files of the same
# seed. Both runs read the same school directory, the Access one of the sample, as schools
# have it, so the two runs differ only in the target's format. A run that does not end
# with "Fertig" and exit status 0 stops the script (exit 1).
# Environment: SEED (default 20250315), NAMES_DIR (name lists; default BUILD_DIR/bin,
# else data/), WORK_DIR (default a temporary folder, removed at the end).
set -euo pipefail

build=${1:-build}
runs=${2:-5}
shift $(( $# > 2 ? 2 : $# ))
sizes=("$@")
[[ ${#sizes[@]} -gt 0 ]] || sizes=(1 4)
seed=${SEED:-20250315}
anon=$build/bin/edvara-anon
sample=$build/bin/edvara-sample
source "$(dirname "${BASH_SOURCE[0]}")/../names-dir.sh"
for tool in "$anon" "$sample" /usr/bin/time; do
  [[ -x $tool ]] || { echo "compare.sh: $tool fehlt" >&2; exit 2; }
done
[[ -f $names/nachnamen.txt ]] || { echo "compare.sh: keine Namenslisten in $names" >&2; exit 2; }
[[ $runs =~ ^[1-9][0-9]*$ ]] || { echo "compare.sh: RUNS muss eine Zahl ab 1 sein" >&2; exit 2; }

work=${WORK_DIR:-$(mktemp -d)}
[[ -n ${WORK_DIR:-} ]] || trap 'rm -rf "$work"' EXIT
mkdir -p "$work"

# One run on a fresh copy of the target; appends "wall cpu peakKiB" to the file $3.
measure() {
  local target=$1 directory=$2 out=$3 copy
  copy=$work/run/$(basename "$target")
  rm -rf "$work/run"
  mkdir -p "$work/run"
  cp "$target" "$copy"
  local status=0
  /usr/bin/time -v -o "$work/time.txt" \
    "$anon" --seed "$seed" --names-dir "$names" --directory "$directory" "$copy" >"$work/log.txt" 2>&1 ||
    status=$?
  if [[ $status -ne 0 ]] || ! grep -qx 'Fertig' "$work/log.txt"; then
    echo "compare.sh: der Lauf auf $target endete nicht mit „Fertig“ (Status $status):" >&2
    tail -5 "$work/log.txt" >&2
    exit 1
  fi
  awk -F': ' '
    /Elapsed \(wall clock\)/ { n = split($2, p, ":"); w = 0; for (i = 1; i <= n; ++i) w = w * 60 + p[i] }
    /User time/ { u = $2 } /System time/ { s = $2 } /Maximum resident set size/ { m = $2 }
    END { printf "%.3f %.3f %d\n", w, u + s, m }' "$work/time.txt" >>"$out"
}

# min and median of column $2 of file $1
stats() { cut -d' ' -f"$2" "$1" | sort -g | awk '{ a[NR] = $1 } END { printf "%s %s\n", a[1], (NR % 2 ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2) }'; }

declare -A peak=()
for size in "${sizes[@]}"; do
  dir=$work/size$size
  "$sample" --out "$dir/sqlite" --large --size "$size" --seed "$seed" >/dev/null
  "$sample" --out "$dir/access" --large --size "$size" --seed "$seed" --access >/dev/null
  directory=$dir/access/Schulver.mdb
  : >"$dir/sqlite.txt"
  : >"$dir/access.txt"
  for ((i = 1; i <= runs; i++)); do
    measure "$dir/sqlite/Edvara.sqlite" "$directory" "$dir/sqlite.txt"
    measure "$dir/access/Edvara.mdb" "$directory" "$dir/access.txt"
  done
  students=$("$build/bin/edvara-sql" "$dir/sqlite/Edvara.sqlite" 'select count(*) from Schueler' | tail -1)
  echo "== --large --size $size ($students Schüler), $runs Läufe je Format, Median (Minimum):"
  printf '  %-8s %18s %18s %20s\n' "" "Uhrzeit s" "CPU s" "Speicher MB"
  declare -A med=()
  for format in sqlite access; do
    line=$(printf '  %-8s' "$format")
    for col in 1 2 3; do
      read -r lo mid < <(stats "$dir/$format.txt" "$col")
      med[$format$col]=$mid
      [[ $col -eq 3 ]] && peak[$format$size]=$mid
      if [[ $col -eq 3 ]]; then
        line+=$(awk -v a="$mid" -v b="$lo" 'BEGIN { printf " %11.1f (%6.1f)", a / 1024, b / 1024 }')
      else
        line+=$(awk -v a="$mid" -v b="$lo" 'BEGIN { printf " %9.2f (%6.2f)", a, b }')
      fi
    done
    echo "$line"
  done
  awk -v aw="${med[access1]}" -v sw="${med[sqlite1]}" -v ac="${med[access2]}" -v sc="${med[sqlite2]}" \
      -v am="${med[access3]}" -v sm="${med[sqlite3]}" 'BEGIN {
    printf "  Verhältnis Access/SQLite der Mediane: Uhrzeit %.2f, CPU %.2f, Speicher %.2f\n", aw / sw, ac / sc, am / sm }'
  # Run i of each format ran one after the other: their ratio does not drift with the
  # machine's load, so the median of the pairs' ratios is the steadier figure.
  paste -d' ' "$dir/access.txt" "$dir/sqlite.txt" | awk '{ print $1 / $4, $2 / $5 }' >"$dir/pairs.txt"
  read -r wall_lo wall_mid < <(stats "$dir/pairs.txt" 1)
  read -r cpu_lo cpu_mid < <(stats "$dir/pairs.txt" 2)
  awk -v a="$wall_mid" -v b="$wall_lo" -v c="$cpu_mid" -v d="$cpu_lo" 'BEGIN {
    printf "  Verhältnis je Paar, Median (kleinstes): Uhrzeit %.2f (%.2f), CPU %.2f (%.2f)\n", a, b, c, d }'
done

echo "== Speicher (Höchststand MB, Median) je Größe:"
header=$(printf '  %-8s' "")
for size in "${sizes[@]}"; do header+=$(printf ' %10s' "--size $size"); done
[[ ${#sizes[@]} -gt 1 ]] && header+=$(printf '   %s' "Verhältnis zu --size ${sizes[0]}")
echo "$header"
for format in sqlite access; do
  line=$(printf '  %-8s' "$format")
  for size in "${sizes[@]}"; do line+=$(awk -v a="${peak[$format$size]}" 'BEGIN { printf " %10.1f", a / 1024 }'); done
  for size in "${sizes[@]:1}"; do
    line+=$(awk -v a="${peak[$format$size]}" -v b="${peak[$format${sizes[0]}]}" -v s="$size" 'BEGIN { printf "   %s: %.2f", s, a / b }')
  done
  echo "$line"
done
