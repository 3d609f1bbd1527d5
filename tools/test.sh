#!/usr/bin/env bash
# Installs what is missing, builds and runs the whole test suite: CTest (private CUPS,
# PostgreSQL and X servers included), then every fuzzer for 12 seconds.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
bash tools/build.sh
(cd build && ctest --output-on-failure -j2 --timeout 900)
bash tools/fuzz.sh 12
