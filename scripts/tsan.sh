#!/usr/bin/env bash
# Builds the history library's tests (the serializer and its pool task, the
# reader/writer's parallel tile coding, the undo stack, the history panel's
# model, every command family going through the serializer: each
# tests/history/tst_*.cpp), and the tile manager's concurrent tests (deferred
# and swapped-out tiles), with ThreadSanitizer into BUILD_DIR (default
# build-tsan/) and runs them; any report fails the run.
#
#   scripts/tsan.sh [more tests...]
#
# Qt is not instrumented. support/tsanqt.cpp, linked into the tests, tells TSan
# about the Qt locks, wait conditions, semaphores, pool hand-offs and futures
# our code uses; ignore_noninstrumented_modules keeps the memory operations of
# Qt's own code (malloc, free, memcpy called inside libQt5Core, for example an
# event it allocates in one thread and frees in another) out of the checks.
# Our own code is checked in full: no suppressions.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${BUILD_DIR:-$root/build-tsan}
tests=("$@" tst_deferredtiles tst_tileswap)
for source in "$root"/tests/history/tst_*.cpp; do
  tests+=("$(basename "$source" .cpp)")
done
"$root/scripts/setup.sh"
BUILD_DIR="$build_dir" TSAN=1 "$root/scripts/build.sh" --target "${tests[@]}"
export QT_QPA_PLATFORM=offscreen
export TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:ignore_noninstrumented_modules=1:second_deadlock_stack=1}
ctest --test-dir "$build_dir" --output-on-failure -j "$(nproc)" -R "^($(IFS='|'; echo "${tests[*]}"))\$"
