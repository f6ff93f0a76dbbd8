#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need,
# but only those that are missing, so a prepared machine pays nothing.
set -euo pipefail

# libeigen3-dev: the header-only linear algebra the solution check factors
# with; libboost-dev: Boost.Multiprecision's header-only big integers, for
# the check's exact rational solve (every build, cross builds included);
# libgmp-dev: exact rationals, for the tests that prove the check;
# nlohmann-json3-dev: the header-only JSON library kalvor1-solve's --json
# output is built with (and its tests read it back with); qt6-charts-dev
# and qt6-svg-dev: a sweep's plot window draws with Qt Charts and saves the
# plot as SVG with Qt SVG; libqt6opengl6-dev: Qt Charts' CMake package
# needs Qt OpenGL's, which qt6-base-dev leaves out.
packages=(
  g++ cmake ninja-build pkg-config
  libeigen3-dev libboost-dev nlohmann-json3-dev
  libgtest-dev libgmock-dev libbenchmark-dev libgmp-dev
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-charts-dev qt6-svg-dev
  libqt6opengl6-dev
  xvfb xauth
  locales
)
# Optional extras named by later steps (fuzzing, cross builds) are listed in
# scripts/packages.d/*.txt, one package per line.
root=$(cd "$(dirname "$0")/.." && pwd)
if compgen -G "$root/scripts/packages.d/*.txt" > /dev/null; then
  while read -r p; do
    [[ -n "$p" && "$p" != \#* ]] && packages+=("$p")
  done < <(cat "$root"/scripts/packages.d/*.txt)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" > /tmp/kalvor-apt.log 2>&1 \
    || { cat /tmp/kalvor-apt.log; exit 1; }
fi

# A locale with a decimal comma, for the tests that prove number reading and
# formatting ignore the process locale.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  localedef -i de_DE -f UTF-8 de_DE.UTF-8 >/dev/null 2>&1 || true
fi
