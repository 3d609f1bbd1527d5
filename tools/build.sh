#!/usr/bin/env bash
# Builds Tabrix into build/: the program folder with tabrix and what it needs beside it.
# The packages it needs are installed by tools/deps.sh (run.sh and test.sh call it).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)"
