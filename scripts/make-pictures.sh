#!/usr/bin/env bash
# Makes the README's pictures again: docs/images/equation-window-input.png and
# equation-window.png (a system of three equations as typed, then solved),
# equation-window-wrong-digits.png (a solution the check finds wrong digits
# in), equation-window-formulas.png and equation-window-formulas-solved.png
# (an AC circuit typed with parameters and formulas, beside its Parameters
# window, then solved), sweep-plot.png (that circuit swept from 5 Hz to
# 500 Hz, in its plot window) and docs/images/about-window.png. Builds
# the small picture program into build/ and runs it offscreen; no display is
# needed. Run it whenever a window's look changes, and commit the PNG files.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release > /dev/null
cmake --build "$build" --target makepictures -j2 > /dev/null
mkdir -p "$root/docs/images"
QT_QPA_PLATFORM=offscreen "$build/docs/pictures/makepictures" "$root/docs/images"
