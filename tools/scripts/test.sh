#!/bin/sh
# Builds and runs the whole test suite: a normal build, then the same tests under
# AddressSanitizer and UBSan, then the fuzz target of the Access reader for a bounded
# time. Stops at the first failure.
set -eu
cd "$(dirname "$0")/../.."
jobs=$(nproc 2>/dev/null || echo 2)

echo "== Build and tests"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs"

echo "== Tests under AddressSanitizer and UBSan"
cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=Debug -DEDVARA_SANITIZE=ON
cmake --build build-sanitize -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
LSAN_OPTIONS=suppressions="$PWD/tools/scripts/lsan.supp" \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-sanitize --output-on-failure -j"$jobs"

if [ -x tools/fuzz-jet/run-fuzz.sh ]; then
  echo "== Fuzzing the Access reader"
  tools/fuzz-jet/run-fuzz.sh "${EDVARA_FUZZ_SECONDS:-30}"
fi
echo "== All tests passed"
