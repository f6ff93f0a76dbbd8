#!/usr/bin/env bash
# Builds the Debian package with CPack, unpacks it into a scratch root the way
# dpkg installs it, and checks what a desktop needs: the executable, its menu
# entry and its icon, the package's dependencies, and that the installed
# program starts, runs its start-up chain and ends on Exit with no process
# left behind; then the command-line solver beside it: its manual page, and
# its results and exit statuses on small systems. KALVOR_BUILD_DIR names another build folder than build/.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${KALVOR_BUILD_DIR:-$root/build}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
fail() { echo "package: $*"; exit 1; }

(cd "$build" && cpack -G DEB -B "$scratch/out" > "$scratch/cpack.log" 2>&1) \
  || { cat "$scratch/cpack.log"; fail "cpack failed"; }
deb=$(ls "$scratch"/out/kalvor1_*.deb 2>/dev/null | head -n 1)
[[ -n "$deb" ]] || fail "no kalvor1_*.deb was written"

[[ $(dpkg-deb -f "$deb" Package) == kalvor1 ]] || fail "package name is not kalvor1"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6gui6 libqt6core6; do
  [[ "$depends" == *"$lib"* ]] || fail "Depends lacks $lib: $depends"
done
[[ -n $(dpkg-deb -f "$deb" Maintainer) ]] || fail "no Maintainer"

dpkg-deb -x "$deb" "$scratch/root" || fail "dpkg-deb -x failed"
exe="$scratch/root/usr/bin/kalvor1"
desktop="$scratch/root/usr/share/applications/kalvor1.desktop"
icon="$scratch/root/usr/share/icons/hicolor/48x48/apps/kalvor1.png"
[[ -x "$exe" ]] || fail "usr/bin/kalvor1 missing or not executable"
[[ -f "$desktop" ]] || fail "usr/share/applications/kalvor1.desktop missing"
[[ -f "$icon" ]] || fail "the 48x48 icon is missing"
grep -qx 'Exec=kalvor1' "$desktop" || fail "the .desktop entry does not start kalvor1"
grep -qx 'Icon=kalvor1' "$desktop" || fail "the .desktop entry does not name the icon"
if command -v desktop-file-validate > /dev/null; then
  desktop-file-validate "$desktop" || fail "the .desktop entry is not valid"
fi
[[ $(head -c 8 "$icon" | od -An -tx1 | tr -d ' \n') == 89504e470d0a1a0a ]] || fail "the icon is not a PNG"
if ldd "$exe" | grep -q 'not found'; then
  ldd "$exe"
  fail "the installed program lacks libraries"
fi

# The command-line solver: installed beside the program, without Qt, with its
# manual page, solving a small system and telling the failures apart.
solver="$scratch/root/usr/bin/kalvor1-solve"
manpage="$scratch/root/usr/share/man/man1/kalvor1-solve.1.gz"
[[ -x "$solver" ]] || fail "usr/bin/kalvor1-solve missing or not executable"
[[ -f "$manpage" ]] || fail "usr/share/man/man1/kalvor1-solve.1.gz missing"
if ldd "$solver" | grep -qi -e 'not found' -e 'libQt'; then
  ldd "$solver"
  fail "the installed solver lacks libraries or needs Qt"
fi
if command -v man > /dev/null; then
  page=$(MANWIDTH=80 man -l "$manpage" 2> "$scratch/man.err") || { cat "$scratch/man.err"; fail "man cannot show the manual page"; }
  [[ ! -s "$scratch/man.err" ]] || { cat "$scratch/man.err"; fail "the manual page renders with warnings"; }
  for section in NAME SYNOPSIS DESCRIPTION OPTIONS 'FILE FORMAT' 'EXIT STATUS' EXAMPLES; do
    grep -q "^$section" <<< "$page" || fail "the manual page lacks $section"
  done
fi
printf '1+i,1,2+3i\n1,-1+i,i\n' > "$scratch/system.csv"
got=$("$solver" "$scratch/system.csv") || fail "the installed solver failed on a small system"
[[ "$got" == $' 1.6667 + 6.6667E-01i\n 1.0000 + 6.6667E-01i' ]] || fail "the installed solver wrote: $got"
got=$(printf '2\t4+2i\n' | "$solver" --json)
[[ "$got" == *'"outcome": "solved"'*'"text": " 2.0000 + 1.0000i"'* ]] || fail "the installed solver's JSON: $got"
printf '0,5\n' | "$solver" > /dev/null 2>&1
[[ $? == 2 ]] || fail "no unique solution does not end in status 2"
printf '1,abc\n' | "$solver" > /dev/null 2>&1
[[ $? == 3 ]] || fail "a data error does not end in status 3"
printf '1,2,3\n' | "$solver" > /dev/null 2>&1
[[ $? == 1 ]] || fail "a wrong file does not end in status 1"

# The installed program on a virtual display: a key on the splash, a count,
# Enter, then File > Exit. It must end by itself.
if command -v xvfb-run > /dev/null && command -v xdotool > /dev/null; then
  cat > "$scratch/drive.sh" <<'DRIVE'
#!/usr/bin/env bash
"$1" &
app=$!
xdotool search --sync --onlyvisible --pid "$app" > /dev/null 2>&1
sleep 0.3
xdotool key x
sleep 0.5
xdotool type '3'
xdotool key Return
sleep 1
xdotool search --onlyvisible --name '^KALVOR$' > /dev/null || { echo "no equation window"; kill "$app"; exit 1; }
xdotool key alt+f
sleep 0.3
xdotool key x
for _ in $(seq 1 50); do
  kill -0 "$app" 2> /dev/null || { wait "$app"; exit $?; }
  sleep 0.1
done
echo "still running after Exit"
kill "$app"
exit 1
DRIVE
  timeout 60 xvfb-run -a -s '-screen 0 1024x768x24' bash "$scratch/drive.sh" "$exe" > "$scratch/run.log" 2>&1 \
    || { cat "$scratch/run.log"; fail "the installed program did not run its chain and end on Exit"; }
else
  echo "package: xvfb-run or xdotool missing, the installed program was not started"
fi
echo "package: $(basename "$deb") installs bin/kalvor1, the .desktop entry and the icon, and runs;" \
  "bin/kalvor1-solve and its manual page, and solves"
