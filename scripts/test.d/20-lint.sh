#!/usr/bin/env bash
# The locale lint: first proves on sample lines that it flags what it must
# and lets plain code through, then runs it over the project.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
lint="$root/scripts/lint-locale.sh"

# expect|line of C++|lines above it ("flag": the lint must fail on it;
# "pass": it must not)
cases=$(cat <<'CASES'
flag|double x = strtod(text, nullptr);
flag|double x = std::strtod(text.c_str(), &end);
flag|float f = strtof(p, nullptr);
flag|double x = atof(buffer);
flag|double x = std::stod(s);
flag|long double x = std::stold(s);
flag|std::setlocale(LC_ALL, "");
flag|setlocale(LC_NUMERIC, "de_DE.UTF-8");
flag|std::locale::global(std::locale(""));
flag|std::printf("%f\n", value);
flag|snprintf(buf, sizeof buf, "%.4f", value);
flag|std::fprintf(stderr, "%g", x);
flag|sprintf(out, "%10.3e", x);
flag|std::printf("%La", big);
flag|sscanf(text, "%lf", &x);
flag|std::string s = std::to_string(value);|double value = 1;
flag|std::string s = std::to_string(2.5);
flag|auto s = std::to_string(static_cast<double>(n));
flag|out << std::setprecision(3) << x;
flag|out << std::fixed << x;
flag|stream << value;|#include <sstream>\ndouble value = 1;
flag|in >> value;|#include <sstream>\ndouble value = 0;
pass|stream << count;|#include <sstream>\nint count = 0;
pass|std::uint64_t mask = bits << value;|double value = 1;
pass|std::string s = std::to_string(count);|int count = 1;
pass|std::printf("%d cells, %s\n", n, name);
pass|auto r = std::from_chars(first, last, value);
pass|auto r = std::to_chars(first, last, value);
pass|// strtod would read the locale's decimal point here
pass|QString text = QString::number(n);
CASES
)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bad=0
while IFS='|' read -r expect line declaration; do
  rm -rf "$work/core" && mkdir -p "$work/core"
  printf '%b\nvoid f() {\n    %s\n}\n' "$declaration" "$line" > "$work/core/sample.cpp"
  if bash "$lint" "$work" > /dev/null; then got=pass; else got=flag; fi
  if [[ "$got" != "$expect" ]]; then
    echo "lint self-check: expected $expect, got $got for: $line"
    bad=$((bad + 1))
  fi
done <<< "$cases"
if ((bad)); then
  echo "lint self-check: $bad case(s) wrong"
  exit 1
fi
echo "lint self-check: $(wc -l <<< "$cases") cases right"

bash "$lint" "$root"
