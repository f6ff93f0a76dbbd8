#!/usr/bin/env bash
# Configures and builds the project into build/ (Release).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$root/build"
