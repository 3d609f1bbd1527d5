#!/usr/bin/env bash
# Installs what is missing, builds, creates an empty register on the first run and starts Tabrix.
set -euo pipefail
cd "$(dirname "$0")/.."
bash tools/deps.sh
bash tools/build.sh
if [ ! -f build/tabrix.udl ]; then
  build/tabrix-register sqlite build
fi
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: starting Tabrix on a virtual X server (xvfb-run)."
  exec xvfb-run -a build/tabrix
fi
exec build/tabrix
