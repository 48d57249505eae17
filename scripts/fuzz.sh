#!/usr/bin/env bash
# Builds the libFuzzer harnesses of fuzz/ with clang (coverage, AddressSanitizer,
# UndefinedBehaviorSanitizer) in their own folder, writes the seed corpus with
# the library's own writers, checks the regression inputs, then runs each
# harness for SECONDS_PER_HARNESS seconds (default 20).
#
#   scripts/fuzz.sh [seconds] [harness...]
#
# FUZZ_BUILD_DIR (default build-fuzz/) holds the build, its corpus/ the
# growing corpus and its crashes/ whatever a run finds. The summary line of
# each run (executions, coverage, features, corpus) is printed at the end.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_dir=${FUZZ_BUILD_DIR:-$root/build-fuzz}
seconds=${1:-${SECONDS_PER_HARNESS:-20}}
shift $(( $# > 0 ? 1 : 0 ))
harnesses=("$@")
[ ${#harnesses[@]} -gt 0 ] || harnesses=(fuzz_reader fuzz_layerdataitem fuzz_deserialize fuzz_execute)

"$root/scripts/setup.sh"
# clang and its runtime libraries (libFuzzer, sanitizers) on Debian 12.
if ! command -v clang++ >/dev/null || ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq clang libclang-rt-14-dev >/dev/null
fi

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
CXX=clang++ cmake -S "$root" -B "$build_dir" -G Ninja "${launcher[@]}" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORN_FUZZ=ON \
  -DVORN_BUILD_TESTS=OFF -DVORN_BUILD_BENCH=OFF -DVORN_BUILD_DEMO=OFF -DVORN_BUILD_EXAMPLES=OFF >/dev/null
cmake --build "$build_dir" -j "$(nproc)" --target vornmakecorpus "${harnesses[@]}"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=0:allocator_may_return_null=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
seeds=$build_dir/seeds
rm -rf "$seeds"
"$build_dir/fuzz/vornmakecorpus" "$seeds" >/dev/null

status=0
summary=()
for harness in "${harnesses[@]}"; do
  corpus=$build_dir/corpus/$harness
  crashes=$build_dir/crashes/$harness
  mkdir -p "$corpus" "$crashes"
  binary=$build_dir/fuzz/$harness
  # The inputs that once crashed must now run cleanly.
  regressions=("$root"/fuzz/regressions/"$harness"-*)
  if [ -e "${regressions[0]}" ]; then
    "$binary" "${regressions[@]}" >/dev/null 2>"$build_dir/$harness.regressions.log" || {
      echo "$harness: a regression input fails, see $build_dir/$harness.regressions.log"; status=1; }
  fi
  log=$build_dir/$harness.log
  "$binary" -max_total_time="$seconds" -rss_limit_mb=2048 -malloc_limit_mb=1024 -timeout=10 \
    -artifact_prefix="$crashes/" -print_final_stats=1 "$corpus" "$seeds/$harness" >"$log" 2>&1 || {
      echo "$harness: the run found a fault, see $log and $crashes"; status=1; }
  # The last status line: #executions, coverage (cov), features (ft), corpus.
  line=$(grep -E '^#[0-9]+' "$log" | tail -1 || true)
  execs=$(grep -E '^stat::number_of_executed_units' "$log" | awk '{print $2}' || true)
  summary+=("$harness: executions ${execs:-?}; ${line:-no status line}")
done
printf '%s\n' "${summary[@]}"
exit $status
