#!/usr/bin/env bash
# Builds Tabrix into build/: the program folder with tabrix and what it needs beside it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
