#!/usr/bin/env bash
# The cost of durability: the full run of edvara-anon on the --large Access sample by a
# baseline build (the default before group commit: nothing flushed) against this build's
# default (group commit) and this build's --sync, side by side and alternating, each run on
# a fresh copy on the same disk: wall time, minimum and median of RUNS runs, and the ratios
# against the baseline (the goal: the default at most 1.2 times the baseline).
#
#   bench/full-run/durability.sh BASELINE_BUILD_DIR [BUILD_DIR] [RUNS]
#
# BUILD_DIR defaults to ./build, RUNS to 3. WORK_DIR (default a temporary folder in /tmp,
# on the disk, not in memory), SEED (20250315),
# SYNC=0 leaves out the --sync runs.
set -euo pipefail
base=${1:?Aufruf: durability.sh BASELINE_BUILD_DIR [BUILD_DIR] [RUNS]}
build=${2:-build}
runs=${3:-3}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../names-dir.sh"
for tool in "$base/bin/edvara-anon" "$build/bin/edvara-anon" "$build/bin/edvara-sample"; do
  [[ -x $tool ]] || { echo "durability.sh: $tool fehlt" >&2; exit 2; }
done
work=${WORK_DIR:-$(mktemp -d)}
[[ -n ${WORK_DIR:-} ]] || trap 'rm -rf "$work"' EXIT
"$build/bin/edvara-sample" --out "$work/original" --large --access --seed "${SEED:-20250315}" >/dev/null

kinds=(baseline default)
[[ ${SYNC:-1} == 1 ]] && kinds+=(sync)
declare -A times
one() {  # kind -> seconds of one run
  local kind=$1 anon=$build/bin/edvara-anon extra=()
  [[ $kind == baseline ]] && anon=$base/bin/edvara-anon
  [[ $kind == sync ]] && extra=(--sync)
  cp "$work/original/Edvara.mdb" "$work/run.mdb"
  sync
  local start end
  start=$(date +%s.%N)
  "$anon" --seed 7 --names-dir "$names" --directory "$work/original/Schulver.mdb" "${extra[@]}" "$work/run.mdb" \
    >"$work/$kind.log" 2>&1 || { echo "Lauf $kind endete mit Fehler:"; tail -3 "$work/$kind.log"; exit 1; }
  end=$(date +%s.%N)
  echo "$end - $start" | bc
}
for ((r = 1; r <= runs; r++)); do
  for kind in "${kinds[@]}"; do
    t=$(one "$kind")
    times[$kind]="${times[$kind]:-} $t"
    echo "Lauf $r $kind: $t s"
  done
done
stat() {  # "min median" of the numbers given
  printf '%s\n' "$@" | sort -g | awk '{a[NR]=$1} END {printf "%.2f %.2f", a[1], (NR % 2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2)}'
}
read -r bmin bmed <<<"$(stat ${times[baseline]})"
printf '%-9s %8s %8s %7s\n' Art Minimum Median Faktor
for kind in "${kinds[@]}"; do
  read -r min med <<<"$(stat ${times[$kind]})"
  printf '%-9s %8s %8s %7s\n' "$kind" "$min" "$med" "$(echo "scale=2; $med / $bmed" | bc)"
done
