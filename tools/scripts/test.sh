#!/bin/sh
# Builds and runs the whole test suite under AddressSanitizer and UBSan, then the fuzz
# target of the Access engine for a bounded time. Stops at the first failure.
set -eu
cd "$(dirname "$0")/../.."
jobs=$(nproc 2>/dev/null || echo 2)

echo "== Build and tests, under AddressSanitizer and UBSan"
# One build serves the whole suite: the sanitizers catch what a plain build's run would
# pass silently, and -O1 keeps the instrumented tests (the crash and random-write tests
# among them) quick without slowing the build.
# A compiler cache, where the machine has one, makes a second build of the same sources quick.
launcher=""
if command -v ccache >/dev/null 2>&1; then launcher="-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"; fi
cmake -S . -B build-test -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" -DEDVARA_SANITIZE=ON $launcher
cmake --build build-test -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
LSAN_OPTIONS=suppressions="$PWD/tools/scripts/lsan.supp" \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-test --output-on-failure -j"$jobs"

if [ -x tools/fuzz-jet/run-fuzz.sh ]; then
  echo "== Fuzzing the Access engine"
  tools/fuzz-jet/run-fuzz.sh "${EDVARA_FUZZ_SECONDS:-30}"
fi
echo "== All tests passed"
