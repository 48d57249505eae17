#!/usr/bin/env bash
# Configures and builds into BUILD_DIR (default build/). SANITIZE=1 builds with
# AddressSanitizer and UndefinedBehaviorSanitizer (a Debug build without the
# benchmarks unless BUILD_TYPE says otherwise), TSAN=1 with ThreadSanitizer (a
# RelWithDebInfo build without the benchmarks; use its own BUILD_DIR, for example
# build-tsan), WERROR=1 makes warnings errors.
# Further arguments go to `cmake --build` (for example --target vorndemo).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${BUILD_DIR:-$root/build}
sanitize=${SANITIZE:-0}
tsan=${TSAN:-0}
if [ "$tsan" = 1 ]; then
  build_type=${BUILD_TYPE:-RelWithDebInfo}
  bench=OFF
elif [ "$sanitize" = 1 ]; then
  build_type=${BUILD_TYPE:-Debug}
  bench=OFF
else
  build_type=${BUILD_TYPE:-Release}
  bench=ON
fi
launcher=()
# A compiler cache, when the machine has one, makes rebuilds of other trees cheap.
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S "$root" -B "$build_dir" -G Ninja "${launcher[@]}" \
  -DCMAKE_BUILD_TYPE="$build_type" \
  -DVORN_SANITIZE="$sanitize" \
  -DVORN_TSAN="$tsan" \
  -DVORN_BUILD_BENCH="$bench" \
  -DVORN_WERROR="${WERROR:-0}" >/dev/null
cmake --build "$build_dir" -j "$(nproc)" "$@"
