#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the unit and window
# suites through CTest, then each extra step in scripts/test.d in name order.
# With --quick: installs what is missing, builds and runs CTest only (no
# lint, sanitizer, fuzz, package, Windows or ARM step).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
quick=0
for arg in "$@"; do
  case "$arg" in
    --quick) quick=1 ;;
    *) echo "usage: bash scripts/test.sh [--quick]" >&2; exit 2 ;;
  esac
done
started=$SECONDS
bash scripts/install-deps.sh || exit 1
bash scripts/build.sh || exit 1
echo "== install and build: $((SECONDS - started)) s"

passed=0
failed=0
log=$(mktemp)
begun=$SECONDS
ctest --test-dir build --output-on-failure -j2 2>&1 | tee "$log"
echo "== ctest: $((SECONDS - begun)) s"
total=$(sed -n 's/.* tests failed out of \([0-9]*\).*/\1/p' "$log" | tail -n 1)
bad=$(sed -n 's/.*, \([0-9]*\) tests failed out of.*/\1/p' "$log" | tail -n 1)
if [[ -z "$total" ]]; then
  echo "ctest did not report a result"
  failed=$((failed + 1))
else
  passed=$((passed + total - bad))
  failed=$((failed + bad))
fi
rm -f "$log"

for step in scripts/test.d/*.sh; do
  [[ -e "$step" && $quick -eq 0 ]] || continue
  echo "== $(basename "$step")"
  begun=$SECONDS
  if bash "$step"; then
    passed=$((passed + 1))
  else
    echo "step failed: $step"
    failed=$((failed + 1))
  fi
  echo "== $(basename "$step"): $((SECONDS - begun)) s"
done

echo "== total: $((SECONDS - started)) s"
echo "kalvor: $passed passed, $failed failed"
[[ $failed -eq 0 ]]
