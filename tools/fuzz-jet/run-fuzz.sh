#!/usr/bin/env bash
# Fuzzes the Access engine (reading each input, then changing a copy of it) for SECONDS
# seconds (default 60) in a clang build of its own, starting from a corpus made of the real
# Access files and a few files of our own making. First the target runs on each of those
# seeds alone, and the independent judge (Jackcess, `judge verify`) must accept every copy
# its changes altered. Exits non-zero when the judge rejects one, or when libFuzzer finds a
# crash, a hang, a leak or a failed change that altered the copy; the offending input is
# left in the work folder.
set -euo pipefail

seconds="${1:-60}"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
source_dir="$(cd "$here/../.." && pwd)"
build_dir="${FUZZ_BUILD_DIR:-$source_dir/build-fuzz}"
fixtures="${EDVARA_ACCESS_FIXTURES:-$source_dir/../shared/fixtures/access}"
work="${FUZZ_WORK_DIR:-$build_dir/fuzz-work}"

instrument="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
generator=()
if [ ! -e "$build_dir/CMakeCache.txt" ] && command -v ninja >/dev/null; then
  generator=(-G Ninja)
fi
cmake -S "$source_dir" -B "$build_dir" "${generator[@]}" \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DEDVARA_FUZZ=ON -DEDVARA_BUILD_TESTS=OFF \
  -DEDVARA_ACCESS_FIXTURES="$fixtures" \
  -DCMAKE_CXX_FLAGS="$instrument" -DCMAKE_C_FLAGS="$instrument" >/dev/null
cmake --build "$build_dir" -j2 --target fuzz-jet fuzz-jet-seeds

corpus="$work/corpus"
mkdir -p "$corpus" "$work/artifacts"
for f in "$fixtures"/*.mdb "$fixtures"/*.accdb; do
  [ -e "$f" ] && cp -f "$f" "$corpus/"
done
"$build_dir/bin/fuzz-jet-seeds" "$corpus"

# The judge on what the target's changes leave of each seed (the files libFuzzer adds to
# the corpus later are left to the fuzzing itself).
source "$source_dir/tools/scripts/judge.sh"
if [ -n "$judge_missing" ]; then
  echo "run-fuzz: $judge_missing" >&2
else
  judged=0
  rejected=0
  copy="$work/judged.mdb"
  for seed in "$fixtures"/*.mdb "$fixtures"/*.accdb "$corpus"/seed-*.mdb; do
    [ -e "$seed" ] || continue
    seed="$corpus/$(basename "$seed")"
    rm -f "$copy" "$copy-journal"
    FUZZ_JET_COPY="$copy" "$build_dir/bin/fuzz-jet" "$seed" >"$work/judged.log" 2>&1 &
    pid=$!
    status=0
    wait "$pid" || status=$?
    rm -f "/dev/shm/fuzz-jet-$pid.mdb" "/tmp/fuzz-jet-$pid.mdb"  # the target's scratch copy of its input
    [ "$status" -eq 0 ] ||
      { echo "run-fuzz: fuzz-jet scheitert an $seed:" >&2; tail -5 "$work/judged.log" >&2; exit 1; }
    if [ ! -f "$copy" ] || cmp -s "$copy" "$seed"; then
      continue  # nothing written (Access 97, .accdb, every change refused)
    fi
    judged=$((judged + 1))
    if ! out=$(judge_run verify "$copy" 2>&1); then
      rejected=$((rejected + 1))
      cp "$copy" "$work/artifacts/judged-$(basename "$seed")"
      echo "run-fuzz: judge verify lehnt ab, was die Änderungen von $(basename "$seed") übrig lassen" \
        "(artifacts/judged-$(basename "$seed")):" >&2
      grep -E 'FAIL|exception' <<<"$out" | head -5 >&2 || true
    fi
  done
  echo "run-fuzz: judge verify nach den Änderungen an $judged Saatdateien: $rejected abgelehnt"
  [ "$rejected" -eq 0 ] || exit 1
fi

cd "$work"
exec "$build_dir/bin/fuzz-jet" "$corpus" \
  -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -max_len=1048576 \
  -artifact_prefix="$work/artifacts/" -print_final_stats=1
