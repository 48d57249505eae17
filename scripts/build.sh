#!/usr/bin/env bash
# Configures and builds into BUILD_DIR (default build/). SANITIZE=1 builds with
# AddressSanitizer and UndefinedBehaviorSanitizer, WERROR=1 makes warnings errors.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${BUILD_DIR:-$root/build}
cmake -S "$root" -B "$build_dir" -G Ninja \
  -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" \
  -DVORN_SANITIZE="${SANITIZE:-0}" \
  -DVORN_WERROR="${WERROR:-0}" >/dev/null
cmake --build "$build_dir" -j "$(nproc)" "$@"
