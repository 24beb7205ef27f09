#!/usr/bin/env bash
# Bounded fuzzing of the sentence path: builds the libFuzzer target with clang,
# AddressSanitizer and UndefinedBehaviorSanitizer in its own build directory
# and runs it for SECONDS (default 60) on one job from the seed corpus.
# Exits non-zero on a crash, a sanitizer report or a leak; the input that
# caused it is left in FUZZ_ARTIFACTS (default build-fuzz-clang/fuzz-artifacts).
#
#   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "$0")/.."
SECONDS_TO_RUN=${1:-60}
BUILD_DIR=${FUZZ_BUILD_DIR:-build-fuzz-clang}
ARTIFACTS=${FUZZ_ARTIFACTS:-$BUILD_DIR/fuzz-artifacts}

CC=clang CXX=clang++ cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DSTARVANE_FUZZ=ON -DSTARVANE_SANITIZE=ON >/dev/null
cmake --build "$BUILD_DIR" --target sentence_fuzzer -j2

# New inputs go to a scratch corpus, so the checked-in seeds stay as they are.
work=$BUILD_DIR/fuzz-corpus
mkdir -p "$work" "$ARTIFACTS"
# Leaks are checked by the sanitizer test run; the fuzzer hunts crashes and
# undefined behaviour, and Qt keeps process-lifetime allocations at exit.
export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1:allocator_may_return_null=1
export LSAN_OPTIONS=suppressions=$PWD/tests/support/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
"$BUILD_DIR/sentence_fuzzer" -max_total_time="$SECONDS_TO_RUN" \
  -max_len=4096 -timeout=20 -rss_limit_mb=4096 -print_final_stats=1 \
  -artifact_prefix="$ARTIFACTS/" "$work" tests/fuzz/corpus
