#!/usr/bin/env bash
# Installs what is missing, builds, runs the static checks and every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j"$(nproc)"
bash scripts/lint.sh
cd build
ctest --output-on-failure -j"$(nproc)" "$@"
