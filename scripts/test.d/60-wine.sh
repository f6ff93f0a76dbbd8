#!/usr/bin/env bash
# Cross-builds the toolkit-free parts for 64-bit Windows (core, OS adapters,
# System Information launcher) with their tests into build-mingw/, and runs
# every test program under wine in a scratch wine prefix. Skips with one line
# when the cross compiler or wine is missing.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build="$root/build-mingw"
gtest_src=/usr/src/googletest/googletest

missing=()
command -v x86_64-w64-mingw32-g++-posix > /dev/null || missing+=(g++-mingw-w64-x86-64)
command -v wine > /dev/null && command -v wineboot > /dev/null && command -v wineserver > /dev/null \
  || missing+=(wine wine64)
[[ -f "$gtest_src/CMakeLists.txt" ]] || missing+=(googletest)
if ((${#missing[@]})); then
  echo "60-wine: skipped, not installed: ${missing[*]}"
  exit 0
fi

scratch=$(mktemp -d /tmp/kalvor-wine.XXXXXX)
export WINEPREFIX="$scratch/prefix" WINEDEBUG=-all WINEARCH=win64
# No Mono or Gecko: nothing here needs them, and their installers would ask.
export WINEDLLOVERRIDES="mscoree,mshtml="
cleanup() {
  wineserver -k > /dev/null 2>&1
  rm -rf "$scratch"
}
trap cleanup EXIT

started=$SECONDS
# The wine prefix is made while the compiler runs: it mostly waits.
wineboot -i > "$scratch/wineboot.log" 2>&1 &
booting=$!
# -O1, as in the ARM step (the check's kernels too; the test programs' own
# code unoptimised): this build proves behaviour on Windows, not speed. The
# deep refinement of every path uses the portable kernel's QR here, which
# halves the other kernels' compile time.
cmake -S "$root/tests/wine" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_CXX_FLAGS_RELEASE="-O1 -DNDEBUG" -DCMAKE_C_FLAGS_RELEASE="-O1 -DNDEBUG" -DKALVOR_KERNEL_OPTIMIZATION=-O1 \
  -DKALVOR_TEST_OPTIMIZATION=-O0 -DKALVOR_CHECK_QR_PER_PATH=OFF > "$build.configure.log" 2>&1 \
  || { cat "$build.configure.log"; echo "60-wine: configure failed"; exit 1; }
if ! cmake --build "$build" -j2 > "$build.build.log" 2>&1; then
  grep -E "error|FAILED" "$build.build.log" | head -40
  echo "60-wine: cross build failed (full log: $build.build.log)"
  exit 1
fi
built=$SECONDS
wait "$booting"
# One server for all the programs instead of one start-up each. Whichever
# process starts it, the server keeps that process's output open: the
# programs write into files, never into a pipe that would then not end.
wineserver -p 60 > /dev/null 2>&1
booted=$SECONDS

# One program under wine; its summary goes to $scratch/<name>.line.
run() {
  local name=$1 begun=$SECONDS log="$scratch/$1.log" passed skipped status
  (cd "$build" && timeout 300 wine "./$name.exe") > "$log.crlf" 2>&1
  status=$?
  # Windows programs end their lines with CR LF.
  tr -d '\r' < "$log.crlf" > "$log"
  if [[ $status -eq 0 ]]; then
    passed=$(sed -n 's/^\[  PASSED  \] \([0-9]*\) tests\{0,1\}\.$/\1/p' "$log")
    skipped=$(sed -n 's/^\[  SKIPPED \] \([0-9]*\) tests\{0,1\}, listed below:$/\1/p' "$log")
    echo "wine $name: ${passed:-0} passed, ${skipped:-0} skipped ($((SECONDS - begun)) s)" > "$scratch/$name.line"
  else
    { echo "wine $name: FAILED"
      grep -E '^\[  FAILED  \]|Failure|Which is|Expected' "$log" | head -40; } > "$scratch/$name.line"
  fi
}
# Two programs at a time, one per core, in the order of the list.
names=()
while read -r name; do
  [[ -n "$name" ]] && names+=("$name")
done < "$build/wine-tests.txt"
for name in "${names[@]}"; do
  while (($(jobs -rp | wc -l) >= 2)); do
    wait -n
  done
  run "$name" &
done
wait
failed=0
for name in "${names[@]}"; do
  cat "$scratch/$name.line"
  grep -q "^wine $name: FAILED" "$scratch/$name.line" && failed=$((failed + 1))
done

echo "60-wine: build $((built - started)) s, wine prefix $((booted - built)) s, tests $((SECONDS - booted)) s"
[[ $failed -eq 0 ]]
