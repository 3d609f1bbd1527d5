#!/usr/bin/env bash
# Runs every benchmark and prints its figures with their goals, side by side.
#   bash bench/run_all.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
[ -x "$build/bench/bench_store" ] || bash tools/build.sh
export QT_QPA_PLATFORM=offscreen CUPS_SERVER=/nonexistent/cups.sock XDG_RUNTIME_DIR=$(mktemp -d)
chmod 700 "$XDG_RUNTIME_DIR"
echo "# Benchmark results"
echo
echo "Machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(date -u +%Y-%m-%d)."
for b in bench_store bench_labels bench_editor bench_log bench_stations bench_preview bench_lis bench_identity; do
  echo
  echo "## $b"
  echo
  echo '```'
  "$build/bench/$b" 2>&1 | grep -v -E 'propagateSizeHints|XDG_RUNTIME_DIR'
  echo '```'
done
