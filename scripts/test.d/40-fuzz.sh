#!/usr/bin/env bash
# Runs each fuzz target of fuzz/ for a short while (KALVOR_FUZZ_SECONDS, 25 by
# default: six targets, two at a time, take three rounds, about 75 seconds
# in all), with libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer,
# starting from its seed corpus and the dictionary. Without clang-14 and its
# libFuzzer runtime the step says so on one line and passes.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build="$root/build-fuzz"
seconds=${KALVOR_FUZZ_SECONDS:-25}

. "$root/scripts/libfuzzer-probe.sh"
if ! libfuzzer_available; then
  echo "fuzz: skipped: clang-14 with libFuzzer (libclang-rt-14-dev) is not installed"
  exit 0
fi

start=$SECONDS
targets=()
for src in "$root"/fuzz/*_fuzz.cpp; do
  targets+=("$(basename "$src" .cpp)")
done
# The sanitizer step builds the targets beside its tests (clang, the same
# sanitizers, the core instrumented for coverage): then they are only
# brought up to date there. Run alone, this step makes a build of its own.
if grep -q '^KALVOR_FUZZ:BOOL=ON$' "$root/build-asan/CMakeCache.txt" 2>/dev/null; then
  build="$root/build-asan"
else
  mkdir -p "$build"
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DKALVOR_FUZZ=ON \
    -DKALVOR_BUILD_GUI=OFF -DKALVOR_BUILD_TESTS=OFF -DKALVOR_BUILD_BENCH=OFF \
    > "$build/configure.log" 2>&1 || { cat "$build/configure.log"; exit 1; }
fi
if ! cmake --build "$build" --target "${targets[@]}" -j2 > "$build/fuzz-build.log" 2>&1; then
  grep -E 'error|FAILED' "$build/fuzz-build.log" | head -40
  echo "fuzz: build failed (log: $build/fuzz-build.log)"
  exit 1
fi
echo "fuzz: built ${#targets[@]} targets in $((SECONDS - start)) s ($build)"

export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# One target's run; its result goes to $build/<name>.result.
fuzz_one() {
  local target=$1 name=${1%_fuzz}
  # New inputs go to a working corpus in the build folder; the committed
  # seeds stay as they are.
  local work="$build/corpus/$name" findings="$build/findings" log="$build/$name.log"
  mkdir -p "$work" "$findings"
  "$build/fuzz/$target" "$work" "$root/fuzz/corpus/$name" \
    -dict="$root/fuzz/kalvor.dict" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -max_len=4096 -print_final_stats=1 \
    -artifact_prefix="$findings/$name-" > "$log" 2>&1
  echo $? > "$build/$name.result"
}

# Two targets at a time, one per core.
for ((i = 0; i < ${#targets[@]}; i += 2)); do
  fuzz_one "${targets[i]}" &
  if ((i + 1 < ${#targets[@]})); then
    fuzz_one "${targets[i + 1]}" &
  fi
  wait
done

status=0
for target in "${targets[@]}"; do
  name=${target%_fuzz}
  log="$build/$name.log"
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  if [[ "$(cat "$build/$name.result" 2>/dev/null)" == 0 ]]; then
    echo "fuzz: $name: ${runs:-?} executions in ${seconds} s, no finding"
  else
    echo "fuzz: $name: FINDING after ${runs:-?} executions (log: $log)"
    grep -E 'property broken|^input|ERROR|SUMMARY|Test unit written' "$log" | head -n 12
    echo "fuzz: keep the written input in fuzz/corpus/$name/ so the replay tests hold it"
    status=1
  fi
done
echo "fuzz: done in $((SECONDS - start)) s"
exit $status
