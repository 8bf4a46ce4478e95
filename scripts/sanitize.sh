#!/usr/bin/env bash
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer in
# build-asan and runs every test there. Any report fails its test. Leaks
# inside Qt and the system libraries it loads are suppressed by
# scripts/sanitize-lsan.supp; ours are not.
# Usage: scripts/sanitize.sh [ctest arguments, e.g. -R Source_]
set -euo pipefail
cd "$(dirname "$0")/.."
jobs="${TV_SANITIZE_JOBS:-3}"
cmake -S . -B build-asan -G Ninja -DTV_SANITIZE=ON >/dev/null
cmake --build build-asan -j"$jobs"
export QT_QPA_PLATFORM=offscreen
# Qt has no frame pointers: full unwinding gives the stacks that the
# suppressions match.
export ASAN_OPTIONS="detect_leaks=1:fast_unwind_on_malloc=0:malloc_context_size=12:detect_stack_use_after_return=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/sanitize-lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --test-dir build-asan -j"$jobs" --output-on-failure --timeout 900 "$@"
