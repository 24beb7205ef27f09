#!/usr/bin/env bash
# Sets up, builds and runs every test: the Linux build with its tests, the
# Windows build of the same system sources (mingw-w64), the tests again under
# AddressSanitizer + UndefinedBehaviorSanitizer, and a bounded fuzzing run.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup-deps.sh
jobs=$(nproc)

echo "== Linux build and tests"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
ctest --test-dir build -j"$jobs" --output-on-failure --timeout 300

echo "== Windows build (mingw-w64)"
cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-win -j"$jobs"
ls -l build-win/starvane.exe

echo "== Tests under ASan + UBSan"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DSTARVANE_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
LSAN_OPTIONS=suppressions=$PWD/tests/support/lsan.supp:print_suppressions=0 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan -j"$jobs" --output-on-failure --timeout 600

if [ -x scripts/fuzz.sh ]; then
  echo "== Fuzzing (bounded)"
  bash scripts/fuzz.sh 120
fi
echo "All test stages passed."
