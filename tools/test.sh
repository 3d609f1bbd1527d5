#!/usr/bin/env bash
# Installs what is missing (the npm checkers into build/npm), builds and runs the whole
# test suite: CTest (private CUPS, PostgreSQL, X servers and LIS receivers included),
# then every fuzzer for 12 seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
bash tools/build.sh
bash tools/npm-checkers.sh
(cd build && ctest --output-on-failure -j2 --timeout 900)
bash tools/fuzz.sh 12
