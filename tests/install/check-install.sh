#!/usr/bin/env bash
# Installs the build into a prefix under a temporary folder, then configures, builds and runs a
# program that finds the library with find_package(VornHistory).
set -euo pipefail
build_dir=$1
source_dir=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cmake --install "$build_dir" --prefix "$scratch/prefix" >/dev/null
cmake -S "$source_dir/consumer" -B "$scratch/build" -G Ninja -DCMAKE_PREFIX_PATH="$scratch/prefix" \
  -DCMAKE_CXX_FLAGS="${CONSUMER_FLAGS:-}" -DCMAKE_EXE_LINKER_FLAGS="${CONSUMER_FLAGS:-}" >/dev/null
cmake --build "$scratch/build" >/dev/null
# A clean environment: no LD_LIBRARY_PATH, so the installed libraries must find
# each other by themselves (the sanitizers' options pass through).
env -i PATH=/usr/bin:/bin QT_QPA_PLATFORM=offscreen \
  ${ASAN_OPTIONS:+ASAN_OPTIONS="$ASAN_OPTIONS"} ${LSAN_OPTIONS:+LSAN_OPTIONS="$LSAN_OPTIONS"} \
  ${UBSAN_OPTIONS:+UBSAN_OPTIONS="$UBSAN_OPTIONS"} "$scratch/build/consumer"
