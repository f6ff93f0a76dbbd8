#!/usr/bin/env bash
# Fails when the project's own C++ code converts numbers through the process
# locale: strtod and friends, atof, stod and friends, std::to_string of a
# floating value, printf-family floating conversions (%f %e %g %a), scanf
# floating conversions, floating values through the standard streams,
# setlocale and std::locale::global. QApplication sets
# the C locale from the environment, so any of these can turn "1.5" into
# "1,5" (or fail to read it) for a user with a decimal comma.
#
# Usage: lint-locale.sh [ROOT]   (default: the repository)
# Exemptions: scripts/lint-locale.exempt, one "path:text" line each, where
# text is a piece of the flagged line, with a "# reason" comment above it.
set -uo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
exempt_file="$(cd "$(dirname "$0")" && pwd)/lint-locale.exempt"

# Read through the project's own source folders only; build output and
# third-party code are not ours.
mapfile -t files < <(cd "$root" && find core platform windows app tests bench fuzz \
  -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.hpp' -o -name '*.cc' \) 2>/dev/null | sort)

exemptions=()
if [[ -f "$exempt_file" ]]; then
  while IFS= read -r line; do
    [[ -z "$line" || "$line" == \#* ]] && continue
    exemptions+=("$line")
  done < "$exempt_file"
fi

is_exempt() { # file, line text
  local e
  for e in "${exemptions[@]+"${exemptions[@]}"}"; do
    local path=${e%%:*} piece=${e#*:}
    if [[ "$1" == "$path" && "$2" == *"$piece"* ]]; then
      return 0
    fi
  done
  return 1
}

# Calls that always go through the locale.
calls='\b(strto(d|f|ld)|strto(d|f|ld)_l|ato(f|i_f)|std::sto(d|f|ld)|sto(d|f|ld)|setlocale|localeconv|wcsto(d|f|ld))\s*\('
global='std::locale::global\s*\('
# printf/scanf-family format strings with a floating conversion.
printf_family='\b(v?s?n?printf|v?f?printf|v?s?scanf|v?f?scanf|asprintf|qsnprintf)\s*\('
floating_conversion='%[-+ #0-9.*]*(l|L|ll|h)?[fFeEgGaA]'
# Stream manipulators that only floating output uses; streams format numbers
# by their locale.
stream_floating='\bstd::(setprecision|fixed|scientific|hexfloat|defaultfloat)\b'

failures=0
report() { # file, line number, text, why
  echo "$1:$2: $4: $3"
  failures=$((failures + 1))
}

cd "$root" || exit 1

# Files that use the standard streams, and each file's floating names (found
# once per file, on first need).
declare -A stream_files=() names_of=()
while IFS= read -r f; do
  stream_files[$f]=1
done < <(grep -lP '#include\s*<(sstream|iostream|fstream|istream|ostream)>' "${files[@]}" 2>/dev/null)
floating_names() { # sets $names for file $1
  if [[ -z "${names_of[$1]+set}" ]]; then
    names_of[$1]=$(grep -oP '\b(long\s+double|double|float)\s+\K[A-Za-z_]\w*' "$1" | sort -u | paste -sd'|')
  fi
  names=${names_of[$1]}
}
# One pass of grep finds the candidate lines; only those are looked at again.
while IFS= read -r hit; do
  f=${hit%%:*}
  rest=${hit#*:}
  n=${rest%%:*}
  text=${rest#*:}
  # A call named in a comment converts nothing.
  [[ "$text" =~ ^[[:space:]]*(//|\*|/\*) ]] && continue
  why=""
  if grep -qP "$calls|$global" <<< "$text"; then
    why="locale-dependent conversion"
  elif grep -qP "$stream_floating" <<< "$text"; then
    why="floating number through a stream"
  elif [[ -n "${stream_files[$f]:-}" && ( "$text" == *"<<"* || "$text" == *">>"* ) ]] \
       && ! grep -qP "$printf_family|\\bto_string\\s*\\(" <<< "$text"; then
    # A floating value streamed in or out, in a file that uses the standard
    # streams.
    floating_names "$f"
    if [[ -n "$names" ]] && grep -qP "(<<|>>)\\s*\\(?\\s*($names)\\b" <<< "$text"; then
      why="floating number through a stream"
    fi
  elif grep -qP "$printf_family" <<< "$text"; then
    grep -qP "$floating_conversion" <<< "$text" && why="floating conversion in a printf/scanf format"
  else
    arg=$(grep -oP '\bto_string\s*\(\K.*' <<< "$text")
    floating_names "$f"
    if grep -qP '\b(double|float)\b|\d\.\d*|\d[eE][-+]?\d|\.\d' <<< "$arg" \
       || { [[ -n "$names" ]] && grep -qP "\\b($names)\\b" <<< "$arg"; }; then
      why="std::to_string of a floating value"
    fi
  fi
  if [[ -n "$why" ]] && ! is_exempt "$f" "$text"; then
    report "$f" "$n" "$text" "$why"
  fi
done < <( (
  grep -nHP "$calls|$global|$printf_family|$stream_floating|\bto_string\s*\(" "${files[@]}" 2>/dev/null
  # Stream operators matter only where the standard streams are used.
  ((${#stream_files[@]})) && grep -nHP '<<|>>' "${!stream_files[@]}" 2>/dev/null
) | sort -u -t: -k1,1 -k2,2n)

if ((failures)); then
  echo "lint-locale: $failures locale-dependent number conversion(s); use std::from_chars / std::to_chars or the core's own formatting"
  exit 1
fi
echo "lint-locale: ${#files[@]} files clean"
