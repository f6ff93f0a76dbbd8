#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-deps.sh"
bash "$root/scripts/build.sh"
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "kalvor1 needs a display and none was found; to run it without one, use: xvfb-run -a bash scripts/run.sh" >&2
  exit 1
fi
exec "$root/build/app/kalvor1"
