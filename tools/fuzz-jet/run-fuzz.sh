#!/usr/bin/env bash
# Fuzzes the Access engine (reading each input, then changing a copy of it) for SECONDS
# seconds (default 60) in a clang build of its own, starting from a corpus made of the real
# Access files and a few files of our own making. Exits non-zero when libFuzzer finds a
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

cd "$work"
exec "$build_dir/bin/fuzz-jet" "$corpus" \
  -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -max_len=1048576 \
  -artifact_prefix="$work/artifacts/" -print_final_stats=1
