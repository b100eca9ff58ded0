#!/usr/bin/env bash
# Static analysis of the program's sources; any finding fails.
set -euo pipefail
cd "$(dirname "$0")/.."
dirs=()
for d in app engine transfer setup ui bench tests; do [ -d "$d" ] && dirs+=("$d"); done
cppcheck --quiet --error-exitcode=1 --std=c++17 --platform=win32A --language=c++ \
    --enable=warning,performance,portability --inline-suppr --library=googletest \
    -D_WIN32 -D__MINGW32__ -I . \
    --suppress=missingIncludeSystem --suppress=unknownMacro \
    "${dirs[@]}"
echo "lint: cppcheck found nothing"
