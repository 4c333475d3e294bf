#!/usr/bin/env bash
# Power-loss simulation of whole runs: edvara-anon on the small Access sample with a log of
# every write and flush to the target and its journal (libedvara-writelog.so, LD_PRELOAD),
# then the log replayed up to POINTS points as the disk may hold it after a power failure
# there (edvara-power-loss says how). Checked for each point: the file, opened as the next
# start opens it, is exactly the state after some unit (the last group finished before the
# point, or the one being written), never a mixture and never older than what was flushed.
# Layer: test tool (shell); changes nothing but its own copies in a temporary folder.
#
#   tools/power-loss/run.sh [BUILD_DIR] [POINTS]
#
# BUILD_DIR (default ./build) holds bin/edvara-anon, edvara-sample, edvara-power-loss and
# libedvara-writelog.so; POINTS (default 600) per mode. MODES (default "default sync"): the
# default durability and --sync. SEED (the replay's random choice; printed), WORK_DIR (kept).
set -euo pipefail
build=${1:-build}
points=${2:-600}
bin=$build/bin
modes=${MODES:-default sync}
seed=${SEED:-$RANDOM}
work=${WORK_DIR:-$(mktemp -d)}
[[ -n ${WORK_DIR:-} ]] || trap 'rm -rf "$work"' EXIT
mkdir -p "$work"
echo "Stromausfall-Simulation: $points Punkte je Modus, Startwert $seed, Ordner $work"
"$bin/edvara-sample" --out "$work/sample" --access --seed 20250315 >/dev/null
# The writes of a sanitizer build's program are its own; the library is not instrumented.
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:verify_asan_link_order=0"
status=0
for mode in $modes; do
  dir=$work/$mode
  mkdir -p "$dir"
  cp "$work/sample/Edvara.mdb" "$dir/original.mdb"
  cp "$work/sample/Edvara.mdb" "$dir/Edvara.mdb"
  target=$(realpath "$dir/Edvara.mdb")
  options=()
  [[ $mode == sync ]] && options=(--sync)
  rm -f "$dir/writes.log"
  EDVARA_WRITELOG="$dir/writes.log" EDVARA_WRITELOG_TARGET="$target" LD_PRELOAD="$(realpath "$bin/libedvara-writelog.so")" \
    "$bin/edvara-anon" --seed 7 --names-dir "$bin" --directory "$work/sample/Schulver.mdb" "${options[@]}" "$target" \
    >"$dir/run.log" 2>&1 || { echo "Der Lauf ($mode) endete nicht mit Fertig:"; tail -5 "$dir/run.log"; exit 1; }
  echo "Modus $mode: Schreibprotokoll $(du -h "$dir/writes.log" | cut -f1)"
  "$bin/edvara-power-loss" "$dir/writes.log" "$dir/original.mdb" "$target" "$points" "$seed" || status=1
done
exit $status
