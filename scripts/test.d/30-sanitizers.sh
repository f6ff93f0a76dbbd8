#!/usr/bin/env bash
# Builds the program and its tests once more with AddressSanitizer and
# UndefinedBehaviorSanitizer (float division by zero included, no recovery)
# into build-asan and runs the CTest suite there, offscreen, two programs at a
# time (benchmarks and the window tests that only check the windows' look not
# built). Passes only with every test green and not one sanitizer report. Suppressions: scripts/sanitizers.supp.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build="$root/build-asan"
flags="-fsanitize=address,undefined,float-divide-by-zero -fno-sanitize-recover=all -fno-omit-frame-pointer"

start=$SECONDS
mkdir -p "$build"
# The window tests that only look at the windows are left out: layout and
# sizes (form1_window_test), accessible names (accessibility_test), the about
# and count windows and the splash (frmabout_test, form2_test,
# frmsplash_test), the status bar and message box adapters (statusbar_test,
# messagebox_test). They hand no data of the user's to the program. Every
# window test that does runs here: cell editing, the clipboard, dropped and
# opened files, long cells, Solve and its threads, the start-up chain and
# its ending, the grid's storage, the random input and the agreement with
# kalvor1-solve; so do the core, kalvor1-solve and the fuzz replays.
skip='^(form1_window|accessibility|frmabout|form2|frmsplash|statusbar|messagebox)_test$'
# With clang-14 and libFuzzer (the fuzz step's packages) the build is made
# with clang, which compiles it in less time than GCC, and holds the fuzz
# targets too, so the fuzz step builds nothing of its own; without them,
# with GCC. The code under test at -O1 with line tables: half the compile
# time of -O2 -g, with lines in reports. The test programs' own code
# unoptimised: half the compile time of -O1, and as each program runs as
# one process here (an instrumented start costs more than most cases take),
# it hardly slows the suite. Under GCC the check's kernels, which the core
# otherwise builds at -O3, are held to -O1 as well; clang needs -O3 there to
# keep the standard library's inline functions inside them (the test of the
# kernels' symbols runs here and tells); every path's deep refinement uses
# the portable variant's QR here (KALVOR_CHECK_QR_PER_PATH), which halves
# the other variants' compile time. The benchmarks are left out: nothing
# runs them here.
. "$root/scripts/libfuzzer-probe.sh"
if libfuzzer_available; then
  compiler=(-DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DKALVOR_FUZZ=ON
    -DKALVOR_KERNEL_OPTIMIZATION=-O3 -DCMAKE_CXX_FLAGS_DEBUG="-O1 -gline-tables-only"
    -DCMAKE_C_FLAGS_DEBUG="-O1 -gline-tables-only")
else
  compiler=(-DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++ -DKALVOR_KERNEL_OPTIMIZATION=-O1
    -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" -DCMAKE_C_FLAGS_DEBUG="-O1 -g1")
fi
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug "${compiler[@]}" \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_C_FLAGS="$flags" -DKALVOR_TEST_OPTIMIZATION=-O0 -DKALVOR_CHECK_QR_PER_PATH=OFF \
  -DKALVOR_BUILD_BENCH=OFF -DKALVOR_TEST_PER_PROGRAM=ON \
  -DKALVOR_TEST_SKIP="$skip" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined,float-divide-by-zero" \
  > "$build/configure.log" 2>&1 || { cat "$build/configure.log"; exit 1; }
if ! cmake --build "$build" -j2 > "$build/build.log" 2>&1; then
  grep -E 'error|FAILED' "$build/build.log" | head -40
  echo "sanitizers: build failed (log: $build/build.log)"
  exit 1
fi
echo "sanitizers: built in $((SECONDS - start)) s"

# Every report goes to its own file as well as failing its test, so a report
# from a process whose exit code is lost still counts.
reports="$build/sanitizer-reports"
rm -rf "$reports" && mkdir -p "$reports"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:halt_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1:log_path=$reports/asan"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1:log_path=$reports/ubsan"
export LSAN_OPTIONS="suppressions=$root/scripts/sanitizers.supp:print_suppressions=0"
export QT_QPA_PLATFORM=offscreen
# The random-input test runs at full size in the ordinary suite; here a fifth
# of its events (still every kind of event on every table size) keeps the
# instrumented run within the test command's time.
export KALVOR_RANDOM_EVENTS=${KALVOR_RANDOM_EVENTS:-1000}

status=0
ctest --test-dir "$build" --output-on-failure -j2 > "$build/ctest.log" 2>&1 || status=1
tail -n 3 "$build/ctest.log"
if [[ $status -ne 0 ]]; then
  grep -E '^\s*[0-9]+ - |Failed|\*\*\*' "$build/ctest.log" | head -40
fi
if compgen -G "$reports/*" > /dev/null; then
  echo "sanitizers: reports found:"
  for r in "$reports"/*; do
    echo "== $r"
    head -n 40 "$r"
  done
  status=1
fi
echo "sanitizers: done in $((SECONDS - start)) s"
exit $status
