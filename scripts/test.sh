#!/usr/bin/env bash
# Installs what is missing, builds, runs the static checks and every test.
# Extra arguments go to ctest (e.g. -R engine).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)"
bash scripts/lint.sh

# Tests in the shared prefix keep one warm wineserver; stop it at the end.
stop_server() { WINE_ROOT="$PWD/build/wine" bash -c 'source scripts/wine-env.sh 2>/dev/null; wineserver -k' 2>/dev/null || true; }
trap stop_server EXIT
cd build
ctest --output-on-failure -j"$(nproc)" "$@"
